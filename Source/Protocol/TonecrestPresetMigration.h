#pragma once

#include "Result.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

// Data hygiene for what comes from files and from the pedal: the migration of presets saved
// by old firmware, and the sanitiser that keeps names within what a device block holds.
// Pure functions on caller-owned data: safe on any thread.

namespace Tonecrest
{

/** Storage key of the preset version (major << 16 | minor << 8 | patch, held as a float). */
constexpr uint32_t kPresetVersionKey = 238;

/** The version every preset read from a file is stamped with: 6.2.0. */
constexpr uint32_t kCurrentPresetVersion = 0x060200;

/** Newest firmware whose presets carry the single multi-mode effect block: 2.5.1. */
constexpr uint32_t kLastSingleEffectVersion = 0x020501;

/** Rewrites a preset parameter map (storage key to device value) read from a data file: a
    preset from firmware 2.5.1 or older (or of unknown version) gets chorus, flanger, phaser
    and tremolo blocks made from its old effect block, whose keys are left as they are. Every
    preset is then stamped with the current version. Always succeeds. */
Result migratePresetParams(std::map<uint32_t, float>& params);

/** The first maxLength bytes of name, with every byte the pedal cannot show turned into '?'.
    Shown are letters, digits, the blank and ! # $ % ^ & * ( ) _ + - = / [ ] { } ' ; : < > ,
    . ? @ and the double quote; control characters and bytes above 127 are not. */
std::string sanitizeName(const std::string& name, std::size_t maxLength);

} // namespace Tonecrest
