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

/** Sum of the three colour channels: how bright a probe is. */
int brightness(juce::Colour c)
{
    return c.getRed() + c.getGreen() + c.getBlue();
}

bool isAccentRed(juce::Colour c)
{
    return c.getRed() > 150 && c.getGreen() < 90 && c.getBlue() < 90;
}

class ScreenshotTest : public AppTest
{
protected:
    juce::Image snapshot()
    {
        auto& window = *app->getMainWindow();
        return window.createComponentSnapshot(window.getLocalBounds(), true, 1.0f);
    }

    /** The title-bar buttons are drawn above everything: their glyphs stand out of the bar. */
    void expectTitleBarButtons(const juce::Image& image)
    {
        const auto bar = image.getPixelAt(1015, 24); // the gap between maximise and close
        EXPECT_GT(brightness(image.getPixelAt(1026, 24)), brightness(bar) + 150) << "close glyph";
        EXPECT_GT(brightness(image.getPixelAt(982, 25)), brightness(bar) + 150) << "minimise glyph";
        EXPECT_GT(brightness(image.getPixelAt(1004, 21)), brightness(bar) + 150) << "maximise glyph";
    }
};

TEST_F(ScreenshotTest, MainWindowWithAConnectedPedal)
{
    auto& pedal = addPedal("/dev/hidraw-pedal-a");
    startApplication();
    ASSERT_TRUE(plugInReady(pedal));
    pump(100);

    auto& window = *app->getMainWindow();
    ASSERT_NE(window.getPeer(), nullptr) << "the window is on the display";
    EXPECT_EQ(window.getPeer()->getBounds().getWidth(), 1052);
    EXPECT_EQ(window.getPeer()->getBounds().getHeight(), 677);

    // As the application shows itself now: the overlay lies over the pages until the edit
    // page drives it.
    const auto asShown = snapshot();
    ASSERT_EQ(asShown.getWidth(), 1052);
    ASSERT_EQ(asShown.getHeight(), 677);
    writeScreenshot(asShown, "main-window.png");
    expectTitleBarButtons(asShown);

    // The ready look, as the edit page sets it in state 1: overlay hidden, empty status line.
    auto& main = *window.getMainComponent();
    main.getOverlay().setShown(false);
    main.getStatusBar().setStatusText({}, false);
    const auto ready = snapshot();
    writeScreenshot(ready, "main-window-ready.png");
    expectTitleBarButtons(ready);
    EXPECT_TRUE(isAccentRed(ready.getPixelAt(77, 47))) << "the edit tab is lit";
    EXPECT_FALSE(isAccentRed(ready.getPixelAt(227, 47))) << "the footswitch tab is not";

    main.setPage(MainComponent::globalPage);
    const auto global = snapshot();
    writeScreenshot(global, "main-window-global.png");
    EXPECT_FALSE(isAccentRed(global.getPixelAt(77, 47)));
    EXPECT_TRUE(isAccentRed(global.getPixelAt(599 + 75, 47)));
}

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
