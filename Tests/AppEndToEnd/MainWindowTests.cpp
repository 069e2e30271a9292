#include "AppTestRig.h"

#include "AboutDialog.h"
#include "AppResources.h"
#include "MainComponent.h"
#include "StandaloneFilterWindow.h"

#include <chrono>

namespace AppTesting
{
namespace
{
using Tonecrest::TonecrestEditorService;
using Mode = Tonecrest::Testing::SimulatedPedalBus::Mode;

juce::Rectangle<int> mainUserArea()
{
    return juce::Desktop::getInstance().getDisplays().getPrimaryDisplay()->userArea;
}

/** Only borrows the fixture's mouse events; never run as a test. */
struct Mouse : GuiTest
{
    static void click(SimpleImageButton& button)
    {
        button.mouseDown(mouseEvent(button, { 2.0f, 2.0f }, { 2.0f, 2.0f }));
        button.mouseUp(mouseEvent(button, { 2.0f, 2.0f }, { 2.0f, 2.0f }));
    }
};

void click(SimpleImageButton& button)
{
    Mouse::click(button);
}

void writeSettings(const juce::File& file, const std::vector<std::pair<const char*, int>>& values)
{
    juce::PropertiesFile::Options options;
    juce::PropertiesFile settings(file, options);
    for (const auto& [key, value] : values)
        settings.setValue(key, value);
    ASSERT_TRUE(settings.save());
}

class MainWindowTest : public AppTest
{
protected:
    StandaloneFilterWindow& window() const { return *app->getMainWindow(); }
    MainComponent& main() const { return *app->getMainWindow()->getMainComponent(); }
};

TEST_F(MainWindowTest, FirstStartOpensCentredAndLaterStartsReopenWhereTheWindowWas)
{
    startApplication();
    ASSERT_TRUE(window().isOnDesktop());
    EXPECT_EQ(window().getWidth(), 1052);
    EXPECT_EQ(window().getHeight(), 677);
    EXPECT_NEAR(window().getBounds().getCentreX(), mainUserArea().getCentreX(), 1);
    EXPECT_NEAR(window().getBounds().getCentreY(), mainUserArea().getCentreY(), 1);

    window().setTopLeftPosition(40, 30);
    stopApplication();
    juce::PropertiesFile::Options options;
    {
        juce::PropertiesFile saved(settingsFile(), options);
        EXPECT_EQ(saved.getIntValue("windowX"), 40);
        EXPECT_EQ(saved.getIntValue("windowY"), 30);
    }

    startApplication();
    EXPECT_EQ(window().getBounds(), juce::Rectangle<int>(40, 30, 1052, 677));
}

TEST_F(MainWindowTest, OnlyOneStoredCoordinateCentresTheWindow)
{
    writeSettings(settingsFile(), { { "windowX", 40 } });
    startApplication();
    EXPECT_EQ(window().getWidth(), 1052);
    EXPECT_NEAR(window().getBounds().getCentreX(), mainUserArea().getCentreX(), 1);
}

TEST_F(MainWindowTest, ZoomFillsTheUserAreaAtTheFixedAspectAndRestoresExactly)
{
    writeSettings(settingsFile(), { { "windowX", 60 }, { "windowY", 50 } });
    startApplication();
    const auto before = window().getBounds();
    const auto area = mainUserArea();
    const double aspect = 1052.0 / 677.0;

    juce::Rectangle<int> expected;
    if (aspect > double(area.getWidth()) / double(area.getHeight()))
        expected = { 0, 0, area.getWidth(), int(area.getWidth() / aspect) };
    else
        expected = { 0, 0, int(area.getHeight() * aspect), area.getHeight() };
    int x = before.getX(), y = before.getY();
    if (x + expected.getWidth() > area.getWidth())
        x = area.getWidth() - expected.getWidth();
    if (y + expected.getHeight() > area.getHeight())
        y = area.getHeight() - expected.getHeight();
    expected.setPosition(std::max(x, area.getX()), std::max(y, area.getY()));

    click(main().getMaximiseButton());
    EXPECT_TRUE(window().isZoomed());
    EXPECT_EQ(window().getBounds(), expected);
    // The content keeps its own layout and is drawn scaled by the width ratio.
    EXPECT_EQ(main().getBounds(), juce::Rectangle<int>(0, 0, 1052, 677));
    EXPECT_EQ(main().getTransform(), juce::AffineTransform::scale(float(double(expected.getWidth()) / 1052.0)));

    click(main().getMaximiseButton());
    EXPECT_FALSE(window().isZoomed());
    EXPECT_EQ(window().getBounds(), before);
    EXPECT_EQ(main().getTransform(), juce::AffineTransform::scale(1.0f));

    // Any other resize ends the zoomed state: the next toggle zooms in again.
    click(main().getMaximiseButton());
    window().setBounds(window().getBounds().withSize(800, 515));
    EXPECT_FALSE(window().isZoomed());
    click(main().getMaximiseButton());
    EXPECT_TRUE(window().isZoomed());
    EXPECT_EQ(window().getBounds().getHeight(), expected.getHeight());
}

TEST_F(MainWindowTest, TabsShowOnePageWithItsBackgroundAndLatchOnlyTheirOwnTab)
{
    startApplication();
    auto visiblePages = [&] {
        std::vector<int> shown;
        for (int page = 0; page < 6; ++page)
            if (main().getPageComponent(MainComponent::Page(page))->isVisible())
                shown.push_back(page);
        return shown;
    };
    auto latchedTabs = [&] {
        std::vector<int> lit;
        for (int page = 0; page < 6; ++page)
            if (main().getTabButton(MainComponent::Page(page))->latched)
                lit.push_back(page);
        return lit;
    };

    EXPECT_EQ(visiblePages(), std::vector<int> { 0 });
    EXPECT_EQ(latchedTabs(), std::vector<int> { 0 });
    EXPECT_TRUE(main().getBackground().isValid());

    click(*main().getTabButton(MainComponent::cabinetsPage));
    EXPECT_EQ(main().getCurrentPage(), MainComponent::cabinetsPage);
    EXPECT_EQ(visiblePages(), std::vector<int> { 3 });
    EXPECT_EQ(latchedTabs(), std::vector<int> { 3 });
    const auto cabinets = getAppImage(AppImageID::cabinetsPageBackground);
    EXPECT_EQ(main().getBackground().getPixelAt(600, 600), cabinets.getPixelAt(600, 600));
    EXPECT_NE(getAppImage(AppImageID::editPageBackground).getPixelAt(600, 600), cabinets.getPixelAt(600, 600))
        << "the probe must tell the two backgrounds apart";

    // The page frame's own stacking: pages, tabs, overlay, status bar, drag bar, title-bar buttons.
    const auto& children = main().getChildren();
    auto position = [&](juce::Component& c) { return children.indexOf(&c); };
    EXPECT_LT(position(*main().getTabButton(MainComponent::backupPage)), position(main().getOverlay()));
    EXPECT_LT(position(main().getOverlay()), position(main().getStatusBar()));
    EXPECT_LT(position(main().getStatusBar()), position(main().getDragBar()));
    EXPECT_LT(position(main().getDragBar()), position(main().getCloseButton()));
    EXPECT_LT(position(main().getMaximiseButton()), position(main().getFileButton()));
    EXPECT_EQ(main().getCloseButton().getBounds(), juce::Rectangle<int>(1017, 15, 18, 18));
    EXPECT_EQ(main().getFileButton().getBounds(), juce::Rectangle<int>(897, 45, 153, 26));
    bool statusBarClicks = true, statusBarChildClicks = true;
    main().getStatusBar().getInterceptsMouseClicks(statusBarClicks, statusBarChildClicks);
    EXPECT_FALSE(statusBarClicks || statusBarChildClicks);
}

TEST_F(MainWindowTest, CloseButtonAsksTheApplicationToQuit)
{
    startApplication();
    click(main().getCloseButton());
    EXPECT_TRUE(juce::MessageManager::getInstance()->hasStopMessageBeenSent());
}

TEST_F(MainWindowTest, DesktopCloseRequestAsksTheApplicationToQuit)
{
    startApplication();
    window().userTriedToCloseWindow();
    EXPECT_TRUE(juce::MessageManager::getInstance()->hasStopMessageBeenSent());
}

TEST(MainMenu, BaseMenuListsItsFourItemsThenASeparator)
{
    const auto menu = MainComponent::createBaseMenu();
    juce::PopupMenu::MenuItemIterator items(menu);
    std::vector<std::pair<int, juce::String>> seen;
    bool separatorLast = false;
    while (items.next())
    {
        const auto& item = items.getItem();
        separatorLast = item.isSeparator;
        if (!item.isSeparator)
            seen.emplace_back(item.itemID, item.text);
        EXPECT_TRUE(item.isEnabled);
        EXPECT_FALSE(item.isTicked);
    }
    const std::vector<std::pair<int, juce::String>> expected {
        { 100, "About..." }, { 101, "Update Firmware" }, { 102, "Update Firmware from File" }, { 103, "Quit" }
    };
    EXPECT_EQ(seen, expected);
    EXPECT_TRUE(separatorLast);
}

class MainComponentTest : public GuiTest
{
};

TEST_F(MainComponentTest, QuitFromTheMenuDoesWhatTheCloseButtonDoes)
{
    MainComponent main(nullptr, nullptr);
    int closes = 0, minimises = 0, zooms = 0;
    main.onClose = [&] { ++closes; };
    main.onMinimise = [&] { ++minimises; };
    main.onToggleZoom = [&] { ++zooms; };

    main.handleMenuResult(MainComponent::quitItem);
    EXPECT_EQ(closes, 1);
    click(main.getCloseButton());
    EXPECT_EQ(closes, 2);
    click(main.getMinimiseButton());
    click(main.getMaximiseButton());
    EXPECT_EQ(minimises, 1);
    EXPECT_EQ(zooms, 1);

    main.handleMenuResult(1); // a page's own item
    main.handleMenuResult(0); // dismissed
    EXPECT_EQ(closes, 2);
}

TEST_F(MainComponentTest, WithoutImagesTheFrameStillLaysOutAndWorks)
{
    shutdownAppResources(); // no image is registered from here on in this process
    MainComponent main(nullptr, nullptr);
    EXPECT_EQ(main.getBounds(), juce::Rectangle<int>(0, 0, 1052, 677));
    EXPECT_FALSE(main.getBackground().isValid());
    EXPECT_FALSE(main.getCloseButton().normalImage.isValid());
    EXPECT_EQ(main.getTabButton(MainComponent::backupPage)->getBounds(), juce::Rectangle<int>(748, 45, 153, 26));

    click(*main.getTabButton(MainComponent::backupPage));
    EXPECT_EQ(main.getCurrentPage(), MainComponent::backupPage);
    const auto snapshot = main.createComponentSnapshot(main.getLocalBounds());
    EXPECT_EQ(snapshot.getWidth(), 1052);
}

TEST_F(MainComponentTest, AboutBoxShowsProductVersionAndSupportPage)
{
    AboutDialog about;
    EXPECT_EQ(about.getWidth(), 400);
    EXPECT_EQ(about.getHeight(), 200);
    EXPECT_EQ(about.getSoftwareLabel().getText(), "Tonecrest Editor");
    EXPECT_EQ(about.getVersionLabel().getText(), "VERSION:6.2.0.1");
    EXPECT_EQ(about.getLink().getButtonText(), AboutDialog::getSupportPageAddress());
    EXPECT_EQ(about.getLink().getURL(), juce::URL(AboutDialog::getSupportPageAddress()));
    EXPECT_EQ(about.getVersionLabel().getBounds(), juce::Rectangle<int>(10, 100, 300, 24));

    // The real modal box, closed from the message loop as a user would with Escape.
    MainComponent main(nullptr, nullptr);
    juce::String title;
    bool hadAboutContent = false;
    juce::Timer::callAfterDelay(50, [&] {
        if (auto* dialog = dynamic_cast<juce::DialogWindow*>(juce::Component::getCurrentlyModalComponent()))
        {
            title = dialog->getName();
            hadAboutContent = dynamic_cast<AboutDialog*>(dialog->getContentComponent()) != nullptr;
            dialog->exitModalState(0);
        }
    });
    main.handleMenuResult(MainComponent::aboutItem);
    EXPECT_EQ(title, "About...");
    EXPECT_TRUE(hadAboutContent);
}

} // namespace
} // namespace AppTesting
