#include "DeviceDescription.h"

#include <algorithm>

namespace Tonecrest::PICLoader
{
namespace
{
constexpr uint32_t kLargestPayload = 58; // the program report's data field

uint32_t readU32(const uint8_t* bytes)
{
    return static_cast<uint32_t>(bytes[0]) | (static_cast<uint32_t>(bytes[1]) << 8)
           | (static_cast<uint32_t>(bytes[2]) << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
}
} // namespace

DeviceDescription DeviceDescription::fromQueryResponse(const uint8_t* reply)
{
    DeviceDescription description;
    description.family = reply[2];
    description.bytesPerPacket = std::min<uint32_t>(reply[1], kLargestPayload);

    switch (description.family)
    {
        case 1:
            description.bytesPerWordFlash = 2;
            description.bytesPerAddressFlash = 1;
            break;
        case 2:
            // 24-bit instructions over two addresses, stored as 4-byte words with a phantom byte.
            description.bytesPerWordFlash = 4;
            description.bytesPerWordConfig = 4;
            description.bytesPerAddressFlash = 2;
            description.bytesPerAddressConfig = 2;
            break;
        case 3:
            description.bytesPerWordFlash = 4;
            description.bytesPerAddressFlash = 1;
            break;
        default:
            break;
    }

    const uint8_t* entry = reply + 3;
    for (size_t index = 0; index < kMaxRegions; ++index, entry += kRegionEntrySize)
    {
        if (entry[0] == kRegionListEnd)
            break;
        uint32_t size = std::min(readU32(entry + 5), kMaxRegionSize);

        MemoryRegion region;
        region.type = (entry[0] >= kRegionProgram && entry[0] <= kRegionConfig) ? entry[0] : static_cast<uint8_t>(kRegionUntyped);
        region.start = readU32(entry + 1);
        region.end = region.start + size; // may wrap; the programming sequence refuses such a region
        region.sizeBytes = size * description.bytesPerAddressOf(region.type);
        description.regions.push_back(region);
    }
    return description;
}

uint32_t DeviceDescription::bytesPerAddressOf(uint8_t regionType) const
{
    switch (regionType)
    {
        case kRegionProgram: return bytesPerAddressFlash;
        case kRegionEEPROM: return bytesPerAddressEEPROM;
        case kRegionConfig: return bytesPerAddressConfig;
        default: return 0;
    }
}

} // namespace Tonecrest::PICLoader
