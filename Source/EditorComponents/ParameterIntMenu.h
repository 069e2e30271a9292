#pragma once

#include "ParameterMenu.h"

/** A ParameterMenu listing the integers of the parameter's range ("1" to "4" for 1..4).
    Message thread only. */
class ParameterIntMenu : public ParameterMenu
{
public:
    ParameterIntMenu() = default;

    /** The list becomes the integers from the truncated minimum to the truncated maximum
        (empty when they are reversed or for null). */
    void setParameterInfo(const ParameterWidgetInfo* info) override;
};
