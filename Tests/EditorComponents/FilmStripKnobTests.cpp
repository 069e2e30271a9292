#include "GuiTestFixture.h"
#include "ParameterKnob.h"

#include <vector>

namespace
{

class FilmStripKnobTest : public GuiTest
{
protected:
    /** A 1-column strip whose frame k is filled with grey level k, so a snapshot tells which
        frame was drawn. */
    static juce::Image numberedStrip(int frames, int frameWidth, int frameHeight)
    {
        juce::Image strip(juce::Image::ARGB, frameWidth, frameHeight * frames, true);
        for (int k = 0; k < frames; ++k)
            strip.clear({ 0, k * frameHeight, frameWidth, frameHeight }, juce::Colour::greyLevel(float(k) / 255.0f));
        return strip;
    }

    static ParameterWidgetInfo knobInfo(double min, double max, double interval, double defaultValue)
    {
        ParameterWidgetInfo info;
        info.min = min;
        info.max = max;
        info.interval = interval;
        info.defaultValue = defaultValue;
        return info;
    }

    /** Presses at `from`, drags by dy pixels and releases. */
    static void drag(FilmStripKnob& knob, float dy, juce::ModifierKeys mods = {})
    {
        const juce::Point<float> from(20, 20);
        knob.mouseDown(mouseEvent(knob, from, from, 1, mods));
        knob.mouseDrag(mouseEvent(knob, from.translated(0, dy), from, 1, mods));
        knob.mouseUp(mouseEvent(knob, from.translated(0, dy), from, 1, mods));
    }
};

TEST_F(FilmStripKnobTest, ValuePicksTheNearestFrameOfTheStrip)
{
    FilmStripKnob knob;
    knob.setImage(numberedStrip(99, 4, 6), 1, 99, -1);
    EXPECT_EQ(knob.getFrameCount(), 99);
    knob.setRange(-12.0, 12.0, 0.5);

    struct Case
    {
        double value;
        int frame;
    };
    for (const auto& c : { Case { -12.0, 0 }, Case { 0.0, 49 }, Case { 12.0, 98 }, Case { 40.0, 98 }, Case { -99.0, 0 },
                           Case { -11.75, 1 } })
    {
        knob.setValue(c.value);
        EXPECT_EQ(knob.getFrameIndex(), c.frame) << "value " << c.value;
        EXPECT_EQ(knob.getFrameArea(), juce::Rectangle<int>(0, c.frame * 6, 4, 6));
        EXPECT_EQ(knob.getValue(), c.value); // kept as given, not clamped
    }

    // Halves go up: 1.5 frames into a 5-frame strip shows frame 2.
    knob.setImage(numberedStrip(5, 4, 6), 1, 5, -1);
    knob.setRange(0.0, 4.0, 0.5);
    knob.setValue(1.5);
    EXPECT_EQ(knob.getFrameIndex(), 2);

    // A grid of several columns walks along the rows.
    knob.setImage(numberedStrip(12, 12, 2), 3, 4, 10); // frames 3 x 4 wide/high, only 10 used
    knob.setRange(0.0, 9.0, 1.0);
    knob.setValue(7.0);
    EXPECT_EQ(knob.getFrameIndex(), 7);
    EXPECT_EQ(knob.getFrameArea(), juce::Rectangle<int>(4, 12, 4, 6));

    // An empty range cannot divide: it shows the first frame.
    knob.setRange(5.0, 5.0, 0.1);
    knob.setValue(5.0);
    EXPECT_EQ(knob.getFrameIndex(), 0);
}

TEST_F(FilmStripKnobTest, PaintDrawsTheChosenFrameScaledAndCentredOrADialWithoutFrames)
{
    FilmStripKnob knob;
    knob.setImage(numberedStrip(99, 10, 20), 1, 99, -1);
    knob.setRange(0.0, 98.0, 1.0);
    knob.setValue(60.0);
    knob.setBounds(0, 0, 30, 30); // taller frame: 15 x 30, centred
    const auto shot = knob.createComponentSnapshot(knob.getLocalBounds());
    EXPECT_TRUE(near(shot.getPixelAt(15, 15), juce::Colour::greyLevel(60.0f / 255.0f)));
    EXPECT_EQ(shot.getPixelAt(3, 15).getAlpha(), 0); // outside the 15-pixel-wide frame
    EXPECT_EQ(shot.getPixelAt(26, 15).getAlpha(), 0);

    // Without artwork, or with a grid of no columns or rows, there are no frames: a dial is drawn.
    knob.setImage({}, 1, 99, -1);
    knob.setImage(numberedStrip(4, 4, 4), 0, 0, -1);
    EXPECT_EQ(knob.getFrameCount(), 0);
    knob.setBounds(0, 0, 73, 78);
    const auto dial = knob.createComponentSnapshot(knob.getLocalBounds());
    int drawn = 0;
    for (int y = 0; y < dial.getHeight(); ++y)
        for (int x = 0; x < dial.getWidth(); ++x)
            drawn += dial.getPixelAt(x, y).getAlpha() > 0 ? 1 : 0;
    EXPECT_GT(drawn, 300);

    knob.setBounds(0, 0, 0, 0);
    knob.createComponentSnapshot({ 0, 0, 1, 1 }); // nothing to draw into: no crash
}

TEST_F(FilmStripKnobTest, DragSensitivityFollowsTheNumberOfSteps)
{
    FilmStripKnob knob;
    struct Case
    {
        double min, max, interval;
        int pixels, finePixels;
    };
    for (const auto& c : { Case { 0, 100, 0.01, 1000, 10000 }, Case { 0, 1, 0.01, 200, 1000 }, Case { 0, 1, 0.0, 200, 1000 },
                           Case { 0, 999, 1.0, 200, 1000 }, Case { 0, 1000, 1.0, 100, 1000 },
                           Case { 0, 10, 0.01, 100, 1000 } /* 999.999... in binary: still 1000 steps */,
                           Case { 0, 1, 1e-15, 2147483647, 2147483647 } /* too many steps for an int */ })
    {
        knob.setRange(c.min, c.max, c.interval);
        EXPECT_EQ(knob.getDragPixels(), c.pixels) << c.max << " / " << c.interval;
        EXPECT_EQ(knob.getFineDragPixels(), c.finePixels) << c.max << " / " << c.interval;
    }
}

TEST_F(FilmStripKnobTest, DraggingUpRaisesTheValueAndReportsEachStep)
{
    if (!hasDisplay())
        GTEST_SKIP() << "mouse events need an X display";

    FilmStripKnob knob;
    knob.setBounds(0, 0, 73, 78);
    knob.setImage(numberedStrip(99, 4, 4), 1, 99, -1);
    knob.setRange(0.0, 1.0, 0.01);
    std::vector<double> reported;
    knob.onValueChange = [&](double v) { reported.push_back(v); };

    knob.setValue(0.25);
    EXPECT_TRUE(reported.empty()); // pushed values are not reported

    drag(knob, -100.0f); // 100 of 200 pixels up: half the range
    ASSERT_EQ(reported.size(), 1u);
    EXPECT_DOUBLE_EQ(reported.back(), 0.75);
    EXPECT_DOUBLE_EQ(knob.getValue(), 0.75); // the knob moves at once
    EXPECT_EQ(knob.getFrameIndex(), 74);

    drag(knob, -400.0f); // further than the range allows
    EXPECT_DOUBLE_EQ(reported.back(), 1.0);
    drag(knob, 50.0f); // down lowers
    EXPECT_DOUBLE_EQ(reported.back(), 0.75);
    drag(knob, 500.0f, juce::ModifierKeys::shiftModifier); // fine: 500 of 1000 pixels
    EXPECT_DOUBLE_EQ(reported.back(), 0.25);
    drag(knob, 0.4f); // under half a pixel: no movement, still reported
    EXPECT_DOUBLE_EQ(reported.back(), 0.25);

    // Not snapped to the interval: the binder and the pedal handle the step.
    knob.setRange(0.0, 10.0, 1.0);
    knob.setValue(0.0);
    drag(knob, -3.0f);
    EXPECT_DOUBLE_EQ(reported.back(), 0.15);
}

TEST_F(FilmStripKnobTest, ParameterKnobTakesRangeAndDefaultNeverEchoesAndLeavesTheWheelToThePanel)
{
    struct Parent : juce::Component
    {
        void mouseWheelMove(const juce::MouseEvent&, const juce::MouseWheelDetails& wheel) override
        {
            deltas.push_back(wheel.deltaY);
        }
        std::vector<float> deltas;
    } parent;
    parent.setBounds(0, 0, 200, 200);
    ParameterKnob knob;
    parent.addAndMakeVisible(knob);
    knob.setBounds(10, 10, 73, 78);
    std::vector<double> reported;
    knob.onValueChanged = [&](const double& v) { reported.push_back(v); };

    auto gain = knobInfo(0.0, 10.0, 0.1, 5.0);
    knob.setParameterInfo(&gain);
    knob.setParameterValue(7.5);
    EXPECT_EQ(knob.getValue(), 7.5);
    knob.setParameterInfo(nullptr); // keeps range and default
    EXPECT_EQ(knob.getMaximum(), 10.0);

    // The wheel scrolls the panel behind instead of turning the knob.
    juce::MouseWheelDetails wheel {};
    wheel.deltaY = 0.25f;
    knob.mouseWheelMove(mouseEvent(knob, { 30, 30 }, { 30, 30 }), wheel);
    EXPECT_EQ(parent.deltas, std::vector<float> { 0.25f });
    EXPECT_EQ(knob.getValue(), 7.5);
    EXPECT_TRUE(reported.empty());

    // A double click shows and reports the default, even when it is already shown.
    knob.mouseDoubleClick(mouseEvent(knob, {}, {}, 2));
    knob.mouseDoubleClick(mouseEvent(knob, {}, {}, 2));
    EXPECT_EQ(reported, (std::vector<double> { 5.0, 5.0 }));
    EXPECT_EQ(knob.getValue(), 5.0);
}

} // namespace
