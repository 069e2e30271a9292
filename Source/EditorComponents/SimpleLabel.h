#pragma once

#include "SimpleTextButton.h"

/** A caption: behaves exactly like SimpleTextButton, under its own type so pages can tell their
    captions from their buttons. */
class SimpleLabel : public SimpleTextButton
{
public:
    explicit SimpleLabel(const char* labelText) : SimpleTextButton(labelText) {}
};
