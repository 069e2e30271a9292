#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

/** A rotary control drawn from a film strip: one image holding every position of the knob as a
    grid of equal frames, frame 0 at the minimum. Dragging up raises the value (the whole range
    over dragPixels, or fineDragPixels with Shift); the value is continuous, not snapped to the
    interval. The mouse wheel is left to the parent, so a panel in a viewport scrolls over its
    knobs. Without an image it draws a plain arc-and-pointer dial. Message thread only. */
class FilmStripKnob : public virtual juce::Component
{
public:
    FilmStripKnob() = default;

    /** Cuts `image` into columns x rows frames, of which the first `frames` are used (all of
        them when frames is negative), and re-shows the current value. */
    void setImage(const juce::Image& image, int columns, int rows, int frames);

    /** Sets the range and the drag sensitivity (finer for ranges of 1000 steps or more) and
        re-shows the current value. */
    void setRange(double newMin, double newMax, double newInterval);

    /** Shows `v` (kept as given, not clamped) without calling onValueChange. */
    void setValue(double v);

    double getValue() const { return value; }
    double getMinimum() const { return min; }
    double getMaximum() const { return max; }
    double getInterval() const { return interval; }
    int getDragPixels() const { return dragPixels; }
    int getFineDragPixels() const { return fineDragPixels; }
    int getFrameCount() const { return frameCount; }
    /** The frame now shown, counted from 0 along the grid's rows. */
    int getFrameIndex() const { return frameIndex; }
    juce::Rectangle<int> getFrameArea() const { return { frameX, frameY, frameWidth, frameHeight }; }

    /** Position of the value in the range, 0..1 (0 for an empty range). */
    double getNormalisedValue() const;

    void paint(juce::Graphics& g) override;
    void mouseDown(const juce::MouseEvent& e) override;
    void mouseDrag(const juce::MouseEvent& e) override;
    void mouseDoubleClick(const juce::MouseEvent& e) override;

    /** Called with the new value after each drag step; skipped while empty. */
    std::function<void(double)> onValueChange;
    std::function<void()> onDoubleClick;

private:
    void chooseFrame();
    void paintWithoutImage(juce::Graphics& g);

    juce::Image filmStrip;
    double value = 0.0;
    double dragStartNorm = 0.0;
    int dragPixels = 200;
    int fineDragPixels = 1000;
    double min = 0.0;
    double max = 1.0;
    double interval = 0.01;
    int columns = 0;
    int frameCount = 0;
    int frameWidth = 0;
    int frameHeight = 0;
    int frameX = 0;
    int frameY = 0;
    int frameIndex = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(FilmStripKnob)
};
