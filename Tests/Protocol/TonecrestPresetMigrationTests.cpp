#include "TonecrestPresetMigration.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>
#include <string>

using namespace Tonecrest;

namespace
{
using Params = std::map<uint32_t, float>;

constexpr float kStampedVersion = 393728.0f;

// A preset of the single-effect era: chorus mode, effect switched on, all controls set.
Params oldEffectPreset(float mode, float switchMask)
{
    return Params {
        { 22, mode }, { 23, switchMask }, { 25, -3.0f }, { 26, 2.5f }, { 27, 0.75f },
        { 28, 0.5f }, { 95, 0.5f }, { 112, 0.4f }, { 5, 0.6f }
    };
}

bool wasMigrated(const Params& params)
{
    return params.count(162) == 1;
}

} // namespace

TEST(MigrationVersion, OnlyPresetsUpTo251OrOfUnknownVersionAreRewritten)
{
    Params noVersion = oldEffectPreset(1, 1);
    ASSERT_TRUE(migratePresetParams(noVersion));
    EXPECT_TRUE(wasMigrated(noVersion));
    EXPECT_EQ(noVersion.at(238), kStampedVersion);

    // 2.5.1 is migrated and 2.5.2 is not. Erased flash (-1, or 0xFFFFFFFF which a float holds
    // as 2^32) and values that are no number at all count as unknown and are migrated.
    struct Case
    {
        float stored;
        bool migrated;
    };
    Params stampedOnly = oldEffectPreset(1, 1);
    stampedOnly[238] = kStampedVersion;
    for (const Case& c : { Case { static_cast<float>(0x020501), true }, Case { static_cast<float>(0x020502), false },
                           Case { -1.0f, true }, Case { 4294967296.0f, true },
                           Case { std::numeric_limits<float>::quiet_NaN(), true },
                           Case { std::numeric_limits<float>::infinity(), true } })
    {
        SCOPED_TRACE(c.stored);
        Params params = oldEffectPreset(1, 1);
        params[238] = c.stored;
        migratePresetParams(params);
        EXPECT_EQ(wasMigrated(params), c.migrated);
        EXPECT_EQ(params.at(238), kStampedVersion);
        if (!c.migrated)
        {
            EXPECT_EQ(params, stampedOnly);
        }
    }

    // A current preset passes again unchanged except for the stamp.
    Params current = { { 238, kStampedVersion }, { 162, 3.0f } };
    migratePresetParams(current);
    EXPECT_EQ(current, (Params { { 238, kStampedVersion }, { 162, 3.0f } }));
}

TEST(MigrationBlocks, ModeSelectsTheEnabledBlockAndItsFootswitchBit)
{
    struct Case { float mode; float switchMask; float chorus, flanger, phaser, tremolo, newMask; };
    const Case cases[] = {
        { 0, 1, 0, 0, 0, 1, 16 },
        { 0, 0, 0, 0, 0, 0, 16 },   // switched off: all four stay off
        { 1, 1, 1, 0, 0, 0, 2 },
        { 2, 3, 0, 1, 0, 0, 4 },
        { 3, 1, 0, 0, 1, 0, 8 },
        { 2.6f, 1, 0, 0, 1, 0, 8 }, // modes are rounded
        { 7, 1, 0, 0, 0, 0, 2 },
        { -1, 1, 0, 0, 0, 0, 2 },
        { std::numeric_limits<float>::quiet_NaN(), 1, 0, 0, 0, 1, 16 },   // unreadable: as absent (0)
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.mode);
        Params params = oldEffectPreset(c.mode, c.switchMask);
        migratePresetParams(params);
        EXPECT_EQ(params.at(161), c.chorus);
        EXPECT_EQ(params.at(184), c.flanger);
        EXPECT_EQ(params.at(198), c.phaser);
        EXPECT_EQ(params.at(211), c.tremolo);
        EXPECT_EQ(params.at(23), c.newMask);
    }
}

TEST(MigrationBlocks, EveryNewKeyGetsItsOldControlOrItsFixedValue)
{
    // level -3, speed 2.5, sweep 0.75, tweak A 0.5, tweak B 0.5, mix 0.4
    Params params = oldEffectPreset(1, 1);
    migratePresetParams(params);
    const Params expected {
        { 162, -3.0f }, { 163, 0.4f }, { 164, 1.0f }, { 165, 2.5f }, { 166, 0.75f }, { 167, 0.015f },
        { 168, 300.0f }, { 169, 20000.0f }, { 170, 2.0f }, { 171, 1.0f }, { 172, 0.0f }, { 173, -1.0f },
        { 174, 0.0f }, { 175, 0.0f }, { 176, 1.0f }, { 177, 90.0f }, { 178, -120.0f }, { 179, -1.0f },
        { 180, 180.0f }, { 181, -120.0f }, { 182, 1.0f }, { 183, 270.0f },
        { 185, -3.0f }, { 186, 0.4f }, { 187, 1.0f }, { 188, 0.005f }, { 189, 2.5f }, { 190, 0.75f },
        { 191, 0.5f }, { 192, 1.0f }, { 193, 0.0f }, { 194, 0.5f }, { 195, 0.0f }, { 196, 0.0f }, { 197, 0.0f },
        { 199, -3.0f }, { 200, 1.0f }, { 201, 1.0f }, { 202, 2.5f }, { 203, 0.75f }, { 204, 0.5f },
        { 205, 0.0f }, { 206, 0.5f }, { 207, 0.0f }, { 208, 1.0f }, { 209, 289.55f }, { 210, 1.0f },
        { 212, -3.0f }, { 213, 2.5f }, { 214, 0.75f }, { 215, 0.5f }, { 216, 0.5f }, { 217, 0.0f },
        { 218, 0.5f }, { 219, 0.5f },
    };
    for (const auto& [key, value] : expected)
        EXPECT_NEAR(params.at(key), value, 0.01f) << "key " << key;

    // Old effect keys are left for the pedal to ignore; other keys are untouched.
    EXPECT_EQ(params.at(22), 1.0f);
    EXPECT_EQ(params.at(112), 0.4f);
    EXPECT_EQ(params.at(5), 0.6f);
}

TEST(MigrationBlocks, MissingOrUnreadableInputsCountAsZero)
{
    Params params = { { 25, std::numeric_limits<float>::infinity() } };
    migratePresetParams(params);
    EXPECT_EQ(params.at(162), 0.0f);
    EXPECT_FLOAT_EQ(params.at(168), 30.0f);
    EXPECT_NEAR(params.at(209), 144.8f, 0.1f);
    EXPECT_EQ(params.at(23), 16.0f);
    EXPECT_EQ(params.at(211), 0.0f);
    for (const auto& entry : params)
        EXPECT_TRUE(std::isfinite(entry.second) || entry.first == 25) << entry.first;
}

TEST(SanitizeName, CutsToTheLimitAndReplacesWhatThePedalCannotShow)
{
    EXPECT_EQ(sanitizeName("ABCDEFGHIJKLMNOPQRST", 16), "ABCDEFGHIJKLMNOP");
    EXPECT_EQ(sanitizeName("Short", 16), "Short");
    EXPECT_EQ(sanitizeName("", 16), "");
    EXPECT_EQ(sanitizeName("Anything", 0), "");
    EXPECT_EQ(sanitizeName("Why?", 15), "Why?");
    EXPECT_EQ(sanitizeName("Caf\xC3\xA9", 16), "Caf??");
    EXPECT_EQ(sanitizeName("Tab\there", 16), "Tab?here");
    EXPECT_EQ(sanitizeName(std::string("a\0b", 3), 16), "a?b");
    EXPECT_EQ(sanitizeName("back\\slash|pipe~`", 32), "back?slash?pipe??");

    const std::string marks = "!#$%^&*()_+-=/[]{}';:<>,.?@\"";
    EXPECT_EQ(sanitizeName(marks, 64), marks);

    int shown = 0;
    for (int c = 0; c < 256; ++c)
        if (sanitizeName(std::string(1, static_cast<char>(c)), 1) != "?" || c == '?')
            ++shown;
    EXPECT_EQ(shown, 91);
}
