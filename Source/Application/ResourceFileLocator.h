#pragma once

#include "ResourcePack.h"

#include <juce_core/juce_core.h>

// Where the interface images come from on this platform: "resources.bin" lies beside the
// executable (in place of a bundle's resource folder) and is read through plain stdio.

/** The pack file beside the running executable; a non-existent file when the executable cannot
    be found. */
juce::File locateResourcePack();

/** Opens `packFile` for the rest of the run and returns the pack reader over it. A file that is
    missing or cannot be opened is logged and gives a reader that always fails, so that
    initAppResources registers nothing and the program runs on without images. */
ResourcePack::Reader openResourcePackReader(const juce::File& packFile);
