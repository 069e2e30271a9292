#pragma once

#include "ModalDialogContent.h"

#include <vector>

/** The content of the "Save Preset As..." dialog: a target slot from the slot texts and a name.
    The caller runs it (runModal) and, after result 1 (SAVE), reads getSelectedSlot and
    getPresetName. Message thread only. */
class SavePresetDialog : public ModalDialogContent
{
public:
    /** One slot-box item per text (ids 1, 2, 3 ...); selectedIndex -1 selects nothing. */
    SavePresetDialog(const std::vector<juce::String>& slotTexts, int selectedIndex, const juce::String& name);
    ~SavePresetDialog() override;

    /** The chosen slot, 0-based; -1 when none is chosen. */
    int getSelectedSlot() const { return slotBox.getSelectedItemIndex(); }
    /** The name as typed; any text, since the editor service cuts and cleans names. */
    juce::String getPresetName() const { return nameField.getText(); }

    juce::ComboBox& getSlotBox() { return slotBox; }
    juce::TextEditor& getNameField() { return nameField; }
    juce::Button& getSaveButton() { return getConfirmButton(); }

    void resized() override;

private:
    juce::Label slotLabel;
    juce::Label nameLabel;
    juce::ComboBox slotBox;
    juce::TextEditor nameField;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(SavePresetDialog)
};
