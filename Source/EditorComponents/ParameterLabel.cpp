#include "ParameterLabel.h"

#include <cmath>
#include <cstdio>
#include <vector>

ParameterLabel::ParameterLabel() : juce::Label({}, {})
{
    setEditable(false, true, true);
    setJustificationType(juce::Justification::centred);
    setColour(juce::TextEditor::backgroundColourId, juce::Colours::transparentBlack);
}

void ParameterLabel::setTextColour(juce::Colour colour)
{
    setColour(juce::Label::textColourId, colour);
    setColour(juce::TextEditor::textColourId, colour);
    setColour(juce::TextEditor::highlightColourId, colour);
    setColour(juce::TextEditor::outlineColourId, colour);
    setColour(juce::TextEditor::focusedOutlineColourId, colour);
    setColour(juce::TextEditor::highlightedTextColourId, colour.contrasting(1.0f));
    setColour(juce::CaretComponent::caretColourId, colour.darker(0.4f));
}

void ParameterLabel::setParameterInfo(const ParameterWidgetInfo* info)
{
    if (info == nullptr)
    {
        decimals = 1;
        unit = {};
        return;
    }
    interval = info->interval;
    min = info->min;
    max = info->max;
    // An interval of 0 (or a non-number) would give an infinite count: clamp to the 0..9 range.
    const double wanted = std::ceil(-std::log10(interval));
    decimals = std::isfinite(wanted) ? int(juce::jlimit(0.0, 9.0, wanted)) : (wanted > 0 ? 9 : 0);
    unit = info->unit;
}

void ParameterLabel::setParameterValue(const double& newValue)
{
    value = newValue;
    const int length = std::snprintf(nullptr, 0, "%.*f", decimals, newValue);
    std::vector<char> printed(size_t(juce::jmax(length, 0)) + 1, '\0');
    std::snprintf(printed.data(), printed.size(), "%.*f", decimals, newValue);
    juce::String shown(printed.data());
    if (unit.isNotEmpty())
        shown << " " << unit;
    setText(shown, juce::dontSendNotification);
}

void ParameterLabel::mouseDown(const juce::MouseEvent& e)
{
    dragStartValue = value;
    juce::Label::mouseDown(e);
}

void ParameterLabel::mouseDrag(const juce::MouseEvent& e)
{
    juce::Label::mouseDrag(e);
    if (!dragEnabled)
        return;
    const int steps = e.getDistanceFromDragStartY() / 3;
    reportValue(juce::jmax(min, juce::jmin(max, dragStartValue - steps * interval)));
}

void ParameterLabel::textWasEdited()
{
    const double typed = getText().getDoubleValue();
    reportValue(juce::jmax(min, juce::jmin(max, typed)));
}
