#include "FirmwareArchive.h"

#include "BackupArchive.h"

#include <cstddef>

namespace Tonecrest
{
namespace
{
#ifdef TONECREST_BUILTIN_FIRMWARE_DATA
// Defines builtInFirmwareBytes and builtInFirmwareSize, generated from the configured archive.
#include TONECREST_BUILTIN_FIRMWARE_DATA
#else
const unsigned char* const builtInFirmwareBytes = nullptr;
constexpr size_t builtInFirmwareSize = 0;
#endif
} // namespace

bool FirmwareArchive::hasBuiltIn()
{
    return builtInFirmwareSize > 0;
}

Result FirmwareArchive::loadBuiltIn(TonecrestData::Archive& archive)
{
    if (!hasBuiltIn())
        return TONECREST_ERROR("No built-in firmware is included in this build");
    // Read into a fresh record, so a damaged archive leaves the caller's untouched.
    TonecrestData::Archive loaded;
    if (Result read = BackupArchive::loadFromMemory(builtInFirmwareBytes, builtInFirmwareSize, loaded); !read)
        return read;
    archive = std::move(loaded);
    return kSuccess;
}

Result FirmwareArchive::loadFromFile(const juce::File& file, TonecrestData::Archive& archive)
{
    return BackupArchive::loadFromFile(file, archive);
}

} // namespace Tonecrest
