#include "GuiTestFixture.h"
#include "ParameterIntMenu.h"

#include <dlfcn.h>

#include <vector>

namespace
{

juce::JUCEApplicationBase* noApplicationFactory()
{
    return nullptr;
}

// JUCE installs its X error handler, which ignores the window-manager atoms a bare X server
// lacks, only for a standalone process: without this the pop-up's window dies of BadAtom.
// JUCE also loads libX11 itself and unloads it at shutdown, taking along the library's globals
// that still point at its buffers; kept loaded, those stay reachable and the leak checker
// stays quiet.
const bool standaloneProcess = [] {
    juce::JUCEApplicationBase::createInstance = &noApplicationFactory;
    dlopen("libX11.so.6", RTLD_NOW | RTLD_GLOBAL);
    return true;
}();

/** A menu whose pop-up is answered by the test: it records what was offered and returns the
    scripted choice. */
template <typename Base>
struct ScriptedMenu : Base
{
    int runPopup(juce::PopupMenu& menu, juce::Component* target) override
    {
        offered.clear();
        for (juce::PopupMenu::MenuItemIterator it(menu); it.next();)
        {
            const auto& item = it.getItem();
            offered.push_back({ item.itemID, item.text, item.isEnabled, item.isTicked });
        }
        shownAt = target;
        return choice;
    }

    struct Offered
    {
        int id;
        juce::String text;
        bool enabled, ticked;
    };
    std::vector<Offered> offered;
    juce::Component* shownAt = nullptr;
    int choice = 0;
};

class ParameterMenuTest : public GuiTest
{
protected:
    static ParameterWidgetInfo listInfo(std::initializer_list<ParameterWidgetInfo::NamedValue> values)
    {
        ParameterWidgetInfo info;
        info.values = values;
        return info;
    }

    static ParameterWidgetInfo rangeInfo(double min, double max)
    {
        ParameterWidgetInfo info;
        info.min = min;
        info.max = max;
        return info;
    }

    static std::vector<juce::String> texts(const ParameterMenu& menu)
    {
        std::vector<juce::String> result;
        for (const auto& item : menu.getItems())
            result.push_back(item.text);
        return result;
    }

    void click(ParameterPopupMenu& menu) { menu.mouseDown(mouseEvent(menu, { 5, 5 }, { 5, 5 })); }
};

TEST_F(ParameterMenuTest, ShowsTheNearestItemAndTheEarlierOfTwoEquallyNear)
{
    ParameterMenu menu;
    int reports = 0;
    menu.onValueChanged = [&](const double&) { ++reports; };
    auto info = listInfo({ { "OFF", 0.0 }, { "ON", 1.0 }, { "AUTO", 4.0 } });
    menu.setParameterInfo(&info);
    EXPECT_EQ(menu.getSelectedIndex(), -1);
    EXPECT_EQ(menu.text, "");

    const std::pair<double, const char*> cases[] = { { 1.0, "ON" },   { 0.5, "OFF" },   { 2.5, "ON" },
                                                     { 2.6, "AUTO" }, { -30.0, "OFF" }, { 99.0, "AUTO" } };
    for (const auto& [value, text] : cases)
    {
        menu.setParameterValue(value);
        EXPECT_EQ(menu.text, text) << value;
    }
    EXPECT_EQ(reports, 0); // pushed values are never reported back

    // A new list keeps what is shown until the next value arrives.
    auto other = listInfo({ { "A", 0.0 } });
    menu.setParameterInfo(&other);
    EXPECT_EQ(menu.text, "AUTO");
    menu.setParameterInfo(nullptr);
    EXPECT_TRUE(menu.getItems().empty());
    menu.setParameterValue(1.0);
    EXPECT_EQ(menu.getSelectedIndex(), -1);
    EXPECT_EQ(menu.text, "");
}

TEST_F(ParameterMenuTest, ArrowsReportTheNeighbourWithoutWrappingOrChangingTheDisplay)
{
    ParameterMenu menu;
    std::vector<double> reported;
    menu.onValueChanged = [&](const double& v) { reported.push_back(v); };

    menu.selectNext(); // no items: nothing
    menu.selectPrevious();
    EXPECT_TRUE(reported.empty());

    auto info = listInfo({ { "1/4", 10.0 }, { "1/8", 20.0 }, { "1/16", 30.0 } });
    menu.setParameterInfo(&info);
    menu.selectNext(); // nothing shown yet: both report the first item
    menu.selectPrevious();
    EXPECT_EQ(reported, (std::vector<double> { 10.0, 10.0 }));

    reported.clear();
    menu.setParameterValue(20.0);
    menu.selectNext();
    menu.selectPrevious();
    EXPECT_EQ(reported, (std::vector<double> { 30.0, 10.0 }));
    EXPECT_EQ(menu.text, "1/8"); // the display waits for the owner

    reported.clear();
    menu.setParameterValue(30.0);
    menu.selectNext(); // last item: no wrap
    menu.setParameterValue(10.0);
    menu.selectPrevious(); // first item: no wrap
    EXPECT_TRUE(reported.empty());

    menu.onValueChanged = nullptr;
    menu.selectNext(); // without a callback nothing happens
}

TEST_F(ParameterMenuTest, PopupOffersEveryItemAndReportsTheChoice)
{
    if (!hasDisplay())
        GTEST_SKIP() << "mouse events need an X display";

    ScriptedMenu<ParameterMenu> menu;
    menu.setBounds(0, 0, 183, 30);
    std::vector<double> reported;
    menu.onValueChanged = [&](const double& v) { reported.push_back(v); };
    auto info = listInfo({ { "ROOM", 0.0 }, { "HALL", 1.0 }, { "PLATE", 2.0 } });
    menu.setParameterInfo(&info);
    menu.setParameterValue(1.0);

    // The item already shown is reported too; dismissed (0) or an id past the list, nothing.
    for (int choice : { 3, 2, 0, 4 })
    {
        menu.choice = choice;
        click(menu);
    }
    ASSERT_EQ(menu.offered.size(), 3u);
    EXPECT_EQ(menu.offered[2].id, 3);
    EXPECT_EQ(menu.offered[2].text, "PLATE");
    for (const auto& item : menu.offered)
        EXPECT_TRUE(item.enabled && !item.ticked);
    EXPECT_EQ(menu.shownAt, &menu);
    EXPECT_EQ(reported, (std::vector<double> { 2.0, 1.0 }));
    EXPECT_EQ(menu.text, "HALL"); // shown only once the owner confirms
}

TEST_F(ParameterMenuTest, RealPopupDismissedReportsNothingAndSurvivesTheMenuBeingDeleted)
{
    if (!hasDisplay())
        GTEST_SKIP() << "the pop-up needs an X display";

    juce::Component window;
    window.setBounds(100, 100, 300, 100);
    window.addToDesktop(0);
    window.setVisible(true);

    auto* menu = new ParameterMenu();
    window.addAndMakeVisible(menu);
    menu->setBounds(10, 10, 183, 30);
    int reports = 0;
    menu->onValueChanged = [&](const double&) { ++reports; };
    auto info = listInfo({ { "OFF", 0.0 }, { "ON", 1.0 } });
    menu->setParameterInfo(&info);

    // Dismissed from outside while open: returns 0.
    juce::Timer::callAfterDelay(50, [] { juce::PopupMenu::dismissAllActiveMenus(); });
    menu->mouseDown(mouseEvent(*menu, { 5, 5 }, { 5, 5 }));
    EXPECT_EQ(reports, 0);

    // The panel is rebuilt while the pop-up is open: the menu is deleted under it.
    juce::Timer::callAfterDelay(50, [&] {
        delete menu;
        menu = nullptr;
        juce::PopupMenu::dismissAllActiveMenus();
    });
    auto* target = menu;
    target->mouseDown(mouseEvent(*target, { 5, 5 }, { 5, 5 }));
    EXPECT_EQ(menu, nullptr);
    EXPECT_EQ(reports, 0);
}

TEST_F(ParameterMenuTest, IntMenuListsTheIntegersOfTheTruncatedRange)
{
    ParameterIntMenu menu;
    // Truncated toward zero: 2.9 .. 3.9 is 2 .. 3, -2.5 .. 0 is -2 .. 0.
    const std::pair<ParameterWidgetInfo, std::vector<juce::String>> ranges[] = {
        { rangeInfo(1.0, 4.0), { "1", "2", "3", "4" } },
        { rangeInfo(2.9, 3.9), { "2", "3" } },
        { rangeInfo(-2.5, 0.0), { "-2", "-1", "0" } },
    };
    for (const auto& [range, expected] : ranges)
    {
        menu.setParameterInfo(&range);
        EXPECT_EQ(texts(menu), expected) << range.min;
    }
    EXPECT_EQ(menu.getItems()[0].value, -2.0);

    // At most 10000 entries, bounds below 1e9.
    const auto longest = rangeInfo(-1.0, 9998.0);
    menu.setParameterInfo(&longest);
    EXPECT_EQ(menu.getItems().size(), 10000u);
    for (const auto& bad : { rangeInfo(3.5, 2.9), rangeInfo(0.0, 1e12), rangeInfo(std::nan(""), 4.0), rangeInfo(0.0, 1e6),
                             rangeInfo(-1.0, 9999.0), rangeInfo(1e9, 1e9), rangeInfo(1e9 - 2, 1e9), rangeInfo(-1e9, 2 - 1e9) })
    {
        menu.setParameterInfo(&bad);
        EXPECT_TRUE(menu.getItems().empty()) << bad.min << ".." << bad.max;
    }
    menu.setParameterInfo(&ranges[0].first);
    menu.setParameterInfo(nullptr);
    EXPECT_TRUE(menu.getItems().empty());
}

TEST_F(ParameterMenuTest, BoxDrawsItsBackgroundAndTextAndWithoutArtworkLeavesThePageToShowThrough)
{
    // Over a page whose artwork already holds the field: nothing but the text is drawn.
    struct Page : juce::Component
    {
        void paint(juce::Graphics& g) override { g.fillAll(juce::Colour(0xFF7A3E2C)); }
    } page;
    page.setBounds(0, 0, 122, 30);
    ParameterPopupMenu box;
    page.addAndMakeVisible(box);
    box.setBounds(0, 0, 122, 30);
    box.text = "1/8 DOT";
    box.textColour = juce::Colours::white;
    const auto plain = page.createComponentSnapshot(page.getLocalBounds());
    for (const auto& at : { juce::Point<int>(5, 15), juce::Point<int>(1, 2), juce::Point<int>(116, 25) })
        EXPECT_EQ(plain.getPixelAt(at.x, at.y), juce::Colour(0xFF7A3E2C)) << at.toString();

    juce::Image background(juce::Image::ARGB, 244, 60, true);
    background.clear(background.getBounds(), juce::Colour(0xFF204060));
    box.background = background;
    box.text = {};
    const auto drawn = box.createComponentSnapshot(box.getLocalBounds());
    EXPECT_TRUE(near(drawn.getPixelAt(5, 15), juce::Colour(0xFF204060)));

    int clicks = 0;
    juce::Component* clicked = nullptr;
    box.onClick = [&](juce::Component* c) {
        ++clicks;
        clicked = c;
    };
    if (hasDisplay())
    {
        click(box);
        EXPECT_EQ(clicks, 1);
        EXPECT_EQ(clicked, &box);
    }
}

} // namespace
