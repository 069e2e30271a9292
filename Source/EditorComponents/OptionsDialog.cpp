#include "OptionsDialog.h"

namespace
{
constexpr int optionHeight = 24;
}

OptionsDialog::OptionsDialog(const juce::String& prompt, const std::vector<OptionEntry>& optionList)
    : ModalDialogContent("OK"), promptLabel({}, prompt), options(optionList)
{
    addAndMakeVisible(promptLabel);
    for (const auto& option : options)
    {
        auto* toggle = toggles.add(new juce::ToggleButton(option.label));
        toggle->setToggleState(option.flag != nullptr && *option.flag, juce::dontSendNotification);
        // Ticking with the mouse leaves the focus on the dialog, where Return means OK.
        toggle->setMouseClickGrabsKeyboardFocus(false);
        addAndMakeVisible(toggle);
    }

    setWantsKeyboardFocus(true);
    setInitialFocus(*this);
    setSize(400, 80 + optionHeight * int(options.size()));
}

OptionsDialog::~OptionsDialog() = default;

void OptionsDialog::applyToFlags() const
{
    for (size_t i = 0; i < options.size(); ++i)
        if (options[i].flag != nullptr)
            *options[i].flag = toggles[int(i)]->getToggleState();
}

void OptionsDialog::resized()
{
    promptLabel.setBounds(10, 10, 355, 24);
    for (int i = 0; i < toggles.size(); ++i)
        toggles[i]->setBounds(10, 34 + optionHeight * i, 300, optionHeight);
    layOutButtons();
}

bool showOptionsDialog(const char* title, const char* prompt, std::vector<OptionEntry>& options)
{
    OptionsDialog dialog(juce::String::fromUTF8(prompt != nullptr ? prompt : ""), options);
    if (dialog.runModal(juce::String::fromUTF8(title != nullptr ? title : "")) != 1)
        return false;
    dialog.applyToFlags();
    return true;
}
