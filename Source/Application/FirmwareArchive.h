#pragma once

#include "Result.h"
#include "TonecrestData.h"

#include <juce_core/juce_core.h>

namespace Tonecrest
{

/** Where a firmware update's archive comes from: a ".tfu" file the user picks, or the
    archive built into the program. A build carries a built-in archive only when it was
    configured with one (the CMake option TONECREST_BUILTIN_FIRMWARE); without it the built-in
    update is refused, so no made-up firmware can ever be offered to a pedal.

    Stateless; any thread (the views load archives on the message thread). */
class FirmwareArchive
{
public:
    FirmwareArchive() = delete;

    /** Whether this build carries a built-in archive. */
    static bool hasBuiltIn();

    /** Reads the built-in archive into archive. "No built-in firmware is included in this
        build" when there is none, leaving archive untouched. */
    static Result loadBuiltIn(TonecrestData::Archive& archive);

    /** Reads a ".tfu" file (the backup archive layout); works in every build. */
    static Result loadFromFile(const juce::File& file, TonecrestData::Archive& archive);
};

} // namespace Tonecrest
