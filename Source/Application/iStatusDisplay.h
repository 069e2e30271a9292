#pragma once

#include <juce_core/juce_core.h>

/** A place that shows the editor service's state to the user: a status line (red when it is an
    error), a busy spinner, a progress value, and whether the display is shown at all. The edit
    page drives every implementation the same way on each state change; message thread only. */
class iStatusDisplay
{
public:
    virtual ~iStatusDisplay() = default;

    virtual void setStatusText(const juce::String& text, bool isError) = 0;
    virtual void setBusy(bool busy) = 0;
    virtual void setShown(bool shown) = 0;
    /** 0 to 1 shows a progress bar at that value; a negative value hides it. */
    virtual void setProgress(double progress) = 0;
};
