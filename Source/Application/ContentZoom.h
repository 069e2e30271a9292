#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

class MainComponent;

/** The window's content: shows the main component, which keeps its own 1052 x 677 layout,
    scaled uniformly to this component's width, on black. Message thread only. */
class ContentZoom : public juce::Component
{
public:
    /** Takes the content's size and adds it as a visible child; the content is not owned. */
    explicit ContentZoom(MainComponent* content);

    void paint(juce::Graphics& g) override;
    void resized() override;

private:
    MainComponent* content;
};
