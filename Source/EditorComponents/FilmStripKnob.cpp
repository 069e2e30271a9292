#include "FilmStripKnob.h"

#include <cmath>
#include <limits>

void FilmStripKnob::setImage(const juce::Image& image, int newColumns, int rows, int frames)
{
    filmStrip = image;
    // A grid without columns or rows has no frames; paint then falls back to the plain dial.
    const bool hasGrid = image.isValid() && newColumns > 0 && rows > 0;
    columns = hasGrid ? newColumns : 0;
    frameWidth = hasGrid ? image.getWidth() / newColumns : 0;
    frameHeight = hasGrid ? image.getHeight() / rows : 0;
    frameCount = !hasGrid ? 0 : frames >= 0 ? juce::jmin(frames, rows * newColumns) : rows * newColumns;
    setValue(value);
}

void FilmStripKnob::setRange(double newMin, double newMax, double newInterval)
{
    min = newMin;
    max = newMax;
    interval = newInterval;
    double steps = (max - min) / interval;
    // A step count is a whole number: 10 / 0.01 comes out a hair under 1000 in binary.
    if (const double whole = std::round(steps); std::abs(steps - whole) <= 1e-9 * juce::jmax(1.0, std::abs(whole)))
        steps = whole;
    if (interval > 0.0 && steps >= 1000.0)
    {
        // Long ranges get one pixel per ten steps (one per step with Shift), so that a single
        // step stays reachable by dragging.
        constexpr double largest = double(std::numeric_limits<int>::max());
        dragPixels = int(juce::jmin(steps / 10.0, largest));
        fineDragPixels = int(juce::jmin(steps, largest));
    }
    else
    {
        dragPixels = 200;
        fineDragPixels = 1000;
    }
    setValue(value);
}

void FilmStripKnob::setValue(double v)
{
    value = v;
    chooseFrame();
    repaint();
}

double FilmStripKnob::getNormalisedValue() const
{
    const double span = max - min;
    if (!(span != 0.0) || !std::isfinite(span))
        return 0.0;
    const double p = (value - min) / span;
    if (std::isnan(p))
        return 0.0;
    return juce::jlimit(0.0, 1.0, p);
}

void FilmStripKnob::chooseFrame()
{
    if (columns <= 0 || frameCount <= 0)
    {
        frameIndex = frameX = frameY = 0;
        return;
    }
    frameIndex = juce::jlimit(0, frameCount - 1, int((frameCount - 1) * getNormalisedValue() + 0.5));
    frameX = (frameIndex % columns) * frameWidth;
    frameY = (frameIndex / columns) * frameHeight;
}

void FilmStripKnob::paint(juce::Graphics& g)
{
    if (!filmStrip.isValid() || frameWidth <= 0 || frameHeight <= 0 || getWidth() <= 0)
    {
        paintWithoutImage(g);
        return;
    }

    const float frameAspect = float(frameHeight) / float(frameWidth);
    const float boxAspect = float(getHeight()) / float(getWidth());
    int drawWidth, drawHeight;
    if (frameAspect > boxAspect)
    {
        drawHeight = getHeight();
        drawWidth = int(float(getHeight()) / frameAspect);
    }
    else
    {
        drawWidth = getWidth();
        drawHeight = int(frameAspect * float(getWidth()));
    }
    g.setImageResamplingQuality(juce::Graphics::highResamplingQuality);
    g.drawImage(filmStrip, (getWidth() - drawWidth) / 2, (getHeight() - drawHeight) / 2, drawWidth, drawHeight,
                frameX, frameY, frameWidth, frameHeight, false);
}

void FilmStripKnob::paintWithoutImage(juce::Graphics& g)
{
    // The same dial as the artwork, in plain shapes: a 270-degree track, the lit part up to the
    // value and a pointer, in the upper part of the box where the film strips draw theirs.
    const auto bounds = getLocalBounds().toFloat();
    const float radius = juce::jmin(bounds.getWidth() * 0.3f, bounds.getHeight() * 0.28f);
    if (radius < 2.0f)
        return;
    const float cx = bounds.getCentreX();
    const float cy = bounds.getY() + bounds.getHeight() * 0.36f;
    constexpr float startAngle = -juce::MathConstants<float>::pi * 0.75f;
    constexpr float endAngle = juce::MathConstants<float>::pi * 0.75f;
    const float angle = startAngle + (endAngle - startAngle) * float(getNormalisedValue());
    const juce::PathStrokeType ring(radius * 0.12f, juce::PathStrokeType::curved, juce::PathStrokeType::rounded);

    juce::Path track;
    track.addCentredArc(cx, cy, radius, radius, 0.0f, startAngle, endAngle, true);
    g.setColour(juce::Colour(0xFF2A2C30));
    g.strokePath(track, ring);

    juce::Path lit;
    lit.addCentredArc(cx, cy, radius, radius, 0.0f, startAngle, angle, true);
    g.setColour(juce::Colour(0xFFD0B7BB));
    g.strokePath(lit, ring);

    const float cap = radius * 0.72f;
    g.setColour(juce::Colour(0xFF26282C));
    g.fillEllipse(cx - cap, cy - cap, 2.0f * cap, 2.0f * cap);
    g.setColour(juce::Colour(0x30FFFFFF));
    g.drawEllipse(cx - cap, cy - cap, 2.0f * cap, 2.0f * cap, 0.75f);
    const juce::Point<float> centre(cx, cy);
    g.setColour(juce::Colour(0xFFF4F4F4));
    g.drawLine({ centre.getPointOnCircumference(cap * 0.3f, angle), centre.getPointOnCircumference(cap - 1.0f, angle) },
               juce::jmax(1.0f, radius * 0.12f));
}

void FilmStripKnob::mouseDown(const juce::MouseEvent&)
{
    dragStartNorm = getNormalisedValue();
}

void FilmStripKnob::mouseDrag(const juce::MouseEvent& e)
{
    const int pixels = e.mods.isShiftDown() ? fineDragPixels : dragPixels;
    const double n = juce::jlimit(0.0, 1.0, dragStartNorm - double(e.getDistanceFromDragStartY()) / double(juce::jmax(1, pixels)));
    setValue(min + (max - min) * n);
    if (onValueChange)
        onValueChange(value);
}

void FilmStripKnob::mouseDoubleClick(const juce::MouseEvent&)
{
    if (onDoubleClick)
        onDoubleClick();
}
