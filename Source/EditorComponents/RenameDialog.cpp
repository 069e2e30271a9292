#include "RenameDialog.h"

RenameDialog::RenameDialog(const juce::String& prompt, const juce::String& name)
    : ModalDialogContent("RENAME"), promptLabel({}, prompt)
{
    nameField.setMultiLine(false);
    nameField.setText(name, false);
    // Return and Escape typed in the field go on to the dialog, which confirms or cancels.
    nameField.setEscapeAndReturnKeysConsumed(false);

    addAndMakeVisible(promptLabel);
    addAndMakeVisible(nameField);
    setInitialFocus(nameField);
    setSize(360, 100);
}

RenameDialog::~RenameDialog() = default;

void RenameDialog::resized()
{
    promptLabel.setBounds(10, 10, 355, 24);
    nameField.setBounds(10, 34, 300, 24);
    layOutButtons();
}

bool showRenameDialog(const char* title, const char* prompt, std::string& name)
{
    RenameDialog dialog(juce::String::fromUTF8(prompt != nullptr ? prompt : ""), juce::String::fromUTF8(name.c_str()));
    if (dialog.runModal(juce::String::fromUTF8(title != nullptr ? title : "")) != 1)
        return false;
    name = dialog.getNewName().toStdString();
    return true;
}
