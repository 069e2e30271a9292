#pragma once

#include "ExtendedTableListBox.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <vector>

class ListBoxTextEditor;

/** The edit page's list of preset slots: number and name per row, the device's current preset
    in bold, placeholders for slots being read or empty, and an in-place editor for renaming.
    Holds only the rows the owner pushes; every setter records and schedules one coalesced
    refresh, because updates come in bursts. User actions go to Handler. Message thread only. */
class PresetList : public ExtendedTableListBox,
                   public juce::TableListBoxModel,
                   public juce::AsyncUpdater,
                   public juce::TextEditor::Listener
{
public:
    class Handler
    {
    public:
        virtual ~Handler() = default;
        /** The selection changed to `row`; -1 when it was cleared. */
        virtual void onPresetListPresetSelected(int row) = 0;
        /** The user confirmed a new name with Return. */
        virtual void onPresetListPresetRenamed(int row, const juce::String& name) = 0;
        /** A pop-up-menu click on a cell (right button or Ctrl-click). */
        virtual void onPresetListMenuRequested(int row) = 0;
        /** A double click in the Name column. */
        virtual void onPresetListRenameRequested(int row) = 0;
    };

    enum RowState
    {
        rowEmpty = 0,
        rowRefreshing = 1,
        rowValid = 2
    };

    struct Row
    {
        juce::String number;
        juce::String name;
        int state = rowEmpty; // 1 being read, 2 valid, anything else an empty slot
    };

    enum ColumnID
    {
        numberColumn = 1,
        nameColumn = 2
    };

    static constexpr const char* refreshingText = "(Refreshing...)";
    static constexpr const char* emptyText = "(Empty)";

    /** The edit page uses (handler, 24, 31, false, 13.0). */
    PresetList(Handler* handler, int rowHeight, int numberColumnWidth, bool showHeader, float fontHeight);
    ~PresetList() override;

    /** New rows are empty. */
    void setNumRows(int n);
    /** Ignored for a row outside the list; closes the editor when it is this row's. */
    void setRow(int row, const juce::String& number, const juce::String& name, int state);
    /** The row drawn in bold; -1 for none. */
    void setCurrentRow(int row);
    /** Makes `row` the only selected row (none when negative) without telling the handler. */
    void selectRow(int row);
    /** The first selected row, -1 for none. */
    int getSelectedRow() const;
    /** Opens the in-place editor on the row's name with `name`, once the table rebuilds. */
    void beginRename(int row, const juce::String& name);

    int getEditingRow() const { return editingRow; }
    int getCurrentRow() const { return currentRow; }
    const std::vector<Row>& getRows() const { return rows; }
    /** The in-place editor while it is on screen, else null. */
    ListBoxTextEditor* getRenameEditor() const;
    /** The text and colour a cell shows (what paintCell draws). */
    juce::String getCellText(int row, int columnId) const;
    juce::Colour getCellColour(int row, int columnId, bool rowIsSelected) const;

    // juce::TableListBoxModel
    int getNumRows() override;
    void paintRowBackground(juce::Graphics& g, int rowNumber, int width, int height, bool rowIsSelected) override;
    void paintCell(juce::Graphics& g, int rowNumber, int columnId, int width, int height,
                   bool rowIsSelected) override;
    juce::Component* refreshComponentForCell(int rowNumber, int columnId, bool isRowSelected,
                                             juce::Component* existingComponentToUpdate) override;
    void cellClicked(int rowNumber, int columnId, const juce::MouseEvent& e) override;
    void selectedRowsChanged(int lastRowSelected) override;

    // juce::TextEditor::Listener
    void textEditorTextChanged(juce::TextEditor&) override {}
    void textEditorReturnKeyPressed(juce::TextEditor& editor) override;
    void textEditorEscapeKeyPressed(juce::TextEditor& editor) override;
    void textEditorFocusLost(juce::TextEditor& editor) override;

    void handleAsyncUpdate() override;
    void resized() override;

private:
    void cancelRename();

    Handler* handler;
    int editingRow = -1;
    int currentRow = -1;
    float fontHeight;
    juce::String renameText;
    std::vector<Row> rows;
    bool updatingContent = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(PresetList)
};
