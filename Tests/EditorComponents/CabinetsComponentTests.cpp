#include "CabinetsComponent.h"
#include "GuiTestFixture.h"
#include "PanelTestSupport.h"
#include "PeerMouse.h"

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

const juce::Colour selectedColour(0xFFD0D0D0), plainColour(0xFF969696);

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
            page.setRow(slot, juce::String(slot + 1),
                        slot == 3 ? juce::String("Greenback") : "User Cab " + juce::String(slot + 1));
        page.refreshNow();
    }

    static void press(juce::Component& c, juce::ModifierKeys mods = juce::ModifierKeys::leftButtonModifier)
    {
        const juce::Point<float> p(5.0f, 5.0f);
        c.mouseDown(mouseEvent(c, p, p, 1, mods));
        c.mouseUp(mouseEvent(c, p, p, 1, {}));
    }
    void doubleClick(juce::Component& c)
    {
        press(c);
        const juce::Point<float> p(5.0f, 5.0f);
        c.mouseDoubleClick(mouseEvent(c, p, p, 2));
        page.refreshNow();
    }
    /** The editor reports keys and focus through posted messages. */
    void pressInEditor(int keyCode)
    {
        page.getNameEditor().keyPressed(juce::KeyPress(keyCode));
        juce::MessageManager::getInstance()->runDispatchLoopUntil(30);
        page.refreshNow();
    }

    RecordingCabinetsHandler handler;
    CabinetsComponent page { &handler };
    MenuRecorder recorder;
};

TEST_F(CabinetsComponentTest, TwoColumnsOfSixteenSlotsShowTheRowsTheEditPageSets)
{
    // Slot s = 16 * column + row.
    const struct
    {
        int slot, x, y;
    } corners[] = { { 0, 218, 170 }, { 15, 218, 575 }, { 16, 567, 170 }, { 31, 567, 575 } };
    for (const auto& corner : corners)
    {
        EXPECT_EQ(page.getLoadButton(corner.slot).getBounds(), juce::Rectangle<int>(corner.x, corner.y, 62, 20));
        EXPECT_EQ(page.getLoadButton(corner.slot).text, "USER " + juce::String(corner.slot + 1));
        EXPECT_EQ(page.getNameLabel(corner.slot).getBounds(), juce::Rectangle<int>(corner.x + 92, corner.y, 173, 20));
        EXPECT_TRUE(page.getNameLabel(corner.slot).text.isEmpty()) << "no names before the pedal's arrive";
    }
    EXPECT_EQ(page.getHeaders()[3]->text, "NAME / DESCRIPTION");
    EXPECT_FALSE(page.getNameEditor().isVisible());

    fillNames();
    EXPECT_EQ(page.getNameLabel(3).text, "Greenback");
    EXPECT_EQ(page.getNameLabel(31).text, "User Cab 32");

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

TEST_F(CabinetsComponentTest, LoadButtonsImportAndRightClickOffersThePageItemsForThatSlot)
{
    press(page.getLoadButton(0));
    press(page.getLoadButton(31));
    EXPECT_EQ(handler.calls, juce::StringArray({ "import 0", "import 31" }));
    handler.calls.clear();
    CabinetsComponent orphan(nullptr);
    press(orphan.getLoadButton(0)); // no handler: nothing happens

    fillNames();
    press(page.getNameLabel(5));
    page.refreshNow();
    EXPECT_EQ(page.getSelectedRow(), 5);
    EXPECT_EQ(page.getNameLabel(5).textColour, selectedColour);
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
    EXPECT_EQ(page.getNameLabel(20).textColour, selectedColour);
    EXPECT_EQ(page.getNameLabel(5).textColour, plainColour);

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
    auto expected = juce::StringArray({ "100 About...", "103 Quit", "---" });
    expected.addArray(pageItems);
    EXPECT_EQ(recorder.menus.at(0), expected);
    EXPECT_EQ(recorder.targets[0], &target);

    press(page.getNameLabel(9));
    // Base ids and dismissal go back to the caller untouched.
    for (int id : { 1, 2, 3, 4, 103, 0 })
    {
        recorder.choice = id;
        EXPECT_EQ(page.showMenu(&target, base), id);
    }
    EXPECT_EQ(handler.calls, juce::StringArray({ "rename 9", "copyTo 9", "import 9", "export 9" }));

    CabinetsComponent orphan(nullptr);
    orphan.setMenuRunner([](const juce::PopupMenu&, juce::Component*) { return 3; });
    EXPECT_EQ(orphan.showMenu(nullptr, {}), 3);
}

TEST_F(CabinetsComponentTest, EscapeSetRowAndAnotherDoubleClickEndTheRenameWithoutReporting)
{
    fillNames();
    auto& editor = page.getNameEditor();

    doubleClick(page.getNameLabel(1));
    editor.setText("typed");
    pressInEditor(juce::KeyPress::escapeKey);
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

TEST_F(CabinetsComponentTest, RealDoubleClickRenamesInPlaceAndReturnReportsTheText)
{
    if (!hasDisplay())
        GTEST_SKIP() << "needs a display";
    fillNames();
    page.addToDesktop(0);
    page.setVisible(true);
    page.toFront(true);
    juce::MessageManager::getInstance()->runDispatchLoopUntil(50);

    PeerMouse mouse(page);
    mouse.doubleClick(page.getNameLabel(18).getBounds().getCentre());
    juce::MessageManager::getInstance()->runDispatchLoopUntil(50);
    auto& editor = page.getNameEditor();
    ASSERT_EQ(page.getEditingRow(), 18);
    ASSERT_TRUE(editor.isShowing());
    EXPECT_FALSE(page.getNameLabel(18).isVisible());
    EXPECT_EQ(editor.getBounds(), page.getNameLabel(18).getBounds());
    EXPECT_EQ(editor.getText(), "User Cab 19");
    EXPECT_TRUE(editor.hasKeyboardFocus(false)) << "typing goes straight into the editor";

    editor.selectAll();
    editor.insertTextAtCaret("Room Mic");
    pressInEditor(juce::KeyPress::returnKey);
    EXPECT_EQ(handler.calls, juce::StringArray({ "nameEdited 18 Room Mic" }));
    EXPECT_FALSE(editor.isVisible());
    EXPECT_TRUE(page.getNameLabel(18).isVisible());
    EXPECT_EQ(page.getNameLabel(18).text, "User Cab 19") << "the name changes only when the pedal's copy comes back";
    page.removeFromDesktop();
}

} // namespace
