#include "DialogFocus.h"

namespace
{
constexpr int retryIntervalMs = 20;
constexpr int attempts = 25;
} // namespace

DialogFocus::DialogFocus(juce::Component& targetComponent) : target(targetComponent) {}

DialogFocus::~DialogFocus()
{
    stopTimer();
}

void DialogFocus::start()
{
    attemptsLeft = attempts;
    startTimer(retryIntervalMs);
}

void DialogFocus::timerCallback()
{
    if (--attemptsLeft <= 0)
        stopTimer();
    if (!target.isShowing())
        return;

    auto* window = target.getTopLevelComponent();
    auto* focused = juce::Component::getCurrentlyFocusedComponent();
    if (focused != nullptr && focused != window && window->isParentOf(focused))
    {
        stopTimer(); // already inside the dialog, by the user or by an earlier try
        return;
    }

    target.grabKeyboardFocus();
    if (target.hasKeyboardFocus(false))
    {
        stopTimer();
        if (auto* field = dynamic_cast<juce::TextEditor*>(&target))
            field->selectAll();
    }
}
