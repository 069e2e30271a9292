#include "AudioFileReader.h"
#include "AudioFileBuilder.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace Tonecrest;
using namespace Tonecrest::Testing;

namespace
{
using Samples = std::vector<double>;
using Reader = waverror (*)(const char*, double**, double**, int*, int*, bool*);
const Reader wav = &readWavFileCode, aiff = &readAiffFileCode;

struct Decoded
{
    waverror code;
    Samples left, right;
    int frames = -1, rate = -1;
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
    else // a failed read touches nothing of the caller's
        EXPECT_TRUE(left == nullptr && right == nullptr && result.frames == -1 && result.rate == -1);
    delete[] left;
    delete[] right;
    return result;
}

/** A mono 48 kHz WAV with the 40-byte extensible format chunk naming this sub-format. */
Bytes extensibleWav(uint16_t bits, uint16_t subFormat, const Bytes& samples)
{
    return riffFile(join({ chunk("fmt ", wavExtensibleFields({ 0xFFFE, 1, 48000, bits }, subFormat)), chunk("data", samples) }));
}

/** loadAudioFile as a reader: WAV first, then AIFF. */
waverror load(const char* path, double** left, double** right, int* frames, int* rate, bool* mono)
{
    return loadAudioFile(path, left, right, frames, rate, mono) ? kWavErrorNone : kWavErrorMalformed;
}
} // namespace

TEST(AudioReader, DecodesEverySupportedLayoutExactly)
{
    const Bytes format8 = chunk("fmt ", wavFormatFields({ 1, 1, 44100, 8 }));
    const Bytes three = chunk("data", { 0xC0, 0x40, 0x80 }); // odd: a pad byte follows
    Bytes nineEmpty;
    for (int i = 0; i < 9; ++i)
        nineEmpty = join({ nineEmpty, chunk("junk", {}) });
    const Bytes sound = aiffSound({ 0x40, 0xC0, 0x20 });
    const Samples decoded8 { 0.5, -0.5, 0.0 };
    const struct
    {
        const char* name;
        Bytes file;
        int rate;
        Samples left, right = {}; // right empty: a mono file, both channels equal to left
    } cases[] = {
        { "16-bit mono", wavFile({}, le({ 0, 16384, 0x8000, 0x7FFF }, 2)), 48000, { 0.0, 0.5, -1.0, 32767 / 32768.0 } },
        { "16-bit stereo", wavFile({ 1, 2, 96000, 16 }, le({ 0x4000, 0xC000, 0x2000, 0xE000 }, 2)), 96000, { 0.5, 0.25 }, { -0.5, -0.25 } },
        { "8-bit unsigned", wavFile({ 1, 1, 48000, 8 }, { 0x80, 0x00, 0xFF }), 48000, { 0.0, -1.0, 127 / 128.0 } },
        { "20-bit in three bytes", wavFile({ 1, 1, 44100, 20 }, le({ 0x800000, 0x7FFFFF }, 3)), 44100, { -1.0, 8388607 / 8388608.0 } },
        { "24-bit", wavFile({ 1, 1, 88200, 24 }, le({ 0x800000, 0x7FFFFF, 0x400000 }, 3)), 88200, { -1.0, 8388607 / 8388608.0, 0.5 } },
        { "32-bit float", wavFile({ 3, 1, 48000, 32 }, le({ 0x3E800000, 0xBF800000, 0x3FC00000 }, 4)), 48000, { 0.25, -1.0, 1.5 } },
        // Extensible files: one row per sub-format GUID taken as integer PCM or as float.
        { "extensible PCM", extensibleWav(24, 1, le({ 0xC00000 }, 3)), 48000, { -0.5 } },
        { "extensible float", extensibleWav(32, 3, le({ 0x3E800000 }, 4)), 48000, { 0.25 } },
        { "extensible without its extension", wavFile({ 0xFFFE, 1, 48000, 16 }, le({ 0xC000 }, 2)), 48000, { -0.5 } },
        { "LIST between format and data", riffFile(join({ format8, chunk("LIST", Bytes(26, 'x')), three })), 44100, decoded8 },
        { "odd-sized chunk first", riffFile(join({ chunk("junk", Bytes(5, 0xFF)), format8, three })), 44100, decoded8 },
        { "odd data, then a chunk", riffFile(join({ format8, three, chunk("cue ", Bytes(7, 1)) })), 44100, decoded8 },
        { "18-byte format chunk", riffFile(join({ chunk("fmt ", join({ wavFormatFields({ 1, 1, 44100, 8 }), { 0, 0 } })), three })), 44100,
          decoded8 },
        { "data before format", riffFile(join({ three, format8 })), 44100, decoded8 },
        { "a later data chunk wins", riffFile(join({ format8, three, chunk("data", { 0x00 }) })), 44100, { -1.0 } },
        { "ten chunks before the data", riffFile(join({ format8, nineEmpty, chunk("data", { 0x40 }) })), 44100, { -0.5 } },
        { "bytes after the RIFF container", join({ riffFile(join({ format8, three })), { 'x', 'y' } }), 44100, decoded8 },
        { "AIFF 8-bit signed", aiffFile(1, 8, 48000, { 0x00, 0x80, 0x7F }), 48000, { 0.0, -1.0, 127 / 128.0 } },
        { "AIFF 20-bit", aiffFile(1, 20, 48000, be({ 0xC00000 }, 3)), 48000, { -0.5 } },
        { "AIFF stereo", aiffFile(2, 16, 176400, be({ 0x4000, 0xC000 }, 2)), 176400, { 0.5 }, { -0.5 } },
        { "AIFF common after odd sound", formFile(join({ sound, chunk("ANNO", Bytes(3, 'a'), true), aiffCommon(1, 3, 8, 88200) })), 88200,
          { 0.5, -0.5, 0.25 } },
        { "AIFF frame count below the data", formFile(join({ aiffCommon(1, 2, 8, 96000), sound })), 96000, { 0.5, -0.5 } },
        { "AIFF rate rounded to the nearest", formFile(join({ aiffCommon(1, 1, 8, 44099.5), sound })), 44100, { 0.5 } },
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        const Decoded decoded = decode(&load, c.file);
        ASSERT_EQ(decoded.code, kWavErrorNone);
        EXPECT_EQ(decoded.rate, c.rate);
        EXPECT_EQ(decoded.mono, c.right.empty());
        EXPECT_EQ(decoded.frames, int(c.left.size()));
        EXPECT_EQ(decoded.left, c.left);
        EXPECT_EQ(decoded.right, c.right.empty() ? c.left : c.right);
    }
}

TEST(AudioReader, RejectsUnsupportedAndInconsistentFilesWithTheirCodes)
{
    const Bytes format = chunk("fmt ", wavFormatFields({})), data = chunk("data", { 0, 0 });
    const Bytes common = aiffCommon(1, 1, 16, 48000), sound = aiffSound({ 0, 0 });
    Bytes zeroRate = common, shortCommon = common;
    zeroRate[16] = zeroRate[17] = 0; // exponent 0
    shortCommon[7] = 16;
    const struct
    {
        const char* name;
        Reader reader;
        Bytes file;
        waverror code;
    } cases[] = {
        { "22050 Hz", wav, wavFile({ 1, 1, 22050, 16 }, { 0, 0 }), kWavErrorUnsupportedRate },
        { "three channels", wav, wavFile({ 1, 3, 48000, 16 }, Bytes(6, 0)), kWavErrorUnsupportedChannels },
        { "no channels", wav, wavFile({ 1, 0, 48000, 16, 2 }, { 0, 0 }), kWavErrorUnsupportedChannels },
        { "12-bit", wav, wavFile({ 1, 1, 48000, 12 }, { 0, 0 }), kWavErrorUnsupportedWidth },
        { "16-bit float", wav, wavFile({ 3, 1, 48000, 16 }, { 0, 0 }), kWavErrorUnsupportedWidth },
        { "ADPCM", wav, wavFile({ 2, 1, 48000, 16 }, { 0, 0 }), kWavErrorUnsupportedFormat },
        // Extensible files whose sub-format is refused.
        { "extensible sub-format 0x0101", wav, extensibleWav(16, 0x0101, { 0, 0 }), kWavErrorUnsupportedFormat },
        { "extensible A-law", wav, extensibleWav(16, 6, { 0, 0 }), kWavErrorUnsupportedFormat },
        { "byte rate off by one", wav, wavFile({ 1, 1, 48000, 16, -1, 96001 }, { 0, 0 }), kWavErrorMalformed },
        { "block align not a multiple of channels", wav, wavFile({ 1, 2, 48000, 8, 3 }, Bytes(6, 0)), kWavErrorMalformed },
        { "block align zero", wav, wavFile({ 1, 1, 48000, 16, 0 }, { 0, 0 }), kWavErrorMalformed },
        { "data not whole frames", wav, wavFile({}, { 0, 0, 0 }), kWavErrorMalformed },
        { "frames wider than their samples", wav, wavFile({ 1, 1, 48000, 16, 4 }, Bytes(8, 0)), kWavErrorMalformed },
        { "frames narrower than their samples", wav, wavFile({ 1, 2, 48000, 16, 2 }, Bytes(8, 0)), kWavErrorMalformed },
        { "no format chunk", wav, riffFile(data), kWavErrorMalformed },
        { "no data chunk, three channels", wav, riffFile(chunk("fmt ", wavFormatFields({ 1, 3 }))), kWavErrorMalformed },
        { "empty data chunk", wav, riffFile(join({ format, chunk("data", {}) })), kWavErrorMalformed },
        { "format chunk of 14 bytes", wav, riffFile(join({ chunk("fmt ", Bytes(14, 1)), data })), kWavErrorMalformed },
        { "NaN sample", wav, wavFile({ 3, 1, 48000, 32 }, le({ 0x7FC00000 }, 4)), kWavErrorMalformed },
        // Sizes that lie: nothing may be read or allocated on their word.
        { "data size beyond the file", wav, riffFile(join({ format, chunk("data", { 0, 0 }, false, 0xFFFFFFF0) })), kWavErrorMalformed },
        { "format size of 4 GiB", wav, riffFile(join({ chunk("fmt ", wavFormatFields({}), false, 0xFFFFFFFF), data })), kWavErrorMalformed },
        { "skipped chunk of 4 GiB", wav, riffFile(join({ format, chunk("LIST", {}, false, 0xFFFFFFFE), data })), kWavErrorMalformed },
        { "RIFF size beyond the file", wav, join({ tag("RIFF"), le({ 0xFFFFFFFF }, 4), tag("WAVE"), format, data }), kWavErrorMalformed },
        { "RIFF size of 4", wav, join({ tag("RIFF"), le({ 4 }, 4), tag("WAVE"), format, data }), kWavErrorMalformed },
        { "AIFF content", wav, aiffFile(1, 16, 48000, { 0, 0 }), kWavErrorMalformed },
        { "empty file", wav, {}, kWavErrorMalformed },
        { "AIFF 32000 Hz", aiff, aiffFile(1, 16, 32000, { 0, 0 }), kWavErrorUnsupportedRate },
        { "AIFF rate far beyond int", aiff, formFile(join({ aiffCommon(1, 1, 16, 1e300), sound })), kWavErrorUnsupportedRate },
        { "AIFF three channels", aiff, aiffFile(3, 16, 48000, Bytes(6, 0)), kWavErrorUnsupportedChannels },
        { "AIFF 12-bit", aiff, aiffFile(1, 12, 48000, { 0, 0 }), kWavErrorUnsupportedWidth },
        { "AIFF sound offset", aiff, formFile(join({ common, aiffSound({ 0, 0 }, 2) })), kWavErrorMalformed },
        { "AIFF sound block size", aiff, formFile(join({ common, aiffSound({ 0, 0 }, 0, 4096) })), kWavErrorMalformed },
        { "AIFF sound chunk without data", aiff, formFile(join({ common, aiffSound({}) })), kWavErrorMalformed },
        { "AIFF no frames", aiff, formFile(join({ aiffCommon(1, 0, 16, 48000), sound })), kWavErrorMalformed },
        { "AIFF frame bytes wrapping 32 bits", aiff, formFile(join({ aiffCommon(2, 0x40000000, 32, 48000), sound })), kWavErrorMalformed },
        { "AIFF more frames than data", aiff, formFile(join({ aiffCommon(1, 2, 16, 48000), sound })), kWavErrorMalformed },
        { "AIFF sound size beyond the file", aiff, formFile(join({ common, chunk("SSND", Bytes(10, 0), true, 0xFFFFFFF0) })),
          kWavErrorMalformed },
        { "AIFF rate exponent zero", aiff, formFile(join({ zeroRate, sound })), kWavErrorMalformed },
        { "AIFF common chunk of 16 bytes", aiff, formFile(join({ shortCommon, sound })), kWavErrorMalformed },
        { "AIFF no common chunk", aiff, formFile(sound), kWavErrorMalformed },
        { "AIFF no sound chunk, three channels", aiff, formFile(aiffCommon(3, 1, 16, 48000)), kWavErrorMalformed },
        { "AIFF compressed", aiff, formFile(join({ common, sound }), "AIFC"), kWavErrorMalformed },
        { "AIFF WAV content", aiff, wavFile({}, { 0, 0 }), kWavErrorMalformed },
    };
    for (const auto& c : cases)
        EXPECT_EQ(decode(c.reader, c.file).code, c.code) << c.name;
}

TEST(AudioReader, HeaderReadsPathsAndCallerArrays)
{
    // The NaN would fail decoding: a header-only read must not look at it.
    TempFile header(wavFile({ 3, 2, 88200, 32 }, le({ 0x7FC00000, 0 }, 4)));
    int rate = 0, frames = -7;
    bool mono = true;
    double* left = nullptr;
    EXPECT_EQ(readWavFileCode(header.path(), &left, nullptr, &frames, &rate, &mono), kWavErrorNone);
    EXPECT_TRUE(rate == 88200 && !mono && frames == -7 && left == nullptr);
    EXPECT_TRUE(readWavFile(header.path(), nullptr, nullptr, nullptr, nullptr, nullptr));
    for (const char* path : { (const char*)nullptr, "", "/nonexistent/ir.wav" })
        for (Reader reader : { wav, aiff })
            EXPECT_EQ(reader(path, &left, nullptr, nullptr, nullptr, nullptr), kWavErrorCannotOpen);

    TempFile good(wavFile({}, le({ 0x4000 }, 2))), bad(wavFile({ 1, 1, 22050, 16 }, le({ 0x4000 }, 2)));
    left = new double[3] { 9, 9, 9 };
    double* right = new double[5];
    EXPECT_FALSE(loadAudioFile(bad.path(), &left, &right, &frames, nullptr, nullptr));
    EXPECT_EQ(left[2], 9.0);
    // Freed and replaced: the sanitizer reports a leak or a double free otherwise.
    ASSERT_TRUE(loadAudioFile(good.path(), &left, &right, &frames, nullptr, nullptr));
    EXPECT_TRUE(frames == 1 && left[0] == 0.5 && right[0] == 0.5 && left != right);
    delete[] right;
    right = left; // one array passed twice is freed once
    ASSERT_TRUE(loadAudioFile(good.path(), &left, &right, &frames, nullptr, nullptr));
    delete[] left;
    delete[] right;
}

TEST(AudioReader, FieldReadersAndExtendedRates)
{
    TempFile three({ 1, 2, 3 }), four({ 0x12, 0x34, 0x56, 0x78 });
    uint32_t value = 7;
    std::FILE* file = std::fopen(three.path(), "rb");
    EXPECT_FALSE(readU32LE(file, &value) || readU32LE(nullptr, &value) || readU32LE(file, nullptr) || value != 7);
    std::fclose(file);
    file = std::fopen(four.path(), "rb");
    EXPECT_TRUE(readU32LE(file, &value) && value == 0x78563412);
    std::rewind(file);
    EXPECT_TRUE(readU32BE(file, &value) && value == 0x12345678);
    EXPECT_FALSE(readU32BE(file, &value) || readU32BE(nullptr, &value) || readU32BE(file, nullptr));
    std::fclose(file);

    const std::pair<Bytes, double> rates[] = {
        // 80-bit extended value; 0: refused
        { { 0x40, 0x0E, 0xAC, 0x44, 0, 0, 0, 0, 0, 0 }, 44100.0 },
        { { 0x40, 0x0E, 0x3B, 0x80, 0, 0, 0, 0, 0, 0 }, 48000.0 }, // integer bit ignored
        { { 0x40, 0x0E, 0xBB, 0x80, 0, 0, 0, 0, 0x08, 0 }, 48000.0 + std::ldexp(1.0, -37) },
        { { 0xC0, 0x00, 0xC0, 0, 0, 0, 0, 0, 0, 0 }, -3.0 },
        { { 0x43, 0xFE, 0x80, 0, 0, 0, 0, 0, 0, 0 }, std::ldexp(1.0, 1023) },
        { { 0x3C, 0x00, 0x80, 0, 0, 0, 0, 0, 0, 0 }, std::ldexp(1.0, -1023) },
        { { 0x00, 0x00, 0x80, 0, 0, 0, 0, 0, 0, 0 }, 0 },
        { { 0x7F, 0xFF, 0x80, 0, 0, 0, 0, 0, 0, 0 }, 0 },
        { { 0x3B, 0xFF, 0x80, 0, 0, 0, 0, 0, 0, 0 }, 0 }, // exponent 15359
        { { 0x43, 0xFF, 0x80, 0, 0, 0, 0, 0, 0, 0 }, 0 }, // exponent 17407
        { { 0x43, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF }, 0 }, // rounds past the largest double
    };
    for (const auto& [bytes, expected] : rates)
    {
        double out = 0;
        EXPECT_EQ(extendedToDouble(bytes.data(), &out), expected != 0);
        EXPECT_EQ(out, expected);
    }
    double out = 0;
    EXPECT_FALSE(extendedToDouble(nullptr, &out) || extendedToDouble(rates[0].first.data(), nullptr));
}

TEST(AudioReader, EveryTruncatedFileFails)
{
    const Bytes wavBytes = riffFile(join({ chunk("fmt ", wavFormatFields({ 1, 2, 48000, 24 })), chunk("LIST", Bytes(4, 'x')),
                                           chunk("data", Bytes(12, 0x11)) }));
    const Bytes aiffBytes = formFile(join({ aiffCommon(2, 2, 24, 48000), chunk("ANNO", Bytes(2, 'a'), true), aiffSound(Bytes(12, 0x11)) }));
    for (const auto& [reader, original] : { std::pair { wav, wavBytes }, std::pair { aiff, aiffBytes } })
        for (size_t length = 0; length < original.size(); ++length)
            EXPECT_NE(decode(reader, Bytes(original.begin(), original.begin() + long(length))).code, kWavErrorNone) << length;
}
