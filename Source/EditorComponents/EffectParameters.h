#pragma once

#include "AppImageID.h"
#include "EditLayoutTables.h"
#include "ParameterIntMenu.h"
#include "ParameterKnob.h"
#include "ParameterLabel.h"
#include "ParameterMenu.h"
#include "ParameterPopupMenu.h"
#include "SimpleLabel.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <memory>
#include <vector>

/** The edit page's panel of the selected block's parameters: labelled knobs and read-out boxes
    added row by row and placed on a fixed pixel grid by layoutColumns. The panel owns every
    control it creates; clear and the destructor delete them, so whoever bound them must unbind
    them first. The panel binds nothing itself: build returns the controls to bind. Message
    thread only. */
class EffectParameters : public juce::Component
{
public:
    /** One slot of a row. Per kind: knob = caption, knob, value read-out; menu and short menu
        = caption, box, left arrow, right arrow (arrows null when not asked for); spacer = all
        null. Pointers are children owned by the panel. */
    struct Entry
    {
        LayoutWidgetKind kind = LayoutWidgetKind::Spacer;
        juce::Component* first = nullptr;
        juce::Component* second = nullptr;
        juce::Component* third = nullptr;
        juce::Component* fourth = nullptr;
    };

    struct KnobControls
    {
        ParameterKnob* knob;
        ParameterLabel* readout;
    };

    /** A control made by build and the parameter it shows. */
    struct Binding
    {
        iParameterWidget* widget;
        int paramID; // TonecrestParamID
    };

    /** What build made: the controls to bind, in creation order (a knob and its read-out are two
        bindings of one parameter), and the cabinet box when the table has one (it is not bound;
        its owner fills its text and gives it onClick). */
    struct BuiltPanel
    {
        std::vector<Binding> bindings;
        ParameterPopupMenu* cabinetMenu = nullptr;
    };

    /** Tells build whether a parameter can be shown; false skips the item (no control, no slot).
        The caller reports the failure. An empty check accepts every item. */
    using ParameterCheck = std::function<bool(int paramID)>;

    EffectParameters();
    ~EffectParameters() override;

    /** Clears the panel, adds one control per table item whose parameter passes `check` (menus
        with arrows, captions of menus with ":", parameter 13 as the bare cabinet box), then lays
        the panel out. A null table leaves the panel empty and 1 x 1. */
    BuiltPanel build(const EditLayoutTable* table, const ParameterCheck& check);

    /** Deletes every control and row; the next entry opens a new row. */
    void clear();
    /** The next entry opens a new row. */
    void newRow();
    void addSpacer();
    /** A film-strip knob with its caption below and its value read-out above. */
    KnobControls addKnob(const juce::String& caption);
    /** A long read-out box with its caption on the left and, when asked, previous/next arrows. */
    ParameterMenu* addMenu(const juce::String& caption, bool withArrows);
    /** As addMenu with the short box (two knob slots wide instead of three). */
    ParameterMenu* addShortMenu(const juce::String& caption, bool withArrows);
    /** As addMenu with a box listing the integers of the parameter's range. */
    ParameterIntMenu* addIntMenu(const juce::String& caption, bool withArrows);
    /** A long box that is not a parameter widget (the cabinet); the caller sets its onClick. */
    ParameterPopupMenu* addPopupMenu(const juce::String& caption);

    /** Places every entry row by row and sizes the panel to its children (at least 1 x 1). */
    void layoutColumns();

    const std::vector<std::vector<Entry>>& getRows() const { return rows; }

private:
    template <typename Menu>
    Menu* addMenuEntry(LayoutWidgetKind kind, AppImageID background, const juce::String& caption, bool withArrows);
    std::unique_ptr<SimpleLabel> createLabel(const juce::String& caption, int horizontal);
    Entry& appendEntry(LayoutWidgetKind kind);
    template <typename Child>
    Child* adopt(std::unique_ptr<Child> child);

    bool startNewRow = true;
    std::vector<std::vector<Entry>> rows;
    std::vector<std::unique_ptr<juce::Component>> ownedChildren;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(EffectParameters)
};
