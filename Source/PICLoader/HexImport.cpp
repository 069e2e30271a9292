#include "HexImport.h"

#include "Result.h"

#include <cstddef>
#include <memory>

namespace Tonecrest::PICLoader
{
namespace
{
constexpr size_t kMinimumRecordLength = 11; // ":" count(2) address(4) type(2) checksum(2)
constexpr size_t kCountField = 1;
constexpr size_t kAddressField = 3;
constexpr size_t kTypeField = 7;
constexpr size_t kDataField = 9;

constexpr int kRecordData = 0x00;
constexpr int kRecordEndOfFile = 0x01;
constexpr int kRecordExtendedSegment = 0x02;
constexpr int kRecordExtendedLinear = 0x04;

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Reads `digits` hex digits at `position`; false for anything that is not a hex digit.
bool readHex(const std::string& line, size_t position, size_t digits, uint32_t& value)
{
    if (position + digits > line.size())
        return false;
    value = 0;
    for (size_t i = 0; i < digits; ++i)
    {
        int digit = hexDigit(line[position + i]);
        if (digit < 0)
            return false;
        value = (value << 4) | static_cast<uint32_t>(digit);
    }
    return true;
}

bool isTrailingSpace(char c)
{
    return c == ' ' || c == '\t';
}

HexBlock* blockHolding(std::vector<HexBlock>& blocks, const DeviceDescription& description, uint64_t byteAddress,
                       uint32_t& bytesPerAddress)
{
    for (HexBlock& block : blocks)
    {
        uint32_t perAddress = description.bytesPerAddressOf(block.region.type);
        if (perAddress == 0)
            continue;
        uint64_t deviceAddress = byteAddress / perAddress;
        if (deviceAddress >= block.region.start && deviceAddress < block.region.end)
        {
            bytesPerAddress = perAddress;
            return &block;
        }
    }
    return nullptr;
}

enum class RecordOutcome
{
    kContinue,
    kEndOfFile,
    kMalformed
};

struct ImportState
{
    const DeviceDescription& description;
    std::vector<HexBlock>& blocks;
    bool& configFound;
    uint64_t extendedAddress = 0;
    bool anyData = false;
};

RecordOutcome parseRecord(const std::string& line, ImportState& state)
{
    if (line.size() < kMinimumRecordLength || line[0] != ':')
        return RecordOutcome::kMalformed;

    uint32_t count = 0;
    uint32_t recordAddress = 0;
    uint32_t recordType = 0;
    if (!readHex(line, kCountField, 2, count) || !readHex(line, kAddressField, 4, recordAddress)
        || !readHex(line, kTypeField, 2, recordType))
        return RecordOutcome::kMalformed;

    const size_t recordLength = count * 2 + kMinimumRecordLength;
    if (line.size() < recordLength)
        return RecordOutcome::kMalformed;
    for (size_t i = recordLength; i < line.size(); ++i)
        if (!isTrailingSpace(line[i]))
            return RecordOutcome::kMalformed;

    std::vector<uint8_t> data(count);
    uint32_t sum = count + (recordAddress >> 8) + (recordAddress & 0xFF) + recordType;
    for (uint32_t i = 0; i < count; ++i)
    {
        uint32_t value = 0;
        if (!readHex(line, kDataField + i * 2, 2, value))
            return RecordOutcome::kMalformed;
        data[i] = static_cast<uint8_t>(value);
        sum += value;
    }
    uint32_t checksum = 0;
    if (!readHex(line, kDataField + count * 2, 2, checksum))
        return RecordOutcome::kMalformed;
    if (((sum + checksum) & 0xFF) != 0)
        return RecordOutcome::kMalformed;

    switch (recordType)
    {
        case kRecordEndOfFile:
            return RecordOutcome::kEndOfFile;

        case kRecordData:
            for (uint32_t i = 0; i < count; ++i)
            {
                uint64_t byteAddress = recordAddress + state.extendedAddress + i;
                uint32_t perAddress = 0;
                HexBlock* block = blockHolding(state.blocks, state.description, byteAddress, perAddress);
                // Address 0 carries the bootloader's own reset vector: an image never writes there.
                if (block == nullptr || block->region.start == 0)
                    continue;
                uint64_t offset = (byteAddress / perAddress - block->region.start) * perAddress + byteAddress % perAddress;
                if (offset >= block->data.size())
                    continue;
                block->data[offset] = data[i];
                state.anyData = true;
                if (block->region.type == kRegionConfig)
                    state.configFound = true;
            }
            return RecordOutcome::kContinue;

        case kRecordExtendedSegment:
        case kRecordExtendedLinear:
            if (count != 2)
                return RecordOutcome::kMalformed;
            {
                uint64_t value = (static_cast<uint64_t>(data[0]) << 8) | data[1];
                state.extendedAddress = recordType == kRecordExtendedSegment ? value * 16 : value * 65536;
            }
            return RecordOutcome::kContinue;

        default:
            // Start addresses and unknown records say nothing about memory contents.
            return RecordOutcome::kContinue;
    }
}
} // namespace

ReadLine makeLineReader(const std::vector<uint8_t>& image)
{
    auto cursor = std::make_shared<size_t>(0);
    const std::vector<uint8_t>* bytes = &image;
    return [bytes, cursor](std::string& line, bool& atEnd) {
        line.clear();
        atEnd = false;
        while (*cursor < bytes->size())
        {
            uint8_t byte = (*bytes)[(*cursor)++];
            if (byte == '\r')
                continue;
            if (byte == '\n')
                return true;
            line.push_back(static_cast<char>(byte));
        }
        atEnd = true;
        return true;
    };
}

int importHexFile(const ReadLine& readLine, const DeviceDescription& description, std::vector<HexBlock>& blocks,
                  bool& configFound)
{
    blocks.clear();
    for (const MemoryRegion& region : description.regions)
        blocks.push_back({ region, std::vector<uint8_t>(region.sizeBytes, 0xFF) });
    configFound = false;

    ImportState state { description, blocks, configFound };
    std::string line;
    size_t lineNumber = 0;
    for (;;)
    {
        bool atEnd = false;
        if (!readLine || !readLine(line, atEnd))
            return kHexReadFailed;
        ++lineNumber;

        // An unterminated last line is still a record; only an empty end is no line at all.
        if (atEnd && line.empty())
        {
            log(kLogError, "HEX image ends without an end-of-file record");
            return kHexMalformed;
        }

        RecordOutcome outcome = parseRecord(line, state);
        if (outcome == RecordOutcome::kMalformed)
        {
            log(kLogError, "Malformed HEX record at line %u", static_cast<unsigned>(lineNumber));
            return kHexMalformed;
        }
        if (outcome == RecordOutcome::kEndOfFile)
            break;
        if (atEnd)
        {
            log(kLogError, "HEX image ends without an end-of-file record");
            return kHexMalformed;
        }
    }
    return state.anyData ? kHexImported : kHexNoData;
}

} // namespace Tonecrest::PICLoader
