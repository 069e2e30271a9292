#pragma once

// For tests of JUCE components: a fixture that brings up JUCE's GUI side (message manager,
// desktop) for each test, mouse events made by hand, and screenshots written where a person can
// look at them. Header-only: only the test programs that link the UI library include it.

#include <juce_gui_basics/juce_gui_basics.h>

#include <gtest/gtest.h>

#include <cstdlib>

class GuiTest : public ::testing::Test
{
protected:
    /** Components on the desktop and real mouse sources need an X display (Xvfb in CI). */
    static bool hasDisplay() { return std::getenv("DISPLAY") != nullptr; }

    static juce::MouseEvent mouseEvent(juce::Component& component, juce::Point<float> position,
                                       juce::Point<float> downPosition, int clicks = 1,
                                       juce::ModifierKeys modifiers = {})
    {
        const auto now = juce::Time::getCurrentTime();
        return juce::MouseEvent(juce::Desktop::getInstance().getMainMouseSource(), position, modifiers,
                                juce::MouseInputSource::defaultPressure, juce::MouseInputSource::defaultOrientation,
                                juce::MouseInputSource::defaultRotation, juce::MouseInputSource::defaultTiltX,
                                juce::MouseInputSource::defaultTiltY, &component, &component, now, downPosition, now,
                                clicks, position != downPosition);
    }

    /** Writes a PNG into $TONECREST_SCREENSHOT_DIR (or the temp folder) and returns it. */
    static juce::File writeScreenshot(const juce::Image& image, const juce::String& name)
    {
        const char* folder = std::getenv("TONECREST_SCREENSHOT_DIR");
        const auto dir = folder != nullptr ? juce::File(juce::String::fromUTF8(folder))
                                           : juce::File::getSpecialLocation(juce::File::tempDirectory)
                                                 .getChildFile("tonecrest-screenshots");
        dir.createDirectory();
        const auto file = dir.getChildFile(name);
        file.deleteFile();
        juce::FileOutputStream out(file);
        juce::PNGImageFormat png;
        if (!out.openedOk() || !png.writeImageToStream(image, out))
            return {};
        return file;
    }

    /** True when the two colours differ by at most `tolerance` in every channel. */
    static bool near(juce::Colour a, juce::Colour b, int tolerance = 3)
    {
        return std::abs(a.getRed() - b.getRed()) <= tolerance && std::abs(a.getGreen() - b.getGreen()) <= tolerance
            && std::abs(a.getBlue() - b.getBlue()) <= tolerance && std::abs(a.getAlpha() - b.getAlpha()) <= tolerance;
    }

private:
    juce::ScopedJuceInitialiser_GUI gui;
};
