#include "Artwork.h"
#include "Palette.h"

// The six page backgrounds (1052 x 677). Each carries the window frame (title bar, tab row) and
// the panels, fields and rules behind that page's widgets; the widgets draw their own text, so
// nothing here names a control.

namespace Artwork
{
namespace
{
using juce::Colour;
using juce::Graphics;
using juce::Rectangle;

constexpr float pageWidth = 1052.0f;
constexpr float pageHeight = 677.0f;
constexpr float titleBarHeight = 45.0f;
constexpr float tabRowBottom = 71.0f;

void logo(Graphics& g)
{
    // A small crest: two peaks, the second in the accent colour.
    const float x = 442.0f;
    const float y = 13.0f;
    juce::Path crest;
    crest.startNewSubPath(x, y + 19.0f);
    crest.lineTo(x + 8.0f, y + 5.0f);
    crest.lineTo(x + 13.0f, y + 13.0f);
    g.setColour(Colour(0xFF9A9CA1));
    g.strokePath(crest, juce::PathStrokeType(2.4f, juce::PathStrokeType::mitered, juce::PathStrokeType::rounded));
    juce::Path peak;
    peak.startNewSubPath(x + 9.0f, y + 19.0f);
    peak.lineTo(x + 17.0f, y + 1.0f);
    peak.lineTo(x + 25.0f, y + 19.0f);
    g.setColour(Palette::accent);
    g.strokePath(peak, juce::PathStrokeType(2.4f, juce::PathStrokeType::mitered, juce::PathStrokeType::rounded));

    g.setColour(Colour(0xFFE6E6E6));
    Palette::spacedText(g, "TONECREST", { x + 34.0f, 9.0f, 150.0f, 26.0f }, Palette::font(17.0f, true), 3.2f,
                        juce::Justification::centredLeft);
    g.setColour(Colour(0xFF6F7176));
    Palette::spacedText(g, "EDITOR", { x + 34.0f + 152.0f, 10.0f, 70.0f, 26.0f }, Palette::font(11.0f), 2.6f,
                        juce::Justification::centredLeft);
}

// Everything every page shares: the matte page, the title bar and the tab row.
void frame(Graphics& g)
{
    g.setGradientFill(juce::ColourGradient::vertical(Palette::pageTop, tabRowBottom, Palette::pageBottom, pageHeight));
    g.fillAll();

    g.setGradientFill(juce::ColourGradient::vertical(Palette::titleBarTop, 0.0f, Palette::titleBarBottom, titleBarHeight));
    g.fillRect(0.0f, 0.0f, pageWidth, titleBarHeight);
    g.setColour(Colour(0x10FFFFFF));
    g.fillRect(0.0f, 0.0f, pageWidth, 0.75f);
    logo(g);

    // Recess behind the window buttons.
    g.setColour(Colour(0xFF0B0C0D));
    g.fillRoundedRectangle(966.0f, 11.0f, 76.0f, 26.0f, 13.0f);
    g.setColour(Colour(0x12FFFFFF));
    g.drawRoundedRectangle(966.0f, 11.5f, 76.0f, 26.0f, 13.0f, 0.5f);

    // Tab row: a dark channel the tabs stand in, closed by a rule with the accent beneath.
    g.setGradientFill(juce::ColourGradient::vertical(Colour(0xFF0E0F10), titleBarHeight, Colour(0xFF151618), tabRowBottom));
    g.fillRect(0.0f, titleBarHeight, pageWidth, tabRowBottom - titleBarHeight);
    g.setColour(Colour(0xFF2E3035));
    g.fillRect(0.0f, tabRowBottom, pageWidth, 1.0f);
    g.setColour(Colour(0x66000000));
    g.fillRect(0.0f, tabRowBottom + 1.0f, pageWidth, 2.0f);
}

// A section heading whose text the page draws centred in (titleX, y, 200, 15): a rule on either
// side of it across the panel.
void heading(Graphics& g, const juce::String& title, float titleX, float y, float fromX, float toX)
{
    const float width = Palette::captionWidth(title, 14.0f);
    Palette::ruleWithGap(g, fromX, toX, y + 7.5f, titleX + 100.0f, width + 18.0f);
}

void stripes(Graphics& g, float x, float y, float width, float rowHeight, int rows)
{
    for (int r = 0; r < rows; ++r)
        if (r % 2 == 0)
        {
            g.setColour(Palette::stripe);
            g.fillRect(x, y + rowHeight * float(r), width, rowHeight);
        }
}

void legend(Graphics& g, const juce::String& text, Rectangle<float> area, juce::Justification justification)
{
    g.setColour(Palette::legend);
    Palette::spacedText(g, text, area, Palette::font(8.5f, true), 1.6f, justification);
}

void editPage(Graphics& g)
{
    frame(g);

    // Preset browser column.
    g.setColour(Colour(0xFF131416));
    g.fillRect(0.0f, 72.0f, 166.0f, pageHeight - 72.0f);
    g.setColour(Colour(0xFF2A2C30));
    g.fillRect(166.0f, 72.0f, 1.0f, pageHeight - 72.0f);
    g.setColour(Colour(0xFF0A0A0B));
    g.fillRect(0.0f, 616.0f, 166.0f, 1.0f);

    // Preset name display with its arrows and save buttons.
    Palette::panel(g, { 174.0f, 80.0f, 870.0f, 44.0f });
    Palette::field(g, { 184.0f, 87.0f, 652.0f, 30.0f }, 4.0f);
    g.setColour(Palette::accent);
    g.fillRoundedRectangle(186.0f, 93.0f, 2.0f, 18.0f, 1.0f);
    Palette::field(g, { 842.0f, 90.0f, 43.0f, 24.0f }, 4.0f);

    // Signal chain.
    Palette::panel(g, { 174.0f, 129.0f, 870.0f, 128.0f });
    legend(g, "SIGNAL CHAIN", { 900.0f, 134.0f, 136.0f, 12.0f }, juce::Justification::centredRight);

    // Amplifier knobs.
    Palette::panel(g, { 174.0f, 263.0f, 870.0f, 124.0f });
    {
        juce::Graphics::ScopedSaveState saved(g);
        g.addTransform(juce::AffineTransform::rotation(-juce::MathConstants<float>::halfPi, 196.0f, 325.0f));
        legend(g, "AMPLIFIER", { 146.0f, 319.0f, 100.0f, 12.0f }, juce::Justification::centred);
    }
    g.setColour(Palette::rule);
    g.fillRect(214.0f, 275.0f, 1.0f, 100.0f);

    // Routing rows: option slots light enough for both the dark unlit and the white lit text.
    Palette::panel(g, { 174.0f, 392.0f, 270.0f, 281.0f });
    heading(g, "ROUTING", 205.5f, 399.0f, 184.0f, 434.0f);
    stripes(g, 180.0f, 421.0f, 258.0f, 18.0f, 14);
    struct Row { int count, xOffset, inset; };
    const Row rows[14] = { { 2, 0, 0 }, { 2, 0, 0 }, { 2, 0, 0 }, { 2, 0, 0 }, { 2, 0, 0 }, { 2, 0, 0 }, { 2, 0, 0 },
                           { 2, 0, 0 }, { 2, 0, 0 }, { 2, 0, 0 }, { 3, 2, 3 }, { 2, 0, 0 }, { 3, 2, 3 }, { 5, 3, 11 } };
    for (int r = 0; r < 14; ++r)
    {
        const int span = 105 - 2 * rows[r].inset;
        for (int j = 0; j < rows[r].count; ++j)
        {
            const float x = float(328 + rows[r].xOffset + rows[r].inset + j * span / rows[r].count);
            const float w = float(span / rows[r].count);
            const Rectangle<float> slot(x + 1.0f, 421.0f + 18.0f * float(r) + 2.0f, w - 2.0f, 14.0f);
            g.setGradientFill(juce::ColourGradient::vertical(Colour(0xFF76787E), slot.getY(), Colour(0xFF5F6166),
                                                             slot.getBottom()));
            g.fillRoundedRectangle(slot, 2.0f);
            g.setColour(Colour(0x30FFFFFF));
            g.fillRect(slot.getX() + 1.5f, slot.getY() + 0.5f, slot.getWidth() - 3.0f, 0.5f);
        }
    }

    // Effect block parameters.
    Palette::panel(g, { 448.0f, 392.0f, 600.0f, 281.0f });
    g.setGradientFill(juce::ColourGradient::vertical(Colour(0xFF2E3034), 393.0f, Colour(0xFF25262A), 417.0f));
    g.fillRoundedRectangle(449.0f, 393.0f, 598.0f, 24.0f, 3.5f);
    g.setColour(Palette::rule);
    g.fillRect(449.0f, 417.0f, 598.0f, 1.0f);
}

void footswitchPage(Graphics& g)
{
    frame(g);

    // Legend lamps beside their captions.
    Palette::field(g, { 396.0f, 94.0f, 354.0f, 28.0f }, 6.0f);
    const Led legendLamps[] = { Led::off, Led::red, Led::amber };
    for (int i = 0; i < 3; ++i)
    {
        juce::Graphics::ScopedSaveState saved(g);
        g.setOrigin(juce::Point<int>(403 + 112 * i, 100));
        ledBlock(g, legendLamps[i]);
    }

    Palette::panel(g, { 16.0f, 138.0f, 1024.0f, 528.0f });
    g.setGradientFill(juce::ColourGradient::vertical(Colour(0xFF2E3034), 144.0f, Colour(0xFF26282B), 174.0f));
    g.fillRect(20.0f, 145.0f, 1016.0f, 29.0f);
    g.setColour(Palette::rule);
    g.fillRect(20.0f, 174.0f, 1016.0f, 1.0f);

    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 12; ++c)
            Palette::field(g, { 111.0f + 77.0f * float(c), 176.0f + 26.0f * float(r), 75.0f, 23.0f }, 3.0f);

    g.setColour(Palette::rule);
    g.fillRect(20.0f, 255.0f, 1016.0f, 1.0f);

    stripes(g, 20.0f, 259.0f, 1016.0f, 21.0f, 19);
    for (int c = 0; c <= 12; ++c)
    {
        g.setColour(Colour(0x0DFFFFFF));
        g.fillRect(111.0f + 77.0f * float(c) - 1.5f, 259.0f, 0.75f, 19.0f * 21.0f);
    }
}

void midiCCPage(Graphics& g)
{
    frame(g);
    const float headingCentre = 358.0f + 167.0f;
    Palette::ruleWithGap(g, 60.0f, 992.0f, 125.0f, headingCentre, Palette::captionWidth(
        "Allocate MIDI CCs to the associated parameter.", 14.0f) + 24.0f);

    for (int k = 0; k < 3; ++k)
    {
        const float x0 = 301.0f * float(k);
        const int rows = k < 2 ? 13 : 12;
        Palette::panel(g, { x0 + 94.0f, 183.0f, 270.0f, 27.0f * float(rows) + 20.0f });
        stripes(g, x0 + 98.0f, 193.0f, 262.0f, 27.0f, rows);
        for (int i = 0; i < rows; ++i)
            Palette::field(g, { x0 + 277.0f, 193.0f + 27.0f * float(i) + 4.0f, 48.0f, 20.0f }, 3.0f);
    }
}

void cabinetsPage(Graphics& g)
{
    frame(g);
    Palette::ruleWithGap(g, 206.0f, 845.0f, 106.0f, 525.5f, 170.0f);
    g.setColour(Palette::legend);
    Palette::spacedText(g, "USER CABINET SLOTS", { 425.0f, 99.0f, 201.0f, 14.0f }, Palette::font(10.0f, true), 2.0f);
    for (int c = 0; c < 2; ++c)
    {
        const float dx = 349.0f * float(c);
        Palette::panel(g, { 206.0f + dx, 134.0f, 290.0f, 480.0f });
        g.setGradientFill(juce::ColourGradient::vertical(Colour(0xFF2E3034), 136.0f, Colour(0xFF26282B), 166.0f));
        g.fillRect(208.0f + dx, 137.0f, 286.0f, 30.0f);
        g.setColour(Palette::rule);
        g.fillRect(208.0f + dx, 166.0f, 286.0f, 1.0f);
        for (int r = 0; r < 16; ++r)
            Palette::field(g, { 306.0f + dx, 170.0f + 27.0f * float(r), 180.0f, 20.0f }, 3.0f);
    }
}

void globalPage(Graphics& g)
{
    frame(g);

    const Rectangle<float> panels[] = {
        { 14.0f, 90.0f, 502.0f, 182.0f },  { 14.0f, 275.0f, 502.0f, 143.0f }, { 14.0f, 421.0f, 502.0f, 71.0f },
        { 14.0f, 495.0f, 502.0f, 71.0f },  { 14.0f, 569.0f, 502.0f, 99.0f },  { 526.0f, 90.0f, 514.0f, 96.0f },
        { 526.0f, 189.0f, 514.0f, 94.0f }, { 526.0f, 286.0f, 514.0f, 92.0f }, { 526.0f, 381.0f, 514.0f, 94.0f },
        { 526.0f, 479.0f, 514.0f, 189.0f },
    };
    for (const auto& area : panels)
        Palette::panel(g, area);

    heading(g, "LEVELS", 165.0f, 98.0f, 26.0f, 504.0f);
    heading(g, "GATE", 165.0f, 281.0f, 26.0f, 504.0f);
    heading(g, "CABINET OUTPUT", 165.0f, 426.0f, 26.0f, 504.0f);
    heading(g, "POWER AMP MODELING", 165.0f, 500.0f, 26.0f, 504.0f);
    heading(g, "MIDI", 165.0f, 574.0f, 26.0f, 504.0f);
    heading(g, "MAIN OUTPUT MODES", 681.0f, 98.0f, 538.0f, 1028.0f);
    heading(g, "AUX OUTPUT MODES", 681.0f, 194.0f, 538.0f, 1028.0f);
    heading(g, "LOOP MODE", 681.0f, 291.0f, 538.0f, 1028.0f);
    heading(g, "TUNER", 681.0f, 387.0f, 538.0f, 1028.0f);
    heading(g, "PRESET INDEXING", 559.0f, 485.0f, 538.0f, 782.0f);
    heading(g, "TEMPO", 811.0f, 485.0f, 798.0f, 1028.0f);
    heading(g, "CONTRAST", 681.0f, 582.0f, 538.0f, 846.0f);
    heading(g, "DEFAULT PRESET", 811.0f, 582.0f, 856.0f, 1028.0f);
    g.setColour(Palette::rule);
    g.fillRect(790.0f, 487.0f, 1.0f, 78.0f);
    g.fillRect(538.0f, 573.0f, 490.0f, 1.0f);

    // Fields behind the selectors and value boxes that have no image of their own.
    const Rectangle<float> fields[] = {
        { 176.0f, 232.0f, 177.0f, 27.0f }, { 79.0f, 596.0f, 177.0f, 27.0f },  { 330.0f, 596.0f, 163.0f, 27.0f },
        { 79.0f, 631.0f, 177.0f, 27.0f },  { 813.0f, 418.0f, 121.0f, 27.0f }, { 610.0f, 516.0f, 92.0f, 27.0f },
        { 863.0f, 503.0f, 92.0f, 27.0f },  { 863.0f, 535.0f, 92.0f, 27.0f },  { 721.0f, 613.0f, 122.0f, 27.0f },
    };
    for (const auto& area : fields)
        Palette::field(g, area, 4.0f);
}

void backupPage(Graphics& g)
{
    frame(g);
    Palette::panel(g, { 292.0f, 222.0f, 196.0f, 212.0f }, 6.0f);
    Palette::panel(g, { 568.0f, 222.0f, 196.0f, 212.0f }, 6.0f);
    g.setColour(Palette::rule);
    g.fillRect(301.0f, 260.0f, 178.0f, 1.0f);
    g.fillRect(577.0f, 260.0f, 178.0f, 1.0f);
    g.fillRect(301.0f, 380.0f, 178.0f, 1.0f);
    g.fillRect(577.0f, 380.0f, 178.0f, 1.0f);
}

} // namespace

void addPageBackgrounds(std::vector<Piece>& pieces)
{
    pieces.push_back({ "EditPage/TonecrestMainBackground", 1052, 677, editPage });
    pieces.push_back({ "Footswitches/TonecrestFootswitchBackground", 1052, 677, footswitchPage });
    pieces.push_back({ "MIDICC/TonecrestMIDICCBackground", 1052, 677, midiCCPage });
    pieces.push_back({ "Cabinets/TonecrestCabinetsBackground", 1052, 677, cabinetsPage });
    pieces.push_back({ "Global/TonecrestGlobalBackground", 1052, 677, globalPage });
    pieces.push_back({ "Backup/TonecrestBackupBackground", 1052, 677, backupPage });
}

} // namespace Artwork
