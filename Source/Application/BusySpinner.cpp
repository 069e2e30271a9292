#include "BusySpinner.h"

void BusySpinner::step()
{
    if (!isShowing())
    {
        stopTimer();
        return;
    }
    phase = phase + 1 < numSpokes ? phase + 1 : 0;
    repaint();
}

void BusySpinner::paint(juce::Graphics& g)
{
    const int w = getWidth();
    const int h = getHeight();
    const float scale = float(juce::jmin(w, h) / 2);

    // Draw in a unit circle around the centre.
    g.addTransform(juce::AffineTransform::scale(scale).translated(float(w / 2), float(h / 2)));

    const float spokeAngle = -juce::MathConstants<float>::twoPi / float(numSpokes);
    for (int i = 0; i < numSpokes; ++i)
    {
        const float t = float(numSpokes - 1 - (phase + i) % numSpokes) / float(numSpokes - 1);
        juce::Graphics::ScopedSaveState saved(g);
        g.setColour(dimColour.interpolatedWith(brightColour, t));
        g.addTransform(juce::AffineTransform::rotation(float(i) * spokeAngle));
        g.fillRoundedRectangle(-thickness, -outerRadius, 2.0f * thickness, outerRadius - innerRadius, thickness);
    }

    if (isShowing() && !isTimerRunning())
        startTimer(intervalMs);
}
