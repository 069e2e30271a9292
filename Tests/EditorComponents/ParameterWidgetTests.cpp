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

    auto hundredths = info(-20, 20, 0.01, "dB");
    label.setParameterInfo(&hundredths);
    label.setParameterValue(0.5);
    EXPECT_EQ(label.getText(), "0.50 dB");

    auto whole = info(0, 100, 1.0, "");
    label.setParameterInfo(&whole);
    label.setParameterValue(42.0);
    EXPECT_EQ(label.getText(), "42");
    auto coarse = info(0, 100, 5.0, "%");
    label.setParameterInfo(&coarse);
    label.setParameterValue(35.0);
    EXPECT_EQ(label.getText(), "35 %");

    auto fine = info(0, 1, 1e-12, "");
    label.setParameterInfo(&fine);
    label.setParameterValue(0.25);
    EXPECT_EQ(label.getText(), "0.250000000");
    EXPECT_EQ(label.getDecimals(), 9);

    auto zero = info(0, 1, 0.0, "Hz");
    label.setParameterInfo(&zero);
    EXPECT_EQ(label.getDecimals(), 9);

    label.setParameterInfo(nullptr);
    label.setParameterValue(3.25);
    EXPECT_EQ(label.getText(), "3.2"); // one decimal, no unit; the range stays
    EXPECT_EQ(label.getMaximum(), 1.0);

    EXPECT_TRUE(reported.empty()); // pushed values are never reported back
}

TEST_F(ParameterWidgetTest, TypedTextIsParsedAndClampedToTheRange)
{
    EditableLabel label;
    auto range = info(1, 10, 0.5, "");
    label.setParameterInfo(&range);
    std::vector<double> reported;
    label.onValueChanged = [&](const double& v) { reported.push_back(v); };

    label.setText("abc", juce::dontSendNotification);
    label.textWasEdited();
    label.setText("7.5 dB", juce::dontSendNotification);
    label.textWasEdited();
    label.setText("99", juce::dontSendNotification);
    label.textWasEdited();
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

TEST_F(ParameterWidgetTest, TextColourReachesTheInPlaceEditorColours)
{
    ParameterLabel label;
    const juce::Colour colour(0xFF959595);
    label.setTextColour(colour);
    EXPECT_EQ(label.findColour(juce::Label::textColourId), colour);
    EXPECT_EQ(label.findColour(juce::TextEditor::textColourId), colour);
    EXPECT_EQ(label.findColour(juce::TextEditor::focusedOutlineColourId), colour);
    EXPECT_EQ(label.findColour(juce::TextEditor::highlightedTextColourId), colour.contrasting(1.0f));
    EXPECT_EQ(label.findColour(juce::CaretComponent::caretColourId), colour.darker(0.4f));
    EXPECT_EQ(label.findColour(juce::TextEditor::backgroundColourId), juce::Colours::transparentBlack);
    EXPECT_TRUE(label.isEditableOnDoubleClick());
    EXPECT_FALSE(label.isEditableOnSingleClick());
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

    button.onClick = nullptr;
    button.mouseDown(mouseEvent(button, inside, inside));
    button.mouseUp(mouseEvent(button, inside, inside)); // empty callback skipped
}

TEST_F(ParameterWidgetTest, TextAlignmentMapsTheNineCellsAndCentresAnythingElse)
{
    SimpleTextButton button("X");
    const std::pair<std::pair<int, int>, int> cases[] = {
        { { -1, -1 }, 9 }, { { 0, -1 }, 12 }, { { 1, -1 }, 10 }, { { -1, 0 }, 33 }, { { 0, 0 }, 36 },
        { { 1, 0 }, 34 },  { { -1, 1 }, 17 }, { { 0, 1 }, 20 },  { { 1, 1 }, 18 },  { { 5, 5 }, 36 },
        { { 2, -1 }, 36 }, { { -2, 0 }, 36 },
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
    EXPECT_FALSE(label.normalImage.isValid());
    EXPECT_EQ(label.text, "WWWWWW");
}

} // namespace
