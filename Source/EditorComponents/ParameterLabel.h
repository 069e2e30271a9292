#pragma once

#include "iParameterWidget.h"

#include <juce_gui_basics/juce_gui_basics.h>

/** A parameter's value as text ("0.50 dB"), edited by typing after a double click or, when
    dragEnabled, by dragging up and down one interval per 3 pixels. The text changes only when
    the owner pushes the confirmed value back. Message thread only. */
class ParameterLabel : public juce::Label, public virtual iParameterWidget
{
public:
    ParameterLabel();

    /** The text colour, with the in-place editor's text, highlight, outline and caret to match. */
    void setTextColour(juce::Colour colour);

    void setParameterInfo(const ParameterWidgetInfo* info) override;
    void setParameterValue(const double& newValue) override;
    juce::Component* getComponent() override { return this; }

    void mouseDown(const juce::MouseEvent& e) override;
    void mouseDrag(const juce::MouseEvent& e) override;

    double getValue() const { return value; }
    double getInterval() const { return interval; }
    double getMinimum() const { return min; }
    double getMaximum() const { return max; }
    int getDecimals() const { return decimals; }

    bool dragEnabled = false;

protected:
    void textWasEdited() override;

private:
    int decimals = 1;
    double interval = 1.0;
    double value = 0.0;
    double min = 0.0;
    double max = 1.0;
    double dragStartValue = 0.0;
    juce::String unit;
};
