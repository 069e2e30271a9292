#pragma once

#include "ParameterPopupMenu.h"
#include "iParameterWidget.h"

#include <vector>

/** A read-out box bound to a list parameter. A click opens a pop-up of the parameter's named
    values; the chosen one, and the steps of selectNext and selectPrevious, are only reported
    through onValueChanged: the box shows a new choice when the owner pushes the confirmed value
    back through setParameterValue. Message thread only. */
class ParameterMenu : public ParameterPopupMenu, public virtual iParameterWidget
{
public:
    struct Item
    {
        juce::String text;
        double value = 0.0;
    };

    ParameterMenu();

    /** The list becomes the info's named values (empty for null); the shown choice stays. */
    void setParameterInfo(const ParameterWidgetInfo* info) override;
    /** Shows the item nearest to the value (the earlier one of two equally near). */
    void setParameterValue(const double& newValue) override;
    juce::Component* getComponent() override { return this; }

    /** Reports the item after the shown one (the first when none is shown); nothing on the last. */
    void selectNext();
    /** Reports the item before the shown one (the first when none is shown); nothing on the first. */
    void selectPrevious();

    const std::vector<Item>& getItems() const { return items; }
    /** -1 while nothing is shown. */
    int getSelectedIndex() const { return selectedIndex; }

protected:
    /** Runs the pop-up at `target` and returns the chosen item id (0 when dismissed). Modal:
        the message loop runs meanwhile. Tests replace it to choose without a pop-up. */
    virtual int runPopup(juce::PopupMenu& menu, juce::Component* target);

    std::vector<Item> items;

private:
    void showChoices(juce::Component* target);
    void reportItem(int index);

    int selectedIndex = -1;
};
