#include "Artwork.h"

#include <map>

// Page mock-ups: the artwork composed the way the pages place it, with sample texts in the
// pages' own colours and fonts, so the images can be judged together rather than one by one.

namespace Artwork
{
namespace
{
using juce::Colour;
using juce::Graphics;
using juce::Rectangle;

class Sheet
{
public:
    explicit Sheet(const std::vector<Piece>& pieces)
    {
        for (const auto& piece : pieces)
            images[piece.stem] = render(piece);
    }

    const juce::Image& operator[](const char* stem) const { return images.at(stem); }

    void place(Graphics& g, const char* stem, int x, int y, int w, int h, int placement = 128) const
    {
        g.drawImageWithin((*this)[stem], x, y, w, h, juce::RectanglePlacement(placement));
    }

    /** One frame of a 1 x 99 film strip, fitted into the box as the knob draws it. */
    void knob(Graphics& g, const char* stem, int x, int y, int w, int h, double position) const
    {
        const auto& strip = (*this)[stem];
        const int frameW = strip.getWidth();
        const int frameH = strip.getHeight() / 99;
        const int index = int(98 * position + 0.5);
        const float frameAspect = float(frameH) / float(frameW);
        int drawW = w, drawH = h;
        if (frameAspect > float(h) / float(w))
            drawW = int(float(h) / frameAspect);
        else
            drawH = int(frameAspect * float(w));
        g.drawImage(strip, x + (w - drawW) / 2, y + (h - drawH) / 2, drawW, drawH, 0, index * frameH, frameW, frameH);
    }

private:
    std::map<std::string, juce::Image> images;
};

void text(Graphics& g, const juce::String& s, int x, int y, int w, int h, Colour colour, float height,
          juce::Justification j = juce::Justification::centred, bool bold = false)
{
    g.setColour(colour);
    g.setFont(juce::Font(height, bold ? juce::Font::bold : juce::Font::plain));
    g.drawFittedText(s, x, y, w, h, j, 2, 0.7f);
}

juce::Image tint(const juce::Image& source, Colour colour)
{
    auto image = source.createCopy();
    juce::Image::BitmapData data(image, juce::Image::BitmapData::readWrite);
    for (int y = 0; y < image.getHeight(); ++y)
        for (int x = 0; x < image.getWidth(); ++x)
        {
            const auto p = data.getPixelColour(x, y);
            data.setPixelColour(x, y, Colour::fromFloatRGBA(p.getFloatRed() * colour.getFloatRed(),
                                                           p.getFloatGreen() * colour.getFloatGreen(),
                                                           p.getFloatBlue() * colour.getFloatBlue(),
                                                           p.getFloatAlpha() * colour.getFloatAlpha()));
        }
    return image;
}

void frame(Graphics& g, const Sheet& sheet, const char* background, int page)
{
    sheet.place(g, background, 0, 0, 1052, 677, 64);
    const char* tabs[6][2] = { { "EditPage/EditOff", "EditPage/EditOn" },
                               { "EditPage/FootswitchOff", "EditPage/FootswitchOn" },
                               { "EditPage/MidiCCOff", "EditPage/MidiCCOn" },
                               { "EditPage/CabinetsOff", "EditPage/CabinetsOn" },
                               { "EditPage/GlobalOff", "EditPage/GlobalOn" },
                               { "EditPage/BackupOff", "EditPage/BackupOn" } };
    const int tabX[6] = { 2, 152, 301, 450, 599, 748 };
    for (int i = 0; i < 6; ++i)
        sheet.place(g, tabs[i][i == page ? 1 : 0], tabX[i], 45, 153, 26);
    sheet.place(g, "EditPage/FileOff", 897, 45, 153, 26);
    sheet.place(g, "MinimizeOff", 973, 15, 18, 18);
    sheet.place(g, "MaximizeOff", 995, 15, 18, 18);
    sheet.place(g, "CloseOn", 1017, 15, 18, 18);
    text(g, "Ready", 36, 12, 326, 24, Colour(0xFFD3D3D3).withAlpha(0.7f), 15.0f, juce::Justification::centredLeft);
}

juce::Image editPage(const Sheet& sheet)
{
    juce::Image image(juce::Image::ARGB, 1052, 677, true);
    Graphics g(image);
    frame(g, sheet, "EditPage/TonecrestMainBackground", 0);

    const char* names[] = { "Clean Machine", "Crunch Bite", "Plexi Lead", "Velvet Drive", "(Empty)", "Blue Note Jazz",
                            "Metal Forge", "Ambient Wash", "Surf Spring", "(Empty)", "Tape Echo Lead",
                            "Fuzz Factory", "Brit Stack", "Acoustic Sim", "Funk Rhythm", "Doom Sludge",
                            "Shimmer Pad", "Country Snap", "(Empty)", "Bass Boost", "Lo-Fi Radio", "Octave Up" };
    for (int r = 0; r < 22; ++r)
    {
        const int y = 74 + 24 * r;
        const bool selected = r == 2;
        sheet.place(g, selected ? "EditPage/BrowserSelectedBar" : "EditPage/BrowserLineSeparationBar", 0, y, 162,
                    24, 64);
        const Colour ink = selected ? Colour(0xFF000000) : Colour(0xFF969696);
        const bool empty = juce::String(names[r]) == "(Empty)";
        g.setFont(juce::Font(13.0f, r == 0 ? juce::Font::bold : juce::Font::plain));
        g.setColour(ink);
        g.drawText(juce::String(r + 1), 4, y, 31 - 6, 24, juce::Justification::centredLeft, true);
        g.setColour(empty ? ink.withMultipliedAlpha(0.5f) : ink);
        g.drawText(names[r], 31 + 4, y, 131 - 6, 24, juce::Justification::centredLeft, true);
    }
    sheet.place(g, "EditPage/SaveAsOff", 5, 621, 152, 51);
    text(g, "PRESET MANAGER", 5, 621, 152, 51, Colour(0xFF969696), 12.0f);

    text(g, "1 - Clean Machine *", 190, 89, 643, 26, Colour(0xFFDEDEDE), 14.0f);
    sheet.place(g, "EditPage/PresetArrowLeftOff", 847, 95, 12, 15);
    sheet.place(g, "EditPage/PresetArrowRightOn", 868, 95, 12, 15);
    sheet.place(g, "EditPage/SaveAsOff", 893, 89, 68, 26);
    text(g, "SAVE", 893, 89, 68, 26, Colour(0xFF969696), 12.0f);
    sheet.place(g, "EditPage/SaveAsOn", 969, 89, 68, 26);
    text(g, "SAVE AS", 969, 89, 68, 26, Colour(0xFF000000), 12.0f);

    // Signal chain with every insert at 0.
    const int chain[20] = { 10, 12, 14, 13, 11, 16, 23, 3, 17, 18, 19, 15, 6, 7, 8, 9, 4, 1, 5, 2 };
    const char* shortNames[24] = { "", "AMP", "CAB", "BST", "ECO", "RVB", "CHO", "FLA", "PHA", "TRE", "GTE", "CMP",
                                   "RTN", "WAH", "VOL", "GEQ", "PRE", "PQ1", "PQ2", "PQ3", "", "", "", "PSH" };
    const int order[20] = { 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 23 };
    const int usable = 870 - 8, margin = usable / 40, step = (usable - margin) / 20, mid = 129 / 2;
    int joinX = 0;
    for (int p = 0; p < 20; ++p)
        if (chain[p] == 12)
            joinX = p * step + margin;
    {
        Graphics::ScopedSaveState saved(g);
        g.setOrigin(172, 128);
        juce::Path path;
        path.startNewSubPath(8.0f, float(mid + 24));
        path.lineTo(float(joinX + 6), float(mid + 24));
        path.cubicTo(float(joinX + 11), float(mid + 24), float(joinX + 16), float(mid + 19), float(joinX + 16), float(mid + 14));
        path.lineTo(float(joinX + 16), float(mid - 24));
        path.startNewSubPath(float(joinX + 24), float(mid - 16 - margin));
        path.lineTo(float(joinX + 24), float(mid + 14));
        path.cubicTo(float(joinX + 24), float(mid + 19), float(joinX + 29), float(mid + 24), float(joinX + 34), float(mid + 24));
        path.lineTo(float(usable), float(mid + 24));
        g.setColour(Colour(0xFF8B1515));
        g.strokePath(path, juce::PathStrokeType(1.5f, juce::PathStrokeType::curved, juce::PathStrokeType::rounded));
        for (int i = 0; i < 20; ++i)
        {
            const int id = order[i];
            int position = 0;
            while (chain[position] != id)
                ++position;
            const bool enabled = id != 4 && id != 7 && id != 17 && id != 18 && id != 19 && id != 23;
            const bool selected = id == 1;
            const float hue = std::fmod(float(i) / 16.0f, 1.0f);
            juce::Image block;
            if (selected)
                block = enabled ? tint(sheet["EditPage/SignalChainLightGreyBlock"], Colour::fromHSV(hue, 0.8f, 1.0f, 1.0f))
                                : tint(sheet["EditPage/SignalChainLightGreyBlock"], Colour::fromHSV(0.0f, 0.0f, 0.25f, 1.0f));
            else
                block = enabled ? tint(sheet["EditPage/SignalChainLightGreyBlock"], Colour::fromHSV(hue, 1.0f, 0.9f, 1.0f))
                                : sheet["EditPage/SignalChainDarkGreyBlock"];
            const int x = position * step + margin;
            const int y = id == 12 ? mid - 44 : mid + 4;
            g.drawImageWithin(block, x, y, 40, 40, juce::RectanglePlacement::centred);
            text(g, shortNames[id], x, y, 40, 40, enabled ? Colour(0xFF000000) : Colour(0xFF939393), 14.0f);
        }
    }

    const char* ampCaptions[6] = { "GAIN", "BASS", "MIDS", "TREBLE", "PRESENCE", "MASTER" };
    const double ampValues[6] = { 0.62, 0.5, 0.45, 0.7, 0.3, 0.55 };
    for (int i = 0; i < 6; ++i)
    {
        text(g, ampCaptions[i], 289 + 111 * i, 279, 83, 17, Colour(0xFFD0B7BB), 14.0f);
        sheet.knob(g, "EditPage/TonecrestMainDialFilm", 291 + 111 * i, 296, 83, 83, ampValues[i]);
        text(g, juce::String(ampValues[i] * 10.0, 1), 289 + 111 * i, 360, 83, 17, Colour(0xFFD0B7BB), 14.0f);
    }

    text(g, "ROUTING", 179, 395, 253, 23, Colour(0xFFDFDFDF), 14.0f);
    const char* routing[14] = { "COMPRESSOR", "GRAPHIC EQ", "PARAMETRIC EQ 1", "PARAMETRIC EQ 2", "PARAMETRIC EQ 3",
                                "CHORUS", "FLANGER", "PHASER", "TREMOLO", "PITCHSHIFTER", "BOOST", "ECHO", "VOLUME",
                                "LOOP" };
    const int counts[14] = { 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 3, 2, 3, 5 };
    const int offsets[14] = { 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 2, 3 };
    const int insets[14] = { 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 3, 0, 3, 11 };
    for (int r = 0; r < 14; ++r)
    {
        text(g, routing[r], 188, 421 + 18 * r, 140, 18, Colour(0xFF939393), 12.0f, juce::Justification::centredLeft);
        const int span = 105 - 2 * insets[r];
        for (int j = 0; j < counts[r]; ++j)
        {
            const juce::String option = counts[r] == 2 ? (j == 0 ? "PRE" : "POST") : juce::String(j + 1);
            const bool lit = j == (r % counts[r]);
            text(g, option, 328 + offsets[r] + insets[r] + j * span / counts[r], 421 + 18 * r, span / counts[r], 18,
                 lit ? Colour(0xFFFFFFFF) : Colour(0xFF323232), 12.0f);
        }
    }

    text(g, "Amp", 450, 395, 597, 22, Colour(0xFFDFDFDF), 14.0f);
    {
        Graphics::ScopedSaveState saved(g);
        g.reduceClipRegion(450, 417, 597, 254);
        g.setOrigin(450, 417);
        const Colour captionColour(0xFF959595), menuColour(0xFFDEDEDE);
        auto menu = [&](int x, int top, const char* caption, const char* value) {
            text(g, juce::String(caption) + ":", x, top, 91, 30, captionColour, 12.0f, juce::Justification::centredRight);
            sheet.place(g, "EditPage/EffectsSectionReadoutBox", x + 95, top, 183, 30, 36);
            text(g, value, x + 95, top, 183, 30, menuColour, 12.0f);
            sheet.place(g, "EditPage/EffectsSectionReadoutBoxArrowLeftOff", x + 245, top + 8, 10, 13);
            sheet.place(g, "EditPage/EffectsSectionReadoutBoxArrowRightOff", x + 258, top + 8, 10, 13);
        };
        menu(0, 2, "Enable", "On");
        menu(0, 35, "Model", "British 800");
        menu(258, 35, "PowerAmp", "EL34");
        const char* knobs[6] = { "Gain", "Master", "Bass", "Mids", "Treble", "Presence" };
        for (int k = 0; k < 6; ++k)
        {
            const int x = k * 87, top = 68;
            const double v = 0.15 + 0.14 * k;
            text(g, knobs[k], x + 39, top + 74, 70, 16, captionColour, 12.0f);
            sheet.knob(g, "EditPage/TonecrestFXDialsFilm", x + 40, top + 17, 73, 78, v);
            text(g, juce::String(v * 10.0, 1) + " dB", x + 39, top, 70, 19, captionColour, 12.0f);
        }
        for (int k = 0; k < 2; ++k)
        {
            const int x = k * 87, top = 162;
            text(g, k == 0 ? "Level" : "Damping", x + 39, top + 74, 70, 16, captionColour, 12.0f);
            sheet.knob(g, "EditPage/TonecrestFXDialsFilm", x + 40, top + 17, 73, 78, 0.8 - 0.5 * k);
            text(g, k == 0 ? "80 %" : "30 %", x + 39, top, 70, 19, captionColour, 12.0f);
        }
    }
    return image;
}

juce::Image footswitchPage(const Sheet& sheet)
{
    juce::Image image(juce::Image::ARGB, 1052, 677, true);
    Graphics g(image);
    frame(g, sheet, "Footswitches/TonecrestFootswitchBackground", 1);
    const Colour label(0xFF969696);
    text(g, "Not Assigned", 423, 100, 93, 16, label, 14.0f, juce::Justification::centredLeft);
    text(g, "Assigned", 535, 100, 93, 16, label, 14.0f, juce::Justification::centredLeft);
    text(g, "Invert", 647, 100, 93, 16, label, 14.0f, juce::Justification::centredLeft);
    text(g, "FOOTSWITCH", 32, 149, 106, 21, label, 14.0f, juce::Justification::centredLeft);
    const char* headers[12] = { "1", "2", "3", "4", "5", "6", "7", "8", "9", "0", "UP", "DOWN" };
    const char* rowNames[3] = { "MODE", "PRESET A", "PRESET B" };
    for (int c = 0; c < 12; ++c)
    {
        text(g, headers[c], 113 + 77 * c, 149, 74, 21, label, 14.0f);
        for (int r = 0; r < 3; ++r)
        {
            text(g, r == 0 ? "Toggle" : juce::String(c * 3 + r), 113 + 77 * c, 177 + 26 * r, 54, 21, Colour(0xFFDEDEDE),
                 r == 0 ? 9.0f : 12.0f);
            sheet.place(g, "EditPage/EffectsSectionReadoutBoxArrowLeftOff", 163 + 77 * c, 181 + 26 * r, 10, 13);
            sheet.place(g, "EditPage/EffectsSectionReadoutBoxArrowRightOff", 175 + 77 * c, 181 + 26 * r, 10, 13);
        }
    }
    for (int r = 0; r < 3; ++r)
        text(g, rowNames[r], 32, 177 + 26 * r, 76, 21, label, 14.0f, juce::Justification::centredLeft);
    const char* grid[19] = { "Amp", "Boost", "Echo", "Reverb", "Chorus", "Flanger", "Phaser", "Tremolo",
                             "Pitchshifter", "Noise Gate", "Compressor", "Loop", "Wah", "Volume", "Graphic EQ",
                             "Pre Filter", "PEQ-1", "PEQ-2", "PEQ-3" };
    for (int r = 0; r < 19; ++r)
    {
        text(g, grid[r], 32, 259 + 21 * r, 107, 21, label, 14.0f, juce::Justification::centredLeft);
        for (int c = 0; c < 12; ++c)
        {
            const char* lamp = "Footswitches/NotAssignedBlock";
            if (c == r % 12 && r % 3 == 0)
                lamp = "Footswitches/AssignedBlock";
            else if (c == (r + 5) % 12 && r % 4 == 1)
                lamp = "Footswitches/InvertBlock";
            sheet.place(g, lamp, 142 + 77 * c, 261 + 21 * r, 16, 16);
        }
    }
    return image;
}

juce::Image midiPage(const Sheet& sheet)
{
    juce::Image image(juce::Image::ARGB, 1052, 677, true);
    Graphics g(image);
    frame(g, sheet, "MIDICC/TonecrestMIDICCBackground", 2);
    text(g, "Allocate MIDI CCs to the associated parameter.", 358, 115, 334, 20, Colour(0xFF969696), 14.0f);
    const char* names[3][13] = {
        { "WAH PEDAL", "VOL PEDAL", "EXPRESSION PEDAL A", "EXPRESSION PEDAL B", "TAP TEMPO", "BYPASS", "LOOP", "VOLUME",
          "WAH", "BOOST", "EFFECT", "CHORUS", "FLANGER" },
        { "PHASER", "TREMOLO", "PITCHSHIFTER", "ECHO", "REVERB", "GATE", "COMPRESSOR", "GRAPHIC EQ", "PRE FILTER",
          "PEQ-1", "PEQ-2", "PEQ-3", "AMP" },
        { "FS 1", "FS 2", "FS 3", "FS 4", "FS 5", "FS 6", "FS 7", "FS 8", "FS 9", "FS 0", "FS +", "FS -", nullptr }
    };
    for (int k = 0; k < 3; ++k)
        for (int i = 0; i < 13 && names[k][i] != nullptr; ++i)
        {
            const int x0 = 301 * k, y = 193 + 27 * i;
            text(g, names[k][i], x0 + 104, y, 168, 27, Colour(0xFF969696), 14.0f, juce::Justification::centredLeft);
            text(g, juce::String(10 + k * 13 + i), x0 + 277, y + 4, 50, 20, Colour(0xFFDEDEDE), 12.0f);
            sheet.place(g, i == 3 ? "MIDICC/MinusOn" : "MIDICC/MinusOff", x0 + 327, y + 9, 10, 10);
            sheet.place(g, "MIDICC/PlusOff", x0 + 342, y + 9, 10, 10);
        }
    return image;
}

juce::Image cabinetsPage(const Sheet& sheet)
{
    juce::Image image(juce::Image::ARGB, 1052, 677, true);
    Graphics g(image);
    frame(g, sheet, "Cabinets/TonecrestCabinetsBackground", 3);
    const Colour label(0xFF969696);
    for (int c = 0; c < 2; ++c)
    {
        text(g, "LOAD", 218 + 349 * c, 143, 62, 20, label, 14.0f);
        text(g, "NAME / DESCRIPTION", 310 + 349 * c, 143, 173, 20, label, 14.0f);
        for (int r = 0; r < 16; ++r)
        {
            const int s = 16 * c + r, dx = 349 * c, y = 170 + 27 * r;
            sheet.place(g, s == 4 ? "Cabinets/CabinetsLoadUserButtonOn" : "Cabinets/CabinetsLoadUserButtonOff", 218 + dx,
                        y, 62, 20);
            text(g, "USER " + juce::String(s + 1), 218 + dx, y, 62, 20, label, 14.0f);
            text(g, s % 3 == 2 ? juce::String() : "4x12 Greenback " + juce::String(s + 1), 310 + dx, y, 173, 20,
                 s == 1 ? Colour(0xFFD0D0D0) : label, 14.0f);
        }
    }
    return image;
}

juce::Image globalPage(const Sheet& sheet)
{
    juce::Image image(juce::Image::ARGB, 1052, 677, true);
    Graphics g(image);
    frame(g, sheet, "Global/TonecrestGlobalBackground", 4);
    const Colour title(0xFFDFDFDF), label(0xFF959595), value(0xFFDEDEDE);
    auto section = [&](const char* s, int x, int y) { text(g, s, x, y, 200, 15, title, 14.0f); };
    auto knob = [&](int vx, int vy, int kx, int ky, int nx, int ny, const char* name, double v) {
        text(g, juce::String(v * 10.0, 1), vx, vy, 55, 14, label, 12.0f);
        sheet.knob(g, "EditPage/TonecrestFXDialsFilm", kx, ky, 73, 78, v);
        text(g, name, nx, ny, 65, 24, label, 12.0f, juce::Justification::centredTop);
    };
    auto selector = [&](int x, int y, int w, int h, int lx, int ly, int rx, int ry, const char* s) {
        text(g, s, x, y, w, h, value, 12.0f);
        sheet.place(g, "EditPage/EffectsSectionReadoutBoxArrowLeftOff", lx, ly, 10, 13);
        sheet.place(g, "EditPage/EffectsSectionReadoutBoxArrowRightOff", rx, ry, 10, 13);
    };
    auto lamp = [&](int x, int y, bool on) {
        sheet.place(g, on ? "Footswitches/AssignedBlock" : "Footswitches/NotAssignedBlock", x, y, 16, 16);
    };
    auto caption = [&](int x, int y, int w, int h, const char* s) {
        text(g, s, x, y, w, h, label, 12.0f, juce::Justification::centredRight);
    };
    section("LEVELS", 165, 98);
    knob(65, 124, 59, 140, 60, 202, "MAIN", 0.7);
    knob(152, 124, 146, 140, 147, 202, "AUX", 0.5);
    knob(239, 124, 233, 140, 234, 202, "PHONES", 0.4);
    knob(326, 124, 320, 140, 321, 202, "LOOP\nSEND", 0.6);
    knob(413, 124, 407, 140, 408, 202, "LOOP\nRETURN", 0.6);
    caption(30, 232, 139, 27, "LEVEL KNOB ASSIGN:");
    selector(177, 232, 153, 27, 325, 240, 339, 240, "Main");
    section("GATE", 165, 281);
    knob(65, 307, 59, 323, 60, 385, "THRESH.", 0.3);
    knob(152, 307, 146, 323, 147, 385, "ATTACK", 0.1);
    knob(239, 307, 233, 323, 234, 385, "RELEASE", 0.5);
    knob(326, 307, 320, 323, 321, 385, "RATIO", 0.8);
    caption(369, 341, 80, 24, "USE\nGLOBAL");
    lamp(454, 346, true);
    section("CABINET OUTPUT", 165, 426);
    const char* cab[4] = { "NONE", "MAINS\nONLY", "AUX\nONLY", "BOTH" };
    for (int i = 0; i < 4; ++i)
    {
        caption(55 + 113 * i, 447, 51, 30, cab[i]);
        lamp(110 + 113 * i, 454, i == 3);
    }
    section("POWER AMP MODELING", 165, 500);
    caption(186, 520, 69, 30, "ENABLE");
    lamp(260, 528, false);
    section("MIDI", 165, 574);
    caption(19, 596, 53, 27, "IN:");
    selector(80, 596, 153, 27, 228, 604, 242, 604, "Omni");
    caption(263, 596, 46, 27, "OUT:");
    selector(331, 596, 153, 27, 465, 604, 479, 604, "Channel 1");
    caption(19, 631, 53, 27, "CLOCK:");
    selector(80, 631, 153, 27, 228, 638, 242, 638, "Off");
    caption(318, 631, 77, 27, "MIDI THRU");
    lamp(400, 637, true);
    const char* modes[4] = { "MONO", "STEREO", "DUAL\nLEFT", "DUAL\nRIGHT" };
    const char* loops[4] = { "MUTE\nSEND", "MUTE\nRETURN", "AUX\nINPUT", "EXPRESSION" };
    section("MAIN OUTPUT MODES", 681, 98);
    section("AUX OUTPUT MODES", 681, 194);
    section("LOOP MODE", 681, 291);
    for (int i = 0; i < 4; ++i)
    {
        caption(534 + 113 * i, 128, 88, 30, modes[i]);
        lamp(627 + 113 * i, 135, i == 1);
        caption(534 + 113 * i, 225, 88, 30, modes[i]);
        lamp(627 + 113 * i, 232, i == 0);
        caption(534 + 113 * i, 321, 88, 30, loops[i]);
        lamp(627 + 113 * i, 328, i == 2);
    }
    section("TUNER", 681, 387);
    caption(631, 418, 88, 27, "SILENT");
    lamp(724, 425, false);
    caption(755, 418, 53, 27, "REF:");
    selector(814, 418, 97, 27, 906, 426, 920, 426, "440.0 Hz");
    section("PRESET INDEXING", 559, 485);
    selector(611, 516, 70, 27, 674, 524, 688, 524, "0-99");
    section("TEMPO", 811, 485);
    caption(805, 503, 53, 27, "MODE:");
    selector(864, 503, 68, 27, 927, 511, 941, 511, "Preset");
    caption(805, 535, 53, 27, "GLOBAL\nTEMPO:");
    selector(864, 535, 68, 27, 927, 543, 941, 543, "120");
    section("CONTRAST", 681, 582);
    selector(722, 613, 97, 27, 815, 620, 829, 620, "5");
    section("DEFAULT PRESET", 811, 582);
    sheet.place(g, "EditPage/EffectsSectionReadoutBoxShort", 864, 611, 122, 30, 36);
    selector(864, 611, 122, 30, 952, 620, 966, 620, "Last Used");
    return image;
}

juce::Image backupPage(const Sheet& sheet)
{
    juce::Image image(juce::Image::ARGB, 1052, 677, true);
    Graphics g(image);
    frame(g, sheet, "Backup/TonecrestBackupBackground", 5);
    const Colour label(0xFF969696);
    text(g, "RESTORE", 337, 235, 106, 24, label, 16.0f);
    sheet.place(g, "Backup/RestoreOff", 356, 269, 68, 102);
    text(g, "Load A Previously Saved", 308, 388, 164, 16, label, 14.0f);
    text(g, "Backup Into Tonecrest.", 308, 404, 164, 16, label, 14.0f);
    text(g, "BACKUP", 613, 235, 106, 24, label, 16.0f);
    sheet.place(g, "Backup/BackupOn", 632, 269, 68, 102);
    text(g, "Backup Your Tonecrest", 584, 388, 164, 16, label, 14.0f);
    text(g, "Settings To File.", 584, 404, 164, 16, label, 14.0f);
    return image;
}

} // namespace

std::vector<std::pair<juce::String, juce::Image>> renderMockups(const std::vector<Piece>& pieces)
{
    const Sheet sheet(pieces);
    return { { "mockup-edit.png", editPage(sheet) },         { "mockup-footswitch.png", footswitchPage(sheet) },
             { "mockup-midicc.png", midiPage(sheet) },       { "mockup-cabinets.png", cabinetsPage(sheet) },
             { "mockup-global.png", globalPage(sheet) },     { "mockup-backup.png", backupPage(sheet) } };
}

} // namespace Artwork
