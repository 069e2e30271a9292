#include "ResourcePackFormat.h"

#include <limits>

namespace ResourcePackFormat
{

uint32_t readLE32(const uint8_t* bytes)
{
    return uint32_t(bytes[0]) | (uint32_t(bytes[1]) << 8) | (uint32_t(bytes[2]) << 16) | (uint32_t(bytes[3]) << 24);
}

void appendLE32(std::vector<uint8_t>& out, uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(uint8_t(value >> shift));
}

DirectoryRecord decodeRecord(const uint8_t* directory, uint32_t index)
{
    const uint8_t* record = directory + size_t(index) * recordBytes;
    return { readLE32(record), readLE32(record + 4), readLE32(record + 8), readLE32(record + 12) };
}

std::vector<uint8_t> build(const std::vector<Entry>& entries)
{
    uint64_t total = headerBytes + uint64_t(entries.size()) * recordBytes;
    for (const auto& entry : entries)
        total += entry.name.size() + entry.data.size();
    if (total > std::numeric_limits<uint32_t>::max())
        return {};

    std::vector<uint8_t> pack;
    pack.reserve(size_t(total));
    pack.resize(headerBytes);

    std::vector<DirectoryRecord> records;
    records.reserve(entries.size());
    for (const auto& entry : entries)
    {
        DirectoryRecord record;
        record.nameOffset = uint32_t(pack.size());
        record.nameLength = uint32_t(entry.name.size());
        pack.insert(pack.end(), entry.name.begin(), entry.name.end());
        record.dataOffset = uint32_t(pack.size());
        record.dataSize = uint32_t(entry.data.size());
        pack.insert(pack.end(), entry.data.begin(), entry.data.end());
        records.push_back(record);
    }

    const auto directoryOffset = uint32_t(pack.size());
    for (const auto& record : records)
    {
        appendLE32(pack, record.nameOffset);
        appendLE32(pack, record.nameLength);
        appendLE32(pack, record.dataOffset);
        appendLE32(pack, record.dataSize);
    }

    std::vector<uint8_t> header;
    appendLE32(header, directoryOffset);
    appendLE32(header, uint32_t(entries.size()));
    std::copy(header.begin(), header.end(), pack.begin());
    return pack;
}

} // namespace ResourcePackFormat
