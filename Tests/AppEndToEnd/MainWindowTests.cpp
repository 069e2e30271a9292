// The window manager stand-in below talks X directly; X's macros must come after the test
// framework's names and go again before anything else is included.
#include <gtest/gtest.h>
#define JUCE_GUI_BASICS_INCLUDE_XHEADERS 1
#include <juce_gui_basics/juce_gui_basics.h>
#undef None
#undef Bool
#undef Status
#undef Success
#include "AppTestRig.h"

#include "AboutDialog.h"
#include "AppResources.h"
#include "MainComponent.h"
#include "StandaloneFilterWindow.h"

#include <dlfcn.h>

#include <chrono>

// The HID library's own shutdown, seen from here: a test notes what the rest of the
// application's shutdown had done by the time it ran.
std::function<void()> onHIDLibraryExit;

extern "C" int hid_exit(void)
{
    if (onHIDLibraryExit)
        onHIDLibraryExit();
    static const auto real = reinterpret_cast<int (*)()>(::dlsym(RTLD_NEXT, "hid_exit"));
    return real != nullptr ? real() : 0;
}

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

TEST_F(MainWindowTest, OpensCentredUnlessBothCoordinatesAreStoredAndStoresWhereItWas)
{
    const struct
    {
        std::vector<std::pair<const char*, int>> stored;
        bool centred;
    } cases[] = { { {}, true }, { { { "windowX", 40 } }, true }, { { { "windowY", 30 } }, true },
                  { { { "windowX", 40 }, { "windowY", 30 } }, false } };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.stored.size());
        settingsFile().deleteFile();
        writeSettings(settingsFile(), c.stored);
        startApplication();
        ASSERT_TRUE(window().isOnDesktop());
        EXPECT_EQ(window().getWidth(), 1052);
        EXPECT_EQ(window().getHeight(), 677);
        if (c.centred)
            EXPECT_EQ(window().getBounds().getCentre(), mainUserArea().getCentre());
        else
            EXPECT_EQ(window().getPosition(), juce::Point<int>(40, 30));
        window().setTopLeftPosition(70, 20);
        stopApplication();
        juce::PropertiesFile::Options options;
        juce::PropertiesFile saved(settingsFile(), options);
        EXPECT_EQ(saved.getIntValue("windowX"), 70);
        EXPECT_EQ(saved.getIntValue("windowY"), 20);
    }
}

TEST_F(MainWindowTest, CornerDragKeepsTheAspectBetweenHalfAndTwiceTheSize)
{
    startApplication();
    ASSERT_EQ(mainUserArea(), juce::Rectangle<int>(0, 0, 1280, 800)) << "the test display";
    const double aspect = 1052.0 / 677.0;
    ASSERT_TRUE(pumpUntil([&] { return main().getOverlay().hasKeyboardFocus(false); })) << "the overlay takes the keys";
    const struct
    {
        int width, height;
        int minWidth, maxWidth; // where the result must lie
    } drags[] = { { 100, 60, 526, 530 }, { 900, 400, 600, 900 }, { 700, 677, 700, 1052 }, { 3000, 2000, 1243, 2104 } };
    for (const auto& drag : drags)
    {
        SCOPED_TRACE(drag.width);
        window().setBoundsConstrained({ 10, 10, drag.width, drag.height });
        EXPECT_GE(window().getWidth(), drag.minWidth);
        EXPECT_LE(window().getWidth(), drag.maxWidth);
        EXPECT_GE(window().getHeight(), 338);
        EXPECT_LE(window().getHeight(), 1354);
        EXPECT_NEAR(double(window().getWidth()) / window().getHeight(), aspect, 0.01);
        // The content keeps its layout, drawn scaled by the width ratio.
        EXPECT_EQ(main().getBounds(), juce::Rectangle<int>(0, 0, 1052, 677));
        EXPECT_FLOAT_EQ(main().getTransform().mat00, float(window().getWidth() / 1052.0));
        EXPECT_TRUE(main().getOverlay().hasKeyboardFocus(false)) << "a resize moves no focus";
    }
}

TEST_F(MainWindowTest, ZoomFillsTheScreenHeightAtTheFixedAspectAndRestoresExactly)
{
    writeSettings(settingsFile(), { { "windowX", 60 }, { "windowY", 50 } });
    startApplication();
    ASSERT_EQ(mainUserArea(), juce::Rectangle<int>(0, 0, 1280, 800)) << "the test display";

    click(main().getMaximiseButton());
    EXPECT_TRUE(window().isZoomed());
    EXPECT_EQ(window().getBounds(), juce::Rectangle<int>(37, 0, 1243, 800)) << "moved in to fit the screen";
    EXPECT_EQ(main().getBounds(), juce::Rectangle<int>(0, 0, 1052, 677));
    EXPECT_EQ(main().getTransform(), juce::AffineTransform::scale(float(1243.0 / 1052.0)));

    click(main().getMaximiseButton());
    EXPECT_FALSE(window().isZoomed());
    EXPECT_EQ(window().getBounds(), juce::Rectangle<int>(60, 50, 1052, 677));
    EXPECT_EQ(main().getTransform(), juce::AffineTransform::scale(1.0f));

    // Any other resize ends the zoomed state: the next toggle zooms in again.
    click(main().getMaximiseButton());
    window().setBounds(100, 100, 800, 515);
    EXPECT_FALSE(window().isZoomed());
    click(main().getMaximiseButton());
    EXPECT_EQ(window().getBounds(), juce::Rectangle<int>(37, 0, 1243, 800));
}

/** Notes whether the main window was still up when the service reported each state. */
struct WindowAtStateChange : StateRecorder
{
    explicit WindowAtStateChange(std::unique_ptr<TonecrestApplication>& application) : app(application) {}
    void onEditorServiceStateChanged(int state) override
    {
        StateRecorder::onEditorServiceStateChanged(state);
        windowUp.push_back(app->getMainWindow() != nullptr);
    }
    std::unique_ptr<TonecrestApplication>& app;
    std::vector<bool> windowUp;
};

TEST_F(MainWindowTest, QuitLetsThePedalGoWhileTheWindowIsUpAndSavesBeforeTheHIDLibraryEnds)
{
    auto& pedal = addPedal("/dev/hidraw-pedal-a");
    auto& idle = addPedal("/dev/hidraw-pedal-b");
    startApplication();
    ASSERT_TRUE(plugInReady(pedal));
    idle.plugIn(Mode::Normal);
    ASSERT_TRUE(pumpUntil([&] { return app->getNumWaitingDevices() == 1; }));
    const auto used = pedal.currentDevice();
    const auto waiting = idle.currentDevice();
    WindowAtStateChange states(app);
    service().addListener(&states);

    app->systemRequestedQuit();
    EXPECT_TRUE(juce::MessageManager::getInstance()->hasStopMessageBeenSent()) << "the main loop was asked to end";

    struct
    {
        bool ran = false, everythingGone = false, bothPedalsClosed = false, positionSaved = false;
    } atExit;
    onHIDLibraryExit = [&] {
        atExit.ran = true;
        atExit.everythingGone = app->getMainWindow() == nullptr && app->getEditorService() == nullptr
                             && app->getSettings() == nullptr;
        atExit.bothPedalsClosed = used->isClosed() && waiting->isClosed();
        const auto saved = settingsFile().loadFileAsString();
        atExit.positionSaved = saved.contains("windowX") && saved.contains("windowY");
    };
    app->getEditorService()->removeListener(&recorder);
    app->shutdown(); // what JUCE's main runs once the loop has ended
    onHIDLibraryExit = nullptr;
    app.reset();

    ASSERT_EQ(states.states(), std::vector<int> { TonecrestEditorService::kStateNotConnected });
    EXPECT_EQ(states.windowUp, std::vector<bool> { true }) << "disconnected before the window went";
    EXPECT_TRUE(atExit.ran);
    EXPECT_TRUE(atExit.everythingGone);
    EXPECT_TRUE(atExit.bothPedalsClosed);
    EXPECT_TRUE(atExit.positionSaved);
    EXPECT_EQ(backend.openHandleCount(), 0);
}

/** Plays the window manager: catches the state requests windows send to the root. JUCE names
    them with the WM_CHANGE_STATE atom as it found it at start-up; on a bare X server, where no
    window manager made that atom first, the name is None. */
class WindowManagerStandIn
{
public:
    WindowManagerStandIn()
        : x11((juce::XWindowSystem::getInstance(), juce::X11Symbols::getInstance())), // loads the X library
          display(x11->xOpenDisplay(nullptr)), changeState(x11->xInternAtom(display, "WM_CHANGE_STATE", True))
    {
    }
    ~WindowManagerStandIn() { x11->xCloseDisplay(display); }

    /** The states asked for in WM_CHANGE_STATE messages about `window` within about `ms` of
        `request`. */
    std::vector<long> stateChangesFor(void* window, const std::function<void()>& request, int ms)
    {
        x11->xSelectInput(display, x11->xDefaultRootWindow(display), SubstructureRedirectMask);
        x11->xSync(display, False);
        request();
        std::vector<long> states;
        for (const auto end = juce::Time::getMillisecondCounter() + juce::uint32(ms); juce::Time::getMillisecondCounter() < end;)
        {
            juce::MessageManager::getInstance()->runDispatchLoopUntil(5);
            x11->xFlush(juce::XWindowSystem::getInstance()->getDisplay()); // the window's own connection
            while (x11->xPending(display) > 0)
            {
                XEvent event;
                x11->xNextEvent(display, &event);
                if (event.type == ClientMessage && event.xclient.message_type == changeState
                    && event.xclient.window == ::Window(reinterpret_cast<uintptr_t>(window)))
                    states.push_back(event.xclient.data.l[0]);
            }
        }
        return states;
    }

private:
    juce::X11Symbols* x11;
    ::Display* display;
    Atom changeState;
};

TEST_F(MainWindowTest, MinimiseButtonAsksTheWindowManagerToIconifyTheWindow)
{
    WindowManagerStandIn manager;
    startApplication();
    pump(50);
    ASSERT_NE(window().getPeer(), nullptr);
    EXPECT_TRUE(window().getPeer()->getStyleFlags() & juce::ComponentPeer::windowHasMinimiseButton);
    const auto requests = manager.stateChangesFor(window().getPeer()->getNativeHandle(),
                                                  [&] { click(main().getMinimiseButton()); }, 200);
    EXPECT_EQ(requests, std::vector<long> { IconicState });
    EXPECT_FALSE(juce::MessageManager::getInstance()->hasStopMessageBeenSent());
}

// The close button, the menu's Quit and the desktop's close request each ask to quit; a page's
// own menu item or a dismissed menu does not.
class QuitRequest : public MainWindowTest, public ::testing::WithParamInterface<int>
{
};

TEST_P(QuitRequest, AsksTheApplicationToQuit)
{
    if (GetParam() == 3) // the desktop asks before any window exists
    {
        app = std::make_unique<TonecrestApplication>(backend);
        app->systemRequestedQuit();
        EXPECT_TRUE(juce::MessageManager::getInstance()->hasStopMessageBeenSent());
        app.reset();
        return;
    }
    startApplication();
    main().handleMenuResult(1);
    main().handleMenuResult(0);
    EXPECT_FALSE(juce::MessageManager::getInstance()->hasStopMessageBeenSent());
    switch (GetParam())
    {
    case 0: click(main().getCloseButton()); break;
    case 1: main().handleMenuResult(MainComponent::quitItem); break;
    default: window().userTriedToCloseWindow(); break;
    }
    EXPECT_TRUE(juce::MessageManager::getInstance()->hasStopMessageBeenSent());
}

INSTANTIATE_TEST_SUITE_P(CloseMenuAndDesktop, QuitRequest, ::testing::Values(0, 1, 2, 3));

int brightness(juce::Colour c)
{
    return c.getRed() + c.getGreen() + c.getBlue();
}

bool isAccentRed(juce::Colour c)
{
    return c.getRed() > 150 && c.getGreen() < 90 && c.getBlue() < 90;
}

TEST_F(MainWindowTest, EachTabShowsOnlyItsPageWithItsBackgroundAndIsTheOnlyOneLit)
{
    startApplication();
    main().getOverlay().setShown(false); // the look once the edit page has a ready pedal
    const struct
    {
        MainComponent::Page page;
        int tabX;
        AppImageID background;
    } tabs[] = { { MainComponent::editPage, 2, AppImageID::editPageBackground },
                 { MainComponent::footswitchPage, 152, AppImageID::footswitchPageBackground },
                 { MainComponent::midiCCPage, 301, AppImageID::midiCCPageBackground },
                 { MainComponent::cabinetsPage, 450, AppImageID::cabinetsPageBackground },
                 { MainComponent::globalPage, 599, AppImageID::globalPageBackground },
                 { MainComponent::backupPage, 748, AppImageID::backupPageBackground } };
    EXPECT_EQ(main().getCurrentPage(), MainComponent::editPage) << "the first page shown";
    for (int round = 0; round < 2; ++round) // the first round shows each page as it starts
        for (const auto& tab : tabs)
        {
            SCOPED_TRACE(tab.tabX);
            if (round == 1)
                click(*main().getTabButton(tab.page));
            else if (tab.page != MainComponent::editPage)
                continue;
            EXPECT_EQ(main().getCurrentPage(), tab.page);
            EXPECT_EQ(main().getBackground(), getAppImage(tab.background));
            auto& window = *app->getMainWindow();
            const auto shot = window.createComponentSnapshot(window.getLocalBounds(), true, 1.0f);
            for (const auto& other : tabs)
            {
                EXPECT_EQ(main().getPageComponent(other.page)->isVisible(), other.page == tab.page);
                EXPECT_EQ(isAccentRed(shot.getPixelAt(other.tabX + 75, 47)), other.page == tab.page) << other.tabX;
            }
            // The title-bar buttons are drawn above everything: their glyphs stand out of the bar.
            const auto bar = brightness(shot.getPixelAt(1015, 24)); // between maximise and close
            EXPECT_GT(brightness(shot.getPixelAt(1026, 24)), bar + 150) << "close glyph";
            EXPECT_GT(brightness(shot.getPixelAt(982, 25)), bar + 150) << "minimise glyph";
            EXPECT_GT(brightness(shot.getPixelAt(1004, 21)), bar + 150) << "maximise glyph";
        }

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
    const std::pair<const juce::Component*, juce::Rectangle<int>> children[] = {
        { &about.getSoftwareLabel(), { 10, 70, 300, 24 } },
        { &about.getVersionLabel(), { 10, 100, 300, 24 } },
        { &about.getLink(), { 10, 130, 300, 24 } },
    };
    for (const auto& [child, bounds] : children)
    {
        EXPECT_EQ(child->getParentComponent(), &about);
        EXPECT_TRUE(child->isVisible());
        EXPECT_EQ(child->getBounds(), bounds);
    }

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
