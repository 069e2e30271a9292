// The footswitch, MIDI CC and global settings pages on an edit page connected to a simulated
// pedal. Each page is one table of its controls as the user sees them (text, place) and the
// parameter and value a click sends; controls are found by where they sit on the page.

#include "EditPageTestRig.h"
#include "PanelTestSupport.h"

#include "CCAssignComponent.h"
#include "FootswitchAssignComponent.h"
#include "GlobalComponent.h"

#include <cmath>

namespace EditPageTesting
{
namespace
{

using R = juce::Rectangle<int>;

/** The page's child of type T with exactly these bounds, or null. */
template <typename T>
T* childAt(juce::Component& page, R bounds)
{
    for (auto* child : page.getChildren())
        if (auto* found = dynamic_cast<T*>(child); found != nullptr && child->getBounds() == bounds)
            return found;
    return nullptr;
}

/** Whether a label with this text sits at these bounds. */
bool labelAt(juce::Component& page, const juce::String& text, R bounds)
{
    for (auto* child : page.getChildren())
        if (auto* label = dynamic_cast<SimpleLabel*>(child); label != nullptr && label->text == text)
            if (child->getBounds() == bounds)
                return true;
    return false;
}

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

    /** Clicks the arrow and expects the pedal to receive the menu's neighbouring entry. */
    void expectArrowSends(ParameterMenu& menu, SimpleImageButton& arrow, int direction, TonecrestParamID id)
    {
        const int from = menu.getSelectedIndex();
        ASSERT_GE(from, 0) << id;
        ASSERT_LT(from + direction, int(menu.getItems().size())) << id;
        const double expected = menu.getItems()[size_t(from + direction)].value;
        click(arrow);
        settle();
        EXPECT_FLOAT_EQ(pedalValue(id), deviceValue(id, expected)) << id;
        EXPECT_EQ(menu.getSelectedIndex(), from + direction) << id;
    }

    /** Both arrows, away from the end the menu stands at and back. */
    void expectArrowsSend(ParameterMenu& menu, SimpleImageButton& left, SimpleImageButton& right, TonecrestParamID id)
    {
        const bool atLast = menu.getSelectedIndex() + 1 >= int(menu.getItems().size());
        expectArrowSends(menu, atLast ? left : right, atLast ? -1 : 1, id);
        expectArrowSends(menu, atLast ? right : left, atLast ? 1 : -1, id);
    }

    ScopedBuiltArtwork artwork;
    std::unique_ptr<FootswitchAssignComponent> footswitches;
    std::unique_ptr<CCAssignComponent> midiCC;
    std::unique_ptr<GlobalComponent> global;
};

// ---- Footswitch page --------------------------------------------------------------------------

struct FootswitchColumn
{
    const char* header;
    int code;
    TonecrestParamID mode, presetA, presetB;
};

const FootswitchColumn footswitchColumns[] = {
    { "1", 0, 127, 128, 129 },    { "2", 1, 130, 131, 132 },    { "3", 2, 133, 134, 135 },
    { "4", 3, 319, 320, 321 },    { "5", 4, 322, 323, 324 },    { "6", 6, 325, 326, 327 },
    { "7", 7, 328, 329, 330 },    { "8", 8, 331, 332, 333 },    { "9", 9, 334, 335, 336 },
    { "0", 10, 337, 338, 339 },   { "UP", 11, 340, 341, 342 },  { "DOWN", 5, 343, 344, 345 },
};

struct GridRow
{
    const char* label;
    TonecrestParamID id;
};

const GridRow gridRows[] = {
    { "Amp", 263 },         { "Boost", 264 },     { "Echo", 265 },       { "Reverb", 266 },     { "Chorus", 267 },
    { "Flanger", 268 },     { "Phaser", 270 },    { "Tremolo", 269 },    { "Pitchshifter", 377 },
    { "Noise Gate", 271 },  { "Compressor", 272 }, { "Loop", 280 },      { "Wah", 278 },        { "Volume", 279 },
    { "Graphic EQ", 273 },  { "Pre Filter", 274 }, { "PEQ-1", 275 },     { "PEQ-2", 276 },      { "PEQ-3", 277 },
};

TEST_F(SettingsPages, FootswitchColumnsAndRowsWriteTheirOwnParametersWithTheColumnsCode)
{
    connectAndRefresh();
    pump(30);
    auto& fs = *footswitches;
    const char* const menuRows[] = { "MODE", "PRESET A", "PRESET B" };
    for (int r = 0; r < 3; ++r)
        EXPECT_TRUE(labelAt(fs, menuRows[r], { 32, 177 + 26 * r, 76, 21 })) << menuRows[r];
    EXPECT_TRUE(labelAt(fs, "FOOTSWITCH", { 32, 149, 106, 21 }));
    EXPECT_TRUE(labelAt(fs, "Invert", { 647, 100, 93, 16 }));

    for (int c = 0; c < 12; ++c)
    {
        const auto& column = footswitchColumns[c];
        SCOPED_TRACE(column.header);
        EXPECT_TRUE(labelAt(fs, column.header, { 113 + 77 * c, 149, 74, 21 }));
        const TonecrestParamID ids[] = { column.mode, column.presetA, column.presetB };
        for (int r = 0; r < 3; ++r)
        {
            auto* menu = childAt<ParameterMenu>(fs, { 113 + 77 * c, 177 + 26 * r, 54, 21 });
            auto* right = childAt<SimpleImageButton>(fs, { 175 + 77 * c, 181 + 26 * r, 10, 13 });
            auto* left = childAt<SimpleImageButton>(fs, { 163 + 77 * c, 181 + 26 * r, 10, 13 });
            ASSERT_TRUE(menu != nullptr && right != nullptr && left != nullptr) << menuRows[r];
            EXPECT_TRUE(fs.getMenu(r, c) == menu && fs.getArrow(r, c, true) == left && fs.getArrow(r, c, false) == right);
            EXPECT_EQ(dynamic_cast<ParameterIntMenu*>(menu) != nullptr, r > 0) << "MODE lists, presets count";
            expectArrowsSend(*menu, *left, *right, ids[r]);
        }
    }

    // Each row on a column of its own (all twelve covered): normal, inverted, then not assigned.
    const auto notAssigned = getAppImage(AppImageID::notAssignedBlock);
    const auto assigned = getAppImage(AppImageID::assignedBlock);
    const auto inverted = getAppImage(AppImageID::invertBlock);
    for (int r = 0; r < 19; ++r)
    {
        const int c = r % 12;
        const auto& row = gridRows[r];
        SCOPED_TRACE(row.label);
        EXPECT_TRUE(labelAt(fs, row.label, { 32, 259 + 21 * r, 107, 21 }));
        auto* cell = childAt<SimpleImageButton>(fs, { 142 + 77 * c, 261 + 21 * r, 16, 16 });
        ASSERT_NE(cell, nullptr);
        EXPECT_EQ(fs.getGridButton(r, c), cell);
        EXPECT_TRUE(cell->normalImage == notAssigned) << "defaults to -1";
        const int code = footswitchColumns[c].code;
        for (const auto& [value, image, over] : { std::tuple { code * 2, assigned, inverted },
                                                  std::tuple { code * 2 + 1, inverted, notAssigned },
                                                  std::tuple { -1, notAssigned, assigned } })
        {
            click(*cell);
            settle();
            pump(30);
            EXPECT_FLOAT_EQ(pedalValue(row.id), deviceValue(row.id, value));
            EXPECT_TRUE(cell->normalImage == image) << value;
            EXPECT_TRUE(cell->overImage == over) << value;
        }
    }

    // Assigned on DOWN, a click on UP moves the block there.
    auto& down = *childAt<SimpleImageButton>(fs, { 142 + 77 * 11, 261, 16, 16 });
    auto& up = *childAt<SimpleImageButton>(fs, { 142 + 77 * 10, 261, 16, 16 });
    click(down);
    settle();
    click(up);
    settle();
    pump(30);
    EXPECT_FLOAT_EQ(pedalValue(263), deviceValue(263, 22.0));
    EXPECT_TRUE(down.normalImage == notAssigned);
    EXPECT_TRUE(up.normalImage == assigned);
}

TEST_F(SettingsPages, FootswitchGridShowsThePedalsValuesAndIgnoresOtherParameters)
{
    // Amp on DOWN (code 5), Boost inverted on UP (code 11), Echo inverted on "2".
    pedal().setPresetParams(0, parameterList({ { 263, 10.0 }, { 264, 23.0 }, { 265, 3.0 } }));
    connectAndRefresh();
    pump(30);
    const auto assigned = getAppImage(AppImageID::assignedBlock);
    const auto inverted = getAppImage(AppImageID::invertBlock);
    EXPECT_TRUE(footswitches->getGridButton(0, 11)->normalImage == assigned);
    EXPECT_TRUE(footswitches->getGridButton(1, 10)->normalImage == inverted);
    EXPECT_TRUE(footswitches->getGridButton(2, 1)->normalImage == inverted);

    // Detached from the edit page, only the reports the test makes reach the grid.
    page->setFootswitchAssignComponent(nullptr);
    ASSERT_TRUE(rig.service->setParameterValue(263, { 0, 0.0 }, nullptr).ok);
    rig.drain();
    pump(30);
    footswitches->onParameterChanged(3);
    footswitches->onParameterChanged(127);
    pump(30);
    EXPECT_TRUE(footswitches->getGridButton(0, 11)->normalImage == assigned);
    footswitches->onParameterChanged(263);
    pump(30);
    EXPECT_TRUE(footswitches->getGridButton(0, 0)->normalImage == assigned);
    EXPECT_TRUE(footswitches->getGridButton(0, 11)->normalImage == getAppImage(AppImageID::notAssignedBlock));
}

// ---- MIDI CC page ------------------------------------------------------------------------------

const GridRow midiCCColumns[3][13] = {
    { { "WAH PEDAL", 306 }, { "VOL PEDAL", 307 }, { "EXPRESSION PEDAL A", 308 }, { "EXPRESSION PEDAL B", 309 },
      { "TAP TEMPO", 300 }, { "BYPASS", 282 }, { "LOOP", 283 }, { "VOLUME", 305 }, { "WAH", 304 }, { "BOOST", 284 },
      { "EFFECT", 285 }, { "CHORUS", 286 }, { "FLANGER", 287 } },
    { { "PHASER", 288 }, { "TREMOLO", 289 }, { "PITCHSHIFTER", 397 }, { "ECHO", 290 }, { "REVERB", 291 },
      { "GATE", 292 }, { "COMPRESSOR", 299 }, { "GRAPHIC EQ", 293 }, { "PRE FILTER", 294 }, { "PEQ-1", 295 },
      { "PEQ-2", 296 }, { "PEQ-3", 297 }, { "AMP", 298 } },
    { { "FS 1", 301 }, { "FS 2", 302 }, { "FS 3", 303 }, { "FS 4", 346 }, { "FS 5", 347 }, { "FS 6", 348 },
      { "FS 7", 349 }, { "FS 8", 350 }, { "FS 9", 351 }, { "FS 0", 352 }, { "FS +", 353 }, { "FS -", 354 },
      { nullptr, 0 } },
};

TEST_F(SettingsPages, MidiCCRowsShowAndStepTheirOwnControllerNumbers)
{
    std::map<TonecrestParamID, double> values;
    int n = 0;
    for (const auto& column : midiCCColumns)
        for (const auto& row : column)
            if (row.label != nullptr)
                values[row.id] = 3 + 3 * n++;
    values[354] = 127.0;
    pedal().setGlobals(parameterList(values));
    connectAndRefresh();
    EXPECT_TRUE(labelAt(*midiCC, "Allocate MIDI CCs to the associated parameter.", { 358, 115, 334, 20 }));

    for (int k = 0; k < 3; ++k)
        for (int i = 0; i < 13 && midiCCColumns[k][i].label != nullptr; ++i)
        {
            const auto& row = midiCCColumns[k][i];
            SCOPED_TRACE(row.label);
            const int x0 = 301 * k, y = 193 + 27 * i;
            EXPECT_TRUE(labelAt(*midiCC, row.label, { x0 + 104, y, 168, 27 }));
            auto* menu = childAt<ParameterIntMenu>(*midiCC, { x0 + 277, y + 4, 50, 20 });
            auto* minus = childAt<SimpleImageButton>(*midiCC, { x0 + 327, y + 9, 10, 10 });
            auto* plus = childAt<SimpleImageButton>(*midiCC, { x0 + 342, y + 9, 10, 10 });
            ASSERT_TRUE(menu != nullptr && minus != nullptr && plus != nullptr);
            EXPECT_EQ(menu->getItems().size(), 128u);
            const double shown = values[row.id];
            EXPECT_EQ(menu->text, juce::String(int(shown)));
            if (row.id == 354)
            {
                click(*plus); // nothing past the last entry
                settle();
                EXPECT_TRUE(std::isnan(pedalValue(row.id))) << "nothing sent";
                EXPECT_EQ(menu->text, "127");
                continue;
            }
            click(*plus);
            settle();
            EXPECT_FLOAT_EQ(pedalValue(row.id), deviceValue(row.id, shown + 1));
            EXPECT_EQ(menu->text, juce::String(int(shown) + 1));
            click(*minus);
            settle();
            EXPECT_FLOAT_EQ(pedalValue(row.id), deviceValue(row.id, shown));
        }
}

// ---- Global page -------------------------------------------------------------------------------

enum class Kind
{
    knob,
    selector,
    toggle,
    radio,
    valueBox
};

/** label: the caption's box (empty for none); control: the knob, menu, value box or button;
    extra: a knob's readout; arrow: a selector's or value box's left arrow (the right one is 14
    further right). */
struct GlobalControl
{
    Kind kind;
    const char* text;
    TonecrestParamID id;
    R label, control, extra;
    juce::Point<int> arrow;
    int arrowHeight = 13;
    int value = 0;
};

std::vector<GlobalControl> globalControls()
{
    const auto knob = [](const char* text, TonecrestParamID id, int vx, int vy, int kx, int ky, int nx, int ny) {
        return GlobalControl { Kind::knob, text, id, { nx, ny, 65, 24 }, { kx, ky, 73, 78 }, { vx, vy, 55, 14 }, {} };
    };
    const auto selector = [](const char* text, TonecrestParamID id, R label, R menu, juce::Point<int> arrow) {
        return GlobalControl { Kind::selector, text, id, label, menu, {}, arrow };
    };
    const auto toggle = [](const char* text, TonecrestParamID id, R label, int x, int y) {
        return GlobalControl { Kind::toggle, text, id, label, { x, y, 16, 16 }, {}, {} };
    };
    const auto radio = [](const char* text, TonecrestParamID id, int value, R label, int x, int y) {
        return GlobalControl { Kind::radio, text, id, label, { x, y, 16, 16 }, {}, {}, 13, value };
    };
    const auto valueBox = [](const char* text, TonecrestParamID id, R label, R box, juce::Point<int> arrow) {
        return GlobalControl { Kind::valueBox, text, id, label, box, {}, arrow };
    };
    auto levelAssign = selector("LEVEL KNOB ASSIGN:", 175, { 30, 232, 139, 27 }, { 177, 232, 153, 27 }, { 325, 240 });
    levelAssign.arrowHeight = 14;
    return {
        knob("MAIN", 136, 65, 124, 59, 140, 60, 202),
        knob("AUX", 137, 152, 124, 146, 140, 147, 202),
        knob("PHONES", 138, 239, 124, 233, 140, 234, 202),
        knob("LOOP\nSEND", 79, 326, 124, 320, 140, 321, 202),
        knob("LOOP\nRETURN", 80, 413, 124, 407, 140, 408, 202),
        levelAssign,
        knob("THRESH.", 68, 65, 307, 59, 323, 60, 385),
        knob("ATTACK", 69, 152, 307, 146, 323, 147, 385),
        knob("RELEASE", 70, 239, 307, 233, 323, 234, 385),
        knob("RATIO", 71, 326, 307, 320, 323, 321, 385),
        toggle("USE\nGLOBAL", 373, { 369, 341, 80, 24 }, 454, 346),
        radio("NONE", 14, 0, { 55, 447, 51, 30 }, 110, 454),
        radio("MAINS\nONLY", 14, 1, { 168, 447, 51, 30 }, 223, 454),
        radio("AUX\nONLY", 14, 2, { 281, 447, 51, 30 }, 336, 454),
        radio("BOTH", 14, 3, { 394, 447, 51, 30 }, 449, 454),
        toggle("ENABLE", 12, { 186, 520, 69, 30 }, 260, 528),
        selector("IN:", 143, { 19, 596, 53, 27 }, { 80, 596, 153, 27 }, { 228, 604 }),
        selector("OUT:", 144, { 263, 596, 46, 27 }, { 331, 596, 153, 27 }, { 465, 604 }),
        selector("CLOCK:", 174, { 19, 631, 53, 27 }, { 80, 631, 153, 27 }, { 228, 638 }),
        toggle("MIDI THRU", 145, { 318, 631, 77, 27 }, 400, 637),
        radio("MONO", 139, 1, { 534, 128, 88, 30 }, 627, 135),
        radio("STEREO", 139, 0, { 647, 128, 88, 30 }, 740, 135),
        radio("DUAL\nLEFT", 139, 2, { 760, 128, 88, 30 }, 853, 135),
        radio("DUAL\nRIGHT", 139, 3, { 873, 128, 88, 30 }, 966, 135),
        radio("MONO", 140, 1, { 534, 225, 88, 30 }, 627, 232),
        radio("STEREO", 140, 0, { 647, 225, 88, 30 }, 740, 232),
        radio("DUAL\nLEFT", 140, 2, { 760, 225, 88, 30 }, 853, 232),
        radio("DUAL\nRIGHT", 140, 3, { 873, 225, 88, 30 }, 966, 232),
        radio("MUTE\nSEND", 78, 0, { 534, 321, 88, 30 }, 627, 328),
        radio("MUTE\nRETURN", 78, 1, { 647, 321, 88, 30 }, 740, 328),
        radio("AUX\nINPUT", 78, 2, { 760, 321, 88, 30 }, 853, 328),
        radio("EXPRESSION", 78, 3, { 873, 321, 88, 30 }, 966, 328),
        toggle("SILENT", 147, { 631, 418, 88, 27 }, 724, 425),
        valueBox("REF:", 165, { 755, 418, 53, 27 }, { 814, 418, 97, 27 }, { 906, 426 }),
        selector(nullptr, 146, {}, { 611, 516, 70, 27 }, { 674, 524 }),
        selector("MODE:", 142, { 805, 503, 53, 27 }, { 864, 503, 68, 27 }, { 927, 511 }),
        valueBox("GLOBAL\nTEMPO:", 360, { 805, 535, 53, 27 }, { 864, 535, 68, 27 }, { 927, 543 }),
        selector(nullptr, 148, {}, { 722, 613, 97, 27 }, { 815, 620 }),
        selector(nullptr, 368, {}, { 864, 611, 122, 30 }, { 952, 620 }),
    };
}

TEST_F(SettingsPages, GlobalControlsSitWhereTheyBelongAndWriteTheirOwnParameters)
{
    const std::pair<const char*, juce::Point<int>> titles[] = {
        { "LEVELS", { 165, 98 } },          { "GATE", { 165, 281 } },           { "CABINET OUTPUT", { 165, 426 } },
        { "POWER AMP MODELING", { 165, 500 } }, { "MIDI", { 165, 574 } },   { "MAIN OUTPUT MODES", { 681, 98 } },
        { "AUX OUTPUT MODES", { 681, 194 } }, { "LOOP MODE", { 681, 291 } }, { "TUNER", { 681, 387 } },
        { "PRESET INDEXING", { 559, 485 } }, { "TEMPO", { 811, 485 } },     { "CONTRAST", { 681, 582 } },
        { "DEFAULT PRESET", { 811, 582 } },
    };
    for (const auto& [text, at] : titles)
        EXPECT_TRUE(labelAt(*global, text, { at.x, at.y, 200, 15 })) << text;

    pedal().setGlobals(parameterList({ { 373, 1.0 }, { 139, 2.0 }, { 14, 3.0 }, { 12, 0.0 } }));
    connectAndRefresh();
    auto& g = *global;
    for (const auto& control : globalControls())
    {
        SCOPED_TRACE(control.text != nullptr ? control.text : "(no caption)");
        SCOPED_TRACE(control.id);
        if (control.text != nullptr)
        {
            EXPECT_TRUE(labelAt(g, control.text, control.label));
        }
        const R leftBounds { control.arrow.x, control.arrow.y, 10, control.arrowHeight };
        auto* left = childAt<SimpleImageButton>(g, leftBounds);
        auto* right = childAt<SimpleImageButton>(g, leftBounds.translated(14, 0));
        switch (control.kind)
        {
            case Kind::knob:
            {
                auto* knob = childAt<ParameterKnob>(g, control.control);
                auto* readout = childAt<ParameterLabel>(g, control.extra);
                ASSERT_TRUE(knob != nullptr && readout != nullptr && knob->onValueChanged);
                knob->onValueChanged(knob->getMaximum());
                settle();
                EXPECT_FLOAT_EQ(pedalValue(control.id), deviceValue(control.id, knob->getMaximum()));
                EXPECT_DOUBLE_EQ(readout->getValue(), knob->getMaximum()) << "the readout follows";
                break;
            }
            case Kind::selector:
            {
                auto* menu = childAt<ParameterMenu>(g, control.control);
                ASSERT_TRUE(menu != nullptr && left != nullptr && right != nullptr);
                EXPECT_EQ(menu->background.isValid(), control.id == 368) << "only the default preset has a box";
                expectArrowsSend(*menu, *left, *right, control.id);
                break;
            }
            case Kind::toggle:
            {
                auto* button = childAt<SimpleImageButton>(g, control.control);
                ASSERT_NE(button, nullptr);
                const bool wasOn = button->latched;
                EXPECT_EQ(wasOn, control.id == 373) << "as the pedal holds it";
                click(*button);
                EXPECT_EQ(button->latched, !wasOn) << "flips at once";
                settle();
                EXPECT_FLOAT_EQ(pedalValue(control.id), deviceValue(control.id, wasOn ? 0.0 : 1.0));
                break;
            }
            case Kind::radio:
            {
                auto* button = childAt<SimpleImageButton>(g, control.control);
                ASSERT_NE(button, nullptr);
                click(*button);
                settle();
                EXPECT_FLOAT_EQ(pedalValue(control.id), deviceValue(control.id, control.value));
                EXPECT_TRUE(button->latched);
                break;
            }
            case Kind::valueBox:
            {
                auto* box = childAt<ParameterLabel>(g, control.control);
                ASSERT_TRUE(box != nullptr && left != nullptr && right != nullptr);
                EXPECT_TRUE(box->dragEnabled);
                const double before = box->getValue();
                click(*right);
                settle();
                const double up = std::min(before + box->getInterval(), box->getMaximum());
                EXPECT_FLOAT_EQ(pedalValue(control.id), deviceValue(control.id, up));
                click(*left);
                settle();
                EXPECT_FLOAT_EQ(pedalValue(control.id), deviceValue(control.id, std::max(up - box->getInterval(), box->getMinimum())));
                break;
            }
        }
    }
    // A radio group shows only the value the pedal confirmed.
    for (const auto& [value, button] : global->getControls(139).radioButtons)
        EXPECT_EQ(button->latched, value == 3) << value;
}

TEST_F(SettingsPages, GlobalButtonsFollowThePedalAndAreRefusedWhileItIsBusy)
{
    // Without parameter information every read fails: the controls stay as built.
    global->refreshAll();
    EXPECT_FALSE(global->getControls(373).toggle->latched);
    EXPECT_FALSE(global->getControls(139).radioButtons.at(1)->latched);

    pedal().setGlobals(parameterList({ { 373, 1.0 }, { 139, 2.0 }, { 14, 3.0 }, { 12, 0.0 } }));
    connectAndRefresh();
    const auto lit = [this](TonecrestParamID id) {
        std::vector<int> on;
        for (const auto& [value, button] : global->getControls(id).radioButtons)
            if (button->latched)
                on.push_back(value);
        return on;
    };
    EXPECT_TRUE(global->getControls(373).toggle->latched);
    EXPECT_FALSE(global->getControls(12).toggle->latched);
    EXPECT_EQ(lit(139), std::vector<int> { 2 });
    EXPECT_EQ(lit(14), std::vector<int> { 3 });

    click(*global->getControls(139).radioButtons.at(0));
    EXPECT_EQ(lit(139), (std::vector<int> { 0, 2 })) << "until the service confirms";
    settle();
    EXPECT_EQ(lit(139), std::vector<int> { 0 });

    // While a preset read holds the service busy, clicks are refused and put straight back.
    pedal().addFault({ 0xC5, SimulatedPedal::Fault::Drop, 0, SimulatedPedal::kAlways });
    ASSERT_TRUE(rig.service->getPreset(2, nullptr).ok);
    click(*global->getControls(12).toggle);
    click(*global->getControls(139).radioButtons.at(2));
    EXPECT_FALSE(global->getControls(12).toggle->latched);
    EXPECT_EQ(lit(139), std::vector<int> { 0 });
    EXPECT_TRUE(std::isnan(pedalValue(12)));
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
