#pragma once

#include "IInputStream.h"
#include "IOutputStream.h"
#include "Result.h"
#include "TonecrestData.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// The text data files (.pre, .cab, .glo, .amp) that carry device blocks as columns of
// hexadecimal words between marker lines, the converters between those files and the
// TonecrestData records, the whole-stream operations that archives use for their other
// entries, and the two-line firmware version text "ArchiveInfo.txt".
//
// Everything here is a pure function of its stream and its arguments: safe on any thread as
// long as no two threads share a stream or a record. Nothing read from a file sizes a buffer
// unchecked: lines, segments, segment counts and whole streams have fixed upper bounds.

namespace Tonecrest
{

/** One data file in memory. */
struct DataFile
{
    enum Type : uint32_t
    {
        kPreset = 0,
        kUserCabinet = 1,
        kGlobals = 2,
        kAmpModel = 3
    };

    DataFile() = default;
    /** A file of the given type and slot with segmentCount empty segments. */
    DataFile(uint32_t type, uint32_t index, size_t segmentCount);

    /** Replaces type, index and segments with what the text file holds. On failure the file
        may hold part of what was read. */
    Result read(IInputStream& stream);

    /** Writes the text form; stops at the first failed write and returns it. */
    Result write(IOutputStream& stream) const;

    uint32_t type = kPreset;
    uint32_t index = 0; // the slot the data came from; 0 for globals
    std::vector<std::vector<uint8_t>> segments;
};

/** "Preset data", "User Cabinet data", "Globals data", "Amp_Model data"; null for others. */
const char* dataFileTypeString(uint32_t type);

/** ".pre", ".cab", ".glo", ".amp"; null for other types. */
const char* dataFileExtension(uint32_t type);

// Reader bounds. Real files stay far below them: the longest line is the type line, the
// largest segment 8192 bytes, the most segments five.
constexpr size_t dataFileMaxLineBytes = 1024;      // a longer line fails the read
constexpr size_t dataFileMaxSegmentBytes = 16384;  // "Segment too large" beyond
constexpr size_t dataFileMaxSegments = 16;         // "Too many segments" beyond
constexpr size_t wholeStreamMaxBytes = 64u << 20;  // "Stream too large" beyond (firmware images)

// ---------------------------------------------------------------------------------------
// Converters. An index pointer may be null when the caller does not want the slot number.
// A failed read may leave the record partly filled; the caller discards it.

/** Reads a preset file and migrates it to the current preset version. */
Result readPresetFile(IInputStream& stream, TonecrestData::Preset& preset, uint32_t* index);
Result writePresetFile(const TonecrestData::Preset& preset, IOutputStream& stream, uint32_t index);

/** Reads samples and name; a slot number comes out through index. */
Result readCabinetFile(IInputStream& stream, TonecrestData::Cabinet& cabinet, uint32_t* index);
Result writeCabinetFile(const TonecrestData::Cabinet& cabinet, IOutputStream& stream, uint32_t index);

Result readGlobalsFile(IInputStream& stream, TonecrestData::ParameterMap& globals);
/** "Too many params" with more than 128 entries, before anything is written. */
Result writeGlobalsFile(const TonecrestData::ParameterMap& globals, IOutputStream& stream);

Result readAmpModelFile(IInputStream& stream, TonecrestData::AmpModel& model, uint32_t* index);
/** "Too many params" with more than 256 entries in params or alternate, before anything is written. */
Result writeAmpModelFile(const TonecrestData::AmpModel& model, IOutputStream& stream, uint32_t index);

// ---------------------------------------------------------------------------------------
// Whole streams: archive entries that are not data files.

/** The whole stream into bytes (emptied first). "Stream too large" past wholeStreamMaxBytes. */
Result readStream(IInputStream& stream, std::vector<uint8_t>& bytes);
/** All bytes in one write. */
Result writeStream(const std::vector<uint8_t>& bytes, IOutputStream& stream);

/** readStream, then every byte's bit order reversed (bit 7 with bit 0, and so on). */
Result readReversedStream(IInputStream& stream, std::vector<uint8_t>& bytes);
/** A bit-reversed copy of the bytes in one write. */
Result writeReversedStream(const std::vector<uint8_t>& bytes, IOutputStream& stream);

/** Each byte with its bit order reversed; its own inverse. */
void reverseBitsInEachByte(std::vector<uint8_t>& bytes);

// ---------------------------------------------------------------------------------------
// "ArchiveInfo.txt"

/** Starts from system 0.0.0, DSP 0.0.0, subtype -1, then takes every "SYSTEM_FW_VERSION"
    and "DSP_FW_VERSION" line with three numbers; a later line overrides an earlier one. */
Result parseFirmwareVersionText(IInputStream& stream, TonecrestData::FirmwareVersionInfo& info);
/** The system line, then the DSP line; the subtype is not written. */
Result formatFirmwareVersionText(const TonecrestData::FirmwareVersionInfo& info, IOutputStream& stream);

// ---------------------------------------------------------------------------------------
// Slots. Data files carry their own slot numbers, so an archive may name any slot; a restore
// checks them against the pedal's slot counts before it writes anything.

constexpr int32_t presetSlotCount = 128;
constexpr int32_t userCabinetSlotCount = 32;
constexpr int32_t ampModelSlotCount = 256;

inline bool isValidPresetSlot(int32_t slot) { return slot >= 0 && slot < presetSlotCount; }
inline bool isValidUserCabinetSlot(int32_t slot) { return slot >= 0 && slot < userCabinetSlotCount; }
inline bool isValidAmpModelSlot(int32_t slot) { return slot >= 0 && slot < ampModelSlotCount; }

/** Checks the slot of every entry of the chosen kinds and fails for the first one out of
    range with "Invalid preset slot %d", "Invalid user cabinet slot %d" or
    "Invalid amp model slot %d" (the slot number goes to the log). */
Result checkArchiveSlots(const TonecrestData::Archive& archive, bool presets = true, bool userCabinets = true,
                         bool ampModels = true);

} // namespace Tonecrest
