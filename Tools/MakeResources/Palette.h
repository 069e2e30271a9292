#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// Colours, fonts and the few drawing habits every piece of artwork shares: dark matte panels,
// recessed fields, one red accent for whatever is lit.

namespace Palette
{

inline const juce::Colour pageTop { 0xFF1E1F22 };
inline const juce::Colour pageBottom { 0xFF151618 };
inline const juce::Colour titleBarTop { 0xFF101113 };
inline const juce::Colour titleBarBottom { 0xFF17181A };
inline const juce::Colour panelTop { 0xFF26272B };
inline const juce::Colour panelBottom { 0xFF202124 };
inline const juce::Colour panelEdge { 0xFF34363B };
inline const juce::Colour panelHighlight { 0x14FFFFFF };
inline const juce::Colour shadow { 0x66000000 };
inline const juce::Colour fieldFill { 0xFF0F1011 };
inline const juce::Colour fieldEdge { 0xFF2E3034 };
inline const juce::Colour stripe { 0x09FFFFFF };
inline const juce::Colour rule { 0xFF2D2F33 };
inline const juce::Colour legend { 0xFF6E7075 };
inline const juce::Colour text { 0xFF969696 };
inline const juce::Colour brightText { 0xFFDEDEDE };
inline const juce::Colour accent { 0xFFC4262E };
inline const juce::Colour accentDeep { 0xFF8B1515 };
inline const juce::Colour accentGlow { 0x55FF3B3B };
inline const juce::Colour amber { 0xFFE0A030 };
inline const juce::Colour unlitLed { 0xFF2A2B2F };

/** The sans-serif face baked into images; DejaVu where it is installed, the default otherwise. */
juce::Font font(float height, bool bold = false);

/** A raised matte panel with a soft drop shadow and a thin highlight on its top edge. */
void panel(juce::Graphics& g, juce::Rectangle<float> area, float corner = 4.0f);

/** A recessed field (read-outs, name fields): dark fill, inner shadow, lighter bottom lip. */
void field(juce::Graphics& g, juce::Rectangle<float> area, float corner = 3.0f);

/** Text with letter spacing, centred in `area`. */
void spacedText(juce::Graphics& g, const juce::String& text, juce::Rectangle<float> area, const juce::Font& font,
                float spacing, juce::Justification justification = juce::Justification::centred);

/** A horizontal rule across `area` leaving a gap of `gapWidth` around `gapCentreX`. */
void ruleWithGap(juce::Graphics& g, float x1, float x2, float y, float gapCentreX, float gapWidth);

/** The width the interface's own 14-point default font gives `text`, for leaving it room. */
float captionWidth(const juce::String& text, float height);

} // namespace Palette
