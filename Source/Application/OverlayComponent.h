#pragma once

#include "BusySpinner.h"
#include "iStatusDisplay.h"

#include <juce_gui_basics/juce_gui_basics.h>

/** The translucent layer over the whole page while the editor is busy or in error: a dark box
    with the status text's first line as title and the rest as detail, a progress bar and a
    spinner. While shown it takes the clicks and the keyboard focus meant for the page beneath.
    Message thread only. */
class OverlayComponent : public juce::Component, public virtual iStatusDisplay
{
public:
    OverlayComponent();

    void paint(juce::Graphics& g) override;
    void resized() override;

    void setStatusText(const juce::String& text, bool isError) override;
    void setBusy(bool busy) override;
    void setShown(bool shown) override;
    void setProgress(double newProgress) override;

    const juce::String& getTitle() const { return title; }
    const juce::String& getDetail() const { return detail; }
    const BusySpinner& getSpinner() const { return spinner; }
    const juce::ProgressBar& getProgressBar() const { return progressBar; }
    double getProgress() const { return progress; }

private:
    BusySpinner spinner;
    juce::String title;
    juce::String detail;
    // Declared before the bar, which reads the value it is bound to as it is made.
    double progress = -1.0;
    juce::ProgressBar progressBar { progress };
    int boxWidth = 400;
    int progressBarWidth = 300;
    int progressBarHeight = 10;
    int boxHeight = 200;
    int titleOffset = 50;
    int spinnerSize = 48;
    bool focusPending = false;
    float titleFontHeight = 24.0f;
    float detailFontHeight = 12.0f;
};
