#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

/** The plain button of every page: an image for the unlit state, one for the lit state (pressed
    or latched) and optional text drawn over them. A click fires on mouse-up wherever the mouse
    is released. Owners set the public fields directly and repaint. Message thread only. */
class SimpleImageButton : public juce::Component
{
public:
    SimpleImageButton(const juce::Image& normal, const juce::Image& over);

    /** Sets the text colour of both states. */
    void setTextColour(juce::Colour colour);

    /** horizontal and vertical each -1, 0 or 1 (left/top, centre, right/bottom); anything else
        centres the text. */
    void setTextAlignment(int horizontal, int vertical);

    bool isLit() const { return latched || (pressed && highlightWhenPressed); }

    void paint(juce::Graphics& g) override;
    void mouseDown(const juce::MouseEvent& e) override;
    void mouseUp(const juce::MouseEvent& e) override;
    void mouseDoubleClick(const juce::MouseEvent& e) override;

    std::function<void()> onClick;
    std::function<void()> onDoubleClick;
    juce::Image normalImage;
    juce::Image overImage;
    bool highlightWhenPressed = true;
    bool latched = false;
    bool pressed = false;
    juce::String text;
    juce::Colour textColour;
    juce::Colour litTextColour;
    juce::Font font;
    int justification = juce::Justification::centred;
};
