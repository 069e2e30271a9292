#pragma once

#include "AppImageID.h"
#include "ResourcePackFormat.h"

#include <juce_graphics/juce_graphics.h>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

/** The pack of interface images ("resources.bin"): its directory, read once into memory, and
    the images registered under AppImageIDs, each decoded on first use and kept.

    The pack is read only through the reader, which must deliver exactly `size` bytes from
    `offset` or return false. The reader does not say how long the file is, so every range that
    a file value names is first probed by reading its last byte: a count, offset or length that
    points past the end of the file fails before anything is allocated for it.

    Message thread only; no locking. */
class ResourcePack
{
public:
    using Reader = std::function<bool(uint32_t offset, uint64_t size, void* dest)>;
    using DirectoryRecord = ResourcePackFormat::DirectoryRecord;

    explicit ResourcePack(Reader reader);

    /** Reads the header and the directory into the name index (a later record with the same
        name replaces an earlier one). False when the header, the directory or any record's name
        or bytes lie outside the file; records read before the failure stay in the index. */
    bool readIndex();

    /** The bytes of the named entry; false when the name is not in the index or the read fails. */
    bool readEntry(const std::string& name, std::vector<char>& out);

    /** Drops every registration and decoded image, then reads the directory again. */
    bool reopen();

    /** Registers (or re-registers, dropping a decoded image) `id` under an entry name. */
    void registerImage(AppImageID id, std::string name);

    /** The decoded image of `id`, null when `id` is not registered or does not decode. An entry
        that cannot be read unregisters `id` for good; one that does not decode is tried again
        on the next call. */
    juce::Image getImage(AppImageID id);

    /** Empties the image cache and the registrations; the index and the reader stay. */
    void clearImages();

    bool isRegistered(AppImageID id) const { return images.count(id) != 0; }
    size_t getNumIndexedEntries() const { return index.size(); }

private:
    struct ImageEntry
    {
        std::string name;
        juce::Image image;
    };

    /** True when [offset, offset + size) lies inside the file and inside the reader's 32-bit
        offsets; an empty range always does. */
    bool isInsideFile(uint64_t offset, uint64_t size);

    std::map<AppImageID, ImageEntry> images;
    Reader reader;
    std::map<std::string, DirectoryRecord> index;
};
