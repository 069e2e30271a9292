#include "ParameterPopupMenu.h"

void ParameterPopupMenu::paint(juce::Graphics& g)
{
    if (background.isValid())
    {
        g.setImageResamplingQuality(juce::Graphics::highResamplingQuality);
        g.drawImageWithin(background, 0, 0, getWidth(), getHeight(), juce::RectanglePlacement::centred, false);
    }
    else
    {
        // The read-out box's shape without its artwork: a recessed field with a faint rim.
        const auto field = getLocalBounds().toFloat().reduced(1.0f, 2.0f);
        g.setColour(juce::Colour(0xFF141517));
        g.fillRoundedRectangle(field, 4.0f);
        g.setColour(juce::Colour(0xFF3A3C41));
        g.drawRoundedRectangle(field.reduced(0.5f), 4.0f, 1.0f);
    }

    if (text.isNotEmpty())
    {
        g.setColour(textColour);
        g.setFont(font);
        g.drawText(text, getLocalBounds(), juce::Justification::centred, true);
    }
}

void ParameterPopupMenu::mouseDown(const juce::MouseEvent&)
{
    // A copy, so that the handler survives even if it deletes this box.
    if (auto handler = onClick)
        handler(this);
}
