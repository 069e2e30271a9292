#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** The in-place name editor of a list cell: one line, all text selected with the caret at the
    end, and it takes the keyboard focus the first time it is painted on screen. Message thread
    only. */
class ListBoxTextEditor : public juce::TextEditor
{
public:
    explicit ListBoxTextEditor(const juce::String& initialText);

    bool hasGrabbedFocus() const { return focusGrabbed; }

    void paint(juce::Graphics& g) override;

private:
    bool focusGrabbed = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(ListBoxTextEditor)
};
