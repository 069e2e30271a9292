#include "AudioFileReader.h"
#include "AudioFileBuilder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

using namespace Tonecrest;
using namespace Tonecrest::Testing;

namespace
{

using Samples = std::vector<double>;

using Reader = waverror (*)(const char*, double**, double**, int*, int*, bool*);

struct Decoded
{
    waverror code = kWavErrorNone;
    Samples left, right;
    int frames = -1;
    int rate = -1;
    bool mono = false;
};

Decoded decode(Reader reader, const Bytes& file)
{
    TempFile temp(file);
    EXPECT_TRUE(temp.ok()) << temp.path();
    Decoded result;
    double* left = nullptr;
    double* right = nullptr;
    result.code = reader(temp.path(), &left, &right, &result.frames, &result.rate, &result.mono);
    if (result.code == kWavErrorNone)
    {
        result.left.assign(left, left + result.frames);
        result.right.assign(right, right + result.frames);
    }
    else
    {
        // A failed read touches nothing of the caller's.
        EXPECT_TRUE(left == nullptr && right == nullptr && result.frames == -1 && result.rate == -1);
    }
    delete[] left;
    delete[] right;
    return result;
}

Decoded decodeWav(const Bytes& file) { return decode(&readWavFileCode, file); }
Decoded decodeAiff(const Bytes& file) { return decode(&readAiffFileCode, file); }

struct DecodeCase
{
    const char* name;
    Bytes file;
    int rate;
    Samples left;
    Samples right = {}; // empty: a mono file, both channels equal to left
};

void expectDecodes(Reader reader, const std::vector<DecodeCase>& cases)
{
    for (const DecodeCase& testCase : cases)
    {
        const Decoded decoded = decode(reader, testCase.file);
        ASSERT_EQ(decoded.code, kWavErrorNone) << testCase.name;
        EXPECT_EQ(decoded.rate, testCase.rate) << testCase.name;
        EXPECT_EQ(decoded.mono, testCase.right.empty()) << testCase.name;
        EXPECT_EQ(decoded.frames, int(testCase.left.size())) << testCase.name;
        EXPECT_EQ(decoded.left, testCase.left) << testCase.name;
        EXPECT_EQ(decoded.right, testCase.right.empty() ? testCase.left : testCase.right) << testCase.name;
    }
}

struct RejectCase
{
    const char* name;
    Bytes file;
    waverror code;
};

void expectRejects(Reader reader, const std::vector<RejectCase>& cases)
{
    for (const RejectCase& testCase : cases)
        EXPECT_EQ(decode(reader, testCase.file).code, testCase.code) << testCase.name;
}

} // namespace

TEST(WavReader, DecodesEveryWidthAndFormatExactly)
{
    const WavFormat extensible24 { 0xFFFE, 1, 48000, 24 }, extensibleFloat { 0xFFFE, 1, 48000, 32 };
    expectDecodes(&readWavFileCode, {
        { "16-bit mono", wavFile({}, le({ 0, 16384, 0x8000, 0x7FFF }, 2)), 48000, { 0.0, 0.5, -1.0, 32767 / 32768.0 } },
        { "16-bit stereo", wavFile({ 1, 2, 96000, 16 }, le({ 0x4000, 0xC000, 0x2000, 0xE000 }, 2)), 96000, { 0.5, 0.25 }, { -0.5, -0.25 } },
        { "8-bit unsigned", wavFile({ 1, 1, 48000, 8 }, { 0x80, 0x00, 0xFF }), 48000, { 0.0, -1.0, 127 / 128.0 } },
        { "20-bit in three bytes", wavFile({ 1, 1, 44100, 20 }, le({ 0x800000, 0x7FFFFF }, 3)), 44100, { -1.0, 8388607 / 8388608.0 } },
        { "24-bit", wavFile({ 1, 1, 48000, 24 }, le({ 0x800000, 0x7FFFFF, 0x400000 }, 3)), 48000, { -1.0, 8388607 / 8388608.0, 0.5 } },
        { "32-bit integer", wavFile({ 1, 1, 48000, 32 }, le({ 0x80000000, 0x40000000 }, 4)), 48000, { -1.0, 0.5 } },
        { "32-bit float", wavFile({ 3, 1, 48000, 32 }, le({ 0x3E800000, 0xBF800000, 0x3FC00000 }, 4)), 48000, { 0.25, -1.0, 1.5 } },
        { "extensible PCM", riffFile(join({ chunk("fmt ", wavExtensibleFields(extensible24, 1)), chunk("data", le({ 0xC00000 }, 3)) })), 48000, { -0.5 } },
        { "extensible float", riffFile(join({ chunk("fmt ", wavExtensibleFields(extensibleFloat, 3)), chunk("data", le({ 0x3E800000 }, 4)) })), 48000, { 0.25 } },
        { "extensible without its extension", wavFile({ 0xFFFE, 1, 48000, 16 }, le({ 0xC000 }, 2)), 48000, { -0.5 } },
    });
}

TEST(WavReader, WalksChunksWithPaddingAndReplacedData)
{
    const Bytes format = chunk("fmt ", wavFormatFields({ 1, 1, 44100, 8 }));
    const Bytes threeSamples = chunk("data", { 0xC0, 0x40, 0x80 }); // odd: a pad byte follows
    const Samples expected { 0.5, -0.5, 0.0 };
    expectDecodes(&readWavFileCode, {
        { "LIST between format and data", riffFile(join({ format, chunk("LIST", Bytes(26, 'x')), threeSamples })), 44100, expected },
        { "odd-sized chunk first", riffFile(join({ chunk("junk", Bytes(5, 0xFF)), format, threeSamples })), 44100, expected },
        { "odd data, then a chunk", riffFile(join({ format, threeSamples, chunk("cue ", Bytes(7, 1)) })), 44100, expected },
        { "18-byte format chunk", riffFile(join({ chunk("fmt ", join({ wavFormatFields({ 1, 1, 44100, 8 }), { 0, 0 } })), threeSamples })), 44100, expected },
        { "data before format", riffFile(join({ threeSamples, format })), 44100, expected },
        { "a later data chunk wins", riffFile(join({ format, threeSamples, chunk("data", { 0x00 }) })), 44100, { -1.0 } },
    });
}

TEST(WavReader, RejectsUnsupportedAndInconsistentFilesWithTheirCodes)
{
    for (uint32_t rate : { 44100u, 48000u, 88200u, 96000u, 176400u, 192000u })
        EXPECT_EQ(decodeWav(wavFile({ 1, 1, rate, 16 }, { 0, 0 })).code, kWavErrorNone) << rate;

    const Bytes format = chunk("fmt ", wavFormatFields({}));
    const Bytes data = chunk("data", { 0, 0 });
    Bytes riffSizeFour = wavFile({}, { 0, 0 }), riffSizeHuge = riffSizeFour, notRiff = riffSizeFour;
    riffSizeFour[4] = 4, riffSizeFour[5] = riffSizeFour[6] = riffSizeFour[7] = 0;
    riffSizeHuge[4] = riffSizeHuge[5] = riffSizeHuge[6] = riffSizeHuge[7] = 0xFF;
    notRiff[0] = 'X';
    expectRejects(&readWavFileCode, {
        { "22050 Hz", wavFile({ 1, 1, 22050, 16 }, { 0, 0 }), kWavErrorUnsupportedRate },
        { "32000 Hz", wavFile({ 1, 1, 32000, 16 }, { 0, 0 }), kWavErrorUnsupportedRate },
        { "three channels", wavFile({ 1, 3, 48000, 16 }, Bytes(6, 0)), kWavErrorUnsupportedChannels },
        { "no channels", wavFile({ 1, 0, 48000, 16, 2 }, { 0, 0 }), kWavErrorUnsupportedChannels },
        { "12-bit", wavFile({ 1, 1, 48000, 12 }, { 0, 0 }), kWavErrorUnsupportedWidth },
        { "16-bit float", wavFile({ 3, 1, 48000, 16 }, { 0, 0 }), kWavErrorUnsupportedWidth },
        { "64-bit float", wavFile({ 3, 1, 48000, 64 }, Bytes(8, 0)), kWavErrorUnsupportedWidth },
        { "ADPCM", wavFile({ 2, 1, 48000, 16 }, { 0, 0 }), kWavErrorUnsupportedFormat },
        { "extensible A-law", riffFile(join({ chunk("fmt ", wavExtensibleFields({ 0xFFFE }, 6)), data })), kWavErrorUnsupportedFormat },
        { "byte rate off by one", wavFile({ 1, 1, 48000, 16, -1, 96001 }, { 0, 0 }), kWavErrorMalformed },
        { "block align not a multiple of channels", wavFile({ 1, 2, 48000, 8, 3 }, Bytes(6, 0)), kWavErrorMalformed },
        { "block align zero", wavFile({ 1, 1, 48000, 16, 0 }, { 0, 0 }), kWavErrorMalformed },
        { "data not whole frames", wavFile({}, { 0, 0, 0 }), kWavErrorMalformed },
        { "frames wider than their samples", wavFile({ 1, 1, 48000, 16, 4 }, Bytes(8, 0)), kWavErrorMalformed },
        { "frames narrower than their samples", wavFile({ 1, 2, 48000, 16, 2 }, Bytes(8, 0)), kWavErrorMalformed },
        { "no format chunk", riffFile(data), kWavErrorMalformed },
        { "no data chunk", riffFile(format), kWavErrorMalformed },
        { "empty data chunk", riffFile(join({ format, chunk("data", {}) })), kWavErrorMalformed },
        { "format chunk of 14 bytes", riffFile(join({ chunk("fmt ", Bytes(14, 1)), data })), kWavErrorMalformed },
        { "NaN sample", wavFile({ 3, 1, 48000, 32 }, le({ 0x7FC00000 }, 4)), kWavErrorMalformed },
        // Sizes that lie: nothing may be read or allocated on their word.
        { "data size beyond the file", riffFile(join({ format, chunk("data", { 0, 0 }, false, 0xFFFFFFF0) })), kWavErrorMalformed },
        { "format size of 4 GiB", riffFile(join({ chunk("fmt ", wavFormatFields({}), false, 0xFFFFFFFF), data })), kWavErrorMalformed },
        { "skipped chunk of 4 GiB", riffFile(join({ format, chunk("LIST", {}, false, 0xFFFFFFFE), data })), kWavErrorMalformed },
        { "odd size padded past 32 bits", riffFile(join({ format, chunk("LIST", {}, false, 0xFFFFFFFF), data })), kWavErrorMalformed },
        { "RIFF size beyond the file", riffSizeHuge, kWavErrorMalformed },
        { "RIFF size of 4", riffSizeFour, kWavErrorMalformed },
        { "not RIFF", notRiff, kWavErrorMalformed },
        { "AIFF content", aiffFile(1, 16, 48000, { 0, 0 }), kWavErrorMalformed },
        { "empty file", {}, kWavErrorMalformed },
    });
}

TEST(WavReader, HeaderOnlyReadLeavesTheSoundDataUnread)
{
    // The NaN would fail decoding: a header-only read must not look at it.
    TempFile file(wavFile({ 3, 2, 88200, 32 }, le({ 0x7FC00000, 0 }, 4)));
    int rate = 0, frames = -7;
    bool mono = true;
    double* left = nullptr;
    EXPECT_EQ(readWavFileCode(file.path(), &left, nullptr, &frames, &rate, &mono), kWavErrorNone);
    EXPECT_EQ(rate, 88200);
    EXPECT_FALSE(mono);
    EXPECT_EQ(frames, -7);
    EXPECT_EQ(left, nullptr);
    EXPECT_TRUE(readWavFile(file.path(), nullptr, nullptr, nullptr, nullptr, nullptr));
}

TEST(AudioReader, ReplacesTheCallersArraysOnlyOnSuccess)
{
    TempFile good(wavFile({}, le({ 0x4000 }, 2)));
    TempFile bad(wavFile({ 1, 1, 22050, 16 }, le({ 0x4000 }, 2)));
    double* left = new double[3] { 9, 9, 9 };
    double* right = new double[5];
    int frames = 0;
    EXPECT_FALSE(loadAudioFile(bad.path(), &left, &right, &frames, nullptr, nullptr));
    EXPECT_EQ(left[2], 9.0);
    // Freed and replaced: the sanitizer reports a leak or a double free otherwise.
    ASSERT_TRUE(loadAudioFile(good.path(), &left, &right, &frames, nullptr, nullptr));
    EXPECT_EQ(frames, 1);
    EXPECT_EQ(left[0], 0.5);
    EXPECT_NE(left, right);
    delete[] right;
    right = left; // one array passed twice is freed once
    ASSERT_TRUE(loadAudioFile(good.path(), &left, &right, &frames, nullptr, nullptr));
    delete[] left;
    delete[] right;
}

TEST(AudioReader, LoadTriesWavThenAiff)
{
    const std::pair<Bytes, int> cases[] = {
        // file, rate read; 0: the load fails
        { wavFile({ 1, 1, 176400, 16 }, le({ 0x2000 }, 2)), 176400 },
        { aiffFile(1, 16, 192000, be({ 0x2000 }, 2)), 192000 },
        { Bytes { 'h', 'e', 'l', 'l', 'o' }, 0 },
        { wavFile({ 1, 1, 32000, 16 }, le({ 0x2000 }, 2)), 0 },
    };
    for (const auto& [bytes, expectedRate] : cases)
    {
        TempFile file(bytes);
        double* left = nullptr;
        double* right = nullptr;
        int frames = 0, rate = 0;
        EXPECT_EQ(loadAudioFile(file.path(), &left, &right, &frames, &rate, nullptr), expectedRate != 0);
        EXPECT_EQ(rate, expectedRate);
        if (expectedRate != 0)
            EXPECT_TRUE(frames == 1 && left[0] == 0.25 && right[0] == 0.25) << expectedRate;
        delete[] left;
        delete[] right;
    }

    double* left = nullptr;
    double* right = nullptr;
    int frames = 0;
    EXPECT_EQ(readWavFileCode(nullptr, &left, &right, &frames, nullptr, nullptr), kWavErrorCannotOpen);
    EXPECT_EQ(readAiffFileCode("", &left, &right, &frames, nullptr, nullptr), kWavErrorCannotOpen);
    EXPECT_EQ(readWavFileCode("/nonexistent/ir.wav", &left, &right, &frames, nullptr, nullptr), kWavErrorCannotOpen);
}

TEST(AudioReader, TruncatedAndCorruptedFilesFailCleanly)
{
    const Bytes wav = riffFile(join({ chunk("fmt ", wavFormatFields({ 1, 2, 48000, 24 })), chunk("LIST", Bytes(4, 'x')),
                                      chunk("data", Bytes(12, 0x11)) }));
    const Bytes aiff = aiffFile(2, 24, 48000, Bytes(12, 0x11));
    for (size_t length = 0; length < wav.size(); ++length)
        EXPECT_NE(decodeWav(Bytes(wav.begin(), wav.begin() + long(length))).code, kWavErrorNone) << length;
    for (size_t length = 0; length < aiff.size(); ++length)
        EXPECT_NE(decodeAiff(Bytes(aiff.begin(), aiff.begin() + long(length))).code, kWavErrorNone) << length;

    // Whatever the damage, a read either fails or hands back no more frames than the file holds.
    std::mt19937 random(1234);
    for (int round = 0; round < 400; ++round)
    {
        for (const Bytes* original : { &wav, &aiff })
        {
            Bytes damaged = *original;
            for (int flip = 0; flip < 3; ++flip)
                damaged[random() % damaged.size()] = uint8_t(random());
            const Decoded decoded = original == &wav ? decodeWav(damaged) : decodeAiff(damaged);
            EXPECT_LE(decoded.frames, int(damaged.size()));
        }
    }
}

TEST(AiffReader, ExtendedRateEncodings)
{
    const struct
    {
        Bytes bytes;
        bool ok;
        double value;
    } cases[] = {
        { { 0x40, 0x0E, 0xAC, 0x44, 0, 0, 0, 0, 0, 0 }, true, 44100.0 },
        { { 0x40, 0x0E, 0xBB, 0x80, 0, 0, 0, 0, 0, 0 }, true, 48000.0 },
        { { 0x40, 0x0E, 0x3B, 0x80, 0, 0, 0, 0, 0, 0 }, true, 48000.0 }, // integer bit ignored
        { { 0xC0, 0x00, 0xC0, 0, 0, 0, 0, 0, 0, 0 }, true, -3.0 },
        { { 0x43, 0xFE, 0x80, 0, 0, 0, 0, 0, 0, 0 }, true, std::ldexp(1.0, 1023) },
        { { 0x00, 0x00, 0x80, 0, 0, 0, 0, 0, 0, 0 }, false, 0 },
        { { 0x7F, 0xFF, 0x80, 0, 0, 0, 0, 0, 0, 0 }, false, 0 },
        { { 0x3B, 0xFF, 0x80, 0, 0, 0, 0, 0, 0, 0 }, false, 0 }, // exponent 15359
        { { 0x43, 0xFF, 0x80, 0, 0, 0, 0, 0, 0, 0 }, false, 0 }, // exponent 17407
        { { 0x43, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF }, false, 0 }, // rounds past the largest double
    };
    for (const auto& testCase : cases)
    {
        double value = -123.0;
        EXPECT_EQ(extendedToDouble(testCase.bytes.data(), &value), testCase.ok);
        EXPECT_EQ(value, testCase.ok ? testCase.value : -123.0);
    }
}

TEST(AiffReader, DecodesSignedBigEndianSamplesAndWalksChunks)
{
    const Bytes sound = aiffSound({ 0x40, 0xC0, 0x20 }); // odd: a pad byte follows
    expectDecodes(&readAiffFileCode, {
        { "8-bit signed", aiffFile(1, 8, 48000, { 0x00, 0x80, 0x7F }), 48000, { 0.0, -1.0, 127 / 128.0 } },
        { "16-bit", aiffFile(1, 16, 44100, be({ 0x4000, 0x8000 }, 2)), 44100, { 0.5, -1.0 } },
        { "20-bit", aiffFile(1, 20, 48000, be({ 0xC00000 }, 3)), 48000, { -0.5 } },
        { "24-bit", aiffFile(1, 24, 48000, be({ 0x800000, 0x7FFFFF }, 3)), 48000, { -1.0, 8388607 / 8388608.0 } },
        { "32-bit", aiffFile(1, 32, 48000, be({ 0x80000000, 0x20000000 }, 4)), 48000, { -1.0, 0.25 } },
        { "stereo", aiffFile(2, 16, 176400, be({ 0x4000, 0xC000 }, 2)), 176400, { 0.5 }, { -0.5 } },
        { "common after odd sound", formFile(join({ sound, chunk("ANNO", Bytes(3, 'a'), true), aiffCommon(1, 3, 8, 88200) })), 88200, { 0.5, -0.5, 0.25 } },
        { "frame count below the data", formFile(join({ aiffCommon(1, 2, 8, 96000), sound })), 96000, { 0.5, -0.5 } },
        { "rate rounded to the nearest", formFile(join({ aiffCommon(1, 1, 8, 44099.5), sound })), 44100, { 0.5 } },
    });
}

TEST(AiffReader, RejectsUnsupportedAndInconsistentFilesWithTheirCodes)
{
    const Bytes common = aiffCommon(1, 1, 16, 48000);
    const Bytes sound = aiffSound({ 0, 0 });
    Bytes zeroRate = common, shortCommon = common;
    zeroRate[16] = zeroRate[17] = 0; // exponent 0
    shortCommon[7] = 16;
    expectRejects(&readAiffFileCode, {
        { "22050 Hz", aiffFile(1, 16, 22050, { 0, 0 }), kWavErrorUnsupportedRate },
        { "32000 Hz", aiffFile(1, 16, 32000, { 0, 0 }), kWavErrorUnsupportedRate },
        { "rate far beyond int", formFile(join({ aiffCommon(1, 1, 16, 1e300), sound })), kWavErrorUnsupportedRate },
        { "three channels", aiffFile(3, 16, 48000, Bytes(6, 0)), kWavErrorUnsupportedChannels },
        { "12-bit", aiffFile(1, 12, 48000, { 0, 0 }), kWavErrorUnsupportedWidth },
        { "sound offset", formFile(join({ common, aiffSound({ 0, 0 }, 2) })), kWavErrorMalformed },
        { "sound block size", formFile(join({ common, aiffSound({ 0, 0 }, 0, 4096) })), kWavErrorMalformed },
        { "sound chunk without data", formFile(join({ common, aiffSound({}) })), kWavErrorMalformed },
        { "sound chunk smaller than its header", formFile(join({ common, chunk("SSND", Bytes(4, 0), true), chunk("ANNO", Bytes(8, 0), true) })), kWavErrorMalformed },
        { "no frames", formFile(join({ aiffCommon(1, 0, 16, 48000), sound })), kWavErrorMalformed },
        { "frame bytes wrapping 32 bits to 0", formFile(join({ aiffCommon(2, 0x40000000, 32, 48000), sound })), kWavErrorMalformed },
        { "more frames than data", formFile(join({ aiffCommon(1, 2, 16, 48000), sound })), kWavErrorMalformed },
        { "huge frame count", formFile(join({ aiffCommon(2, 0xFFFFFFFF, 32, 48000), sound })), kWavErrorMalformed },
        { "sound size beyond the file", formFile(join({ common, chunk("SSND", Bytes(10, 0), true, 0xFFFFFFF0) })), kWavErrorMalformed },
        { "rate exponent zero", formFile(join({ zeroRate, sound })), kWavErrorMalformed },
        { "common chunk of 16 bytes", formFile(join({ shortCommon, sound })), kWavErrorMalformed },
        { "no common chunk", formFile(sound), kWavErrorMalformed },
        { "no sound chunk", formFile(common), kWavErrorMalformed },
        { "compressed AIFC", formFile(join({ common, sound }), "AIFC"), kWavErrorMalformed },
        { "WAV content", wavFile({}, { 0, 0 }), kWavErrorMalformed },
    });
}
