#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Tonecrest::PICLoader
{

/** Region type codes of the query reply; any other code leaves a region untyped. */
enum MemoryRegionType : uint8_t
{
    kRegionUntyped = 0,
    kRegionProgram = 1,
    kRegionEEPROM = 2,
    kRegionConfig = 3
};

/** One memory region of the chip, in device addresses. */
struct MemoryRegion
{
    uint8_t type = kRegionUntyped;
    uint32_t start = 0;
    uint32_t end = 0;       // start + size, exclusive
    uint32_t sizeBytes = 0; // size x the bytes per address of the region's type

    bool operator==(const MemoryRegion& other) const
    {
        return type == other.type && start == other.start && end == other.end && sizeBytes == other.sizeBytes;
    }
    bool operator!=(const MemoryRegion& other) const { return !(*this == other); }
};

/** What the bootloader's query reply says about the chip. Plain data; any thread. */
struct DeviceDescription
{
    static constexpr size_t kQueryReplySize = 38;
    static constexpr size_t kMaxRegions = 3;
    static constexpr size_t kRegionEntrySize = 9;
    static constexpr uint32_t kMaxRegionSize = 0x0FFFFFFF; // addresses; keeps sizeBytes in 32 bits
    static constexpr uint8_t kRegionListEnd = 0xFF;

    uint32_t family = 0;
    uint32_t bytesPerPacket = 0;
    uint32_t bytesPerWordFlash = 2;
    uint32_t bytesPerWordEEPROM = 1;
    uint32_t bytesPerWordConfig = 2;
    uint32_t bytesPerAddressFlash = 1;
    uint32_t bytesPerAddressEEPROM = 1;
    uint32_t bytesPerAddressConfig = 1;
    std::vector<MemoryRegion> regions;

    /** Builds the description from a query reply of kQueryReplySize bytes (echo at byte 0). */
    static DeviceDescription fromQueryResponse(const uint8_t* reply);

    /** Bytes per address of a region type; 0 for an untyped region. */
    uint32_t bytesPerAddressOf(uint8_t regionType) const;
};

} // namespace Tonecrest::PICLoader
