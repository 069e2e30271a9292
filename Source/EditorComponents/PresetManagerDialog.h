#pragma once

#include "ModalDialogContent.h"
#include "PresetManagerList.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <vector>

/** The preset manager's dialog content: the preset grid, SAVE (Return) and CANCEL (Escape),
    UNDO (Command+Z) and REDO (Command+Shift+Z or Command+Y). SAVE ends the dialog with 1, CANCEL
    or closing the window with 0; the caller reads the orders from the list afterwards. It is the
    drag-and-drop container of the grid's drags. Message thread only. */
class PresetManagerDialog : public ModalDialogContent, public juce::DragAndDropContainer
{
public:
    static constexpr int rowsPerColumn = 32;
    static constexpr int columnWidth = 150;
    static constexpr int rowHeight = 20;
    static constexpr float fontHeight = 13.0f;
    static constexpr int maxItems = 128;
    static const juce::Colour backgroundColour;

    /** One grid position per number text; names and states (the grid's 0..2) are read for as
        many positions as they have. */
    PresetManagerDialog(const std::vector<juce::String>& numberTexts, const std::vector<juce::String>& names,
                        const std::vector<int>& states);
    ~PresetManagerDialog() override;

    PresetManagerList& getList() { return list; }
    juce::Button& getSaveButton() { return getConfirmButton(); }
    juce::Button& getUndoButton() { return undoButton; }
    juce::Button& getRedoButton() { return redoButton; }

    void paint(juce::Graphics& g) override;
    void resized() override;
    bool keyPressed(const juce::KeyPress& key) override;

private:
    PresetManagerList list;
    juce::TextButton undoButton { "UNDO" };
    juce::TextButton redoButton { "REDO" };

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(PresetManagerDialog)
};
