#include "Artwork.h"
#include "Palette.h"

// Buttons, tabs, read-out boxes, arrows and the small blocks of the pages.

namespace Artwork
{
namespace
{
using juce::Colour;
namespace Colours = juce::Colours;
using juce::Graphics;
using juce::Rectangle;

// Tabs are 153 x 26 and overlap their neighbours by up to 4 units, so the drawn tab leaves 2
// units clear on either side.
void tab(Graphics& g, const juce::String& label, bool lit)
{
    const Rectangle<float> body(2.0f, 1.0f, 149.0f, 25.0f);
    juce::Path shape;
    shape.addRoundedRectangle(body.getX(), body.getY(), body.getWidth(), body.getHeight() + 4.0f, 4.0f, 4.0f,
                              true, true, false, false);

    g.saveState();
    g.reduceClipRegion(body.toNearestInt());
    if (lit)
        g.setGradientFill(juce::ColourGradient::vertical(Colour(0xFF3A3C41), body.getY(), Colour(0xFF2A2B2F),
                                                         body.getBottom()));
    else
        g.setGradientFill(juce::ColourGradient::vertical(Colour(0xFF232427), body.getY(), Colour(0xFF1A1B1D),
                                                         body.getBottom()));
    g.fillPath(shape);
    g.setColour(lit ? Colour(0xFF4A4C52) : Colour(0xFF303236));
    g.strokePath(shape, juce::PathStrokeType(0.75f));
    g.restoreState();

    if (lit)
    {
        // Lit tab: a red bar along the top with a soft glow beneath it.
        g.setColour(Palette::accent);
        g.fillRoundedRectangle(body.getX() + 3.0f, body.getY() + 0.5f, body.getWidth() - 6.0f, 2.0f, 1.0f);
        g.setGradientFill(juce::ColourGradient::vertical(Palette::accentGlow.withMultipliedAlpha(0.6f),
                                                         body.getY() + 2.0f, Colour(0x00FF3B3B),
                                                         body.getY() + 10.0f));
        g.fillRect(body.getX() + 3.0f, body.getY() + 2.0f, body.getWidth() - 6.0f, 8.0f);
    }
    else
    {
        g.setColour(Colour(0xFF2D2F33));
        g.fillRect(body.getX(), body.getBottom() - 1.0f, body.getWidth(), 1.0f);
    }

    g.setColour(lit ? Colour(0xFFF2F2F2) : Colour(0xFF8A8C90));
    Palette::spacedText(g, label, body.translated(0.0f, 1.0f), Palette::font(11.0f, true), 1.4f);
}

void fileButton(Graphics& g, bool lit)
{
    tab(g, "", lit);
    const Colour ink = lit ? Colour(0xFFF2F2F2) : Colour(0xFF8A8C90);
    g.setColour(ink);
    Palette::spacedText(g, "FILE", { 30.0f, 2.0f, 93.0f, 24.0f }, Palette::font(11.0f, true), 1.4f);
    // A menu glyph at the right end.
    for (int i = 0; i < 3; ++i)
        g.fillRoundedRectangle(126.0f, 9.5f + 3.5f * float(i), 11.0f, 1.5f, 0.75f);
}

enum class Glyph { close, maximise, minimise };

void windowButton(Graphics& g, Glyph glyph, bool lit)
{
    const Rectangle<float> circle(1.5f, 1.5f, 15.0f, 15.0f);
    Colour fill = lit ? (glyph == Glyph::close ? Palette::accent : Colour(0xFF5A5D63)) : Colour(0xFF2B2C30);
    g.setGradientFill(juce::ColourGradient::vertical(fill.brighter(0.15f), circle.getY(), fill.darker(0.2f),
                                                     circle.getBottom()));
    g.fillEllipse(circle);
    g.setColour(lit ? fill.brighter(0.4f) : Colour(0xFF3E4045));
    g.drawEllipse(circle.reduced(0.25f), 0.6f);

    g.setColour(lit ? Colours::white : Colour(0xFFA0A2A6));
    const auto c = circle.getCentre();
    juce::Path p;
    switch (glyph)
    {
    case Glyph::close:
        p.startNewSubPath(c.x - 3.2f, c.y - 3.2f);
        p.lineTo(c.x + 3.2f, c.y + 3.2f);
        p.startNewSubPath(c.x + 3.2f, c.y - 3.2f);
        p.lineTo(c.x - 3.2f, c.y + 3.2f);
        g.strokePath(p, juce::PathStrokeType(1.3f, juce::PathStrokeType::curved, juce::PathStrokeType::rounded));
        break;
    case Glyph::maximise:
        g.drawRect(Rectangle<float>(c.x - 3.5f, c.y - 3.0f, 7.0f, 6.0f), 1.1f);
        g.fillRect(c.x - 3.5f, c.y - 3.0f, 7.0f, 1.8f);
        break;
    case Glyph::minimise:
        g.fillRoundedRectangle(c.x - 3.5f, c.y + 1.0f, 7.0f, 1.5f, 0.7f);
        break;
    }
}

// The save buttons (68 x 26) and the preset manager button (152 x 51) share one image, drawn to
// fill and cropped: the body keeps clear of the edges that either use crops away.
void saveButton(Graphics& g, bool lit)
{
    const Rectangle<float> body(2.0f, 3.5f, 66.0f, 19.0f);
    g.setColour(Palette::shadow);
    g.fillRoundedRectangle(body.translated(0.0f, 1.0f), 3.0f);
    if (lit)
        g.setGradientFill(juce::ColourGradient::vertical(Colour(0xFFE4E4E4), body.getY(), Colour(0xFFB4B5B8),
                                                         body.getBottom()));
    else
        g.setGradientFill(juce::ColourGradient::vertical(Colour(0xFF2E3034), body.getY(), Colour(0xFF222326),
                                                         body.getBottom()));
    g.fillRoundedRectangle(body, 3.0f);
    g.setColour(lit ? Colour(0xFFF6F6F6) : Colour(0xFF404247));
    g.drawRoundedRectangle(body.reduced(0.3f), 3.0f, 0.6f);
    g.setColour(lit ? Colour(0x60FFFFFF) : Colour(0x12FFFFFF));
    g.fillRect(body.getX() + 3.0f, body.getY() + 1.0f, body.getWidth() - 6.0f, 0.5f);
    if (lit)
    {
        g.setColour(Palette::accent);
        g.fillRoundedRectangle(body.getX() + 4.0f, body.getBottom() - 2.0f, body.getWidth() - 8.0f, 1.0f, 0.5f);
    }
}

// Signal-chain blocks: the light one is tinted per block by the strip, so it is a neutral
// near-white with all of its shading in its brightness.
void chainBlock(Graphics& g, bool light)
{
    const Rectangle<float> body(1.5f, 1.5f, 37.0f, 37.0f);
    g.setColour(Colour(0x80000000));
    g.fillRoundedRectangle(body.translated(0.0f, 0.8f).expanded(0.5f), 5.0f);
    if (light)
        g.setGradientFill(juce::ColourGradient::vertical(Colour(0xFFFFFFFF), body.getY(), Colour(0xFFBDBDBD),
                                                         body.getBottom()));
    else
        g.setGradientFill(juce::ColourGradient::vertical(Colour(0xFF34363A), body.getY(), Colour(0xFF242528),
                                                         body.getBottom()));
    g.fillRoundedRectangle(body, 5.0f);

    g.setColour(light ? Colour(0x40FFFFFF) : Colour(0x18FFFFFF));
    g.fillRoundedRectangle(body.reduced(2.0f).withHeight(12.0f), 4.0f);
    g.setColour(light ? Colour(0xFF9A9A9A) : Colour(0xFF45474C));
    g.drawRoundedRectangle(body.reduced(0.3f), 5.0f, 0.7f);
}

void readoutBox(Graphics& g, float width)
{
    Palette::field(g, { 1.0f, 2.0f, width - 2.0f, 26.0f }, 4.0f);
}

void arrow(Graphics& g, float width, float height, bool right, bool lit)
{
    const float w = width * 0.62f;
    const float h = height * 0.62f;
    const float cx = width * 0.5f;
    const float cy = height * 0.5f;
    juce::Path p;
    if (right)
        p.addTriangle(cx - w * 0.4f, cy - h * 0.5f, cx - w * 0.4f, cy + h * 0.5f, cx + w * 0.6f, cy);
    else
        p.addTriangle(cx + w * 0.4f, cy - h * 0.5f, cx + w * 0.4f, cy + h * 0.5f, cx - w * 0.6f, cy);
    if (lit)
    {
        g.setColour(Palette::accentGlow);
        g.strokePath(p, juce::PathStrokeType(2.0f, juce::PathStrokeType::curved, juce::PathStrokeType::rounded));
    }
    g.setColour(lit ? Colour(0xFFFFFFFF) : Colour(0xFF8C8E93));
    g.fillPath(p);
    g.strokePath(p, juce::PathStrokeType(0.6f, juce::PathStrokeType::curved, juce::PathStrokeType::rounded));
}

} // namespace

void ledBlock(Graphics& g, Led led)
{
    const Rectangle<float> body(1.5f, 1.5f, 13.0f, 13.0f);
    g.setColour(Colour(0x22FFFFFF));
    g.fillRoundedRectangle(body.translated(0.0f, 0.5f), 2.5f);
    g.setColour(Colour(0xFF0C0D0E));
    g.fillRoundedRectangle(body, 2.5f);
    const auto lamp = body.reduced(1.5f);
    if (led == Led::off)
    {
        g.setGradientFill(juce::ColourGradient::vertical(Colour(0xFF303236), lamp.getY(), Colour(0xFF222327),
                                                         lamp.getBottom()));
        g.fillRoundedRectangle(lamp, 1.5f);
        return;
    }
    const Colour hue = led == Led::red ? Colour(0xFFE02A2A) : Palette::amber;
    g.setGradientFill(juce::ColourGradient(hue.brighter(0.6f), lamp.getCentreX(), lamp.getY() + 2.0f,
                                           hue.darker(0.3f), lamp.getCentreX(), lamp.getBottom() + 3.0f, true));
    g.fillRoundedRectangle(lamp, 1.5f);
    g.setColour(Colour(0x50FFFFFF));
    g.fillRoundedRectangle(lamp.reduced(1.5f).withHeight(3.0f), 1.0f);
    if (led == Led::amber)
    {
        // Inverted: a dark bar across the lamp tells it apart beyond its colour.
        g.setColour(Colour(0xB0201A10));
        g.fillRect(lamp.getX() + 2.0f, lamp.getCentreY() - 0.6f, lamp.getWidth() - 4.0f, 1.2f);
    }
}

namespace
{

void plusMinus(Graphics& g, bool plus, bool lit)
{
    const Rectangle<float> circle(0.5f, 0.5f, 9.0f, 9.0f);
    g.setColour(lit ? Palette::accent : Colour(0xFF2D2F33));
    g.fillEllipse(circle);
    g.setColour(lit ? Palette::accent.brighter(0.5f) : Colour(0xFF4A4C51));
    g.drawEllipse(circle.reduced(0.2f), 0.5f);
    g.setColour(lit ? Colours::white : Colour(0xFFA9ABAF));
    g.fillRect(2.7f, 4.45f, 4.6f, 1.1f);
    if (plus)
        g.fillRect(4.45f, 2.7f, 1.1f, 4.6f);
}

void loadUserButton(Graphics& g, bool lit)
{
    const Rectangle<float> body(0.5f, 0.5f, 61.0f, 19.0f);
    if (lit)
        g.setGradientFill(juce::ColourGradient::vertical(Colour(0xFF4A2226), body.getY(), Colour(0xFF341719),
                                                         body.getBottom()));
    else
        g.setGradientFill(juce::ColourGradient::vertical(Colour(0xFF2C2E32), body.getY(), Colour(0xFF212225),
                                                         body.getBottom()));
    g.fillRoundedRectangle(body, 3.0f);
    g.setColour(lit ? Palette::accent : Colour(0xFF3E4045));
    g.drawRoundedRectangle(body.reduced(0.3f), 3.0f, 0.6f);
    g.setColour(Colour(0x14FFFFFF));
    g.fillRect(body.getX() + 3.0f, body.getY() + 1.0f, body.getWidth() - 6.0f, 0.5f);
}

// The two large backup page buttons (68 x 102): a storage card with an arrow out of it (backup)
// or into it (restore).
void archiveButton(Graphics& g, bool backup, bool lit)
{
    const Rectangle<float> body(2.0f, 2.0f, 64.0f, 98.0f);
    g.setColour(Palette::shadow);
    g.fillRoundedRectangle(body.translated(0.0f, 1.5f), 8.0f);
    g.setGradientFill(juce::ColourGradient::vertical(lit ? Colour(0xFF3A3C41) : Colour(0xFF2C2E32), body.getY(),
                                                     lit ? Colour(0xFF26272B) : Colour(0xFF1E1F22),
                                                     body.getBottom()));
    g.fillRoundedRectangle(body, 8.0f);
    g.setColour(lit ? Palette::accent : Colour(0xFF41434A));
    g.drawRoundedRectangle(body.reduced(0.4f), 8.0f, lit ? 1.2f : 0.8f);
    g.setColour(Colour(0x14FFFFFF));
    g.fillRect(body.getX() + 8.0f, body.getY() + 1.2f, body.getWidth() - 16.0f, 0.6f);

    const Colour ink = lit ? Colour(0xFFF0F0F0) : Colour(0xFF9A9CA1);

    // The tray the data goes into or comes from.
    juce::Path tray;
    tray.startNewSubPath(16.0f, 62.0f);
    tray.lineTo(16.0f, 76.0f);
    tray.lineTo(52.0f, 76.0f);
    tray.lineTo(52.0f, 62.0f);
    g.setColour(ink);
    g.strokePath(tray, juce::PathStrokeType(2.6f, juce::PathStrokeType::curved, juce::PathStrokeType::rounded));

    juce::Path arrowShaft;
    juce::Path head;
    if (backup)
    {
        arrowShaft.startNewSubPath(34.0f, 24.0f);
        arrowShaft.lineTo(34.0f, 58.0f);
        head.addTriangle(24.0f, 50.0f, 44.0f, 50.0f, 34.0f, 63.0f);
    }
    else
    {
        arrowShaft.startNewSubPath(34.0f, 66.0f);
        arrowShaft.lineTo(34.0f, 32.0f);
        head.addTriangle(24.0f, 36.0f, 44.0f, 36.0f, 34.0f, 23.0f);
    }
    if (lit)
    {
        g.setColour(Palette::accentGlow);
        g.strokePath(arrowShaft, juce::PathStrokeType(6.0f, juce::PathStrokeType::curved,
                                                      juce::PathStrokeType::rounded));
        g.strokePath(head, juce::PathStrokeType(3.0f, juce::PathStrokeType::curved, juce::PathStrokeType::rounded));
    }
    g.setColour(lit ? Palette::accent.brighter(0.3f) : ink);
    g.strokePath(arrowShaft, juce::PathStrokeType(3.0f, juce::PathStrokeType::curved, juce::PathStrokeType::rounded));
    g.fillPath(head);
    g.strokePath(head, juce::PathStrokeType(1.0f, juce::PathStrokeType::curved, juce::PathStrokeType::rounded));

    // Indicator dot near the bottom.
    g.setColour(lit ? Colour(0xFFFF4040) : Colour(0xFF3A3C40));
    g.fillEllipse(31.0f, 86.0f, 6.0f, 6.0f);
}

// Preset list rows (162 x 24): the list is transparent, so the plain bar is only a hairline and
// a faint sheen; the selected bar is light because its text is black.
void browserBar(Graphics& g, bool selected)
{
    if (selected)
    {
        const Rectangle<float> body(0.0f, 0.5f, 162.0f, 23.0f);
        g.setGradientFill(juce::ColourGradient::vertical(Colour(0xFFD9DADC), body.getY(), Colour(0xFFAFB0B3),
                                                         body.getBottom()));
        g.fillRect(body);
        g.setColour(Palette::accent);
        g.fillRect(0.0f, 0.5f, 3.0f, 23.0f);
        g.setColour(Colour(0x70FFFFFF));
        g.fillRect(3.0f, 0.5f, 159.0f, 0.6f);
        return;
    }
    g.setGradientFill(juce::ColourGradient::vertical(Colour(0x07FFFFFF), 0.0f, Colour(0x00FFFFFF), 24.0f));
    g.fillRect(0.0f, 0.0f, 162.0f, 24.0f);
    g.setColour(Colour(0xFF2A2C30));
    g.fillRect(0.0f, 23.0f, 162.0f, 0.75f);
}

} // namespace

void addControls(std::vector<Piece>& pieces)
{
    struct TabSpec
    {
        const char* off;
        const char* on;
        const char* label;
    };
    const TabSpec tabs[] = {
        { "EditPage/EditOff", "EditPage/EditOn", "EDIT" },
        { "EditPage/FootswitchOff", "EditPage/FootswitchOn", "FOOTSWITCH" },
        { "EditPage/MidiCCOff", "EditPage/MidiCCOn", "MIDI CC" },
        { "EditPage/CabinetsOff", "EditPage/CabinetsOn", "CABINETS" },
        { "EditPage/GlobalOff", "EditPage/GlobalOn", "GLOBAL" },
        { "EditPage/BackupOff", "EditPage/BackupOn", "BACKUP" },
    };
    for (const auto& spec : tabs)
    {
        const juce::String label(spec.label);
        pieces.push_back({ spec.off, 153, 26, [label](Graphics& g) { tab(g, label, false); } });
        pieces.push_back({ spec.on, 153, 26, [label](Graphics& g) { tab(g, label, true); } });
    }
    pieces.push_back({ "EditPage/FileOff", 153, 26, [](Graphics& g) { fileButton(g, false); } });
    pieces.push_back({ "EditPage/FileOn", 153, 26, [](Graphics& g) { fileButton(g, true); } });

    pieces.push_back({ "CloseOff", 18, 18, [](Graphics& g) { windowButton(g, Glyph::close, false); } });
    pieces.push_back({ "CloseOn", 18, 18, [](Graphics& g) { windowButton(g, Glyph::close, true); } });
    pieces.push_back({ "MaximizeOff", 18, 18, [](Graphics& g) { windowButton(g, Glyph::maximise, false); } });
    pieces.push_back({ "MaximizeOn", 18, 18, [](Graphics& g) { windowButton(g, Glyph::maximise, true); } });
    pieces.push_back({ "MinimizeOff", 18, 18, [](Graphics& g) { windowButton(g, Glyph::minimise, false); } });
    pieces.push_back({ "MinimizeOn", 18, 18, [](Graphics& g) { windowButton(g, Glyph::minimise, true); } });

    pieces.push_back({ "EditPage/SaveAsOff", 70, 26, [](Graphics& g) { saveButton(g, false); } });
    pieces.push_back({ "EditPage/SaveAsOn", 70, 26, [](Graphics& g) { saveButton(g, true); } });

    pieces.push_back({ "EditPage/SignalChainDarkGreyBlock", 40, 40, [](Graphics& g) { chainBlock(g, false); } });
    pieces.push_back({ "EditPage/SignalChainLightGreyBlock", 40, 40, [](Graphics& g) { chainBlock(g, true); } });

    pieces.push_back({ "EditPage/EffectsSectionReadoutBox", 183, 30, [](Graphics& g) { readoutBox(g, 183.0f); } });
    pieces.push_back({ "EditPage/EffectsSectionReadoutBoxShort", 122, 30, [](Graphics& g) { readoutBox(g, 122.0f); } });
    pieces.push_back({ "EditPage/EffectsSectionReadoutBoxArrowLeftOff", 10, 13,
                       [](Graphics& g) { arrow(g, 10.0f, 13.0f, false, false); } });
    pieces.push_back({ "EditPage/EffectsSectionReadoutBoxArrowLeftOn", 10, 13,
                       [](Graphics& g) { arrow(g, 10.0f, 13.0f, false, true); } });
    pieces.push_back({ "EditPage/EffectsSectionReadoutBoxArrowRightOff", 10, 13,
                       [](Graphics& g) { arrow(g, 10.0f, 13.0f, true, false); } });
    pieces.push_back({ "EditPage/EffectsSectionReadoutBoxArrowRightOn", 10, 13,
                       [](Graphics& g) { arrow(g, 10.0f, 13.0f, true, true); } });
    pieces.push_back({ "EditPage/PresetArrowLeftOff", 12, 15, [](Graphics& g) { arrow(g, 12.0f, 15.0f, false, false); } });
    pieces.push_back({ "EditPage/PresetArrowLeftOn", 12, 15, [](Graphics& g) { arrow(g, 12.0f, 15.0f, false, true); } });
    pieces.push_back({ "EditPage/PresetArrowRightOff", 12, 15, [](Graphics& g) { arrow(g, 12.0f, 15.0f, true, false); } });
    pieces.push_back({ "EditPage/PresetArrowRightOn", 12, 15, [](Graphics& g) { arrow(g, 12.0f, 15.0f, true, true); } });

    pieces.push_back({ "EditPage/BrowserLineSeparationBar", 162, 24, [](Graphics& g) { browserBar(g, false); } });
    pieces.push_back({ "EditPage/BrowserSelectedBar", 162, 24, [](Graphics& g) { browserBar(g, true); } });

    pieces.push_back({ "Footswitches/NotAssignedBlock", 16, 16, [](Graphics& g) { ledBlock(g, Led::off); } });
    pieces.push_back({ "Footswitches/AssignedBlock", 16, 16, [](Graphics& g) { ledBlock(g, Led::red); } });
    pieces.push_back({ "Footswitches/InvertBlock", 16, 16, [](Graphics& g) { ledBlock(g, Led::amber); } });

    pieces.push_back({ "MIDICC/MinusOff", 10, 10, [](Graphics& g) { plusMinus(g, false, false); } });
    pieces.push_back({ "MIDICC/MinusOn", 10, 10, [](Graphics& g) { plusMinus(g, false, true); } });
    pieces.push_back({ "MIDICC/PlusOff", 10, 10, [](Graphics& g) { plusMinus(g, true, false); } });
    pieces.push_back({ "MIDICC/PlusOn", 10, 10, [](Graphics& g) { plusMinus(g, true, true); } });

    pieces.push_back({ "Cabinets/CabinetsLoadUserButtonOff", 62, 20, [](Graphics& g) { loadUserButton(g, false); } });
    pieces.push_back({ "Cabinets/CabinetsLoadUserButtonOn", 62, 20, [](Graphics& g) { loadUserButton(g, true); } });

    pieces.push_back({ "Backup/BackupOff", 68, 102, [](Graphics& g) { archiveButton(g, true, false); } });
    pieces.push_back({ "Backup/BackupOn", 68, 102, [](Graphics& g) { archiveButton(g, true, true); } });
    pieces.push_back({ "Backup/RestoreOff", 68, 102, [](Graphics& g) { archiveButton(g, false, false); } });
    pieces.push_back({ "Backup/RestoreOn", 68, 102, [](Graphics& g) { archiveButton(g, false, true); } });
}

} // namespace Artwork
