#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

// The simulated pedal's own reading of its block layouts: little-endian words, parameter
// lists of {key, float bits} pairs, names one character per word, and the 16-bit data
// checksum. Written apart from the editor's codecs on purpose, so that a misreading on
// either side shows up as a failed test instead of cancelling out. Pure functions.

namespace Tonecrest::Testing::PedalBlockFormat
{

constexpr uint32_t kListEndKey = 0xFFFFFFFFu;
constexpr uint32_t kEmptyAmpModelId = 0xFFFFFFFFu;

// Block sizes in bytes, per data type.
constexpr size_t kGlobalsBytes = 1024;          // type 1: 128 pairs
constexpr size_t kPresetNameBytes = 68;         // type 2: 16 character words + a zero word
constexpr size_t kPresetListBytes = 4096;       // type 3: 512 pairs
constexpr size_t kShortPresetListBytes = 1024;  // type 3 on older pedals: 128 pairs
constexpr size_t kAmpInfoBytes = 68;            // type 5: id word + 16 character words
constexpr size_t kAmpModelBytes = 4096;         // type 6: 256 pairs, two 255-character names
constexpr size_t kAmpDataBytes = 8192;          // type 7: 2048 words
constexpr size_t kAmpExtraBytes = 4096;         // type 8: 1024 words
constexpr size_t kCabinetNameBytes = 64;        // types 9, 12, 14: 15 character words + a zero word
constexpr size_t kCabinetSamplesBytes = 8192;   // types 10, 13, 15: 2 x 1024 floats

constexpr size_t kPresetNameChars = 16;
constexpr size_t kCabinetNameChars = 15;
constexpr size_t kAmpNameChars = 16;
constexpr size_t kLongNameChars = 255;
constexpr size_t kAmpPairs = 256;
constexpr size_t kAmpLongName1Offset = 2048;
constexpr size_t kAmpLongName2Offset = 3072;

uint16_t getU16(const uint8_t* at);
uint32_t getU32(const uint8_t* at);
void putU16(uint8_t* at, uint16_t value);
void putU32(uint8_t* at, uint32_t value);
uint32_t floatBits(float value);
float floatFromBits(uint32_t bits);

/** Per byte: rotate the 16-bit sum right by one bit, then add the byte. */
uint16_t checksum(const uint8_t* data, size_t length);

/** pairCount pairs in key order, {0xFFFFFFFF, 0} after the last; false (and out untouched)
    when the map does not fit. */
bool encodeParameterList(const std::map<uint32_t, float>& params, size_t pairCount, std::vector<uint8_t>& out);
/** Whole pairs from byte `offset` up to pairCount or the end of the data, stopping at the
    first end key. */
std::map<uint32_t, float> decodeParameterList(const std::vector<uint8_t>& block, size_t offset, size_t pairCount);

/** At most `slots` characters into the low bytes of the words from `offset`, the rest of
    those words zero. The block must hold the slots. */
void putName(std::vector<uint8_t>& block, size_t offset, const std::string& name, size_t slots);
/** The low bytes of up to `slots` words from `offset`, stopping at a zero or the data's end. */
std::string getName(const std::vector<uint8_t>& block, size_t offset, size_t slots);

/** Words (or float bits) from `offset`; words past the data's end read as 0. */
void putWords(std::vector<uint8_t>& block, size_t offset, const uint32_t* words, size_t count);
void getWords(const std::vector<uint8_t>& block, size_t offset, uint32_t* words, size_t count);
void putFloats(std::vector<uint8_t>& block, size_t offset, const float* values, size_t count);
void getFloats(const std::vector<uint8_t>& block, size_t offset, float* values, size_t count);

} // namespace Tonecrest::Testing::PedalBlockFormat
