#pragma once

#include "FilmStripKnob.h"
#include "iParameterWidget.h"

/** A FilmStripKnob bound to a continuous parameter: takes the parameter's range and default,
    reports drags through onValueChanged and resets to the default on a double click. The owner
    gives it its film strip with setImage after construction. Message thread only. */
class ParameterKnob : public FilmStripKnob, public virtual iParameterWidget
{
public:
    ParameterKnob();

    /** Range, interval and default from the info; null keeps the previous ones. */
    void setParameterInfo(const ParameterWidgetInfo* info) override;
    void setParameterValue(const double& newValue) override;
    juce::Component* getComponent() override { return this; }

    double getDefaultValue() const { return defaultValue; }

private:
    double defaultValue = 0.0;
};
