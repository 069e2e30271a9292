#pragma once

#include "DialogFocus.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

/** Base of the editor's small dialogs (save, rename, options): the content of a library dialog
    window with a confirming and a cancelling text button. The confirming button, or Return
    anywhere in the dialog, ends the window with 1; CANCEL, Escape or the window's close button
    end it with 0. Message thread only. */
class ModalDialogContent : public juce::Component, private juce::Button::Listener
{
public:
    ~ModalDialogContent() override;

    /** Shows this content in a modal dialog window titled `title` (only title and content are
        set: JUCE's defaults for background, title bar, resizing and Escape apply) and returns
        the result. The content stays the caller's and is read after the call. */
    int runModal(const juce::String& title);

    juce::Button& getConfirmButton() { return confirmButton; }
    juce::Button& getCancelButton() { return cancelButton; }

    bool keyPressed(const juce::KeyPress& key) override;
    void parentHierarchyChanged() override;

protected:
    explicit ModalDialogContent(const juce::String& confirmText);

    /** The control that gets the keyboard focus once the dialog is up. */
    void setInitialFocus(juce::Component& target);
    /** Both buttons 80 x 24 at the bottom right. */
    void layOutButtons();
    /** Ends the enclosing dialog window (or this content's own modal state) with `result`. */
    void endDialog(int result);

private:
    void buttonClicked(juce::Button* button) override;

    juce::TextButton confirmButton;
    juce::TextButton cancelButton;
    std::unique_ptr<DialogFocus> initialFocus;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(ModalDialogContent)
};
