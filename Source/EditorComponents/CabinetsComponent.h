#pragma once

#include "ListBoxTextEditor.h"
#include "SimpleImageButton.h"
#include "SimpleLabel.h"
#include "iMainComponent.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <array>
#include <functional>
#include <memory>
#include <vector>

/** The name of one cabinet slot. A press reports at once (a click or, with the right button or
    control held, a menu request); a double click asks for an in-place rename. Message thread
    only. */
class CabinetNameLabel : public SimpleLabel
{
public:
    CabinetNameLabel() : SimpleLabel("") {}

    void mouseDown(const juce::MouseEvent& e) override;
    void mouseUp(const juce::MouseEvent& e) override;

    /** onClick and onDoubleClick are the inherited ones. */
    std::function<void()> onPopupMenu;
};

/** The single in-place rename editor of the cabinets page: one line, no scroll bars; it takes
    the keyboard focus the first time it is painted while visible. Message thread only. */
class CabinetNameEditor : public ListBoxTextEditor
{
public:
    CabinetNameEditor();
};

/** The cabinets page: the pedal's 32 user-cabinet slots in two columns of 16, each with a load
    button and its name. A click selects a slot, a double click renames it in place, a right
    click or the main menu offers import, export, rename and copy. It does no device work itself:
    every action on a slot goes to its Handler (the edit page), which also feeds it the row count
    and the names. Message thread only. */
class CabinetsComponent : public iMainComponent,
                          private juce::AsyncUpdater,
                          private juce::TextEditor::Listener
{
public:
    /** What the page asks of its owner; the page always passes a slot 0..31. Message thread. */
    class Handler
    {
    public:
        virtual ~Handler() = default;
        /** The in-place editor was confirmed with Return. */
        virtual void onCabinetsComponentNameEdited(int slot, const juce::String& name) = 0;
        /** Load a cabinet file into the slot; -1 is the current preset's own cabinet. */
        virtual void onCabinetsComponentImport(int slot) = 0;
        virtual void onCabinetsComponentExport(int slot) = 0;
        /** Rename through a dialog. */
        virtual void onCabinetsComponentRename(int slot) = 0;
        virtual void onCabinetsComponentCopyTo(int slot) = 0;
    };

    struct Row
    {
        juce::String number;
        juce::String name;
    };

    /** The page's own menu items. */
    enum MenuItem
    {
        renameItem = 1,
        copyToItem = 2,
        importItem = 3,
        exportItem = 4
    };

    static constexpr int numSlots = 32;
    static constexpr int rowsPerColumn = 16;

    /** Shows a menu modally and returns the chosen id (0 when dismissed); the default shows it
        at the target, or at the mouse when the target is null. */
    using MenuRunner = std::function<int(const juce::PopupMenu& menu, juce::Component* target)>;

    /** handler may be null: then the page's actions are ignored. */
    explicit CabinetsComponent(Handler* handler);
    ~CabinetsComponent() override;

    /** Resizes the row list; new rows have empty texts. A rename or selection of a slot that no
        longer has a row ends. */
    void setNumRows(int n);
    /** Stores one row's number text and name; ignored for an index outside the rows. Ends an
        in-place rename of that slot, so the name read back from the pedal shows. */
    void setRow(int slot, const juce::String& number, const juce::String& name);

    int getNumRows() const { return int(rows.size()); }
    /** The row as last set; an empty row for an index outside the rows. */
    Row getRow(int slot) const;

    /** Appends Import, Export, Rename and Copy after the base menu and acts on them for the
        selected slot (not at all before a slot was selected); returns the chosen id so the base
        items reach the main component. */
    int showMenu(juce::Component* target, juce::PopupMenu baseMenu) override;

    /** Replaces the modal menu (tests answer it). */
    void setMenuRunner(MenuRunner runner) { menuRunner = std::move(runner); }

    int getSelectedRow() const { return selectedRow; }
    int getEditingRow() const { return editingRow; }
    SimpleImageButton& getLoadButton(int slot) const { return *loadButtons.at(size_t(slot)); }
    CabinetNameLabel& getNameLabel(int slot) const { return *labels.at(size_t(slot)); }
    CabinetNameEditor& getNameEditor() const { return *nameEditor; }
    /** The four column headers, left to right. */
    const std::vector<SimpleLabel*>& getHeaders() const { return headers; }

    /** Brings the children up to date now instead of at the next message. */
    void refreshNow() { handleUpdateNowIfNeeded(); }

private:
    void handleAsyncUpdate() override;
    void textEditorReturnKeyPressed(juce::TextEditor&) override;
    void textEditorEscapeKeyPressed(juce::TextEditor&) override;
    void textEditorFocusLost(juce::TextEditor&) override;

    /** Keeps the child in `children` and hands it back typed. */
    template <typename T>
    T* own(T* child)
    {
        children.add(child);
        return child;
    }
    void addHeader(const char* text, int x, int width);
    void selectSlot(int slot);
    void beginRename(int slot);
    void endRename();

    Handler* handler;
    juce::OwnedArray<juce::Component> children;
    std::array<CabinetNameLabel*, numSlots> labels {};
    std::array<SimpleImageButton*, numSlots> loadButtons {};
    std::vector<SimpleLabel*> headers;
    CabinetNameEditor* nameEditor = nullptr;
    std::vector<Row> rows;
    int editingRow = -1;
    int selectedRow = -1;
    MenuRunner menuRunner;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(CabinetsComponent)
};
