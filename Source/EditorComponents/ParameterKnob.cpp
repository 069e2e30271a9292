#include "ParameterKnob.h"

ParameterKnob::ParameterKnob()
{
    onValueChange = [this](double v) { reportValue(v); };
    onDoubleClick = [this] {
        // Reported even when the value already is the default: the pedal may disagree.
        setValue(defaultValue);
        reportValue(defaultValue);
    };
}

void ParameterKnob::setParameterInfo(const ParameterWidgetInfo* info)
{
    if (info == nullptr)
        return;
    defaultValue = info->defaultValue;
    setRange(info->min, info->max, info->interval);
}

void ParameterKnob::setParameterValue(const double& newValue)
{
    setValue(newValue);
}
