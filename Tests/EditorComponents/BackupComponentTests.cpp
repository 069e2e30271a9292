#include "BackupComponent.h"
#include "CabinetsComponent.h"
#include "GuiTestFixture.h"
#include "MainComponent.h"
#include "PageTestSupport.h"
#include "PanelTestSupport.h"

#include <vector>

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
        const juce::Point<float> outside(-30.0f, 200.0f);
        c.mouseDown(mouseEvent(c, inside, inside));
        // Released away from the button: it still acts.
        c.mouseUp(mouseEvent(c, outside, inside));
    }

    RecordingBackupHandler handler;
    BackupComponent page { &handler };
    MenuRecorder recorder;
};

TEST_F(BackupComponentTest, LaysOutTitlesButtonsAndCaptions)
{
    const struct
    {
        const char* text;
        juce::Rectangle<int> bounds;
        float fontHeight;
    } expected[] = {
        { "RESTORE", { 337, 235, 106, 24 }, sharedFont16.getHeight() },
        { "Load A Previously Saved", { 308, 388, 164, 16 }, sharedFont14.getHeight() },
        { "Backup Into Tonecrest.", { 308, 404, 164, 16 }, sharedFont14.getHeight() },
        { "BACKUP", { 613, 235, 106, 24 }, sharedFont16.getHeight() },
        { "Backup Your Tonecrest", { 584, 388, 164, 16 }, sharedFont14.getHeight() },
        { "Settings To File.", { 584, 404, 164, 16 }, sharedFont14.getHeight() },
    };
    const auto& labels = page.getLabels();
    ASSERT_EQ(labels.size(), int(std::size(expected)));
    for (int i = 0; i < labels.size(); ++i)
    {
        EXPECT_EQ(labels[i]->text, expected[i].text);
        EXPECT_EQ(labels[i]->getBounds(), expected[i].bounds) << expected[i].text;
        EXPECT_EQ(labels[i]->textColour, juce::Colour(0xFF969696));
        EXPECT_FLOAT_EQ(labels[i]->font.getHeight(), expected[i].fontHeight) << expected[i].text;
    }
    EXPECT_EQ(page.getRestoreButton().getBounds(), juce::Rectangle<int>(356, 269, 68, 102));
    EXPECT_EQ(page.getBackupButton().getBounds(), juce::Rectangle<int>(632, 269, 68, 102));
}

TEST_F(BackupComponentTest, ButtonsCallTheirHandlerOperationOnRelease)
{
    auto& restore = page.getRestoreButton();
    const juce::Point<float> p(10.0f, 10.0f);
    restore.mouseDown(mouseEvent(restore, p, p));
    EXPECT_TRUE(handler.calls.isEmpty()) << "nothing happens until the button is released";
    restore.mouseUp(mouseEvent(restore, p, p));
    click(page.getBackupButton());
    EXPECT_EQ(handler.calls, juce::StringArray({ "restore", "backup" }));

    BackupComponent orphan(nullptr);
    click(orphan.getBackupButton()); // no handler: nothing happens
    click(orphan.getRestoreButton());
}

TEST_F(BackupComponentTest, MenuAppendsBackupAndRestoreAndActsLikeTheButtons)
{
    SimpleLabel target("file");
    const auto base = testBaseMenu();

    recorder.choice = BackupComponent::backupItem;
    EXPECT_EQ(page.showMenu(&target, base), 1);
    ASSERT_EQ(recorder.menus.size(), 1u);
    EXPECT_EQ(recorder.menus[0], juce::StringArray({ "100 About...", "103 Quit", "---", "1 Backup", "2 Restore" }));
    EXPECT_EQ(recorder.targets[0], &target);

    recorder.choice = BackupComponent::restoreItem;
    EXPECT_EQ(page.showMenu(&target, base), 2);
    recorder.choice = 103;
    EXPECT_EQ(page.showMenu(&target, base), 103);
    recorder.choice = 0;
    EXPECT_EQ(page.showMenu(&target, base), 0);
    EXPECT_EQ(handler.calls, juce::StringArray({ "backup", "restore" })) << "the page never updates firmware";

    BackupComponent orphan(nullptr);
    orphan.setMenuRunner([](const juce::PopupMenu&, juce::Component*) { return 1; });
    EXPECT_EQ(orphan.showMenu(nullptr, {}), 1);
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
    const juce::StringArray baseItems = { "100 About...", "101 Update Firmware", "102 Update Firmware from File",
                                          "103 Quit", "---" };

    main.setPage(MainComponent::backupPage);
    int closes = 0;
    main.onClose = [&closes] { ++closes; };
    recorder.choice = MainComponent::quitItem;
    main.showMainMenu();
    ASSERT_EQ(recorder.menus.size(), 1u);
    auto expected = baseItems;
    expected.addArray({ "1 Backup", "2 Restore" });
    EXPECT_EQ(recorder.menus[0], expected);
    EXPECT_EQ(recorder.targets[0], &main.getFileButton());
    EXPECT_EQ(closes, 1) << "the base items still reach the main component";
    EXPECT_TRUE(cabinetsRecorder.menus.empty());

    main.setPage(MainComponent::cabinetsPage);
    main.showMainMenu();
    ASSERT_EQ(cabinetsRecorder.menus.size(), 1u);
    EXPECT_EQ(cabinetsRecorder.menus[0][5], "3 Import Cabinet From File");
    EXPECT_EQ(cabinetsRecorder.menus[0].size(), 9);
    EXPECT_EQ(recorder.menus.size(), 1u);
}

TEST_F(BackupComponentTest, Screenshot)
{
    ScopedBuiltArtwork artwork;
    BackupComponent shown(&handler);
    shown.setBounds(0, 0, 1052, 677);

    const auto image = renderPageOver(shown, AppImageID::backupPageBackground);
    EXPECT_TRUE(writeScreenshot(image, "backup-page.png").existsAsFile());
    if (artwork.loaded())
    {
        EXPECT_TRUE(shown.getBackupButton().normalImage.isValid());
        EXPECT_TRUE(shown.getRestoreButton().overImage.isValid());
    }
}

} // namespace
