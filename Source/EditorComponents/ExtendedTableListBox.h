#pragma once

#include "ExtendedTableListBoxModel.h"
#include "GridDragDescription.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <vector>

/** A juce::TableListBox whose rows handle the mouse the way the editor's lists need:
    - mouse down selects at once (by the list's modifier-key rule) and reports cellClicked at
      once, also on a row that was already selected (JUCE defers that case to mouse up);
    - mouse up reports cellMouseUp to an ExtendedTableListBoxModel;
    - a drag whose description is a GridDragDescription drags a grid image of the selected
      cells, laid out as the run a drop will fill; any other description drags like JUCE;
    - while dragging, a table named cellDragReportingName reports cellDragged on every move.
    A plain juce::TableListBoxModel sees JUCE's callbacks only. The rows are this class's own
    components (made in refreshComponentForRow), so use this class's getCellComponent, not
    juce::TableListBox's. Message thread only. */
class ExtendedTableListBox : public juce::TableListBox
{
public:
    /** Only a table with this component name reports cellDragged. */
    static constexpr const char* cellDragReportingName = "PresetManagerList";

    explicit ExtendedTableListBox(const juce::String& componentName = {}, juce::TableListBoxModel* model = nullptr);
    ~ExtendedTableListBox() override;

    /** The model's custom component of a cell on screen, or null. */
    juce::Component* getCellComponent(int columnId, int rowNumber) const;

    /** Starts dragging from this list inside the enclosing juce::DragAndDropContainer (without
        one it does nothing). A grid description drags the grid image of
        createGridSnapshotOfSelectedRows, held at the point where the mouse went down; any other
        description drags JUCE's snapshot of the selected rows. */
    void startDragAndDrop(const juce::MouseEvent& e, const juce::var& description, bool allowDraggingToOtherWindows);
    using juce::ListBox::startDragAndDrop;

    /** Renders the rows on screen at opacity 0.6, keeps only the selected cells and moves them
        into one run down the columns, in selection order, holding the anchor cell where it is
        (the run is clamped to the grid like the drop it previews). `imagePosition` receives
        the image's top-left in list coordinates. A null image when nothing is selected. */
    virtual juce::ScaledImage createGridSnapshotOfSelectedRows(int anchorColumn, int anchorRow, int columnWidth,
                                                               int rowsPerColumn, int columns,
                                                               const std::vector<bool>& selectedBits,
                                                               const std::vector<int>& selectionOrder,
                                                               juce::Point<int>& imagePosition);

    /** The area of grid cell `position` in list coordinates. */
    juce::Rectangle<int> getGridCellArea(int position, int rowsPerColumn, int columnWidth) const;

    juce::Component* refreshComponentForRow(int rowNumber, bool isRowSelected,
                                            juce::Component* existingComponentToUpdate) override;
    void tableColumnsChanged(juce::TableHeaderComponent* header) override;
    void tableColumnsResized(juce::TableHeaderComponent* header) override;

private:
    class Row;

    /** The drag of one row's mouse handling: grid or JUCE's, inside the enclosing container. */
    void startDrag(const juce::MouseEvent& e, const juce::SparseSet<int>& rows, const juce::var& description,
                   bool allowDraggingToOtherWindows);
    void layOutCellComponents();

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(ExtendedTableListBox)
};
