#include "ProtocolTestHelpers.h"
#include "TonecrestData.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <string>
#include <vector>

using namespace Tonecrest;
using namespace Tonecrest::TonecrestData;
using Tonecrest::Testing::paramsWithEntries;

namespace
{
using Bytes = std::vector<uint8_t>;

uint32_t wordAt(const Bytes& block, size_t byteOffset)
{
    return static_cast<uint32_t>(block[byteOffset]) | (static_cast<uint32_t>(block[byteOffset + 1]) << 8)
         | (static_cast<uint32_t>(block[byteOffset + 2]) << 16) | (static_cast<uint32_t>(block[byteOffset + 3]) << 24);
}

void putWord(Bytes& block, size_t byteOffset, uint32_t value)
{
    for (size_t i = 0; i < 4; ++i)
        block[byteOffset + i] = static_cast<uint8_t>(value >> (8 * i));
}

uint32_t bitsOf(float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// Every decode test hands over a heap buffer of exactly the stated size, so the address
// sanitizer catches a read one byte past its end.
Bytes exactly(size_t size, uint8_t fill = 0)
{
    return Bytes(size, fill);
}

} // namespace

// ---------------------------------------------------------------------------------------

TEST(DataParamList, FullListsRoundTripWithoutEndMarkerAndOneMoreIsRefused)
{
    struct Shape
    {
        Result (*encode)(const ParameterMap&, uint8_t*, size_t);
        size_t pairs;
    };
    const Shape shapes[] = { { encodePresetParams, presetParamPairs },
                             { encodeAmpParams, ampParamPairs },
                             { encodeGlobals, globalsParamPairs } };
    for (const Shape& shape : shapes)
    {
        SCOPED_TRACE(shape.pairs);
        const ParameterMap full = paramsWithEntries(shape.pairs);
        Bytes block = exactly(shape.pairs * 8);
        ASSERT_TRUE(shape.encode(full, block.data(), block.size()));
        EXPECT_NE(wordAt(block, block.size() - 8), 0xFFFFFFFFu);

        ParameterMap decoded;
        ASSERT_TRUE(decodeParamList(block.data(), block.size(), decoded));
        EXPECT_EQ(decoded, full);

        Bytes untouched(shape.pairs * 8, 0x5A);
        Result refused = shape.encode(paramsWithEntries(shape.pairs + 1), untouched.data(), untouched.size());
        EXPECT_FALSE(refused);
        EXPECT_STREQ(refused.error, "Too many params");
        EXPECT_EQ(untouched, Bytes(shape.pairs * 8, 0x5A));
    }
}

TEST(DataParamList, DecodeStopsAtEndKeyAndKeepsTheLaterOfRepeatedKeys)
{
    Bytes block = exactly(5 * 8);
    putWord(block, 0, 10);
    putWord(block, 4, bitsOf(1.0f));
    putWord(block, 8, 10);
    putWord(block, 12, bitsOf(2.0f));
    putWord(block, 16, 0xFFFFFFFF);
    putWord(block, 24, 20);
    putWord(block, 28, bitsOf(3.0f));

    ParameterMap decoded;
    ASSERT_TRUE(decodeParamList(block.data(), block.size(), decoded));
    EXPECT_EQ(decoded, (ParameterMap { { 10, 2.0f } }));
}

TEST(DataParamList, DecodeReadsOnlyWholePairsOfShortAndOddInput)
{
    Bytes block = exactly(8 + 7, 0);
    putWord(block, 0, 4);
    putWord(block, 4, bitsOf(0.5f));
    putWord(block, 8, 5); // a pair cut off after its key

    ParameterMap decoded;
    ASSERT_TRUE(decodeParamList(block.data(), block.size(), decoded));
    EXPECT_EQ(decoded, (ParameterMap { { 4, 0.5f } }));

    Bytes tooShort = exactly(7, 1);
    ASSERT_TRUE(decodeParamList(tooShort.data(), tooShort.size(), decoded));
    EXPECT_TRUE(decoded.empty());
    ASSERT_TRUE(decodeParamList(nullptr, 0, decoded));
    EXPECT_TRUE(decoded.empty());
}

// ---------------------------------------------------------------------------------------

TEST(DataNames, LongerNamesAreCutToTheirSlots)
{
    // A preset name fills sixteen words; the seventeenth stays zero.
    Bytes preset(presetNameBlockBytes, 0xEE);
    ASSERT_TRUE(encodePresetName("ABCDEFGHIJKLMNOPQ", preset.data(), preset.size()));
    for (size_t i = 0; i < 16; ++i)
        EXPECT_EQ(wordAt(preset, i * 4), static_cast<uint32_t>('A' + i)) << i;
    EXPECT_EQ(wordAt(preset, 64), 0u);
    std::string name;
    decodePresetName(preset.data(), preset.size(), name);
    EXPECT_EQ(name, "ABCDEFGHIJKLMNOP");

    Bytes cabinet(cabinetNameBlockBytes, 0xEE);
    ASSERT_TRUE(encodeCabinetName("Twenty characters!!!", cabinet.data(), cabinet.size()));
    EXPECT_EQ(wordAt(cabinet, 14 * 4), static_cast<uint32_t>('e'));
    EXPECT_EQ(wordAt(cabinet, 15 * 4), 0u);
    decodeCabinetName(cabinet.data(), cabinet.size(), name);
    EXPECT_EQ(name, "Twenty characte");

    Bytes longName(longNameBlockBytes, 0xEE);
    ASSERT_TRUE(encodeLongName(std::string(300, 'x'), longName.data(), longName.size()));
    EXPECT_EQ(wordAt(longName, 254 * 4), static_cast<uint32_t>('x'));
    decodeLongName(longName.data(), longName.size(), name);
    EXPECT_EQ(name, std::string(255, 'x'));
}

TEST(DataNames, ShortNameZeroesTheRestAndStopsAtAnEmbeddedZero)
{
    Bytes block(cabinetNameBlockBytes, 0xEE);
    ASSERT_TRUE(encodeCabinetName(std::string("Hi\0there", 8), block.data(), block.size()));
    Bytes expected(cabinetNameBlockBytes, 0);
    expected[0] = 'H';
    expected[4] = 'i';
    EXPECT_EQ(block, expected);
}

TEST(DataNames, TopBitCharactersSurviveAndUpperBytesAreIgnored)
{
    const std::string name = "\xC4mp \xFF";
    Bytes block(presetNameBlockBytes);
    ASSERT_TRUE(encodePresetName(name, block.data(), block.size()));
    EXPECT_EQ(wordAt(block, 0), 0xC4u);
    EXPECT_EQ(wordAt(block, 16), 0xFFu);

    block[1] = 0x12;
    block[7] = 0x80;
    std::string decoded;
    decodePresetName(block.data(), block.size(), decoded);
    EXPECT_EQ(decoded, name);
}

TEST(DataNames, DecodeNeverReadsPastAShortOrOddBlock)
{
    Bytes block = exactly(10, 'z'); // two whole words and half a third, no zero inside
    std::string name = "old";
    ASSERT_TRUE(decodePresetName(block.data(), block.size(), name));
    EXPECT_EQ(name, "zz");
    ASSERT_TRUE(decodeLongName(nullptr, 0, name));
    EXPECT_EQ(name, "");
}

TEST(DataNames, AmpInfoHasIdInWordZeroAndNameFromByteFour)
{
    AmpModelInfo info { 0x11223344, "Plexi Lead 100 Watt" };
    Bytes block(ampInfoBlockBytes, 0xEE);
    ASSERT_TRUE(encodeAmpModelInfo(info, block.data(), block.size()));
    const uint8_t id[] = { 0x44, 0x33, 0x22, 0x11 };
    EXPECT_EQ(0, std::memcmp(block.data(), id, 4));
    EXPECT_EQ(wordAt(block, 4), static_cast<uint32_t>('P'));
    EXPECT_EQ(wordAt(block, 64), static_cast<uint32_t>('W')); // the 16th character

    AmpModelInfo decoded;
    ASSERT_TRUE(decodeAmpModelInfo(block.data(), block.size(), decoded));
    EXPECT_EQ(decoded.id, 0x11223344u);
    EXPECT_EQ(decoded.name, "Plexi Lead 100 W");

    Bytes shortBlock = exactly(9, 'q');
    ASSERT_TRUE(decodeAmpModelInfo(shortBlock.data(), shortBlock.size(), decoded));
    EXPECT_EQ(decoded.id, 0x71717171u);
    EXPECT_EQ(decoded.name, "q");
    Bytes tiny = exactly(3, 'q');
    ASSERT_TRUE(decodeAmpModelInfo(tiny.data(), tiny.size(), decoded));
    EXPECT_EQ(decoded.id, 0u);
    EXPECT_EQ(decoded.name, "");
}

// ---------------------------------------------------------------------------------------

TEST(DataCabinet, NewCabinetIsAUnitImpulseInEachChannel)
{
    Cabinet cabinet;
    EXPECT_EQ(cabinet.name, "");
    for (size_t i = 0; i < cabinetSampleCount; ++i)
        ASSERT_EQ(cabinet.samples[i], (i == 0 || i == 1024) ? 1.0f : 0.0f) << i;
}

// ---------------------------------------------------------------------------------------

TEST(DataAmpModel, BlockHoldsParamsThenLongNamesWithZeroGaps)
{
    AmpModelParams model;
    model.params = { { 2, 1.5f } };
    model.longName1 = std::string(255, 'a');
    model.longName2 = "Second";
    Bytes block(ampModelBlockBytes, 0xEE);
    ASSERT_TRUE(encodeAmpModelParams(model, block.data(), block.size()));

    EXPECT_EQ(wordAt(block, 0), 2u);
    EXPECT_EQ(wordAt(block, 4), bitsOf(1.5f));
    EXPECT_EQ(wordAt(block, 2040), 0xFFFFFFFFu);
    EXPECT_EQ(wordAt(block, 2048), static_cast<uint32_t>('a'));
    EXPECT_EQ(wordAt(block, 3064), static_cast<uint32_t>('a'));
    EXPECT_EQ(wordAt(block, 3068), 0u);
    EXPECT_EQ(wordAt(block, 3072), static_cast<uint32_t>('S'));
    EXPECT_EQ(wordAt(block, 3072 + 6 * 4), 0u);
    EXPECT_EQ(wordAt(block, 4092), 0u);

    AmpModelParams decoded;
    ASSERT_TRUE(decodeAmpModelParams(block.data(), block.size(), decoded));
    EXPECT_EQ(decoded.params, model.params);
    EXPECT_EQ(decoded.longName1, model.longName1);
    EXPECT_EQ(decoded.longName2, "Second");
}

TEST(DataAmpModel, FullParamListIsReadFromTheFirstHalfOnly)
{
    AmpModel model;
    model.params = paramsWithEntries(ampParamPairs);
    model.longName1 = "One";
    Bytes block = exactly(ampModelBlockBytes);
    ASSERT_TRUE(encodeAmpModelParams(model, block.data(), block.size()));

    AmpModelParams decoded;
    ASSERT_TRUE(decodeAmpModelParams(block.data(), block.size(), decoded));
    EXPECT_EQ(decoded.params, model.params);
    EXPECT_EQ(decoded.longName1, "One");

    Bytes refused(ampModelBlockBytes, 0x5A);
    model.params = paramsWithEntries(ampParamPairs + 1);
    EXPECT_STREQ(encodeAmpModelParams(model, refused.data(), refused.size()).error, "Too many params");
    EXPECT_EQ(refused, Bytes(ampModelBlockBytes, 0x5A));
}

TEST(DataAmpModel, TruncatedBlockDecodesWhatIsThere)
{
    Bytes block = exactly(ampModelLongName1Offset + 10); // two words of the first name and a half
    putWord(block, 0, 0xFFFFFFFF);
    block[ampModelLongName1Offset] = 'L';
    block[ampModelLongName1Offset + 4] = 'p';
    AmpModelParams decoded;
    decoded.longName2 = "stale";
    ASSERT_TRUE(decodeAmpModelParams(block.data(), block.size(), decoded));
    EXPECT_TRUE(decoded.params.empty());
    EXPECT_EQ(decoded.longName1, "Lp");
    EXPECT_EQ(decoded.longName2, "");
}

TEST(DataAmpModel, DataWordsAreCarriedWordForWord)
{
    AmpModel model;
    for (size_t i = 0; i < ampDataWords1Count; ++i)
        model.dataWords1[i] = static_cast<uint32_t>(i * 0x01010101u);
    for (size_t i = 0; i < ampDataWords2Count; ++i)
        model.dataWords2[i] = 0xFFFFFFFFu - static_cast<uint32_t>(i);

    Bytes data = exactly(ampDataBlockBytes);
    Bytes extra = exactly(ampExtraBlockBytes);
    ASSERT_TRUE(encodeAmpModelData(model, data.data(), data.size()));
    ASSERT_TRUE(encodeAmpModelExtra(model, extra.data(), extra.size()));
    const uint8_t second[] = { 0x01, 0x01, 0x01, 0x01 };
    EXPECT_EQ(0, std::memcmp(data.data() + 4, second, 4));
    EXPECT_EQ(wordAt(extra, 0), 0xFFFFFFFFu);

    AmpModel decoded;
    ASSERT_TRUE(decodeAmpModelData(data.data(), data.size(), decoded));
    ASSERT_TRUE(decodeAmpModelExtra(extra.data(), extra.size(), decoded));
    EXPECT_EQ(decoded.dataWords1, model.dataWords1);
    EXPECT_EQ(decoded.dataWords2, model.dataWords2);
}

// ---------------------------------------------------------------------------------------

TEST(DataRecords, CopiesOfPresetsAmpModelsAndArchivesAreDeep)
{
    // A new amp model's data words are zero whatever the memory held before.
    alignas(AmpModel) unsigned char raw[sizeof(AmpModel)];
    std::memset(raw, 0xAA, sizeof raw);
    auto* fresh = new (raw) AmpModel();
    EXPECT_TRUE(std::all_of(fresh->dataWords1.begin(), fresh->dataWords1.end(), [](uint32_t w) { return w == 0; }));
    EXPECT_TRUE(std::all_of(fresh->dataWords2.begin(), fresh->dataWords2.end(), [](uint32_t w) { return w == 0; }));
    fresh->~AmpModel();

    Preset preset;
    preset.name = "Lead";
    preset.params = { { 1, 2.0f } };
    preset.cabinet = std::make_unique<Cabinet>();
    preset.cabinet->name = "4x12";

    Preset copy(preset);
    ASSERT_TRUE(copy.cabinet);
    EXPECT_NE(copy.cabinet.get(), preset.cabinet.get());
    copy.cabinet->samples[5] = 0.5f;
    EXPECT_EQ(preset.cabinet->samples[5], 0.0f);
    EXPECT_EQ(copy.cabinet->name, "4x12");

    Preset assigned;
    assigned.cabinet = std::make_unique<Cabinet>();
    assigned = Preset();
    EXPECT_FALSE(assigned.cabinet);
    assigned = preset;
    EXPECT_EQ(assigned.name, "Lead");
    EXPECT_NE(assigned.cabinet.get(), preset.cabinet.get());

    AmpModel model;
    model.alternate = std::make_unique<AmpModelParams>();
    model.alternate->longName1 = "Alt";
    AmpModel modelCopy;
    modelCopy = model;
    ASSERT_TRUE(modelCopy.alternate);
    EXPECT_NE(modelCopy.alternate.get(), model.alternate.get());
    EXPECT_EQ(modelCopy.alternate->longName1, "Alt");

    Archive archive;
    archive.presets.push_back({ 3, preset });
    Archive archiveCopy = archive;
    EXPECT_NE(archiveCopy.presets[0].preset.cabinet.get(), preset.cabinet.get());
    EXPECT_EQ(archiveCopy.presets[0].index, 3);
}

TEST(DataRecords, VersionsCompareAsBigEndianNumbers)
{
    FirmwareVersionInfo info;
    EXPECT_EQ(info.subType, -1);
    EXPECT_EQ(info.systemVersionNumber(), 0u);
    info.system = { 3, 4, 1, 0 };
    info.dsp = { 6, 2, 0, 0 };
    EXPECT_EQ(info.systemVersionNumber(), 0x03040100u);
    EXPECT_EQ(info.dspVersionNumber(), 0x06020000u);
    EXPECT_LT(FirmwareVersionInfo::versionNumber({ 3, 3, 255, 0 }), info.systemVersionNumber());
    EXPECT_GT(FirmwareVersionInfo::versionNumber({ 3, 10, 0, 0 }), info.systemVersionNumber());
}

TEST(DataBlocks, EncodersRefuseBlocksSmallerThanTheirShapeAndLeaveThemAlone)
{
    Bytes block(cabinetNameBlockBytes, 0x11);
    EXPECT_STREQ(encodePresetParams({}, block.data(), block.size()).error, "Block too small");
    EXPECT_STREQ(encodePresetName("x", block.data(), block.size()).error, "Block too small");
    EXPECT_STREQ(encodeAmpModelInfo({}, block.data(), block.size()).error, "Block too small");
    EXPECT_STREQ(encodeCabinetSamples(Cabinet(), block.data(), block.size()).error, "Block too small");
    EXPECT_STREQ(encodeAmpModelParams({}, block.data(), block.size()).error, "Block too small");
    EXPECT_EQ(block, Bytes(cabinetNameBlockBytes, 0x11));

    // A larger buffer keeps its bytes beyond the shape.
    Bytes larger(globalsParamBlockBytes + 8, 0x22);
    ASSERT_TRUE(encodeGlobals({}, larger.data(), larger.size()));
    EXPECT_EQ(larger[globalsParamBlockBytes], 0x22);
}

TEST(DataChecksum, RotatesRightThenAddsEachByte)
{
    const uint8_t abc[] = { 'a', 'b', 'c' };
    EXPECT_EQ(dataChecksum(abc, 3), 0x40ac);
    EXPECT_EQ(dataChecksum(abc, 0), 0);

    const uint8_t lowBitThenZero[] = { 0x01, 0x00 };
    EXPECT_EQ(dataChecksum(lowBitThenZero, 2), 0x8000);

    Bytes data(200);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<uint8_t>(i * 37 + 11);
    const uint16_t whole = dataChecksum(data.data(), data.size());
    uint16_t chunked = 0;
    for (size_t offset = 0; offset < data.size(); offset += 62)
        chunked = dataChecksum(data.data() + offset, std::min<size_t>(62, data.size() - offset), chunked);
    EXPECT_EQ(chunked, whole);
}
