// The footswitch, MIDI CC and global settings pages on an edit page connected to a simulated
// pedal: their layout, how they follow the service, what a click sends, and a screenshot each.

#include "EditPageTestRig.h"
#include "PageTestSupport.h"
#include "PanelTestSupport.h"

#include "CCAssignComponent.h"
#include "FootswitchAssignComponent.h"
#include "GlobalComponent.h"

#include <cmath>

namespace EditPageTesting
{
namespace
{

class SettingsPages : public EditPageTest
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(artwork.loaded());
        makePage();
        footswitches = std::make_unique<FootswitchAssignComponent>(page.get(), rig.service.get());
        midiCC = std::make_unique<CCAssignComponent>(page.get(), rig.service.get());
        global = std::make_unique<GlobalComponent>(page.get(), rig.service.get());
        for (juce::Component* p : { (juce::Component*) footswitches.get(), (juce::Component*) midiCC.get(),
                                    (juce::Component*) global.get() })
            p->setBounds(0, 0, 1052, 677);
        page->setFootswitchAssignComponent(footswitches.get());
        page->setGlobalComponent(global.get());
    }

    void TearDown() override
    {
        if (page != nullptr)
        {
            page->setFootswitchAssignComponent(nullptr);
            page->setGlobalComponent(nullptr);
        }
        global.reset();
        midiCC.reset();
        footswitches.reset();
    }

    static float deviceValue(TonecrestParamID id, double displayValue) { return deviceEntry(id, displayValue).second; }

    /** The page over its background, written out for a person to judge. */
    static void screenshot(juce::Component& pageComponent, AppImageID background, const char* name)
    {
        EXPECT_TRUE(writeScreenshot(renderPageOver(pageComponent, background), name).existsAsFile());
    }

    ScopedBuiltArtwork artwork;
    std::unique_ptr<FootswitchAssignComponent> footswitches;
    std::unique_ptr<CCAssignComponent> midiCC;
    std::unique_ptr<GlobalComponent> global;
};

using Assignment = FootswitchAssignComponent::Assignment;

TEST(FootswitchGridValues, DecodeAndEncodeCoverTheTwentyFourValuesAndNothingElse)
{
    EXPECT_EQ(FootswitchAssignComponent::decode(-1.0), Assignment {});
    EXPECT_EQ(FootswitchAssignComponent::decode(24.0), Assignment {});
    EXPECT_EQ(FootswitchAssignComponent::decode(std::nan("")), Assignment {});
    EXPECT_EQ(FootswitchAssignComponent::decode(0.0), (Assignment { true, 0, false }));
    EXPECT_EQ(FootswitchAssignComponent::decode(11.0), (Assignment { true, 5, true }));
    EXPECT_EQ(FootswitchAssignComponent::decode(23.0), (Assignment { true, 11, true }));
    for (int value = -1; value < 24; ++value)
        EXPECT_EQ(FootswitchAssignComponent::encode(FootswitchAssignComponent::decode(value)), value);
}

TEST_F(SettingsPages, FootswitchGridIsBoundAndFollowsTheServiceButIgnoresOtherParameters)
{
    EXPECT_EQ(footswitches->getGridButton(18, 11)->getBounds(), juce::Rectangle<int>(142 + 77 * 11, 261 + 21 * 18, 16, 16));
    EXPECT_EQ(footswitches->getGridButton(19, 0), nullptr);
    EXPECT_EQ(footswitches->getMenu(2, 11)->getBounds(), juce::Rectangle<int>(113 + 77 * 11, 229, 54, 21));
    EXPECT_EQ(dynamic_cast<ParameterIntMenu*>(footswitches->getMenu(0, 0)), nullptr) << "MODE is a list";
    EXPECT_NE(dynamic_cast<ParameterIntMenu*>(footswitches->getMenu(1, 0)), nullptr) << "presets are numbers";

    // Every menu is bound to its column's parameter: "DOWN" is the last column.
    ASSERT_EQ(page->getBoundWidgets(343).size(), 1u);
    EXPECT_EQ(page->getBoundWidgets(343)[0], footswitches->getMenu(0, 11));
    EXPECT_EQ(page->getBoundWidgets(345)[0], footswitches->getMenu(2, 11));

    // Amp on DOWN (code 5), Boost inverted on UP (code 11), Echo inverted on FS2.
    pedal().setPresetParams(0, parameterList({ { 263, 10.0 }, { 264, 23.0 }, { 265, 3.0 } }));
    connectAndRefresh();
    pump(30);

    const auto notAssigned = getAppImage(AppImageID::notAssignedBlock);
    const auto assigned = getAppImage(AppImageID::assignedBlock);
    const auto inverted = getAppImage(AppImageID::invertBlock);
    EXPECT_EQ(footswitches->getAssignment(0), (Assignment { true, 5, false }));
    // Each cell shows its state and, under the mouse, the state a click makes.
    EXPECT_TRUE(footswitches->getGridButton(0, 11)->normalImage == assigned);
    EXPECT_TRUE(footswitches->getGridButton(0, 11)->overImage == inverted);
    EXPECT_TRUE(footswitches->getGridButton(0, 10)->overImage == assigned);
    EXPECT_TRUE(footswitches->getGridButton(1, 10)->normalImage == inverted);
    EXPECT_TRUE(footswitches->getGridButton(1, 10)->overImage == notAssigned);
    EXPECT_TRUE(footswitches->getGridButton(2, 1)->normalImage == inverted);
    EXPECT_TRUE(footswitches->getGridButton(3, 0)->normalImage == notAssigned) << "Reverb defaults to -1";

    // Detached from the edit page, only the reports the test makes reach the grid: one for a
    // parameter outside the grid changes nothing, one for the grid row re-reads it.
    page->setFootswitchAssignComponent(nullptr);
    ASSERT_TRUE(rig.service->setParameterValue(263, { 0, 0.0 }, nullptr).ok);
    rig.drain();
    pump(30);
    footswitches->onParameterChanged(3);
    footswitches->onParameterChanged(127);
    pump(30);
    EXPECT_EQ(footswitches->getAssignment(0), (Assignment { true, 5, false }));
    footswitches->onParameterChanged(263);
    pump(30);
    EXPECT_EQ(footswitches->getAssignment(0), (Assignment { true, 0, false }));
    EXPECT_TRUE(footswitches->getGridButton(0, 0)->normalImage == assigned);
    EXPECT_TRUE(footswitches->getGridButton(0, 11)->normalImage == notAssigned);
}

TEST_F(SettingsPages, FootswitchCellClicksCycleNoneNormalInvertedAndMoveBetweenFootswitches)
{
    connectAndRefresh();
    pump(30);
    auto& down = *footswitches->getGridButton(4, 11); // Chorus on DOWN: code 5
    auto& up = *footswitches->getGridButton(4, 10);   // UP: code 11
    const auto clickAndSettle = [this](SimpleImageButton& cell) {
        click(cell);
        settle();
        pump(30);
    };

    EXPECT_TRUE(down.normalImage == getAppImage(AppImageID::notAssignedBlock)) << "default -1";
    clickAndSettle(down);
    EXPECT_FLOAT_EQ(pedalValue(267), deviceValue(267, 10.0));
    EXPECT_TRUE(down.normalImage == getAppImage(AppImageID::assignedBlock));
    clickAndSettle(down);
    EXPECT_FLOAT_EQ(pedalValue(267), deviceValue(267, 11.0));
    EXPECT_TRUE(down.normalImage == getAppImage(AppImageID::invertBlock));
    clickAndSettle(down);
    EXPECT_FLOAT_EQ(pedalValue(267), deviceValue(267, -1.0));
    EXPECT_TRUE(down.normalImage == getAppImage(AppImageID::notAssignedBlock));

    // Assigned on DOWN, a click on UP moves it there, normal.
    clickAndSettle(down);
    clickAndSettle(down);
    clickAndSettle(up);
    EXPECT_FLOAT_EQ(pedalValue(267), deviceValue(267, 22.0));
    EXPECT_EQ(footswitches->getAssignment(4), (Assignment { true, 11, false }));
    EXPECT_TRUE(down.normalImage == getAppImage(AppImageID::notAssignedBlock));
    EXPECT_TRUE(up.normalImage == getAppImage(AppImageID::assignedBlock));
    clickAndSettle(up);
    EXPECT_FLOAT_EQ(pedalValue(267), deviceValue(267, 23.0));

    // The menus step through the binding: MODE of footswitch 1 moves one entry on.
    auto* mode = footswitches->getMenu(0, 0);
    ASSERT_GE(mode->getItems().size(), 2u);
    ASSERT_EQ(mode->getSelectedIndex(), 0);
    click(*footswitches->getArrow(0, 0, true));
    settle();
    EXPECT_EQ(mode->getSelectedIndex(), 0) << "no step before the first entry";
    click(*footswitches->getArrow(0, 0, false));
    settle();
    EXPECT_EQ(mode->getSelectedIndex(), 1);
    EXPECT_FLOAT_EQ(pedalValue(127), deviceValue(127, mode->getItems()[1].value));

    screenshot(*footswitches, AppImageID::footswitchPageBackground, "footswitch-page.png");
}

TEST_F(SettingsPages, MidiCCRowsAreBoundFollowTheGlobalsAndSendOneWritePerStep)
{
    const auto& rows = midiCC->getRows();
    ASSERT_EQ(rows.size(), 38u);
    EXPECT_EQ(rows[0].id, 306);
    EXPECT_EQ(rows[15].id, 397) << "PITCHSHIFTER, third of the middle column";
    EXPECT_EQ(rows[37].id, 354);
    EXPECT_EQ(rows[37].name->text, "FS -");
    EXPECT_EQ(rows[37].plus->getBounds(), juce::Rectangle<int>(602 + 342, 193 + 27 * 11 + 9, 10, 10));
    for (const auto& row : rows)
    {
        const auto bound = page->getBoundWidgets(row.id);
        EXPECT_NE(std::find(bound.begin(), bound.end(), row.menu), bound.end()) << row.id;
        EXPECT_EQ(row.menu->getItems().size(), 128u) << row.id;
    }

    pedal().setGlobals(parameterList({ { 306, 10.0 }, { 354, 127.0 }, { 397, 0.0 } }));
    connectAndRefresh();
    EXPECT_EQ(rows[0].menu->text, "10");
    EXPECT_EQ(rows[15].menu->text, "0");
    EXPECT_EQ(rows[37].menu->text, "127");

    click(*rows[0].plus);
    settle();
    EXPECT_FLOAT_EQ(pedalValue(306), deviceValue(306, 11.0));
    EXPECT_EQ(rows[0].menu->text, "11");
    click(*rows[0].minus);
    click(*rows[0].minus);
    settle();
    EXPECT_EQ(rows[0].menu->text, "10") << "both steps go from the shown entry until the pedal confirms";

    // Nothing past either end.
    click(*rows[37].plus);
    click(*rows[15].minus);
    settle();
    EXPECT_EQ(rows[37].menu->text, "127");
    EXPECT_EQ(rows[15].menu->text, "0");
    EXPECT_TRUE(std::isnan(pedalValue(354))) << "nothing sent";
    EXPECT_TRUE(std::isnan(pedalValue(397))) << "nothing sent";

    screenshot(*midiCC, AppImageID::midiCCPageBackground, "midi-cc-page.png");
}

TEST_F(SettingsPages, GlobalControlsAreBuiltWhereTheyBelongFollowTheServiceAndSendTheirValues)
{
    const auto& main = global->getControls(136);
    ASSERT_NE(main.knob, nullptr);
    EXPECT_EQ(main.knob->getBounds(), juce::Rectangle<int>(59, 140, 73, 78));
    EXPECT_EQ(global->getControls(139).radioButtons.at(0)->getBounds(), juce::Rectangle<int>(740, 135, 16, 16))
        << "STEREO is the second button";
    EXPECT_TRUE(global->getControls(165).readout->dragEnabled);
    EXPECT_TRUE(global->getControls(368).menu->background.isValid()) << "default preset over the short box";
    EXPECT_FALSE(global->getControls(146).menu->background.isValid());

    // Knob and readout are bound; toggles and radio buttons are not.
    EXPECT_EQ(page->getBoundWidgets(136).size(), 2u);
    EXPECT_EQ(page->getBoundWidgets(139).size(), 0u);
    EXPECT_EQ(page->getBoundWidgets(165).size(), 1u);

    // Without parameter information every read fails: the controls stay as built.
    global->refreshAll();
    EXPECT_FALSE(global->getControls(373).toggle->latched);
    EXPECT_FALSE(global->getControls(139).radioButtons.at(1)->latched);

    pedal().setGlobals(parameterList({ { 373, 1.0 }, { 139, 2.0 }, { 14, 3.0 }, { 12, 0.0 } }));
    connectAndRefresh();
    EXPECT_TRUE(global->getControls(373).toggle->latched);
    EXPECT_FALSE(global->getControls(12).toggle->latched);
    const auto lit = [this](TonecrestParamID id) {
        std::vector<int> on;
        for (const auto& [value, button] : global->getControls(id).radioButtons)
            if (button->latched)
                on.push_back(value);
        return on;
    };
    EXPECT_EQ(lit(139), std::vector<int> { 2 });
    EXPECT_EQ(lit(14), std::vector<int> { 3 });

    // A toggle flips at once and sends the opposite of the stored value.
    click(*global->getControls(373).toggle);
    EXPECT_FALSE(global->getControls(373).toggle->latched);
    settle();
    EXPECT_FLOAT_EQ(pedalValue(373), deviceValue(373, 0.0));
    click(*global->getControls(12).toggle);
    settle();
    EXPECT_FLOAT_EQ(pedalValue(12), deviceValue(12, 1.0));
    EXPECT_TRUE(global->getControls(12).toggle->latched);

    // A radio click sends its own value; the confirmation clears the rest of the group.
    click(*global->getControls(139).radioButtons.at(0));
    EXPECT_EQ(lit(139), (std::vector<int> { 0, 2 })) << "until the service confirms";
    settle();
    EXPECT_FLOAT_EQ(pedalValue(139), deviceValue(139, 0.0));
    EXPECT_EQ(lit(139), std::vector<int> { 0 });

    // Clicking the lit button sends its value again.
    click(*global->getControls(14).radioButtons.at(3));
    settle();
    EXPECT_FLOAT_EQ(pedalValue(14), deviceValue(14, 3.0));
    EXPECT_EQ(lit(14), std::vector<int> { 3 });

    // While a preset read holds the service busy, clicks are refused and put straight back.
    pedal().addFault({ 0xC5, SimulatedPedal::Fault::Drop, 0, SimulatedPedal::kAlways });
    ASSERT_TRUE(rig.service->getPreset(2, nullptr).ok);
    click(*global->getControls(12).toggle);
    click(*global->getControls(139).radioButtons.at(2));
    EXPECT_TRUE(global->getControls(12).toggle->latched);
    EXPECT_EQ(lit(139), std::vector<int> { 0 });
    EXPECT_FLOAT_EQ(pedalValue(12), deviceValue(12, 1.0));
    EXPECT_FLOAT_EQ(pedalValue(139), deviceValue(139, 0.0));
}

TEST_F(SettingsPages, GlobalValuesBeyondTheIntRangeLightNothing)
{
    pedal().setGlobals(parameterList({ { 373, 3e9 }, { 12, 2147483648.0 }, { 139, -3e9 } }));
    connectAndRefresh();
    EXPECT_FALSE(global->getControls(373).toggle->latched);
    EXPECT_FALSE(global->getControls(12).toggle->latched);
    for (const auto& [value, button] : global->getControls(139).radioButtons)
        EXPECT_FALSE(button->latched) << value;
}

TEST_F(SettingsPages, GlobalValueBoxesAndSelectorsStepWithinTheirRange)
{
    static const TonecrestParamMap table;
    const auto* bpm = table.findParameterInfo(360);
    ASSERT_NE(bpm, nullptr);
    pedal().setGlobals(parameterList({ { 360, bpm->maximum.value }, { 143, 0.0 } }));
    connectAndRefresh();

    auto& box = *global->getControls(360).readout;
    ASSERT_DOUBLE_EQ(box.getValue(), bpm->maximum.value);
    click(*global->getControls(360).right);
    settle();
    EXPECT_FLOAT_EQ(pedalValue(360), deviceValue(360, bpm->maximum.value)) << "the maximum again";
    click(*global->getControls(360).left);
    settle();
    EXPECT_DOUBLE_EQ(box.getValue(), bpm->maximum.value - bpm->stepSize);
    EXPECT_FLOAT_EQ(pedalValue(360), deviceValue(360, bpm->maximum.value - bpm->stepSize));

    auto& midiIn = *global->getControls(143).menu;
    ASSERT_GE(midiIn.getItems().size(), 2u);
    ASSERT_EQ(midiIn.getSelectedIndex(), 0);
    click(*global->getControls(143).left);
    settle();
    EXPECT_EQ(midiIn.getSelectedIndex(), 0);
    click(*global->getControls(143).right);
    settle();
    EXPECT_EQ(midiIn.getSelectedIndex(), 1);
    EXPECT_FLOAT_EQ(pedalValue(143), deviceValue(143, midiIn.getItems()[1].value));

    screenshot(*global, AppImageID::globalPageBackground, "global-page.png");
}

TEST_F(SettingsPages, PagesWithoutAnEditPageOrServiceBuildAndStayInert)
{
    GlobalComponent lone(nullptr, nullptr);
    lone.refreshAll();
    lone.onParameterChanged(139);
    click(*lone.getControls(373).toggle);
    click(*lone.getControls(139).radioButtons.at(1));
    click(*lone.getControls(165).right);
    EXPECT_EQ(lone.getControls(165).readout->getValue(), 0.0);

    FootswitchAssignComponent loneFootswitches(nullptr, nullptr);
    click(*loneFootswitches.getGridButton(0, 0));
    loneFootswitches.refreshAll();
    pump(20);
    EXPECT_TRUE(loneFootswitches.getGridButton(0, 0)->normalImage == getAppImage(AppImageID::notAssignedBlock));

    CCAssignComponent loneCC(nullptr, nullptr);
    click(*loneCC.getRows()[0].plus);
    EXPECT_EQ(loneCC.getRows()[0].menu->getSelectedIndex(), -1);
}

} // namespace
} // namespace EditPageTesting
