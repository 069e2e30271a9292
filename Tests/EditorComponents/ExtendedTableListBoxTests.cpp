#include "ExtendedTableListBox.h"
#include "GuiTestFixture.h"
#include "PeerMouse.h"

#include <optional>
#include <vector>

namespace
{

constexpr int rowsPerColumn = 8;
constexpr int numColumns = 4;
constexpr int columnWidth = 50;
constexpr int rowHeight = 20;

juce::Colour cellColour(int position)
{
    return juce::Colour::fromHSV(float(position) / float(rowsPerColumn * numColumns), 1.0f, 1.0f, 1.0f);
}

juce::String cellName(int row, int columnId)
{
    return juce::String(row) + " " + juce::String(columnId);
}

/** A grid of 4 columns of 8 cells, each filled with its own colour; records every callback. */
struct GridModel : ExtendedTableListBoxModel
{
    juce::StringArray events;
    juce::var description; // what getDragSourceDescription hands out
    std::function<juce::Component*(int, int, juce::Component*)> cellComponents;

    int getNumRows() override { return rowsPerColumn; }
    void paintRowBackground(juce::Graphics&, int, int, int, bool) override {}
    void paintCell(juce::Graphics& g, int row, int columnId, int, int, bool) override
    {
        g.fillAll(cellColour((columnId - 1) * rowsPerColumn + row));
    }
    juce::Component* refreshComponentForCell(int row, int columnId, bool, juce::Component* existing) override
    {
        if (cellComponents)
            return cellComponents(row, columnId, existing);
        delete existing;
        return nullptr;
    }
    void cellClicked(int row, int columnId, const juce::MouseEvent&) override { add("click", row, columnId); }
    void cellDoubleClicked(int row, int columnId, const juce::MouseEvent&) override { add("double", row, columnId); }
    void cellMouseUp(int row, int columnId, const juce::MouseEvent&) override { add("up", row, columnId); }
    void cellDragged(int row, int columnId, const juce::MouseEvent&) override { add("drag", row, columnId); }
    juce::var getDragSourceDescription(const juce::SparseSet<int>&) override { return description; }

    void add(const char* what, int row, int columnId) { events.add(juce::String(what) + " " + cellName(row, columnId)); }
    int count(const juce::String& prefix) const
    {
        int n = 0;
        for (const auto& event : events)
            n += event.startsWith(prefix) ? 1 : 0;
        return n;
    }
};

/** Four fixed columns with no header, rows of `rowHeight`, at the grid's size. */
void shapeAsGrid(ExtendedTableListBox& table)
{
    for (int column = 1; column <= numColumns; ++column)
        table.getHeader().addColumn("#", column, columnWidth, columnWidth, columnWidth, juce::TableHeaderComponent::visible);
    table.setHeaderHeight(0);
    table.setRowHeight(rowHeight);
    table.setBounds(0, 0, numColumns * columnWidth, rowsPerColumn * rowHeight);
}

/** A window holding the grid table; with `container` it is the drag-and-drop container and the
    drop target. */
struct GridHost : juce::Component, juce::DragAndDropContainer, juce::DragAndDropTarget
{
    GridHost(const juce::String& tableName, juce::TableListBoxModel& model) : table(tableName, &model)
    {
        shapeAsGrid(table);
        table.getHeader().setVisible(false);
        table.setMultipleSelectionEnabled(true);
        addAndMakeVisible(table);
        setBounds(table.getBounds());
    }

    bool isInterestedInDragSource(const SourceDetails&) override { return true; }
    void itemDropped(const SourceDetails& details) override
    {
        if (auto* recording = dynamic_cast<GridModel*>(table.getModel()))
            recording->events.add("dropped " + details.description.toString());
        dropped = details.description;
    }

    ExtendedTableListBox table;
    juce::var dropped;
};

class ExtendedTableTest : public GuiTest
{
protected:
    static juce::Point<int> cell(int row, int column)
    {
        return { (column - 1) * columnWidth + columnWidth / 2, row * rowHeight + rowHeight / 2 };
    }

    static GridDragDescription grid(std::vector<int> order, int anchorColumn, int anchorRow)
    {
        GridDragDescription description;
        description.selected.assign(rowsPerColumn * numColumns, false);
        for (const int position : order)
            description.selected[size_t(position)] = true;
        description.selectionOrder = order;
        description.anchorColumn = anchorColumn;
        description.anchorRow = anchorRow;
        description.columnWidth = columnWidth;
        description.itemCount = rowsPerColumn * numColumns;
        description.rowsPerColumn = rowsPerColumn;
        return description;
    }

    void show(juce::Component& window)
    {
        window.addToDesktop(0);
        window.setVisible(true);
    }

    /** Runs the message loop until the drag image of a finished drag has gone (JUCE removes it
        from a timer), so no window is left behind. */
    static void finishDrag(GridHost& host)
    {
        for (int i = 0; i < 300 && host.isDragAndDropActive(); ++i)
            juce::MessageManager::getInstance()->runDispatchLoopUntil(10);
        EXPECT_FALSE(host.isDragAndDropActive());
    }
};

TEST_F(ExtendedTableTest, MouseDownReportsTheClickAtOnceAlsoOnASelectedRow)
{
    if (!hasDisplay())
        GTEST_SKIP() << "needs a display";
    GridModel model;
    GridHost host("Grid", model);
    show(host);
    PeerMouse mouse(host);

    mouse.click(cell(2, 3));
    EXPECT_TRUE(host.table.isRowSelected(2));
    ASSERT_EQ(model.events, juce::StringArray({ "click 2 3", "up 2 3" }));

    // JUCE would hold this click back until mouse up; here it comes with the press.
    model.events.clear();
    mouse.move(cell(2, 1));
    mouse.down(cell(2, 1));
    EXPECT_EQ(model.events, juce::StringArray({ "click 2 1" }));
    mouse.up(cell(2, 4) + juce::Point<int>(0, 2 * rowHeight)); // released two rows down, in column 4
    EXPECT_EQ(model.events, juce::StringArray({ "click 2 1", "up 2 4" }));
    EXPECT_EQ(model.count("drag"), 0) << "no drag without a description";
    host.removeFromDesktop();
}

TEST_F(ExtendedTableTest, PlainModelSeesOnlyJuceCallbacksAndPaintsItsCells)
{
    struct PlainModel : juce::TableListBoxModel
    {
        juce::StringArray events;
        int getNumRows() override { return rowsPerColumn; }
        void paintRowBackground(juce::Graphics&, int, int, int, bool) override {}
        void paintCell(juce::Graphics& g, int row, int columnId, int, int, bool) override
        {
            g.fillAll(cellColour((columnId - 1) * rowsPerColumn + row));
        }
        void cellClicked(int row, int column, const juce::MouseEvent&) override { events.add("click " + cellName(row, column)); }
        void cellDoubleClicked(int row, int column, const juce::MouseEvent&) override
        {
            events.add("double " + cellName(row, column));
        }
    } model;
    GridHost host(ExtendedTableListBox::cellDragReportingName, model);
    host.setVisible(true);

    const auto image = host.createComponentSnapshot(host.getLocalBounds());
    for (const int position : { 0, 7, 13, 31 })
    {
        const auto at = cell(position % rowsPerColumn, position / rowsPerColumn + 1);
        EXPECT_TRUE(near(image.getPixelAt(at.x, at.y), cellColour(position))) << position;
    }

    if (!hasDisplay())
        return;
    show(host);
    PeerMouse mouse(host);
    mouse.doubleClick(cell(5, 2));
    EXPECT_EQ(model.events, juce::StringArray({ "click 5 2", "click 5 2", "double 5 2" }));
    host.removeFromDesktop();
}

TEST_F(ExtendedTableTest, OnlyTheNamedTableReportsDragMovesAndTheReleaseComesBeforeTheDrop)
{
    if (!hasDisplay())
        GTEST_SKIP() << "needs a display";
    for (const auto& name : { juce::String("Other"), juce::String(ExtendedTableListBox::cellDragReportingName) })
    {
        GridModel model;
        model.description = grid({ 1 }, 1, 1).toVar();
        GridHost host(name, model);
        show(host);
        PeerMouse mouse(host);

        mouse.dragFromTo(cell(1, 1), cell(6, 3));
        EXPECT_EQ(model.events[0], "click 1 1");
        const int dropAt = model.events.indexOf("dropped " + host.dropped.toString());
        const int upAt = model.events.indexOf("up 1 3"); // the pressed row, the column under the pointer
        ASSERT_GE(upAt, 0) << model.events.joinIntoString(", ");
        ASSERT_GE(dropAt, 0) << model.events.joinIntoString(", ");
        EXPECT_LT(upAt, dropAt) << "the column of the release is known when the drop arrives";
        EXPECT_TRUE(GridDragDescription::fromVar(host.dropped).has_value());

        // Every move is reported, with the pressed row and the column under the pointer.
        const bool reporting = name != "Other";
        EXPECT_EQ(model.count("drag") > 1, reporting);
        EXPECT_EQ(model.events.contains("drag 1 1"), reporting);
        EXPECT_EQ(model.events.contains("drag 1 3"), reporting);
        EXPECT_FALSE(model.events.contains("drag 6 3"));
        finishDrag(host);

        // The drag image is a window of its own, free to leave the dialog.
        const int windows = juce::Desktop::getInstance().getNumComponents();
        mouse.move(cell(1, 1));
        mouse.down(cell(1, 1));
        mouse.drag(cell(3, 1));
        mouse.drag(cell(4, 1));
        EXPECT_EQ(juce::Desktop::getInstance().getNumComponents(), windows + 1);
        mouse.up(cell(4, 1));
        finishDrag(host);
        host.removeFromDesktop();
    }
}

TEST_F(ExtendedTableTest, OtherDescriptionsDragAsJuceDoesAndWithoutAContainerNothingStarts)
{
    if (!hasDisplay())
        GTEST_SKIP() << "needs a display";
    {
        GridModel model;
        model.description = "rows";
        GridHost host("Grid", model);
        show(host);
        PeerMouse mouse(host);
        mouse.dragFromTo(cell(3, 2), cell(7, 4));
        EXPECT_EQ(host.dropped.toString(), "rows");
        finishDrag(host);
        host.removeFromDesktop();
    }
    {
        // The same grid in a window that is no drag-and-drop container.
        GridModel model;
        model.description = grid({ 3 }, 1, 3).toVar();
        ExtendedTableListBox table(ExtendedTableListBox::cellDragReportingName, &model);
        shapeAsGrid(table);
        show(table);
        PeerMouse mouse(table);
        mouse.dragFromTo(cell(3, 1), cell(5, 2));
        EXPECT_FALSE(juce::DragAndDropContainer::findParentDragContainerFor(&table) != nullptr);
        EXPECT_EQ(model.count("up"), 1);
        EXPECT_EQ(model.count("dropped"), 0);
        table.removeFromDesktop();
    }
}

TEST_F(ExtendedTableTest, GridSnapshotMovesTheSelectedCellsIntoTheRunADropWillFill)
{
    GridModel model;
    GridHost host("Grid", model);
    host.setVisible(true);
    auto& table = host.table;
    table.updateContent();

    juce::Point<int> at;
    const auto snapshot = [&](const GridDragDescription& d) {
        return table
            .createGridSnapshotOfSelectedRows(d.anchorColumn, d.anchorRow, columnWidth, rowsPerColumn, numColumns,
                                              d.selected, d.selectionOrder, at)
            .getImage();
    };
    const auto faded = [](int position) { return cellColour(position).withMultipliedAlpha(0.6f); };

    // Selected 5 then 2, anchored on 5: the run starts at 5 and holds 5, 2 down the column.
    auto image = snapshot(grid({ 5, 2 }, 1, 5));
    EXPECT_EQ(at, juce::Point<int>(0, 5 * rowHeight));
    ASSERT_EQ(image.getBounds(), juce::Rectangle<int>(0, 0, columnWidth, 2 * rowHeight));
    EXPECT_TRUE(near(image.getPixelAt(25, 10), faded(5)));
    EXPECT_TRUE(near(image.getPixelAt(25, 30), faded(2)));

    // Anchored on the second of three (30): the run starts one cell ahead, at 29.
    image = snapshot(grid({ 0, 30, 12 }, 4, 6));
    EXPECT_EQ(at, juce::Point<int>(3 * columnWidth, 5 * rowHeight));
    EXPECT_TRUE(near(image.getPixelAt(25, 10), faded(0)));
    EXPECT_TRUE(near(image.getPixelAt(25, 30), faded(30)));
    EXPECT_TRUE(near(image.getPixelAt(25, 50), faded(12)));

    // A run that would pass the last cell is held at the end of the grid.
    image = snapshot(grid({ 31, 0, 1 }, 4, 7));
    EXPECT_EQ(at, juce::Point<int>(3 * columnWidth, 5 * rowHeight));
    EXPECT_TRUE(near(image.getPixelAt(25, 10), faded(31)));
    EXPECT_TRUE(near(image.getPixelAt(25, 50), faded(1)));

    // A run crossing into the next column spans both columns, with the cells between clear.
    image = snapshot(grid({ 6, 7, 8 }, 1, 6));
    EXPECT_EQ(at, juce::Point<int>(0, 0));
    EXPECT_EQ(image.getBounds(), juce::Rectangle<int>(0, 0, 2 * columnWidth, rowsPerColumn * rowHeight));
    EXPECT_TRUE(near(image.getPixelAt(25, 6 * rowHeight + 10), faded(6)));
    EXPECT_TRUE(near(image.getPixelAt(75, 10), faded(8)));
    EXPECT_EQ(image.getPixelAt(25, 10).getAlpha(), 0);
    EXPECT_EQ(image.getPixelAt(75, 30).getAlpha(), 0);

    // A selected cell the order misses follows the others.
    auto missed = grid({ 5 }, 1, 5);
    missed.selected[9] = true;
    image = snapshot(missed);
    ASSERT_EQ(image.getBounds(), juce::Rectangle<int>(0, 0, columnWidth, 2 * rowHeight));
    EXPECT_TRUE(near(image.getPixelAt(25, 30), faded(9)));

    auto nothing = grid({ 31 }, 4, 7);
    nothing.selected[31] = false; // the order names a cell that is not selected
    EXPECT_TRUE(snapshot(nothing).isNull());
}

TEST_F(ExtendedTableTest, GridDescriptionRoundTripsAndBadShapesAreNotGrids)
{
    const auto original = grid({ 4, 1, 9 }, 2, 1);
    const auto back = GridDragDescription::fromVar(original.toVar());
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->selected, original.selected);
    EXPECT_EQ(back->selectionOrder, original.selectionOrder);
    EXPECT_EQ(back->anchorColumn, 2);
    EXPECT_EQ(back->anchorRow, 1);
    EXPECT_EQ(back->getAnchorPosition(), 9);
    EXPECT_EQ(back->getNumColumns(), numColumns);

    auto zeroRows = original, noWidth = original;
    zeroRows.rowsPerColumn = 0;
    noWidth.columnWidth = 0;
    auto shortArray = original.toVar(), textField = original.toVar(), bitsNotArray = original.toVar();
    shortArray.getArray()->removeLast();
    textField.getArray()->set(3, "wide");
    bitsNotArray.getArray()->set(0, 1);
    for (const auto& bad :
         { zeroRows.toVar(), noWidth.toVar(), shortArray, textField, bitsNotArray, juce::var("rows"), juce::var() })
        EXPECT_FALSE(GridDragDescription::fromVar(bad).has_value()) << juce::JSON::toString(bad);
}

TEST_F(ExtendedTableTest, CustomCellComponentsFollowTheirColumn)
{
    GridModel model;
    juce::Label* made = nullptr;
    model.cellComponents = [&](int row, int columnId, juce::Component* existing) -> juce::Component* {
        if (row == 1 && columnId == 2)
        {
            if (existing != nullptr)
                return existing;
            return made = new juce::Label({}, "editor");
        }
        delete existing;
        return nullptr;
    };
    GridHost host("Grid", model);
    host.setVisible(true);
    host.table.updateContent();

    ASSERT_NE(made, nullptr);
    EXPECT_EQ(host.table.getCellComponent(2, 1), made);
    EXPECT_EQ(host.table.getCellComponent(3, 1), nullptr);
    EXPECT_EQ(made->getBounds(), juce::Rectangle<int>(columnWidth, 0, columnWidth, rowHeight));

    auto* kept = made;
    host.table.updateContent();
    EXPECT_EQ(host.table.getCellComponent(2, 1), kept) << "an update keeps the component";

    // With the first column hidden the cell's component moves to the left edge.
    host.table.getHeader().setColumnVisible(1, false);
    juce::MessageManager::getInstance()->runDispatchLoopUntil(20); // the header tells its listeners later
    auto* moved = host.table.getCellComponent(2, 1);
    ASSERT_NE(moved, nullptr);
    EXPECT_EQ(moved->getBounds(), juce::Rectangle<int>(0, 0, columnWidth, rowHeight));
}

} // namespace
