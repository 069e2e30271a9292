#include "AppResources.h"
#include "GuiTestFixture.h"
#include "OverlayComponent.h"
#include "ResourceFileLocator.h"
#include "StatusBar.h"
#include "TonecrestLookAndFeel.h"

namespace
{

using StatusDisplayTest = GuiTest;

TEST_F(StatusDisplayTest, StatusBarShowsTheFirstLineInErrorOrPlainColour)
{
    StatusBar bar;
    bar.setBounds(12, 12, 350, 24);
    iStatusDisplay& display = bar;

    display.setStatusText("An error occurred.\nCould not restore assets", true);
    EXPECT_EQ(bar.getLabel().getText(), "An error occurred.");
    EXPECT_EQ(bar.getLabel().findColour(juce::Label::textColourId), juce::Colour::fromRGB(200, 60, 60).withAlpha(0.7f));

    display.setStatusText("Ready", false);
    EXPECT_EQ(bar.getLabel().getText(), "Ready");
    EXPECT_EQ(bar.getLabel().findColour(juce::Label::textColourId), juce::Colour(0xFFD3D3D3).withAlpha(0.7f));

    EXPECT_FALSE(bar.getSpinner().isVisible());
    display.setBusy(true);
    EXPECT_TRUE(bar.getSpinner().isVisible());
    EXPECT_EQ(bar.getSpinner().getBounds(), juce::Rectangle<int>(0, 0, 24, 24));
    EXPECT_EQ(bar.getLabel().getBounds(), juce::Rectangle<int>(24, 0, 326, 24));

    display.setShown(false);
    EXPECT_FALSE(bar.isVisible());
    display.setProgress(0.5);
    display.setShown(true);
    EXPECT_TRUE(bar.isVisible());
}

TEST_F(StatusDisplayTest, OverlaySplitsTitleAndDetailAndShowsProgressOnlyWhenKnown)
{
    OverlayComponent overlay;
    overlay.setBounds(0, 0, 1052, 677);
    iStatusDisplay& display = overlay;

    display.setStatusText("Backing up\nReading preset 12", false);
    EXPECT_EQ(overlay.getTitle(), "Backing up");
    EXPECT_EQ(overlay.getDetail(), "Reading preset 12");
    display.setStatusText("Refreshing", true);
    EXPECT_EQ(overlay.getTitle(), "Refreshing");
    EXPECT_EQ(overlay.getDetail(), "");

    EXPECT_FALSE(overlay.getProgressBar().isVisible());
    display.setProgress(0.0);
    EXPECT_TRUE(overlay.getProgressBar().isVisible());
    EXPECT_EQ(overlay.getProgress(), 0.0);
    display.setProgress(-1.0);
    EXPECT_FALSE(overlay.getProgressBar().isVisible());

    EXPECT_EQ(overlay.getSpinner().getBounds(), juce::Rectangle<int>(502, 339, 48, 48));
    EXPECT_EQ(overlay.getProgressBar().getBounds(), juce::Rectangle<int>(376, 314, 300, 10));
    EXPECT_TRUE(overlay.getWantsKeyboardFocus());

    display.setShown(false);
    EXPECT_FALSE(overlay.isVisible());
    display.setShown(true);
    EXPECT_TRUE(overlay.isVisible());
}

TEST_F(StatusDisplayTest, SpinnerThatIsNotShowingStopsAtItsNextTickAndKeepsItsPhase)
{
    // Off the desktop nothing is showing, so a paint does not start the timer and a tick stops
    // it; the phase the animation stopped at is kept for when it shows again.
    OverlayComponent overlay;
    overlay.setBounds(0, 0, 400, 300);
    overlay.setBusy(true);
    auto& spinner = const_cast<BusySpinner&>(overlay.getSpinner());
    ASSERT_FALSE(spinner.isShowing());

    spinner.createComponentSnapshot(spinner.getLocalBounds());
    EXPECT_FALSE(spinner.isAnimating());
    spinner.step();
    EXPECT_EQ(spinner.getPhase(), 0);
    EXPECT_FALSE(spinner.isAnimating());

    // The spokes brighten in turn: in phase 0 the spoke at 12 o'clock is the bright one.
    const auto image = spinner.createComponentSnapshot(spinner.getLocalBounds());
    const auto top = image.getPixelAt(24, 6);
    const auto bottom = image.getPixelAt(24, 42);
    EXPECT_GT(top.getBrightness(), bottom.getBrightness());
}

// The status bar and the overlay over a page of the built artwork, written out for a look; the
// checks pin what a person would see.
TEST_F(StatusDisplayTest, ScreenshotOfStatusDisplaysOverAPage)
{
    TonecrestLookAndFeel lookAndFeel;
    juce::LookAndFeel::setDefaultLookAndFeel(&lookAndFeel);
#ifdef TONECREST_RESOURCES_BIN
    initAppResources(openResourcePackReader(juce::File(TONECREST_RESOURCES_BIN)));
#endif

    struct Page : juce::Component
    {
        void paint(juce::Graphics& g) override
        {
            const auto background = getAppImage(AppImageID::editPageBackground);
            if (background.isValid())
                g.drawImageWithin(background, 0, 0, getWidth(), getHeight(), juce::RectanglePlacement::stretchToFit);
            else
                g.fillAll(juce::Colour(0xFF1E1F22));
        }
    } page;
    page.setBounds(0, 0, 1052, 677);

    StatusBar statusBar;
    statusBar.setBounds(12, 12, 350, 24);
    statusBar.setStatusText("An error occurred.\nCould not communicate with the device", true);
    statusBar.setBusy(true);

    OverlayComponent overlay;
    overlay.setBounds(0, 0, 1052, 677);
    overlay.setStatusText("Updating firmware...", false);
    overlay.setBusy(true);
    overlay.setProgress(0.42);

    page.addAndMakeVisible(overlay);
    page.addAndMakeVisible(statusBar);

    const auto shot = page.createComponentSnapshot(page.getLocalBounds());
    writeScreenshot(shot, "status-displays.png");

    // The overlay darkens the page and its box is darker still; the progress bar is drawn.
    const auto pageCorner = shot.getPixelAt(5, 670);
    const auto boxCentre = shot.getPixelAt(526 - 180, 338 + 80);
    EXPECT_LT(boxCentre.getBrightness(), pageCorner.getBrightness() + 0.01f);
    EXPECT_GT(shot.getPixelAt(380, 319).getBrightness(), shot.getPixelAt(380, 327).getBrightness() + 0.05f);

    // The status bar's error text is drawn in the red error colour.
    bool red = false;
    for (int x = 40; x < 200 && !red; ++x)
        for (int y = 14; y < 34 && !red; ++y)
        {
            const auto c = shot.getPixelAt(x, y);
            red = c.getRed() > c.getGreen() + 60 && c.getRed() > 120;
        }
    EXPECT_TRUE(red);

    page.removeAllChildren();
    shutdownAppResources();
    juce::LookAndFeel::setDefaultLookAndFeel(nullptr);
}

} // namespace
