#pragma once

#include "AppImageID.h"
#include "ResourcePack.h"

#include <juce_graphics/juce_graphics.h>

// The process-wide interface resources: the image pack, the five shared fonts and the style
// constants (colour and font per family of widgets). Set up once by initAppResources at
// start-up and released by shutdownAppResources; message thread only.

/** Builds the shared fonts, creates the pack over `reader` and reads its directory. False, with
    no image registered, when the pack cannot be read; the program then runs without images. */
bool initAppResources(ResourcePack::Reader reader);

/** Releases the shared fonts and empties the image cache; the pack and its reader stay. */
void shutdownAppResources();

/** The decoded image of `id` from the shared pack; null without a pack or an entry. */
juce::Image getAppImage(AppImageID id);

/** The shared pack, null before initAppResources. */
ResourcePack* getResourcePack();

/** One of the five shared fonts. Converts to juce::Font wherever a font is taken, so the style
    names below read like font constants. Before initAppResources (or after shutdown) it gives a
    font of the same height and style, so a stray early use draws text instead of crashing. */
class SharedFont
{
public:
    enum Slot
    {
        plain9,
        plain12,
        plain14,
        plain16,
        italic14,
        numSlots
    };

    constexpr explicit SharedFont(Slot fontSlot) : slot(fontSlot) {}

    juce::Font get() const;
    operator juce::Font() const { return get(); }

    float getHeight() const;
    bool isItalic() const { return slot == italic14; }

private:
    Slot slot;
};

inline constexpr SharedFont sharedFont9 { SharedFont::plain9 };
inline constexpr SharedFont sharedFont12 { SharedFont::plain12 };
inline constexpr SharedFont sharedFont14 { SharedFont::plain14 };
inline constexpr SharedFont sharedFont16 { SharedFont::plain16 };
inline constexpr SharedFont sharedFont14Italic { SharedFont::italic14 };

// Style constants: what each family of widgets draws its text or fill with.
extern const juce::Colour listRowBackgroundEven;
extern const juce::Colour listRowBackgroundOdd;
extern const juce::Colour listTextColour;
extern const juce::Colour listSelectedTextColour;

extern const juce::Colour globalLabelColour;
inline constexpr SharedFont globalLabelFont = sharedFont14;

extern const juce::Colour editPageGreyColour;
extern const juce::Colour editPageDarkColour;
extern const juce::Colour editPageWhiteColour;
inline constexpr SharedFont editPageFont = sharedFont12;

extern const juce::Colour editPageAccentColour;
inline constexpr SharedFont editPageAccentFont = sharedFont14;

extern const juce::Colour parameterLabelColour;
inline constexpr SharedFont parameterLabelFont = sharedFont12;

extern const juce::Colour parameterValueColour;
inline constexpr SharedFont parameterValueFont = sharedFont12;

extern const juce::Colour pageLabelColour;
inline constexpr SharedFont pageLabelFont = sharedFont14;

extern const juce::Colour assignTextColour;
inline constexpr SharedFont assignTextFont = sharedFont12;
inline constexpr SharedFont assignSmallFont = sharedFont9;

extern const juce::Colour cabinetRowColour;
extern const juce::Colour cabinetCurrentRowColour;

inline constexpr SharedFont backupTitleFont = sharedFont16;
inline constexpr SharedFont backupTextFont = sharedFont14;
