#include "ExtendedTableListBox.h"

#include <algorithm>

/** One row of the table: paints the model's cells, holds the model's custom cell components
    and does the mouse handling described in the class comment. */
class ExtendedTableListBox::Row : public juce::Component, public juce::TooltipClient
{
public:
    explicit Row(ExtendedTableListBox& list) : owner(list) {}

    void update(int newRow, bool nowSelected)
    {
        if (newRow != row || nowSelected != selected)
        {
            row = newRow;
            selected = nowSelected;
            repaint();
        }

        auto* model = owner.getModel();
        if (model == nullptr || row >= owner.getNumRows())
        {
            cellComponents.clear();
            cellColumnIds.clear();
            return;
        }

        auto& header = owner.getHeader();
        const auto numColumns = size_t(header.getNumColumns(true));
        cellComponents.resize(numColumns);
        cellColumnIds.resize(numColumns, 0);

        for (size_t i = 0; i < numColumns; ++i)
        {
            const int columnId = header.getColumnIdOfIndex(int(i), true);
            auto existing = std::move(cellComponents[i]);
            if (existing != nullptr && cellColumnIds[i] != columnId)
                existing.reset();

            // The model takes the existing component and deletes it if it returns another.
            cellComponents[i].reset(model->refreshComponentForCell(row, columnId, selected, existing.release()));
            cellColumnIds[i] = columnId;
            if (cellComponents[i] != nullptr)
                addAndMakeVisible(*cellComponents[i]);
        }
        layOutCellComponents();
    }

    void layOutCellComponents()
    {
        auto& header = owner.getHeader();
        for (size_t i = 0; i < cellComponents.size(); ++i)
            if (cellComponents[i] != nullptr)
                cellComponents[i]->setBounds(header.getColumnPosition(int(i)).withY(0).withHeight(getHeight()));
    }

    juce::Component* findCellComponent(int columnId) const
    {
        for (size_t i = 0; i < cellComponents.size(); ++i)
            if (cellColumnIds[i] == columnId)
                return cellComponents[i].get();
        return nullptr;
    }

    void paint(juce::Graphics& g) override
    {
        auto* model = owner.getModel();
        if (model == nullptr)
            return;

        model->paintRowBackground(g, row, getWidth(), getHeight(), selected);

        auto& header = owner.getHeader();
        const int numColumns = juce::jmin(int(cellComponents.size()), header.getNumColumns(true));
        const auto clip = g.getClipBounds();
        for (int i = 0; i < numColumns; ++i)
        {
            if (cellComponents[size_t(i)] != nullptr)
                continue;

            const auto cell = header.getColumnPosition(i).withHeight(getHeight());
            if (cell.getX() >= clip.getRight())
                break;
            if (cell.getRight() <= clip.getX())
                continue;

            juce::Graphics::ScopedSaveState state(g);
            if (g.reduceClipRegion(cell))
            {
                g.setOrigin(cell.getX(), 0);
                model->paintCell(g, row, header.getColumnIdOfIndex(i, true), cell.getWidth(), cell.getHeight(),
                                 selected);
            }
        }
    }

    void resized() override { layOutCellComponents(); }

    void mouseDown(const juce::MouseEvent& e) override
    {
        dragging = false;
        if (!isEnabled())
            return;

        // Selection callbacks may run a modal question during which the list rebuilds.
        juce::Component::SafePointer<Row> alive(this);
        owner.selectRowsBasedOnModifierKeys(row, e.mods, false);
        if (alive == nullptr)
            return;

        const int columnId = owner.getHeader().getColumnIdAtX(e.x);
        if (columnId != 0)
            if (auto* model = owner.getModel())
                model->cellClicked(row, columnId, e);
    }

    void mouseDrag(const juce::MouseEvent& e) override
    {
        auto* model = owner.getModel();
        if (isEnabled() && model != nullptr && e.mouseWasDraggedSinceMouseDown() && !dragging)
        {
            auto rowsToDrag = owner.getSelectedRows();
            if (rowsToDrag.isEmpty())
                rowsToDrag.addRange({ row, row + 1 });

            const auto description = model->getDragSourceDescription(rowsToDrag);
            if (!(description.isVoid() || (description.isString() && description.toString().isEmpty())))
            {
                dragging = true;
                owner.startDrag(e, rowsToDrag, description, true);
            }
        }

        if (dragging && owner.getName() == cellDragReportingName)
        {
            const int columnId = owner.getHeader().getColumnIdAtX(e.x);
            if (columnId != 0)
                if (auto* extended = dynamic_cast<ExtendedTableListBoxModel*>(owner.getModel()))
                    extended->cellDragged(row, columnId, e);
        }
    }

    void mouseUp(const juce::MouseEvent& e) override
    {
        const int columnId = owner.getHeader().getColumnIdAtX(e.x);
        if (columnId != 0)
            if (auto* extended = dynamic_cast<ExtendedTableListBoxModel*>(owner.getModel()))
                extended->cellMouseUp(row, columnId, e);
    }

    void mouseDoubleClick(const juce::MouseEvent& e) override
    {
        const int columnId = owner.getHeader().getColumnIdAtX(e.x);
        if (columnId != 0)
            if (auto* model = owner.getModel())
                model->cellDoubleClicked(row, columnId, e);
    }

    juce::String getTooltip() override
    {
        const int columnId = owner.getHeader().getColumnIdAtX(getMouseXYRelative().getX());
        if (columnId != 0)
            if (auto* model = owner.getModel())
                return model->getCellTooltip(row, columnId);
        return {};
    }

private:
    ExtendedTableListBox& owner;
    std::vector<std::unique_ptr<juce::Component>> cellComponents; // by visible column index
    std::vector<int> cellColumnIds;
    int row = -1;
    bool selected = false;
    bool dragging = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(Row)
};

ExtendedTableListBox::ExtendedTableListBox(const juce::String& componentName, juce::TableListBoxModel* model)
    : juce::TableListBox(componentName, model)
{
}

ExtendedTableListBox::~ExtendedTableListBox() = default;

juce::Component* ExtendedTableListBox::refreshComponentForRow(int rowNumber, bool isRowSelected,
                                                              juce::Component* existingComponentToUpdate)
{
    auto* rowComponent = dynamic_cast<Row*>(existingComponentToUpdate);
    if (rowComponent == nullptr)
    {
        delete existingComponentToUpdate;
        rowComponent = new Row(*this);
    }
    rowComponent->update(rowNumber, isRowSelected);
    return rowComponent;
}

void ExtendedTableListBox::tableColumnsChanged(juce::TableHeaderComponent* tableHeader)
{
    juce::TableListBox::tableColumnsChanged(tableHeader);
    // Added or removed columns need their cell components made or dropped now.
    updateContent();
}

void ExtendedTableListBox::tableColumnsResized(juce::TableHeaderComponent* tableHeader)
{
    juce::TableListBox::tableColumnsResized(tableHeader);
    layOutCellComponents();
}

void ExtendedTableListBox::layOutCellComponents()
{
    const int firstRow = getRowContainingPosition(0, getViewport()->getY());
    for (int i = 0; i <= getNumRowsOnScreen() + 1; ++i)
        if (auto* rowComponent = dynamic_cast<Row*>(getComponentForRowNumber(firstRow + i)))
            rowComponent->layOutCellComponents();
}

juce::Component* ExtendedTableListBox::getCellComponent(int columnId, int rowNumber) const
{
    if (auto* rowComponent = dynamic_cast<Row*>(getComponentForRowNumber(rowNumber)))
        return rowComponent->findCellComponent(columnId);
    return nullptr;
}

void ExtendedTableListBox::startDragAndDrop(const juce::MouseEvent& e, const juce::var& description,
                                            bool allowDraggingToOtherWindows)
{
    startDrag(e, getSelectedRows(), description, allowDraggingToOtherWindows);
}

void ExtendedTableListBox::startDrag(const juce::MouseEvent& e, const juce::SparseSet<int>& rows,
                                     const juce::var& description, bool allowDraggingToOtherWindows)
{
    auto* container = juce::DragAndDropContainer::findParentDragContainerFor(this);
    if (container == nullptr)
        return;

    const auto grid = GridDragDescription::fromVar(description);
    if (!grid)
    {
        juce::ListBox::startDragAndDrop(e, rows, description, allowDraggingToOtherWindows);
        return;
    }

    juce::Point<int> imagePosition;
    auto image = createGridSnapshotOfSelectedRows(grid->anchorColumn, grid->anchorRow, grid->columnWidth,
                                                  grid->rowsPerColumn, grid->getNumColumns(), grid->selected,
                                                  grid->selectionOrder, imagePosition);
    if (image.getImage().isNull())
        image = juce::ScaledImage(juce::Image(juce::Image::ARGB, 1, 1, true)); // nothing to show moving

    // JUCE places the image at the pointer plus this offset: the grabbed cells stay under it.
    const auto offset = imagePosition - e.getEventRelativeTo(this).getMouseDownPosition();
    container->startDragging(description, this, image, allowDraggingToOtherWindows, &offset, &e.source);
}

juce::Rectangle<int> ExtendedTableListBox::getGridCellArea(int position, int rowsPerColumn, int columnWidth) const
{
    if (rowsPerColumn <= 0 || position < 0)
        return {};

    const int columnId = position / rowsPerColumn + 1;
    const int rowNumber = position % rowsPerColumn;
    if (getHeader().getIndexOfColumnId(columnId, true) >= 0)
        return getCellPosition(columnId, rowNumber, true);

    const auto rowArea = getRowPosition(rowNumber, true);
    return { rowArea.getX() + (columnId - 1) * columnWidth, rowArea.getY(), columnWidth, rowArea.getHeight() };
}

juce::ScaledImage ExtendedTableListBox::createGridSnapshotOfSelectedRows(int anchorColumn, int anchorRow,
                                                                         int columnWidth, int rowsPerColumn,
                                                                         int columns,
                                                                         const std::vector<bool>& selectedBits,
                                                                         const std::vector<int>& selectionOrder,
                                                                         juce::Point<int>& imagePosition)
{
    imagePosition = {};
    const int itemCount = columns * rowsPerColumn;
    if (rowsPerColumn <= 0 || itemCount <= 0)
        return {};

    const auto isSelected = [&](int position) {
        return position >= 0 && position < itemCount && size_t(position) < selectedBits.size()
            && selectedBits[size_t(position)];
    };

    // The selected cells in selection order, each once; selected cells the order misses follow
    // in grid order.
    std::vector<int> run;
    for (const int position : selectionOrder)
        if (isSelected(position) && std::find(run.begin(), run.end(), position) == run.end())
            run.push_back(position);
    for (int position = 0; position < itemCount; ++position)
        if (isSelected(position) && std::find(run.begin(), run.end(), position) == run.end())
            run.push_back(position);
    if (run.empty())
        return {};

    const int count = int(run.size());
    const int anchor = (anchorColumn - 1) * rowsPerColumn + anchorRow;
    const auto anchorInRun = std::find(run.begin(), run.end(), anchor);
    const int ahead = anchorInRun != run.end() ? int(anchorInRun - run.begin()) : 0;
    const int start = juce::jlimit(0, itemCount - count, anchor - ahead);

    // What is on screen, rendered once and faded.
    juce::Image rendered(juce::Image::ARGB, juce::jmax(1, getWidth()), juce::jmax(1, getHeight()), true);
    {
        juce::Graphics g(rendered);
        auto* viewport = getViewport();
        const auto visibleArea = viewport->getBounds().withSize(viewport->getMaximumVisibleWidth(),
                                                                viewport->getMaximumVisibleHeight());
        const int firstRow = getRowContainingPosition(0, viewport->getY());
        for (int i = 0; i <= getNumRowsOnScreen() + 1; ++i)
        {
            auto* rowComponent = getComponentForRowNumber(firstRow + i);
            if (rowComponent == nullptr)
                continue;

            const auto origin = getLocalPoint(rowComponent, juce::Point<int>());
            const auto area = juce::Rectangle<int>(origin.x, origin.y, rowComponent->getWidth(),
                                                   rowComponent->getHeight())
                                  .getIntersection(visibleArea);
            if (area.isEmpty())
                continue;

            juce::Graphics::ScopedSaveState state(g);
            g.reduceClipRegion(area);
            g.setOrigin(origin);
            g.beginTransparencyLayer(0.6f);
            rowComponent->paintEntireComponent(g, false);
            g.endTransparencyLayer();
        }
    }

    std::vector<juce::Rectangle<int>> targets;
    juce::Rectangle<int> imageArea;
    for (int k = 0; k < count; ++k)
    {
        targets.push_back(getGridCellArea(start + k, rowsPerColumn, columnWidth));
        imageArea = k == 0 ? targets.back() : imageArea.getUnion(targets.back());
    }
    if (imageArea.isEmpty())
        return {};

    juce::Image snapshot(juce::Image::ARGB, imageArea.getWidth(), imageArea.getHeight(), true);
    {
        juce::Graphics g(snapshot);
        for (int k = 0; k < count; ++k)
        {
            const auto source = getGridCellArea(run[size_t(k)], rowsPerColumn, columnWidth);
            const auto target = targets[size_t(k)] - imageArea.getPosition();
            juce::Graphics::ScopedSaveState state(g);
            if (g.reduceClipRegion(target))
                g.drawImageAt(rendered, target.getX() - source.getX(), target.getY() - source.getY());
        }
    }

    imagePosition = imageArea.getPosition();
    return juce::ScaledImage(snapshot);
}
