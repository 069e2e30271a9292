#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** The consent question guarding preset export and import: an alert window titled "Please Read"
    with the consent text, a toggle "I agree. (Don't show this again.)" and the buttons
    "Cancel" (Escape) and "OK" (Return). Title, toggle and button texts are shown as written;
    the caller translates the consent text. Message thread only. */
class ConsentWindow
{
public:
    static constexpr const char* title = "Please Read";
    static constexpr const char* agreeText = "I agree. (Don't show this again.)";
    static constexpr const char* requiredTitle = "Consent required";
    static constexpr const char* requiredText = "Please select the 'I agree' option before continuing.";

    enum Result
    {
        dismissed = 0,
        cancelled = 1,
        confirmed = 2
    };

    explicit ConsentWindow(const juce::String& consentText);
    ~ConsentWindow();

    /** Shows the window modally and returns a Result. */
    int runModal();
    bool isAgreed() const { return agreeToggle.getToggleState(); }
    juce::AlertWindow& getWindow() { return window; }

    /** Asks until answered: OK with the toggle on gives true; OK without it explains with a
        "Consent required" box and asks again; Cancel (or closing) gives false. Storing the
        consent is the caller's. */
    static bool ask(const juce::String& consentText);

private:
    juce::ToggleButton agreeToggle; // not owned by the window; taken out of it before either goes
    juce::AlertWindow window;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(ConsentWindow)
};
