#pragma once

// Shared by the widget, panel and page tests: the artwork pack the build drew, a parameter's
// description turned into what a widget is told when it is bound (as the edit page does), and
// a recorder that answers a page's menu in place of the modal pop-up.

#include "AppResources.h"
#include "iParameterWidget.h"
#include "ResourceFileLocator.h"
#include "TonecrestParamMap.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <cstdlib>
#include <functional>
#include <vector>

/** The resources.bin of this build: $TONECREST_RESOURCES_BIN, else where the build puts it
    (Source/Application beside the Tests folder of the build tree). */
inline juce::File findBuiltResourcePack()
{
#ifdef TONECREST_RESOURCES_BIN
    return juce::File(TONECREST_RESOURCES_BIN);
#else
    if (const char* path = std::getenv("TONECREST_RESOURCES_BIN"))
        return juce::File(juce::String::fromUTF8(path));
    const auto executable = juce::File::getSpecialLocation(juce::File::currentExecutableFile);
    return executable.getParentDirectory().getParentDirectory().getChildFile("Source/Application/resources.bin");
#endif
}

/** Loads the built pack for one test and releases it after; loaded() is false without a pack. */
class ScopedBuiltArtwork
{
public:
    ScopedBuiltArtwork()
    {
        const auto pack = findBuiltResourcePack();
        ok = pack.existsAsFile() && initAppResources(openResourcePackReader(pack));
    }
    ~ScopedBuiltArtwork() { shutdownAppResources(); }
    bool loaded() const { return ok; }

private:
    bool ok = false;
};

/** What the binder hands a widget for this parameter, less the unit (the page's own binding is
    tested for that). */
inline ParameterWidgetInfo widgetInfoFor(const Tonecrest::TonecrestParamMap::ParameterInfo& parameter)
{
    ParameterWidgetInfo info;
    info.name = juce::String::fromUTF8(parameter.name.c_str());
    info.min = parameter.minimum.value;
    info.max = parameter.maximum.value;
    info.defaultValue = parameter.defaultValue.value;
    info.interval = parameter.stepSize;
    for (const auto& named : parameter.values)
        info.values.push_back({ juce::String::fromUTF8(named.name.c_str()), named.value.value });
    info.widgetCode = uint32_t(parameter.widget);
    info.isBoolean = parameter.kind == Tonecrest::TonecrestParamMap::kTypeBoolean;
    return info;
}

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
