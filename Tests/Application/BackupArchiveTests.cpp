#include "BackupArchive.h"
#include "ByteOutputStream.h"
#include "FileTestHelpers.h"
#include "FirmwareArchive.h"
#include "TonecrestDataFile.h"
#include "TonecrestPresetMigration.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <vector>

using namespace Tonecrest;
using namespace Tonecrest::TonecrestData;
using namespace Tonecrest::Testing;

namespace
{
using Bytes = std::vector<uint8_t>;

// A preset version above 2.5.1, so that reading a preset back changes only its version key.
constexpr float kVersion260 = 0x020600;

Preset makePreset(int slot)
{
    Preset preset;
    preset.name = "Preset " + std::to_string(slot);
    preset.params = { { 1, static_cast<float>(slot) }, { 50, 0.5f }, { kPresetVersionKey, kVersion260 } };
    preset.cabinet = std::make_unique<Cabinet>();
    preset.cabinet->name = "Cab of " + std::to_string(slot);
    preset.cabinet->samples[3] = static_cast<float>(slot) / 128.0f;
    return preset;
}

Cabinet makeCabinet(int slot)
{
    Cabinet cabinet;
    cabinet.name = "User " + std::to_string(slot);
    cabinet.samples[1500] = -static_cast<float>(slot) / 32.0f;
    return cabinet;
}

Archive makeBackup()
{
    Archive archive;
    for (int slot = 0; slot < presetSlotCount; ++slot)
        archive.presets.push_back({ slot, makePreset(slot) });
    for (int slot = 0; slot < userCabinetSlotCount; ++slot)
        archive.userCabinets.push_back({ slot, makeCabinet(slot) });
    archive.globals = ParameterMap { { 0, 1.0f }, { 5, 120.0f } };
    return archive;
}

Bytes bytesOf(const std::string& text)
{
    return { text.begin(), text.end() };
}

Archive makeFirmwareArchive()
{
    Archive archive;
    archive.versionInfo.emplace();
    archive.versionInfo->system = { 3, 4, 1, 0 };
    archive.versionInfo->dsp = { 6, 2, 0, 0 };
    archive.systemFirmware = bytesOf(":020000040000FA\n:00000001FF\n");
    archive.dspFirmware = Bytes { 0x01, 0x02, 0x03 };
    archive.dspFirmwareQV6 = Bytes { 0x10, 0x20 };
    archive.dspFirmware2 = Bytes { 0xF0, 0x0F, 0x80 };
    Archive::AmpModelEntry amp;
    amp.index = 12;
    amp.model.info = { 4, "Fuzz/Face" };
    amp.model.dataWords1[7] = 0xCAFEF00D;
    archive.ampModels.push_back(amp);
    archive.presets.push_back({ 3, makePreset(3) });
    archive.userCabinets.push_back({ 4, makeCabinet(4) });
    archive.globals = ParameterMap { { 2, 2.0f } };
    return archive;
}

/** A zip built with JUCE from (name, content) pairs, for entries the writer never makes. */
juce::MemoryBlock zipOf(const std::vector<std::pair<std::string, std::string>>& entries)
{
    juce::ZipFile::Builder builder;
    for (const auto& [name, content] : entries)
        builder.addEntry(new juce::MemoryInputStream(juce::MemoryBlock(content.data(), content.size()), true), 0,
                         name, juce::Time::getCurrentTime());
    juce::MemoryOutputStream out;
    builder.writeToStream(out, nullptr);
    return out.getMemoryBlock();
}

template <typename Writer>
std::string dataFileText(Writer write)
{
    ByteOutputStream out;
    EXPECT_TRUE(write(out));
    return { out.bytes().begin(), out.bytes().end() };
}

// Data files as the pedal's own writers make them, to zip up by hand.
std::string presetFile(int slot, uint32_t index) { return dataFileText([&](IOutputStream& out) { return writePresetFile(makePreset(slot), out, index); }); }
std::string cabinetFile(int slot, uint32_t index) { return dataFileText([&](IOutputStream& out) { return writeCabinetFile(makeCabinet(slot), out, index); }); }
std::string globalsFile(const ParameterMap& globals) { return dataFileText([&](IOutputStream& out) { return writeGlobalsFile(globals, out); }); }

Result loadZip(const juce::MemoryBlock& zip, Archive& archive)
{
    return BackupArchive::loadFromMemory(zip.getData(), zip.getSize(), archive);
}

std::vector<std::string> entryNames(const juce::MemoryBlock& zipBytes)
{
    juce::MemoryInputStream in(zipBytes, false);
    juce::ZipFile zip(in);
    std::vector<std::string> names;
    for (int i = 0; i < zip.getNumEntries(); ++i)
        names.push_back(zip.getEntry(i)->filename.toStdString());
    return names;
}

bool contains(const juce::MemoryBlock& haystack, const Bytes& needle)
{
    const auto* begin = static_cast<const uint8_t*>(haystack.getData());
    return std::search(begin, begin + haystack.getSize(), needle.begin(), needle.end()) != begin + haystack.getSize();
}
} // namespace

// ---------------------------------------------------------------------------------------
// Writing

TEST(BackupArchiveWrite, EntriesAreNamedAndOrderedAndStoredUncompressed)
{
    const Archive original = makeFirmwareArchive();
    juce::MemoryOutputStream out;
    ASSERT_TRUE(BackupArchive::writeToStream(original, out));
    const juce::MemoryBlock zip = out.getMemoryBlock();

    EXPECT_EQ(entryNames(zip), (std::vector<std::string> { "ArchiveInfo.txt", "System.hex", "FerroxAmp.ldr", "FerroxAmp_QV6.ldr",
                                                          "FerroxAmp2.ldr", "12 - FuzzFace.amp", "Ferrox_Tonecrest_3.pre",
                                                          "Ferrox_Tonecrest_4.cab", "Ferrox_Tonecrest_0.glo" }));
    // Stored as is: the texts and the bit-reversed images appear verbatim in the zip.
    EXPECT_TRUE(contains(zip, bytesOf("SYSTEM_FW_VERSION : 3.4.1\nDSP_FW_VERSION : 6.2.0\n")));
    EXPECT_TRUE(contains(zip, *original.systemFirmware));
    EXPECT_TRUE(contains(zip, Bytes { 0x0F, 0xF0, 0x01 }));
    EXPECT_TRUE(contains(zip, bytesOf("# File Type: Preset data, Index = 3\n")));

    Archive copy;
    ASSERT_TRUE(loadZip(zip, copy));
    ASSERT_TRUE(copy.versionInfo);
    EXPECT_EQ(copy.versionInfo->system, original.versionInfo->system);
    EXPECT_EQ(copy.versionInfo->dsp, original.versionInfo->dsp);
    EXPECT_EQ(copy.systemFirmware, original.systemFirmware);
    EXPECT_EQ(copy.dspFirmware, original.dspFirmware);
    EXPECT_EQ(copy.dspFirmwareQV6, original.dspFirmwareQV6);
    EXPECT_EQ(copy.dspFirmware2, original.dspFirmware2);
    ASSERT_EQ(copy.ampModels.size(), 1u);
    EXPECT_EQ(copy.ampModels[0].index, 12);
    EXPECT_EQ(copy.ampModels[0].model.info.name, "Fuzz/Face");
    EXPECT_EQ(copy.ampModels[0].model.dataWords1, original.ampModels[0].model.dataWords1);
    EXPECT_EQ(copy.globals, original.globals);
}

// An entry that cannot be built, or a disk that fills up part way: the old file stays as it was.
TEST(BackupArchiveWrite, AFailedWriteLeavesTheOldFileAsItWas)
{
    Archive tooManyGlobals = makeBackup();
    for (uint32_t key = 0; key < 129; ++key)
        (*tooManyGlobals.globals)[key] = 1.0f;
    const struct
    {
        Archive archive;
        rlim_t diskLimit; // 0: no limit
        const char* error;
    } cases[] = { { std::move(tooManyGlobals), 0, "Too many params" }, { makeBackup(), 64 * 1024, "Failed to write zip file" } };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.error);
        ScratchFolder scratch;
        const juce::File file = scratch.child("pedal.tbu");
        ASSERT_TRUE(file.replaceWithText("previous backup"));
        Result written;
        {
            std::optional<FileSizeLimit> full;
            if (c.diskLimit > 0)
                full.emplace(c.diskLimit);
            written = BackupArchive::write(c.archive, file);
        }
        EXPECT_STREQ(errorText(written).c_str(), c.error);
        EXPECT_EQ(file.loadFileAsString(), "previous backup");
        EXPECT_EQ(scratch.fileCount(), 1);
    }
}

TEST(BackupArchiveWrite, RefusedWritesAreFailures)
{
    FullOutputStream full;
    EXPECT_STREQ(errorText(BackupArchive::writeToStream(makeFirmwareArchive(), full)).c_str(), "Failed to write zip file");
}

TEST(FirmwareArchive, BuiltInArchiveIsOfferedOnlyWhenTheBuildCarriesOne)
{
    Archive archive;
    archive.presets.emplace_back();
    const Result result = FirmwareArchive::loadBuiltIn(archive);
    if (!FirmwareArchive::hasBuiltIn())
    {
        EXPECT_EQ(errorText(result), "No built-in firmware is included in this build");
        EXPECT_EQ(archive.presets.size(), 1u) << "the caller's archive is left alone";
        return;
    }
    ASSERT_TRUE(result.ok) << errorText(result);
    EXPECT_TRUE(archive.versionInfo.has_value());
    EXPECT_TRUE(archive.presets.empty()) << "replaced by the built-in archive";
}

// ---------------------------------------------------------------------------------------
// Reading

TEST(BackupArchiveRead, EntriesAreRecognisedByTheEndOfTheirNameAndHiddenOnesAreSkipped)
{
    // What another desktop system adds: resource forks beside and inside folders, and a folder
    // settings file. None of them is a data file, so reading any would fail.
    const std::string resourceFork("\x00\x05\x16\x07Mac OS X        ATTR", 24);
    Archive archive;
    ASSERT_TRUE(loadZip(zipOf({ { "Ferrox_Tonecrest_3.pre", presetFile(3, 3) },
                                { "Saved/MY PRESET.PRE", presetFile(5, 5) },
                                { "Saved/._MY PRESET.PRE", resourceFork },
                                { "__MACOSX/._Ferrox_Tonecrest_3.pre", resourceFork },
                                { "__MACOSX/Saved/._MY PRESET.PRE", resourceFork },
                                { ".DS_Store", resourceFork },
                                { "Ferrox_Tonecrest_7.cab", cabinetFile(7, 7) },
                                { "first.glo", globalsFile({ { 1, 1.0f } }) },
                                { "readme.md", "hello" },
                                { "folder/", "" },
                                { "second.GLO", globalsFile({ { 9, 0.5f } }) } }),
                        archive));
    std::vector<int32_t> presetSlots;
    for (const auto& entry : archive.presets)
        presetSlots.push_back(entry.index);
    EXPECT_EQ(presetSlots, (std::vector<int32_t> { 3, 5 }));
    ASSERT_EQ(archive.userCabinets.size(), 1u);
    EXPECT_EQ(archive.userCabinets[0].index, 7);
    EXPECT_EQ(archive.userCabinets[0].cabinet.name, "User 7");
    EXPECT_EQ(archive.globals, (ParameterMap { { 9, 0.5f } })) << "the later globals win";
}

TEST(BackupArchiveRead, NotAZipOrAnEmptyZipIsNotAValidBackup)
{
    Archive archive;
    const char garbage[] = "this is not a zip file at all";
    EXPECT_STREQ(errorText(BackupArchive::loadFromMemory(garbage, sizeof garbage, archive)).c_str(), "Not a valid backup file");
    EXPECT_STREQ(errorText(loadZip(zipOf({}), archive)).c_str(), "Not a valid backup file");

    ScratchFolder scratch;
    EXPECT_STREQ(errorText(BackupArchive::loadFromFile(scratch.child("missing.tbu"), archive)).c_str(), "Not a valid backup file");
}

TEST(BackupArchiveRead, VersionTextAloneGivesOnlyVersionInformation)
{
    Archive archive;
    ASSERT_TRUE(loadZip(zipOf({ { "ArchiveInfo.txt", "DSP_FW_VERSION : 6.2.0\nSYSTEM_FW_VERSION : 3.4.1\n" } }), archive));
    ASSERT_TRUE(archive.versionInfo);
    EXPECT_EQ(archive.versionInfo->system, (std::array<uint8_t, 4> { 3, 4, 1, 0 }));
    EXPECT_EQ(archive.versionInfo->dsp, (std::array<uint8_t, 4> { 6, 2, 0, 0 }));
    EXPECT_EQ(archive.versionInfo->subType, -1);
    EXPECT_FALSE(archive.systemFirmware || archive.dspFirmware || archive.dspFirmwareQV6 || archive.dspFirmware2 || archive.globals);
    EXPECT_TRUE(archive.presets.empty() && archive.userCabinets.empty() && archive.ampModels.empty());
}

TEST(BackupArchiveRead, FirstDataFileThatFailsEndsTheRead)
{
    const std::string cabinet = cabinetFile(1, 1);
    Archive archive;
    EXPECT_EQ(errorText(loadZip(zipOf({ { "a.glo", globalsFile({ { 1, 1.0f } }) }, { "b.pre", cabinet }, { "c.cab", cabinet } }), archive)),
              "Not a preset file");
    EXPECT_TRUE(archive.globals);
    EXPECT_TRUE(archive.userCabinets.empty());
}

TEST(BackupArchiveRead, SlotsComeFromTheDataFilesAndCanBeCheckedBeforeARestore)
{
    Archive archive;
    ASSERT_TRUE(loadZip(zipOf({ { "Ferrox_Tonecrest_1.pre", presetFile(1, 200) }, { "Ferrox_Tonecrest_2.cab", cabinetFile(1, 0xFFFFFFFFu) } }),
                        archive));
    ASSERT_EQ(archive.presets.size(), 1u);
    EXPECT_EQ(archive.presets[0].index, 200);
    EXPECT_EQ(archive.userCabinets[0].index, -1);
    EXPECT_STREQ(errorText(checkArchiveSlots(archive)).c_str(), "Invalid preset slot %d");
    EXPECT_STREQ(errorText(checkArchiveSlots(archive, false, true, false)).c_str(), "Invalid user cabinet slot %d");
}

TEST(BackupArchiveRead, EntryNamesThatAreNotUtf8AreReadAsBytes)
{
    // Lead bytes that each claim three continuation bytes the name does not have: stepping
    // through such a name character by character runs past its end.
    const std::string placeholder(20, '#');
    juce::MemoryBlock zip = zipOf({ { placeholder + "x.txt", "unknown" }, { "hidden/._y.glo", "not a data file" } });
    auto* bytes = static_cast<uint8_t*>(zip.getData());
    for (size_t i = 0; i + placeholder.size() <= zip.getSize(); ++i)
        if (std::memcmp(bytes + i, placeholder.data(), placeholder.size()) == 0)
            std::memset(bytes + i, 0xF0, placeholder.size());
    Archive archive;
    EXPECT_TRUE(loadZip(zip, archive));
}
