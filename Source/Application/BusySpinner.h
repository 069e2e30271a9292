#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** Twelve spokes that brighten in turn while something is busy. It animates only while it is
    showing: the first paint after being shown starts its timer, and the first tick after it was
    hidden stops it, so a hidden spinner costs nothing. Message thread only. */
class BusySpinner : public juce::Component, private juce::Timer
{
public:
    BusySpinner() = default;

    void paint(juce::Graphics& g) override;

    /** One animation step, as the timer takes it: stops the timer when not showing, otherwise
        moves to the next spoke and repaints. */
    void step();

    int getPhase() const { return phase; }
    bool isAnimating() const { return isTimerRunning(); }

private:
    void timerCallback() override { step(); }

    int phase = 0;
    juce::Colour dimColour = juce::Colour(0xFF555555).withAlpha(0.7f);
    juce::Colour brightColour = juce::Colour(0xFFD3D3D3).withAlpha(0.7f);
    int numSpokes = 12;
    float innerRadius = 0.45f;
    float outerRadius = 0.95f;
    float thickness = 0.1f;
    int intervalMs = 100;
};
