#include "Artwork.h"
#include "Palette.h"

// The two knob film strips: 99 frames stacked top to bottom, frame 0 at the minimum. The edit
// page's amp knobs are 83 x 83 with their value read-out over the bottom of the frame; the
// effect knobs are 73 x 78 with the read-out above and the caption over the bottom, so each
// knob sits in the top of its frame and leaves the rest clear.

namespace Artwork
{
namespace
{
using juce::Colour;
using juce::Graphics;

constexpr float startAngle = -juce::MathConstants<float>::pi * 0.75f;
constexpr float endAngle = juce::MathConstants<float>::pi * 0.75f;

struct DialGeometry
{
    float cx, cy;      // centre
    float arcRadius;   // value ring
    float bodyRadius;  // knob cap
    float ringWidth;
};

juce::Point<float> polar(const DialGeometry& d, float radius, float angle)
{
    return { d.cx + radius * std::sin(angle), d.cy - radius * std::cos(angle) };
}

void paintDial(Graphics& g, const DialGeometry& d, float position)
{
    const float angle = startAngle + (endAngle - startAngle) * position;

    // Track of the value ring.
    juce::Path track;
    track.addCentredArc(d.cx, d.cy, d.arcRadius, d.arcRadius, 0.0f, startAngle, endAngle, true);
    g.setColour(Colour(0xFF0D0E0F));
    g.strokePath(track, juce::PathStrokeType(d.ringWidth + 1.0f, juce::PathStrokeType::curved,
                                             juce::PathStrokeType::rounded));
    g.setColour(Colour(0xFF2A2C30));
    g.strokePath(track, juce::PathStrokeType(d.ringWidth, juce::PathStrokeType::curved,
                                             juce::PathStrokeType::rounded));

    // Lit part of the ring, with a glow.
    if (position > 0.0f)
    {
        juce::Path lit;
        lit.addCentredArc(d.cx, d.cy, d.arcRadius, d.arcRadius, 0.0f, startAngle, angle, true);
        g.setColour(Palette::accentGlow.withMultipliedAlpha(0.7f));
        g.strokePath(lit, juce::PathStrokeType(d.ringWidth + 2.0f, juce::PathStrokeType::curved,
                                               juce::PathStrokeType::rounded));
        g.setColour(Palette::accent);
        g.strokePath(lit, juce::PathStrokeType(d.ringWidth, juce::PathStrokeType::curved,
                                               juce::PathStrokeType::rounded));
    }

    // Cap: shadow, knurled skirt, machined face.
    const float r = d.bodyRadius;
    g.setColour(Colour(0x99000000));
    g.fillEllipse(d.cx - r - 0.5f, d.cy - r + 1.5f, 2.0f * r + 1.0f, 2.0f * r + 1.0f);
    g.setGradientFill(juce::ColourGradient(Colour(0xFF4A4C51), d.cx, d.cy - r, Colour(0xFF131416), d.cx, d.cy + r,
                                           false));
    g.fillEllipse(d.cx - r, d.cy - r, 2.0f * r, 2.0f * r);

    g.setColour(Colour(0x40000000));
    for (int i = 0; i < 36; ++i)
    {
        const float a = angle + juce::MathConstants<float>::twoPi * float(i) / 36.0f;
        const auto outer = polar(d, r - 0.4f, a);
        const auto inner = polar(d, r - 2.2f, a);
        g.drawLine({ inner, outer }, 0.5f);
    }

    const float face = r * 0.78f;
    g.setGradientFill(juce::ColourGradient(Colour(0xFF3C3E43), d.cx - face * 0.4f, d.cy - face * 0.6f,
                                           Colour(0xFF1D1E21), d.cx + face * 0.5f, d.cy + face, true));
    g.fillEllipse(d.cx - face, d.cy - face, 2.0f * face, 2.0f * face);
    g.setColour(Colour(0x24FFFFFF));
    g.drawEllipse(d.cx - face, d.cy - face, 2.0f * face, 2.0f * face, 0.5f);

    // Pointer.
    const auto tip = polar(d, face - 1.2f, angle);
    const auto tail = polar(d, face * 0.35f, angle);
    g.setColour(Colour(0xFFF4F4F4));
    g.drawLine({ tail, tip }, r * 0.14f);
}

DialGeometry mainDial()
{
    return { 41.5f, 31.0f, 28.0f, 21.0f, 2.6f };
}

DialGeometry fxDial()
{
    // Centred on the captions above and below it, 2.5 units left of the frame's middle.
    return { 34.0f, 27.0f, 22.0f, 16.0f, 2.2f };
}

} // namespace

void addDials(std::vector<Piece>& pieces)
{
    pieces.push_back({ "EditPage/TonecrestMainDialFilm", 83, 83, {}, 99,
                       [](Graphics& g, float position) { paintDial(g, mainDial(), position); } });
    pieces.push_back({ "EditPage/TonecrestFXDialsFilm", 73, 78, {}, 99,
                       [](Graphics& g, float position) { paintDial(g, fxDial(), position); } });
}

} // namespace Artwork
