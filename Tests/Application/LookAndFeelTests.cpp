#include "GuiTestFixture.h"
#include "TonecrestLookAndFeel.h"

#include <algorithm>
#include <vector>

namespace
{

class LookAndFeelTest : public GuiTest
{
protected:
    TonecrestLookAndFeel lookAndFeel;

    juce::Image progressImage(double progress)
    {
        double value = progress;
        juce::ProgressBar bar(value);
        bar.setLookAndFeel(&lookAndFeel);
        juce::Image image(juce::Image::ARGB, 100, 10, true);
        juce::Graphics g(image);
        lookAndFeel.drawProgressBar(g, bar, 100, 10, progress, {});
        bar.setLookAndFeel(nullptr);
        return image;
    }
};

TEST_F(LookAndFeelTest, ProgressBarAtOneIsFullAndNegativeIsStriped)
{
    const auto background = juce::Colour::greyLevel(0.9f);

    const auto full = progressImage(1.0);
    for (int x = 2; x < 98; ++x)
        EXPECT_FALSE(near(full.getPixelAt(x, 5), background, 2)) << x;

    const auto half = progressImage(0.5);
    EXPECT_FALSE(near(half.getPixelAt(20, 5), background, 2));
    EXPECT_TRUE(near(half.getPixelAt(80, 5), background, 2));

    // Unknown progress: stripes, so some of the middle row is bare background and some is not;
    // the top edge is never lighter than the background.
    const auto striped = progressImage(-1.0);
    int bare = 0;
    for (int x = 0; x < 100; ++x)
    {
        bare += near(striped.getPixelAt(x, 5), background, 2) ? 1 : 0;
        EXPECT_LE(striped.getPixelAt(x, 0).getBrightness(), background.getBrightness() + 0.01f) << x;
    }
    EXPECT_GT(bare, 10);
    EXPECT_LT(bare, 90);
    int slanted = 0; // the stripes lean: rows 2 and 7 are bare in different columns
    for (int x = 0; x < 100; ++x)
        slanted += near(striped.getPixelAt(x, 2), background, 2) != near(striped.getPixelAt(x, 7), background, 2) ? 1 : 0;
    EXPECT_GT(slanted, 20);
    int run = 0, longest = 0; // a stripe and its gap are two bar-heights: about 10 pixels each
    for (int x = 0; x < 100; ++x)
        longest = std::max(longest, run = near(striped.getPixelAt(x, 5), background, 2) ? 0 : run + 1);
    EXPECT_GE(longest, 8);
    EXPECT_LE(longest, 12);
}

/** Whether anything brighter than the dark title-bar gradient is drawn in the columns. */
bool inkIn(const juce::Image& image, int fromX, int toX, int fromY, int toY)
{
    for (int x = fromX; x < toX; ++x)
        for (int y = fromY; y < toY; ++y)
            if (image.getPixelAt(x, y).getBrightness() > 0.2f)
                return true;
    return false;
}

TEST_F(LookAndFeelTest, InactiveDialogTitleBarUsesTheWeakerContrasts)
{
    juce::DocumentWindow window("Options", juce::Colours::black, 0, false);
    ASSERT_FALSE(window.isActiveWindow());

    juce::Image icon(juce::Image::ARGB, 20, 20, true);
    icon.clear(icon.getBounds(), juce::Colours::white);

    const int w = 300, h = 24;
    juce::Image image(juce::Image::ARGB, w, h, true);
    {
        juce::Graphics g(image);
        lookAndFeel.drawDocumentWindowTitleBar(window, g, w, h, 0, w, &icon, true);
    }

    const auto bottomExpected = juce::Colours::black.contrasting(0.05f);
    EXPECT_TRUE(near(image.getPixelAt(w - 1, h - 1), bottomExpected, 4)) << image.getPixelAt(w - 1, h - 1).toString();

    // Icon at 60 % over the gradient (the icon box starts at x 0 and is the font height tall).
    const auto iconPixel = image.getPixelAt(5, h / 2);
    const auto under = image.getPixelAt(w - 1, h / 2);
    EXPECT_TRUE(near(iconPixel, under.interpolatedWith(juce::Colours::white, 0.6f), 6)) << iconPixel.toString();

    // Title text in the background contrasted by 0.4.
    const auto textColour = juce::Colours::black.contrasting(0.4f);
    bool foundText = false;
    for (int x = 20; x < 120 && !foundText; ++x)
        for (int y = 0; y < h && !foundText; ++y)
            foundText = near(image.getPixelAt(x, y), textColour, 3);
    EXPECT_TRUE(foundText);

    // The icon box is the icon scaled to the font height (15) plus 4: the title starts after it.
    int firstTextColumn = 18;
    while (firstTextColumn < w && !inkIn(image, firstTextColumn, firstTextColumn + 1, 0, h))
        ++firstTextColumn;
    EXPECT_GE(firstTextColumn, 19);
    EXPECT_LE(firstTextColumn, 22);
    EXPECT_TRUE(inkIn(image, 15, 17, 10, 14)) << "the icon's right edge";

    // A title too long for its space ends in an ellipsis: only dots at the end, no letter tops.
    window.setName("MMMMMMMMMMMMMMMMMMMMMMMMMMMMMM");
    juce::Image clipped(juce::Image::ARGB, w, h, true);
    {
        juce::Graphics g(clipped);
        lookAndFeel.drawDocumentWindowTitleBar(window, g, w, h, 0, 120, nullptr, true);
    }
    EXPECT_TRUE(inkIn(clipped, 0, 110, 4, 11));
    EXPECT_TRUE(inkIn(clipped, 100, 120, 12, h));
    EXPECT_FALSE(inkIn(clipped, 110, 120, 4, 11));
    EXPECT_FALSE(inkIn(clipped, 120, w, 0, h));

    // Centred in a narrow space at the left: moved back into it. A text colour of its own is used.
    window.setName("Options");
    window.setColour(juce::DocumentWindow::textColourId, juce::Colours::red);
    juce::Image centred(juce::Image::ARGB, w, h, true);
    {
        juce::Graphics g(centred);
        lookAndFeel.drawDocumentWindowTitleBar(window, g, w, h, 0, 100, nullptr, false);
    }
    EXPECT_TRUE(inkIn(centred, 0, 100, 0, h));
    EXPECT_FALSE(inkIn(centred, 100, w, 0, h));

    // With the whole width to use, the title sits in the middle; a bar one pixel wide is drawn.
    juce::Image middle(juce::Image::ARGB, w, h, true), narrow(juce::Image::ARGB, 1, h, true);
    {
        juce::Graphics g(middle), n(narrow);
        lookAndFeel.drawDocumentWindowTitleBar(window, g, w, h, 0, w, nullptr, false);
        lookAndFeel.drawDocumentWindowTitleBar(window, n, 1, h, 0, 1, nullptr, false);
    }
    int left = 0, right = w - 1;
    while (left < w && !inkIn(middle, left, left + 1, 0, h))
        ++left;
    while (right > 0 && !inkIn(middle, right, right + 1, 0, h))
        --right;
    EXPECT_NEAR(left + right, w, 6) << left << ".." << right;
    EXPECT_EQ(narrow.getPixelAt(0, h / 2).getAlpha(), 255);
    bool red = false;
    for (int x = 0; x < 100 && !red; ++x)
        for (int y = 0; y < h && !red; ++y)
            red = near(centred.getPixelAt(x, y), juce::Colours::red, 40);
    EXPECT_TRUE(red);
}

TEST_F(LookAndFeelTest, TabButtonsAreAlways111LongAndTheFrontOneIsRed)
{
    juce::TabbedButtonBar bar(juce::TabbedButtonBar::TabsAtTop);
    bar.setLookAndFeel(&lookAndFeel);
    bar.addTab("A", juce::Colours::grey, -1);
    bar.addTab("A much longer tab name than fits", juce::Colours::grey, -1);
    bar.setBounds(0, 0, 400, 30);
    bar.setCurrentTabIndex(0);

    auto* front = bar.getTabButton(0);
    auto* back = bar.getTabButton(1);
    EXPECT_EQ(lookAndFeel.getTabButtonBestWidth(*front, 30), 111);
    EXPECT_EQ(lookAndFeel.getTabButtonBestWidth(*back, 30), 111);

    auto colourAt = [](juce::TabBarButton& button) {
        const auto image = button.createComponentSnapshot(button.getLocalBounds());
        return image.getPixelAt(4, image.getHeight() / 2);
    };
    const auto frontColour = colourAt(*front);
    const auto backColour = colourAt(*back);
    EXPECT_GT(frontColour.getRed(), frontColour.getGreen() + 20);
    EXPECT_NEAR(backColour.getRed(), backColour.getGreen(), 3);

    // The tab colour is looked up on the button, so a parent can override it.
    bar.setColour(TonecrestLookAndFeel::tabColourId, juce::Colours::white);
    const auto overridden = colourAt(*back);
    EXPECT_FALSE(near(overridden, backColour, 10));
    bar.setLookAndFeel(nullptr);
}

} // namespace
