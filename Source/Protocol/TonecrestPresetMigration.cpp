#include "TonecrestPresetMigration.h"

#include <cmath>
#include <cstring>

namespace Tonecrest
{

namespace
{

// Keys of the old single effect block and of the blocks that replaced it.
constexpr uint32_t kEffModeKey = 22;
constexpr uint32_t kEffectSwitchMaskKey = 23;
constexpr uint32_t kEffLevelKey = 25;
constexpr uint32_t kEffSpeedKey = 26;
constexpr uint32_t kEffSweepKey = 27;
constexpr uint32_t kEffTweakAKey = 28;
constexpr uint32_t kEffTweakBKey = 95;
constexpr uint32_t kEffWetMixKey = 112;

constexpr uint32_t kChorusEnableKey = 161;
constexpr uint32_t kFlangerEnableKey = 184;
constexpr uint32_t kPhaserEnableKey = 198;
constexpr uint32_t kTremoloEnableKey = 211;

// Footswitch effect mask bits, one per new block.
constexpr float kChorusSwitchBit = 2.0f;
constexpr float kFlangerSwitchBit = 4.0f;
constexpr float kPhaserSwitchBit = 8.0f;
constexpr float kTremoloSwitchBit = 16.0f;

constexpr uint32_t kUnknownVersion = 0xFFFFFFFFu;

// Old presets come from files a user may have edited: a NaN or infinite value is treated
// like a missing one instead of being copied into four new blocks.
float inputValue(const std::map<uint32_t, float>& params, uint32_t key)
{
    auto found = params.find(key);
    if (found == params.end() || !std::isfinite(found->second))
        return 0.0f;
    return found->second;
}

// Rounded, then wrapped to 32 bits as the pedal stores it (-1 reads as 0xFFFFFFFF). A value
// that is no number at all counts as unknown.
uint32_t storedVersion(const std::map<uint32_t, float>& params)
{
    auto found = params.find(kPresetVersionKey);
    if (found == params.end())
        return 0;
    const double rounded = std::round(static_cast<double>(found->second));
    if (!std::isfinite(rounded))
        return kUnknownVersion;
    double wrapped = std::fmod(rounded, 4294967296.0);
    if (wrapped < 0.0)
        wrapped += 4294967296.0;
    return static_cast<uint32_t>(wrapped);
}

// Rounded to the nearest integer; anything outside the modes 0..3 gives -1.
int effectMode(float value)
{
    const float rounded = std::round(value);
    return rounded >= 0.0f && rounded <= 3.0f ? static_cast<int>(rounded) : -1;
}

void writeNewBlocks(std::map<uint32_t, float>& params)
{
    const int mode = effectMode(inputValue(params, kEffModeKey));
    const float on = std::round(inputValue(params, kEffectSwitchMaskKey)) != 0.0f ? 1.0f : 0.0f;
    const float level = inputValue(params, kEffLevelKey);
    const float speed = inputValue(params, kEffSpeedKey);
    const float sweep = inputValue(params, kEffSweepKey);
    const float tweakA = inputValue(params, kEffTweakAKey);
    const float tweakB = inputValue(params, kEffTweakBKey);
    const float mix = inputValue(params, kEffWetMixKey);

    params[kChorusEnableKey] = 0.0f;
    params[kFlangerEnableKey] = 0.0f;
    params[kPhaserEnableKey] = 0.0f;
    params[kTremoloEnableKey] = 0.0f;

    switch (mode)
    {
        case 0:
            params[kTremoloEnableKey] = on;
            params[kEffectSwitchMaskKey] = kTremoloSwitchBit;
            break;
        case 1:
            params[kChorusEnableKey] = on;
            params[kEffectSwitchMaskKey] = kChorusSwitchBit;
            break;
        case 2:
            params[kFlangerEnableKey] = on;
            params[kEffectSwitchMaskKey] = kFlangerSwitchBit;
            break;
        case 3:
            params[kPhaserEnableKey] = on;
            params[kEffectSwitchMaskKey] = kPhaserSwitchBit;
            break;
        default:
            params[kEffectSwitchMaskKey] = kChorusSwitchBit;
            break;
    }

    // Chorus. Low cut spans 30 Hz (10^1.4771212) to 3 kHz over the old Tweak A travel.
    params[162] = level;
    params[163] = mix;
    params[164] = 1.0f;
    params[165] = speed;
    params[166] = sweep;
    params[167] = 0.03f * tweakB;
    params[168] = std::pow(10.0f, 2.0f * tweakA + 1.4771212f);
    params[169] = 20000.0f;
    params[170] = 2.0f;
    params[171] = 1.0f;
    params[172] = 0.0f;
    params[173] = -1.0f;
    params[174] = 0.0f;
    params[175] = 0.0f;
    params[176] = 1.0f;
    params[177] = 90.0f;
    params[178] = -120.0f;
    params[179] = -1.0f;
    params[180] = 180.0f;
    params[181] = -120.0f;
    params[182] = 1.0f;
    params[183] = 270.0f;

    // Flanger.
    params[185] = level;
    params[186] = mix;
    params[187] = 1.0f;
    params[188] = 0.01f * tweakB;
    params[189] = speed;
    params[190] = sweep;
    params[191] = tweakA;
    params[192] = 1.0f;
    params[193] = 0.0f;
    params[194] = 0.5f;
    params[195] = 0.0f;
    params[196] = 0.0f;
    params[197] = 0.0f;

    // Phaser. Base frequency spans about 145 Hz to 579 Hz over the old Tweak B travel.
    params[199] = level;
    params[200] = 1.0f;
    params[201] = 1.0f;
    params[202] = speed;
    params[203] = sweep;
    params[204] = tweakA;
    params[205] = 0.0f;
    params[206] = 0.5f;
    params[207] = 0.0f;
    params[208] = 1.0f;
    params[209] = std::pow(10.0f, 0.6019101f * tweakB + 2.1607685f);
    params[210] = 1.0f;

    // Tremolo.
    params[212] = level;
    params[213] = speed;
    params[214] = sweep;
    params[215] = tweakB;
    params[216] = 0.5f;
    params[217] = 0.0f;
    params[218] = tweakA;
    params[219] = 0.5f;
}

bool isShownCharacter(unsigned char c)
{
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == ' ')
        return true;
    static const char kMarks[] = "!#$%^&*()_+-=/[]{}';:<>,.?@\"";
    return c != 0 && std::strchr(kMarks, c) != nullptr;
}

} // namespace

Result migratePresetParams(std::map<uint32_t, float>& params)
{
    const uint32_t version = storedVersion(params);
    if (version <= kLastSingleEffectVersion || version == kUnknownVersion)
        writeNewBlocks(params);

    params[kPresetVersionKey] = static_cast<float>(kCurrentPresetVersion);
    return kSuccess;
}

std::string sanitizeName(const std::string& name, std::size_t maxLength)
{
    std::string result = name.substr(0, maxLength);
    for (char& c : result)
        if (!isShownCharacter(static_cast<unsigned char>(c)))
            c = '?';
    return result;
}

} // namespace Tonecrest
