#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** The strip along the top of the window that moves it: the window has no native title bar. */
class DragBar : public juce::Component
{
public:
    void mouseDown(const juce::MouseEvent& e) override;
    void mouseDrag(const juce::MouseEvent& e) override;

private:
    juce::ComponentDragger dragger;
};
