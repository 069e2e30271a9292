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

TEST_F(EditPageHandlers, DoubleClickingABlockTogglesItsEnableAsABoolean)
{
    pedal().setPresetParams(0, parameterList({ { 53, 0 } }));
    pedal().setGlobals(parameterList({ { 14, 2 } }));
    makePage();
    connectAndRefresh();
    ASSERT_FALSE(page->getSignalChain().isBlockEnabled(5));
    ASSERT_TRUE(page->getSignalChain().isBlockEnabled(2)) << "cabinet output AUX ONLY counts as on";

    doubleClickBlock(5);
    rig.drain();
    EXPECT_FLOAT_EQ(pedalValue(53), 1.0f);
    pump(50);
    EXPECT_TRUE(page->getSignalChain().isBlockEnabled(5)) << "the strip follows the service's report";

    doubleClickBlock(2);
    rig.drain();
    EXPECT_FLOAT_EQ(pedalValue(14), 0.0f) << "any non-zero setting switches off";
    pump(50);
    EXPECT_FALSE(page->getSignalChain().isBlockEnabled(2));

    // Blocks without an enable write nothing.
    const auto writes = packetsOfType(setParameterPacket);
    for (int block : { 0, 20, 21, 22, 24 })
        page->onSignalChainComponentBlockToggled(block);
    rig.drain();
    EXPECT_EQ(packetsOfType(setParameterPacket), writes);
    EXPECT_TRUE(alerts.empty());
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
