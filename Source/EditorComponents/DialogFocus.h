#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** Puts the keyboard focus on one control of a dialog once the dialog is on screen, so that
    typing, Return and Escape reach the dialog at once (a text field also gets its text
    selected). The window can only pass the focus on after the windowing system has given it the
    focus, a little after it appears, so this tries for a short while; it gives up when the user
    has already put the focus elsewhere in the window. Owned by the dialog; message thread only. */
class DialogFocus : private juce::Timer
{
public:
    explicit DialogFocus(juce::Component& target);
    ~DialogFocus() override;

    /** Starts trying; the dialog calls this when it is put into its window. */
    void start();

private:
    void timerCallback() override;

    juce::Component& target;
    int attemptsLeft = 0;
};
