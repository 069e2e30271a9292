#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The layout of "resources.bin": an 8-byte header {directoryOffset, entryCount}, then anywhere
// in the file the names, the entry bytes and the directory of 16-byte records
// {nameOffset, nameLength, dataOffset, dataSize}. Every integer is 32-bit little-endian and
// every offset counts from the start of the file. Plain C++: the artwork tool writes packs
// with it at build time and the program reads them.

namespace ResourcePackFormat
{

inline constexpr uint32_t headerBytes = 8;
inline constexpr uint32_t recordBytes = 16;

struct DirectoryRecord
{
    uint32_t nameOffset = 0;
    uint32_t nameLength = 0;
    uint32_t dataOffset = 0;
    uint32_t dataSize = 0;
};

struct Entry
{
    std::string name;
    std::vector<uint8_t> data;
};

uint32_t readLE32(const uint8_t* bytes);
void appendLE32(std::vector<uint8_t>& out, uint32_t value);

/** Reads record `index` of a directory already in memory (index * 16 must lie inside it). */
DirectoryRecord decodeRecord(const uint8_t* directory, uint32_t index);

/** A whole pack: header, then each entry's name and bytes in order, then the directory.
    Returns an empty vector when the pack would not fit the 32-bit offsets. */
std::vector<uint8_t> build(const std::vector<Entry>& entries);

} // namespace ResourcePackFormat
