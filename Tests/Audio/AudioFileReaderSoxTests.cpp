#include "AudioFileReader.h"
#include "AudioFileBuilder.h"

#include <gtest/gtest.h>

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

/** Exact test samples for a width: the extremes, zero and a fixed pseudo-random rest, as the
    raw little-endian input for sox and as the values the reader must return. */
struct RawSignal
{
    Bytes raw;
    std::vector<double> left, right;
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
        if (i % channels == 0)
            signal.left.push_back(sample);
        if (i % channels == channels - 1)
            signal.right.push_back(sample);
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
        std::ofstream(raw, std::ios::binary).write(reinterpret_cast<const char*>(signal.raw.data()), std::streamsize(signal.raw.size()));
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

    fs::path folder;
};

} // namespace

TEST_F(SoxFilesTest, EveryLayoutAtEveryRateReadsBackExactly)
{
    std::set<int> wavFormatTags;
    for (const Layout& layout : layouts)
        for (int rate : acceptedRates)
            for (int channels : { 1, 2 })
            {
                SCOPED_TRACE(describe(layout, rate, channels));
                const RawSignal signal = makeSignal(layout, channels);
                const fs::path file = encode(layout, rate, channels, signal);
                const bool aiff = layout.container == Container::aiff;
                if (!aiff)
                {
                    std::ifstream in(file, std::ios::binary);
                    const Bytes bytes { std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>() };
                    ASSERT_GE(bytes.size(), 22u);
                    wavFormatTags.insert(bytes[20] | bytes[21] << 8);
                }

                double* left = nullptr;
                double* right = nullptr;
                int frames = 0, fileRate = 0;
                bool mono = false;
                ASSERT_EQ((aiff ? readAiffFileCode : readWavFileCode)(file.c_str(), &left, &right, &frames, &fileRate, &mono),
                          kWavErrorNone);
                const std::vector<double> leftRead(left, left + frames), rightRead(right, right + frames);
                delete[] left;
                delete[] right;
                EXPECT_EQ(fileRate, rate);
                EXPECT_EQ(mono, channels == 1);
                EXPECT_EQ(leftRead, signal.left);
                EXPECT_EQ(rightRead, signal.right);
            }
    // Plain integer, float and extensible headers have all been through the reader.
    EXPECT_EQ(wavFormatTags, (std::set<int> { 1, 3, 0xFFFE }));
}

TEST_F(SoxFilesTest, ExtensibleSubFormatIsTakenFromItsLeadingCodeWhateverTheRestOfItsGuid)
{
    // Impulse files shipped with Linux audio packages name integer PCM as
    // 00000001-0721-11d3-8644-c8c1ca000000, not with the usual tail. sox writes 24-bit files as
    // extensible; the GUID closes its 40-byte format chunk.
    const Layout layout { Container::wav, 24 };
    const RawSignal signal = makeSignal(layout, 2);
    for (const uint8_t leadingCode : { 1, 2 })
    {
        SCOPED_TRACE(int(leadingCode));
        const fs::path file = encode(layout, 48000, 2, signal);
        std::fstream io(file, std::ios::in | std::ios::out | std::ios::binary);
        char header[22];
        ASSERT_TRUE(io.read(header, sizeof header));
        ASSERT_EQ(std::string(header + 12, 4), "fmt ");
        ASSERT_EQ(header[16], 40);
        ASSERT_EQ(uint8_t(header[20]) | uint8_t(header[21]) << 8, 0xFFFE);
        const uint8_t guid[16] = { leadingCode, 0x00, 0x00, 0x00, 0x21, 0x07, 0xD3, 0x11,
                                   0x86, 0x44, 0xC8, 0xC1, 0xCA, 0x00, 0x00, 0x00 };
        io.seekp(44);
        ASSERT_TRUE(io.write(reinterpret_cast<const char*>(guid), sizeof guid));
        io.close();

        double* left = nullptr;
        double* right = nullptr;
        int frames = 0, rate = 0;
        bool mono = true;
        const waverror code = readWavFileCode(file.c_str(), &left, &right, &frames, &rate, &mono);
        if (leadingCode != 1)
        {
            EXPECT_EQ(code, kWavErrorUnsupportedFormat) << "ADPCM";
            continue;
        }
        ASSERT_EQ(code, kWavErrorNone);
        const std::vector<double> leftRead(left, left + frames), rightRead(right, right + frames);
        delete[] left;
        delete[] right;
        EXPECT_EQ(rate, 48000);
        EXPECT_FALSE(mono);
        EXPECT_EQ(leftRead, signal.left);
        EXPECT_EQ(rightRead, signal.right);
    }
}
