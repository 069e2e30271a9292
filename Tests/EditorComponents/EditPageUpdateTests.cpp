#include "EditPageTestRig.h"

#include "FootswitchAssignComponent.h"
#include "GlobalComponent.h"

#include "EffectParameters.h"
#include "ParameterKnob.h"
#include "ParameterLabel.h"

#include <cmath>
#include <set>
#include <thread>

namespace EditPageTesting
{
namespace
{

using Service = TonecrestEditorService;

/** The global page as far as it exists, with one radio-like updater registered on it. */
struct RecordingGlobalPage : GlobalComponent
{
    RecordingGlobalPage(EditComponent* editor, TonecrestEditorService* service) : GlobalComponent(editor, service)
    {
        addUpdater(139, [this](const TonecrestEditorService::ParameterValue& v) { mainModes.push_back(v.value); });
    }
    std::vector<double> mainModes;
};

using EditPageUpdate = EditPageTest;

TEST_F(EditPageUpdate, ListenerCallsFromAnyThreadAreOnlyRecordedAndTakenInOneUpdatePass)
{
    pedal().setPresetName(5, "Five");
    pedal().setPresetParams(0, parameterList({ { 3, 2.0 } }));
    makePage();
    connectAndRefresh();
    ASSERT_EQ(page->getPresetList().getRows()[5].name, "Five");
    ASSERT_DOUBLE_EQ(page->getAmpKnob(0).getValue(), 2.0);

    // The pedal changes behind the service's back; only the notifications tell the page.
    const int passesBefore = page->getUpdatePassCount();
    std::thread worker([&] {
        page->onEditorServicePresetChanged(5);
        page->onEditorServicePresetChanged(5);
        page->onEditorServiceParameterChanged(3, { 1, 2.0 });
        page->onEditorServiceCurrentPresetChanged(0);
        page->onEditorServiceStateChanged(1);
    });
    worker.join();
    EXPECT_EQ(page->getUpdatePassCount(), passesBefore) << "nothing runs before the message loop does";

    pump(50);
    EXPECT_EQ(page->getUpdatePassCount(), passesBefore + 1) << "one pass for the whole batch";
    EXPECT_TRUE(alerts.empty());
}

TEST_F(EditPageUpdate, KnobDragTravelsToThePedalAndBackIntoEveryWidgetOfItsParameter)
{
    pedal().setPresetParams(0, parameterList({ { 3, 5.0 } }));
    pedal().setPresetName(0, "Clean");
    makePage();
    connectAndRefresh();

    // The amp panel (shown first) holds a second Gain knob with its own read-out.
    const auto gainWidgets = page->getBoundWidgets(3);
    ASSERT_EQ(gainWidgets.size(), 4u) << "amp knob, its read-out, panel knob, its read-out";
    auto& knob = page->getAmpKnob(0);
    ASSERT_DOUBLE_EQ(knob.getValue(), 5.0);
    ASSERT_EQ(knob.getDragPixels(), 200) << "0..10 in steps of 0.1";

    // 50 pixels up is a quarter of the range: 5.0 -> 7.5, which the pedal stores as 0.75.
    knob.mouseDown(mouseEvent(knob, { 40.0f, 60.0f }, { 40.0f, 60.0f }));
    knob.mouseDrag(mouseEvent(knob, { 40.0f, 10.0f }, { 40.0f, 60.0f }));
    knob.mouseUp(mouseEvent(knob, { 40.0f, 10.0f }, { 40.0f, 60.0f }));
    rig.drain();
    EXPECT_FLOAT_EQ(pedalValue(3), 0.75f);

    pump(50);
    for (auto* widget : gainWidgets)
    {
        if (auto* panelKnob = dynamic_cast<ParameterKnob*>(widget))
        {
            EXPECT_DOUBLE_EQ(panelKnob->getValue(), 7.5);
        }
        if (auto* readout = dynamic_cast<ParameterLabel*>(widget))
        {
            EXPECT_EQ(readout->getText(), "7.5");
        }
    }
    EXPECT_EQ(page->getPresetTitle().text, "001 - Clean *") << "modified; the pedal numbers from 1";
    EXPECT_TRUE(alerts.empty());
}

TEST_F(EditPageUpdate, AWriteRefusedWhileBusyPutsThePedalsValueBackAtOnce)
{
    pedal().setPresetParams(0, parameterList({ { 3, 5.0 }, { 164, 1 } }));
    makePage();
    connectAndRefresh();
    // A preset read whose reply never comes holds the service in its single-transfer state,
    // as an export does; the page stays usable meanwhile.
    pedal().addFault({ 0xC5, SimulatedPedal::Fault::Drop, 0, SimulatedPedal::kAlways });
    ASSERT_TRUE(rig.service->getPreset(2, nullptr).ok);
    ASSERT_EQ(rig.service->getState(), Service::kStateSingleTransfer);
    const auto editBuffer = pedal().presetParams(SimulatedPedal::kEditBuffer, SimulatedPedal::Copy::Working);
    const auto writes = pedal().parameterWrites().size();

    auto& knob = page->getAmpKnob(0);
    knob.mouseDown(mouseEvent(knob, { 40.0f, 60.0f }, { 40.0f, 60.0f }));
    knob.mouseDrag(mouseEvent(knob, { 40.0f, 10.0f }, { 40.0f, 60.0f }));
    click(*page->getRoutingRows()[0].options[0]); // COMPRESSOR "PRE"

    // No update has run: the widgets were put back by the refusal itself.
    ASSERT_EQ(page->getBoundWidgets(3).size(), 4u);
    for (auto* widget : page->getBoundWidgets(3))
    {
        if (auto* gain = dynamic_cast<ParameterKnob*>(widget))
            EXPECT_DOUBLE_EQ(gain->getValue(), 5.0);
        if (auto* readout = dynamic_cast<ParameterLabel*>(widget))
            EXPECT_EQ(readout->getText(), "5.0");
    }
    EXPECT_EQ(litOptions(0), (std::vector<bool> { false, true }));
    EXPECT_EQ(pedal().parameterWrites().size(), writes);
    EXPECT_EQ(pedal().presetParams(SimulatedPedal::kEditBuffer, SimulatedPedal::Copy::Working), editBuffer);
}

TEST_F(EditPageUpdate, EveryServiceStateHasItsTexts)
{
    struct Expected
    {
        int state;
        const char* bar;     // null: not shown
        const char* overlay; // null: not shown
        bool error, busy;
        double progress;
    };
    const Expected table[] = {
        { 0, "Disconnected", "Please connect TONECREST", true, false, -1 },
        { 1, "", nullptr, false, false, -1 },
        { 2, "Firmware update required\nPlease choose 'Update Firmware' from the File menu.",
          "Firmware update required\nPlease choose 'Update Firmware' from the File menu.", true, false, -1 },
        { 3, "Connecting...", "Connecting...", false, true, -1 },
        { 4, "Refreshing...", "Refreshing...", false, true, -1 },
        { 5, "Backing up...", "Backing up...", false, true, 0.25 },
        { 6, "Restoring...", "Restoring...", false, true, 0.25 },
        { 7, "Updating firmware...", "Updating firmware...", false, true, 0.25 },
        { 8, "Waiting for reboot...", "Waiting for reboot...", false, true, -1 },
        { 9, "Not responding...", "Not responding...", false, true, -1 },
        { 10, "Saving...", nullptr, false, true, -1 },
        { 11, "Updating presets...", "Updating presets...", false, true, 0.25 },
        { 12, "Please power cycle TONECREST\nHold the rightmost footswitch while connecting the power cable.",
          "Please power cycle TONECREST\nHold the rightmost footswitch while connecting the power cable.", false, false, -1 },
        { 13, "An error occurred.\nNo reply", "An error occurred.\nNo reply", true, false, -1 },
        { 14, nullptr, nullptr, false, false, -1 },
    };
    for (const auto& expected : table)
    {
        SCOPED_TRACE(expected.state);
        const auto texts = EditComponent::statusTextsForState(expected.state, "No reply", 0.25);
        EXPECT_EQ(texts.barShown, expected.bar != nullptr);
        EXPECT_EQ(texts.overlayShown, expected.overlay != nullptr);
        EXPECT_EQ(texts.barText, expected.bar != nullptr ? expected.bar : texts.barText);
        EXPECT_EQ(texts.overlayText, expected.overlay != nullptr ? expected.overlay : texts.overlayText);
        EXPECT_EQ(texts.isError, expected.error);
        EXPECT_EQ(texts.busy, expected.busy);
        EXPECT_DOUBLE_EQ(texts.progress, expected.progress);
    }
}

TEST_F(EditPageUpdate, StatusBarAndOverlayFollowTheServiceFromDisconnectedToErrorAndBusy)
{
    makePage();
    pump(50);
    EXPECT_TRUE(statusBar.isVisible());
    EXPECT_EQ(statusBar.getLabel().getText(), "Disconnected");
    EXPECT_TRUE(overlay.isVisible());
    EXPECT_EQ(overlay.getTitle(), "Please connect TONECREST");
    EXPECT_EQ(page->getPresetTitle().text, "") << "no current preset yet";

    // Connecting runs through 3, 4 and 1 within a few milliseconds; the displays are not
    // rewritten for each, but end on the state the service is in.
    rig.connectAndRefresh();
    ASSERT_TRUE(pumpUntil([&] { return !overlay.isVisible(); }));
    EXPECT_TRUE(statusBar.isVisible());
    EXPECT_EQ(statusBar.getLabel().getText(), "");
    EXPECT_EQ(page->getPresetList().getSelectedRow(), 0) << "the refresh was seen through its notification";
    EXPECT_TRUE(page->getSaveButton().isEnabled());

    // A backup whose first read goes unanswered keeps the service busy until its time-out.
    pedal().addFault({ 0xC5, SimulatedPedal::Fault::Drop, 0, SimulatedPedal::kAlways });
    ASSERT_TRUE(rig.service->beginBackup(nullptr, nullptr).ok);
    ASSERT_TRUE(pumpUntil([&] { return overlay.isVisible(); }));
    EXPECT_EQ(overlay.getTitle(), "Backing up...");
    EXPECT_EQ(statusBar.getLabel().getText(), "Backing up...");
    EXPECT_TRUE(statusBar.getSpinner().isVisible());
    EXPECT_DOUBLE_EQ(overlay.getProgress(), -1.0) << "no progress reported by this page's callback yet";
    EXPECT_FALSE(page->getSaveButton().isEnabled());
    EXPECT_FALSE(page->getSaveAsButton().isEnabled());

    // The failed backup leaves the service in its error state with its own text.
    ASSERT_TRUE(pumpUntil([&] { return rig.service->getState() == Service::kStateError; }, 60000));
    ASSERT_TRUE(pumpUntil([&] { return overlay.getTitle() == "An error occurred."; }));
    EXPECT_EQ(statusBar.getLabel().getText(), "An error occurred.");
    EXPECT_EQ(overlay.getDetail(), juce::String(rig.service->getLastError()));
    EXPECT_FALSE(statusBar.getSpinner().isVisible());
    EXPECT_TRUE(page->getSaveButton().isEnabled());

    rig.service->disconnect();
    ASSERT_TRUE(pumpUntil([&] { return overlay.getTitle() == "Please connect TONECREST"; }));
    EXPECT_EQ(statusBar.getLabel().getText(), "Disconnected");
}

TEST_F(EditPageUpdate, RoutingRowsAreLitFromTheInsertsAndAnOptionWritesItsValue)
{
    pedal().setPresetParams(0, parameterList({ { 164, 1 }, { 22, 2 }, { 310, 4 }, { 161, 0 } }));
    makePage();
    for (size_t row = 0; row < page->getRoutingRows().size(); ++row)
        for (bool lit : litOptions(row))
            EXPECT_FALSE(lit) << "nothing is lit before the first update";

    connectAndRefresh();
    const auto& rows = page->getRoutingRows();
    ASSERT_EQ(rows.size(), 14u);
    EXPECT_EQ(rows[0].caption->text, "COMPRESSOR");
    EXPECT_EQ(litOptions(0), (std::vector<bool> { false, true }));
    EXPECT_EQ(litOptions(10), (std::vector<bool> { false, false, true })) << "BOOST";
    EXPECT_EQ(litOptions(12), (std::vector<bool> { true, false, false })) << "VOLUME";
    EXPECT_EQ(litOptions(13), (std::vector<bool> { false, false, false, false, true })) << "LOOP";
    const int compressorPost = page->getSignalChain().getBlockPosition(11);

    click(*rows[0].options[0]);
    EXPECT_EQ(litOptions(0), (std::vector<bool> { true, true })) << "lit at once, the other clears on the update";
    rig.drain();
    EXPECT_FLOAT_EQ(pedalValue(164), 0.0f);
    pump(50);
    EXPECT_EQ(litOptions(0), (std::vector<bool> { true, false }));
    EXPECT_LT(page->getSignalChain().getBlockPosition(11), compressorPost) << "the compressor moved before the amp";

    // Option j of a row stands for value j.
    click(*rows[13].options[2]);
    rig.drain();
    EXPECT_FLOAT_EQ(pedalValue(310), 2.0f);
    pump(50);
    EXPECT_EQ(litOptions(13), (std::vector<bool> { false, false, true, false, false }));

    EXPECT_EQ(rows[13].options[4]->getBounds(), juce::Rectangle<int>(408, 655, 16, 18));
    EXPECT_TRUE(alerts.empty());
}

TEST_F(EditPageUpdate, FullRefreshFillsRowsTitleStripAndTheOtherPages)
{
    for (unsigned i = 0; i < 128; ++i)
        pedal().setPresetName(i, "Preset " + std::to_string(i));
    pedal().setCabinetName(9, 3, "Greenback");
    pedal().setCurrentPreset(7);
    pedal().setPresetParams(7, parameterList({ { 53, 1 }, { 263, 5 }, { 264, 22 } }));
    pedal().setGlobals(parameterList({ { 139, 2 } }));

    makePage();
    CabinetsComponent cabinets(page.get());
    RecordingGlobalPage global(page.get(), rig.service.get());
    FootswitchAssignComponent footswitches(page.get(), rig.service.get());
    page->setGlobalComponent(&global);
    page->setFootswitchAssignComponent(&footswitches);
    page->setCabinetsComponent(&cabinets);
    EXPECT_EQ(cabinets.getNumRows(), 32);
    connectAndRefresh();

    const auto& rows = page->getPresetList().getRows();
    ASSERT_EQ(rows.size(), 128u);
    EXPECT_EQ(rows[7].number, "008") << "the pedal numbers from 1";
    EXPECT_EQ(rows[7].name, "Preset 7");
    EXPECT_EQ(rows[7].state, PresetList::rowValid);
    EXPECT_EQ(page->getPresetList().getCurrentRow(), 7);
    EXPECT_EQ(page->getPresetList().getSelectedRow(), 7) << "selected once the refresh finished";
    EXPECT_EQ(page->getPresetTitle().text, "008 - Preset 7");
    EXPECT_EQ(page->getBlockTitle().text, "Amp");
    EXPECT_EQ(page->getSignalChain().getSelectedBlock(), 1);
    EXPECT_TRUE(page->getSignalChain().isBlockEnabled(5)) << "reverb";
    EXPECT_FALSE(page->getSignalChain().isBlockEnabled(4)) << "echo";

    EXPECT_EQ(cabinets.getRow(3).number, "4");
    EXPECT_EQ(cabinets.getRow(3).name, "Greenback");
    ASSERT_FALSE(global.mainModes.empty());
    EXPECT_DOUBLE_EQ(global.mainModes.back(), 2.0);
    EXPECT_EQ(footswitches.getAssignment(0), (FootswitchAssignComponent::Assignment { true, 2, true }));
    EXPECT_EQ(footswitches.getAssignment(1), (FootswitchAssignComponent::Assignment { true, 11, false }));
    EXPECT_EQ(footswitches.getAssignment(2), FootswitchAssignComponent::Assignment {});

    // One change reaches the pages that show it.
    global.mainModes.clear();
    ASSERT_TRUE(rig.service->setParameterValue(139, { 0, 3 }, nullptr).ok);
    ASSERT_TRUE(rig.service->setParameterValue(263, { 0, -1 }, nullptr).ok);
    settle();
    EXPECT_EQ(global.mainModes, (std::vector<double> { 3.0 }));
    EXPECT_EQ(footswitches.getAssignment(0), FootswitchAssignComponent::Assignment {});
    EXPECT_EQ(page->getPresetTitle().text, "008 - Preset 7 *");
    EXPECT_TRUE(alerts.empty());
}

TEST_F(EditPageUpdate, PitchNoteShowsOnlyForThePitchBlockOnTheSmallestVariant)
{
    for (int subType : { 0, 1, 2 })
    {
        SCOPED_TRACE(subType);
        page.reset();
        rig.service->disconnect();
        pedal().setVersion({ 3, 4, 1 }, { 6, 2, 0 }, subType);
        makePage();
        connectAndRefresh();
        EXPECT_FALSE(page->getPitchNote().isVisible());

        page->onSignalChainComponentBlockSelected(23);
        pump(50);
        EXPECT_EQ(page->getBlockTitle().text, "Pitchshifter");
        EXPECT_EQ(page->getPitchNote().isVisible(), subType == 0);

        page->onSignalChainComponentBlockSelected(4);
        pump(50);
        EXPECT_FALSE(page->getPitchNote().isVisible());
    }
    EXPECT_TRUE(alerts.empty());
}

TEST_F(EditPageUpdate, EveryChildOfThePageSitsWhereItBelongs)
{
    using R = juce::Rectangle<int>;
    makePage();
    std::vector<std::pair<juce::Component*, R>> expected = {
        { &page->getPresetList(), { 0, 74, 162, 541 } },
        { &page->getPresetTitle(), { 190, 89, 643, 26 } },
        { &page->getPreviousPresetButton(), { 847, 95, 12, 15 } },
        { &page->getNextPresetButton(), { 868, 95, 12, 15 } },
        { &page->getSaveButton(), { 893, 89, 68, 26 } },
        { &page->getSaveAsButton(), { 969, 89, 68, 26 } },
        { &page->getPresetManagerButton(), { 5, 621, 152, 51 } },
        { &page->getSignalChain(), { 172, 128, 870, 129 } },
        { const_cast<SimpleLabel*>(&page->getPitchNote()), { 174, 241, 865, 16 } },
        { const_cast<SimpleLabel*>(&page->getRoutingTitle()), { 179, 395, 253, 23 } },
        { page->getRoutingRows()[13].caption.get(), { 188, 655, 140, 18 } },
        { const_cast<SimpleLabel*>(&page->getBlockTitle()), { 450, 395, 597, 22 } },
        { &page->getEffectViewport(), { 450, 417, 597, 254 } },
    };
    for (int i : { 0, 5 })
    {
        expected.push_back({ &page->getAmpKnob(i), { 291 + 111 * i, 296, 83, 83 } });
        expected.push_back({ &page->getAmpKnobCaption(i), { 289 + 111 * i, 279, 83, 17 } });
        expected.push_back({ &page->getAmpKnobReadout(i), { 289 + 111 * i, 360, 83, 17 } });
    }
    for (const auto& [child, bounds] : expected)
    {
        EXPECT_EQ(child->getBounds(), bounds) << child->getName();
        EXPECT_EQ(child->getParentComponent(), page.get());
    }
}

TEST_F(EditPageUpdate, PanelsCaptionEachControlForItsParameterAndShowValuesWithTheirUnits)
{
    makePage();
    connectAndRefresh();

    // The echo panel, left to right and row by row; menus add ":" to their caption.
    const std::pair<const char*, TonecrestParamID> echo[] = {
        { "Enable:", 35 },   { "Type:", 36 },     { "Config:", 191 },   { "Level", 38 },      { "Dry Level", 48 },
        { "Width", 44 },     { "Low Cut", 190 },  { "High Cut", 189 },  { "BPM", 359 },       { "Mix 1", 194 },
        { "Pan 1", 176 },    { "Time 1", 39 },    { "Feedbk 1", 40 },   { "Tempo 1:", 355 },  { "Mix 2", 177 },
        { "Pan 2", 178 },    { "Time 2", 179 },   { "Feedbk 2", 180 },  { "Tempo 2:", 356 },  { "Mix 3", 181 },
        { "Pan 3", 182 },    { "Time 3", 183 },   { "Feedbk 3", 184 },  { "Tempo 3:", 357 },  { "Mix 4", 185 },
        { "Pan 4", 186 },    { "Time 4", 187 },   { "Feedbk 4", 188 },  { "Tempo 4:", 358 },  { "Buckets:", 195 },
        { "Ping Pong:", 41 }, { "Tails:", 42 },   { "Spillover:", 43 }, { "Flutter", 45 },    { "Flut. Spd", 46 },
        { "Diffusion", 193 }, { "Drive", 47 },    { "Bits", 192 },      { "Ducking", 49 },    { "Threshold", 50 },
        { "Release", 51 },
    };
    page->getSignalChain().getBlockButton(4)->triggerClick();
    pump(50);
    size_t n = 0;
    for (const auto& row : page->getEffectParameters().getRows())
        for (const auto& entry : row)
        {
            if (entry.kind == LayoutWidgetKind::Spacer)
                continue;
            ASSERT_LT(n, std::size(echo));
            const auto [caption, id] = echo[n++];
            EXPECT_EQ(dynamic_cast<SimpleLabel*>(entry.first)->text, caption);
            auto* widget = dynamic_cast<iParameterWidget*>(entry.second);
            ASSERT_TRUE(widget != nullptr && widget->onValueChanged) << caption;
            if (auto* knob = dynamic_cast<ParameterKnob*>(entry.second))
            {
                knob->onValueChanged(knob->getMinimum());
                settle();
                EXPECT_FLOAT_EQ(pedalValue(id), deviceEntry(id, knob->getMinimum()).second) << caption;
            }
        }
    EXPECT_EQ(n, std::size(echo));

    // Every readout shows its parameter's unit after the number.
    static const TonecrestParamMap table;
    const char* const unitTexts[] = { "", "dB", "Hz", "kHz", "mS", "%", " : 1", "bits", "deg", "cnt" };
    std::set<int> unitsSeen;
    for (int block : { 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 23 })
    {
        page->onSignalChainComponentBlockSelected(block);
        pump(50);
        for (const auto id : table.getBlockParameterIDs(block))
        {
            const int unit = table.findParameterInfo(id)->unit;
            for (auto* widget : page->getBoundWidgets(id))
                if (auto* label = dynamic_cast<ParameterLabel*>(widget); label != nullptr && unit > 0)
                {
                    EXPECT_TRUE(label->getText().endsWith(unitTexts[unit])) << id << " " << label->getText();
                    unitsSeen.insert(unit);
                }
        }
    }
    EXPECT_EQ(unitsSeen, (std::set<int> { 1, 2, 3, 4, 5, 6, 7, 8, 9 }));
    EXPECT_TRUE(alerts.empty()) << alerts.front();
}

TEST_F(EditPageUpdate, CabinetChangeRereadsTheCabinetNameThoughNoWidgetIsBoundToIt)
{
    pedal().setCabinetName(14, 0, "EditCab");
    pedal().setPresetParams(0, parameterList({ { 13, -1 } }));
    makePage();
    connectAndRefresh();
    page->onSignalChainComponentBlockSelected(2);
    pump(50);
    auto* cabinet = page->getCabinetMenu();
    ASSERT_NE(cabinet, nullptr);
    EXPECT_EQ(cabinet->text, "MATCHED") << "filled in by the update after the panel was built";
    EXPECT_TRUE(page->getBoundWidgets(13).empty());

    ASSERT_TRUE(rig.service->setCurrentCabinetByID(Service::kCabinetFilterOnly).ok);
    settle();
    EXPECT_EQ(cabinet->text, "FILTER ONLY");
    EXPECT_TRUE(alerts.empty());
}

TEST_F(EditPageUpdate, AWidgetDeletedWithoutUnbindingIsDroppedInsteadOfUsed)
{
    makePage();
    connectAndRefresh();
    auto label = std::make_unique<ParameterLabel>();
    page->bindParameterWidget(label.get(), 139);
    ParameterLabel kept;
    page->bindParameterWidget(&kept, 139);
    ASSERT_EQ(page->getBoundWidgets(139).size(), 2u);
    label.reset(); // a page going away without unbinding
    kept.onValueChanged(std::nan("")); // refused, so shown again: in the widgets still there

    ASSERT_TRUE(rig.service->setParameterValue(139, { 0, 2 }, nullptr).ok);
    settle();
    page->onEditorServiceAllChanged();
    pump(50);
    EXPECT_EQ(page->getBoundWidgets(139).size(), 1u);
    EXPECT_EQ(kept.getText(), "2");
    EXPECT_TRUE(alerts.empty());
}

} // namespace
} // namespace EditPageTesting
