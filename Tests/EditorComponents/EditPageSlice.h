#pragma once

// The part of the edit page's artwork behind one child, for screenshots of that child as the
// page shows it.

#include "AppResources.h"

#include <juce_gui_basics/juce_gui_basics.h>

struct EditPageSlice : juce::Component
{
    /** The slice whose top-left is (pageX, pageY) in the 1052 x 677 page. */
    EditPageSlice(int pageX, int pageY, int width, int height) : x(pageX), y(pageY) { setSize(width, height); }

    void paint(juce::Graphics& g) override
    {
        const auto background = getAppImage(AppImageID::editPageBackground);
        if (!background.isValid())
            return g.fillAll(juce::Colour(0xFF1E1F22));
        const auto scaleX = [&](int v) { return v * background.getWidth() / 1052; };
        const auto scaleY = [&](int v) { return v * background.getHeight() / 677; };
        g.drawImage(background, 0, 0, getWidth(), getHeight(), scaleX(x), scaleY(y), scaleX(getWidth()),
                    scaleY(getHeight()));
    }

    int x;
    int y;
};
