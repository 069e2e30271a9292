#include "EditPageTestRig.h"

#include "MainComponent.h"

#include <thread>

namespace EditPageTesting
{
namespace
{

using Service = TonecrestEditorService;
constexpr uint8_t setParameterPacket = 0xC7;
constexpr uint8_t programChangePacket = 0xC9;
constexpr uint8_t programRequestPacket = 0xCA;

class EditPageHandlers : public EditPageTest
{
protected:
    size_t packetsOfType(uint8_t type) { return pedal().receivedPacketsOfType(type).size(); }

    /** A selection made by the user in the list: the list tells its handler. */
    void userSelectsRow(int row) { static_cast<juce::ListBox&>(page->getPresetList()).selectRow(row); }

    void doubleClickBlock(int blockID)
    {
        auto& strip = page->getSignalChain();
        auto* button = strip.getBlockButton(blockID);
        ASSERT_NE(button, nullptr);
        strip.mouseDoubleClick(mouseEvent(*button, { 5.0f, 5.0f }, { 5.0f, 5.0f }, 2));
    }

    /** Makes the service's current preset modified, as an edit on the page would. */
    void modifyCurrentPreset()
    {
        ASSERT_TRUE(rig.service->setParameterValue(3, { 1, 4.0 }, nullptr).ok);
        settle();
        ASSERT_TRUE(rig.service->isCurrentPresetModified());
    }
};

/** A block as the strip and the panel show it, and the parameters it reads and writes. */
struct BlockRow
{
    int id;
    const char* caption; // on the strip
    const char* title;   // over the panel
    TonecrestParamID enable, insert;
    int insertValue; // where the test puts it
};

const BlockRow blockRows[] = {
    { 1, "AMP", "Amp", 2, 0, 0 },
    { 2, "CAB", "Cabinet", 14, 0, 0 },
    { 3, "BST", "Boost", 20, 22, 2 },
    { 4, "ECO", "Echo", 35, 37, 1 },
    { 5, "RVB", "Reverb", 53, 0, 0 },
    { 6, "CHO", "Chorus", 204, 200, 1 },
    { 7, "FLA", "Flanger", 227, 201, 1 },
    { 8, "PHA", "Phaser", 241, 202, 1 },
    { 9, "TRE", "Tremolo", 254, 199, 1 },
    { 10, "GTE", "Gate", 67, 0, 0 },
    { 11, "CMP", "Compressor", 72, 164, 1 },
    { 12, "RTN", "Loop", 77, 310, 4 },
    { 13, "WAH", "Wah", 150, 0, 0 },
    { 14, "VOL", "Volume", 160, 161, 1 },
    { 15, "GEQ", "Graphic EQ", 93, 94, 1 },
    { 16, "PRE", "Pre EQ", 103, 0, 0 },
    { 17, "PQ1", "Parametric EQ 1", 109, 111, 1 },
    { 18, "PQ2", "Parametric EQ 2", 115, 117, 1 },
    { 19, "PQ3", "Parametric EQ 3", 121, 123, 1 },
    { 23, "PSH", "Pitchshifter", 171, 376, 1 },
};

TEST_F(EditPageHandlers, EveryBlockShowsItsPlaceStateAndTitleAndADoubleClickTogglesItsEnable)
{
    // Every other block on; the cabinet output "AUX ONLY" (2) counts as on.
    std::map<TonecrestParamID, double> preset;
    for (size_t i = 0; i < std::size(blockRows); ++i)
    {
        if (blockRows[i].enable != 14)
            preset[blockRows[i].enable] = i % 2 == 0 ? 1.0 : 0.0;
        if (blockRows[i].insert != 0)
            preset[blockRows[i].insert] = blockRows[i].insertValue;
    }
    pedal().setPresetParams(0, parameterList(preset));
    pedal().setGlobals(parameterList({ { 14, 2.0 } }));
    makePage();
    connectAndRefresh();
    auto& strip = page->getSignalChain();

    // Left to right with these insert points, as the chain's slots order them.
    const int expectedOrder[] = { 10, 13, 16, 3, 1, 14, 17, 18, 19, 15, 11, 23, 6, 7, 8, 9, 4, 12, 5, 2 };
    std::vector<std::pair<int, int>> byX;
    for (const auto& block : blockRows)
        byX.emplace_back(strip.getBlockButton(block.id)->getX(), block.id);
    std::sort(byX.begin(), byX.end());
    for (size_t i = 0; i < byX.size(); ++i)
        EXPECT_EQ(byX[i].second, expectedOrder[i]) << "place " << i;

    for (size_t i = 0; i < std::size(blockRows); ++i)
    {
        const auto& block = blockRows[i];
        SCOPED_TRACE(block.title);
        const bool on = i % 2 == 0 || block.id == 2;
        EXPECT_EQ(strip.getBlockLabel(block.id)->getText(), block.caption);
        EXPECT_EQ(strip.getBlockButton(block.id)->getTooltip(), block.caption);
        EXPECT_EQ(strip.isBlockEnabled(block.id), on);
        page->getEffectViewport().setViewPosition(0, 40); // the amp panel is already there from the start
        strip.getBlockButton(block.id)->triggerClick();
        pump(50);
        EXPECT_EQ(page->getBlockTitle().text, block.title);
        if (block.id != 1)
            EXPECT_EQ(page->getEffectViewport().getViewPositionY(), 0) << "a new panel shows from its top";
        EXPECT_FALSE(page->getPanelWidgets().empty());
        for (auto* widget : page->getPanelWidgets())
            EXPECT_TRUE(widget->onValueChanged != nullptr) << "every panel widget is bound";
        EXPECT_EQ(page->getCabinetMenu() != nullptr, block.id == 2);
        doubleClickBlock(block.id);
        settle();
        EXPECT_FLOAT_EQ(pedalValue(block.enable), on ? 0.0f : 1.0f);
        EXPECT_EQ(strip.isBlockEnabled(block.id), !on) << "the strip follows the pedal";
    }

    // Blocks without a layout or an enable: an empty panel and nothing written.
    const auto writes = packetsOfType(setParameterPacket);
    for (const auto& [block, title] : { std::pair { 0, "(No block selected)" }, { 20, "(No block selected)" },
                                        { 21, "(No block selected)" }, { 22, "(No block selected)" }, { 24, "" } })
    {
        page->onSignalChainComponentBlockSelected(block);
        page->onSignalChainComponentBlockToggled(block);
        settle();
        EXPECT_EQ(page->getBlockTitle().text, title) << block;
        EXPECT_TRUE(page->getPanelWidgets().empty()) << block;
    }
    EXPECT_EQ(packetsOfType(setParameterPacket), writes);
    EXPECT_TRUE(alerts.empty()) << alerts.front();

    // Leaving a block unbinds its widgets: only the six amp pairs stay bound to the amp knobs.
    EXPECT_EQ(page->getBoundWidgets(3).size(), 2u);
    EXPECT_TRUE(page->getBoundWidgets(9).empty()) << "the amp's Level lives only on its panel";
}

TEST_F(EditPageHandlers, DiscardQuestionGuardsAPresetChangeWhenTheCurrentPresetIsModified)
{
    pedal().setCurrentPreset(3);
    pedal().setPresetName(10, "Ten");
    makePage();
    connectAndRefresh();
    ASSERT_EQ(page->getPresetList().getSelectedRow(), 3);

    // Unmodified: no question.
    userSelectsRow(4);
    settle();
    EXPECT_TRUE(questions.empty());
    EXPECT_EQ(rig.service->getCurrentPresetIndex(), 4);

    modifyCurrentPreset();
    const auto changesBefore = packetsOfType(programChangePacket);
    answer = false;
    userSelectsRow(10);
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(questions[0].title, "Discard changes?");
    EXPECT_EQ(questions[0].message, "The current preset has been modified. Do you want to discard the changes?");
    EXPECT_EQ(questions[0].confirmText, "Discard");
    EXPECT_EQ(questions[0].cancelText, "Cancel");
    EXPECT_EQ(page->getPresetList().getSelectedRow(), 4) << "Cancel puts the selection back";
    settle();
    EXPECT_EQ(packetsOfType(programChangePacket), changesBefore) << "nothing sent";
    EXPECT_EQ(rig.service->getCurrentPresetIndex(), 4);

    // Quitting asks the same question.
    EXPECT_FALSE(page->confirmDiscardChanges());
    EXPECT_EQ(questions.size(), 2u);

    answer = true;
    userSelectsRow(10);
    settle();
    EXPECT_EQ(questions.size(), 3u);
    EXPECT_EQ(rig.service->getCurrentPresetIndex(), 10);
    EXPECT_EQ(page->getPresetList().getCurrentRow(), 10);
    EXPECT_EQ(page->getPresetTitle().text, "011 - Ten");
    EXPECT_TRUE(page->confirmDiscardChanges()) << "nothing left to discard";
    EXPECT_EQ(questions.size(), 3u);

    // A cleared selection names no preset.
    userSelectsRow(-1);
    settle();
    EXPECT_EQ(rig.service->getCurrentPresetIndex(), 10);
    EXPECT_TRUE(alerts.empty());
}

TEST_F(EditPageHandlers, ErrorsAreShownOneAfterAnotherInTheOrderRaised)
{
    makePage();
    pump(50);
    ASSERT_TRUE(alerts.empty());

    std::thread worker([&] {
        page->handleError({ false, "Timeout" }, "first");
        page->handleError({ false, "Timeout" }, "second");
    });
    worker.join();
    page->handleError({ false, "Timeout" }, "third");
    page->handleError({ false, "Timeout" }, nullptr);
    EXPECT_TRUE(alerts.empty()) << "shown by the next update, not at once";
    pump(50);
    EXPECT_EQ(alerts, (std::vector<juce::String> { "first", "second", "third", "" }));

    // A box runs a modal loop: an error raised meanwhile waits for the boxes ahead of it.
    alerts.clear();
    onAlert = [&](const juce::String& message) {
        if (message == "A")
        {
            page->handleError({ false, "x" }, "C");
            pump(50);
        }
    };
    page->handleError({ false, "x" }, "A");
    page->handleError({ false, "x" }, "B");
    pump(100);
    EXPECT_EQ(alerts, (std::vector<juce::String> { "A", "B", "C" }));
}

TEST_F(EditPageHandlers, PreviousAndNextStopAtTheEndsOfTheList)
{
    makePage();
    // Not connected: no current preset, so "next" asks for the first, which the service refuses.
    click(page->getPreviousPresetButton());
    pump(50);
    EXPECT_TRUE(alerts.empty());
    click(page->getNextPresetButton());
    pump(50);
    EXPECT_EQ(page->getPresetList().getSelectedRow(), 0);
    EXPECT_EQ(alerts, (std::vector<juce::String> { "Failed to change preset" }));
    alerts.clear();

    connectAndRefresh();
    const auto clickAndSettle = [this](SimpleImageButton& button) {
        const auto changes = packetsOfType(programChangePacket);
        click(button);
        settle();
        return packetsOfType(programChangePacket) - changes;
    };
    ASSERT_EQ(rig.service->getCurrentPresetIndex(), 0);
    EXPECT_EQ(clickAndSettle(page->getPreviousPresetButton()), 0u);
    EXPECT_EQ(page->getPresetList().getSelectedRow(), 0);
    EXPECT_EQ(clickAndSettle(page->getNextPresetButton()), 1u);
    EXPECT_EQ(rig.service->getCurrentPresetIndex(), 1);
    EXPECT_EQ(page->getPresetList().getSelectedRow(), 1);

    ASSERT_TRUE(rig.service->requestChangePreset(127).ok);
    settle();
    EXPECT_EQ(clickAndSettle(page->getNextPresetButton()), 0u);
    EXPECT_EQ(clickAndSettle(page->getPreviousPresetButton()), 1u);
    EXPECT_EQ(rig.service->getCurrentPresetIndex(), 126);
    EXPECT_TRUE(alerts.empty());
}

TEST_F(EditPageHandlers, PresetChooserListsEveryPresetAndGoesThroughTheListSelection)
{
    pedal().setPresetName(5, "Crunch");
    makePage();
    connectAndRefresh();
    chooseFromMenu = [](const juce::PopupMenu& menu) { return itemId(menu, "006 - Crunch"); };
    click(page->getPresetTitle());
    ASSERT_EQ(menus.size(), 1u);
    EXPECT_EQ(topLevelItems(menus[0]).size(), 128u);
    EXPECT_EQ(itemId(menus[0], "006 - Crunch"), 6);
    EXPECT_EQ(menuTargets[0], &page->getPresetTitle());
    settle();
    EXPECT_EQ(page->getPresetList().getSelectedRow(), 5);
    EXPECT_EQ(rig.service->getCurrentPresetIndex(), 5);
    EXPECT_EQ(page->getPresetTitle().text, "006 - Crunch");

    // Dismissed: nothing happens.
    chooseFromMenu = nullptr;
    const auto changes = packetsOfType(programChangePacket);
    click(page->getPresetTitle());
    settle();
    EXPECT_EQ(packetsOfType(programChangePacket), changes);
}

TEST_F(EditPageHandlers, PageMenuAddsItsItemsAfterTheBaseMenuAndRefreshesOnRequest)
{
    makePage();
    connectAndRefresh();
    juce::PopupMenu base;
    base.addItem(100, "About...");
    base.addSeparator();

    chooseFromMenu = [](const juce::PopupMenu&) { return 6; };
    const auto requestsBefore = packetsOfType(programRequestPacket);
    EXPECT_EQ(page->showMenu(nullptr, base), 6);
    settle();
    EXPECT_GT(packetsOfType(programRequestPacket), requestsBefore) << "Refresh Current Preset reads the pedal";

    const std::vector<std::pair<int, juce::String>> expected {
        { 100, "About..." },
        { 0, "-" },
        { 6, "Refresh Current Preset" },
        { 1, "Rename Preset" },
        { 0, "-" },
        { 2, "Save Preset" },
        { 3, "Save Preset To Location..." },
        { 0, "-" },
        { 4, "Export Preset To File" },
        { 5, "Import Preset From File" },
        { 0, "-" },
        { 7, "Copy Current Block Parameters" },
    };
    EXPECT_EQ(topLevelItems(menus.at(0)), expected) << "no Paste Parameters without copied data";
    EXPECT_EQ(menuTargets.at(0), nullptr) << "at the mouse";

    // The base menu's own items go back to the main component untouched.
    chooseFromMenu = [](const juce::PopupMenu&) { return 103; };
    EXPECT_EQ(page->showMenu(&page->getPresetList(), base), 103);
    EXPECT_EQ(menuTargets.at(1), &page->getPresetList());

    // The list's menu request opens the same menu at the mouse.
    chooseFromMenu = nullptr;
    page->onPresetListMenuRequested(3);
    ASSERT_EQ(menus.size(), 3u);
    EXPECT_EQ(topLevelItems(menus[2]).front(), (std::pair<int, juce::String> { 6, "Refresh Current Preset" }));
    EXPECT_TRUE(alerts.empty());
}

TEST_F(EditPageHandlers, CabinetChooserNumbersItsItemsAcrossTheSubMenusAndSetsTheChoice)
{
    pedal().setAmpModelInfo(0, { 5, "Plexi" });
    pedal().setAmpModelInfo(1, { 9, "Twin" });
    makePage();
    connectAndRefresh();
    page->onSignalChainComponentBlockSelected(2);
    pump(50);
    auto* cabinet = page->getCabinetMenu();
    ASSERT_NE(cabinet, nullptr);

    Service::CabinetChoices choices;
    ASSERT_TRUE(rig.service->getCabinetChoices(choices).ok);
    const int total = int(choices.ampModelCabinets.size() + choices.userCabinets.size() + choices.presetCabinets.size());
    ASSERT_EQ(choices.ampModelCabinets.size(), 2u);

    chooseFromMenu = [](const juce::PopupMenu& menu) { return itemId(menu, "MATCHED"); };
    press(*cabinet);
    ASSERT_EQ(menus.size(), 1u);
    EXPECT_EQ(menuTargets[0], cabinet);
    EXPECT_EQ(itemId(menus[0], "NONE"), total + 1);
    EXPECT_EQ(itemId(menus[0], "FROM FILE..."), total + 4);
    EXPECT_EQ(itemId(menus[0], "Twin"), 2) << "the amp cabinets come first";
    std::vector<juce::String> topLevel;
    for (const auto& item : topLevelItems(menus[0]))
        topLevel.push_back(item.second);
    EXPECT_EQ(topLevel, (std::vector<juce::String> { "NONE", "FILTER ONLY", "MATCHED", "AMP", "USER", "FROM PRESET",
                                                     "FROM FILE..." }));
    rig.drain();
    EXPECT_FLOAT_EQ(pedalValue(13), -1.0f);

    chooseFromMenu = [](const juce::PopupMenu& menu) { return itemId(menu, "Twin"); };
    press(*cabinet);
    rig.drain();
    EXPECT_FLOAT_EQ(pedalValue(13), 9.0f);

    // Dismissed, or "FROM FILE..." with the chooser cancelled: nothing reaches the pedal.
    settle();
    const auto writes = packetsOfType(setParameterPacket);
    chooseFromMenu = nullptr;
    press(*page->getCabinetMenu());
    chooseFromMenu = [](const juce::PopupMenu& menu) { return itemId(menu, "FROM FILE..."); };
    press(*page->getCabinetMenu());
    rig.drain();
    EXPECT_EQ(packetsOfType(setParameterPacket), writes);
    EXPECT_TRUE(alerts.empty());
}

TEST_F(EditPageHandlers, RenameOpensOnlyOnAReadPresetAndSendsTheName)
{
    makePage();
    pump(50);
    page->onPresetListRenameRequested(4);
    EXPECT_EQ(page->getPresetList().getEditingRow(), -1) << "nothing read yet";

    pedal().setPresetName(4, "Old");
    connectAndRefresh();
    page->onPresetListRenameRequested(4);
    EXPECT_EQ(page->getPresetList().getEditingRow(), 4);

    page->onPresetListPresetRenamed(4, "New Name");
    settle();
    EXPECT_EQ(pedal().presetName(4, SimulatedPedal::Copy::Working), "New Name");
    EXPECT_EQ(page->getPresetList().getRows()[4].name, "New Name");
    EXPECT_TRUE(alerts.empty());
}

TEST_F(EditPageHandlers, MainComponentShowsTheEditPageAndAsksItBeforeQuitting)
{
    MainComponent main(rig.service.get(), nullptr);
    auto& edit = main.getEditPage();
    EXPECT_EQ(main.getPageComponent(MainComponent::editPage), &edit);
    std::vector<Question> asked;
    edit.setQuestionAsker([&](const juce::String& title, const juce::String& message, const juce::String& confirm,
                              const juce::String& cancel) {
        asked.push_back({ title, message, confirm, cancel });
        return false;
    });
    edit.setAlertPresenter([&](const juce::String& message) { alerts.push_back(message); });

    rig.connectAndRefresh();
    settle();
    EXPECT_TRUE(pumpUntil([&] { return !main.getOverlay().isVisible(); }));

    EXPECT_TRUE(main.canQuit());
    EXPECT_TRUE(asked.empty());
    ASSERT_TRUE(rig.service->setParameterValue(3, { 1, 4.0 }, nullptr).ok);
    settle();
    EXPECT_FALSE(main.canQuit()) << "the user kept the changes";
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].title, "Discard changes?");
    EXPECT_TRUE(alerts.empty());
}

} // namespace
} // namespace EditPageTesting
