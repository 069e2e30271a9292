#include "UserCabinetImporter.h"

#include "AudioFileBuilder.h"
#include "ProtocolTestHelpers.h"
#include "TonecrestData.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

using namespace Tonecrest;
using namespace Tonecrest::Testing;

namespace
{

constexpr double pi = 3.14159265358979323846;
constexpr size_t channelSamples = 1024;

struct Imported
{
    Result result;
    TonecrestData::Cabinet cabinet; // starts as the unit impulse, as the edit page's does
    std::vector<float> left() const { return { cabinet.samples.begin(), cabinet.samples.begin() + channelSamples }; }
    std::vector<float> right() const { return { cabinet.samples.begin() + channelSamples, cabinet.samples.end() }; }
};

Imported import(const Bytes& file)
{
    TempFile temp(file, "impulse");
    EXPECT_TRUE(temp.ok());
    Imported imported;
    imported.result = UserCabinetImporter::importUserCabinet(temp.path(), imported.cabinet.samples.data());
    return imported;
}

/** Interleaved frames of one sine per channel. */
std::vector<double> stereoSines(double leftHz, double rightHz, double rate, int frames)
{
    std::vector<double> interleaved;
    for (int i = 0; i < frames; ++i)
    {
        interleaved.push_back(0.5 * std::sin(2 * pi * leftHz * i / rate));
        interleaved.push_back(0.5 * std::sin(2 * pi * rightHz * i / rate));
    }
    return interleaved;
}

void expectUnitImpulse(const TonecrestData::Cabinet& cabinet)
{
    for (size_t i = 0; i < cabinet.samples.size(); ++i)
        ASSERT_EQ(cabinet.samples[i], i % channelSamples == 0 ? 1.0f : 0.0f) << i;
}

} // namespace

TEST(UserCabinetImporter, ShortMonoFileAt48kHzFillsBothChannelsAndPadsWithZeros)
{
    std::vector<double> samples;
    for (int i = 0; i < 300; ++i)
        samples.push_back(((i * 37) % 200 - 100) / 128.0);
    const Imported imported = import(wavFile({ 1, 1, 48000, 16 }, wavPcmData(samples, 16)));
    ASSERT_TRUE(imported.result.ok);

    std::vector<float> expected(samples.begin(), samples.end());
    expected.resize(channelSamples, 0.0f);
    EXPECT_EQ(imported.left(), expected);
    EXPECT_EQ(imported.right(), expected);
}

TEST(UserCabinetImporter, LongFileAt48kHzIsCutAt1024SamplesUntouched)
{
    std::vector<double> interleaved;
    for (int i = 0; i < 5000; ++i)
    {
        interleaved.push_back(std::ldexp(double(i % 1000), -10));
        interleaved.push_back(-std::ldexp(double(i % 700), -10));
    }
    const Imported imported = import(aiffFile(2, 24, 48000, [&] {
        Bytes bigEndian;
        for (double sample : interleaved)
        {
            const int32_t value = int32_t(sample * 8388608.0);
            bigEndian.insert(bigEndian.end(), { uint8_t(value >> 16), uint8_t(value >> 8), uint8_t(value) });
        }
        return bigEndian;
    }()));
    ASSERT_TRUE(imported.result.ok);
    for (size_t i = 0; i < channelSamples; ++i)
    {
        ASSERT_EQ(imported.left()[i], float(interleaved[2 * i])) << i;
        ASSERT_EQ(imported.right()[i], float(interleaved[2 * i + 1])) << i;
    }
}

TEST(UserCabinetImporter, StereoFileAt44100HzIsResampledTo1024SamplesPerChannel)
{
    // 1024 frames come out as about 1115 samples at 48 kHz; the first 1024 are kept, and each
    // channel keeps its own tone at its own frequency.
    const Imported imported = import(wavFile({ 1, 2, 44100, 24 }, wavPcmData(stereoSines(1000, 3000, 44100, 1024), 24)));
    ASSERT_TRUE(imported.result.ok);
    const std::vector<float> left = imported.left(), right = imported.right();
    double worst = 0.0;
    for (size_t k = 40; k < channelSamples; ++k)
    {
        worst = std::max(worst, std::fabs(left[k] - 0.5 * std::sin(2 * pi * 1000 * double(k) / 48000)));
        worst = std::max(worst, std::fabs(right[k] - 0.5 * std::sin(2 * pi * 3000 * double(k) / 48000)));
    }
    EXPECT_LT(worst, 1e-3);
    // The signal runs to the last kept sample: nothing was padded.
    EXPECT_GT(std::fabs(left[1023]) + std::fabs(left[1022]), 0.01);
}

TEST(UserCabinetImporter, HighRateImpulsesLandAtTheirTimeInTheirChannel)
{
    for (uint32_t rate : { 96000u, 192000u })
    {
        const int ratio = int(rate / 48000);
        std::vector<double> interleaved(2 * 2000 * size_t(ratio), 0.0);
        interleaved[2 * 100 * size_t(ratio)] = 0.75;         // left: 100 samples in at 48 kHz
        interleaved[2 * 900 * size_t(ratio) + 1] = -0.75;    // right: 900 samples in
        interleaved[2 * 1500 * size_t(ratio)] = 0.75;        // beyond the 1024 kept samples
        const Imported imported = import(wavFile({ 3, 2, rate, 32 }, [&] {
            Bytes bytes;
            for (double sample : interleaved)
            {
                const float single = float(sample);
                uint32_t bits;
                std::memcpy(&bits, &single, sizeof bits);
                const Bytes word = le({ bits }, 4);
                bytes.insert(bytes.end(), word.begin(), word.end());
            }
            return bytes;
        }()));
        ASSERT_TRUE(imported.result.ok) << rate;
        const std::vector<float> left = imported.left(), right = imported.right();
        EXPECT_EQ(std::max_element(left.begin(), left.end()) - left.begin(), 100) << rate;
        EXPECT_EQ(std::min_element(right.begin(), right.end()) - right.begin(), 900) << rate;
        // Band-limited to 0.9 of the new Nyquist frequency, the impulse's peak drops by that
        // share of the source band.
        EXPECT_NEAR(left[100], 0.75 * 0.9 * 48000 / rate, 1e-3) << rate;
        EXPECT_LT(std::fabs(right[100]), 1e-3) << rate;
        EXPECT_LT(std::fabs(left[900]), 1e-3) << rate;
    }
}

TEST(UserCabinetImporter, FailuresReportOneTextAndLeaveTheUnitImpulse)
{
    const Bytes goodData = wavPcmData(std::vector<double>(64, 0.25), 16);
    Bytes truncated = wavFile({}, goodData);
    truncated.resize(truncated.size() - 7);
    // A tone at a quarter of the rate at the largest float: resampled, its peaks pass it.
    Bytes hugeFloats;
    for (int i = 0; i < 64; ++i)
    {
        const Bytes word = le({ (i / 2) % 2 == 0 ? 0x7F7FFFFFu : 0xFF7FFFFFu }, 4);
        hugeFloats.insert(hugeFloats.end(), word.begin(), word.end());
    }
    const struct
    {
        const char* name;
        Bytes file;
    } cases[] = {
        { "22050 Hz", wavFile({ 1, 1, 22050, 16 }, goodData) },
        { "22050 Hz AIFF", aiffFile(1, 16, 22050, Bytes(128, 0x10)) },
        { "three channels", wavFile({ 1, 3, 48000, 16 }, Bytes(6 * 10, 0x10)) },
        { "12-bit", wavFile({ 1, 1, 48000, 12 }, goodData) },
        { "truncated", truncated },
        { "not audio", Bytes { 'n', 'o', 'p', 'e' } },
        { "resampled beyond the float range", wavFile({ 3, 1, 44100, 32 }, hugeFloats) },
    };
    for (const auto& testCase : cases)
    {
        CapturedLog log;
        const Imported imported = import(testCase.file);
        EXPECT_EQ(errorText(imported.result), "Error loading impulse file") << testCase.name;
        ASSERT_EQ(log.lines().size(), 1u) << testCase.name;
        EXPECT_TRUE(log.contains("Error loading impulse file")) << log.lines()[0];
        expectUnitImpulse(imported.cabinet);
    }

    // Whatever the caller's block held, a failure leaves the unit impulse; a missing file too.
    std::vector<float> out(2 * channelSamples, 0.5f);
    CapturedLog log;
    EXPECT_FALSE(UserCabinetImporter::importUserCabinet("/nonexistent/impulse.wav", out.data()).ok);
    TonecrestData::Cabinet cabinet;
    std::copy(out.begin(), out.end(), cabinet.samples.begin());
    expectUnitImpulse(cabinet);
    EXPECT_FALSE(UserCabinetImporter::importUserCabinet(nullptr, out.data()).ok);
}

TEST(UserCabinetImporter, KaiserWindowFallsFromOneToTheReciprocalOfI0)
{
    EXPECT_EQ(UserCabinetImporter::kaiserWindow(0, 1024, 6.0), 1.0);
    EXPECT_NEAR(UserCabinetImporter::kaiserWindow(1023, 1024, 6.0), 1.0 / 67.23440698, 1e-8);
    EXPECT_EQ(UserCabinetImporter::kaiserWindow(-1, 1024, 6.0), 0.0);
    EXPECT_EQ(UserCabinetImporter::kaiserWindow(1024, 1024, 6.0), 0.0);
    EXPECT_EQ(UserCabinetImporter::kaiserWindow(0, 1, 6.0), 1.0);
    // Halfway: I0(6 sqrt(1 - (511/1023)^2)) / I0(6).
    EXPECT_NEAR(UserCabinetImporter::kaiserWindow(511, 1024, 6.0), 0.48369, 1e-4);
    for (int n = 1; n < 1024; ++n)
        ASSERT_LT(UserCabinetImporter::kaiserWindow(n, 1024, 6.0), UserCabinetImporter::kaiserWindow(n - 1, 1024, 6.0)) << n;
    EXPECT_NEAR(UserCabinetImporter::besselI0(6.0), 67.23440698, 67.2 * 2e-7);
}
