#include "ParameterPopupMenu.h"

void ParameterPopupMenu::paint(juce::Graphics& g)
{
    // Without an image nothing is drawn behind the text: the pages that leave it out have the
    // box's field in their own artwork.
    if (background.isValid())
    {
        g.setImageResamplingQuality(juce::Graphics::highResamplingQuality);
        g.drawImageWithin(background, 0, 0, getWidth(), getHeight(), juce::RectanglePlacement::centred, false);
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
