#include "ConsentWindow.h"
#include "GuiTestFixture.h"
#include "ModalDialogScript.h"
#include "OptionsDialog.h"
#include "RenameDialog.h"
#include "SavePresetDialog.h"
#include "TonecrestLookAndFeel.h"

#include <string>
#include <vector>

namespace
{

using Step = ModalDialogScript::Step;

Step clickButton(const juce::String& text)
{
    return ModalDialogScript::clickButton(text);
}

Step pressKey(int keyCode)
{
    return ModalDialogScript::pressKeyStep(keyCode);
}

template <typename T>
Step editThen(std::function<void(T&)> edit, Step then)
{
    return ModalDialogScript::editThen<T>(std::move(edit), std::move(then));
}

class DialogTest : public GuiTest
{
protected:
    void SetUp() override
    {
        if (!hasDisplay())
            GTEST_SKIP() << "dialogs run in windows; needs a display";
    }
};

TEST_F(DialogTest, EachDialogHasItsSizeAndItsChildrenTheirPlaces)
{
    using R = juce::Rectangle<int>;
    bool a = false, b = true, c = false;
    SavePresetDialog save({ "1 - Clean" }, 0, "Clean");
    RenameDialog rename("New name:", "Clean");
    OptionsDialog options("Choose:", { { &a, "Presets" }, { &b, "User Cabinets" }, { &c, "Globals" } });
    const std::pair<juce::Component*, R> expected[] = {
        { &save, { 0, 0, 360, 200 } },
        { &save.getSlotBox(), { 10, 34, 300, 24 } },
        { &save.getNameField(), { 10, 104, 300, 24 } },
        { &save.getSaveButton(), { 160, 170, 80, 24 } },
        { &save.getCancelButton(), { 260, 170, 80, 24 } },
        { &rename, { 0, 0, 360, 100 } },
        { &rename.getPromptLabel(), { 10, 10, 355, 24 } },
        { &rename.getNameField(), { 10, 34, 300, 24 } },
        { &rename.getRenameButton(), { 160, 70, 80, 24 } },
        { &rename.getCancelButton(), { 260, 70, 80, 24 } },
        { &options, { 0, 0, 400, 152 } },
        { &options.getPromptLabel(), { 10, 10, 355, 24 } },
        { &options.getToggle(0), { 10, 34, 300, 24 } },
        { &options.getToggle(2), { 10, 82, 300, 24 } },
        { &options.getOkButton(), { 200, 122, 80, 24 } },
        { &options.getCancelButton(), { 300, 122, 80, 24 } },
    };
    for (const auto& [component, bounds] : expected)
    {
        EXPECT_EQ(component->getBounds(), bounds) << component->getName();
        if (component->getParentComponent() == nullptr)
            continue;
        EXPECT_TRUE(component->isVisible());
        EXPECT_TRUE(component->getParentComponent() == &save || component->getParentComponent() == &rename
                    || component->getParentComponent() == &options);
    }
    EXPECT_EQ(options.getPromptLabel().getParentComponent(), &options);
    EXPECT_EQ(options.getPromptLabel().getText(), "Choose:");
}

TEST_F(DialogTest, SaveDialogListsSlotsAndReturnsTheChosenSlotAndNameOnReturn)
{
    SavePresetDialog dialog({ "1 - Clean", "2 - Crunch", "3 - (Empty)" }, 1, "Crunch");
    auto& box = dialog.getSlotBox();
    ASSERT_EQ(box.getNumItems(), 3);
    EXPECT_EQ(box.getItemId(2), 3);
    EXPECT_EQ(box.getItemText(2), "3 - (Empty)");
    EXPECT_EQ(dialog.getSelectedSlot(), 1);
    EXPECT_EQ(box.getText(), "2 - Crunch");
    EXPECT_EQ(dialog.getPresetName(), "Crunch");

    ModalDialogScript script({ editThen<SavePresetDialog>(
        [](SavePresetDialog& d) {
            d.getSlotBox().setSelectedItemIndex(2);
            d.getNameField().setText("My Tone");
        },
        pressKey(juce::KeyPress::returnKey)) });
    EXPECT_EQ(dialog.runModal("Save Preset As..."), 1);
    EXPECT_EQ(script.seen, juce::StringArray("Save Preset As..."));
    EXPECT_EQ(dialog.getSelectedSlot(), 2);
    EXPECT_EQ(dialog.getPresetName(), "My Tone");
    EXPECT_EQ(dialog.getParentComponent(), nullptr) << "the content is the caller's again";
}

TEST_F(DialogTest, EscapeAndCancelEndWithZeroAndSaveWithoutASlotGivesMinusOne)
{
    SavePresetDialog dialog({ "1 - Clean", "2 - Crunch" }, -1, "");
    EXPECT_TRUE(dialog.getSlotBox().getText().isEmpty());
    ModalDialogScript script({ pressKey(juce::KeyPress::escapeKey), clickButton("CANCEL"), clickButton("SAVE") });
    for (int run = 0; run < 2; ++run)
        EXPECT_EQ(dialog.runModal("Save Preset As..."), 0) << run;
    EXPECT_EQ(dialog.runModal("Save Preset As..."), 1);
    EXPECT_EQ(dialog.getSelectedSlot(), -1);
    EXPECT_TRUE(script.finished());
    EXPECT_EQ(script.unexpected, 0);
}

TEST_F(DialogTest, ReturnTypedInTheRenameFieldConfirmsAndNullTextsShowEmpty)
{
    // The name field has the focus once the dialog is up; Return there still means RENAME.
    std::string name = "Crunch";
    ModalDialogScript script({ editThen<RenameDialog>(
                                   [](RenameDialog& d) {
                                       d.getNameField().grabKeyboardFocus();
                                       d.getNameField().setText(juce::String::fromUTF8("Grüße & Gain"));
                                   },
                                   pressKey(juce::KeyPress::returnKey)),
                               clickButton("RENAME") });
    EXPECT_TRUE(showRenameDialog("Rename Preset", "New preset name:", name));
    EXPECT_EQ(name, "Grüße & Gain");

    EXPECT_TRUE(showRenameDialog(nullptr, nullptr, name));
    EXPECT_EQ(name, "Grüße & Gain");
    EXPECT_EQ(script.seen, juce::StringArray({ "Rename Preset", "" }));
}

TEST_F(DialogTest, OptionsDialogStartsFromTheFlagsAndOnlyOkWritesThem)
{
    bool presets = true, cabinets = false, globals = true;
    std::vector<OptionEntry> options { { &presets, "Presets" }, { &cabinets, "User Cabinets" }, { &globals, "Globals" } };

    OptionsDialog dialog("Restore:", options);
    ASSERT_EQ(dialog.getNumToggles(), 3);
    EXPECT_TRUE(dialog.getToggle(0).getToggleState());
    EXPECT_FALSE(dialog.getToggle(1).getToggleState());
    EXPECT_EQ(dialog.getToggle(1).getButtonText(), "User Cabinets");

    const auto flip = [](OptionsDialog& d) {
        for (int i = 0; i < d.getNumToggles(); ++i)
            d.getToggle(i).setToggleState(!d.getToggle(i).getToggleState(), juce::sendNotification);
    };
    ModalDialogScript script({ editThen<OptionsDialog>(flip, clickButton("CANCEL")),
                               editThen<OptionsDialog>(flip, pressKey(juce::KeyPress::escapeKey)),
                               editThen<OptionsDialog>(flip, pressKey(juce::KeyPress::returnKey)) });

    EXPECT_FALSE(showOptionsDialog("Restore Options", "Restore:", options));
    EXPECT_FALSE(showOptionsDialog("Restore Options", "Restore:", options));
    EXPECT_TRUE(presets && !cabinets && globals) << "cancelled toggles never reach the flags";

    EXPECT_TRUE(showOptionsDialog("Restore Options", "Restore:", options));
    EXPECT_TRUE(!presets && cabinets && !globals);
    EXPECT_EQ(script.seen, juce::StringArray({ "Restore Options", "Restore Options", "Restore Options" }));
}

TEST_F(DialogTest, OptionsWithoutAFlagAreShownOffAndNeverWritten)
{
    bool ampModels = false;
    std::vector<OptionEntry> options { { nullptr, "Nothing behind this" }, { &ampModels, "Amp Models" } };
    ModalDialogScript script({ editThen<OptionsDialog>(
        [](OptionsDialog& d) {
            EXPECT_FALSE(d.getToggle(0).getToggleState());
            d.getToggle(0).setToggleState(true, juce::dontSendNotification);
            d.getToggle(1).setToggleState(true, juce::dontSendNotification);
        },
        clickButton("OK")) });
    EXPECT_TRUE(showOptionsDialog("Firmware Update Options", "Restore:", options));
    EXPECT_TRUE(ampModels);

    std::vector<OptionEntry> none;
    OptionsDialog empty("Nothing to choose", none);
    EXPECT_EQ(empty.getHeight(), 80);
}

TEST_F(DialogTest, ConsentNeedsTheToggleAndCancelOrEscapeRefuseEvenWithItOn)
{
    const auto tick = [](juce::Component& modal) {
        ModalDialogScript::find<juce::ToggleButton>(modal)->setToggleState(true, juce::dontSendNotification);
    };
    juce::String toggleText;
    juce::StringArray buttons;
    {
        ModalDialogScript script({
            [&](juce::Component& modal) {
                auto* alert = dynamic_cast<juce::AlertWindow*>(&modal);
                ASSERT_NE(alert, nullptr);
                ASSERT_EQ(alert->getNumCustomComponents(), 1);
                toggleText = dynamic_cast<juce::Button*>(alert->getCustomComponent(0))->getButtonText();
                for (auto* child : alert->getChildren())
                    if (auto* button = dynamic_cast<juce::TextButton*>(child))
                        buttons.add(button->getButtonText());
                static_cast<juce::Component*>(alert)->keyPressed(juce::KeyPress(juce::KeyPress::returnKey)); // OK, no tick
            },
            clickButton("OK"), // the "Consent required" box
            [&](juce::Component& modal) {
                tick(modal);
                clickButton("OK")(modal);
            },
            [&](juce::Component& modal) {
                tick(modal);
                clickButton("Cancel")(modal);
            },
            pressKey(juce::KeyPress::escapeKey),
        });

        EXPECT_TRUE(ConsentWindow::ask("Only import presets whose cabinets you own."));
        EXPECT_EQ(script.seen, juce::StringArray({ "Please Read", "Consent required", "Please Read" }));
        EXPECT_EQ(toggleText, "I agree. (Don't show this again.)");
        EXPECT_EQ(buttons, juce::StringArray({ "Cancel", "OK" }));
        EXPECT_FALSE(ConsentWindow::ask("text"));
        EXPECT_FALSE(ConsentWindow::ask("text"));
        EXPECT_EQ(script.unexpected, 0);
    }

    ConsentWindow window("text");
    ModalDialogScript answer({ clickButton("Cancel") });
    EXPECT_EQ(window.runModal(), ConsentWindow::cancelled);
}

} // namespace
