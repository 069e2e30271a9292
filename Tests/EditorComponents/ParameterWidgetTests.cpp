#include "GuiTestFixture.h"
#include "ParameterLabel.h"
#include "SimpleLabel.h"
#include "SimpleTextButton.h"

#include <vector>

namespace
{

class ParameterWidgetTest : public GuiTest
{
protected:
    static ParameterWidgetInfo info(double min, double max, double interval, const char* unit)
    {
        ParameterWidgetInfo result;
        result.min = min;
        result.max = max;
        result.interval = interval;
        result.unit = unit;
        return result;
    }
};

// Exposes the label's edit hook, which JUCE calls when the in-place editor is confirmed.
struct EditableLabel : ParameterLabel
{
    using ParameterLabel::textWasEdited;
};

TEST_F(ParameterWidgetTest, LabelFormatsWithDecimalsFromTheIntervalAndTheUnit)
{
    ParameterLabel label;
    std::vector<double> reported;
    label.onValueChanged = [&](const double& v) { reported.push_back(v); };

    // Decimals from the interval, clamped to 0..9; a zero interval counts as the finest.
    const struct
    {
        double interval;
        const char* unit;
        double value;
        const char* text;
    } cases[] = { { 0.01, "dB", 0.5, "0.50 dB" }, { 1.0, "", 42.0, "42" }, { 5.0, "%", 35.0, "35 %" },
                  { 1e-12, "", 0.25, "0.250000000" }, { 0.0, "Hz", 0.5, "0.500000000 Hz" } };
    for (const auto& c : cases)
    {
        const auto range = info(0, 1, c.interval, c.unit);
        label.setParameterInfo(&range);
        label.setParameterValue(c.value);
        EXPECT_EQ(label.getText(), c.text) << c.interval;
    }

    label.setParameterInfo(nullptr);
    label.setParameterValue(3.25);
    EXPECT_EQ(label.getText(), "3.2"); // one decimal, no unit; the range stays
    EXPECT_EQ(label.getMaximum(), 1.0);

    EXPECT_TRUE(reported.empty()); // pushed values are never reported back
}

TEST_F(ParameterWidgetTest, TypedTextIsParsedAndClampedToTheRangeInAnEditorOfTheLabelsColour)
{
    EditableLabel label;
    EXPECT_TRUE(label.isEditableOnDoubleClick());
    label.setTextColour(juce::Colour(0xFF959595));
    EXPECT_EQ(label.findColour(juce::TextEditor::textColourId), juce::Colour(0xFF959595));
    auto range = info(1, 10, 0.5, "");
    label.setParameterInfo(&range);
    std::vector<double> reported;
    label.onValueChanged = [&](const double& v) { reported.push_back(v); };

    for (const char* typed : { "abc", "7.5 dB", "99" })
    {
        label.setText(typed, juce::dontSendNotification);
        label.textWasEdited();
    }
    EXPECT_EQ(reported, (std::vector<double> { 1.0, 7.5, 10.0 }));

    label.onValueChanged = nullptr;
    label.textWasEdited(); // no callback: nothing happens
}

TEST_F(ParameterWidgetTest, DragStepsOneIntervalPerThreePixelsWhenEnabled)
{
    if (!hasDisplay())
        GTEST_SKIP() << "mouse events need an X display";

    ParameterLabel label;
    label.setBounds(0, 0, 60, 27);
    auto range = info(0, 10, 0.5, "");
    label.setParameterInfo(&range);
    label.setParameterValue(5.0);
    std::vector<double> reported;
    label.onValueChanged = [&](const double& v) { reported.push_back(v); };

    const juce::Point<float> start(30, 10);
    auto drag = [&](float dy) {
        label.mouseDown(mouseEvent(label, start, start));
        label.mouseDrag(mouseEvent(label, start.translated(0, dy), start));
        static_cast<juce::Component&>(label).mouseUp(mouseEvent(label, start.translated(0, dy), start));
    };

    drag(7.0f);
    EXPECT_TRUE(reported.empty()); // not drag-enabled

    label.dragEnabled = true;
    drag(7.0f);   // down 7: two steps lower
    drag(2.0f);   // less than a step: unchanged
    drag(-7.0f);  // up 7: two steps higher
    drag(-300.0f); // clamped
    EXPECT_EQ(reported, (std::vector<double> { 4.0, 5.0, 6.0, 10.0 }));
    EXPECT_EQ(label.getText(), "5.0"); // the text waits for the owner
}

TEST_F(ParameterWidgetTest, ButtonClicksOnReleaseWhereverTheMouseIs)
{
    if (!hasDisplay())
        GTEST_SKIP() << "mouse events need an X display";

    SimpleImageButton button({}, {});
    button.setBounds(0, 0, 40, 20);
    int clicks = 0, doubleClicks = 0;
    button.onClick = [&] { ++clicks; };
    button.onDoubleClick = [&] { ++doubleClicks; };

    const juce::Point<float> inside(10, 10), outside(300, -50);
    button.mouseUp(mouseEvent(button, inside, inside)); // no press first: nothing
    EXPECT_EQ(clicks, 0);

    button.mouseDown(mouseEvent(button, inside, inside));
    EXPECT_TRUE(button.pressed);
    EXPECT_TRUE(button.isLit());
    button.mouseUp(mouseEvent(button, outside, inside));
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(button.pressed);

    button.mouseDoubleClick(mouseEvent(button, inside, inside, 2));
    EXPECT_EQ(doubleClicks, 1);

    button.onClick = nullptr; // an empty callback is skipped
    button.mouseDown(mouseEvent(button, inside, inside));
    button.mouseUp(mouseEvent(button, inside, inside));
}

TEST_F(ParameterWidgetTest, TextAlignmentMapsTheNineCellsAndCentresAnythingElse)
{
    SimpleTextButton button("X");
    using J = juce::Justification;
    const std::pair<std::pair<int, int>, int> cases[] = {
        { { -1, -1 }, J::topLeft },     { { 1, 0 }, J::centredRight }, { { 0, 1 }, J::centredBottom },
        { { 1, 1 }, J::bottomRight },   { { 2, -1 }, J::centred },     { { -2, 0 }, J::centred },
    };
    for (const auto& [alignment, expected] : cases)
    {
        button.setTextAlignment(alignment.first, alignment.second);
        EXPECT_EQ(button.justification, expected) << alignment.first << "," << alignment.second;
    }
}

TEST_F(ParameterWidgetTest, ButtonDrawsTheLitImageAndTextWhenLatchedOrPressed)
{
    juce::Image red(juce::Image::ARGB, 8, 4, true), green(juce::Image::ARGB, 8, 4, true);
    red.clear(red.getBounds(), juce::Colours::red);
    green.clear(green.getBounds(), juce::Colours::green);

    SimpleImageButton button(red, green);
    button.setBounds(0, 0, 40, 20);
    auto centre = [&] { return button.createComponentSnapshot(button.getLocalBounds()).getPixelAt(20, 10); };

    EXPECT_EQ(centre(), juce::Colours::red);
    button.latched = true;
    EXPECT_EQ(centre(), juce::Colours::green);
    button.latched = false;
    button.pressed = true;
    EXPECT_EQ(centre(), juce::Colours::green);
    button.highlightWhenPressed = false;
    EXPECT_EQ(centre(), juce::Colours::red);

    // Fill-and-crop: a wide image in a square keeps its height and fills every pixel.
    SimpleImageButton square(red, green);
    square.setBounds(0, 0, 20, 20);
    const auto shot = square.createComponentSnapshot(square.getLocalBounds());
    EXPECT_TRUE(near(shot.getPixelAt(0, 0), juce::Colours::red));
    EXPECT_TRUE(near(shot.getPixelAt(19, 19), juce::Colours::red));

    // Text: the lit colour while lit.
    SimpleLabel label("WWWWWW");
    label.font = juce::Font(18.0f, juce::Font::bold);
    label.textColour = juce::Colours::blue;
    label.litTextColour = juce::Colours::yellow;
    label.setBounds(0, 0, 120, 30);
    auto hasColour = [&](juce::Colour colour) {
        const auto image = label.createComponentSnapshot(label.getLocalBounds());
        for (int y = 0; y < image.getHeight(); ++y)
            for (int x = 0; x < image.getWidth(); ++x)
                if (image.getPixelAt(x, y) == colour)
                    return true;
        return false;
    };
    EXPECT_TRUE(hasColour(juce::Colours::blue));
    EXPECT_FALSE(hasColour(juce::Colours::yellow));
    label.latched = true;
    EXPECT_TRUE(hasColour(juce::Colours::yellow));
}

} // namespace
