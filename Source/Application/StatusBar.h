#pragma once

#include "BusySpinner.h"
#include "iStatusDisplay.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

/** The one-line status display in the top-left corner of the window: a spinner while busy and
    the first line of the status text, red for errors. It has no progress bar. Message thread
    only. */
class StatusBar : public juce::Component, public virtual iStatusDisplay
{
public:
    StatusBar();

    void resized() override;

    void setStatusText(const juce::String& text, bool isError) override;
    void setBusy(bool busy) override;
    void setShown(bool shown) override;
    void setProgress(double progress) override;

    const BusySpinner& getSpinner() const { return *spinner; }
    const juce::Label& getLabel() const { return *label; }

private:
    std::unique_ptr<BusySpinner> spinner;
    std::unique_ptr<juce::Label> label;
};
