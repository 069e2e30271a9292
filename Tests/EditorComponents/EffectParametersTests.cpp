#include "EffectParameters.h"
#include "GuiTestFixture.h"
#include "PanelTestSupport.h"

#include <map>
#include <set>
#include <vector>

namespace
{

using Tonecrest::TonecrestParamMap;

const int tableBlocks[] = { 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 23 };

// The edit page's effect area: 597 wide, less a 16-pixel vertical scroll bar for tall panels.
constexpr int effectAreaWidth = 597;
constexpr int scrollBarThickness = 16;

class EffectParametersTest : public GuiTest
{
protected:
    /** Builds the panel of `block` the way the edit page does: skipping parameters the map
        lacks, then filling every bound control from its description and default. */
    EffectParameters::BuiltPanel buildBlock(EffectParameters& panel, int block)
    {
        auto built = panel.build(getEditLayoutForBlock(block),
                                 [this](int id) { return paramMap.findParameterInfo(id) != nullptr; });
        for (const auto& binding : built.bindings)
        {
            const auto* parameter = paramMap.findParameterInfo(binding.paramID);
            const auto info = widgetInfoFor(*parameter);
            binding.widget->setParameterInfo(&info);
            binding.widget->setParameterValue(parameter->defaultValue.value);
        }
        return built;
    }

    static juce::String captionOf(const EffectParameters::Entry& entry)
    {
        const auto* label = dynamic_cast<const SimpleLabel*>(entry.first);
        return label != nullptr ? label->text : juce::String();
    }

    static int childIndex(const juce::Component* child)
    {
        return child->getParentComponent()->getIndexOfChildComponent(child);
    }

    TonecrestParamMap paramMap;
};

TEST_F(EffectParametersTest, AmpPanelSitsOnTheGrid)
{
    EffectParameters panel;
    const auto built = buildBlock(panel, 1);
    const auto& rows = panel.getRows();
    ASSERT_EQ(rows.size(), 4u);

    // Menu rows are 33 high, knob rows 94; a long menu takes three slots on the 86 grid, a knob
    // one on the 87 grid with its read-out above and its caption over its bottom.
    const auto& enable = rows[0][0];
    const auto& gain = rows[2][0];
    EXPECT_EQ(captionOf(enable), "Enable:");
    EXPECT_EQ(rows[1][1].second->getBounds(), juce::Rectangle<int>(353, 35, 183, 30));
    EXPECT_EQ(gain.second->getBounds(), juce::Rectangle<int>(40, 85, 73, 78));
    EXPECT_EQ(gain.third->getBounds(), juce::Rectangle<int>(39, 68, 70, 19));
    EXPECT_EQ(rows[3][1].second->getBounds(), juce::Rectangle<int>(127, 179, 73, 78));
    EXPECT_EQ(panel.getBounds(), juce::Rectangle<int>(0, 0, 5 * 87 + 40 + 73, 162 + 17 + 78)) << "ends at the last knob";

    // Captions lie behind their controls, so the control takes the click where they overlap.
    EXPECT_LT(childIndex(gain.first), childIndex(gain.second));
    EXPECT_LT(childIndex(enable.first), childIndex(enable.second));

    // Two bindings per knob (knob and read-out), one per menu; no cabinet here.
    EXPECT_EQ(built.cabinetMenu, nullptr);
    EXPECT_EQ(built.bindings[3].widget->getComponent(), gain.second);
    EXPECT_EQ(built.bindings[4].widget->getComponent(), gain.third);
    EXPECT_EQ(built.bindings[4].paramID, 3);
}

TEST_F(EffectParametersTest, ShortMenusSpacersSkippedItemsAndTheCabinetTakeTheirSlots)
{
    EffectParameters panel;

    // Echo row 4: four knobs then a short menu at slot 4, pushed 30 down in its knob row.
    buildBlock(panel, 4);
    const auto& tempo = panel.getRows()[3][4];
    EXPECT_EQ(tempo.kind, LayoutWidgetKind::ShortMenu);
    EXPECT_EQ(tempo.second->getBounds(), juce::Rectangle<int>(443, 192, 122, 30));
    EXPECT_EQ(tempo.third->getBounds(), juce::Rectangle<int>(532, 200, 10, 13));
    EXPECT_EQ(captionOf(tempo), "Tempo 1:");

    // Volume: the spacer leaves an 87-pixel gap before "Sense".
    buildBlock(panel, 14);
    const auto& volumeKnobs = panel.getRows()[2];
    ASSERT_EQ(volumeKnobs.size(), 5u);
    EXPECT_EQ(volumeKnobs[2].kind, LayoutWidgetKind::Spacer);
    EXPECT_EQ(volumeKnobs[2].first, nullptr);
    EXPECT_EQ(volumeKnobs[3].second->getX(), 3 * 87 + 40);

    // A knob followed by a short menu: the menu's caption sits at 87.
    panel.clear();
    panel.addKnob("Time");
    auto* menu = panel.addShortMenu("Tempo:", false);
    panel.layoutColumns();
    EXPECT_EQ(panel.getRows()[0][1].first->getX(), 87);
    EXPECT_EQ(menu->getBounds(), juce::Rectangle<int>(182, 32, 122, 30));
    EXPECT_EQ(panel.getRows()[0][1].third, nullptr); // no arrows asked for

    // An item whose description cannot be read gets no control and no slot.
    auto built = panel.build(getEditLayoutForBlock(3), [](int id) { return id != 24; });
    const auto& boostKnobs = panel.getRows()[2];
    ASSERT_EQ(boostKnobs.size(), 2u);
    EXPECT_EQ(captionOf(boostKnobs[1]), "Level");
    EXPECT_EQ(boostKnobs[1].second->getX(), 87 + 40);
    for (const auto& binding : built.bindings)
        EXPECT_NE(binding.paramID, 24);

    // The cabinet is a bare box, without arrows and unbound.
    built = buildBlock(panel, 2);
    ASSERT_NE(built.cabinetMenu, nullptr);
    const auto& cabinet = panel.getRows()[1][0];
    EXPECT_EQ(cabinet.second, built.cabinetMenu);
    EXPECT_EQ(dynamic_cast<iParameterWidget*>(built.cabinetMenu), nullptr);
    EXPECT_EQ(cabinet.third, nullptr);
    EXPECT_EQ(captionOf(cabinet), "Cabinet:");
}

TEST_F(EffectParametersTest, EveryBlockFitsTheEffectAreaWithoutOverlappingControls)
{
    EffectParameters panel;
    std::set<int> seen;
    for (int block : tableBlocks)
    {
        const auto built = buildBlock(panel, block);
        const auto& table = *getEditLayoutForBlock(block);
        const auto& rows = panel.getRows();
        ASSERT_EQ(rows.size(), table.size()) << block;

        // What takes clicks (knobs, read-outs, boxes, arrows), by entry: a knob's read-out touches
        // its own knob and a box holds its own arrows, but no two entries may overlap.
        std::vector<std::pair<size_t, juce::Component*>> controls;
        size_t expectedBindings = 0;
        int expectedHeight = 2;
        for (size_t r = 0; r < rows.size(); ++r)
        {
            ASSERT_EQ(rows[r].size(), table[r].size()) << block;
            bool hasKnob = false;
            for (size_t i = 0; i < rows[r].size(); ++i)
            {
                const auto& entry = rows[r][i];
                const auto& item = table[r][i];
                const bool isIntMenu = item.kind == LayoutWidgetKind::IntMenu;
                EXPECT_EQ(entry.kind, isIntMenu ? LayoutWidgetKind::Menu : item.kind);
                if (item.kind == LayoutWidgetKind::Spacer)
                    continue;
                const bool isKnob = item.kind == LayoutWidgetKind::Knob;
                hasKnob = hasKnob || isKnob;
                const auto* parameter = paramMap.findParameterInfo(item.paramID);
                EXPECT_EQ(parameter->blockID, block) << item.paramID;
                EXPECT_TRUE(seen.insert(item.paramID).second) << item.paramID << " appears twice";
                EXPECT_EQ(parameter->widget, isKnob ? TonecrestParamMap::kWidgetKnob : TonecrestParamMap::kWidgetMenu)
                    << item.paramID;
                if (item.kind == LayoutWidgetKind::Menu || item.kind == LayoutWidgetKind::ShortMenu)
                    EXPECT_FALSE(parameter->values.empty()) << item.paramID << " is a menu without choices";
                const juce::String caption(item.label);
                EXPECT_EQ(captionOf(entry), isKnob ? caption : caption + ":");
                EXPECT_EQ(dynamic_cast<ParameterIntMenu*>(entry.second) != nullptr, isIntMenu);
                expectedBindings += isKnob ? 2 : item.paramID == 13 ? 0 : 1;
                for (auto* child : { entry.second, entry.third, entry.fourth })
                    if (child != nullptr)
                        controls.emplace_back(r * 100 + i, child);
                if (entry.third != nullptr && !isKnob)
                {
                    EXPECT_TRUE(entry.second->getBounds().contains(entry.third->getBounds())) << block;
                    EXPECT_TRUE(entry.second->getBounds().contains(entry.fourth->getBounds())) << block;
                }
            }
            expectedHeight += hasKnob ? 94 : 33;
        }
        EXPECT_EQ(built.bindings.size(), expectedBindings) << block;
        EXPECT_LE(panel.getWidth(), effectAreaWidth - scrollBarThickness) << block;
        // A knob's frame reaches one pixel past its 94-pixel row (its bottom edge is clear).
        EXPECT_LE(panel.getHeight(), expectedHeight + 1) << block;

        for (size_t a = 0; a < controls.size(); ++a)
            for (size_t b = a + 1; b < controls.size(); ++b)
            {
                const auto first = controls[a].second->getBounds();
                const auto second = controls[b].second->getBounds();
                if (controls[a].first != controls[b].first)
                    EXPECT_LE(first.getIntersection(second).getHeight(), 1) << "block " << block << ": " << first.toString().toStdString()
                                                           << " and " << second.toString().toStdString();
            }
    }
}

TEST_F(EffectParametersTest, ClearingAndRebuildingLeavesOneSetOfControls)
{
    EffectParameters panel;
    buildBlock(panel, 4);
    const int children = panel.getNumChildComponents();
    EXPECT_GT(children, 0);
    buildBlock(panel, 4);
    EXPECT_EQ(panel.getNumChildComponents(), children);

    panel.build(getEditLayoutForBlock(21), {});
    EXPECT_EQ(panel.getNumChildComponents(), 0);
    EXPECT_TRUE(panel.getRows().empty());
    EXPECT_EQ(panel.getBounds(), juce::Rectangle<int>(0, 0, 1, 1));

    // Entries after clear open a new row even without newRow.
    panel.addSpacer();
    panel.addKnob("A");
    panel.newRow();
    panel.newRow(); // twice: still one new row
    panel.addKnob("B");
    EXPECT_EQ(panel.getRows().size(), 2u);
    EXPECT_EQ(panel.getRows()[0].size(), 2u);
}

TEST_F(EffectParametersTest, ControlsReportUserChangesButNeverPushedValues)
{
    if (!hasDisplay())
        GTEST_SKIP() << "mouse events need an X display";

    EffectParameters panel;
    const auto built = buildBlock(panel, 4);
    std::vector<std::pair<int, double>> reported;
    for (const auto& binding : built.bindings)
        binding.widget->onValueChanged = [&reported, id = binding.paramID](const double& v) { reported.emplace_back(id, v); };

    for (const auto& binding : built.bindings) // pushing values in reports nothing
        binding.widget->setParameterValue(paramMap.findParameterInfo(binding.paramID)->maximum.value);
    EXPECT_TRUE(reported.empty());

    // The type menu's arrows report its neighbours; the box keeps showing the pushed value.
    const auto& type = panel.getRows()[1][0];
    auto* typeMenu = dynamic_cast<ParameterMenu*>(type.second);
    ASSERT_NE(typeMenu, nullptr);
    typeMenu->setParameterValue(1.0);
    const auto shown = typeMenu->text;
    for (auto* arrow : { type.fourth, type.third })
    {
        arrow->mouseDown(mouseEvent(*arrow, { 2, 2 }, { 2, 2 }));
        arrow->mouseUp(mouseEvent(*arrow, { 2, 2 }, { 2, 2 }));
    }
    EXPECT_EQ(reported, (std::vector<std::pair<int, double>> { { 36, 2.0 }, { 36, 0.0 } }));
    EXPECT_EQ(typeMenu->text, shown);
}

} // namespace
