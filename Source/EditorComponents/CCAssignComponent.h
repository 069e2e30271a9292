#pragma once

#include "PageChildren.h"
#include "ParameterIntMenu.h"
#include "TonecrestEditorService.h"
#include "iMainComponent.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <vector>

class EditComponent;

/** The MIDI CC page: the controller number (0..127) of every pedal, switch and effect block the
    pedal lets MIDI control, each a global parameter in a number menu with minus and plus. The
    menus are bound through the edit page, which keeps them current and sends their changes; the
    page itself never talks to the service. Message thread only. */
class CCAssignComponent : public iMainComponent
{
public:
    struct Row
    {
        const char* text;
        Tonecrest::TonecrestParamID id;
    };
    /** The rows of the three columns, top to bottom, left column first (38 in all). */
    static const std::vector<std::vector<Row>> columns;

    struct RowControls
    {
        Tonecrest::TonecrestParamID id = 0;
        SimpleLabel* name = nullptr;
        ParameterIntMenu* menu = nullptr;
        SimpleImageButton* minus = nullptr;
        SimpleImageButton* plus = nullptr;
    };

    /** editor is used only to bind the menus and may be null. */
    CCAssignComponent(EditComponent* editor, Tonecrest::TonecrestEditorService* service);

    /** Shows the base menu as it is (the page has no items of its own). */
    int showMenu(juce::Component* target, juce::PopupMenu baseMenu) override;
    /** Fixed layout: nothing to do. */
    void resized() override {}

    /** Every row's controls, in column order. */
    const std::vector<RowControls>& getRows() const { return rows; }

private:
    Tonecrest::TonecrestEditorService* service;
    std::vector<RowControls> rows;
    PageChildren children;
};
