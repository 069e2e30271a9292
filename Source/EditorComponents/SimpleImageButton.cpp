#include "SimpleImageButton.h"

SimpleImageButton::SimpleImageButton(const juce::Image& normal, const juce::Image& over)
    : normalImage(normal), overImage(over)
{
}

void SimpleImageButton::setTextColour(juce::Colour colour)
{
    textColour = colour;
    litTextColour = colour;
    repaint();
}

void SimpleImageButton::setTextAlignment(int horizontal, int vertical)
{
    static constexpr int placements[] = {
        juce::Justification::topLeft,      juce::Justification::centredTop,    juce::Justification::topRight,
        juce::Justification::centredLeft,  juce::Justification::centred,       juce::Justification::centredRight,
        juce::Justification::bottomLeft,   juce::Justification::centredBottom, juce::Justification::bottomRight,
    };
    const bool inRange = horizontal >= -1 && horizontal <= 1 && vertical >= -1 && vertical <= 1;
    justification = inRange ? placements[horizontal + 3 * vertical + 4] : int(juce::Justification::centred);
}

void SimpleImageButton::paint(juce::Graphics& g)
{
    const bool lit = isLit();
    const auto& image = lit ? overImage : normalImage;
    if (image.isValid())
        g.drawImageWithin(image, 0, 0, getWidth(), getHeight(), juce::RectanglePlacement::fillDestination);

    if (text.isNotEmpty())
    {
        g.setColour(lit ? litTextColour : textColour);
        g.setFont(font);
        g.drawFittedText(text, getLocalBounds(), juce::Justification(justification), 2, 0.7f);
    }
}

void SimpleImageButton::mouseDown(const juce::MouseEvent&)
{
    pressed = true;
    repaint();
}

void SimpleImageButton::mouseUp(const juce::MouseEvent&)
{
    if (!pressed)
        return;
    pressed = false;
    repaint();
    if (onClick)
        onClick();
}

void SimpleImageButton::mouseDoubleClick(const juce::MouseEvent&)
{
    if (onDoubleClick)
        onDoubleClick();
}
