#include "AppTestRig.h"

#include "Application/FileTestHelpers.h"
#include "EditComponent.h"
#include "MainComponent.h"
#include "OverlayComponent.h"
#include "StandaloneFilterWindow.h"

namespace AppTesting
{
namespace
{
using Tonecrest::TonecrestEditorService;
using Mode = Tonecrest::Testing::SimulatedPedalBus::Mode;

int brightness(juce::Colour c)
{
    return c.getRed() + c.getGreen() + c.getBlue();
}

class ScreenshotTest : public AppTest
{
protected:
    juce::Image snapshot()
    {
        auto& window = *app->getMainWindow();
        return window.createComponentSnapshot(window.getLocalBounds(), true, 1.0f);
    }
};

TEST_F(ScreenshotTest, BackupInProgressFromTheBackupPage)
{
    auto& pedal = addPedal("/dev/hidraw-pedal-a");
    startApplication();
    ASSERT_TRUE(plugInReady(pedal));
    // Report by report at the pedal's own pace, so the backup is still running when looked at.
    pedal.currentDevice()->setFrameTiming(true);

    auto& main = *app->getMainWindow()->getMainComponent();
    Tonecrest::Testing::ScratchFolder folder;
    const auto file = folder.child("backup.tbu");
    main.getEditPage().setFileChooserRunner([&](const EditComponent::FileRequest&) { return file; });
    main.setPage(MainComponent::backupPage);
    main.getEditPage().onBackupComponentBackup();

    // What the user sees part way: the overlay's title and its bar filled from the left only.
    auto& overlay = main.getOverlay();
    ASSERT_TRUE(pumpUntil([&] { return overlay.isVisible() && overlay.getProgress() > 0.1; }, 120000));
    const auto shot = snapshot();
    writeScreenshot(shot, "main-window-backup.png");
    EXPECT_EQ(overlay.getTitle(), "Backing up...");
    EXPECT_GT(brightness(shot.getPixelAt(380, 319)), brightness(shot.getPixelAt(672, 319)) + 20) << "progress bar";
    EXPECT_LT(overlay.getProgress(), 0.9);

    pedal.currentDevice()->setFrameTiming(false);
    ASSERT_TRUE(pumpUntil([&] { return file.existsAsFile() && serviceState() == TonecrestEditorService::kStateReady; }, 120000));
}

} // namespace
} // namespace AppTesting
