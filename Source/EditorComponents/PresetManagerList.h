#pragma once

#include "ExtendedTableListBox.h"
#include "ExtendedTableListBoxModel.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <vector>

/** One grid position of the preset manager: the preset that stands there and where it came from. */
struct PresetManagerEntry
{
    int presetIndex = -1; // the device slot the preset came from
    juce::String numberText;
    juce::String name;
    int state = 0; // 0 not yet read or stale, 1 being read, 2 valid
};

/** The preset manager's grid: every preset slot in columns of rowsPerColumn, a selection of one
    or several cells that can be dragged elsewhere (the dragged presets swap places with the ones
    they land on), and an undo history of the moves. Its drags need an enclosing
    juce::DragAndDropContainer. Message thread only. */
class PresetManagerList : public ExtendedTableListBox,
                          public ExtendedTableListBoxModel,
                          public juce::DragAndDropTarget
{
public:
    /** Entry states as the grid shows them. */
    enum EntryState
    {
        kEntryNotRead = 0,
        kEntryBeingRead = 1,
        kEntryValid = 2
    };

    /** One step of the history: the order after a move and the selection around it. */
    struct UndoState
    {
        std::vector<PresetManagerEntry> entries;
        std::vector<bool> undoSelection;
        std::vector<bool> redoSelection;
        std::vector<int> selectionOrder;
        int anchorRow = -1;
        int anchorColumn = -1;
    };

    PresetManagerList(float fontHeight, int rowHeight, int columnWidth, int rowsPerColumn, int maxItems,
                      bool showHeader);
    ~PresetManagerList() override;

    /** The editor service's entry state (not read, stale, being read, valid) as the grid shows it. */
    static int mapServiceState(int serviceState);

    /** Sizes the grid to n positions, clears selection and marks, and starts the history. */
    void setItemCount(int n);
    int getItemCount() const { return itemCount; }
    int getNumColumns() const;
    /** Sets position i as it was when the dialog opened. */
    void setItem(int i, const juce::String& numberText, const juce::String& name, int state);

    /** presetIndex of every position as opened, and as arranged now. */
    std::vector<int> getOpeningOrder() const;
    std::vector<int> getNewOrder() const;

    void undo();
    void redo();
    bool canUndo() const { return int(history.size()) - 2 - undoDepth >= 0; }
    bool canRedo() const { return undoDepth > 0; }

    const std::vector<PresetManagerEntry>& getEntries() const { return entries; }
    bool isSelected(int position) const;
    bool isMoved(int position) const;
    bool isInDropPreview(int position) const;
    const std::vector<int>& getSelectionOrder() const { return selectionOrder; }
    int getHistorySize() const { return int(history.size()); }
    int getGridPosition(int row, int columnId) const { return (columnId - 1) * rowsPerColumn + row; }
    int getRowHeight() const { return rowHeight; }
    int getColumnWidth() const { return columnWidth; }

    /** Text and colours of a cell as painted. */
    juce::String getCellText(int position) const;
    juce::Colour getCellTextColour(int position) const;
    static const juce::Colour movedTextColour;

    // juce::Component
    void resized() override;

    // juce::TableListBoxModel / ExtendedTableListBoxModel
    int getNumRows() override;
    void paintRowBackground(juce::Graphics&, int, int, int, bool) override {}
    void paintCell(juce::Graphics& g, int rowNumber, int columnId, int width, int height, bool rowIsSelected) override;
    void cellClicked(int rowNumber, int columnId, const juce::MouseEvent& event) override;
    void cellMouseUp(int rowNumber, int columnId, const juce::MouseEvent& event) override;
    void cellDragged(int rowNumber, int columnId, const juce::MouseEvent& event) override;
    void selectedRowsChanged(int) override {}
    juce::var getDragSourceDescription(const juce::SparseSet<int>& rowsToDescribe) override;

    // juce::DragAndDropTarget
    bool isInterestedInDragSource(const SourceDetails&) override { return true; }
    void itemDragEnter(const SourceDetails& details) override;
    void itemDragMove(const SourceDetails& details) override;
    void itemDragExit(const SourceDetails& details) override;
    void itemDropped(const SourceDetails& details) override;

private:
    bool isInside(int position) const { return position >= 0 && position < itemCount; }
    void select(int position);
    void removeFromSelectionOrder(int position);
    void clearSelection();
    void recomputeMoved();
    void restore(const UndoState& state, const std::vector<bool>& selection);
    UndoState makeState() const;
    /** Marks the run a drop at the hover cell would fill. */
    void updateDropPreview();
    /** Stores the selection of before a drag in the state on screen, for its undo. */
    void rememberSelectionBeforeMove();
    void placeSelectionOnPreview();

    const float fontHeight;
    const int rowHeight;
    const int columnWidth;
    const int rowsPerColumn;
    int itemCount = 0;

    std::vector<PresetManagerEntry> entries;
    std::vector<PresetManagerEntry> openingEntries;
    std::vector<bool> selected;
    std::vector<int> selectionOrder;
    int anchorRow = -1;
    int anchorColumn = -1;
    int previousAnchorRow = -1;
    int previousAnchorColumn = -1;
    std::vector<bool> dropPreview;
    std::vector<bool> moved;
    int hoverRow = -1;
    int hoverColumn = -1;
    int shownHoverRow = -1;
    int shownHoverColumn = -1;
    int dropColumn = -1;
    bool dragInside = false;
    std::vector<UndoState> history;
    int undoDepth = 0;
    bool selectionChanged = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(PresetManagerList)
};
