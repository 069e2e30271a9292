#include "BackupArchive.h"
#include "FileTestHelpers.h"
#include "FirmwareArchive.h"
#include "HexImport.h"
#include "SimulatedPedalBus.h"
#include "SyntheticFirmware.h"
#include "TonecrestDataFile.h"

#include <gtest/gtest.h>

#include <juce_core/juce_core.h>

#include <memory>
#include <string>
#include <vector>

using namespace Tonecrest;
using namespace Tonecrest::Testing;

namespace
{
const juce::File kGenerated(TONECREST_SYNTHETIC_FIRMWARE_ARCHIVE);

std::string entryText(juce::ZipFile& zip, int index)
{
    std::unique_ptr<juce::InputStream> stream(zip.createStreamForEntry(index));
    return stream != nullptr ? stream->readEntireStreamAsString().toStdString() : std::string();
}

/** The compression method of every local file header in a zip (8: deflate). */
std::vector<int> compressionMethods(const juce::File& file)
{
    juce::MemoryBlock bytes;
    file.loadFileAsData(bytes);
    const auto* data = static_cast<const uint8_t*>(bytes.getData());
    std::vector<int> methods;
    size_t at = 0;
    while (at + 30 <= bytes.getSize() && data[at] == 'P' && data[at + 1] == 'K' && data[at + 2] == 3 && data[at + 3] == 4)
    {
        methods.push_back(data[at + 8] | (data[at + 9] << 8));
        const size_t compressed = data[at + 18] | (data[at + 19] << 8) | (data[at + 20] << 16) | (static_cast<size_t>(data[at + 21]) << 24);
        const size_t nameLength = data[at + 26] | (data[at + 27] << 8);
        const size_t extraLength = data[at + 28] | (data[at + 29] << 8);
        at += 30 + nameLength + extraLength + compressed;
    }
    return methods;
}
} // namespace

TEST(SyntheticFirmwareArchive, HasTheLayoutOfABuiltInArchive)
{
    ASSERT_TRUE(kGenerated.existsAsFile()) << kGenerated.getFullPathName();
    juce::ZipFile zip(kGenerated);
    ASSERT_EQ(zip.getNumEntries(), 29);

    const char* fixedNames[] = { "ArchiveInfo.txt", "System.hex", "FerroxAmp.ldr", "FerroxAmp_QV6.ldr", "FerroxAmp2.ldr" };
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(zip.getEntry(i)->filename, fixedNames[i]);
    EXPECT_EQ(zip.getEntry(5)->filename, "0 - Synth Amp 01.amp");
    EXPECT_EQ(zip.getEntry(28)->filename, "23 - Synth Amp 24.amp");

    EXPECT_EQ(entryText(zip, 0), "DSP_FW_VERSION : 6.2.0\nSYSTEM_FW_VERSION : 3.4.1\n") << "the DSP line first";
    EXPECT_EQ(compressionMethods(kGenerated), std::vector<int>(29, 8)) << "every entry deflated";

    // Amp files name their segment size once and carry no checksum lines.
    const std::string amp = entryText(zip, 5);
    size_t sizeLines = 0;
    for (size_t at = amp.find("\nData Segment "); at != std::string::npos; at = amp.find("\nData Segment ", at + 1))
        ++sizeLines;
    EXPECT_EQ(sizeLines, 1u);
    EXPECT_EQ(amp.find("CRC = "), std::string::npos);

    // DSP images are stored bit-reversed.
    std::unique_ptr<juce::InputStream> stream(zip.createStreamForEntry(2));
    juce::MemoryBlock stored;
    stream->readIntoMemoryBlock(stored);
    auto image = SyntheticFirmware::makeArchive().dspFirmware.value();
    reverseBitsInEachByte(image);
    EXPECT_EQ(std::vector<uint8_t>(static_cast<const uint8_t*>(stored.getData()),
                                   static_cast<const uint8_t*>(stored.getData()) + stored.getSize()),
              image);
}

TEST(SyntheticFirmwareArchive, ReadsBackThroughTheArchiveReaderWithItsVersions)
{
    TonecrestData::Archive archive;
    ASSERT_TRUE(FirmwareArchive::loadFromFile(kGenerated, archive).ok);
    const TonecrestData::Archive expected = SyntheticFirmware::makeArchive();

    ASSERT_TRUE(archive.versionInfo.has_value());
    EXPECT_EQ(archive.versionInfo->system, (std::array<uint8_t, 4> { 3, 4, 1, 0 }));
    EXPECT_EQ(archive.versionInfo->dsp, (std::array<uint8_t, 4> { 6, 2, 0, 0 }));
    EXPECT_EQ(archive.systemFirmware, expected.systemFirmware);
    EXPECT_EQ(archive.dspFirmware, expected.dspFirmware);
    EXPECT_EQ(archive.dspFirmwareQV6, expected.dspFirmwareQV6);
    EXPECT_EQ(archive.dspFirmware2, expected.dspFirmware2);
    EXPECT_TRUE(archive.presets.empty() && archive.userCabinets.empty() && !archive.globals);

    ASSERT_EQ(archive.ampModels.size(), SyntheticFirmware::kAmpModelCount);
    for (size_t i = 0; i < archive.ampModels.size(); ++i)
    {
        const auto& read = archive.ampModels[i];
        const auto& made = expected.ampModels[i];
        EXPECT_EQ(read.index, made.index);
        EXPECT_EQ(read.model.info.id, made.model.info.id);
        EXPECT_EQ(read.model.info.name, made.model.info.name);
        EXPECT_EQ(read.model.params, made.model.params);
        EXPECT_EQ(read.model.longName1, made.model.longName1);
        EXPECT_EQ(read.model.dataWords1, made.model.dataWords1);
        EXPECT_EQ(read.model.dataWords2, made.model.dataWords2);
    }

    // Its system image is one the simulated pedal's chip takes.
    PICLoader::DeviceDescription chip;
    chip.family = 1;
    chip.bytesPerPacket = 56;
    for (const auto& region : SimulatedPedalBus::defaultChip().regions)
        chip.regions.push_back({ region.type, region.start, region.start + region.size, region.size });
    std::vector<PICLoader::HexBlock> blocks;
    bool configFound = false;
    EXPECT_EQ(PICLoader::importHexFile(PICLoader::makeLineReader(*archive.systemFirmware), chip, blocks, configFound),
              PICLoader::kHexImported);
    EXPECT_TRUE(configFound);
    EXPECT_EQ(SyntheticFirmware::versionInFlash(blocks[0].data, 0x1000, 1), (SyntheticFirmware::Version { 3, 4, 1 }));
}

TEST(FirmwareArchive, BuiltInArchiveIsOfferedOnlyWhenTheBuildCarriesOne)
{
    TonecrestData::Archive archive;
    archive.presets.emplace_back();
    Result result = FirmwareArchive::loadBuiltIn(archive);
    if (!FirmwareArchive::hasBuiltIn())
    {
        EXPECT_EQ(errorText(result), "No built-in firmware is included in this build");
        EXPECT_EQ(archive.presets.size(), 1u) << "the caller's archive is left alone";
        EXPECT_FALSE(archive.systemFirmware.has_value());
        return;
    }
    ASSERT_TRUE(result.ok) << errorText(result);
    EXPECT_TRUE(archive.versionInfo.has_value());
    EXPECT_TRUE(archive.presets.empty()) << "replaced by the built-in archive";
}
