#include "ParameterIntMenu.h"

#include <cmath>

void ParameterIntMenu::setParameterInfo(const ParameterWidgetInfo* info)
{
    items.clear();
    if (info == nullptr)
        return;
    // A range that is not a number, or one too long to list, offers nothing rather than
    // overflowing the conversion or flooding the pop-up.
    constexpr double longestList = 10000.0;
    constexpr double largestBound = 1.0e9;
    const bool listable = std::abs(info->min) < largestBound && std::abs(info->max) < largestBound
                       && std::trunc(info->max) - std::trunc(info->min) < longestList;
    if (!listable)
        return;
    const int lo = int(info->min);
    const int hi = int(info->max);
    for (int i = lo; i <= hi; ++i)
        items.push_back({ juce::String(i), double(i) });
}
