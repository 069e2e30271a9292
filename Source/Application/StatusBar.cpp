#include "StatusBar.h"

namespace
{
const juce::Colour errorTextColour = juce::Colour::fromRGB(200, 60, 60).withAlpha(0.7f);
const juce::Colour plainTextColour = juce::Colour(0xFFD3D3D3).withAlpha(0.7f);
} // namespace

StatusBar::StatusBar() : spinner(std::make_unique<BusySpinner>()), label(std::make_unique<juce::Label>())
{
    addAndMakeVisible(*spinner);
    addAndMakeVisible(*label);
    setBusy(false);
    setStatusText({}, false);
    resized();
}

void StatusBar::resized()
{
    const int h = getHeight();
    spinner->setBounds(0, 0, h, h);
    label->setBounds(h, 0, getWidth() - h, h);
}

void StatusBar::setStatusText(const juce::String& text, bool isError)
{
    label->setColour(juce::Label::textColourId, isError ? errorTextColour : plainTextColour);
    label->setText(text.upToFirstOccurrenceOf("\n", false, false), juce::dontSendNotification);
}

void StatusBar::setBusy(bool busy)
{
    spinner->setVisible(busy);
}

void StatusBar::setShown(bool shown)
{
    setVisible(shown);
}

void StatusBar::setProgress(double)
{
}
