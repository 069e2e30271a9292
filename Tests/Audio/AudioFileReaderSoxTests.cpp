#include "AudioFileReader.h"
#include "AudioFileBuilder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <set>
#include <string>
#include <vector>

#include <unistd.h>

// The reader against files written by a real encoder: Debian's sox converts raw samples we
// chose into every layout the importer accepts, and the reader must give back exactly those
// samples. The files are made in a temporary folder at test time; without sox the tests skip.
// One conversion, for instance:
//   sox -D -t raw -r 96000 -c 2 -e signed-integer -b 24 -L in.raw -t wav -e signed-integer -b 24 out.wav

using namespace Tonecrest;
using namespace Tonecrest::Testing;

namespace
{

namespace fs = std::filesystem;

constexpr int framesPerFile = 64;
constexpr int acceptedRates[] = { 44100, 48000, 88200, 96000, 176400, 192000 };

enum class Container
{
    wav,    // sox's choice of header: extensible beyond 16 bits
    wavpcm, // the plain 16-byte format chunk, whatever the width
    aiff
};

struct Layout
{
    Container container;
    int bits;
    bool isFloat = false;
};

const Layout layouts[] = {
    { Container::wav, 8 },         { Container::wav, 16 },    { Container::wav, 24 },   { Container::wavpcm, 24 },
    { Container::wav, 32 },        { Container::wavpcm, 32 }, { Container::wav, 32, true },
    { Container::aiff, 8 },        { Container::aiff, 16 },   { Container::aiff, 24 },  { Container::aiff, 32 },
};

std::string describe(const Layout& layout, int rate, int channels)
{
    const char* names[] = { "wav", "wavpcm", "aiff" };
    return std::string(names[int(layout.container)]) + " " + std::to_string(layout.bits) + (layout.isFloat ? "-bit float " : "-bit ")
           + std::to_string(rate) + " Hz " + std::to_string(channels) + " ch";
}

Bytes readBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeBytes(const fs::path& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

/** Exact test samples for a width: the extremes, zero and a fixed pseudo-random rest, as the
    raw little-endian input for sox and as the values the reader must return. */
struct RawSignal
{
    Bytes raw;
    std::vector<double> interleaved;
};

RawSignal makeSignal(const Layout& layout, int channels)
{
    // Floats are multiples of 2^-23 in [-1, 1): sox carries them through its 32-bit integer
    // samples without rounding.
    const int valueBits = layout.isFloat ? 24 : layout.bits;
    const int64_t lowest = -(int64_t(1) << (valueBits - 1));
    const int64_t highest = (int64_t(1) << (valueBits - 1)) - 1;
    std::mt19937 random(uint32_t(layout.bits * 7 + channels));
    std::uniform_int_distribution<int64_t> anyValue(lowest, highest);

    RawSignal signal;
    for (int i = 0; i < framesPerFile * channels; ++i)
    {
        const int64_t value = i == 0 ? lowest : i == 1 ? highest : i == 2 ? 0 : anyValue(random);
        const double sample = std::ldexp(double(value), 1 - valueBits);
        signal.interleaved.push_back(sample);
        if (layout.isFloat)
        {
            const float single = float(sample);
            uint32_t bits;
            std::memcpy(&bits, &single, sizeof bits);
            const Bytes word = le({ bits }, 4);
            signal.raw.insert(signal.raw.end(), word.begin(), word.end());
        }
        else
        {
            for (int b = 0; b < layout.bits / 8; ++b)
                signal.raw.push_back(uint8_t(uint64_t(value) >> (8 * b)));
        }
    }
    return signal;
}

/** Payload offset of the first chunk with the id, walking the chunks of a RIFF or FORM file. */
size_t findChunk(const Bytes& file, const char* id, bool bigEndian)
{
    size_t offset = 12;
    while (offset + 8 <= file.size())
    {
        const uint8_t* size = &file[offset + 4];
        const uint32_t bytes = bigEndian ? uint32_t(size[0]) << 24 | size[1] << 16 | size[2] << 8 | size[3]
                                         : uint32_t(size[3]) << 24 | size[2] << 16 | size[1] << 8 | size[0];
        if (std::memcmp(&file[offset], id, 4) == 0)
            return offset + 8;
        offset += 8 + bytes + (bytes & 1);
    }
    ADD_FAILURE() << "no chunk " << id;
    return 0;
}

class SoxFilesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (std::system("command -v sox >/dev/null 2>&1") != 0)
            GTEST_SKIP() << "sox is not installed (scripts/install-deps.sh installs it)";
        std::error_code error;
        folder = fs::temp_directory_path(error) / ("tonecrest-sox-" + std::to_string(::getpid()));
        fs::create_directories(folder, error);
        ASSERT_FALSE(error) << folder;
    }

    void TearDown() override
    {
        std::error_code error;
        if (!folder.empty())
            fs::remove_all(folder, error);
    }

    /** Has sox write the signal in the layout; the path of the file it wrote. */
    fs::path encode(const Layout& layout, int rate, int channels, const RawSignal& signal)
    {
        const fs::path raw = folder / "in.raw";
        writeBytes(raw, signal.raw);
        const char* type[] = { "wav", "wavpcm", "aiff" };
        const fs::path out = folder / (std::string("out.") + (layout.container == Container::aiff ? "aiff" : "wav"));
        const std::string inputEncoding = layout.isFloat ? "floating-point" : "signed-integer";
        const std::string outputEncoding = layout.isFloat                                            ? "floating-point"
                                           : layout.bits == 8 && layout.container != Container::aiff ? "unsigned-integer"
                                                                                                     : "signed-integer";
        // -D: no dither, so the samples are carried over exactly.
        const std::string command = "sox -D -t raw -r " + std::to_string(rate) + " -c " + std::to_string(channels) + " -e "
                                    + inputEncoding + " -b " + std::to_string(layout.bits) + " -L '" + raw.string() + "' -t "
                                    + type[int(layout.container)] + " -e " + outputEncoding + " -b "
                                    + std::to_string(layout.bits) + " '" + out.string() + "' 2>&1";
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
        return out;
    }

    /** A sox file of 16-bit samples, for patching. */
    Bytes encodedFile(Container container, int rate, int channels)
    {
        const Layout layout { container, 16 };
        return readBytes(encode(layout, rate, channels, makeSignal(layout, channels)));
    }

    fs::path folder;
};

struct ReadBack
{
    waverror code = kWavErrorNone;
    std::vector<double> left, right;
    int frames = 0, rate = 0;
    bool mono = false;
};

ReadBack readBack(const fs::path& path, bool aiff)
{
    ReadBack result;
    double* left = nullptr;
    double* right = nullptr;
    result.code = (aiff ? readAiffFileCode : readWavFileCode)(path.c_str(), &left, &right, &result.frames, &result.rate,
                                                               &result.mono);
    if (left != nullptr)
    {
        result.left.assign(left, left + result.frames);
        result.right.assign(right, right + result.frames);
    }
    delete[] left;
    delete[] right;
    return result;
}

/** The file with bytes written over it at the offset. */
Bytes patched(const Bytes& file, size_t offset, std::initializer_list<uint8_t> bytes)
{
    Bytes copy = file;
    std::copy(bytes.begin(), bytes.end(), copy.begin() + long(offset));
    return copy;
}

waverror codeOf(const Bytes& file, bool aiff)
{
    TempFile temp(file, "sox-patched");
    EXPECT_TRUE(temp.ok());
    return readBack(temp.path(), aiff).code;
}

} // namespace

TEST_F(SoxFilesTest, EveryLayoutAtEveryRateReadsBackExactly)
{
    std::set<int> wavFormatTags;
    for (const Layout& layout : layouts)
    {
        for (int rate : acceptedRates)
        {
            for (int channels : { 1, 2 })
            {
                const std::string name = describe(layout, rate, channels);
                const RawSignal signal = makeSignal(layout, channels);
                const fs::path file = encode(layout, rate, channels, signal);
                const bool aiff = layout.container == Container::aiff;
                if (!aiff)
                {
                    const Bytes bytes = readBytes(file);
                    ASSERT_GE(bytes.size(), 22u) << name;
                    wavFormatTags.insert(bytes[20] | bytes[21] << 8);
                }

                const ReadBack decoded = readBack(file, aiff);
                ASSERT_EQ(decoded.code, kWavErrorNone) << name;
                EXPECT_EQ(decoded.rate, rate) << name;
                EXPECT_EQ(decoded.mono, channels == 1) << name;
                ASSERT_EQ(decoded.frames, framesPerFile) << name;
                for (int frame = 0; frame < framesPerFile; ++frame)
                {
                    const double left = signal.interleaved[size_t(frame * channels)];
                    const double right = signal.interleaved[size_t(frame * channels + channels - 1)];
                    ASSERT_EQ(decoded.left[size_t(frame)], left) << name << " frame " << frame;
                    ASSERT_EQ(decoded.right[size_t(frame)], right) << name << " frame " << frame;
                }

                // The import's own entry: WAV first, AIFF after a failed WAV attempt.
                double* left = nullptr;
                double* right = nullptr;
                int frames = 0;
                EXPECT_TRUE(loadAudioFile(file.c_str(), &left, &right, &frames, nullptr, nullptr)) << name;
                EXPECT_EQ(frames, framesPerFile) << name;
                delete[] left;
                delete[] right;
            }
        }
    }
    // Plain integer, float and extensible headers have all been through the reader.
    EXPECT_EQ(wavFormatTags, (std::set<int> { 1, 3, 0xFFFE }));
}

TEST_F(SoxFilesTest, PatchedRealFilesAreRejectedWithTheirCodes)
{
    const Bytes wav = encodedFile(Container::wav, 48000, 2);
    const size_t format = findChunk(wav, "fmt ", false);
    const size_t data = findChunk(wav, "data", false);
    auto patchedWav = [&](size_t offset, std::initializer_list<uint8_t> bytes) { return patched(wav, offset, bytes); };
    EXPECT_EQ(codeOf(patchedWav(format, { 2, 0 }), false), kWavErrorUnsupportedFormat);        // ADPCM
    EXPECT_EQ(codeOf(patchedWav(format + 2, { 6, 0 }), false), kWavErrorUnsupportedChannels);  // six channels
    EXPECT_EQ(codeOf(patchedWav(format + 4, { 0x22, 0x56 }), false), kWavErrorUnsupportedRate); // 22050 Hz
    EXPECT_EQ(codeOf(patchedWav(format + 14, { 12, 0 }), false), kWavErrorUnsupportedWidth);   // 12 bits
    // Block align 2 for two 16-bit channels, byte rate to match: each frame would overrun.
    EXPECT_EQ(codeOf(patchedWav(format + 8, { 0x00, 0x77, 0x01, 0x00, 2, 0 }), false), kWavErrorMalformed);
    // Byte rate one off.
    EXPECT_EQ(codeOf(patchedWav(format + 8, { 0x01, 0xEE, 0x02, 0x00 }), false), kWavErrorMalformed);
    // Data chunk running past the end of the file, by one frame and by nearly 4 GiB.
    const uint32_t dataBytes = uint32_t(wav.size() - data) + 4;
    EXPECT_EQ(codeOf(patchedWav(data - 4, { uint8_t(dataBytes), uint8_t(dataBytes >> 8), 0, 0 }), false), kWavErrorMalformed);
    EXPECT_EQ(codeOf(patchedWav(data - 4, { 0xFC, 0xFF, 0xFF, 0xFF }), false), kWavErrorMalformed);
    // Cut off inside the samples.
    EXPECT_EQ(codeOf(Bytes(wav.begin(), wav.end() - 3), false), kWavErrorMalformed);

    const Bytes aiff = encodedFile(Container::aiff, 48000, 2);
    const size_t common = findChunk(aiff, "COMM", true);
    const size_t sound = findChunk(aiff, "SSND", true);
    auto patchedAiff = [&](size_t offset, std::initializer_list<uint8_t> bytes) { return patched(aiff, offset, bytes); };
    EXPECT_EQ(codeOf(patchedAiff(common, { 0, 3 }), true), kWavErrorUnsupportedChannels);
    EXPECT_EQ(codeOf(patchedAiff(common + 6, { 0, 12 }), true), kWavErrorUnsupportedWidth);
    EXPECT_EQ(codeOf(patchedAiff(common + 8, { 0x40, 0x0D, 0xAC, 0x44 }), true), kWavErrorUnsupportedRate); // 22050 Hz
    // One frame more than the sound chunk holds.
    EXPECT_EQ(codeOf(patchedAiff(common + 2, { 0, 0, 0, framesPerFile + 1 }), true), kWavErrorMalformed);
    EXPECT_EQ(codeOf(patchedAiff(sound + 4, { 0, 0, 0x10, 0 }), true), kWavErrorMalformed); // block size
    EXPECT_EQ(codeOf(patchedAiff(sound - 4, { 0, 0, 0, 4 }), true), kWavErrorMalformed);    // smaller than its header
    EXPECT_EQ(codeOf(patchedAiff(sound - 4, { 0xFF, 0xFF, 0xFF, 0xF0 }), true), kWavErrorMalformed);
    EXPECT_EQ(codeOf(patchedAiff(8, { 'A', 'I', 'F', 'C' }), true), kWavErrorMalformed);

    double* left = nullptr;
    double* right = nullptr;
    int frames = 0;
    EXPECT_EQ(readWavFileCode((folder / "missing.wav").c_str(), &left, &right, &frames, nullptr, nullptr), kWavErrorCannotOpen);
}
