#include "ResourcePack.h"

#include <limits>

ResourcePack::ResourcePack(Reader packReader) : reader(std::move(packReader))
{
}

bool ResourcePack::isInsideFile(uint64_t offset, uint64_t size)
{
    if (size == 0)
        return true;
    const uint64_t last = offset + size - 1;
    if (last < offset || last > std::numeric_limits<uint32_t>::max())
        return false;
    uint8_t probe = 0;
    return reader && reader(uint32_t(last), 1, &probe);
}

bool ResourcePack::readIndex()
{
    using namespace ResourcePackFormat;

    index.clear();
    if (!reader)
        return false;

    uint8_t header[headerBytes];
    if (!reader(0, headerBytes, header))
        return false;
    const uint32_t directoryOffset = readLE32(header);
    const uint32_t entryCount = readLE32(header + 4);

    const uint64_t directorySize = uint64_t(entryCount) * recordBytes;
    if (!isInsideFile(directoryOffset, directorySize))
        return false;

    std::vector<uint8_t> directory(static_cast<size_t>(directorySize));
    if (directorySize > 0 && !reader(directoryOffset, directorySize, directory.data()))
        return false;

    for (uint32_t i = 0; i < entryCount; ++i)
    {
        const DirectoryRecord record = decodeRecord(directory.data(), i);
        if (!isInsideFile(record.nameOffset, record.nameLength))
            return false;

        std::string name(record.nameLength, '\0');
        if (record.nameLength > 0 && !reader(record.nameOffset, record.nameLength, name.data()))
            return false;
        // Bytes past the end cost only their own image. The record still replaces an earlier
        // one of its name, as any later record does.
        if (isInsideFile(record.dataOffset, record.dataSize))
            index[name] = record;
        else
            index.erase(name);
    }
    return true;
}

bool ResourcePack::readEntry(const std::string& name, std::vector<char>& out)
{
    const auto found = index.find(name);
    if (found == index.end())
        return false;
    const DirectoryRecord& record = found->second;
    // The index only holds records whose bytes were inside the file when it was read.
    out.resize(record.dataSize);
    if (record.dataSize == 0)
        return true;
    return reader(record.dataOffset, record.dataSize, out.data());
}

bool ResourcePack::reopen()
{
    images.clear();
    return readIndex();
}

void ResourcePack::registerImage(AppImageID id, std::string name)
{
    ImageEntry& entry = images[id];
    entry.name = std::move(name);
    entry.image = juce::Image();
}

juce::Image ResourcePack::getImage(AppImageID id)
{
    const auto found = images.find(id);
    if (found == images.end())
        return {};
    ImageEntry& entry = found->second;
    if (entry.image.isValid())
        return entry.image;

    std::vector<char> bytes;
    if (!readEntry(entry.name, bytes))
    {
        images.erase(found);
        return {};
    }
    if (bytes.empty())
        return {};

    juce::MemoryInputStream stream(bytes.data(), bytes.size(), false);
    entry.image = juce::ImageFileFormat::loadFrom(stream);
    return entry.image;
}

void ResourcePack::clearImages()
{
    images.clear();
}
