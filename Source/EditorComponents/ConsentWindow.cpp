#include "ConsentWindow.h"

ConsentWindow::ConsentWindow(const juce::String& consentText)
    : agreeToggle(agreeText), window(title, consentText, juce::MessageBoxIconType::NoIcon)
{
    agreeToggle.setSize(400, 28);
    window.addCustomComponent(&agreeToggle);
    window.addButton("Cancel", cancelled, juce::KeyPress(juce::KeyPress::escapeKey));
    window.addButton("OK", confirmed, juce::KeyPress(juce::KeyPress::returnKey));
}

ConsentWindow::~ConsentWindow()
{
    window.removeCustomComponent(0);
}

int ConsentWindow::runModal()
{
    const int result = window.runModalLoop();
    window.setVisible(false);
    return result;
}

bool ConsentWindow::ask(const juce::String& consentText)
{
    for (;;)
    {
        ConsentWindow consent(consentText);
        if (consent.runModal() != confirmed)
            return false;
        if (consent.isAgreed())
            return true;
        juce::AlertWindow::showMessageBox(juce::MessageBoxIconType::WarningIcon, requiredTitle, requiredText, "OK");
    }
}
