#include "AppResources.h"
#include "GuiTestFixture.h"
#include "ListBoxTextEditor.h"
#include "PeerMouse.h"
#include "PresetList.h"

#include <vector>

namespace
{

struct RecordingHandler : PresetList::Handler
{
    std::vector<int> selected;
    std::vector<std::pair<int, juce::String>> renamed;
    std::vector<int> menus;
    std::vector<int> renameRequests;

    void onPresetListPresetSelected(int row) override { selected.push_back(row); }
    void onPresetListPresetRenamed(int row, const juce::String& name) override { renamed.push_back({ row, name }); }
    void onPresetListMenuRequested(int row) override { menus.push_back(row); }
    void onPresetListRenameRequested(int row) override { renameRequests.push_back(row); }
};

class PresetListTest : public GuiTest
{
protected:
    PresetListTest() : list(&handler, 24, 31, false, 13.0f)
    {
        list.setBounds(0, 0, 162, 541);
        list.setVisible(true); // a hidden list box does not build its rows
        list.setNumRows(6);
        list.setRow(0, "1", "Clean Machine", PresetList::rowValid);
        list.setRow(1, "2", "Crunch", PresetList::rowValid);
        list.setRow(2, "3", "ignored", PresetList::rowRefreshing);
        list.setRow(4, "5", "Lead", PresetList::rowValid);
        list.handleUpdateNowIfNeeded();
    }

    void pump() { juce::MessageManager::getInstance()->runDispatchLoopUntil(30); }

    /** Shows the list in its own window so that the real mouse and keyboard reach it. */
    void putOnDesktop()
    {
        list.addToDesktop(0);
        list.setVisible(true);
        list.handleUpdateNowIfNeeded();
    }

    juce::Point<int> cellCentre(int row, int columnId) const
    {
        return list.getCellPosition(columnId, row, true).getCentre();
    }

    RecordingHandler handler;
    PresetList list;
};

TEST_F(PresetListTest, RowsShowNumberNameOrPlaceholderAndOutOfRangeRowsChangeNothing)
{
    auto& header = list.getHeader();
    EXPECT_EQ(header.getColumnWidth(PresetList::numberColumn) + header.getColumnWidth(PresetList::nameColumn),
              list.getVisibleRowWidth()) << "the columns fill the width";
    EXPECT_EQ(list.getNumRows(), 6);
    EXPECT_EQ(list.getCellText(0, PresetList::numberColumn), "1");
    EXPECT_EQ(list.getCellText(0, PresetList::nameColumn), "Clean Machine");
    EXPECT_EQ(list.getCellText(2, PresetList::nameColumn), "(Refreshing...)");
    EXPECT_EQ(list.getCellText(3, PresetList::nameColumn), "(Empty)");
    EXPECT_EQ(list.getCellText(3, PresetList::numberColumn), "") << "new rows are empty";
    EXPECT_EQ(list.getCellText(9, PresetList::nameColumn), "");

    // Placeholders are half transparent; the number beside them stays opaque.
    EXPECT_EQ(list.getCellColour(3, PresetList::nameColumn, false), listTextColour.withMultipliedAlpha(0.5f));
    EXPECT_EQ(list.getCellColour(2, PresetList::nameColumn, true), listSelectedTextColour.withMultipliedAlpha(0.5f));
    EXPECT_EQ(list.getCellColour(3, PresetList::numberColumn, false), listTextColour);
    EXPECT_EQ(list.getCellColour(0, PresetList::nameColumn, true), listSelectedTextColour);

    list.setRow(-1, "x", "x", 2);
    list.setRow(6, "x", "x", 2);
    ASSERT_EQ(list.getRows().size(), 6u);
    for (const auto& row : list.getRows())
        EXPECT_NE(row.name, "x");

    list.setNumRows(2);
    EXPECT_EQ(list.getNumRows(), 2);
    list.setNumRows(3);
    EXPECT_EQ(list.getCellText(2, PresetList::nameColumn), "(Empty)") << "a row that comes back starts empty";
}

TEST_F(PresetListTest, SelectRowIsSilentButUserSelectionAndClearingAreReported)
{
    list.selectRow(4);
    EXPECT_EQ(list.getSelectedRow(), 4);
    list.selectRow(-1);
    EXPECT_EQ(list.getSelectedRow(), -1);
    EXPECT_TRUE(handler.selected.empty());

    // A row count set in the same pass still takes the selection.
    list.setNumRows(40);
    list.selectRow(30);
    EXPECT_EQ(list.getSelectedRow(), 30);

    list.juce::ListBox::selectRow(1);
    list.deselectAllRows();
    EXPECT_EQ(handler.selected, (std::vector<int> { 1, -1 }));

    // Rows going away drop the selection without it counting as the user's.
    list.selectRow(30);
    list.setNumRows(6);
    list.handleUpdateNowIfNeeded();
    EXPECT_EQ(list.getSelectedRow(), -1);
    EXPECT_EQ(handler.selected, (std::vector<int> { 1, -1 }));
}

TEST_F(PresetListTest, CellClicksRequestRenameAndMenuIndependently)
{
    const auto event = [&](int clicks, juce::ModifierKeys mods) {
        return mouseEvent(list, { 50, 10 }, { 50, 10 }, clicks, mods);
    };
    list.cellClicked(1, PresetList::nameColumn, event(2, juce::ModifierKeys::leftButtonModifier));
    list.cellClicked(1, PresetList::numberColumn, event(2, juce::ModifierKeys::leftButtonModifier));
    list.cellClicked(2, PresetList::numberColumn, event(1, juce::ModifierKeys::rightButtonModifier));
    list.cellClicked(3, PresetList::nameColumn, event(1, juce::ModifierKeys::ctrlModifier));
    list.cellClicked(4, PresetList::nameColumn,
                     event(2, juce::ModifierKeys::rightButtonModifier)); // right double click: both
    list.cellClicked(5, PresetList::nameColumn, event(1, juce::ModifierKeys::leftButtonModifier));

    EXPECT_EQ(handler.renameRequests, (std::vector<int> { 1, 4 }));
    EXPECT_EQ(handler.menus, (std::vector<int> { 2, 3, 4 }));
}

TEST_F(PresetListTest, RealMouseSelectsRequestsMenuAndRename)
{
    if (!hasDisplay())
        GTEST_SKIP() << "needs a display";
    putOnDesktop();
    PeerMouse mouse(list);

    mouse.click(cellCentre(1, PresetList::nameColumn));
    EXPECT_EQ(handler.selected, (std::vector<int> { 1 }));
    EXPECT_EQ(list.getSelectedRow(), 1);

    mouse.click(cellCentre(4, PresetList::numberColumn), juce::ModifierKeys::rightButtonModifier);
    EXPECT_EQ(handler.menus, (std::vector<int> { 4 }));
    EXPECT_EQ(handler.selected.back(), 4) << "a right click on another row selects it";

    mouse.doubleClick(cellCentre(4, PresetList::nameColumn));
    EXPECT_EQ(handler.renameRequests, (std::vector<int> { 4 }));
    list.removeFromDesktop();
}

TEST_F(PresetListTest, ReturnInTheEditorReportsTheNameAndClosesIt)
{
    if (!hasDisplay())
        GTEST_SKIP() << "needs a display";
    putOnDesktop();
    list.beginRename(1, "Crunch");
    EXPECT_EQ(list.getRenameEditor(), nullptr) << "shown when the table rebuilds";
    list.handleUpdateNowIfNeeded();

    auto* editor = list.getRenameEditor();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->getText(), "Crunch");
    EXPECT_EQ(editor->getHighlightedRegion(), juce::Range<int>(0, 6));
    EXPECT_EQ(editor->getCaretPosition(), 6);
    EXPECT_EQ(editor->getBounds(), list.getHeader().getColumnPosition(1).withY(0).withHeight(24));
    // Once it is drawn on screen typing goes straight into it.
    list.toFront(true);
    juce::Image canvas(juce::Image::RGB, list.getWidth(), list.getHeight(), true);
    juce::Graphics g(canvas);
    list.paintEntireComponent(g, false);
    EXPECT_TRUE(editor->hasKeyboardFocus(false));

    editor->setText("Crunch Lead", false);
    editor->keyPressed(juce::KeyPress(juce::KeyPress::returnKey));
    pump(); // the editor reports Return from its message queue
    ASSERT_EQ(handler.renamed.size(), 1u);
    EXPECT_EQ(handler.renamed[0], std::make_pair(1, juce::String("Crunch Lead")));
    EXPECT_EQ(list.getEditingRow(), -1);
    list.handleUpdateNowIfNeeded();
    EXPECT_EQ(list.getCellComponent(PresetList::nameColumn, 1), nullptr);

    // Return with nothing being edited reports nothing.
    ListBoxTextEditor stray("x");
    list.textEditorReturnKeyPressed(stray);
    EXPECT_EQ(handler.renamed.size(), 1u);
    list.removeFromDesktop();
}

TEST_F(PresetListTest, EscapeSelectionChangeAndRowUpdateCloseTheEditorSilently)
{
    list.beginRename(0, "Clean Machine");
    list.handleUpdateNowIfNeeded();
    ASSERT_NE(list.getRenameEditor(), nullptr);
    list.textEditorEscapeKeyPressed(*list.getRenameEditor());
    EXPECT_EQ(list.getEditingRow(), -1);
    list.handleUpdateNowIfNeeded();
    EXPECT_EQ(list.getRenameEditor(), nullptr);

    list.beginRename(0, "Clean Machine");
    list.handleUpdateNowIfNeeded();
    list.setRow(0, "1", "Renamed on the pedal", PresetList::rowValid); // the edited row changed
    EXPECT_EQ(list.getEditingRow(), -1);

    list.beginRename(4, "Lead");
    list.juce::ListBox::selectRow(4); // selecting the edited row keeps the editor
    EXPECT_EQ(list.getEditingRow(), 4);
    list.juce::ListBox::selectRow(2);
    EXPECT_EQ(list.getEditingRow(), -1);

    list.beginRename(1, "Crunch");
    list.handleUpdateNowIfNeeded();
    list.textEditorFocusLost(*list.getRenameEditor());
    EXPECT_EQ(list.getEditingRow(), -1);
    EXPECT_TRUE(handler.renamed.empty());
}

} // namespace
