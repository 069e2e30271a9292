#include "EditComponent.h"
#include "GuiTestFixture.h"
#include "ModalDialogScript.h"
#include "PeerMouse.h"
#include "PresetManager.h"
#include "PresetManagerDialog.h"
#include "Protocol/EditorServiceTestRig.h"
#include "TonecrestLookAndFeel.h"

#include <atomic>
#include <numeric>
#include <vector>

namespace
{

using Tonecrest::TonecrestEditorService;
using Tonecrest::Testing::CompletionLatch;
using Tonecrest::Testing::EditorServiceRig;
using SourceDetails = juce::DragAndDropTarget::SourceDetails;

constexpr int kSlots = 128;
const juce::ModifierKeys leftButton(juce::ModifierKeys::leftButtonModifier);
const juce::ModifierKeys commandClick(juce::ModifierKeys::leftButtonModifier | juce::ModifierKeys::commandModifier);
const juce::ModifierKeys shiftClick(juce::ModifierKeys::leftButtonModifier | juce::ModifierKeys::shiftModifier);

std::vector<int> identity()
{
    std::vector<int> order(kSlots);
    std::iota(order.begin(), order.end(), 0);
    return order;
}

/** A dialog of 128 valid slots, "Preset 1" to "Preset 128" (or the names given). */
std::unique_ptr<PresetManagerDialog> makeDialog(const std::function<juce::String(int)>& nameOf = {},
                                                const std::function<int(int)>& stateOf = {})
{
    std::vector<juce::String> numbers, names;
    std::vector<int> states;
    for (int i = 0; i < kSlots; ++i)
    {
        numbers.push_back(juce::String(i + 1).paddedLeft('0', 3));
        names.push_back(nameOf ? nameOf(i) : "Preset " + juce::String(i + 1));
        states.push_back(stateOf ? stateOf(i) : PresetManagerList::kEntryValid);
    }
    return std::make_unique<PresetManagerDialog>(numbers, names, states);
}

/** Clicks and drags on the grid, sent the way the list and the drag container send them. */
class PresetGridTest : public GuiTest
{
protected:
    static constexpr int rows = PresetManagerDialog::rowsPerColumn;

    /** The centre of grid position p, in list coordinates (inside the 1-pixel outline). */
    static juce::Point<int> centre(int p)
    {
        return { 1 + (p / rows) * PresetManagerDialog::columnWidth + PresetManagerDialog::columnWidth / 2,
                 1 + (p % rows) * PresetManagerDialog::rowHeight + PresetManagerDialog::rowHeight / 2 };
    }

    static void click(PresetManagerList& list, int p, juce::ModifierKeys mods = leftButton)
    {
        list.cellClicked(p % rows, p / rows + 1, mouseEvent(list, centre(p).toFloat(), centre(p).toFloat(), 1, mods));
    }

    /** A drag that starts on `from` and moves over `to`; released there unless `drop` is false. */
    static void drag(PresetManagerList& list, int from, int to, bool drop = true)
    {
        const SourceDetails over(list.getDragSourceDescription({}), &list, centre(to));
        const auto event = mouseEvent(list, centre(to).toFloat(), centre(from).toFloat(), 1, leftButton);
        list.itemDragEnter(over);
        list.itemDragMove(over);
        list.cellDragged(from % rows, to / rows + 1, event);
        if (!drop)
            return;
        list.cellMouseUp(from % rows, to / rows + 1, event);
        list.itemDropped(over);
    }
};

class PresetManagerTest : public PresetGridTest
{
protected:
    void SetUp() override
    {
        dialog = makeDialog();
        dialog->setTopLeftPosition(0, 0);
    }

    PresetManagerList& list() { return dialog->getList(); }
    void click(int p, juce::ModifierKeys mods = leftButton) { PresetGridTest::click(list(), p, mods); }
    void dragTo(int from, int to) { drag(list(), from, to); }
    /** Clicks `from` alone and drags it onto `to`. */
    void move(int from, int to)
    {
        click(from);
        dragTo(from, to);
    }

    std::vector<int> expectedAfterSwaps(std::vector<std::pair<int, int>> placed) const
    {
        auto order = identity();
        for (const auto& [position, preset] : placed)
            order[size_t(position)] = preset;
        return order;
    }

    std::vector<int> movedPositions()
    {
        std::vector<int> moved;
        for (int p = 0; p < kSlots; ++p)
            if (list().isMoved(p))
                moved.push_back(p);
        return moved;
    }

    std::unique_ptr<PresetManagerDialog> dialog;
};

TEST_F(PresetManagerTest, DialogHoldsFourColumnsOf32AndMapsEntryStates)
{
    EXPECT_EQ(list().getBounds(), juce::Rectangle<int>(10, 10, 602, 642));
    EXPECT_EQ(list().getNumRows(), 32);
    EXPECT_EQ(list().getHeader().getNumColumns(true), 4);
    PresetManagerList withHeader(13.0f, 20, 150, 32, 128, true);
    EXPECT_EQ(withHeader.getHeaderHeight(), 20) << "a shown header is one row high";
    EXPECT_EQ(list().getCellText(33), "034 - Preset 34");

    using Info = TonecrestEditorService::PresetInfo;
    EXPECT_EQ(PresetManagerList::mapServiceState(Info::kNotRead), PresetManagerList::kEntryNotRead);
    EXPECT_EQ(PresetManagerList::mapServiceState(Info::kStale), PresetManagerList::kEntryNotRead);
    EXPECT_EQ(PresetManagerList::mapServiceState(Info::kBeingRead), PresetManagerList::kEntryBeingRead);
    EXPECT_EQ(PresetManagerList::mapServiceState(Info::kValid), PresetManagerList::kEntryValid);

    PresetManagerDialog partial({ "001", "002" }, { "A", "B" }, { 1, 0 });
    EXPECT_EQ(partial.getList().getCellText(0), "001 - (Refreshing...)");
    EXPECT_EQ(partial.getList().getCellText(1), "002- (Empty)");
    EXPECT_EQ(partial.getList().getCellText(2), "");
    std::vector<int> oneState { PresetManagerList::kEntryValid, PresetManagerList::kEntryValid };
    oneState.pop_back(); // what lies past the end must not be read
    PresetManagerDialog unread({ "001", "002" }, { "A", "B" }, oneState);
    EXPECT_EQ(unread.getList().getCellText(1), "002- (Empty)") << "no state: not read";
}

TEST_F(PresetManagerTest, SelectionFollowsPlainCommandAndShiftClicks)
{
    click(3);
    click(5);
    EXPECT_FALSE(list().isSelected(3)) << "a plain click starts a new selection";
    EXPECT_EQ(list().getSelectionOrder(), std::vector<int>({ 5 }));

    // Real clicks carry the mouse button among the modifiers; only the keys decide.
    click(40, commandClick);
    EXPECT_EQ(list().getSelectionOrder(), std::vector<int>({ 5, 40 }));
    click(40, commandClick);
    EXPECT_FALSE(list().isSelected(40));
    EXPECT_EQ(list().getSelectionOrder(), std::vector<int>({ 5 }));

    click(8, shiftClick);
    EXPECT_EQ(list().getSelectionOrder(), std::vector<int>({ 5, 6, 7, 8 }));
    click(2, shiftClick); // from the anchor (8) back down
    EXPECT_EQ(list().getSelectionOrder(), std::vector<int>({ 8, 7, 6, 5, 4, 3, 2 }));

    click(6); // a plain click on a selected cell keeps the selection for a drag
    EXPECT_TRUE(list().isSelected(2));
    EXPECT_TRUE(list().isSelected(8));
    const auto description = GridDragDescription::fromVar(list().getDragSourceDescription({}));
    ASSERT_TRUE(description.has_value());
    EXPECT_EQ(description->getAnchorPosition(), 6);
    EXPECT_EQ(description->itemCount, kSlots);
    EXPECT_EQ(description->columnWidth, 150);
    EXPECT_EQ(description->selectionOrder, list().getSelectionOrder());
}

TEST_F(PresetManagerTest, DropsSwapTheDraggedPresetsWithTheOnesTheyLandOn)
{
    // A drop on the dragged cell changes nothing and leaves nothing to undo.
    move(7, 7);
    EXPECT_EQ(list().getNewOrder(), identity());
    EXPECT_FALSE(list().canUndo());
    EXPECT_FALSE(list().isInDropPreview(7));

    // Slot 2 onto slot 6: the two swap, slots 3 to 5 keep theirs.
    move(1, 5);
    EXPECT_EQ(list().getNewOrder(), expectedAfterSwaps({ { 1, 5 }, { 5, 1 } }));
    EXPECT_EQ(list().getOpeningOrder(), identity());
    EXPECT_EQ(movedPositions(), std::vector<int>({ 1, 5 }));
    EXPECT_EQ(list().getCellTextColour(5), PresetManagerList::movedTextColour);
    EXPECT_TRUE(list().isSelected(5)) << "the selection follows the preset";
    EXPECT_FALSE(list().isSelected(1));
    list().undo();

    // Slots 2 and 3 onto slot 5, anchored on slot 2.
    click(1);
    click(2, shiftClick);
    move(1, 4);
    EXPECT_EQ(list().getNewOrder(), expectedAfterSwaps({ { 4, 1 }, { 5, 2 }, { 1, 4 }, { 2, 5 } }));
    EXPECT_EQ(list().getSelectionOrder(), std::vector<int>({ 4, 5 }));
    list().undo();

    // A block of three dragged past the last slot lands in the last three.
    click(10);
    click(12, shiftClick);
    move(10, 126);
    EXPECT_EQ(list().getNewOrder(),
              expectedAfterSwaps({ { 125, 10 }, { 126, 11 }, { 127, 12 }, { 10, 125 }, { 11, 126 }, { 12, 127 } }));
    list().undo();

    // Scattered cells across columns move as a run, the dragged cell under the pointer.
    click(0);
    click(40, commandClick);
    dragTo(40, 100);
    EXPECT_EQ(list().getNewOrder(), expectedAfterSwaps({ { 99, 0 }, { 100, 40 }, { 0, 99 }, { 40, 100 } }));
    auto sorted = list().getNewOrder();
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted, identity()) << "every preset is still there once";
}

TEST_F(PresetManagerTest, UndoAndRedoWalkTheHistoryAndANewMoveDropsTheRedoBranch)
{
    move(1, 5);
    const auto afterFirst = list().getNewOrder();
    move(20, 50);
    const auto afterSecond = list().getNewOrder();
    EXPECT_EQ(list().getHistorySize(), 3);

    list().undo();
    EXPECT_EQ(list().getNewOrder(), afterFirst);
    EXPECT_TRUE(list().isSelected(20)) << "undo brings back the selection of before the drag";
    list().undo();
    EXPECT_EQ(list().getNewOrder(), identity());
    EXPECT_TRUE(movedPositions().empty());
    list().undo(); // nothing older
    EXPECT_EQ(list().getNewOrder(), identity());

    list().redo();
    EXPECT_EQ(list().getNewOrder(), afterFirst);
    EXPECT_TRUE(list().isSelected(5));
    list().redo();
    EXPECT_EQ(list().getNewOrder(), afterSecond);
    EXPECT_FALSE(list().canRedo());

    // Keys reach the same operations.
    const auto command = juce::ModifierKeys::commandModifier;
    const auto shiftCommand = juce::ModifierKeys::commandModifier | juce::ModifierKeys::shiftModifier;
    const std::tuple<int, int, std::vector<int>> keys[] = {
        { 'z', command, afterFirst },      { 'z', shiftCommand, afterSecond }, { 'z', command, afterFirst },
        { 'y', command, afterSecond },     { 'z', command, afterFirst },       { 'z', 0, afterFirst },
        { 'y', 0, afterFirst },            { 'y', shiftCommand, afterFirst },
    };
    for (const auto& [key, modifiers, order] : keys)
    {
        dialog->keyPressed(juce::KeyPress(key, juce::ModifierKeys(modifiers), 0));
        EXPECT_EQ(list().getNewOrder(), order) << char(key) << " " << modifiers;
    }
    list().redo();

    list().undo();
    list().undo();
    move(2, 3);
    EXPECT_FALSE(list().canRedo());
    EXPECT_EQ(list().getHistorySize(), 2);
    EXPECT_EQ(list().getNewOrder(), expectedAfterSwaps({ { 2, 3 }, { 3, 2 } }));

    // Moving a preset back home clears its mark.
    move(3, 2);
    EXPECT_EQ(list().getNewOrder(), identity());
    EXPECT_TRUE(movedPositions().empty());
}

TEST_F(PresetManagerTest, RealMouseDragInTheDialogSwapsTheSlots)
{
    if (!hasDisplay())
        GTEST_SKIP() << "needs a display";
    dialog->addToDesktop(0);
    dialog->setVisible(true);
    PeerMouse mouse(*dialog);
    const auto offset = list().getPosition();

    // The drop lands where the pointer is released, also when the last move ends there.
    mouse.click(offset + centre(33)); // column 2, row 1
    mouse.dragFromTo(offset + centre(33), offset + centre(70));
    for (int i = 0; i < 300 && dialog->isDragAndDropActive(); ++i)
        juce::MessageManager::getInstance()->runDispatchLoopUntil(10);

    EXPECT_EQ(list().getNewOrder(), expectedAfterSwaps({ { 70, 33 }, { 33, 70 } }));
    dialog->removeFromDesktop();
}

// ---- The whole road, against the editor service and a simulated pedal ----------------------

class PresetManagerServiceTest : public PresetGridTest
{
protected:
    void SetUp() override
    {
        if (!hasDisplay())
            GTEST_SKIP() << "the dialog runs in a window; needs a display";
        for (unsigned i = 0; i < kSlots; ++i)
            rig.connection.pedal.setPresetName(i, "Slot " + std::to_string(i));
        rig.connectAndRefresh();
    }

    std::vector<std::string> pedalNames()
    {
        std::vector<std::string> names;
        for (unsigned i = 0; i < kSlots; ++i)
            names.push_back(rig.connection.pedal.presetName(i));
        return names;
    }

    PresetManager::Outcome run(ModalDialogScript::Step step)
    {
        ModalDialogScript script({ std::move(step) });
        const auto outcome = PresetManager::open(
            *rig.service, [this](double p) { lastProgress = p; }, done.callback(),
            [this](Tonecrest::Result, const char* message) { errors.push_back(message); });
        EXPECT_TRUE(script.finished());
        EXPECT_EQ(script.unexpected, 0);
        EXPECT_EQ(script.seen, juce::StringArray("Preset Manager"));
        return outcome;
    }

    /** Drags slot `from` onto slot `to` in the dialog, runs `meanwhile`, then clicks `button`. */
    static ModalDialogScript::Step moveThenClick(int from, int to, const juce::String& button,
                                                 std::function<void()> meanwhile = {})
    {
        return [from, to, button, meanwhile](juce::Component& modal) {
            auto* content = ModalDialogScript::find<PresetManagerDialog>(modal);
            ASSERT_NE(content, nullptr);
            if (from != to)
            {
                click(content->getList(), from);
                drag(content->getList(), from, to);
            }
            if (meanwhile)
                meanwhile();
            if (auto* target = ModalDialogScript::findButton(modal, button))
                target->triggerClick();
        };
    }

    EditorServiceRig rig;
    CompletionLatch done;
    std::atomic<double> lastProgress { -1.0 };
    std::vector<std::string> errors;
};

TEST_F(PresetManagerServiceTest, SaveFromTheEditPageRewritesThePedalAndThePagesRowsInTheNewOrder)
{
    const auto before = pedalNames();
    EditComponent page(rig.service.get(), nullptr, nullptr, nullptr);
    page.setAlertPresenter([this](const juce::String& message) { errors.push_back(message.toStdString()); });
    juce::MessageManager::getInstance()->runDispatchLoopUntil(50);
    ASSERT_EQ(page.getPresetList().getRows()[1].name, "Slot 1");

    ModalDialogScript script({ moveThenClick(1, 5, "SAVE") });
    auto& button = page.getPresetManagerButton();
    button.mouseDown(mouseEvent(button, { 2.0f, 2.0f }, { 2.0f, 2.0f }));
    button.mouseUp(mouseEvent(button, { 2.0f, 2.0f }, { 2.0f, 2.0f }));
    EXPECT_TRUE(script.finished());
    rig.drain();
    juce::MessageManager::getInstance()->runDispatchLoopUntil(100);

    auto expected = before;
    std::swap(expected[1], expected[5]);
    EXPECT_EQ(pedalNames(), expected);
    EXPECT_EQ(page.getPresetList().getRows()[1].name, "Slot 5");
    EXPECT_EQ(page.getPresetList().getRows()[5].name, "Slot 1");
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(rig.service->getState(), TonecrestEditorService::kStateReady);
}

TEST_F(PresetManagerServiceTest, SaveWithoutAMoveStillHandsOverTheUnchangedOrder)
{
    const auto before = pedalNames();
    const auto pressReturn = [](juce::Component& modal) {
        ModalDialogScript::pressKey(modal, juce::KeyPress(juce::KeyPress::returnKey));
    };
    EXPECT_EQ(run(pressReturn), PresetManager::Outcome::kStarted);
    ASSERT_TRUE(done.wait());
    rig.drain();
    EXPECT_EQ(pedalNames(), before);
}

TEST_F(PresetManagerServiceTest, CancelLeavesThePedalAsItWasAndASaveItCannotTakeIsReportedOnThePage)
{
    const auto before = pedalNames();
    EXPECT_EQ(run(moveThenClick(1, 5, "CANCEL")), PresetManager::Outcome::kCancelled);
    // Escape ends it the same way.
    EXPECT_EQ(run([](juce::Component& modal) { ModalDialogScript::pressKey(modal, juce::KeyPress(juce::KeyPress::escapeKey)); }),
              PresetManager::Outcome::kCancelled);
    rig.drain();
    EXPECT_EQ(pedalNames(), before);
    EXPECT_TRUE(errors.empty());

    // Unplugged while the dialog is open: SAVE cannot hand the new order over, and the page's
    // error box says so instead of closing as if it had been saved.
    EditComponent page(rig.service.get(), nullptr, nullptr, nullptr);
    std::vector<juce::String> alerts;
    page.setAlertPresenter([&alerts](const juce::String& message) { alerts.push_back(message); });
    ModalDialogScript script({ moveThenClick(1, 5, "SAVE", [this] { rig.service->disconnect(); }) });
    page.openPresetManager();
    for (int i = 0; i < 100 && alerts.empty(); ++i)
        juce::MessageManager::getInstance()->runDispatchLoopUntil(10);
    EXPECT_TRUE(script.finished());
    EXPECT_EQ(alerts, std::vector<juce::String> { "Failed to update presets" });
    EXPECT_EQ(pedalNames(), before);
    EXPECT_TRUE(rig.connection.pedal.blockWrites().empty());
}

} // namespace
