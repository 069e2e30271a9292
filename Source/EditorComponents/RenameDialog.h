#pragma once

#include "ModalDialogContent.h"

#include <string>

/** The content of a rename dialog: a prompt and a name field, confirmed with RENAME. Message
    thread only. */
class RenameDialog : public ModalDialogContent
{
public:
    RenameDialog(const juce::String& prompt, const juce::String& name);
    ~RenameDialog() override;

    juce::String getNewName() const { return nameField.getText(); }

    juce::Label& getPromptLabel() { return promptLabel; }
    juce::TextEditor& getNameField() { return nameField; }
    juce::Button& getRenameButton() { return getConfirmButton(); }

    void resized() override;

private:
    juce::Label promptLabel;
    juce::TextEditor nameField;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(RenameDialog)
};

/** Asks for a new name in a modal dialog titled `title` (title and prompt shown as given). On
    RENAME stores the typed text (UTF-8) in `name` and returns true; otherwise returns false and
    leaves `name` as it was. Any text is accepted: the editor service cuts and cleans names. */
bool showRenameDialog(const char* title, const char* prompt, std::string& name);
