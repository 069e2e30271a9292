#pragma once

#include "iMainComponent.h"

/** Stands in for a page whose own widgets are not there yet: an empty, transparent page through
    which the main component's page background shows, with no menu items of its own. */
class PlaceholderPage : public iMainComponent
{
public:
    explicit PlaceholderPage(const juce::String& pageName)
    {
        setName(pageName);
        setInterceptsMouseClicks(false, false);
    }

    int showMenu(juce::Component* target, juce::PopupMenu baseMenu) override { return showMenuAt(target, baseMenu); }
};
