#include "PresetManagerDialog.h"

const juce::Colour PresetManagerDialog::backgroundColour { 0xFF2A2A2A };

PresetManagerDialog::PresetManagerDialog(const std::vector<juce::String>& numberTexts,
                                         const std::vector<juce::String>& names, const std::vector<int>& states)
    : ModalDialogContent("SAVE"),
      list(fontHeight, rowHeight, columnWidth, rowsPerColumn, maxItems, false)
{
    const int count = int(numberTexts.size());
    list.setItemCount(count);
    for (int i = 0; i < count; ++i)
    {
        const auto index = size_t(i);
        list.setItem(i, numberTexts[index], index < names.size() ? names[index] : juce::String(),
                     index < states.size() ? states[index] : PresetManagerList::kEntryNotRead);
    }
    addAndMakeVisible(list);

    undoButton.addShortcut(juce::KeyPress('z', juce::ModifierKeys::commandModifier, 0));
    redoButton.addShortcut(
        juce::KeyPress('z', juce::ModifierKeys::commandModifier | juce::ModifierKeys::shiftModifier, 0));
    redoButton.addShortcut(juce::KeyPress('y', juce::ModifierKeys::commandModifier, 0));
    undoButton.onClick = [this] { list.undo(); };
    redoButton.onClick = [this] { list.redo(); };
    addAndMakeVisible(undoButton);
    addAndMakeVisible(redoButton);

    // The dialog itself takes the keys: the grid has nothing to type into, and a focused list
    // would keep Return for itself.
    list.setWantsKeyboardFocus(false);
    setWantsKeyboardFocus(true);
    setInitialFocus(*this);

    const int columns = juce::jmax(1, list.getNumColumns());
    setSize(columns * columnWidth + 22, 690);
}

PresetManagerDialog::~PresetManagerDialog() = default;

void PresetManagerDialog::paint(juce::Graphics& g)
{
    g.fillAll(backgroundColour);
}

void PresetManagerDialog::resized()
{
    const int w = getWidth();
    const int h = getHeight();
    list.setBounds(10, 10, w - 20, 642);
    getConfirmButton().setBounds(w - 190, h - 30, 80, 24);
    getCancelButton().setBounds(w - 90, h - 30, 80, 24);
    undoButton.setBounds(10, h - 30, 80, 24);
    redoButton.setBounds(110, h - 30, 80, 24);
}

bool PresetManagerDialog::keyPressed(const juce::KeyPress& key)
{
    const auto command = juce::ModifierKeys(juce::ModifierKeys::commandModifier);
    const auto shiftCommand = juce::ModifierKeys(juce::ModifierKeys::commandModifier | juce::ModifierKeys::shiftModifier);
    const auto code = juce::CharacterFunctions::toLowerCase(juce::juce_wchar(key.getKeyCode()));
    if (code == 'z' && key.getModifiers() == command)
        list.undo();
    else if ((code == 'z' && key.getModifiers() == shiftCommand) || (code == 'y' && key.getModifiers() == command))
        list.redo();
    else
        return ModalDialogContent::keyPressed(key);
    return true;
}
