#pragma once

// Shared by the tests of the fixed-layout pages: a recorder that answers a page's menu in place
// of the modal pop-up.

#include "AppResources.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <vector>

/** Records each menu a page shows ("id text" per item, "---" per separator; items that are
    disabled or ticked are marked) and answers it with `choice`. */
struct MenuRecorder
{
    std::vector<juce::StringArray> menus;
    std::vector<juce::Component*> targets;
    int choice = 0;

    std::function<int(const juce::PopupMenu&, juce::Component*)> runner()
    {
        return [this](const juce::PopupMenu& menu, juce::Component* target) {
            juce::StringArray items;
            for (juce::PopupMenu::MenuItemIterator it(menu); it.next();)
            {
                const auto& item = it.getItem();
                if (item.isSeparator)
                    items.add("---");
                else
                    items.add(juce::String(item.itemID) + " " + item.text + (item.isEnabled ? "" : " (disabled)")
                              + (item.isTicked ? " (ticked)" : ""));
            }
            menus.push_back(items);
            targets.push_back(target);
            return choice;
        };
    }
};

/** The base menu the main component hands the page in front, shortened. */
inline juce::PopupMenu testBaseMenu()
{
    juce::PopupMenu base;
    base.addItem(100, "About...");
    base.addItem(103, "Quit");
    base.addSeparator();
    return base;
}
