#include "GlobalComponent.h"

#include "AppResources.h"

using Tonecrest::TonecrestEditorService;
using Tonecrest::TonecrestParamMap;

namespace
{
const juce::Colour titleColour { 0xFFDFDFDF };
const juce::Colour labelColour { 0xFF959595 };
const juce::Colour valueColour { 0xFFDEDEDE };

/** A value beyond the int range reads as unset, as on the edit page. */
bool isOn(double value)
{
    return TonecrestParamMap::truncateToInt(value).value_or(0) != 0;
}
} // namespace

GlobalComponent::GlobalComponent(EditComponent* e, TonecrestEditorService* s)
    : editor(e), service(s), children(*this, e)
{
    setName("Global");

    addSectionTitle(165, 98, "LEVELS");
    addKnob({ 65, 124 }, { 59, 140 }, { 60, 202 }, "MAIN", 136);
    addKnob({ 152, 124 }, { 146, 140 }, { 147, 202 }, "AUX", 137);
    addKnob({ 239, 124 }, { 233, 140 }, { 234, 202 }, "PHONES", 138);
    addKnob({ 326, 124 }, { 320, 140 }, { 321, 202 }, "LOOP\nSEND", 79);
    addKnob({ 413, 124 }, { 407, 140 }, { 408, 202 }, "LOOP\nRETURN", 80);
    addLabel(30, 232, 139, 27, "LEVEL KNOB ASSIGN:");
    addSelectorBox({ 177, 232, 153, 27 }, { 325, 240 }, { 339, 240 }, 14, 0, 175);

    addSectionTitle(165, 281, "GATE");
    addKnob({ 65, 307 }, { 59, 323 }, { 60, 385 }, "THRESH.", 68);
    addKnob({ 152, 307 }, { 146, 323 }, { 147, 385 }, "ATTACK", 69);
    addKnob({ 239, 307 }, { 233, 323 }, { 234, 385 }, "RELEASE", 70);
    addKnob({ 326, 307 }, { 320, 323 }, { 321, 385 }, "RATIO", 71);
    addLabel(369, 341, 80, 24, "USE\nGLOBAL");
    addToggle(454, 346, 373);

    addSectionTitle(165, 426, "CABINET OUTPUT");
    const char* const cabinetOutputs[] = { "NONE", "MAINS\nONLY", "AUX\nONLY", "BOTH" };
    for (int i = 0; i < 4; ++i)
    {
        addLabel(55 + 113 * i, 447, 51, 30, cabinetOutputs[i]);
        addRadioButton(110 + 113 * i, 454, 14, i);
    }

    addSectionTitle(165, 500, "POWER AMP MODELING");
    addLabel(186, 520, 69, 30, "ENABLE");
    addToggle(260, 528, 12);

    addSectionTitle(165, 574, "MIDI");
    addLabel(19, 596, 53, 27, "IN:");
    addSelectorBox({ 80, 596, 153, 27 }, { 228, 604 }, { 242, 604 }, 13, 0, 143);
    addLabel(263, 596, 46, 27, "OUT:");
    addSelectorBox({ 331, 596, 153, 27 }, { 465, 604 }, { 479, 604 }, 13, 0, 144);
    addLabel(19, 631, 53, 27, "CLOCK:");
    addSelectorBox({ 80, 631, 153, 27 }, { 228, 638 }, { 242, 638 }, 13, 0, 174);
    addLabel(318, 631, 77, 27, "MIDI THRU");
    addToggle(400, 637, 145);

    // The output modes list stereo second although the pedal numbers it 0.
    struct Radio
    {
        const char* text;
        int value;
    };
    const Radio outputModes[] = { { "MONO", 1 }, { "STEREO", 0 }, { "DUAL\nLEFT", 2 }, { "DUAL\nRIGHT", 3 } };
    const Radio loopModes[] = { { "MUTE\nSEND", 0 }, { "MUTE\nRETURN", 1 }, { "AUX\nINPUT", 2 }, { "EXPRESSION", 3 } };
    const auto addRadioRow = [this](const Radio (&radios)[4], int labelY, int buttonY, Tonecrest::TonecrestParamID id) {
        for (int i = 0; i < 4; ++i)
        {
            addLabel(534 + 113 * i, labelY, 88, 30, radios[i].text);
            addRadioButton(627 + 113 * i, buttonY, id, radios[i].value);
        }
    };
    addSectionTitle(681, 98, "MAIN OUTPUT MODES");
    addRadioRow(outputModes, 128, 135, 139);
    addSectionTitle(681, 194, "AUX OUTPUT MODES");
    addRadioRow(outputModes, 225, 232, 140);
    addSectionTitle(681, 291, "LOOP MODE");
    addRadioRow(loopModes, 321, 328, 78);

    addSectionTitle(681, 387, "TUNER");
    addLabel(631, 418, 88, 27, "SILENT");
    addToggle(724, 425, 147);
    addLabel(755, 418, 53, 27, "REF:");
    addValueWithButtons(814, 418, 97, { 906, 426 }, { 920, 426 }, 165);

    addSectionTitle(559, 485, "PRESET INDEXING");
    addSelectorBox({ 611, 516, 70, 27 }, { 674, 524 }, { 688, 524 }, 13, 0, 146);

    addSectionTitle(811, 485, "TEMPO");
    addLabel(805, 503, 53, 27, "MODE:");
    addSelectorBox({ 864, 503, 68, 27 }, { 927, 511 }, { 941, 511 }, 13, 0, 142);
    addLabel(805, 535, 53, 27, "GLOBAL\nTEMPO:");
    addValueWithButtons(864, 535, 68, { 927, 543 }, { 941, 543 }, 360);

    addSectionTitle(681, 582, "CONTRAST");
    addSelectorBox({ 722, 613, 97, 27 }, { 815, 620 }, { 829, 620 }, 13, 0, 148);

    addSectionTitle(811, 582, "DEFAULT PRESET");
    addSelectorBox({ 864, 611, 122, 30 }, { 952, 620 }, { 966, 620 }, 13, int(AppImageID::readoutBoxShort), 368);
}

void GlobalComponent::addSectionTitle(int x, int y, const char* text)
{
    children.addLabel(text, { x, y, 200, 15 }, sharedFont14, titleColour);
}

void GlobalComponent::addLabel(int x, int y, int w, int h, const char* text)
{
    children.addLabel(text, { x, y, w, h }, sharedFont12, labelColour, juce::Justification::centredRight);
}

void GlobalComponent::addKnob(Point value, Point knob, Point name, const char* text, Tonecrest::TonecrestParamID id)
{
    auto readout = std::make_unique<ParameterLabel>();
    readout->setTextColour(labelColour);
    readout->setFont(sharedFont12);
    readout->setJustificationType(juce::Justification::centred);
    auto& entry = controls[id];
    entry.readout = children.add(std::move(readout), { value.x, value.y, 55, 14 });

    auto dial = std::make_unique<ParameterKnob>();
    dial->setImage(getAppImage(AppImageID::fxDialFilmStrip), 1, 99, -1);
    entry.knob = children.add(std::move(dial), { knob.x, knob.y, 73, 78 });

    children.addLabel(text, { name.x, name.y, 65, 24 }, sharedFont12, labelColour, juce::Justification::centredTop);
    children.bind(entry.knob, id);
    children.bind(entry.readout, id);
}

void GlobalComponent::addSelectorBox(juce::Rectangle<int> box, Point left, Point right, int arrowHeight,
                                     int background, Tonecrest::TonecrestParamID id)
{
    auto created = std::make_unique<ParameterMenu>();
    created->textColour = valueColour;
    created->font = sharedFont12;
    if (background != 0)
        created->background = getAppImage(AppImageID(background));
    auto& entry = controls[id];
    auto* menu = entry.menu = children.add(std::move(created), box);
    entry.left = children.addArrow(true, { left.x, left.y, 10, arrowHeight });
    entry.right = children.addArrow(false, { right.x, right.y, 10, arrowHeight });
    entry.left->onClick = [menu] { menu->selectPrevious(); };
    entry.right->onClick = [menu] { menu->selectNext(); };
    children.bind(menu, id);
}

void GlobalComponent::addValueWithButtons(int x, int y, int w, Point left, Point right, Tonecrest::TonecrestParamID id)
{
    auto created = std::make_unique<ParameterLabel>();
    created->setTextColour(valueColour);
    created->setFont(sharedFont12);
    created->setJustificationType(juce::Justification::centred);
    created->dragEnabled = true;
    auto& entry = controls[id];
    auto* box = entry.readout = children.add(std::move(created), { x, y, w, 27 });
    entry.left = children.addArrow(true, { left.x, left.y, 10, 13 });
    entry.right = children.addArrow(false, { right.x, right.y, 10, 13 });
    entry.left->onClick = [box] { stepValueBox(*box, -1); };
    entry.right->onClick = [box] { stepValueBox(*box, 1); };
    children.bind(box, id);
}

void GlobalComponent::stepValueBox(ParameterLabel& box, int direction)
{
    if (!box.onValueChanged)
        return;
    const double next = juce::jlimit(box.getMinimum(), box.getMaximum(), box.getValue() + direction * box.getInterval());
    box.onValueChanged(next);
}

void GlobalComponent::addToggle(int x, int y, Tonecrest::TonecrestParamID id)
{
    auto* button = children.add(std::make_unique<SimpleImageButton>(getAppImage(AppImageID::notAssignedBlock),
                                                                    getAppImage(AppImageID::assignedBlock)),
                                 { x, y, 16, 16 });
    controls[id].toggle = button;
    button->onClick = [this, button, id] { toggleClicked(*button, id); };
    addUpdater(id, [button](const TonecrestEditorService::ParameterValue& value) {
        button->latched = isOn(value.value);
        button->repaint();
    });
}

void GlobalComponent::toggleClicked(SimpleImageButton& button, Tonecrest::TonecrestParamID id)
{
    TonecrestEditorService::ParameterValue current;
    if (service == nullptr || !service->getParameterValue(id, current).ok)
        current.value = 0.0;
    const bool on = isOn(current.value);
    button.latched = !on;
    button.repaint();
    // A refused write reports nothing: show the service's value again at once.
    if (service != nullptr && !service->setParameterValue(id, { TonecrestParamMap::kTypeBoolean, on ? 0.0 : 1.0 }, nullptr))
        onParameterChanged(id);
}

void GlobalComponent::addRadioButton(int x, int y, Tonecrest::TonecrestParamID id, int value)
{
    auto* button = children.add(std::make_unique<SimpleImageButton>(getAppImage(AppImageID::notAssignedBlock),
                                                                    getAppImage(AppImageID::assignedBlock)),
                                 { x, y, 16, 16 });
    controls[id].radioButtons[value] = button;
    // The other buttons of the group clear when the service confirms the value; a refused
    // write puts the group back at once.
    button->onClick = [this, button, id, value] {
        button->latched = true;
        button->repaint();
        if (service != nullptr && !service->setParameterValue(id, { TonecrestParamMap::kTypeInteger, double(value) }, nullptr))
            onParameterChanged(id);
    };
    addUpdater(id, [button, value](const TonecrestEditorService::ParameterValue& current) {
        button->latched = TonecrestParamMap::truncateToInt(current.value) == value;
        button->repaint();
    });
}

void GlobalComponent::addUpdater(Tonecrest::TonecrestParamID id, Updater updater)
{
    updaters.emplace(id, std::move(updater));
}

const GlobalComponent::Controls& GlobalComponent::getControls(Tonecrest::TonecrestParamID id) const
{
    static const Controls none;
    const auto found = controls.find(id);
    return found != controls.end() ? found->second : none;
}

void GlobalComponent::refreshAll()
{
    if (service == nullptr)
        return;
    for (auto& [id, update] : updaters)
    {
        TonecrestEditorService::ParameterValue value;
        if (service->getParameterValue(id, value).ok && update)
            update(value);
    }
}

void GlobalComponent::onParameterChanged(Tonecrest::TonecrestParamID id)
{
    if (service == nullptr)
        return;
    const auto range = updaters.equal_range(id);
    if (range.first == range.second)
        return;
    TonecrestEditorService::ParameterValue value;
    if (!service->getParameterValue(id, value).ok)
        return;
    for (auto it = range.first; it != range.second; ++it)
        if (it->second)
            it->second(value);
}

int GlobalComponent::showMenu(juce::Component* target, juce::PopupMenu baseMenu)
{
    juce::ignoreUnused(editor);
    return showMenuAt(target, baseMenu);
}
