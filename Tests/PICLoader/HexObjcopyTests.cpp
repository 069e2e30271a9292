// Images written by GNU objcopy, a HEX writer this project did not write. Each test makes a
// small binary and converts it with
//
//     objcopy -I binary -O ihex --change-addresses 0x10FF03 image.bin image.hex
//
// which gives extended linear address records (0x0010, then 0x0011 where the data crosses
// 64 KiB), a record cut short at that boundary, an odd-length last record, a start address
// record (type 5) and CRLF line ends.

#include "HexImport.h"
#include "PICLoaderHIDDevice.h"
#include "PICProgrammer.h"
#include "PICTestHelpers.h"
#include "SimulatedBootloader.h"
#include "SimulatedHIDDevice.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
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

DeviceDescription family1Chip()
{
    DeviceDescription description;
    description.family = 1;
    description.bytesPerPacket = 56;
    description.regions = { { 1, 0x10FE00, 0x110400, 0x600 } };
    return description;
}

SimulatedBootloader::Config family1Config()
{
    SimulatedBootloader::Config config;
    config.family = 1;
    config.bytesPerPacket = 56;
    config.regions = { { 1, 0x10FE00, 0x600 } };
    return config;
}

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

TEST_F(ObjcopyHex, ImportPlacesEveryByteAtItsLinearAddress)
{
    std::vector<HexBlock> blocks;
    bool configFound = true;
    const auto image = bytes();
    ASSERT_EQ(importHexFile(makeLineReader(image), family1Chip(), blocks, configFound), kHexImported);
    EXPECT_FALSE(configFound);
    ASSERT_EQ(blocks.size(), 1u);

    std::vector<uint8_t> expected(0x600, 0xFF);
    std::copy(binary.begin(), binary.end(), expected.begin() + (kLoadAddress - 0x10FE00));
    EXPECT_EQ(blocks[0].data, expected);

    // Without line feeds' carriage returns the image reads the same.
    std::string unixText;
    for (char c : hex)
        if (c != '\r')
            unixText.push_back(c);
    std::vector<uint8_t> unixImage(unixText.begin(), unixText.end());
    std::vector<HexBlock> unixBlocks;
    ASSERT_EQ(importHexFile(makeLineReader(unixImage), family1Chip(), unixBlocks, configFound), kHexImported);
    EXPECT_EQ(unixBlocks[0].data, expected);
}

TEST_F(ObjcopyHex, ProgramsAndVerifiesOnTheSimulatedBootloader)
{
    PICLogCapture log;
    SimulatedHIDDevice device(0x04D8, 0x003C);
    SimulatedBootloader bootloader(device, family1Config());
    PICLoaderHIDDevice hid(&device);
    ASSERT_TRUE(programHexImage(hid, bytes(), nullptr).ok);

    std::vector<uint8_t> expected(0x600, 0xFF);
    std::copy(binary.begin(), binary.end(), expected.begin() + (kLoadAddress - 0x10FE00));
    EXPECT_EQ(bootloader.flash(0x10FE00), expected);
    EXPECT_TRUE(bootloader.violations().empty());
}

TEST_F(ObjcopyHex, BrokenLinesInARealImageRejectItBeforeTheErase)
{
    auto all = lines(hex);
    ASSERT_GT(all.size(), 20u);
    auto join = [](const std::vector<std::string>& parts) {
        std::string text;
        for (const auto& part : parts)
            text += part + "\n";
        return std::vector<uint8_t>(text.begin(), text.end());
    };

    std::vector<std::pair<const char*, std::vector<std::string>>> cases;
    auto badChecksum = all;
    std::string& line = badChecksum[10];
    line.pop_back(); // the CR
    line.back() = line.back() == '0' ? '1' : '0';
    cases.push_back({ "bad checksum", badChecksum });
    auto shortLine = all;
    shortLine[10] = shortLine[10].substr(0, 20);
    cases.push_back({ "short line", shortLine });
    auto noColon = all;
    noColon[10] = noColon[10].substr(1);
    cases.push_back({ "missing colon", noColon });

    for (const auto& [name, broken] : cases)
    {
        std::vector<HexBlock> blocks;
        bool configFound = false;
        const auto image = join(broken);
        EXPECT_EQ(importHexFile(makeLineReader(image), family1Chip(), blocks, configFound), kHexMalformed) << name;

        PICLogCapture log;
        SimulatedHIDDevice device(0x04D8, 0x003C);
        SimulatedBootloader bootloader(device, family1Config());
        PICLoaderHIDDevice hid(&device);
        Result result = programHexImage(hid, image, nullptr);
        EXPECT_STREQ(result.error, "PIC update failed!") << name;
        EXPECT_TRUE(log.contains("Malformed HEX record at line 11")) << name;
        EXPECT_EQ(bootloader.eraseCount(), 0) << name;
    }
}
