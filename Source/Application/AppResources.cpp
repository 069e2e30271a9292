#include "AppResources.h"

#include <array>
#include <memory>

const juce::Colour listRowBackgroundEven { 0xFFFFFFFF };
const juce::Colour listRowBackgroundOdd { 0x44444444 };
const juce::Colour listTextColour { 0xFF969696 };
const juce::Colour listSelectedTextColour { 0xFF000000 };
const juce::Colour globalLabelColour { 0xFFDFDFDF };
const juce::Colour editPageGreyColour { 0xFF939393 };
const juce::Colour editPageDarkColour { 0xFF323232 };
const juce::Colour editPageWhiteColour { 0xFFFFFFFF };
const juce::Colour editPageAccentColour { 0xFFD0B7BB };
const juce::Colour parameterLabelColour { 0xFFDEDEDE };
const juce::Colour parameterValueColour { 0xFF959595 };
const juce::Colour pageLabelColour { 0xFF969696 };
const juce::Colour assignTextColour { 0xFFDEDEDE };
const juce::Colour cabinetRowColour { 0xFF969696 };
const juce::Colour cabinetCurrentRowColour { 0xFFD0D0D0 };

namespace
{
std::unique_ptr<ResourcePack> sharedPack;
std::array<std::unique_ptr<juce::Font>, SharedFont::numSlots> sharedFonts;

constexpr float slotHeights[SharedFont::numSlots] = { 9.0f, 12.0f, 14.0f, 16.0f, 14.0f };

juce::Font makeFont(SharedFont::Slot slot)
{
    return juce::Font(slotHeights[slot], slot == SharedFont::italic14 ? juce::Font::italic : juce::Font::plain);
}
} // namespace

juce::Font SharedFont::get() const
{
    if (const auto& font = sharedFonts[size_t(slot)])
        return *font;
    return makeFont(slot);
}

float SharedFont::getHeight() const
{
    return slotHeights[slot];
}

bool initAppResources(ResourcePack::Reader reader)
{
    for (int slot = 0; slot < SharedFont::numSlots; ++slot)
        sharedFonts[size_t(slot)] = std::make_unique<juce::Font>(makeFont(SharedFont::Slot(slot)));

    sharedPack = std::make_unique<ResourcePack>(std::move(reader));
    if (!sharedPack->reopen())
        return false;

    for (const auto& entry : appImageTable)
        sharedPack->registerImage(entry.id, appImageEntryName(entry));
    return true;
}

void shutdownAppResources()
{
    for (auto& font : sharedFonts)
        font.reset();
    if (sharedPack)
        sharedPack->clearImages();
}

juce::Image getAppImage(AppImageID id)
{
    return sharedPack ? sharedPack->getImage(id) : juce::Image();
}

ResourcePack* getResourcePack()
{
    return sharedPack.get();
}
