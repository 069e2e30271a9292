#include "CabinetsComponent.h"

#include "AppResources.h"

namespace
{
constexpr int headerY = 143;
constexpr int headerHeight = 20;
constexpr int firstRowY = 170;
constexpr int rowPitch = 27;
constexpr int rowHeight = 20;
constexpr int columnPitch = 349;
constexpr int loadButtonX = 218;
constexpr int loadButtonWidth = 62;
constexpr int nameX = 310;
constexpr int nameWidth = 173;
} // namespace

void CabinetNameLabel::mouseDown(const juce::MouseEvent& e)
{
    pressed = true;
    repaint();
    // Right button or control held: the slot's menu instead of a plain selection.
    const auto popupModifiers = juce::ModifierKeys::rightButtonModifier | juce::ModifierKeys::ctrlModifier;
    if (e.mods.testFlags(popupModifiers))
    {
        if (onPopupMenu)
            onPopupMenu();
    }
    else if (onClick)
    {
        onClick();
    }
}

void CabinetNameLabel::mouseUp(const juce::MouseEvent&)
{
    // The press already reported; a release must not report the click a second time.
    pressed = false;
    repaint();
}

CabinetNameEditor::CabinetNameEditor() : ListBoxTextEditor({})
{
    setFont(sharedFont14.get());
    setJustification(juce::Justification::centredLeft);
    setIndents(4, 2);
    setColour(juce::TextEditor::backgroundColourId, juce::Colour(0xFF1C1C1C));
    setColour(juce::TextEditor::textColourId, cabinetCurrentRowColour);
    setColour(juce::TextEditor::highlightColourId, juce::Colour(0xFF5A5A5A));
    setColour(juce::TextEditor::highlightedTextColourId, juce::Colours::white);
    setColour(juce::TextEditor::outlineColourId, juce::Colour(0xFF646464));
    setColour(juce::TextEditor::focusedOutlineColourId, cabinetCurrentRowColour);
    setColour(juce::CaretComponent::caretColourId, cabinetCurrentRowColour);
}

CabinetsComponent::CabinetsComponent(Handler* h) : handler(h)
{
    setName("Cabinets");

    for (int column = 0; column < numSlots / rowsPerColumn; ++column)
    {
        addHeader("LOAD", loadButtonX + columnPitch * column, loadButtonWidth);
        addHeader("NAME / DESCRIPTION", nameX + columnPitch * column, nameWidth);
    }

    for (int slot = 0; slot < numSlots; ++slot)
    {
        const int dx = columnPitch * (slot / rowsPerColumn);
        const int y = firstRowY + rowPitch * (slot % rowsPerColumn);

        auto* button = own(new SimpleImageButton(getAppImage(AppImageID::loadUserButtonOff),
                                                 getAppImage(AppImageID::loadUserButtonOn)));
        button->text = "USER " + juce::String(slot + 1);
        button->setTextColour(pageLabelColour);
        button->font = pageLabelFont;
        button->setBounds(loadButtonX + dx, y, loadButtonWidth, rowHeight);
        button->onClick = [this, slot] {
            if (handler != nullptr)
                handler->onCabinetsComponentImport(slot);
        };
        addAndMakeVisible(button);
        loadButtons[size_t(slot)] = button;

        auto* label = own(new CabinetNameLabel());
        label->setTextColour(cabinetRowColour);
        label->font = pageLabelFont;
        label->setBounds(nameX + dx, y, nameWidth, rowHeight);
        label->onClick = [this, slot] { selectSlot(slot); };
        label->onPopupMenu = [this, slot] {
            selectSlot(slot);
            showMenu(nullptr, {});
        };
        label->onDoubleClick = [this, slot] { beginRename(slot); };
        addAndMakeVisible(label);
        labels[size_t(slot)] = label;
    }

    nameEditor = own(new CabinetNameEditor());
    nameEditor->addListener(this);
    addChildComponent(nameEditor);
}

CabinetsComponent::~CabinetsComponent()
{
    cancelPendingUpdate();
    // Deleting a focused editor reports a focus loss; this page is no longer there to hear it.
    nameEditor->removeListener(this);
    children.clear();
}

void CabinetsComponent::addHeader(const char* text, int x, int width)
{
    auto* header = own(new SimpleLabel(text));
    header->setTextColour(pageLabelColour);
    header->font = pageLabelFont;
    header->setBounds(x, headerY, width, headerHeight);
    header->setInterceptsMouseClicks(false, false);
    addAndMakeVisible(header);
    headers.push_back(header);
}

void CabinetsComponent::setNumRows(int n)
{
    rows.resize(size_t(juce::jmax(0, n)));
    if (editingRow >= getNumRows())
        editingRow = -1;
    if (selectedRow >= getNumRows())
        selectedRow = -1;
    triggerAsyncUpdate();
}

void CabinetsComponent::setRow(int slot, const juce::String& number, const juce::String& name)
{
    if (slot < 0 || slot >= getNumRows())
        return;
    if (slot == editingRow)
        editingRow = -1;
    rows[size_t(slot)] = { number, name };
    triggerAsyncUpdate();
}

CabinetsComponent::Row CabinetsComponent::getRow(int slot) const
{
    if (slot < 0 || slot >= getNumRows())
        return {};
    return rows[size_t(slot)];
}

int CabinetsComponent::showMenu(juce::Component* target, juce::PopupMenu baseMenu)
{
    juce::PopupMenu menu(baseMenu);
    menu.addItem(importItem, juce::translate("Import Cabinet From File"), true, false);
    menu.addItem(exportItem, juce::translate("Export Cabinet To File"), true, false);
    menu.addItem(renameItem, juce::translate("Rename Cabinet"), true, false);
    menu.addItem(copyToItem, juce::translate("Copy Cabinet To Location"), true, false);

    const int result = menuRunner ? menuRunner(menu, target) : showMenuAt(target, menu);
    // Nothing selected yet: there is no slot to act on. The handler must not see -1 here, since
    // for an import it means the current preset's own cabinet.
    if (handler != nullptr && selectedRow >= 0)
    {
        const int slot = selectedRow;
        switch (result)
        {
        case renameItem: handler->onCabinetsComponentRename(slot); break;
        case copyToItem: handler->onCabinetsComponentCopyTo(slot); break;
        case importItem: handler->onCabinetsComponentImport(slot); break;
        case exportItem: handler->onCabinetsComponentExport(slot); break;
        default: break;
        }
    }
    return result;
}

void CabinetsComponent::selectSlot(int slot)
{
    selectedRow = slot;
    editingRow = -1;
    triggerAsyncUpdate();
}

void CabinetsComponent::beginRename(int slot)
{
    if (slot < 0 || slot >= getNumRows())
        return;
    // Another slot's unconfirmed text is dropped: the editor moves with its new text.
    editingRow = slot;
    nameEditor->setText(rows[size_t(slot)].name, true);
    triggerAsyncUpdate();
}

void CabinetsComponent::endRename()
{
    editingRow = -1;
    triggerAsyncUpdate();
}

void CabinetsComponent::textEditorReturnKeyPressed(juce::TextEditor& editor)
{
    // The label keeps its old name until the pedal's copy comes back through setRow.
    const int slot = editingRow;
    if (slot >= 0 && handler != nullptr)
        handler->onCabinetsComponentNameEdited(slot, editor.getText());
    endRename();
}

void CabinetsComponent::textEditorEscapeKeyPressed(juce::TextEditor&)
{
    endRename();
}

void CabinetsComponent::textEditorFocusLost(juce::TextEditor&)
{
    endRename();
}

void CabinetsComponent::handleAsyncUpdate()
{
    if (editingRow < 0)
        nameEditor->setVisible(false);

    const int shown = juce::jmin(numSlots, getNumRows());
    for (int slot = 0; slot < shown; ++slot)
    {
        auto* label = labels[size_t(slot)];
        label->text = rows[size_t(slot)].name;
        label->setTextColour(slot == selectedRow ? cabinetCurrentRowColour : cabinetRowColour);
        label->repaint();

        if (slot == editingRow)
        {
            label->setVisible(false);
            nameEditor->setBounds(label->getBounds());
            nameEditor->setVisible(true);
            nameEditor->toFront(true);
        }
        else
        {
            label->setVisible(true);
        }
    }
}
