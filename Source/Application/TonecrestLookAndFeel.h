#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** The program's one look-and-feel, installed as the default for the whole run. Nearly every
    widget draws itself from the pack images, so this only restyles progress bars, the title
    bars of dialog windows and tab buttons; everything else is the base class's. Message
    thread only, like all drawing. */
class TonecrestLookAndFeel : public juce::LookAndFeel_V3
{
public:
    /** The colour id a tab button looks up on itself (so a parent can override it). */
    static constexpr int tabColourId = 0x2340000;

    TonecrestLookAndFeel();

    void drawProgressBar(juce::Graphics& g, juce::ProgressBar& bar, int width, int height, double progress,
                         const juce::String& text) override;
    void drawDocumentWindowTitleBar(juce::DocumentWindow& window, juce::Graphics& g, int w, int h, int titleSpaceX,
                                    int titleSpaceW, const juce::Image* icon, bool drawTitleTextOnLeft) override;
    int getTabButtonBestWidth(juce::TabBarButton& button, int tabDepth) override;
    void drawTabButton(juce::TabBarButton& button, juce::Graphics& g, bool isMouseOver, bool isMouseDown) override;
    void drawTabAreaBehindFrontButton(juce::TabbedButtonBar& bar, juce::Graphics& g, int w, int h) override;
};
