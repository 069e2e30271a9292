#pragma once

#include "SimpleImageButton.h"

/** A SimpleImageButton without images: text only, lit colours when pressed or latched. */
class SimpleTextButton : public SimpleImageButton
{
public:
    explicit SimpleTextButton(const char* buttonText) : SimpleImageButton({}, {})
    {
        text = juce::String::fromUTF8(buttonText != nullptr ? buttonText : "");
    }
};
