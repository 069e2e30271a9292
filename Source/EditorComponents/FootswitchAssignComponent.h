#pragma once

#include "PageChildren.h"
#include "ParameterIntMenu.h"
#include "ParameterMenu.h"
#include "TonecrestEditorService.h"
#include "iMainComponent.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <array>
#include <map>
#include <set>

class EditComponent;

/** The footswitch page: per footswitch its mode and two presets (menus bound through the edit
    page), and the assignment grid of which footswitch switches which effect block, normally or
    inverted. The grid rows are preset parameters whose value is the footswitch code x 2 +
    invert, or -1 for none; the page reads them again whenever the edit page reports a change
    of one of them or a bulk change. A click cycles a cell through none, normal and inverted and
    moves the block off any other footswitch. Message thread only. */
class FootswitchAssignComponent : public iMainComponent, private juce::AsyncUpdater
{
public:
    static constexpr int numGridRows = 19;
    static constexpr int numFootswitches = 12;

    /** The grid rows' parameters, top to bottom (Amp ... PEQ-3). */
    static const std::array<Tonecrest::TonecrestParamID, numGridRows> gridRowParameters;
    /** The footswitch code each column stands for in the grid values ("DOWN" is 5, "UP" 11). */
    static const std::array<int, numFootswitches> footswitchCodes;
    /** Per column the MODE, PRESET A and PRESET B parameters. */
    static const std::array<std::array<Tonecrest::TonecrestParamID, 3>, numFootswitches> columnParameters;

    /** One row's assignment as the grid shows it. */
    struct Assignment
    {
        bool assigned = false;
        int footswitchCode = 0;
        bool inverted = false;

        bool operator==(const Assignment& other) const
        {
            return assigned == other.assigned && footswitchCode == other.footswitchCode && inverted == other.inverted;
        }
    };

    /** -1, a failed read and anything outside 0..23 are "not assigned". */
    static Assignment decode(double value);
    /** -1 for not assigned, else code x 2 + invert. */
    static int encode(const Assignment& assignment);

    /** editor is used only to bind widgets; either pointer may be null. */
    FootswitchAssignComponent(EditComponent* editor, Tonecrest::TonecrestEditorService* service);
    ~FootswitchAssignComponent() override;

    /** Re-reads the grid on the next update. */
    void refreshAll();
    /** Re-reads the grid on the next update when id is one of its rows; other parameters reach
        their menus through the bindings. */
    void onParameterChanged(Tonecrest::TonecrestParamID id);

    /** Shows the base menu as it is (the page has no items of its own). */
    int showMenu(juce::Component* target, juce::PopupMenu baseMenu) override;

    /** The row's assignment as of the last grid refresh. */
    Assignment getAssignment(int row) const;

    SimpleImageButton* getGridButton(int row, int column) const;
    /** parameterRow 0 MODE, 1 PRESET A, 2 PRESET B. */
    ParameterMenu* getMenu(int parameterRow, int column) const;
    /** The step arrows beside a menu. */
    SimpleImageButton* getArrow(int parameterRow, int column, bool left) const;

private:
    struct Cell
    {
        int row = 0;
        int column = 0;
    };

    void handleAsyncUpdate() override;
    void cellClicked(int row, int column);
    Assignment readRow(int row) const;

    EditComponent* editor;
    Tonecrest::TonecrestEditorService* service;
    std::map<SimpleImageButton*, Cell> cells;
    std::set<Tonecrest::TonecrestParamID> gridParameters;
    std::array<Assignment, numGridRows> assignments {};
    std::array<std::array<SimpleImageButton*, numFootswitches>, numGridRows> gridButtons {};
    std::array<std::array<ParameterMenu*, numFootswitches>, 3> menus {};
    std::array<std::array<std::array<SimpleImageButton*, 2>, numFootswitches>, 3> arrows {};
    PageChildren children;
};
