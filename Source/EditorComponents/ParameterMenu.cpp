#include "ParameterMenu.h"

#include <cmath>

ParameterMenu::ParameterMenu()
{
    onClick = [this](juce::Component* target) { showChoices(target); };
}

void ParameterMenu::setParameterInfo(const ParameterWidgetInfo* info)
{
    items.clear();
    if (info == nullptr)
        return;
    for (const auto& named : info->values)
        items.push_back({ named.name, named.value });
}

void ParameterMenu::setParameterValue(const double& newValue)
{
    selectedIndex = -1;
    if (items.empty())
    {
        text = {};
        repaint();
        return;
    }
    int best = 0;
    double bestDistance = std::abs(newValue - items[0].value);
    for (int i = 1; i < int(items.size()); ++i)
    {
        const double distance = std::abs(newValue - items[size_t(i)].value);
        if (distance < bestDistance)
        {
            best = i;
            bestDistance = distance;
        }
    }
    selectedIndex = best;
    text = items[size_t(best)].text;
    repaint();
}

void ParameterMenu::selectNext()
{
    reportItem(selectedIndex < 0 ? 0 : selectedIndex + 1);
}

void ParameterMenu::selectPrevious()
{
    reportItem(selectedIndex < 0 ? 0 : selectedIndex - 1);
}

void ParameterMenu::reportItem(int index)
{
    if (index >= 0 && index < int(items.size()))
        reportValue(items[size_t(index)].value);
}

int ParameterMenu::runPopup(juce::PopupMenu& menu, juce::Component* target)
{
    return menu.showAt(target, 0, target != nullptr ? target->getWidth() : 0, 0, 0, nullptr);
}

void ParameterMenu::showChoices(juce::Component* target)
{
    juce::PopupMenu menu;
    for (size_t i = 0; i < items.size(); ++i)
        menu.addItem(int(i) + 1, items[i].text, true, false);

    // The pop-up runs the message loop: an update may rebuild the panel and delete this menu
    // before the user has chosen.
    juce::Component::SafePointer<ParameterMenu> self(this);
    const int chosen = runPopup(menu, target);
    if (self == nullptr)
        return;
    if (chosen > 0)
        reportItem(chosen - 1);
}
