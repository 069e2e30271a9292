#include "BackupComponent.h"
#include "CabinetsComponent.h"
#include "GuiTestFixture.h"
#include "MainComponent.h"
#include "PanelTestSupport.h"

namespace
{

struct RecordingBackupHandler : BackupComponent::Handler
{
    juce::StringArray calls;

    void onBackupComponentBackup() override { calls.add("backup"); }
    void onBackupComponentRestore() override { calls.add("restore"); }
    void onBackupComponentUpdateFirmware(bool fromFile) override
    {
        calls.add(fromFile ? "updateFirmware file" : "updateFirmware built-in");
    }
};

class BackupComponentTest : public GuiTest
{
protected:
    BackupComponentTest()
    {
        page.setBounds(0, 0, 1052, 677);
        page.setMenuRunner(recorder.runner());
    }

    static void click(juce::Component& c)
    {
        const juce::Point<float> inside(10.0f, 10.0f);
        c.mouseDown(mouseEvent(c, inside, inside));
        // Released away from the button: it still acts.
        c.mouseUp(mouseEvent(c, { -30.0f, 200.0f }, inside));
    }

    RecordingBackupHandler handler;
    BackupComponent page { &handler };
    MenuRecorder recorder;
};

TEST_F(BackupComponentTest, ShowsTitlesAndCaptionsAndButtonsActOnRelease)
{
    juce::StringArray texts;
    for (auto* label : page.getLabels())
        texts.add(label->text);
    EXPECT_EQ(texts, juce::StringArray({ "RESTORE", "Load A Previously Saved", "Backup Into Tonecrest.", "BACKUP",
                                         "Backup Your Tonecrest", "Settings To File." }));
    EXPECT_EQ(page.getBackupButton().getBounds(), juce::Rectangle<int>(632, 269, 68, 102));

    auto& restore = page.getRestoreButton();
    const juce::Point<float> p(10.0f, 10.0f);
    restore.mouseDown(mouseEvent(restore, p, p));
    EXPECT_TRUE(handler.calls.isEmpty()) << "nothing happens until the button is released";
    restore.mouseUp(mouseEvent(restore, p, p));
    click(page.getBackupButton());
    EXPECT_EQ(handler.calls, juce::StringArray({ "restore", "backup" }));

    BackupComponent orphan(nullptr);
    click(orphan.getBackupButton()); // no handler: nothing happens
    orphan.setMenuRunner([](const juce::PopupMenu&, juce::Component*) { return 1; });
    EXPECT_EQ(orphan.showMenu(nullptr, {}), 1);
}

TEST_F(BackupComponentTest, MenuAppendsBackupAndRestoreAndActsLikeTheButtons)
{
    SimpleLabel target("file");
    const auto base = testBaseMenu();
    for (int choice : { int(BackupComponent::backupItem), int(BackupComponent::restoreItem), 103, 0 })
    {
        recorder.choice = choice;
        EXPECT_EQ(page.showMenu(&target, base), choice);
    }
    EXPECT_EQ(recorder.menus[0], juce::StringArray({ "100 About...", "103 Quit", "---", "1 Backup", "2 Restore" }));
    EXPECT_EQ(recorder.targets[0], &target);
    EXPECT_EQ(handler.calls, juce::StringArray({ "backup", "restore" })) << "the page never updates firmware";
}

TEST_F(BackupComponentTest, MainMenuCarriesThePageItemsOnlyWhileTheirPageIsInFront)
{
    MainComponent main(nullptr, nullptr);
    auto* backup = dynamic_cast<BackupComponent*>(main.getPageComponent(MainComponent::backupPage));
    auto* cabinets = dynamic_cast<CabinetsComponent*>(main.getPageComponent(MainComponent::cabinetsPage));
    ASSERT_NE(backup, nullptr);
    ASSERT_NE(cabinets, nullptr);
    MenuRecorder cabinetsRecorder;
    backup->setMenuRunner(recorder.runner());
    cabinets->setMenuRunner(cabinetsRecorder.runner());

    main.setPage(MainComponent::backupPage);
    int closes = 0;
    main.onClose = [&closes] { ++closes; };
    recorder.choice = MainComponent::quitItem;
    main.showMainMenu();
    ASSERT_EQ(recorder.menus.size(), 1u);
    EXPECT_EQ(recorder.menus[0], juce::StringArray({ "100 About...", "101 Update Firmware", "102 Update Firmware from File",
                                                     "103 Quit", "---", "1 Backup", "2 Restore" }));
    EXPECT_EQ(recorder.targets[0], &main.getFileButton());
    EXPECT_EQ(closes, 1) << "the base items still reach the main component";
    EXPECT_TRUE(cabinetsRecorder.menus.empty());

    main.setPage(MainComponent::cabinetsPage);
    main.showMainMenu();
    ASSERT_EQ(cabinetsRecorder.menus.size(), 1u);
    EXPECT_EQ(cabinetsRecorder.menus[0][5], "3 Import Cabinet From File");
    EXPECT_EQ(recorder.menus.size(), 1u);
}

} // namespace
