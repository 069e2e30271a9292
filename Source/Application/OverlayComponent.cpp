#include "OverlayComponent.h"

OverlayComponent::OverlayComponent()
{
    progressBar.setColour(juce::ProgressBar::backgroundColourId, juce::Colour(0xFF222222));
    progressBar.setColour(juce::ProgressBar::foregroundColourId, juce::Colour(0xFF555555));
    progressBar.setPercentageDisplay(false);
    addAndMakeVisible(spinner);
    setWantsKeyboardFocus(true);
    addAndMakeVisible(progressBar);
    setProgress(-1.0);
}

void OverlayComponent::paint(juce::Graphics& g)
{
    const int w = getWidth();
    const int h = getHeight();

    g.fillAll(juce::Colour(0xBB333333));

    const juce::Rectangle<int> box(w / 2 - boxWidth / 2, h / 2 - boxHeight / 2, boxWidth, boxHeight);
    g.setColour(juce::Colour(0xBB000000));
    g.fillRoundedRectangle(box.toFloat(), 32.0f);

    const auto titleArea = box.translated(0, -titleOffset);
    g.setColour(juce::Colours::white);
    g.setFont(titleFontHeight);
    g.drawFittedText(title, titleArea, juce::Justification::centred, 2, 0.7f);

    g.setFont(detailFontHeight);
    g.drawFittedText(detail, titleArea.translated(0, 35), juce::Justification::centred, 2, 0.7f);

    if (focusPending)
    {
        focusPending = false;
        grabKeyboardFocus();
    }
}

void OverlayComponent::resized()
{
    const int w = getWidth();
    const int h = getHeight();
    const int spinnerY = titleOffset / 2 + h / 2 - spinnerSize / 2;
    spinner.setBounds(w / 2 - spinnerSize / 2, spinnerY, spinnerSize, spinnerSize);
    progressBar.setBounds(w / 2 - progressBarWidth / 2, spinnerY - 15 - progressBarHeight, progressBarWidth,
                          progressBarHeight);
}

void OverlayComponent::setStatusText(const juce::String& text, bool)
{
    title = text.upToFirstOccurrenceOf("\n", false, false);
    detail = text.fromFirstOccurrenceOf("\n", false, false);
    repaint();
}

void OverlayComponent::setBusy(bool busy)
{
    spinner.setVisible(busy);
}

void OverlayComponent::setShown(bool shown)
{
    if (shown)
        focusPending = true;
    setVisible(shown);
}

void OverlayComponent::setProgress(double newProgress)
{
    progressBar.setVisible(newProgress >= 0.0);
    progress = newProgress;
}
