#include "Palette.h"

namespace Palette
{

juce::Font font(float height, bool bold)
{
    static const bool hasDejaVu = juce::Font::findAllTypefaceNames().contains("DejaVu Sans");
    const int style = bold ? juce::Font::bold : juce::Font::plain;
    if (hasDejaVu)
        return juce::Font("DejaVu Sans", height, style);
    return juce::Font(height, style);
}

void panel(juce::Graphics& g, juce::Rectangle<float> area, float corner)
{
    g.setColour(shadow);
    g.fillRoundedRectangle(area.translated(0.0f, 1.5f).expanded(0.5f), corner + 0.5f);

    g.setGradientFill(juce::ColourGradient::vertical(panelTop, area.getY(), panelBottom, area.getBottom()));
    g.fillRoundedRectangle(area, corner);

    g.setColour(panelEdge);
    g.drawRoundedRectangle(area.reduced(0.25f), corner, 0.5f);

    g.setColour(panelHighlight);
    g.drawHorizontalLine(int(area.getY() + 1.0f), area.getX() + corner, area.getRight() - corner);
}

void field(juce::Graphics& g, juce::Rectangle<float> area, float corner)
{
    g.setColour(juce::Colour(0x22FFFFFF));
    g.fillRoundedRectangle(area.translated(0.0f, 0.5f), corner);

    g.setColour(fieldFill);
    g.fillRoundedRectangle(area, corner);

    // Inner shadow along the top edge.
    juce::Graphics::ScopedSaveState saved(g);
    juce::Path clip;
    clip.addRoundedRectangle(area, corner);
    g.reduceClipRegion(clip);
    g.setGradientFill(juce::ColourGradient::vertical(juce::Colour(0x90000000), area.getY(),
                                                     juce::Colours::transparentBlack, area.getY() + 4.0f));
    g.fillRect(area.withHeight(4.0f));

    g.setColour(fieldEdge);
    g.drawRoundedRectangle(area.reduced(0.25f), corner, 0.5f);
}

void spacedText(juce::Graphics& g, const juce::String& text, juce::Rectangle<float> area, const juce::Font& font,
                float spacing, juce::Justification justification)
{
    juce::GlyphArrangement glyphs;
    glyphs.addLineOfText(font, text, 0.0f, 0.0f);
    for (int i = 0; i < glyphs.getNumGlyphs(); ++i)
        glyphs.moveRangeOfGlyphs(i, 1, spacing * float(i), 0.0f);
    glyphs.justifyGlyphs(0, glyphs.getNumGlyphs(), area.getX(), area.getY(), area.getWidth(), area.getHeight(),
                         justification);
    glyphs.draw(g);
}

void ruleWithGap(juce::Graphics& g, float x1, float x2, float y, float gapCentreX, float gapWidth)
{
    const float gapLeft = gapCentreX - gapWidth * 0.5f;
    const float gapRight = gapCentreX + gapWidth * 0.5f;
    g.setColour(rule);
    if (gapLeft > x1)
        g.fillRect(juce::Rectangle<float>(x1, y, gapLeft - x1, 1.0f));
    if (x2 > gapRight)
        g.fillRect(juce::Rectangle<float>(gapRight, y, x2 - gapRight, 1.0f));
    g.setColour(juce::Colour(0x0CFFFFFF));
    if (gapLeft > x1)
        g.fillRect(juce::Rectangle<float>(x1, y + 1.0f, gapLeft - x1, 0.5f));
    if (x2 > gapRight)
        g.fillRect(juce::Rectangle<float>(gapRight, y + 1.0f, x2 - gapRight, 0.5f));
}

float captionWidth(const juce::String& text, float height)
{
    return juce::Font(height).getStringWidthFloat(text);
}

} // namespace Palette
