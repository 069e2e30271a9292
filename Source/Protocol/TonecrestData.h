#pragma once

#include "Result.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// The pedal's content as plain records (presets, cabinets, amp models, whole-device
// archives, firmware versions) and the codecs between those records and the fixed-size
// little-endian blocks that the device transfers and the data files store as segments.
//
// Codecs are pure functions on caller-owned memory: safe on any thread, no locks, no
// allocation beyond the strings and maps they fill. Encoders write exactly their block's
// size and fail without touching the block when it is smaller than that. Decoders never
// read past the size they are given and never fail: a short block reads as though padded
// with zero bytes (a name ends there, samples and words are 0), a parameter list is read
// as whole pairs only.

namespace Tonecrest::TonecrestData
{

/** Storage key (the parameter's device index) to the device's float value. */
using ParameterMap = std::map<uint32_t, float>;

// ---------------------------------------------------------------------------------------
// Block shapes

constexpr size_t wordBytes = 4;
constexpr size_t paramPairBytes = 8;

constexpr size_t presetParamPairs = 512;
constexpr size_t ampParamPairs = 256;
constexpr size_t globalsParamPairs = 128;
constexpr size_t presetParamBlockBytes = presetParamPairs * paramPairBytes;   // 4096
constexpr size_t ampParamBlockBytes = ampParamPairs * paramPairBytes;         // 2048
constexpr size_t globalsParamBlockBytes = globalsParamPairs * paramPairBytes; // 1024

/** Key of an unused pair; the first one ends a parameter list. */
constexpr uint32_t paramListEndKey = 0xFFFFFFFFu;

constexpr size_t presetNameChars = 16;
constexpr size_t cabinetNameChars = 15;
constexpr size_t ampInfoNameChars = 16;
constexpr size_t longNameChars = 255;
constexpr size_t presetNameBlockBytes = 68;     // 16 character words, then a zero word
constexpr size_t cabinetNameBlockBytes = 64;    // 15 character words, then a zero word
constexpr size_t ampInfoBlockBytes = 68;        // id word, then 16 character words
constexpr size_t longNameBlockBytes = longNameChars * wordBytes; // 1020

constexpr size_t cabinetChannelSamples = 1024;
constexpr size_t cabinetSampleCount = 2 * cabinetChannelSamples;          // 2048
constexpr size_t cabinetDataBlockBytes = cabinetSampleCount * wordBytes;  // 8192

constexpr size_t ampDataWords1Count = 2048;
constexpr size_t ampDataWords2Count = 1024;
constexpr size_t ampDataBlockBytes = ampDataWords1Count * wordBytes;   // 8192
constexpr size_t ampExtraBlockBytes = ampDataWords2Count * wordBytes;  // 4096

/** Amp model block: amp parameter list, then the two long names. */
constexpr size_t ampModelBlockBytes = 4096;
constexpr size_t ampModelLongName1Offset = 2048;
constexpr size_t ampModelLongName2Offset = 3072;

/** Amp-model id of an empty slot on the device. */
constexpr uint32_t emptyAmpModelId = 0xFFFFFFFFu;

// ---------------------------------------------------------------------------------------
// Records

/** A cabinet impulse: two channels of 1024 samples, channel 0 first. */
struct Cabinet
{
    /** A unit impulse in each channel (samples 0 and 1024 are 1.0) and an empty name. */
    Cabinet();

    std::array<float, cabinetSampleCount> samples;
    std::string name; // 15 characters survive the device and data files
};

/** One stored preset. Copies are deep: the cabinet is duplicated, never shared. */
struct Preset
{
    Preset() = default;
    Preset(const Preset& other);
    Preset& operator=(const Preset& other);
    Preset(Preset&&) noexcept = default;
    Preset& operator=(Preset&&) noexcept = default;

    ParameterMap params;
    std::string name; // 16 characters survive the device and data files
    /** The preset's own cabinet impulse; null when it carries none. */
    std::unique_ptr<Cabinet> cabinet;
};

/** One slot of the device's amp-model list. */
struct AmpModelInfo
{
    uint32_t id = emptyAmpModelId;
    std::string name; // at most 16 characters
};

/** What an amp model block carries: the amp's parameters and its two long names. */
struct AmpModelParams
{
    ParameterMap params;   // at most 256 entries
    std::string longName1; // at most 255 characters
    std::string longName2; // at most 255 characters
};

/** An amp model as the device and the .amp files hold it. The data words are opaque to the
    editor and carried word for word. Copies are deep. */
struct AmpModel : AmpModelParams
{
    AmpModel();
    AmpModel(const AmpModel& other);
    AmpModel& operator=(const AmpModel& other);
    AmpModel(AmpModel&&) noexcept = default;
    AmpModel& operator=(AmpModel&&) noexcept = default;

    AmpModelInfo info;
    std::array<uint32_t, ampDataWords1Count> dataWords1;
    std::array<uint32_t, ampDataWords2Count> dataWords2;
    /** Second parameter set, only carried through files; null when absent. */
    std::unique_ptr<AmpModelParams> alternate;
};

/** Firmware versions as {major, minor, patch, 0} and the pedal's variant. */
struct FirmwareVersionInfo
{
    std::array<uint8_t, 4> system { 0, 0, 0, 0 };
    std::array<uint8_t, 4> dsp { 0, 0, 0, 0 };
    int32_t subType = -1; // -1: not reported

    /** The four bytes as one big-endian number, so 3.4.1 is 0x03040100 and compares as such. */
    static uint32_t versionNumber(const std::array<uint8_t, 4>& version);
    uint32_t systemVersionNumber() const { return versionNumber(system); }
    uint32_t dspVersionNumber() const { return versionNumber(dsp); }
};

/** The two DSP images of a firmware update, sent byte for byte as held here. */
struct FirmwareData
{
    std::vector<uint8_t> dsp0Image;
    std::vector<uint8_t> dsp1Image;
};

/** A whole pedal (backup) or a firmware package. Entries keep the order they were added in. */
struct Archive
{
    struct AmpModelEntry
    {
        int32_t index = 0; // device amp-model slot
        AmpModel model;
    };

    struct PresetEntry
    {
        int32_t index = 0; // preset slot 0..127
        Preset preset;
    };

    struct CabinetEntry
    {
        int32_t index = 0; // user-cabinet slot 0..31
        Cabinet cabinet;
    };

    std::optional<FirmwareVersionInfo> versionInfo;
    std::optional<std::vector<uint8_t>> systemFirmware; // Intel HEX text
    std::optional<std::vector<uint8_t>> dspFirmware;    // plain (not bit-reversed) images
    std::optional<std::vector<uint8_t>> dspFirmwareQV6;
    std::optional<std::vector<uint8_t>> dspFirmware2;
    std::vector<AmpModelEntry> ampModels;
    std::vector<PresetEntry> presets;
    std::vector<CabinetEntry> userCabinets;
    std::optional<ParameterMap> globals;
};

// ---------------------------------------------------------------------------------------
// Parameter lists: {u32 key, u32 float bits} pairs in key order, {0xFFFFFFFF, 0} after.

/** The map's entries as (key, value) pairs, keys ascending. */
std::vector<std::pair<uint32_t, float>> toSortedParameterPairs(const ParameterMap& params);

/** Fills blockBytes / 8 pairs. "Too many params" when the map has more entries than that;
    the block is then left as it was. */
Result encodeParamList(const ParameterMap& params, uint8_t* block, size_t blockBytes);

/** encodeParamList over the first 4096, 2048 or 1024 bytes of the block;
    "Block too small" when blockBytes is less. */
Result encodePresetParams(const ParameterMap& params, uint8_t* block, size_t blockBytes);
Result encodeAmpParams(const ParameterMap& params, uint8_t* block, size_t blockBytes);
Result encodeGlobals(const ParameterMap& params, uint8_t* block, size_t blockBytes);

/** Clears the map, then reads whole pairs from the start of the data up to the first key
    0xFFFFFFFF; a repeated key keeps the later value. */
Result decodeParamList(const uint8_t* data, size_t size, ParameterMap& params);

// ---------------------------------------------------------------------------------------
// Names: one character per 32-bit word, in the word's low byte.

/** Zeroes all blockBytes bytes, then writes at most `slots` characters, one per word, stopping
    at the string's first zero. "Block too small" when the block holds fewer than `slots` words. */
Result encodeCharacterWords(const std::string& text, size_t slots, uint8_t* block, size_t blockBytes);

/** The low bytes of at most `slots` words, up to the first zero byte. */
Result decodeCharacterWords(const uint8_t* data, size_t size, size_t slots, std::string& text);

Result encodePresetName(const std::string& name, uint8_t* block, size_t blockBytes);  // 68 bytes
Result decodePresetName(const uint8_t* data, size_t size, std::string& name);
Result encodeCabinetName(const std::string& name, uint8_t* block, size_t blockBytes); // 64 bytes
Result decodeCabinetName(const uint8_t* data, size_t size, std::string& name);
Result encodeLongName(const std::string& name, uint8_t* block, size_t blockBytes);    // 1020 bytes
Result decodeLongName(const uint8_t* data, size_t size, std::string& name);

/** 68 bytes: word 0 the id, words 1..16 the name. */
Result encodeAmpModelInfo(const AmpModelInfo& info, uint8_t* block, size_t blockBytes);
Result decodeAmpModelInfo(const uint8_t* data, size_t size, AmpModelInfo& info);

// ---------------------------------------------------------------------------------------
// Sample and word blocks: 32-bit little-endian words copied one for one.

/** count words into count * 4 bytes; "Block too small" when blockBytes is less. */
Result encodeWords(const uint32_t* words, size_t count, uint8_t* block, size_t blockBytes);
/** count words from the data; words past its end are 0. */
Result decodeWords(const uint8_t* data, size_t size, uint32_t* words, size_t count);

/** 8192 bytes: the 2048 samples' float bits, channel 0 first. */
Result encodeCabinetSamples(const Cabinet& cabinet, uint8_t* block, size_t blockBytes);
/** The cabinet's 2048 samples from the data (the name is left alone). */
Result copyCabinetSamples(const uint8_t* data, size_t size, Cabinet& cabinet);

/** dataWords1 as an 8192-byte block and dataWords2 as a 4096-byte block. */
Result encodeAmpModelData(const AmpModel& model, uint8_t* block, size_t blockBytes);
Result decodeAmpModelData(const uint8_t* data, size_t size, AmpModel& model);
Result encodeAmpModelExtra(const AmpModel& model, uint8_t* block, size_t blockBytes);
Result decodeAmpModelExtra(const uint8_t* data, size_t size, AmpModel& model);

/** 4096 bytes: 256-pair amp parameter list at 0, longName1 at 2048, longName2 at 3072,
    zero words between. Serves an AmpModel and its alternate alike. */
Result encodeAmpModelParams(const AmpModelParams& model, uint8_t* block, size_t blockBytes);
/** params from the first 2048 bytes only, the long names from their offsets. */
Result decodeAmpModelParams(const uint8_t* data, size_t size, AmpModelParams& model);

// ---------------------------------------------------------------------------------------
// Checksum

/** 16-bit sum: per byte, rotate right by one bit, then add the byte. Pass the previous
    value as `start` to fold a block in chunks. "abc" gives 0x40ac. */
uint16_t dataChecksum(const uint8_t* data, size_t size, uint16_t start = 0);

} // namespace Tonecrest::TonecrestData
