#include "ListBoxTextEditor.h"

ListBoxTextEditor::ListBoxTextEditor(const juce::String& initialText) : juce::TextEditor({}, 0)
{
    setMultiLine(false, true);
    setText(initialText, false);
    // Everything selected, caret at the end: typing replaces the name, arrows keep it.
    setCaretPosition(0);
    moveCaretToEnd(true);
    setCaretVisible(true);
    setReturnKeyStartsNewLine(false);
    setReadOnly(false);
    setScrollbarsShown(false);
    setWantsKeyboardFocus(true);
}

void ListBoxTextEditor::paint(juce::Graphics& g)
{
    // The cell is made while the table rebuilds; by the first paint it is on screen and can
    // take the focus.
    if (!focusGrabbed && isShowing())
    {
        grabKeyboardFocus();
        focusGrabbed = hasKeyboardFocus(false);
    }
    juce::TextEditor::paint(g);
}
