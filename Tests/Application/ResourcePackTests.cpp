#include "AppResources.h"
#include "GuiTestFixture.h"
#include "ResourceFileLocator.h"
#include "ResourcePackFormat.h"
#include "Result.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace
{
using ResourcePackFormat::appendLE32;

/** A pack in memory behind the reader interface, counting what is asked of it. */
struct PackFile
{
    std::vector<uint8_t> bytes;
    int reads = 0;
    uint64_t largestRead = 0;
    bool failFrom = false;
    uint32_t failOffset = 0;

    ResourcePack::Reader reader()
    {
        return [this](uint32_t offset, uint64_t size, void* dest) {
            ++reads;
            largestRead = std::max(largestRead, size);
            if (failFrom && offset >= failOffset)
                return false;
            if (uint64_t(offset) + size > bytes.size())
                return false;
            if (size > 0)
                std::memcpy(dest, bytes.data() + offset, size_t(size));
            return true;
        };
    }

    void setLE32(size_t at, uint32_t value)
    {
        std::vector<uint8_t> word;
        appendLE32(word, value);
        std::copy(word.begin(), word.end(), bytes.begin() + long(at));
    }
};

std::vector<uint8_t> pngBytes(int width, int height, juce::Colour colour)
{
    juce::Image image(juce::Image::ARGB, width, height, true);
    image.clear(image.getBounds(), colour);
    juce::MemoryOutputStream out;
    juce::PNGImageFormat().writeImageToStream(image, out);
    const auto* data = static_cast<const uint8_t*>(out.getData());
    return { data, data + out.getDataSize() };
}

std::string nameOf(AppImageID id)
{
    for (const auto& entry : appImageTable)
        if (entry.id == id)
            return appImageEntryName(entry);
    return {};
}

class ResourcePackTest : public GuiTest
{
protected:
    void TearDown() override { shutdownAppResources(); }

    /** A pack holding a small image under the entry name of every identifier. */
    static PackFile fullPack()
    {
        std::vector<ResourcePackFormat::Entry> entries;
        for (const auto& entry : appImageTable)
            if (std::none_of(entries.begin(), entries.end(),
                             [&](const auto& e) { return e.name == appImageEntryName(entry); }))
                entries.push_back({ appImageEntryName(entry), pngBytes(4, 2, juce::Colours::red) });
        return { ResourcePackFormat::build(entries) };
    }

    static void expectNothingRegistered()
    {
        for (const auto& entry : appImageTable)
            EXPECT_FALSE(getAppImage(entry.id).isValid()) << entry.stem;
    }
};

TEST_F(ResourcePackTest, BrokenHeaderRegistersNothingAndAllocatesNothingForIt)
{
    // The header: directory offset, then entry count; -1 keeps the builder's value.
    const auto patched = [](int64_t directory, int64_t count) {
        auto pack = fullPack();
        if (directory >= 0)
            pack.setLE32(0, uint32_t(directory));
        if (count >= 0)
            pack.setLE32(4, uint32_t(count));
        return pack.bytes;
    };
    const uint64_t packSize = fullPack().bytes.size();
    const struct
    {
        const char* name;
        std::vector<uint8_t> bytes;
        uint64_t largestRead;
    } cases[] = {
        { "shorter than a header", { 1, 2, 3, 4, 5 }, 8 },
        { "empty file", {}, 8 },
        { "count too large for the file", patched(-1, 1000), packSize },
        { "directory beyond the file", patched(int64_t(packSize) + 16, -1), packSize },
        // A directory size that overflows the 32-bit offsets: no read of its size is ever made.
        { "directory wrapping the offsets", patched(0xFFFFFFF0u, 0x10000000u), packSize },
        { "count of 2^32 - 1", patched(-1, 0xFFFFFFFFu), 8 },
    };
    for (const auto& c : cases)
    {
        PackFile pack { c.bytes };
        EXPECT_FALSE(initAppResources(pack.reader())) << c.name;
        EXPECT_LE(pack.largestRead, c.largestRead) << c.name;
        expectNothingRegistered();
    }
}

TEST_F(ResourcePackTest, NamePastTheEndFailsThePackButBytesPastTheEndLoseOnlyTheirImage)
{
    const auto png = pngBytes(2, 2, juce::Colours::blue);
    auto base = ResourcePackFormat::build({ { nameOf(AppImageID::closeOff), png }, { nameOf(AppImageID::closeOn), png } });
    const uint32_t directory = ResourcePackFormat::readLE32(base.data());

    // Second record's name past the end: the first record stays indexed, nothing is registered.
    PackFile badName { base };
    badName.setLE32(directory + 16 + 0, uint32_t(base.size()) - 2);
    ResourcePack pack(badName.reader());
    EXPECT_FALSE(pack.readIndex());
    EXPECT_EQ(pack.getNumIndexedEntries(), 1u);
    EXPECT_FALSE(initAppResources(badName.reader()));
    expectNothingRegistered();

    // One record's bytes past the end, or a size that wraps the offsets, or a later record of
    // the same name that does so: every other image is still there.
    const auto full = fullPack();
    const auto field = [&](uint32_t at) { return ResourcePackFormat::readLE32(&full.bytes[at]); };
    uint32_t closeOnRecord = field(0);
    while (std::string(&full.bytes[field(closeOnRecord)], &full.bytes[field(closeOnRecord)] + field(closeOnRecord + 4))
           != nameOf(AppImageID::closeOn))
        closeOnRecord += 16;
    const struct
    {
        const char* name;
        uint32_t dataOffset, dataSize;
    } cases[] = { { "size past the end", 0, uint32_t(full.bytes.size()) }, { "wrapping", 0xFFFFFF00u, 0x200u } };
    for (const auto& c : cases)
    {
        PackFile file = full;
        if (c.dataOffset != 0)
            file.setLE32(closeOnRecord + 8, c.dataOffset);
        file.setLE32(closeOnRecord + 12, c.dataSize);
        ASSERT_TRUE(initAppResources(file.reader())) << c.name;
        for (const auto& entry : appImageTable)
            EXPECT_EQ(getAppImage(entry.id).isValid(), entry.id != AppImageID::closeOn) << c.name << " " << entry.stem;
        EXPECT_LE(file.largestRead, full.bytes.size()) << c.name;
    }

    PackFile laterBad { ResourcePackFormat::build({ { nameOf(AppImageID::closeOff), png }, { nameOf(AppImageID::closeOff), png },
                                                    { nameOf(AppImageID::closeOn), png } }) };
    laterBad.setLE32(ResourcePackFormat::readLE32(laterBad.bytes.data()) + 16 + 12, uint32_t(laterBad.bytes.size()));
    ASSERT_TRUE(initAppResources(laterBad.reader()));
    EXPECT_FALSE(getAppImage(AppImageID::closeOff).isValid()) << "the later record is the one that counts";
    EXPECT_TRUE(getAppImage(AppImageID::closeOn).isValid());
}

TEST_F(ResourcePackTest, ImagesDecodeOnceLaterRecordsWinAndBadEntriesFailOnTheirOwn)
{
    const auto plusOn = nameOf(AppImageID::plusOn), empty = nameOf(AppImageID::minusOff);
    const auto garbage = nameOf(AppImageID::minusOn), good = nameOf(AppImageID::plusOff);
    PackFile file { ResourcePackFormat::build({ { plusOn, pngBytes(3, 3, juce::Colours::red) },
                                                { plusOn, pngBytes(5, 5, juce::Colours::green) },
                                                { empty, {} },
                                                { garbage, { 'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm', 'a', 'g', 'e' } },
                                                { good, pngBytes(2, 2, juce::Colours::white) },
                                                { nameOf(AppImageID::closeOn), { 0x89 } } }) };
    ResourcePack pack(file.reader());
    ASSERT_TRUE(pack.reopen());
    EXPECT_EQ(pack.getNumIndexedEntries(), 5u);
    pack.registerImage(AppImageID::closeOn, nameOf(AppImageID::closeOn));
    pack.registerImage(AppImageID::plusOn, plusOn);
    pack.registerImage(AppImageID::minusOff, empty);
    pack.registerImage(AppImageID::minusOn, garbage);
    pack.registerImage(AppImageID::plusOff, good);

    const auto image = pack.getImage(AppImageID::plusOn);
    ASSERT_TRUE(image.isValid());
    EXPECT_EQ(image.getWidth(), 5);
    EXPECT_EQ(image.getPixelAt(2, 2), juce::Colours::green);
    int reads = file.reads;
    EXPECT_EQ(pack.getImage(AppImageID::plusOn), image);
    EXPECT_EQ(file.reads, reads) << "the second request is served from the cache";

    // An empty entry stays registered but never gives an image; one that does not decode is
    // read again at the next request.
    for (int attempt = 0; attempt < 2; ++attempt)
    {
        EXPECT_FALSE(pack.getImage(AppImageID::minusOff).isValid());
        reads = file.reads;
        EXPECT_FALSE(pack.getImage(AppImageID::minusOn).isValid());
        EXPECT_GT(file.reads, reads);
    }
    EXPECT_TRUE(pack.isRegistered(AppImageID::minusOff));
    EXPECT_TRUE(pack.isRegistered(AppImageID::minusOn));

    // The file goes bad after the directory was read: the identifier is given up until it is
    // registered again.
    file.failFrom = true;
    file.failOffset = 8;
    EXPECT_FALSE(pack.getImage(AppImageID::plusOff).isValid());
    EXPECT_FALSE(pack.isRegistered(AppImageID::plusOff));
    EXPECT_FALSE(pack.getImage(AppImageID::closeOn).isValid());
    EXPECT_FALSE(pack.isRegistered(AppImageID::closeOn)) << "a one-byte entry is read too";
    file.failFrom = false;
    EXPECT_FALSE(pack.getImage(AppImageID::plusOff).isValid());
    pack.registerImage(AppImageID::plusOff, good);
    EXPECT_TRUE(pack.getImage(AppImageID::plusOff).isValid());

    // Reopening forgets every registration with its image.
    ASSERT_TRUE(pack.reopen());
    EXPECT_FALSE(pack.isRegistered(AppImageID::plusOn));
    EXPECT_FALSE(pack.getImage(AppImageID::plusOn).isValid());

    PackFile emptyDirectory { ResourcePackFormat::build({}) };
    EXPECT_TRUE(initAppResources(emptyDirectory.reader())) << "a valid pack with no images";
    expectNothingRegistered();
}

TEST_F(ResourcePackTest, SharedFontsComeFromTheirSlotsAndStillDrawAfterShutdown)
{
    auto file = fullPack();
    ASSERT_TRUE(initAppResources(file.reader()));
    EXPECT_TRUE(getAppImage(AppImageID::closeOn).isValid());
    const struct
    {
        SharedFont font;
        float height;
        bool italic;
    } slots[] = { { sharedFont9, 9, false }, { sharedFont12, 12, false }, { sharedFont14, 14, false },
                  { sharedFont16, 16, false }, { sharedFont14Italic, 14, true } };
    for (const auto& slot : slots)
    {
        EXPECT_FLOAT_EQ(slot.font.get().getHeight(), slot.height);
        EXPECT_EQ(slot.font.get().isItalic(), slot.italic);
    }
    shutdownAppResources();
    EXPECT_FALSE(getAppImage(AppImageID::closeOn).isValid());
    EXPECT_NE(getResourcePack(), nullptr);
    EXPECT_FLOAT_EQ(juce::Font(editPageFont).getHeight(), 12.0f);
}

std::vector<std::string> capturedLog;

void captureLog(void*, const char* line)
{
    capturedLog.push_back(line);
}

TEST_F(ResourcePackTest, MissingPackFileIsLoggedAndRunsWithoutImages)
{
    capturedLog.clear();
    Tonecrest::setLogCallback(captureLog, nullptr);
    const auto missing = juce::File::getSpecialLocation(juce::File::tempDirectory).getChildFile("no-such-dir/resources.bin");
    const bool ok = initAppResources(openResourcePackReader(missing));
    Tonecrest::setLogCallback(nullptr, nullptr);

    EXPECT_FALSE(ok);
    expectNothingRegistered();
    ASSERT_EQ(capturedLog.size(), 3u);
    EXPECT_NE(capturedLog[0].find("Failed to get fs path for resource"), std::string::npos);
    EXPECT_NE(capturedLog[1].find("Failed to open resource file ''"), std::string::npos);
    EXPECT_NE(capturedLog[2].find("URL: file://"), std::string::npos);
}

// The pack the build drew: every identifier decodes at twice the size its page lays it out at,
// identifiers sharing an entry each on their own.
TEST_F(ResourcePackTest, BuiltPackHoldsEveryImageAtTwiceItsLayoutSize)
{
    const juce::File packFile(TONECREST_RESOURCES_BIN);
    ASSERT_TRUE(packFile.existsAsFile()) << TONECREST_RESOURCES_BIN;
    const auto openFiles = [] { return juce::File("/proc/self/fd").getNumberOfChildFiles(juce::File::findFiles); };
    const int before = openFiles();
    openResourcePackReader(packFile);
    EXPECT_EQ(openFiles(), before) << "a reader that goes closes its file";
    ASSERT_TRUE(initAppResources(openResourcePackReader(packFile)));

    struct Size
    {
        AppImageID first, last;
        int width, height;
    };
    const Size sizes[] = {
        { AppImageID::editPageBackground, AppImageID::backupPageBackground, 2104, 1354 },
        { AppImageID::browserSeparatorBar, AppImageID::browserSelectedBar, 324, 48 },
        { AppImageID::mainDialFilmStrip, AppImageID::mainDialFilmStrip, 166, 166 * 99 },
        { AppImageID::fxDialFilmStrip, AppImageID::fxDialFilmStrip, 146, 156 * 99 },
        { AppImageID::editTabOff, AppImageID::fileButtonOn, 306, 52 },
        { AppImageID::closeOff, AppImageID::minimiseOn, 36, 36 },
        { AppImageID::saveButtonOff, AppImageID::saveButtonOn, 140, 52 },
        { AppImageID::chainBlockDark, AppImageID::chainBlockLight, 80, 80 },
        { AppImageID::readoutBox, AppImageID::readoutBox, 366, 60 },
        { AppImageID::readoutArrowLeftOff, AppImageID::readoutArrowRightOn, 20, 26 },
        { AppImageID::readoutBoxShort, AppImageID::readoutBoxShort, 244, 60 },
        { AppImageID::notAssignedBlock, AppImageID::invertBlock, 32, 32 },
        { AppImageID::minusOff, AppImageID::plusOn, 20, 20 },
        { AppImageID::loadUserButtonOff, AppImageID::loadUserButtonOn, 124, 40 },
        { AppImageID::backupButtonOff, AppImageID::restoreButtonOn, 136, 204 },
        { AppImageID::presetArrowLeftOff, AppImageID::presetArrowRightOn, 24, 30 },
        { AppImageID::presetManagerOff, AppImageID::presetManagerOn, 140, 52 },
        { AppImageID::mainBackground, AppImageID::mainBackground, 2104, 1354 },
    };
    int checked = 0;
    for (const auto& size : sizes)
        for (int id = int(size.first); id <= int(size.last); ++id, ++checked)
        {
            const auto image = getAppImage(AppImageID(id));
            ASSERT_TRUE(image.isValid()) << id;
            EXPECT_EQ(image.getWidth(), size.width) << id;
            EXPECT_EQ(image.getHeight(), size.height) << id;
        }
    EXPECT_EQ(checked, 60);

    // Lit and unlit states differ; shared entries are the same picture.
    EXPECT_FALSE(getAppImage(AppImageID::editTabOn).getPixelAt(150, 4) == getAppImage(AppImageID::editTabOff).getPixelAt(150, 4));
    EXPECT_EQ(getAppImage(AppImageID::presetManagerOn).getPixelAt(70, 26), getAppImage(AppImageID::saveButtonOn).getPixelAt(70, 26));
}

} // namespace
