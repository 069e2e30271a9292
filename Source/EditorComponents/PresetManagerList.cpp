#include "PresetManagerList.h"

#include "AppResources.h"
#include "TonecrestEditorService.h"

#include <algorithm>

namespace
{
const juce::Colour listGrey { 0xFF555555 };
constexpr int fixedColumnFlags = juce::TableHeaderComponent::visible;
} // namespace

// Amber: reads as "changed, not yet saved" against both the grey and the selected bar.
const juce::Colour PresetManagerList::movedTextColour { 0xFFE0A040 };

PresetManagerList::PresetManagerList(float height, int rowHeightPixels, int columnWidthPixels, int rows, int maxItems,
                                     bool showHeader)
    : ExtendedTableListBox(cellDragReportingName, nullptr),
      fontHeight(height),
      rowHeight(rowHeightPixels),
      columnWidth(columnWidthPixels),
      rowsPerColumn(juce::jmax(1, rows))
{
    entries.reserve(size_t(juce::jmax(0, maxItems)));
    setModel(this);
    setRowHeight(rowHeight);
    getHeader().setStretchToFitActive(true);
    if (showHeader)
    {
        setHeaderHeight(rowHeight);
    }
    else
    {
        getHeader().setVisible(false);
        setHeaderHeight(0);
    }

    const auto background = listGrey.withAlpha(0.5f);
    setColour(juce::ListBox::backgroundColourId, background);
    setColour(juce::ListBox::outlineColourId, listGrey);
    setColour(juce::ListBox::textColourId, background.contrasting(0.5f));
    setOutlineThickness(1);
}

PresetManagerList::~PresetManagerList()
{
    setModel(nullptr);
}

int PresetManagerList::mapServiceState(int serviceState)
{
    using PresetInfo = Tonecrest::TonecrestEditorService::PresetInfo;
    if (serviceState == PresetInfo::kBeingRead)
        return kEntryBeingRead;
    if (serviceState == PresetInfo::kValid)
        return kEntryValid;
    return kEntryNotRead;
}

int PresetManagerList::getNumColumns() const
{
    // A partly filled last column still gets shown.
    return (itemCount + rowsPerColumn - 1) / rowsPerColumn;
}

void PresetManagerList::setItemCount(int n)
{
    itemCount = juce::jmax(0, n);
    const auto count = size_t(itemCount);
    entries.assign(count, {});
    openingEntries.assign(count, {});
    selected.assign(count, false);
    dropPreview.assign(count, false);
    moved.assign(count, false);
    selectionOrder.clear();
    anchorRow = anchorColumn = previousAnchorRow = previousAnchorColumn = -1;
    hoverRow = hoverColumn = shownHoverRow = shownHoverColumn = -1;
    undoDepth = 0;
    selectionChanged = false;

    auto& header = getHeader();
    header.removeAllColumns();
    for (int column = 1; column <= getNumColumns(); ++column)
        header.addColumn("#", column, columnWidth, columnWidth, columnWidth, fixedColumnFlags);

    history.clear();
    history.push_back(makeState());
    updateContent();
    repaint();
}

void PresetManagerList::setItem(int i, const juce::String& numberText, const juce::String& name, int state)
{
    if (!isInside(i))
        return;
    const PresetManagerEntry entry { i, numberText, name, state };
    entries[size_t(i)] = entry;
    openingEntries[size_t(i)] = entry;
    // The first history state is the opening order, so it follows the items as they are set.
    if (history.size() == 1)
        history.front().entries = entries;
    repaint();
}

std::vector<int> PresetManagerList::getOpeningOrder() const
{
    std::vector<int> order;
    for (const auto& entry : openingEntries)
        order.push_back(entry.presetIndex);
    return order;
}

std::vector<int> PresetManagerList::getNewOrder() const
{
    std::vector<int> order;
    for (const auto& entry : entries)
        order.push_back(entry.presetIndex);
    return order;
}

bool PresetManagerList::isSelected(int position) const
{
    return isInside(position) && selected[size_t(position)];
}

bool PresetManagerList::isMoved(int position) const
{
    return isInside(position) && moved[size_t(position)];
}

bool PresetManagerList::isInDropPreview(int position) const
{
    return isInside(position) && dropPreview[size_t(position)];
}

// ---- Painting ------------------------------------------------------------------------------

void PresetManagerList::resized()
{
    getHeader().resizeAllColumnsToFit(juce::jmax(0, getWidth() - 2 * getOutlineThickness()));
    ExtendedTableListBox::resized();
}

int PresetManagerList::getNumRows()
{
    return juce::jmin(itemCount, rowsPerColumn);
}

juce::String PresetManagerList::getCellText(int position) const
{
    if (!isInside(position))
        return {};
    const auto& entry = entries[size_t(position)];
    if (entry.state == kEntryValid)
        return entry.numberText + " - " + entry.name;
    if (entry.state == kEntryBeingRead)
        return entry.numberText + " - (Refreshing...)";
    return entry.numberText + "- (Empty)";
}

juce::Colour PresetManagerList::getCellTextColour(int position) const
{
    if (!isInside(position))
        return listTextColour;
    auto colour = isSelected(position) ? listSelectedTextColour : listTextColour;
    if (isMoved(position))
        colour = movedTextColour;
    return entries[size_t(position)].state == kEntryValid ? colour : colour.withMultipliedAlpha(0.5f);
}

void PresetManagerList::paintCell(juce::Graphics& g, int rowNumber, int columnId, int width, int height, bool)
{
    const int position = getGridPosition(rowNumber, columnId);
    if (!isInside(position) || rowNumber >= rowsPerColumn)
        return;

    const bool isSelectedCell = isSelected(position);
    const bool isPreviewCell = isInDropPreview(position);
    const auto bar = getAppImage(isSelectedCell || isPreviewCell ? AppImageID::browserSelectedBar
                                                                 : AppImageID::browserSeparatorBar);
    if (bar.isValid())
    {
        g.setOpacity(1.0f);
        if (isPreviewCell)
            g.setColour(listRowBackgroundOdd);
        else if (!isSelectedCell)
            g.setColour(rowNumber % 2 != 0 ? listRowBackgroundOdd : listRowBackgroundEven);
        g.drawImageWithin(bar, 0, 0, width, height, juce::RectanglePlacement::stretchToFit, false);
    }

    g.setColour(getCellTextColour(position));
    g.setFont(juce::Font(fontHeight, isSelectedCell ? juce::Font::bold : juce::Font::plain));
    g.drawText(getCellText(position), 4, 0, width - 6, height, juce::Justification::centredLeft, true);
}

// ---- Selection -----------------------------------------------------------------------------

void PresetManagerList::select(int position)
{
    selected[size_t(position)] = true;
}

void PresetManagerList::removeFromSelectionOrder(int position)
{
    selectionOrder.erase(std::remove(selectionOrder.begin(), selectionOrder.end(), position), selectionOrder.end());
}

void PresetManagerList::clearSelection()
{
    std::fill(selected.begin(), selected.end(), false);
    selectionOrder.clear();
    selectionChanged = true;
}

void PresetManagerList::cellClicked(int rowNumber, int columnId, const juce::MouseEvent& event)
{
    const int position = getGridPosition(rowNumber, columnId);
    if (!isInside(position) || rowNumber >= rowsPerColumn)
        return;

    // Only the keys count: a real click always carries its mouse button among the modifiers.
    const auto keys = event.mods.withoutMouseButtons();
    const juce::ModifierKeys command(juce::ModifierKeys::commandModifier);
    const juce::ModifierKeys shift(juce::ModifierKeys::shiftModifier);
    const juce::ModifierKeys shiftCommand(juce::ModifierKeys::shiftModifier | juce::ModifierKeys::commandModifier);
    const bool isCommand = keys == command;
    const bool isShift = keys == shift || keys == shiftCommand;
    const bool wasSelected = isSelected(position);

    if (!wasSelected && !isCommand && !isShift)
        clearSelection();

    const int anchorPosition = getGridPosition(anchorRow, anchorColumn);
    if (anchorRow < 0 || anchorColumn < 1 || !isInside(anchorPosition))
    {
        anchorRow = rowNumber;
        anchorColumn = columnId;
    }

    if (isShift)
    {
        const int from = getGridPosition(anchorRow, anchorColumn);
        const int step = from < position ? 1 : -1;
        for (int q = from < position ? from : from - 1; from != position; q += step)
        {
            select(q);
            removeFromSelectionOrder(q);
            selectionOrder.push_back(q);
            if (q == position)
                break;
        }
        selectionChanged = true;
    }
    else if (isCommand)
    {
        if (wasSelected)
        {
            selected[size_t(position)] = false;
            removeFromSelectionOrder(position);
            anchorRow = previousAnchorRow;
            anchorColumn = previousAnchorColumn;
            selectionChanged = true;
            repaint();
            return;
        }
        selectionOrder.push_back(position);
        selectionChanged = true;
    }
    else if (!wasSelected)
    {
        selectionOrder.push_back(position);
        selectionChanged = true;
    }

    previousAnchorRow = anchorRow;
    previousAnchorColumn = anchorColumn;
    anchorRow = rowNumber;
    anchorColumn = columnId;
    select(position);
    repaint();
}

// ---- Dragging ------------------------------------------------------------------------------

juce::var PresetManagerList::getDragSourceDescription(const juce::SparseSet<int>&)
{
    if (selectionOrder.empty() || !isSelected(getGridPosition(anchorRow, anchorColumn)))
        return {};
    return GridDragDescription { selected, anchorColumn, anchorRow, columnWidth, itemCount, rowsPerColumn,
                                 selectionOrder }
        .toVar();
}

void PresetManagerList::itemDragEnter(const SourceDetails&)
{
    dragInside = true;
}

void PresetManagerList::itemDragMove(const SourceDetails& details)
{
    dragInside = true;
    hoverRow = juce::jmax(0, details.localPosition.y - getHeaderHeight() - getOutlineThickness()) / rowHeight;
    hoverColumn = juce::jmax(0, details.localPosition.x - getOutlineThickness()) / columnWidth + 1;
    // The row reports its drag before the container moves the target, so without this the
    // preview, and the drop that follows it, would trail the pointer by one move.
    updateDropPreview();
}

void PresetManagerList::itemDragExit(const SourceDetails&)
{
    std::fill(dropPreview.begin(), dropPreview.end(), false);
    dragInside = false;
    shownHoverRow = shownHoverColumn = -1;
    repaint();
}

void PresetManagerList::cellMouseUp(int, int columnId, const juce::MouseEvent&)
{
    dropColumn = columnId;
    repaint();
}

void PresetManagerList::cellDragged(int rowNumber, int, const juce::MouseEvent&)
{
    if (rowNumber < 0 || rowNumber >= rowsPerColumn)
        return;

    rememberSelectionBeforeMove();
    updateDropPreview();
}

void PresetManagerList::rememberSelectionBeforeMove()
{
    // Into the state on screen, which after an undo is not the newest one.
    const int current = int(history.size()) - 1 - undoDepth;
    if (!selectionChanged || current < 0)
        return;
    history[size_t(current)].undoSelection = selected;
    selectionChanged = false;
}

void PresetManagerList::updateDropPreview()
{
    if (!dragInside || hoverRow < 0 || hoverRow >= rowsPerColumn
        || (hoverRow == shownHoverRow && hoverColumn == shownHoverColumn))
        return;
    shownHoverRow = hoverRow;
    shownHoverColumn = hoverColumn;

    std::fill(dropPreview.begin(), dropPreview.end(), false);
    const int target = getGridPosition(hoverRow, hoverColumn);
    const int source = getGridPosition(anchorRow, anchorColumn);
    const int count = int(std::count(selected.begin(), selected.end(), true));
    if (isInside(target) && target != source && count > 0 && hoverColumn >= 1 && hoverColumn <= getNumColumns())
    {
        // The block keeps the dragged cell under the pointer, as the drag image shows it.
        const auto sourceInOrder = std::find(selectionOrder.begin(), selectionOrder.end(), source);
        const int before = sourceInOrder == selectionOrder.end() ? 0 : int(sourceInOrder - selectionOrder.begin());
        const int start = juce::jlimit(0, itemCount - count, target - before);
        for (int p = start; p < start + count; ++p)
            dropPreview[size_t(p)] = true;
    }
    repaint();
}

void PresetManagerList::placeSelectionOnPreview()
{
    std::vector<int> sources;
    std::vector<int> targets;
    for (int p = 0; p < itemCount; ++p)
    {
        if (selected[size_t(p)])
            sources.push_back(p);
        if (dropPreview[size_t(p)])
            targets.push_back(p);
    }
    if (sources.size() != targets.size())
        return; // the selection changed after the preview was shown; a partial swap would lose presets

    std::vector<int> displaced; // target positions whose preset is not itself being moved
    std::vector<int> vacated;   // source positions no moved preset lands on
    for (int p : targets)
        if (!selected[size_t(p)])
            displaced.push_back(p);
    for (int p : sources)
        if (!dropPreview[size_t(p)])
            vacated.push_back(p);

    auto newEntries = entries;
    for (size_t k = 0; k < sources.size(); ++k)
        newEntries[size_t(targets[k])] = entries[size_t(sources[k])];
    for (size_t k = 0; k < displaced.size(); ++k)
        newEntries[size_t(vacated[k])] = entries[size_t(displaced[k])];
    entries = std::move(newEntries);

    // The selection follows the presets; its order keeps the order in which they were picked.
    std::vector<int> newOrder;
    for (int p : selectionOrder)
    {
        const auto at = std::find(sources.begin(), sources.end(), p);
        if (at != sources.end())
            newOrder.push_back(targets[size_t(at - sources.begin())]);
    }
    selectionOrder = std::move(newOrder);
    selected = dropPreview;
}

void PresetManagerList::itemDropped(const SourceDetails& details)
{
    dragInside = false;
    shownHoverRow = shownHoverColumn = -1;

    const int y = juce::jmax(0, details.localPosition.y - getHeaderHeight() - getOutlineThickness());
    const int dropRow = juce::jmin(y / rowHeight, rowsPerColumn - 1);
    const int oldAnchor = getGridPosition(anchorRow, anchorColumn);
    const int target = getGridPosition(dropRow, dropColumn);
    anchorRow = dropRow;
    anchorColumn = dropColumn;

    const bool hasPreview = std::find(dropPreview.begin(), dropPreview.end(), true) != dropPreview.end();
    if (target == oldAnchor || !hasPreview)
    {
        std::fill(dropPreview.begin(), dropPreview.end(), false);
        repaint();
        return;
    }

    rememberSelectionBeforeMove();
    history.resize(history.size() - size_t(undoDepth));
    undoDepth = 0;
    if (history.size() == 1)
    {
        history.front().entries = entries;
        history.front().undoSelection = selected;
        history.front().redoSelection = selected;
    }

    placeSelectionOnPreview();
    std::fill(dropPreview.begin(), dropPreview.end(), false);
    recomputeMoved();
    history.push_back(makeState());
    repaint();
}

// ---- History -------------------------------------------------------------------------------

PresetManagerList::UndoState PresetManagerList::makeState() const
{
    return { entries, selected, selected, selectionOrder, anchorRow, anchorColumn };
}

void PresetManagerList::recomputeMoved()
{
    for (int p = 0; p < itemCount; ++p)
        moved[size_t(p)] = entries[size_t(p)].presetIndex != openingEntries[size_t(p)].presetIndex;
}

void PresetManagerList::restore(const UndoState& state, const std::vector<bool>& selection)
{
    entries = state.entries;
    selected = selection.size() == entries.size() ? selection : std::vector<bool>(entries.size(), false);
    // Keep the order consistent with the restored bits: drags read both.
    selectionOrder.clear();
    for (int p : state.selectionOrder)
        if (isSelected(p))
            selectionOrder.push_back(p);
    for (int p = 0; p < itemCount; ++p)
        if (selected[size_t(p)] && std::find(selectionOrder.begin(), selectionOrder.end(), p) == selectionOrder.end())
            selectionOrder.push_back(p);
    anchorRow = state.anchorRow;
    anchorColumn = state.anchorColumn;
    std::fill(dropPreview.begin(), dropPreview.end(), false);
    recomputeMoved();
    repaint();
}

void PresetManagerList::undo()
{
    const int i = int(history.size()) - 2 - undoDepth;
    if (i < 0)
        return;
    restore(history[size_t(i)], history[size_t(i)].undoSelection);
    ++undoDepth;
}

void PresetManagerList::redo()
{
    if (undoDepth <= 0)
        return;
    const int i = int(history.size()) - undoDepth;
    restore(history[size_t(i)], history[size_t(i)].redoSelection);
    --undoDepth;
}
