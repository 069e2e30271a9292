#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** A table model that also hears the mouse release over a cell and every drag movement of a
    row that started a drag. Both are empty by default, so a model that does not override them
    behaves like a plain juce::TableListBoxModel. Reported by ExtendedTableListBox on the message
    thread. */
class ExtendedTableListBoxModel : public juce::TableListBoxModel
{
public:
    /** The mouse was released; (rowNumber, columnId) is the pressed row and the column under the
        pointer at release. */
    virtual void cellMouseUp(int rowNumber, int columnId, const juce::MouseEvent&) {}

    /** A drag movement of the row that started the drag; columnId is the column under the
        pointer. Only tables named ExtendedTableListBox::cellDragReportingName report it. */
    virtual void cellDragged(int rowNumber, int columnId, const juce::MouseEvent&) {}
};
