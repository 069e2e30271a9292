#include "AudioFileReader.h"
#include "AudioFileBuilder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <random>

// The reader against files written by a real encoder: sox converts raw samples we chose into
// every layout the importer accepts, and the reader must give back exactly those samples. The
// files are made in the temporary folder at test time; without sox the test skips. One
// conversion, for instance:
//   sox -D -t raw -r 96000 -c 2 -e signed-integer -b 24 -L in.raw -t wav -e signed-integer -b 24 out.wav

using namespace Tonecrest;
using namespace Tonecrest::Testing;

TEST(SoxFiles, EveryLayoutAtEveryRateReadsBackExactly)
{
    if (std::system("command -v sox >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "sox is not installed (scripts/install-deps.sh installs it)";
    const struct
    {
        const char* type; // "wav": sox's choice of header, extensible beyond 16 bits; "wavpcm": always plain
        int bits;
        const char* encoding;
    } layouts[] = {
        { "wav", 8, "unsigned-integer" }, { "wav", 16, "signed-integer" },    { "wav", 24, "signed-integer" },
        { "wavpcm", 24, "signed-integer" }, { "wav", 32, "signed-integer" }, { "wavpcm", 32, "signed-integer" },
        { "wav", 32, "floating-point" },  { "aiff", 8, "signed-integer" },   { "aiff", 16, "signed-integer" },
        { "aiff", 24, "signed-integer" }, { "aiff", 32, "signed-integer" },
    };
    const std::string raw = ::testing::TempDir() + "sox-" + std::to_string(::getpid()) + ".raw";
    for (const auto& layout : layouts)
        for (int rate : { 44100, 48000, 88200, 96000, 176400, 192000 })
            for (int channels : { 1, 2 })
            {
                const bool isFloat = layout.encoding[0] == 'f', isAiff = layout.type[0] == 'a';
                // The extremes, zero and a fixed pseudo-random rest; float files get multiples of
                // 2^-23 in [-1, 1), which sox carries from 32-bit integers unrounded.
                const int valueBits = isFloat ? 24 : layout.bits;
                std::mt19937 random(uint32_t(layout.bits * 7 + channels));
                std::uniform_int_distribution<int64_t> anyValue(-(int64_t(1) << (valueBits - 1)), (int64_t(1) << (valueBits - 1)) - 1);
                Bytes input;
                std::vector<double> expected[2];
                for (int i = 0; i < 64 * channels; ++i)
                {
                    const int64_t value = i == 0 ? anyValue.min() : i == 1 ? anyValue.max() : i == 2 ? 0 : anyValue(random);
                    expected[i % channels].push_back(std::ldexp(double(value), 1 - valueBits));
                    const Bytes word = le({ uint64_t(value) << (layout.bits - valueBits) }, layout.bits / 8);
                    input.insert(input.end(), word.begin(), word.end());
                }
                std::ofstream(raw, std::ios::binary).write(reinterpret_cast<const char*>(input.data()), long(input.size()));
                const std::string out = raw + (isAiff ? ".aiff" : ".wav");
                // -D: no dither, so the samples are carried over exactly.
                const std::string command = "sox -D -t raw -r " + std::to_string(rate) + " -c " + std::to_string(channels)
                                            + " -e signed-integer -b " + std::to_string(layout.bits) + " -L '" + raw + "' -t " + layout.type
                                            + " -e " + layout.encoding + " -b " + std::to_string(layout.bits) + " '" + out + "' 2>&1";
                SCOPED_TRACE(command);
                ASSERT_EQ(std::system(command.c_str()), 0);
                double* left = nullptr;
                double* right = nullptr;
                int frames = 0, fileRate = 0;
                bool mono = false;
                ASSERT_EQ((isAiff ? readAiffFileCode : readWavFileCode)(out.c_str(), &left, &right, &frames, &fileRate, &mono), kWavErrorNone);
                EXPECT_TRUE(fileRate == rate && mono == (channels == 1));
                EXPECT_EQ(std::vector<double>(left, left + frames), expected[0]);
                EXPECT_EQ(std::vector<double>(right, right + frames), expected[channels - 1]);
                delete[] left;
                delete[] right;
                std::remove(out.c_str());
            }
    std::remove(raw.c_str());
}

TEST(SoxFiles, ExtensibleSubFormatIsTakenFromItsLeadingCodeWhateverTheRestOfItsGuid)
{
    // Impulse files shipped with Linux audio packages name integer PCM as
    // 00000001-0721-11d3-8644-c8c1ca000000, not with the usual tail. sox writes 24-bit stereo
    // as extensible, and the GUID closes its 40-byte format chunk: patch it there.
    if (std::system("command -v sox >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "sox is not installed (scripts/install-deps.sh installs it)";
    const std::string raw = ::testing::TempDir() + "sox-guid-" + std::to_string(::getpid()) + ".raw", out = raw + ".wav";
    // Left, right: full scale down, half up, then a quarter down on the left only.
    std::ofstream(raw, std::ios::binary).write("\x00\x00\x80\x00\x00\x40\x00\x00\xE0\x00\x00\x00", 12);
    ASSERT_EQ(std::system(("sox -D -t raw -r 48000 -c 2 -e signed-integer -b 24 -L '" + raw + "' -t wav -b 24 '" + out + "' 2>&1").c_str()), 0);
    for (const uint8_t leadingCode : { 1, 3, 2 })
    {
        SCOPED_TRACE(int(leadingCode));
        std::fstream io(out, std::ios::in | std::ios::out | std::ios::binary);
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
        const waverror code = readWavFileCode(out.c_str(), &left, &right, &frames, &rate, &mono);
        const std::vector<double> leftRead(left, left + frames), rightRead(right, right + frames);
        delete[] left;
        delete[] right;
        if (leadingCode == 2) // ADPCM
            EXPECT_EQ(code, kWavErrorUnsupportedFormat);
        else if (leadingCode == 3) // float must be 32-bit
            EXPECT_EQ(code, kWavErrorUnsupportedWidth);
        else
        {
            ASSERT_EQ(code, kWavErrorNone);
            EXPECT_TRUE(rate == 48000 && !mono);
            EXPECT_EQ(leftRead, (std::vector<double> { -1.0, -0.25 }));
            EXPECT_EQ(rightRead, (std::vector<double> { 0.5, 0.0 }));
        }
    }
    std::remove(raw.c_str());
    std::remove(out.c_str());
}
