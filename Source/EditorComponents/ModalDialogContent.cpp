#include "ModalDialogContent.h"

ModalDialogContent::ModalDialogContent(const juce::String& confirmText)
    : confirmButton(confirmText), cancelButton("CANCEL")
{
    confirmButton.addShortcut(juce::KeyPress(juce::KeyPress::returnKey));
    cancelButton.addShortcut(juce::KeyPress(juce::KeyPress::escapeKey));
    confirmButton.addListener(this);
    cancelButton.addListener(this);
    addAndMakeVisible(confirmButton);
    addAndMakeVisible(cancelButton);
}

ModalDialogContent::~ModalDialogContent() = default;

int ModalDialogContent::runModal(const juce::String& title)
{
    juce::DialogWindow::LaunchOptions options;
    options.dialogTitle = title;
    options.content.setNonOwned(this);
    return options.runModal();
}

void ModalDialogContent::setInitialFocus(juce::Component& target)
{
    initialFocus = std::make_unique<DialogFocus>(target);
}

void ModalDialogContent::layOutButtons()
{
    confirmButton.setBounds(getWidth() - 200, getHeight() - 30, 80, 24);
    cancelButton.setBounds(getWidth() - 100, getHeight() - 30, 80, 24);
}

void ModalDialogContent::endDialog(int result)
{
    if (auto* window = findParentComponentOfClass<juce::DialogWindow>())
        window->exitModalState(result);
    else if (isCurrentlyModal(false))
        exitModalState(result);
}

bool ModalDialogContent::keyPressed(const juce::KeyPress& key)
{
    // The buttons' own shortcuts follow the keyboard's state and do not fire while a text field
    // has the focus; keys that reach the dialog are answered here.
    if (key == juce::KeyPress::returnKey)
        endDialog(1);
    else if (key == juce::KeyPress::escapeKey)
        endDialog(0);
    else
        return false;
    return true;
}

void ModalDialogContent::parentHierarchyChanged()
{
    if (initialFocus != nullptr && findParentComponentOfClass<juce::DialogWindow>() != nullptr)
        initialFocus->start();
}

void ModalDialogContent::buttonClicked(juce::Button* button)
{
    if (button == &confirmButton)
        endDialog(1);
    else if (button == &cancelButton)
        endDialog(0);
}
