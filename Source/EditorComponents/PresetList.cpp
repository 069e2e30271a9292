#include "PresetList.h"

#include "AppResources.h"
#include "ListBoxTextEditor.h"

namespace
{
constexpr int allColumnFlags = juce::TableHeaderComponent::visible | juce::TableHeaderComponent::resizable
                             | juce::TableHeaderComponent::draggable | juce::TableHeaderComponent::appearsOnColumnMenu;
const juce::Colour listGrey { 0xFF555555 };
} // namespace

PresetList::PresetList(Handler* listHandler, int rowHeight, int numberColumnWidth, bool showHeader, float height)
    : ExtendedTableListBox({}, nullptr), handler(listHandler), fontHeight(height)
{
    setModel(this);

    auto& header = getHeader();
    header.addColumn("#", numberColumn, numberColumnWidth, numberColumnWidth, numberColumnWidth, allColumnFlags);
    header.addColumn("Name", nameColumn, 1, 1, -1, allColumnFlags);
    header.setStretchToFitActive(true);

    setRowHeight(rowHeight);
    if (showHeader)
    {
        setHeaderHeight(rowHeight);
    }
    else
    {
        header.setVisible(false);
        setHeaderHeight(0);
    }

    const auto background = listGrey.withAlpha(0.5f);
    setColour(juce::ListBox::backgroundColourId, background);
    setColour(juce::ListBox::outlineColourId, listGrey);
    setColour(juce::ListBox::textColourId, background.contrasting(0.5f));
    setOutlineThickness(1);
}

PresetList::~PresetList()
{
    cancelPendingUpdate();
    // The rows (and the editor they may hold, which listens to this list) go before the model.
    setModel(nullptr);
}

void PresetList::setNumRows(int n)
{
    rows.resize(size_t(juce::jmax(0, n)));
    if (editingRow >= int(rows.size()))
        editingRow = -1;
    triggerAsyncUpdate();
}

void PresetList::setRow(int row, const juce::String& number, const juce::String& name, int state)
{
    if (row < 0 || row >= int(rows.size()))
        return;

    if (editingRow == row)
        editingRow = -1;

    rows[size_t(row)] = { number, name, state };
    triggerAsyncUpdate();
}

void PresetList::setCurrentRow(int row)
{
    currentRow = row;
    triggerAsyncUpdate();
}

void PresetList::selectRow(int row)
{
    // A row count set in this same pass must reach the table first, or the selection is cut.
    handleUpdateNowIfNeeded();

    juce::SparseSet<int> selection;
    if (row >= 0)
        selection.addRange({ row, row + 1 });
    setSelectedRows(selection, juce::dontSendNotification);
    if (row >= 0)
        scrollToEnsureRowIsOnscreen(row);
}

int PresetList::getSelectedRow() const
{
    return juce::ListBox::getSelectedRow(0);
}

void PresetList::beginRename(int row, const juce::String& name)
{
    editingRow = row;
    renameText = name;
    if (row >= 0)
        scrollToEnsureRowIsOnscreen(row);
    triggerAsyncUpdate();
}

ListBoxTextEditor* PresetList::getRenameEditor() const
{
    return dynamic_cast<ListBoxTextEditor*>(getCellComponent(nameColumn, editingRow));
}

void PresetList::cancelRename()
{
    editingRow = -1;
    triggerAsyncUpdate();
}

int PresetList::getNumRows()
{
    return int(rows.size());
}

void PresetList::paintRowBackground(juce::Graphics& g, int rowNumber, int width, int height, bool rowIsSelected)
{
    const auto bar = getAppImage(rowIsSelected ? AppImageID::browserSelectedBar : AppImageID::browserSeparatorBar);
    if (bar.isValid())
        g.drawImageWithin(bar, 0, 0, width, height, juce::RectanglePlacement::stretchToFit, false);
}

juce::String PresetList::getCellText(int row, int columnId) const
{
    if (row < 0 || row >= int(rows.size()))
        return {};

    const auto& entry = rows[size_t(row)];
    if (columnId == numberColumn)
        return entry.number;
    if (columnId != nameColumn)
        return {};
    if (entry.state == rowRefreshing)
        return refreshingText;
    if (entry.state == rowValid)
        return entry.name;
    return emptyText;
}

juce::Colour PresetList::getCellColour(int row, int columnId, bool rowIsSelected) const
{
    const auto colour = rowIsSelected ? listSelectedTextColour : listTextColour;
    if (row < 0 || row >= int(rows.size()) || columnId != nameColumn)
        return colour;
    // Placeholders are drawn faded; the slot number beside them stays fully opaque.
    return rows[size_t(row)].state == rowValid ? colour : colour.withMultipliedAlpha(0.5f);
}

void PresetList::paintCell(juce::Graphics& g, int rowNumber, int columnId, int width, int height, bool rowIsSelected)
{
    g.setColour(getCellColour(rowNumber, columnId, rowIsSelected));
    g.setFont(juce::Font(fontHeight, rowNumber == currentRow ? juce::Font::bold : juce::Font::plain));
    g.drawText(getCellText(rowNumber, columnId), 4, 0, width - 6, height, juce::Justification::centredLeft, true);
}

juce::Component* PresetList::refreshComponentForCell(int rowNumber, int columnId, bool,
                                                     juce::Component* existingComponentToUpdate)
{
    if (columnId == nameColumn && rowNumber == editingRow && editingRow >= 0)
    {
        if (auto* editor = dynamic_cast<ListBoxTextEditor*>(existingComponentToUpdate))
            return editor;
        delete existingComponentToUpdate;

        auto* editor = new ListBoxTextEditor(renameText);
        editor->setFont(juce::Font(fontHeight));
        editor->addListener(this);
        return editor;
    }

    delete existingComponentToUpdate;
    return nullptr;
}

void PresetList::cellClicked(int rowNumber, int columnId, const juce::MouseEvent& e)
{
    if (handler == nullptr)
        return;

    if (columnId == nameColumn && e.getNumberOfClicks() == 2)
        handler->onPresetListRenameRequested(rowNumber);

    const auto popupModifiers = juce::ModifierKeys::rightButtonModifier | juce::ModifierKeys::ctrlModifier;
    if (e.mods.testFlags(popupModifiers))
        handler->onPresetListMenuRequested(rowNumber);
}

void PresetList::selectedRowsChanged(int lastRowSelected)
{
    if (editingRow >= 0 && editingRow != lastRowSelected)
        cancelRename();

    // A selection the table drops because its rows went away is no choice of the user's.
    if (handler != nullptr && !updatingContent)
        handler->onPresetListPresetSelected(lastRowSelected);
}

void PresetList::textEditorReturnKeyPressed(juce::TextEditor& editor)
{
    if (editingRow != -1 && handler != nullptr)
        handler->onPresetListPresetRenamed(editingRow, editor.getText());
    cancelRename();
}

void PresetList::textEditorEscapeKeyPressed(juce::TextEditor&)
{
    cancelRename();
}

void PresetList::textEditorFocusLost(juce::TextEditor&)
{
    cancelRename();
}

void PresetList::handleAsyncUpdate()
{
    {
        const juce::ScopedValueSetter<bool> updating(updatingContent, true);
        updateContent();
    }
    resized();
    autoSizeAllColumns();
    repaint();
}

void PresetList::resized()
{
    autoSizeAllColumns();
    ExtendedTableListBox::resized();
}
