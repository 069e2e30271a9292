#include "CabinetsComponent.h"
#include "GuiTestFixture.h"
#include "PageTestSupport.h"
#include "PanelTestSupport.h"
#include "PeerMouse.h"

#include <vector>

namespace
{

struct RecordingCabinetsHandler : CabinetsComponent::Handler
{
    juce::StringArray calls;

    void onCabinetsComponentNameEdited(int slot, const juce::String& name) override
    {
        calls.add("nameEdited " + juce::String(slot) + " " + name);
    }
    void onCabinetsComponentImport(int slot) override { calls.add("import " + juce::String(slot)); }
    void onCabinetsComponentExport(int slot) override { calls.add("export " + juce::String(slot)); }
    void onCabinetsComponentRename(int slot) override { calls.add("rename " + juce::String(slot)); }
    void onCabinetsComponentCopyTo(int slot) override { calls.add("copyTo " + juce::String(slot)); }
};

const juce::StringArray pageItems = {
    "3 Import Cabinet From File",
    "4 Export Cabinet To File",
    "1 Rename Cabinet",
    "2 Copy Cabinet To Location",
};

class CabinetsComponentTest : public GuiTest
{
protected:
    CabinetsComponentTest()
    {
        page.setBounds(0, 0, 1052, 677);
        page.setMenuRunner(recorder.runner());
    }

    void fillNames()
    {
        page.setNumRows(32);
        for (int slot = 0; slot < 32; ++slot)
        {
            const auto name = slot == 3 ? juce::String("Greenback") : "User Cab " + juce::String(slot + 1);
            page.setRow(slot, juce::String(slot + 1), name);
        }
        page.refreshNow();
    }

    void press(juce::Component& c, juce::ModifierKeys mods = juce::ModifierKeys::leftButtonModifier, int clicks = 1)
    {
        const juce::Point<float> p(5.0f, 5.0f);
        c.mouseDown(mouseEvent(c, p, p, clicks, mods));
        c.mouseUp(mouseEvent(c, p, p, clicks, {}));
    }
    void doubleClick(juce::Component& c)
    {
        press(c);
        press(c, juce::ModifierKeys::leftButtonModifier, 2);
        const juce::Point<float> p(5.0f, 5.0f);
        c.mouseDoubleClick(mouseEvent(c, p, p, 2));
        page.refreshNow();
    }
    /** The editor reports keys and focus through posted messages. */
    static void pump(int ms = 30) { juce::MessageManager::getInstance()->runDispatchLoopUntil(ms); }

    RecordingCabinetsHandler handler;
    CabinetsComponent page { &handler };
    MenuRecorder recorder;
};

TEST_F(CabinetsComponentTest, LaysOutHeadersAndTwoColumnsOfSixteenSlots)
{
    const auto& headers = page.getHeaders();
    ASSERT_EQ(headers.size(), 4u);
    const std::vector<std::pair<juce::String, juce::Rectangle<int>>> expected = {
        { "LOAD", { 218, 143, 62, 20 } },
        { "NAME / DESCRIPTION", { 310, 143, 173, 20 } },
        { "LOAD", { 567, 143, 62, 20 } },
        { "NAME / DESCRIPTION", { 659, 143, 173, 20 } },
    };
    for (size_t i = 0; i < expected.size(); ++i)
    {
        EXPECT_EQ(headers[i]->text, expected[i].first);
        EXPECT_EQ(headers[i]->getBounds(), expected[i].second);
        EXPECT_EQ(headers[i]->textColour, juce::Colour(0xFF969696));
        EXPECT_FLOAT_EQ(headers[i]->font.getHeight(), sharedFont14.getHeight());
    }

    // Slot s = 16 * column + row.
    const struct
    {
        int slot;
        int x, y;
    } corners[] = { { 0, 218, 170 }, { 15, 218, 575 }, { 16, 567, 170 }, { 31, 567, 575 } };
    for (const auto& corner : corners)
    {
        auto& button = page.getLoadButton(corner.slot);
        EXPECT_EQ(button.getBounds(), juce::Rectangle<int>(corner.x, corner.y, 62, 20)) << corner.slot;
        EXPECT_EQ(button.text, "USER " + juce::String(corner.slot + 1));
        EXPECT_EQ(button.textColour, juce::Colour(0xFF969696));
        EXPECT_EQ(page.getNameLabel(corner.slot).getBounds(), juce::Rectangle<int>(corner.x + 92, corner.y, 173, 20));
        EXPECT_TRUE(page.getNameLabel(corner.slot).text.isEmpty()) << "no names before the pedal's arrive";
    }
    EXPECT_FALSE(page.getNameEditor().isVisible());
    EXPECT_EQ(page.getSelectedRow(), -1);
    EXPECT_EQ(page.getEditingRow(), -1);
}

TEST_F(CabinetsComponentTest, ShowsTheRowsTheEditPageSets)
{
    fillNames();
    EXPECT_EQ(page.getNameLabel(3).text, "Greenback");
    EXPECT_EQ(page.getNameLabel(31).text, "User Cab 32");
    EXPECT_EQ(page.getRow(3).number, "4");

    // Out-of-range slots are ignored.
    page.setRow(-1, "0", "bad");
    page.setRow(32, "33", "bad");
    EXPECT_EQ(page.getNumRows(), 32);

    // Fewer rows: the labels past them keep their last text; more rows than labels show nothing more.
    page.setNumRows(2);
    page.setRow(1, "2", "Renamed");
    page.refreshNow();
    EXPECT_EQ(page.getNameLabel(1).text, "Renamed");
    EXPECT_EQ(page.getNameLabel(5).text, "User Cab 6");
    page.setNumRows(40);
    page.setRow(39, "40", "beyond");
    page.refreshNow();
    EXPECT_EQ(page.getRow(39).name, "beyond");
    EXPECT_EQ(page.getRow(2).name, "") << "new rows are empty";
}

TEST_F(CabinetsComponentTest, LoadButtonsImportIntoTheirSlot)
{
    press(page.getLoadButton(0));
    press(page.getLoadButton(17));
    press(page.getLoadButton(31));
    EXPECT_EQ(handler.calls, juce::StringArray({ "import 0", "import 17", "import 31" }));

    CabinetsComponent orphan(nullptr);
    press(orphan.getLoadButton(0)); // no handler: nothing happens
}

TEST_F(CabinetsComponentTest, ClickSelectsAndRightClickOffersThePageItemsForThatSlot)
{
    fillNames();
    press(page.getNameLabel(5));
    page.refreshNow();
    EXPECT_EQ(page.getSelectedRow(), 5);
    EXPECT_EQ(page.getNameLabel(5).textColour, juce::Colour(0xFFD0D0D0));
    EXPECT_EQ(page.getNameLabel(4).textColour, juce::Colour(0xFF969696));
    EXPECT_TRUE(recorder.menus.empty()) << "a plain click opens no menu";
    EXPECT_TRUE(handler.calls.isEmpty());

    // Right click on another slot selects it and opens only the page's items, at the mouse.
    recorder.choice = CabinetsComponent::exportItem;
    press(page.getNameLabel(20), juce::ModifierKeys::rightButtonModifier);
    ASSERT_EQ(recorder.menus.size(), 1u);
    EXPECT_EQ(recorder.menus[0], pageItems);
    EXPECT_EQ(recorder.targets[0], nullptr);
    EXPECT_EQ(handler.calls, juce::StringArray({ "export 20" }));
    page.refreshNow();
    EXPECT_EQ(page.getNameLabel(20).textColour, juce::Colour(0xFFD0D0D0));
    EXPECT_EQ(page.getNameLabel(5).textColour, juce::Colour(0xFF969696));

    // Control-click is a menu click too.
    recorder.choice = 0;
    press(page.getNameLabel(7), juce::ModifierKeys::leftButtonModifier | juce::ModifierKeys::ctrlModifier);
    EXPECT_EQ(recorder.menus.size(), 2u);
    EXPECT_EQ(page.getSelectedRow(), 7);
}

TEST_F(CabinetsComponentTest, MainMenuAppendsItemsAndActsOnTheSelectedSlot)
{
    SimpleLabel target("file");
    const auto base = testBaseMenu();

    // Before any selection there is no slot: above all no import into the preset's own cabinet (-1).
    recorder.choice = CabinetsComponent::importItem;
    EXPECT_EQ(page.showMenu(&target, base), 3);
    EXPECT_TRUE(handler.calls.isEmpty());
    ASSERT_EQ(recorder.menus.size(), 1u);
    auto expected = juce::StringArray({ "100 About...", "103 Quit", "---" });
    expected.addArray(pageItems);
    EXPECT_EQ(recorder.menus[0], expected);
    EXPECT_EQ(recorder.targets[0], &target);

    press(page.getNameLabel(9));
    for (int id : { 1, 2, 3, 4 })
    {
        recorder.choice = id;
        EXPECT_EQ(page.showMenu(&target, base), id);
    }
    // Base ids and dismissal go back to the caller untouched.
    recorder.choice = 103;
    EXPECT_EQ(page.showMenu(&target, base), 103);
    recorder.choice = 0;
    EXPECT_EQ(page.showMenu(&target, base), 0);
    EXPECT_EQ(handler.calls, juce::StringArray({ "rename 9", "copyTo 9", "import 9", "export 9" }));

    CabinetsComponent orphan(nullptr);
    orphan.setMenuRunner([](const juce::PopupMenu&, juce::Component*) { return 3; });
    EXPECT_EQ(orphan.showMenu(nullptr, {}), 3);
}

TEST_F(CabinetsComponentTest, DoubleClickRenamesInPlaceAndReturnReportsTheText)
{
    fillNames();
    doubleClick(page.getNameLabel(3));
    auto& editor = page.getNameEditor();
    EXPECT_EQ(page.getEditingRow(), 3);
    EXPECT_TRUE(editor.isVisible());
    EXPECT_FALSE(page.getNameLabel(3).isVisible());
    EXPECT_EQ(editor.getBounds(), page.getNameLabel(3).getBounds());
    EXPECT_EQ(editor.getText(), "Greenback");
    EXPECT_FALSE(editor.isMultiLine());
    EXPECT_FALSE(editor.isReadOnly());

    editor.setText("V30 Mix");
    editor.keyPressed(juce::KeyPress(juce::KeyPress::returnKey));
    pump();
    page.refreshNow();
    EXPECT_EQ(handler.calls, juce::StringArray({ "nameEdited 3 V30 Mix" }));
    EXPECT_EQ(page.getEditingRow(), -1);
    EXPECT_FALSE(editor.isVisible());
    EXPECT_TRUE(page.getNameLabel(3).isVisible());
    EXPECT_EQ(page.getNameLabel(3).text, "Greenback") << "the name changes only when the pedal's copy comes back";

    page.setRow(3, "4", "V30 Mix");
    page.refreshNow();
    EXPECT_EQ(page.getNameLabel(3).text, "V30 Mix");
}

TEST_F(CabinetsComponentTest, EscapeSetRowAndAnotherDoubleClickEndTheRenameWithoutReporting)
{
    fillNames();
    auto& editor = page.getNameEditor();

    doubleClick(page.getNameLabel(1));
    editor.setText("typed");
    editor.keyPressed(juce::KeyPress(juce::KeyPress::escapeKey));
    pump();
    page.refreshNow();
    EXPECT_EQ(page.getEditingRow(), -1);
    EXPECT_FALSE(editor.isVisible());

    // The pedal's name for the slot under edit cancels the edit and shows.
    doubleClick(page.getNameLabel(2));
    page.setRow(2, "3", "From Pedal");
    page.refreshNow();
    EXPECT_EQ(page.getEditingRow(), -1);
    EXPECT_FALSE(editor.isVisible());
    EXPECT_TRUE(page.getNameLabel(2).isVisible());
    EXPECT_EQ(page.getNameLabel(2).text, "From Pedal");

    // A double click elsewhere moves the editor and drops the unconfirmed text.
    doubleClick(page.getNameLabel(4));
    editor.setText("unconfirmed");
    doubleClick(page.getNameLabel(30));
    EXPECT_EQ(page.getEditingRow(), 30);
    EXPECT_EQ(editor.getText(), "User Cab 31");
    EXPECT_EQ(editor.getBounds(), page.getNameLabel(30).getBounds());
    EXPECT_TRUE(page.getNameLabel(4).isVisible());

    // Shrinking the rows under the editor ends the rename instead of leaving it stranded.
    page.setNumRows(16);
    page.refreshNow();
    EXPECT_EQ(page.getEditingRow(), -1);
    EXPECT_FALSE(editor.isVisible());
    EXPECT_TRUE(handler.calls.isEmpty());
}

TEST_F(CabinetsComponentTest, RealMouseAndKeyboardRenameOnScreen)
{
    if (!hasDisplay())
        GTEST_SKIP() << "needs a display";
    fillNames();
    page.addToDesktop(0);
    page.setVisible(true);
    page.toFront(true);
    pump(50);

    PeerMouse mouse(page);
    const auto centre = page.getNameLabel(18).getBounds().getCentre();
    mouse.doubleClick(centre);
    pump(50);
    auto& editor = page.getNameEditor();
    ASSERT_EQ(page.getEditingRow(), 18);
    ASSERT_TRUE(editor.isShowing());
    EXPECT_TRUE(editor.hasKeyboardFocus(false)) << "typing goes straight into the editor";

    editor.selectAll();
    editor.insertTextAtCaret("Room Mic");
    editor.keyPressed(juce::KeyPress(juce::KeyPress::returnKey));
    pump(50);
    EXPECT_EQ(handler.calls, juce::StringArray({ "nameEdited 18 Room Mic" }));
    EXPECT_FALSE(editor.isVisible());
    page.removeFromDesktop();
}

TEST_F(CabinetsComponentTest, Screenshot)
{
    ScopedBuiltArtwork artwork;
    CabinetsComponent shown(&handler);
    shown.setBounds(0, 0, 1052, 677);
    shown.setNumRows(32);
    const char* names[] = { "4x12 Greenback", "2x12 Blue Alnico", "1x12 Open Back", "4x10 Bass Cab", "V30 Room Mic" };
    for (int slot = 0; slot < 32; ++slot)
        shown.setRow(slot, juce::String(slot + 1), slot < 5 ? juce::String(names[slot]) : juce::String("EMPTY"));
    shown.refreshNow();
    press(shown.getNameLabel(2));
    shown.refreshNow();

    const auto background = AppImageID::cabinetsPageBackground;
    EXPECT_TRUE(writeScreenshot(renderPageOver(shown, background), "cabinets-page.png").existsAsFile());

    // Renaming slot 20 in place.
    const juce::Point<float> p(5.0f, 5.0f);
    shown.getNameLabel(19).mouseDoubleClick(mouseEvent(shown.getNameLabel(19), p, p, 2));
    shown.refreshNow();
    shown.getNameEditor().setText("Room Mic Blend");
    EXPECT_TRUE(writeScreenshot(renderPageOver(shown, background), "cabinets-page-rename.png").existsAsFile());
    if (artwork.loaded())
    {
        EXPECT_TRUE(shown.getLoadButton(0).normalImage.isValid());
    }
}

} // namespace
