#pragma once

#include "TonecrestData.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Firmware made up for tests and for the generated firmware archive: a system image in Intel
// HEX for the simulated bootloader's chip, three DSP images and 24 amp models. None of it is
// firmware of any pedal; every image says so in plain text.
//
// The system image tells its version through a block the simulated pedal reads back from the
// flash it was programmed with, so a pedal that comes back after an update reports the
// version of the image it received:
//
//     HEX byte address kVersionAddress: eight 4-byte words, the value in byte 0 of each word,
//     the other three bytes 0: 'T' 'C' 'S' 'V' major minor patch (major ^ minor ^ patch ^ 0x5A)
//
// Byte 0 of a 4-byte word is stored by every chip family (family 2 has no byte 3), so the
// block reads back the same on all of them.

namespace Tonecrest::Testing::SyntheticFirmware
{

using Version = std::array<uint8_t, 3>;

constexpr uint32_t kCodeAddress = 0x1000;    // HEX byte address of the program code
constexpr uint32_t kCodeBytes = 0x1000;
constexpr uint32_t kBlankGapAddress = 0x1800; // 256 bytes of 0xFF inside the code
constexpr uint32_t kBlankGapBytes = 0x100;
constexpr uint32_t kVersionAddress = 0x3F00;
constexpr uint32_t kVersionBlockBytes = 32;
constexpr uint32_t kConfigAddress = 0x300000; // configuration bytes, behind an extended address
constexpr uint32_t kConfigBytes = 14;

constexpr size_t kAmpModelCount = 24;

/** The system image of that version as Intel HEX text: 16-byte data records, extended linear
    address records, "\r\n" line ends and the end-of-file record. */
std::vector<uint8_t> makeSystemHex(const Version& version);

/** The bytes makeSystemHex puts at HEX byte address [address, address + count); 0xFF where it
    puts nothing. */
std::vector<uint8_t> systemImageBytes(const Version& version, uint32_t address, size_t count);

/** The version block read back from a program-memory region's flash (bytes per address of
    the region's type); nothing when the region does not hold a valid block. */
std::optional<Version> versionInFlash(const std::vector<uint8_t>& flash, uint32_t regionStart,
                                      uint32_t bytesPerAddress);

/** A DSP image of length bytes, starting with a text line naming it. */
std::vector<uint8_t> makeDSPImage(const std::string& name, const Version& dspVersion, size_t length);

struct Options
{
    Version system { 3, 4, 1 };
    Version dsp { 6, 2, 0 };
};

/** Version info, "System.hex", the three DSP images and kAmpModelCount amp models in slots
    0..23: the content of the firmware archive the build generates. */
TonecrestData::Archive makeArchive(const Options& options = {});

/** The amp model of a slot in that archive. */
TonecrestData::AmpModel makeAmpModel(int slot);

} // namespace Tonecrest::Testing::SyntheticFirmware
