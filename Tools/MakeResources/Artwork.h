#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <vector>

// The artwork of the interface: one painter per pack entry, drawing in layout units (the
// pixels of the 1052 x 677 page). Every image is rendered at twice its layout size.

namespace Artwork
{

inline constexpr int renderScale = 2;

struct Piece
{
    const char* stem;  // the pack entry's name without "@2x.png"
    int width;         // layout units
    int height;
    std::function<void(juce::Graphics&)> paint;
    int frames = 1;    // film strips: frames stacked vertically, `height` is one frame
    std::function<void(juce::Graphics&, float position)> paintFrame = {};
};

/** Every piece the pack holds. */
std::vector<Piece> allPieces();

/** Renders a piece at renderScale. */
juce::Image render(const Piece& piece);

// The pieces, by family (each in its own source file).
void addPageBackgrounds(std::vector<Piece>& pieces);
void addControls(std::vector<Piece>& pieces);
void addDials(std::vector<Piece>& pieces);

/** The footswitch-grid lamp (16 x 16): also drawn into the footswitch page's legend. */
enum class Led
{
    off,
    red,
    amber
};
void ledBlock(juce::Graphics& g, Led led);

/** Page mock-ups for looking at the artwork in place (the pages lay their widgets out the same
    way); written by --png-dir only. */
std::vector<std::pair<juce::String, juce::Image>> renderMockups(const std::vector<Piece>& pieces);

} // namespace Artwork
