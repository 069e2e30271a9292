#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** One of the six pages of the main window. The main menu is shared: the page in front gets the
    base menu, adds its own items after it and handles them, and hands every other choice back
    to the main component. Message thread only. */
class iMainComponent : public juce::Component
{
public:
    /** Shows a copy of `baseMenu` followed by the page's own items (ids 1 to 99), modally, at
        `target` (at the mouse when null); acts on the page's own ids and returns the chosen id,
        0 when the menu was dismissed. */
    virtual int showMenu(juce::Component* target, juce::PopupMenu baseMenu) = 0;

protected:
    /** The modal show every page ends its showMenu with. */
    static int showMenuAt(juce::Component* target, juce::PopupMenu menu)
    {
        return target != nullptr ? menu.showAt(target) : menu.show();
    }
};
