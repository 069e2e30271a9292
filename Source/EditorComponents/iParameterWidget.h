#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <cstdint>
#include <functional>
#include <vector>

/** What a widget is told about the parameter it is bound to. The binder builds it on the stack
    for one setParameterInfo call: widgets copy what they keep. */
struct ParameterWidgetInfo
{
    struct NamedValue
    {
        juce::String name;
        double value = 0.0;
    };

    juce::String name;
    double min = 0.0;
    double max = 1.0;
    double defaultValue = 0.0;
    double interval = 1.0;
    std::vector<NamedValue> values; // a list parameter's choices, in table order
    juce::String unit;              // "", "dB", "Hz", "kHz", "mS", "%", " : 1", "bits", "deg" or "cnt"
    uint32_t widgetCode = 0;        // the definition's widget code; no widget reads it
    bool isBoolean = false;
};

/** A control bound to one device parameter. The owner configures it, pushes values into it and
    hears the user's changes through onValueChanged; a value pushed in is never reported back.
    Message thread only. */
class iParameterWidget
{
public:
    virtual ~iParameterWidget() = default;

    /** Configures the widget; null clears the configuration. */
    virtual void setParameterInfo(const ParameterWidgetInfo* info) = 0;
    /** Shows a value without calling onValueChanged. */
    virtual void setParameterValue(const double& value) = 0;
    virtual juce::Component* getComponent() = 0;

    /** Called with each value the user sets; skipped while empty. */
    std::function<void(const double&)> onValueChanged;

protected:
    void reportValue(double value)
    {
        if (onValueChanged)
            onValueChanged(value);
    }
};
