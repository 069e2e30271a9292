#include "PICProgrammer.h"

#include "Timing.h"

#include <algorithm>
#include <thread>

namespace Tonecrest::PICLoader
{
namespace
{
void reportProgress(const std::function<void(double)>& progress, double value)
{
    if (progress)
        progress(value);
}

// A wrapped region or one too large to hold would turn the reply into our memory use.
bool describesUsableMemory(const DeviceDescription& description)
{
    uint64_t totalBytes = 0;
    for (const MemoryRegion& region : description.regions)
    {
        if (region.end < region.start)
            return false;
        totalBytes += region.sizeBytes;
    }
    return totalBytes <= kMaxDeviceMemoryBytes;
}

// Programming moves whole words and whole addresses per packet; a smaller packet could never
// carry one, and a read-back of part addresses would never end.
bool hasUsablePacketSize(const DeviceDescription& description)
{
    const uint32_t packet = std::min(description.bytesPerPacket, Comm::kDataFieldSize);
    const uint32_t wholeWords = packet - packet % description.bytesPerWordFlash;
    return wholeWords > 0 && wholeWords % description.bytesPerAddressFlash == 0;
}

// The blocks were cut to the first description; programming and verify use the second.
bool sameLayout(const DeviceDescription& first, const DeviceDescription& second)
{
    return first.family == second.family && first.bytesPerAddressFlash == second.bytesPerAddressFlash
           && first.bytesPerAddressEEPROM == second.bytesPerAddressEEPROM
           && first.bytesPerAddressConfig == second.bytesPerAddressConfig && first.regions == second.regions;
}

uint32_t readU16(const std::vector<uint8_t>& bytes, size_t offset)
{
    uint32_t low = offset < bytes.size() ? bytes[offset] : 0;
    uint32_t high = offset + 1 < bytes.size() ? bytes[offset + 1] : 0;
    return low | (high << 8);
}

int verifyProgramMemory(Comm& comm, const DeviceDescription& description, const std::vector<HexBlock>& blocks)
{
    const uint32_t perAddress = description.bytesPerAddressFlash;
    for (const MemoryRegion& region : description.regions)
    {
        if (region.type != kRegionProgram)
            continue;

        log(kLogInfo, "Verifying Device's Program Memory...");
        std::vector<uint8_t> readBack(region.sizeBytes, 0);
        if (comm.GetData(region.start, description.bytesPerPacket, perAddress, description.bytesPerWordFlash,
                         region.end, readBack.data(), readBack.size())
            != kCommSuccess)
        {
            log(kLogError, "Error reading device.");
            return kProgramFailed;
        }

        for (const HexBlock& block : blocks)
        {
            if (block.region.start != region.start)
                continue;
            for (uint64_t address = region.start; address < region.end; ++address)
            {
                const size_t addressOffset = static_cast<size_t>((address - region.start) * perAddress);
                for (uint32_t j = 0; j < perAddress; ++j)
                {
                    // Family 2: the upper byte of an odd address is the phantom byte, never stored.
                    if (description.family == 2 && (address & 1) != 0 && j == 1)
                        continue;
                    const size_t offset = addressOffset + j;
                    if (offset >= readBack.size() || offset >= block.data.size())
                        break;
                    if (readBack[offset] == block.data[offset])
                        continue;

                    if (description.family == 2)
                        log(kLogError, "Device: 0x%x Hex: 0x%x", readU16(readBack, addressOffset),
                            readU16(block.data, addressOffset));
                    else
                        log(kLogError, "Device: 0x%x Hex: 0x%x", readBack[offset], block.data[offset]);
                    log(kLogError, "Failed verify at address 0x%x", static_cast<unsigned>(address));
                    return kProgramFailed;
                }
            }
        }
    }
    return kProgramSuccess;
}
} // namespace

int queryPicDevice(Comm& comm, DeviceDescription& description)
{
    DeviceDescription queried;
    int code = comm.Query(queried);
    if (code == kCommTimeout)
        return kProgramQueryTimedOut;
    if (code != kCommSuccess)
        return kProgramQueryFailed;
    if (!describesUsableMemory(queried))
    {
        log(kLogError, "Query reply describes memory that cannot be programmed");
        return kProgramQueryFailed;
    }
    if (!hasUsablePacketSize(queried))
    {
        log(kLogError, "Query reply gives a packet of %u bytes, less than a word", queried.bytesPerPacket);
        return kProgramQueryFailed;
    }
    description = queried;
    return kProgramSuccess;
}

int programPicDevice(USBDevice& device, const ReadLine& readLine, const std::function<void(double)>& progress)
{
    Comm comm(device);
    DeviceDescription description;
    reportProgress(progress, 0.0);

    int code = queryPicDevice(comm, description);
    if (code != kProgramSuccess)
        return code;

    std::vector<HexBlock> blocks;
    bool configFound = false;
    if (importHexFile(readLine, description, blocks, configFound) != kHexImported)
        return kProgramImageRejected;

    reportProgress(progress, 0.0);
    log(kLogInfo, "Erasing Device... (no status update until complete, may take several seconds)");
    if (comm.Erase() != kCommSuccess)
    {
        log(kLogError, "Erase failed");
        return kProgramFailed;
    }

    // The bootloader answers this query only once the erase is done.
    DeviceDescription afterErase;
    code = queryPicDevice(comm, afterErase);
    if (code != kProgramSuccess)
        return code;
    if (!sameLayout(description, afterErase))
    {
        log(kLogError, "Device description changed after erase");
        return kProgramQueryFailed;
    }

    for (const HexBlock& block : blocks)
    {
        if (block.region.type != kRegionProgram)
            continue;
        log(kLogInfo, "Writing Device Program Memory...");
        if (comm.Program(block.region.start, afterErase.bytesPerPacket, afterErase.bytesPerAddressFlash,
                         afterErase.bytesPerWordFlash, afterErase.family, block.region.end, block.data.data(),
                         block.data.size())
            != kCommSuccess)
        {
            log(kLogError, "Programming failed");
            return kProgramFailed;
        }
    }

    reportProgress(progress, 2.0 / 3.0);
    std::this_thread::sleep_for(Timing::scaledDuration(Timing::picSettleMs));

    code = verifyProgramMemory(comm, afterErase, blocks);
    if (code != kProgramSuccess)
        return code;

    if (comm.ResetDevice() != kCommSuccess)
        return kProgramQueryFailed;
    std::this_thread::sleep_for(Timing::scaledDuration(Timing::picSettleMs));
    reportProgress(progress, 1.0);
    return kProgramSuccess;
}

Result programHexImage(USBDevice& device, const std::vector<uint8_t>& hexImage,
                       const std::function<void(double)>& progress)
{
    int code = programPicDevice(device, makeLineReader(hexImage), progress);
    if (code != kProgramSuccess)
    {
        log(kLogError, "PIC programming ended with code %d", code);
        return TONECREST_ERROR("PIC update failed!");
    }
    return kSuccess;
}

} // namespace Tonecrest::PICLoader
