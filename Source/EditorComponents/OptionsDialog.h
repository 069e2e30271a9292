#pragma once

#include "ModalDialogContent.h"

#include <vector>

/** One line of the options dialog: the caller's flag and the toggle's text. */
struct OptionEntry
{
    bool* flag = nullptr;
    juce::String label;
};

/** The content of an options dialog: a prompt and one toggle per option, each starting in its
    flag's state, confirmed with OK. The flags are only written by applyToFlags. Message thread
    only. */
class OptionsDialog : public ModalDialogContent
{
public:
    OptionsDialog(const juce::String& prompt, const std::vector<OptionEntry>& options);
    ~OptionsDialog() override;

    /** Writes every toggle's state into its entry's flag (entries without a flag are skipped). */
    void applyToFlags() const;

    int getNumToggles() const { return toggles.size(); }
    juce::ToggleButton& getToggle(int index) { return *toggles[index]; }
    juce::Label& getPromptLabel() { return promptLabel; }
    juce::Button& getOkButton() { return getConfirmButton(); }

    void resized() override;

private:
    juce::Label promptLabel;
    std::vector<OptionEntry> options;
    juce::OwnedArray<juce::ToggleButton> toggles;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(OptionsDialog)
};

/** Lets the user tick options in a modal dialog titled `title` (title and prompt shown as
    given). On OK writes every toggle into its flag and returns true; otherwise returns false and
    leaves every flag as it was. */
bool showOptionsDialog(const char* title, const char* prompt, std::vector<OptionEntry>& options);
