#pragma once

// Answers the modal dialogs that code under test opens, one scripted step per dialog, so that
// dialogs run for real (their own modal loop) without a person. The steps run from a timer of
// the message loop that the dialog's modal loop keeps turning. Header-only, for the programs
// that link the UI library; message thread only.

#include <juce_gui_basics/juce_gui_basics.h>

#include <deque>
#include <functional>
#include <vector>

class ModalDialogScript : private juce::Timer
{
public:
    /** One answer: look at the modal component (a DialogWindow, an AlertWindow ...) and end it,
        typically by clicking a button or pressing a key. */
    using Step = std::function<void(juce::Component& modal)>;

    explicit ModalDialogScript(std::vector<Step> steps) : pending(steps.begin(), steps.end()) { startTimer(5); }
    ~ModalDialogScript() override { stopTimer(); }

    /** Names of the modal components answered, in order (an AlertWindow's is its title). */
    juce::StringArray seen;
    /** Dialogs that came when no step was left; each was closed with result 0. */
    int unexpected = 0;

    bool finished() const { return pending.empty(); }

    /** The first component of type T inside `root` (itself included), or null. */
    template <typename T>
    static T* find(juce::Component& root)
    {
        if (auto* match = dynamic_cast<T*>(&root))
            return match;
        for (auto* child : root.getChildren())
            if (auto* match = find<T>(*child))
                return match;
        return nullptr;
    }

    /** The text button of `root` with this text, or null. */
    static juce::Button* findButton(juce::Component& root, const juce::String& text)
    {
        if (auto* button = dynamic_cast<juce::Button*>(&root))
            if (button->getButtonText() == text)
                return button;
        for (auto* child : root.getChildren())
            if (auto* match = findButton(*child, text))
                return match;
        return nullptr;
    }

    /** Presses a key the way JUCE hands it on: to the focused component inside the window and up
        through its parents until one uses it. Without the focus inside the window (another
        program's window may hold it while tests run side by side) it starts at the dialog's
        content. Buttons' shortcut keys are not fired: JUCE checks those against the keyboard
        itself. */
    static void pressKey(juce::Component& modal, const juce::KeyPress& key)
    {
        juce::Component* target = juce::Component::getCurrentlyFocusedComponent();
        if (target == nullptr || !modal.isParentOf(target))
        {
            target = &modal;
            if (auto* window = dynamic_cast<juce::ResizableWindow*>(&modal))
                if (auto* content = window->getContentComponent())
                    target = content;
        }
        for (; target != nullptr; target = target->getParentComponent())
            if (target->keyPressed(key))
                return;
    }

    // ---- Common steps ----

    /** Clicks the button with this text, as the user would (JUCE delivers the click later). */
    static Step clickButton(const juce::String& text)
    {
        return [text](juce::Component& modal) {
            if (auto* button = findButton(modal, text))
                button->triggerClick();
        };
    }

    static Step pressKeyStep(int keyCode)
    {
        return [keyCode](juce::Component& modal) { pressKey(modal, juce::KeyPress(keyCode)); };
    }

    /** Runs `edit` on the dialog content of type T, then `then`. */
    template <typename T>
    static Step editThen(std::function<void(T&)> edit, Step then)
    {
        return [edit, then](juce::Component& modal) {
            if (auto* content = find<T>(modal))
                edit(*content);
            then(modal);
        };
    }

private:
    static constexpr const char* handledMark = "modalDialogScriptHandled";
    static constexpr int ticksBeforeGivingUp = 2000; // a step that never closes its dialog
    static constexpr int ticksToSettle = 40;         // a window that never takes the focus

    void timerCallback() override
    {
        auto* modal = juce::Component::getCurrentlyModalComponent();
        if (modal == nullptr)
            return;

        // The mark lives on the object, so a new dialog at a reused address is still new.
        if (modal->getProperties().contains(handledMark))
        {
            if (++ticksOnHandled > ticksBeforeGivingUp)
                modal->exitModalState(0);
            return;
        }
        // Act once the focus has moved into the window (where the dialog puts it), as a person
        // would; a window that keeps the focus to itself is answered after a short while.
        auto* focused = juce::Component::getCurrentlyFocusedComponent();
        const bool settled = focused != nullptr && modal->isParentOf(focused);
        if (!settled && ++ticksWaiting < ticksToSettle)
            return;
        ticksWaiting = 0;

        modal->getProperties().set(handledMark, true);
        ticksOnHandled = 0;
        seen.add(modal->getName());

        if (pending.empty())
        {
            ++unexpected;
            modal->exitModalState(0);
            return;
        }
        auto step = pending.front();
        pending.pop_front();
        step(*modal);
    }

    std::deque<Step> pending;
    int ticksOnHandled = 0;
    int ticksWaiting = 0;
};
