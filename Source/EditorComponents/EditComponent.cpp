#include "EditComponent.h"

#include "AppResources.h"
#include "EditLayoutTables.h"
#include "FootswitchAssignComponent.h"
#include "GlobalComponent.h"

#include <cmath>
#include <limits>

using Tonecrest::Result;
using Tonecrest::TonecrestEditorService;
using Service = Tonecrest::TonecrestEditorService;

namespace
{

constexpr Tonecrest::TonecrestParamID cabinetParameter = 13;
constexpr int pitchShifterBlock = 23;
constexpr int ampBlock = 1;

/** One signal-chain block as the page treats it. */
struct BlockRecord
{
    int blockID;
    Tonecrest::TonecrestParamID insertParameter; // 0: the block has a fixed place
    Tonecrest::TonecrestParamID enableParameter;
    const char* title;
};

// In the order the strip reads the enable parameters.
constexpr BlockRecord blockRecords[] = {
    { 1, 0, 2, "Amp" },
    { 2, 0, 14, "Cabinet" },
    { 3, 22, 20, "Boost" },
    { 6, 200, 204, "Chorus" },
    { 7, 201, 227, "Flanger" },
    { 8, 202, 241, "Phaser" },
    { 9, 199, 254, "Tremolo" },
    { 4, 37, 35, "Echo" },
    { 5, 0, 53, "Reverb" },
    { 10, 0, 67, "Gate" },
    { 11, 164, 72, "Compressor" },
    { 12, 310, 77, "Loop" },
    { 13, 0, 150, "Wah" },
    { 14, 161, 160, "Volume" },
    { 15, 94, 93, "Graphic EQ" },
    { 16, 0, 103, "Pre EQ" },
    { 17, 111, 109, "Parametric EQ 1" },
    { 18, 117, 115, "Parametric EQ 2" },
    { 19, 123, 121, "Parametric EQ 3" },
    { 23, 376, 171, "Pitchshifter" },
};

// The strip reads the insert points in this order; the loop, with the most places, comes last.
constexpr int insertReadOrder[] = { 3, 6, 7, 8, 9, 4, 11, 14, 15, 17, 18, 19, 23, 12 };

const BlockRecord* findBlock(int blockID)
{
    for (const auto& record : blockRecords)
        if (record.blockID == blockID)
            return &record;
    return nullptr;
}

} // namespace

// ---- Construction and layout -------------------------------------------------------------------

EditComponent::EditComponent(TonecrestEditorService* service, juce::PropertiesFile* settingsFile,
                             iStatusDisplay* statusDisplay, iStatusDisplay* overlayDisplay)
    : editorService(service), settings(settingsFile), statusBar(statusDisplay), overlay(overlayDisplay)
{
    link->page = this;
    setName("Edit");

    presetList = std::make_unique<PresetList>(this, 24, 31, false, 13.0f);
    addAndMakeVisible(*presetList);

    signalChain = std::make_unique<SignalChainComponent>(this, SignalChainComponent::editPageBlocks(),
                                                         SignalChainComponent::editPageChainOrder());
    addAndMakeVisible(*signalChain);

    pitchNote = std::make_unique<SimpleLabel>("NOTE: Pitch block is only available in QV6 and QV12");
    pitchNote->setTextColour(juce::Colour(0xFFDEDEDE));
    pitchNote->font = sharedFont14Italic;
    blockTitle = std::make_unique<SimpleLabel>("");
    blockTitle->setTextColour(globalLabelColour);
    blockTitle->font = globalLabelFont;
    addAndMakeVisible(*pitchNote);
    addAndMakeVisible(*blockTitle);

    effectParameters = std::make_unique<EffectParameters>();
    effectViewport = std::make_unique<juce::Viewport>();
    effectViewport->setScrollBarThickness(16);
    effectViewport->setViewedComponent(effectParameters.get(), false);
    addAndMakeVisible(*effectViewport);

    presetList->setColour(juce::ListBox::backgroundColourId, juce::Colours::transparentBlack);
    presetList->setOutlineThickness(0);

    addAmpControl(3, "GAIN");
    addAmpControl(4, "BASS");
    addAmpControl(5, "MIDS");
    addAmpControl(6, "TREBLE");
    addAmpControl(7, "PRESENCE");
    addAmpControl(8, "MASTER");

    presetTitle = std::make_unique<SimpleTextButton>("");
    presetTitle->setTextColour(juce::Colour(0xFFDEDEDE));
    presetTitle->font = sharedFont14;
    presetTitle->onClick = [this] { showPresetChooser(); };
    addAndMakeVisible(*presetTitle);

    previousPresetButton = std::make_unique<SimpleImageButton>(getAppImage(AppImageID::presetArrowLeftOff),
                                                               getAppImage(AppImageID::presetArrowLeftOn));
    previousPresetButton->onClick = [this] { selectPreviousPreset(); };
    addAndMakeVisible(*previousPresetButton);
    nextPresetButton = std::make_unique<SimpleImageButton>(getAppImage(AppImageID::presetArrowRightOff),
                                                           getAppImage(AppImageID::presetArrowRightOn));
    nextPresetButton->onClick = [this] { selectNextPreset(); };
    addAndMakeVisible(*nextPresetButton);

    auto makeHeaderButton = [this](AppImageID normal, AppImageID over, const char* text) {
        auto button = std::make_unique<SimpleImageButton>(getAppImage(normal), getAppImage(over));
        button->text = text;
        button->textColour = juce::Colour(0xFF969696);
        button->litTextColour = juce::Colour(0xFF000000);
        button->font = sharedFont12;
        addAndMakeVisible(*button);
        return button;
    };
    // The two save buttons are disabled while the service is busy; the button class itself
    // clicks regardless, so the handlers ask.
    saveButton = makeHeaderButton(AppImageID::saveButtonOff, AppImageID::saveButtonOn, "SAVE");
    saveButton->onClick = [this] {
        if (saveButton->isEnabled())
            savePreset();
    };
    saveAsButton = makeHeaderButton(AppImageID::saveButtonOff, AppImageID::saveButtonOn, "SAVE AS");
    saveAsButton->onClick = [this] {
        if (saveAsButton->isEnabled())
            onSaveAs();
    };
    presetManagerButton = makeHeaderButton(AppImageID::presetManagerOff, AppImageID::presetManagerOn, "PRESET MANAGER");
    presetManagerButton->onClick = [this] { openPresetManager(); };

    presetList->setNumRows(editorService != nullptr ? int(editorService->getNumPresets()) : 0);

    routingTitle = std::make_unique<SimpleLabel>("ROUTING");
    routingTitle->setTextColour(globalLabelColour);
    routingTitle->font = globalLabelFont;
    addAndMakeVisible(*routingTitle);

    addRoutingRow("COMPRESSOR", 164, { "PRE", "POST" }, 0, 0);
    addRoutingRow("GRAPHIC EQ", 94, { "PRE", "POST" }, 0, 0);
    addRoutingRow("PARAMETRIC EQ 1", 111, { "PRE", "POST" }, 0, 0);
    addRoutingRow("PARAMETRIC EQ 2", 117, { "PRE", "POST" }, 0, 0);
    addRoutingRow("PARAMETRIC EQ 3", 123, { "PRE", "POST" }, 0, 0);
    addRoutingRow("CHORUS", 200, { "PRE", "POST" }, 0, 0);
    addRoutingRow("FLANGER", 201, { "PRE", "POST" }, 0, 0);
    addRoutingRow("PHASER", 202, { "PRE", "POST" }, 0, 0);
    addRoutingRow("TREMOLO", 199, { "PRE", "POST" }, 0, 0);
    addRoutingRow("PITCHSHIFTER", 376, { "PRE", "POST" }, 0, 0);
    addRoutingRow("BOOST", 22, { "1", "2", "3" }, 2, 3);
    addRoutingRow("ECHO", 37, { "PRE", "POST" }, 0, 0);
    addRoutingRow("VOLUME", 161, { "1", "2", "3" }, 2, 3);
    addRoutingRow("LOOP", 310, { "1", "2", "3", "4", "5" }, 3, 11);

    statusTimer.onTime = [this] {
        {
            std::lock_guard<std::mutex> lock(pageMutex);
            pending.stateChanged = true;
        }
        triggerAsyncUpdate();
    };

    onEditorServiceAllChanged();
    if (editorService != nullptr)
        editorService->addListener(this);
}

EditComponent::~EditComponent()
{
    // A completion running now holds the link, which this waits for; later ones find no page.
    {
        std::lock_guard<std::mutex> lock(link->mutex);
        link->page = nullptr;
    }
    // A listener call running now holds the service's listener mutex, which this waits for.
    if (editorService != nullptr)
        editorService->removeListener(this);
    statusTimer.stopTimer();
    cancelPendingUpdate();
}

void EditComponent::addAmpControl(TonecrestParamID id, const char* captionText)
{
    auto knob = std::make_unique<ParameterKnob>();
    knob->setImage(getAppImage(AppImageID::mainDialFilmStrip), 1, 99, -1);
    auto caption = std::make_unique<SimpleLabel>(captionText);
    caption->setTextColour(editPageAccentColour);
    caption->font = editPageAccentFont;
    auto readout = std::make_unique<ParameterLabel>();
    readout->setTextColour(editPageAccentColour);
    readout->setFont(editPageAccentFont);

    addAndMakeVisible(*knob);
    addAndMakeVisible(*caption);
    addAndMakeVisible(*readout);
    bindParameterWidget(knob.get(), id);
    bindParameterWidget(readout.get(), id);

    ampKnobs.push_back(std::move(knob));
    ampKnobCaptions.push_back(std::move(caption));
    ampKnobReadouts.push_back(std::move(readout));
}

void EditComponent::addRoutingRow(const char* captionText, TonecrestParamID id, std::vector<const char*> optionTexts,
                                  int xOffset, int inset)
{
    RoutingRow row;
    row.paramID = id;
    row.xOffset = xOffset;
    row.inset = inset;
    row.caption = std::make_unique<SimpleLabel>(captionText);
    row.caption->setTextColour(editPageGreyColour);
    row.caption->font = editPageFont;
    row.caption->justification = juce::Justification::centredLeft;
    addAndMakeVisible(*row.caption);

    const size_t rowIndex = routingRows.size();
    for (size_t j = 0; j < optionTexts.size(); ++j)
    {
        auto option = std::make_unique<SimpleTextButton>(optionTexts[j]);
        option->textColour = editPageDarkColour;
        option->litTextColour = editPageWhiteColour;
        option->font = editPageFont;
        option->onClick = [this, rowIndex, j] { onRoutingOptionClicked(rowIndex, int(j)); };
        addAndMakeVisible(*option);
        row.options.push_back(std::move(option));
    }
    routingRows.push_back(std::move(row));
}

void EditComponent::onRoutingOptionClicked(size_t rowIndex, int option)
{
    auto& row = routingRows[rowIndex];
    auto& button = *row.options[size_t(option)];
    button.latched = true;
    button.repaint();
    // The other options go dark when the service reports the new value; a refused write
    // puts the row back at once.
    if (editorService != nullptr
        && !editorService->setParameterValue(row.paramID, { Tonecrest::TonecrestParamMap::kTypeInteger, double(option) },
                                             nullptr))
        showServiceValue(row.paramID);
}

void EditComponent::resized()
{
    presetList->setBounds(0, 74, 162, 541);
    presetTitle->setBounds(190, 89, 643, 26);
    previousPresetButton->setBounds(847, 95, 12, 15);
    nextPresetButton->setBounds(868, 95, 12, 15);
    saveButton->setBounds(893, 89, 68, 26);
    saveAsButton->setBounds(969, 89, 68, 26);
    presetManagerButton->setBounds(5, 621, 152, 51);
    signalChain->setBounds(172, 128, 870, 129);
    pitchNote->setBounds(174, 241, 865, 16);

    for (size_t i = 0; i < ampKnobs.size(); ++i)
    {
        const int step = 111 * int(i);
        ampKnobs[i]->setBounds(291 + step, 296, 83, 83);
        ampKnobCaptions[i]->setBounds(289 + step, 279, 83, 17);
        ampKnobReadouts[i]->setBounds(289 + step, 360, 83, 17);
    }

    routingTitle->setBounds(179, 395, 253, 23);
    for (size_t r = 0; r < routingRows.size(); ++r)
    {
        const auto& row = routingRows[r];
        const int y = 421 + 18 * int(r);
        row.caption->setBounds(188, y, 140, 18);
        const int n = int(row.options.size());
        const int span = 105 - 2 * row.inset;
        for (int j = 0; j < n; ++j)
            row.options[size_t(j)]->setBounds(328 + row.xOffset + row.inset + (j * span) / n, y, span / n, 18);
    }

    blockTitle->setBounds(450, 395, 597, 22);
    effectViewport->setBounds(450, 417, 597, 254);
}

// ---- The other pages ------------------------------------------------------------------------------

void EditComponent::setGlobalComponent(GlobalComponent* page)
{
    globalPage = page;
    onEditorServiceAllChanged();
}

void EditComponent::setFootswitchAssignComponent(FootswitchAssignComponent* page)
{
    footswitchPage = page;
    onEditorServiceAllChanged();
}

void EditComponent::setCabinetsComponent(CabinetsComponent* page)
{
    cabinetsPage = page;
    if (cabinetsPage != nullptr)
        cabinetsPage->setNumRows(editorService != nullptr ? editorService->getNumUserCabinets() : 0);
    onEditorServiceAllChanged();
}

void EditComponent::updateFirmware(bool fromFile)
{
    onBackupComponentUpdateFirmware(fromFile);
}

// ---- Listener: record and trigger (any thread, listener mutex held) -------------------------------

void EditComponent::onEditorServiceAllChanged()
{
    const int numPresets = editorService != nullptr ? int(editorService->getNumPresets()) : 0;
    const int numUserCabinets = editorService != nullptr ? editorService->getNumUserCabinets() : 0;
    {
        std::lock_guard<std::mutex> lock(pageMutex);
        pending.stateChanged = true;
        for (int i = 0; i < numPresets; ++i)
            pending.dirtyPresets.push_back(i);
        for (int i = 0; i < numUserCabinets; ++i)
            pending.dirtyUserCabinets.push_back(i);
        pending.resendParameterInfo = true;
        pending.refreshAllParameters = true;
        pending.currentPresetChanged = true;
        pending.blockChanged = true;
        pending.chainChanged = true;
        pending.presetTitleChanged = true;
    }
    triggerAsyncUpdate();
}

void EditComponent::onEditorServiceStateChanged(int state)
{
    {
        std::lock_guard<std::mutex> lock(pageMutex);
        pending.stateChanged = true;
        // A refresh may be over before the message thread gets to show it; its end must still
        // select the current preset.
        if (state == Service::kStateRefreshing)
            refreshSeen = true;
    }
    triggerAsyncUpdate();
}

void EditComponent::onEditorServicePresetChanged(int presetIndex)
{
    {
        std::lock_guard<std::mutex> lock(pageMutex);
        pending.dirtyPresets.push_back(presetIndex);
    }
    triggerAsyncUpdate();
}

void EditComponent::onEditorServiceCurrentPresetChanged(int)
{
    {
        std::lock_guard<std::mutex> lock(pageMutex);
        pending.currentPresetChanged = true;
        pending.presetTitleChanged = true;
    }
    triggerAsyncUpdate();
}

void EditComponent::onEditorServiceUserCabinetChanged(int userCabinetIndex)
{
    {
        std::lock_guard<std::mutex> lock(pageMutex);
        pending.dirtyUserCabinets.push_back(userCabinetIndex);
    }
    triggerAsyncUpdate();
}

void EditComponent::onEditorServiceParameterChanged(TonecrestParamID id, const ParameterValue&)
{
    {
        std::lock_guard<std::mutex> lock(pageMutex);
        pending.changedParameters.push_back(id);
        pending.presetTitleChanged = true;
        if (isChainParameter(id))
            pending.chainChanged = true;
    }
    triggerAsyncUpdate();
}

void EditComponent::onEditorServiceParametersChanged()
{
    {
        std::lock_guard<std::mutex> lock(pageMutex);
        pending.resendParameterInfo = true;
        pending.refreshAllParameters = true;
        pending.chainChanged = true;
        pending.presetTitleChanged = true;
    }
    triggerAsyncUpdate();
}

// ---- Parameter widgets --------------------------------------------------------------------------

void EditComponent::bindParameterWidget(iParameterWidget* widget, TonecrestParamID id)
{
    if (widget == nullptr)
        return;
    bindings.emplace(id, BoundWidget { widget, widget->getComponent() });
    if (editorService == nullptr)
        return;

    Service::ParameterInfo info;
    const Result result = editorService->getParameterInfo(id, info);
    if (!result)
    {
        handleError(result, "Error getting param info");
        return;
    }
    // A write is confirmed by the service's report, which the update shows. A refused one
    // (the service busy or gone) is only logged by the service and reports nothing, so the
    // service's value is put back at once instead of the one the user just asked for.
    const int type = info.kind;
    widget->onValueChanged = [this, id, type](const double& value) {
        if (!editorService->setParameterValue(id, { type, value }, nullptr))
            showServiceValue(id);
    };
    refreshWidget(widget, id, true);
}

void EditComponent::showServiceValue(TonecrestParamID id)
{
    forgetDeletedWidgets();
    const auto range = bindings.equal_range(id);
    for (auto it = range.first; it != range.second; ++it)
        refreshWidget(it->second.widget, id, false);
    // The other pages' own buttons change ahead of the service only on their own clicks, and
    // put themselves back.
    for (auto& row : routingRows)
        if (row.paramID == id)
            showRoutingRow(row);
}

void EditComponent::unbindParameterWidget(iParameterWidget* widget)
{
    if (widget == nullptr)
        return;
    widget->onValueChanged = {};
    for (auto it = bindings.begin(); it != bindings.end();)
        it = it->second.widget == widget ? bindings.erase(it) : std::next(it);
}

void EditComponent::forgetDeletedWidgets()
{
    for (auto it = bindings.begin(); it != bindings.end();)
        it = it->second.component == nullptr ? bindings.erase(it) : std::next(it);
}

std::vector<iParameterWidget*> EditComponent::getBoundWidgets(TonecrestParamID id) const
{
    std::vector<iParameterWidget*> widgets;
    const auto range = bindings.equal_range(id);
    for (auto it = range.first; it != range.second; ++it)
        if (it->second.component != nullptr)
            widgets.push_back(it->second.widget);
    return widgets;
}

juce::String EditComponent::unitText(int unitCode)
{
    static const char* const units[] = { "", "dB", "Hz", "kHz", "mS", "%", " : 1", "bits", "deg", "cnt" };
    if (unitCode < 0 || unitCode >= int(std::size(units)))
        return {};
    return units[unitCode];
}

ParameterWidgetInfo EditComponent::makeWidgetInfo(const Service::ParameterInfo& info)
{
    ParameterWidgetInfo widgetInfo;
    widgetInfo.name = fromUTF8(info.name);
    widgetInfo.min = info.minimum.value;
    widgetInfo.max = info.maximum.value;
    widgetInfo.defaultValue = info.defaultValue.value;
    widgetInfo.interval = info.stepSize;
    for (const auto& named : info.values)
        widgetInfo.values.push_back({ fromUTF8(named.name), named.value.value });
    widgetInfo.unit = unitText(info.unit);
    widgetInfo.widgetCode = static_cast<uint32_t>(info.widget);
    widgetInfo.isBoolean = info.kind == Tonecrest::TonecrestParamMap::kTypeBoolean;
    return widgetInfo;
}

void EditComponent::refreshWidget(iParameterWidget* widget, TonecrestParamID id, bool sendInfo)
{
    if (editorService == nullptr)
        return;
    if (sendInfo)
    {
        Service::ParameterInfo info;
        const Result result = editorService->getParameterInfo(id, info);
        if (!result)
        {
            handleError(result, "Error getting param info");
            return;
        }
        const auto widgetInfo = makeWidgetInfo(info);
        widget->setParameterInfo(&widgetInfo);
    }
    ParameterValue value;
    const Result result = editorService->getParameterValue(id, value);
    if (result)
        widget->setParameterValue(value.value);
    else
        handleError(result, "Error getting param value");
}

// ---- The update (message thread) ----------------------------------------------------------------

EditComponent::PendingWork EditComponent::takePendingWork()
{
    std::lock_guard<std::mutex> lock(pageMutex);
    PendingWork work;
    work.dirtyPresets = std::move(pending.dirtyPresets);
    work.dirtyUserCabinets = std::move(pending.dirtyUserCabinets);
    work.changedParameters = std::move(pending.changedParameters);
    work.pendingActions = std::move(pending.pendingActions);
    pending.dirtyPresets.clear();
    pending.dirtyUserCabinets.clear();
    pending.changedParameters.clear();
    pending.pendingActions.clear();

    work.stateChanged = std::exchange(pending.stateChanged, false);
    work.resendParameterInfo = std::exchange(pending.resendParameterInfo, false);
    work.refreshAllParameters = std::exchange(pending.refreshAllParameters, false);
    work.currentPresetChanged = std::exchange(pending.currentPresetChanged, false);
    work.blockChanged = std::exchange(pending.blockChanged, false);
    work.chainChanged = std::exchange(pending.chainChanged, false);
    work.presetTitleChanged = std::exchange(pending.presetTitleChanged, false);

    work.selectedBlock = pending.selectedBlock;
    work.presetToSelect = std::exchange(pending.presetToSelect, -1);
    work.operationProgress = pending.operationProgress;
    return work;
}

void EditComponent::handleAsyncUpdate()
{
    ++updatePasses;
    auto work = takePendingWork();

    bool refreshFinished = false;
    if (editorService != nullptr)
    {
        updatePresetRows(work.dirtyPresets);
        updateUserCabinetRows(work.dirtyUserCabinets);
        updateParameters(work);
        if (work.currentPresetChanged && presetList->getCurrentRow() != editorService->getCurrentPresetIndex())
            presetList->setCurrentRow(editorService->getCurrentPresetIndex());
        updatePresetTitle(work);
    }
    if (work.blockChanged)
        rebuildEffectPanel(work.selectedBlock);
    if (work.stateChanged)
        refreshFinished = updateStatus(work.operationProgress);
    if (editorService != nullptr)
    {
        if (work.chainChanged)
            updateChain();
        if (refreshFinished)
            presetList->selectRow(editorService->getCurrentPresetIndex());
        if (work.presetToSelect != -1)
        {
            presetList->selectRow(work.presetToSelect);
            editorService->requestChangePreset(work.presetToSelect);
        }
    }
    runActions(std::move(work.pendingActions));
}

void EditComponent::updatePresetRows(const std::vector<int>& indexes)
{
    for (int index : indexes)
    {
        Service::PresetInfo info;
        if (!editorService->getPresetInfo(index, info))
            info = {};
        const int rowState = info.state == Service::PresetInfo::kBeingRead ? 1
                           : info.state == Service::PresetInfo::kValid     ? 2
                                                                           : 0;
        const auto number = fromUTF8(editorService->getPresetNumberText(index));
        const auto name = fromUTF8(info.name);
        // Every disconnect and refresh reports all 128 rows: leave the unchanged ones alone
        // (except the one being renamed, which a report closes).
        const auto& shown = presetList->getRows();
        if (index >= 0 && index < int(shown.size()) && index != presetList->getEditingRow()
            && shown[size_t(index)].number == number && shown[size_t(index)].name == name
            && shown[size_t(index)].state == rowState)
            continue;
        presetList->setRow(index, number, name, rowState);
    }
}

void EditComponent::updateUserCabinetRows(const std::vector<int>& indexes)
{
    if (cabinetsPage == nullptr)
        return;
    for (int index : indexes)
    {
        Service::UserCabinetInfo info;
        if (!editorService->getUserCabinetInfo(index, info))
            info = {};
        cabinetsPage->setRow(index, juce::String(index + 1), fromUTF8(info.name));
    }
}

void EditComponent::updateParameters(const PendingWork& work)
{
    if (work.refreshAllParameters)
    {
        forgetDeletedWidgets();
        for (const auto& [id, bound] : bindings)
            refreshWidget(bound.widget, id, work.resendParameterInfo);
        if (globalPage != nullptr)
            globalPage->refreshAll();
        if (footswitchPage != nullptr)
            footswitchPage->refreshAll();
        updateCabinetReadout();
        return;
    }

    forgetDeletedWidgets();
    bool cabinetChanged = false;
    for (TonecrestParamID id : work.changedParameters)
    {
        const auto range = bindings.equal_range(id);
        for (auto it = range.first; it != range.second; ++it)
            refreshWidget(it->second.widget, id, work.resendParameterInfo);
        if (globalPage != nullptr)
            globalPage->onParameterChanged(id);
        if (footswitchPage != nullptr)
            footswitchPage->onParameterChanged(id);
        cabinetChanged = cabinetChanged || id == cabinetParameter;
    }
    // The cabinet box is not bound: its name comes from the service's cabinet data.
    if (cabinetChanged)
        updateCabinetReadout();
}

void EditComponent::updateCabinetReadout()
{
    std::string name;
    const Result result = editorService->getCurrentCabinetName(name);
    if (!result)
    {
        handleError(result, "Error getting cabinet name");
        name.clear();
    }
    if (cabinetMenu != nullptr)
    {
        cabinetMenu->text = fromUTF8(name);
        cabinetMenu->repaint();
    }
}

void EditComponent::updatePresetTitle(const PendingWork& work)
{
    if (work.presetTitleChanged)
        currentPresetModified = editorService->isCurrentPresetModified();
    if (!work.presetTitleChanged && !work.currentPresetChanged)
        return;

    // Without a current preset (nothing read yet) there is no number to show either.
    juce::String title;
    const int index = editorService->getCurrentPresetIndex();
    if (index >= 0)
    {
        Service::PresetInfo info;
        juce::String name = editorService->getPresetInfo(index, info) ? fromUTF8(info.name) : juce::String();
        if (currentPresetModified)
            name << " *";
        title = fromUTF8(editorService->getPresetNumberText(index)) + " - " + name;
    }
    if (presetTitle->text != title)
    {
        presetTitle->text = title;
        presetTitle->repaint();
    }
}

void EditComponent::rebuildEffectPanel(int block)
{
    pitchNote->setVisible(block == pitchShifterBlock && editorService != nullptr
                          && editorService->getDeviceVersion().subType == 0);
    // The block's controls are already there: their descriptions and values are read again
    // through their bindings, so building them anew would change nothing but cost a repaint.
    if (block == panelBlock)
        return;
    panelBlock = block;

    for (auto* widget : panelWidgets)
        unbindParameterWidget(widget);
    panelWidgets.clear();
    effectParameters->clear();
    cabinetMenu = nullptr;

    // Without a service there is no description to build a control from.
    auto describable = [this](int id) {
        if (editorService == nullptr)
            return false;
        Service::ParameterInfo info;
        const Result result = editorService->getParameterInfo(id, info);
        if (!result)
            handleError(result, "Error getting param info");
        return result.ok;
    };
    const auto built = effectParameters->build(getEditLayoutForBlock(block), describable);
    for (const auto& binding : built.bindings)
    {
        panelWidgets.push_back(binding.widget);
        bindParameterWidget(binding.widget, binding.paramID);
    }
    if (built.cabinetMenu != nullptr)
    {
        cabinetMenu = built.cabinetMenu;
        cabinetMenu->onClick = [this](juce::Component*) { showCabinetChooser(); };
        // The next update fills in the cabinet's name.
        {
            std::lock_guard<std::mutex> lock(pageMutex);
            pending.changedParameters.push_back(cabinetParameter);
        }
        triggerAsyncUpdate();
    }
    effectViewport->setViewPosition(0, 0);

    blockTitle->text = blockTitleFor(block);
    blockTitle->repaint();
    signalChain->setSelectedBlock(block);
}

bool EditComponent::updateStatus(double progress)
{
    const int state = editorService != nullptr ? editorService->getState() : int(Service::kStateNotConnected);
    const juce::String lastError = editorService != nullptr ? fromUTF8(editorService->getLastError()) : juce::String();

    bool refreshFinished = false;
    if (state == Service::kStateReady)
    {
        std::lock_guard<std::mutex> lock(pageMutex);
        refreshFinished = std::exchange(refreshSeen, false);
    }
    else if (state == Service::kStateRefreshing)
    {
        std::lock_guard<std::mutex> lock(pageMutex);
        refreshSeen = true;
    }

    const auto texts = statusTextsForState(state, lastError, progress);
    if (statusShownAtMs != 0 && texts == shownStatus)
        return refreshFinished;
    const auto now = juce::Time::getMillisecondCounter();
    const auto sinceShown = int(now - statusShownAtMs);
    if (statusShownAtMs != 0 && sinceShown < minStatusIntervalMs)
    {
        if (!statusTimer.isTimerRunning())
            statusTimer.startTimer(minStatusIntervalMs - sinceShown);
        return refreshFinished;
    }
    shownStatus = texts;
    statusShownAtMs = juce::jmax(juce::uint32(1), now);

    auto apply = [&texts](iStatusDisplay* display, bool shown, const juce::String& text) {
        if (display == nullptr)
            return;
        display->setShown(shown);
        if (shown)
            display->setStatusText(text, texts.isError);
        display->setBusy(texts.busy);
        display->setProgress(texts.progress);
    };
    apply(statusBar, texts.barShown, texts.barText);
    apply(overlay, texts.overlayShown, texts.overlayText);

    saveButton->setEnabled(!texts.busy);
    saveAsButton->setEnabled(!texts.busy);
    return refreshFinished;
}

void EditComponent::updateChain()
{
    for (int blockID : insertReadOrder)
    {
        ParameterValue value;
        const Result result = editorService->getParameterValue(insertParameterOf(blockID), value);
        if (!result)
        {
            handleError(result, "Error getting param value");
            continue;
        }
        const int insert = truncateToInt(value.value);
        const auto shown = shownInserts.find(blockID);
        if (shown == shownInserts.end() || shown->second != insert)
        {
            shownInserts[blockID] = insert;
            signalChain->setBlockInsert(blockID, insert);
        }
    }
    for (const auto& block : blockRecords)
    {
        ParameterValue value;
        const Result result = editorService->getParameterValue(block.enableParameter, value);
        if (!result)
        {
            handleError(result, "Error getting param value");
            continue;
        }
        const bool enabled = truncateToInt(value.value) != 0;
        const auto shown = shownEnables.find(block.blockID);
        if (shown == shownEnables.end() || shown->second != enabled)
        {
            shownEnables[block.blockID] = enabled;
            signalChain->setBlockEnabled(block.blockID, enabled);
        }
    }
    for (auto& row : routingRows)
        showRoutingRow(row);
}

void EditComponent::showRoutingRow(RoutingRow& row)
{
    ParameterValue value;
    const int selected = editorService->getParameterValue(row.paramID, value) ? truncateToInt(value.value) : 0;
    for (size_t j = 0; j < row.options.size(); ++j)
    {
        auto& option = *row.options[j];
        if (option.latched != (int(j) == selected))
        {
            option.latched = int(j) == selected;
            option.repaint();
        }
    }
}

void EditComponent::runActions(std::vector<std::function<void()>> actions)
{
    for (auto& action : actions)
        actionQueue.push_back(std::move(action));
    // A box runs a modal loop, in which the next update may arrive: its actions wait in the
    // queue behind the box in front, so boxes appear one after another in the order raised.
    if (runningActions)
        return;
    runningActions = true;
    while (!actionQueue.empty())
    {
        auto action = std::move(actionQueue.front());
        actionQueue.pop_front();
        if (action)
            action();
    }
    runningActions = false;
}

// ---- Tables -------------------------------------------------------------------------------------

EditComponent::StatusTexts EditComponent::statusTextsForState(int state, const juce::String& lastError, double progress)
{
    StatusTexts texts;
    auto both = [&texts](const juce::String& text, bool isError, bool busy) {
        texts.barShown = texts.overlayShown = true;
        texts.barText = texts.overlayText = text;
        texts.isError = isError;
        texts.busy = busy;
    };
    switch (state)
    {
    case Service::kStateNotConnected:
        texts.barShown = texts.overlayShown = true;
        texts.barText = "Disconnected";
        texts.overlayText = "Please connect TONECREST";
        texts.isError = true;
        break;
    case Service::kStateReady:
        texts.barShown = true;
        break;
    case Service::kStateBootloader:
        both("Firmware update required\nPlease choose 'Update Firmware' from the File menu.", true, false);
        break;
    case Service::kStateWaitingForReady:
        both("Connecting...", false, true);
        break;
    case Service::kStateRefreshing:
        both("Refreshing...", false, true);
        break;
    case Service::kStateBackup:
        both("Backing up...", false, true);
        texts.progress = progress;
        break;
    case Service::kStateRestore:
        both("Restoring...", false, true);
        texts.progress = progress;
        break;
    case Service::kStateFirmwareUpdate:
        both("Updating firmware...", false, true);
        texts.progress = progress;
        break;
    case 8: // the service never enters 8 and 9; their texts stand ready
        both("Waiting for reboot...", false, true);
        break;
    case 9:
        both("Not responding...", false, true);
        break;
    case Service::kStateSingleTransfer:
        texts.barShown = true;
        texts.barText = "Saving...";
        texts.busy = true;
        break;
    case Service::kStatePresetUpdate:
        both("Updating presets...", false, true);
        texts.progress = progress;
        break;
    case Service::kStateReconnecting:
        both("Please power cycle TONECREST\nHold the rightmost footswitch while connecting the power cable.", false, false);
        break;
    case Service::kStateError:
        both("An error occurred.\n" + lastError, true, false);
        break;
    default:
        break;
    }
    return texts;
}

juce::String EditComponent::blockTitleFor(int blockID)
{
    if (blockID == 0 || (blockID >= 20 && blockID <= 22))
        return "(No block selected)";
    const auto* block = findBlock(blockID);
    return block != nullptr ? juce::String(block->title) : juce::String();
}

Tonecrest::TonecrestParamID EditComponent::enableParameterOf(int blockID)
{
    const auto* block = findBlock(blockID);
    return block != nullptr ? block->enableParameter : 0;
}

Tonecrest::TonecrestParamID EditComponent::insertParameterOf(int blockID)
{
    const auto* block = findBlock(blockID);
    return block != nullptr ? block->insertParameter : 0;
}

bool EditComponent::isChainParameter(TonecrestParamID id)
{
    if (id <= 0)
        return false;
    for (const auto& block : blockRecords)
        if (block.enableParameter == id || block.insertParameter == id)
            return true;
    return false;
}

// ---- Talking to the user ---------------------------------------------------------------------------

void EditComponent::showAlert(const juce::String& message)
{
    if (alertPresenter)
        alertPresenter(message);
    else
        juce::AlertWindow::showMessageBox(juce::MessageBoxIconType::WarningIcon, "Error", message, "OK");
}

bool EditComponent::askQuestion(const juce::String& title, const juce::String& message, const juce::String& confirmText,
                                const juce::String& cancelText)
{
    if (questionAsker)
        return questionAsker(title, message, confirmText, cancelText);
    return juce::AlertWindow::showOkCancelBox(juce::MessageBoxIconType::QuestionIcon, title, message, confirmText,
                                              cancelText, nullptr, nullptr);
}

int EditComponent::runMenu(const juce::PopupMenu& menu, const juce::PopupMenu::Options& options)
{
    if (menuRunner)
        return menuRunner(menu, options);
    juce::PopupMenu shown(menu);
    return shown.showMenu(options);
}

int EditComponent::truncateToInt(double value)
{
    return Tonecrest::TonecrestParamMap::truncateToInt(value).value_or(0);
}

juce::String EditComponent::fromUTF8(const std::string& text)
{
    return juce::String::fromUTF8(text.c_str(), int(text.size()));
}

