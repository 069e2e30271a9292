#include "SavePresetDialog.h"

SavePresetDialog::SavePresetDialog(const std::vector<juce::String>& slotTexts, int selectedIndex,
                                   const juce::String& name)
    : ModalDialogContent("SAVE"), slotLabel({}, "Store to slot number:"), nameLabel({}, "Preset Name:")
{
    int itemID = 1;
    for (const auto& text : slotTexts)
        slotBox.addItem(text, itemID++);
    slotBox.setSelectedItemIndex(selectedIndex, juce::sendNotificationAsync);

    nameField.setMultiLine(false);
    nameField.setText(name, false);
    // Return and Escape typed in the field go on to the dialog, which confirms or cancels.
    nameField.setEscapeAndReturnKeysConsumed(false);

    addAndMakeVisible(slotLabel);
    addAndMakeVisible(nameLabel);
    addAndMakeVisible(slotBox);
    addAndMakeVisible(nameField);
    setInitialFocus(nameField);
    setSize(360, 200);
}

SavePresetDialog::~SavePresetDialog() = default;

void SavePresetDialog::resized()
{
    slotLabel.setBounds(10, 10, 355, 24);
    slotBox.setBounds(10, 34, 300, 24);
    nameLabel.setBounds(10, 80, 355, 24);
    nameField.setBounds(10, 104, 300, 24);
    layOutButtons();
}
