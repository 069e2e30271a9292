// Images written by GNU objcopy, a HEX writer this project did not write. Each test makes a
// small binary and converts it with
//
//     objcopy -I binary -O ihex --change-addresses 0x10FF03 image.bin image.hex
//
// which gives extended linear address records (0x0010, then 0x0011 where the data crosses
// 64 KiB), a record cut short at that boundary, an odd-length last record, a start address
// record (type 5) and CRLF line ends.

#include "PICLoaderHIDDevice.h"
#include "PICProgrammer.h"
#include "PICTestHelpers.h"
#include "SimulatedBootloader.h"
#include "SimulatedHIDDevice.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

using namespace Tonecrest;
using namespace Tonecrest::PICLoader;
using namespace Tonecrest::Testing;

namespace
{
constexpr uint32_t kLoadAddress = 0x10FF03;
constexpr size_t kImageBytes = 0x2FB; // odd, so the last record is odd too

std::vector<uint8_t> binaryImage()
{
    std::vector<uint8_t> bytes(kImageBytes);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<uint8_t>(i * 37 + 11);
    return bytes;
}

bool haveObjcopy()
{
    return std::system("objcopy --version >/dev/null 2>&1") == 0;
}

/** The binary converted by objcopy, or an empty string when the conversion failed. */
std::string objcopyHex(const std::vector<uint8_t>& binary)
{
    const std::string base = ::testing::TempDir() + "objcopy-" + std::to_string(::getpid());
    const std::string binPath = base + ".bin";
    const std::string hexPath = base + ".hex";
    {
        std::ofstream out(binPath, std::ios::binary);
        out.write(reinterpret_cast<const char*>(binary.data()), static_cast<std::streamsize>(binary.size()));
    }
    char address[16];
    std::snprintf(address, sizeof address, "0x%X", kLoadAddress);
    const std::string command = "objcopy -I binary -O ihex --change-addresses " + std::string(address) + " '" + binPath
                                + "' '" + hexPath + "'";
    const bool converted = std::system(command.c_str()) == 0;
    std::ifstream in(hexPath, std::ios::binary);
    std::string hex((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::remove(binPath.c_str());
    std::remove(hexPath.c_str());
    return converted ? hex : std::string();
}

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> result;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        result.push_back(line);
    return result;
}

SimulatedBootloader::Config family1Config()
{
    SimulatedBootloader::Config config;
    config.family = 1;
    config.bytesPerPacket = 56;
    config.regions = { { 1, 0x10FE00, 0x600 } };
    return config;
}

/** A fresh simulated chip; it and the log stay for checks after programming. */
struct Chip
{
    PICLogCapture log;
    SimulatedHIDDevice device { 0x04D8, 0x003C };
    SimulatedBootloader bootloader { device, family1Config() };
    PICLoaderHIDDevice hid { &device };

    Result program(const std::vector<uint8_t>& image) { return programHexImage(hid, image, nullptr); }
};

class ObjcopyHex : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!haveObjcopy())
            GTEST_SKIP() << "objcopy (binutils) is not installed";
        hex = objcopyHex(binary);
        ASSERT_FALSE(hex.empty()) << "objcopy failed";
    }

    std::vector<uint8_t> bytes() const { return std::vector<uint8_t>(hex.begin(), hex.end()); }

    const std::vector<uint8_t> binary = binaryImage();
    std::string hex;
};
} // namespace

TEST_F(ObjcopyHex, FixtureHasTheRecordsItIsMeantToCover)
{
    const auto all = lines(hex);
    int extendedLinear = 0;
    bool oddRecord = false;
    for (const std::string& line : all)
    {
        extendedLinear += line.rfind(":02000004", 0) == 0 ? 1 : 0;
        oddRecord = oddRecord || (line.size() > 3 && line.rfind(":", 0) == 0 && std::stoi(line.substr(1, 2), nullptr, 16) % 2 == 1);
    }
    EXPECT_EQ(extendedLinear, 2);
    EXPECT_TRUE(oddRecord);
    EXPECT_NE(hex.find("\r\n"), std::string::npos);
}

TEST_F(ObjcopyHex, ProgramsAndVerifiesEveryByteAtItsLinearAddress)
{
    Chip chip;
    ASSERT_TRUE(chip.program(bytes()).ok);

    std::vector<uint8_t> expected(0x600, 0xFF);
    std::copy(binary.begin(), binary.end(), expected.begin() + (kLoadAddress - 0x10FE00));
    EXPECT_EQ(chip.bootloader.flash(0x10FE00), expected);
    EXPECT_TRUE(chip.bootloader.violations().empty());
}

TEST_F(ObjcopyHex, BrokenLinesInARealImageRejectItBeforeTheErase)
{
    ASSERT_GT(lines(hex).size(), 20u);
    const std::pair<const char*, std::function<void(std::string&)>> breaks[] = {
        { "bad checksum", [](std::string& line) {
             line.pop_back(); // the CR
             line.back() = line.back() == '0' ? '1' : '0';
         } },
        { "short line", [](std::string& line) { line.resize(20); } },
        { "missing colon", [](std::string& line) { line.erase(0, 1); } },
    };
    for (const auto& [name, breakLine] : breaks)
    {
        auto broken = lines(hex);
        breakLine(broken[10]);
        std::string text;
        for (const auto& line : broken)
            text += line + "\n";

        Chip chip;
        EXPECT_STREQ(chip.program(std::vector<uint8_t>(text.begin(), text.end())).error, "PIC update failed!") << name;
        EXPECT_TRUE(chip.log.contains("Malformed HEX record at line 11")) << name;
        EXPECT_EQ(chip.bootloader.eraseCount(), 0) << name;
    }
}
