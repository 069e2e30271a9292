#pragma once

#include <juce_core/juce_core.h>

#include <optional>
#include <vector>

/** What a grid model hands out from getDragSourceDescription so that ExtendedTableListBox drags
    its selection as a grid: the selected items of a table whose columns each hold
    `rowsPerColumn` items, item position = (column - 1) x rowsPerColumn + row.

    As a var it is the array [selected bits, anchor column, anchor row, column width, item
    count, rows per column, selection order]. */
struct GridDragDescription
{
    std::vector<bool> selected;     // one per item position
    int anchorColumn = 0;           // 1-based column id of the cell the drag is anchored on
    int anchorRow = 0;
    int columnWidth = 0;            // pixels
    int itemCount = 0;
    int rowsPerColumn = 0;
    std::vector<int> selectionOrder; // selected positions in the order they were selected

    int getNumColumns() const { return rowsPerColumn > 0 ? itemCount / rowsPerColumn : 0; }
    int getAnchorPosition() const { return (anchorColumn - 1) * rowsPerColumn + anchorRow; }

    juce::var toVar() const;

    /** The description held by `description`, or nothing when it is not a grid description:
        not an array of seven, a non-numeric field, or a non-positive rows-per-column, column
        width or item count. */
    static std::optional<GridDragDescription> fromVar(const juce::var& description);
};
