#include "FootswitchAssignComponent.h"

#include "AppResources.h"

using Tonecrest::TonecrestEditorService;

const std::array<Tonecrest::TonecrestParamID, FootswitchAssignComponent::numGridRows>
    FootswitchAssignComponent::gridRowParameters = { 263, 264, 265, 266, 267, 268, 270, 269, 377, 271,
                                                     272, 280, 278, 279, 273, 274, 275, 276, 277 };

// The grid values number the footswitches in the pedal's own order (FS1..FS5, FS-, FS6..FS0, FS+).
const std::array<int, FootswitchAssignComponent::numFootswitches> FootswitchAssignComponent::footswitchCodes = {
    0, 1, 2, 3, 4, 6, 7, 8, 9, 10, 11, 5
};

const std::array<std::array<Tonecrest::TonecrestParamID, 3>, FootswitchAssignComponent::numFootswitches>
    FootswitchAssignComponent::columnParameters = { { { 127, 128, 129 },
                                                      { 130, 131, 132 },
                                                      { 133, 134, 135 },
                                                      { 319, 320, 321 },
                                                      { 322, 323, 324 },
                                                      { 325, 326, 327 },
                                                      { 328, 329, 330 },
                                                      { 331, 332, 333 },
                                                      { 334, 335, 336 },
                                                      { 337, 338, 339 },
                                                      { 340, 341, 342 },
                                                      { 343, 344, 345 } } };

namespace
{
const char* const columnHeaders[] = { "1", "2", "3", "4", "5", "6", "7", "8", "9", "0", "UP", "DOWN" };
const char* const upperRowLabels[] = { "MODE", "PRESET A", "PRESET B" };
const char* const gridRowLabels[] = { "Amp",         "Boost",      "Echo",       "Reverb", "Chorus",
                                      "Flanger",     "Phaser",     "Tremolo",    "Pitchshifter",
                                      "Noise Gate",  "Compressor", "Loop",       "Wah",    "Volume",
                                      "Graphic EQ",  "Pre Filter", "PEQ-1",      "PEQ-2",  "PEQ-3" };

const juce::Colour labelColour { 0xFF969696 };
const juce::Colour menuTextColour { 0xFFDEDEDE };
const int centredLeft = juce::Justification::centredLeft;
} // namespace

FootswitchAssignComponent::Assignment FootswitchAssignComponent::decode(double value)
{
    // Codes 0..11, each normal or inverted: 24 values. The test also rejects NaN.
    if (!(value >= 0.0 && value < 24.0))
        return {};
    const auto code = static_cast<int>(value);
    return { true, code / 2, code % 2 == 1 };
}

int FootswitchAssignComponent::encode(const Assignment& assignment)
{
    return assignment.assigned ? assignment.footswitchCode * 2 + (assignment.inverted ? 1 : 0) : -1;
}

FootswitchAssignComponent::FootswitchAssignComponent(EditComponent* e, TonecrestEditorService* s)
    : editor(e), service(s), gridParameters(gridRowParameters.begin(), gridRowParameters.end()), children(*this, e)
{
    setName("Footswitches");

    children.addLabel("Not Assigned", { 423, 100, 93, 16 }, sharedFont14, labelColour, centredLeft);
    children.addLabel("Assigned", { 535, 100, 93, 16 }, sharedFont14, labelColour, centredLeft);
    children.addLabel("Invert", { 647, 100, 93, 16 }, sharedFont14, labelColour, centredLeft);

    children.addLabel("FOOTSWITCH", { 32, 149, 106, 21 }, sharedFont14, labelColour, centredLeft);
    for (int c = 0; c < numFootswitches; ++c)
        children.addLabel(columnHeaders[c], { 113 + 77 * c, 149, 74, 21 }, sharedFont14, labelColour);

    for (int r = 0; r < 3; ++r)
    {
        const int y = 177 + 26 * r;
        children.addLabel(upperRowLabels[r], { 32, y, 76, 21 }, sharedFont14, labelColour, centredLeft);
        for (int c = 0; c < numFootswitches; ++c)
        {
            std::unique_ptr<ParameterMenu> created;
            if (r == 0)
                created = std::make_unique<ParameterMenu>();
            else
                created = std::make_unique<ParameterIntMenu>();
            created->textColour = menuTextColour;
            created->font = r == 0 ? juce::Font(sharedFont9) : juce::Font(sharedFont12);
            auto* menu = children.add(std::move(created), { 113 + 77 * c, y, 54, 21 });
            auto* left = children.addArrow(true, { 163 + 77 * c, y + 4, 10, 13 });
            auto* right = children.addArrow(false, { 175 + 77 * c, y + 4, 10, 13 });
            left->onClick = [menu] { menu->selectPrevious(); };
            right->onClick = [menu] { menu->selectNext(); };
            menus[size_t(r)][size_t(c)] = menu;
            arrows[size_t(r)][size_t(c)] = { left, right };
            children.bind(menu, columnParameters[size_t(c)][size_t(r)]);
        }
    }

    for (int r = 0; r < numGridRows; ++r)
    {
        children.addLabel(gridRowLabels[r], { 32, 259 + 21 * r, 107, 21 }, sharedFont14, labelColour, centredLeft);
        for (int c = 0; c < numFootswitches; ++c)
        {
            auto* button = children.add(std::make_unique<SimpleImageButton>(juce::Image(), juce::Image()),
                                        { 142 + 77 * c, 261 + 21 * r, 16, 16 });
            button->onClick = [this, r, c] { cellClicked(r, c); };
            cells[button] = { r, c };
            gridButtons[size_t(r)][size_t(c)] = button;
        }
    }
}

FootswitchAssignComponent::~FootswitchAssignComponent()
{
    cancelPendingUpdate();
}

void FootswitchAssignComponent::refreshAll()
{
    triggerAsyncUpdate();
}

void FootswitchAssignComponent::onParameterChanged(Tonecrest::TonecrestParamID id)
{
    if (gridParameters.count(id) != 0)
        triggerAsyncUpdate();
}

FootswitchAssignComponent::Assignment FootswitchAssignComponent::readRow(int row) const
{
    TonecrestEditorService::ParameterValue value;
    const bool read = service != nullptr && service->getParameterValue(gridRowParameters[size_t(row)], value).ok;
    return read ? decode(value.value) : Assignment {};
}

void FootswitchAssignComponent::handleAsyncUpdate()
{
    for (int row = 0; row < numGridRows; ++row)
        assignments[size_t(row)] = readRow(row);

    const auto notAssigned = getAppImage(AppImageID::notAssignedBlock);
    const auto assigned = getAppImage(AppImageID::assignedBlock);
    const auto inverted = getAppImage(AppImageID::invertBlock);
    for (auto& [button, cell] : cells)
    {
        const auto& assignment = assignments[size_t(cell.row)];
        const bool here = assignment.assigned && assignment.footswitchCode == footswitchCodes[size_t(cell.column)];
        // The pressed image previews what a click makes of the cell.
        if (here)
        {
            button->normalImage = assignment.inverted ? inverted : assigned;
            button->overImage = assignment.inverted ? notAssigned : inverted;
        }
        else
        {
            button->normalImage = notAssigned;
            button->overImage = assigned;
        }
        button->repaint();
    }
}

void FootswitchAssignComponent::cellClicked(int row, int column)
{
    if (service == nullptr)
        return;
    const int code = footswitchCodes[size_t(column)];
    const auto current = readRow(row);
    Assignment next { true, code, false };
    if (current.assigned && current.footswitchCode == code)
        next = current.inverted ? Assignment {} : Assignment { true, code, true };
    service->setParameterValue(gridRowParameters[size_t(row)], { Tonecrest::TonecrestParamMap::kTypeInteger, double(encode(next)) },
                               nullptr);
}

FootswitchAssignComponent::Assignment FootswitchAssignComponent::getAssignment(int row) const
{
    if (row < 0 || row >= numGridRows)
        return {};
    return assignments[size_t(row)];
}

SimpleImageButton* FootswitchAssignComponent::getGridButton(int row, int column) const
{
    if (row < 0 || row >= numGridRows || column < 0 || column >= numFootswitches)
        return nullptr;
    return gridButtons[size_t(row)][size_t(column)];
}

ParameterMenu* FootswitchAssignComponent::getMenu(int parameterRow, int column) const
{
    if (parameterRow < 0 || parameterRow >= 3 || column < 0 || column >= numFootswitches)
        return nullptr;
    return menus[size_t(parameterRow)][size_t(column)];
}

SimpleImageButton* FootswitchAssignComponent::getArrow(int parameterRow, int column, bool left) const
{
    if (parameterRow < 0 || parameterRow >= 3 || column < 0 || column >= numFootswitches)
        return nullptr;
    return arrows[size_t(parameterRow)][size_t(column)][left ? 0 : 1];
}

int FootswitchAssignComponent::showMenu(juce::Component* target, juce::PopupMenu baseMenu)
{
    juce::ignoreUnused(editor);
    return showMenuAt(target, baseMenu);
}
