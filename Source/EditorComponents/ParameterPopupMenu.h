#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

/** A read-out box: a background image with the current choice's name centred on it, and a click
    callback on mouse down (which usually opens a pop-up list). The owner sets the appearance
    fields directly and repaints. Without a background image only the text is drawn, over
    whatever the parent shows there. Message thread only. */
class ParameterPopupMenu : public juce::Component
{
public:
    ParameterPopupMenu() = default;

    void paint(juce::Graphics& g) override;
    /** Calls onClick with this box. onClick may delete the box (say, by rebuilding the panel
        that owns it while a pop-up runs); nothing touches the box after it returns. */
    void mouseDown(const juce::MouseEvent& e) override;

    std::function<void(juce::Component*)> onClick;
    juce::Image background;
    juce::Colour textColour { 0xFFFFFFFF };
    juce::Font font;
    juce::String text;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(ParameterPopupMenu)
};
