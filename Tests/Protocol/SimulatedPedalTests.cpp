#include "ByteMatchers.h"
#include "ProtocolTestHelpers.h"
#include "SimulatedPedalConnection.h"
#include "TonecrestParamTable.h"
#include "WireTrace.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

// The simulated pedal is driven here with reports built by hand from the wire layouts, so its
// answers are pinned independently of the editor's own packet and block code. The last group
// then checks the editor and the pedal against each other through the real protocol.

using namespace Tonecrest;
using namespace Tonecrest::Testing;
using Fault = SimulatedPedal::Fault;
using Copy = SimulatedPedal::Copy;

namespace
{
uint32_t bitsOf(float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

void appendU16(std::vector<uint8_t>& out, unsigned value)
{
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

void appendU32(std::vector<uint8_t>& out, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

/** The data checksum, from its definition: rotate the 16-bit sum right by one, add the byte. */
uint16_t referenceChecksum(const std::vector<uint8_t>& data)
{
    unsigned sum = 0;
    for (uint8_t byte : data)
        sum = (((sum >> 1) | (sum << 15)) + byte) & 0xFFFF;
    return static_cast<uint16_t>(sum);
}

/** A name block: one character per little-endian word, then zero words up to `bytes`. */
std::vector<uint8_t> nameWords(const std::string& name, size_t bytes)
{
    std::vector<uint8_t> block;
    for (char c : name)
        appendU32(block, static_cast<uint8_t>(c));
    block.resize(bytes, 0);
    return block;
}

/** A parameter list of `pairs` pairs: the given ones, then end pairs. */
std::vector<uint8_t> paramList(size_t pairs, const TonecrestData::ParameterMap& params = {})
{
    std::vector<uint8_t> block;
    for (const auto& [key, value] : params)
    {
        appendU32(block, key);
        appendU32(block, bitsOf(value));
    }
    while (block.size() < pairs * 8)
    {
        appendU32(block, 0xFFFFFFFF);
        appendU32(block, 0);
    }
    return block;
}

std::vector<uint8_t> withPayload(std::vector<uint8_t> header, const std::vector<uint8_t>& payload)
{
    header.insert(header.end(), payload.begin(), payload.end());
    return header;
}

const std::vector<uint8_t> kAckPacket { 0xC0, 0 };
const std::vector<uint8_t> kNackPacket { 0xC1, 0 };
const std::vector<uint8_t> kFirmwareStartDSP0 { 0xB1, 5, 0, 0x3C, 0x91, 0x5E, 0xA7 };
const std::vector<uint8_t> kFirmwareStartDSP1 { 0xB1, 5, 1, 0x3C, 0x91, 0x5E, 0xA7 };

/** The editor's side of the wire, played by hand: report ID 0 + packet out, 64-byte reports in. */
class RawHost
{
public:
    explicit RawHost(unsigned formatVariant = 0) : pedal(device, formatVariant) {}

    SimulatedHIDDevice device { 0x04D8, 0x003F };
    SimulatedPedal pedal;

    int send(const std::vector<uint8_t>& packet)
    {
        std::vector<uint8_t> report { 0 };
        report.insert(report.end(), packet.begin(), packet.end());
        return device.write(report.data(), report.size());
    }

    /** The next input report cut to its declared length; empty when none is waiting. The pedal
        answers inside the write, so a reply is always waiting by the time send returns. */
    std::vector<uint8_t> reply()
    {
        uint8_t buffer[64];
        const int count = device.read(buffer, sizeof buffer, 0);
        if (count <= 0)
            return {};
        size_t length = static_cast<size_t>(count);
        if (length >= 2)
            length = std::min(length, size_t { 2u } + buffer[1]);
        return std::vector<uint8_t>(buffer, buffer + length);
    }

    std::vector<uint8_t> transact(const std::vector<uint8_t>& packet)
    {
        send(packet);
        return reply();
    }

    /** Reads a block: request, then an acknowledgement per reply until the end packet, which
        must count the words and carry the checksum of what came. */
    std::vector<uint8_t> readBlock(unsigned type, unsigned index)
    {
        std::vector<uint8_t> request { 0xC5, 5, static_cast<uint8_t>(type) };
        appendU16(request, index);
        appendU16(request, 0);
        EXPECT_BYTES_EQ(bytes({ 0xC2, 0 }), transact(request));
        std::vector<uint8_t> data;
        for (int guard = 0; guard < 200; ++guard)
        {
            auto answer = transact(kAckPacket);
            if (answer.empty() || answer[0] != 0xC3)
            {
                std::vector<uint8_t> end { 0xC4, 7, static_cast<uint8_t>(type) };
                appendU16(end, index);
                appendU16(end, static_cast<unsigned>(data.size() / 4));
                appendU16(end, referenceChecksum(data));
                EXPECT_BYTES_EQ(end, answer);
                return data;
            }
            data.insert(data.end(), answer.begin() + 2, answer.end());
        }
        ADD_FAILURE() << "the read never ended";
        return data;
    }

    /** Writes a block and returns the reply to its end packet. wordCount and checksum default
        to the true values; a refused start or chunk is returned at once. */
    std::vector<uint8_t> writeBlock(unsigned type, unsigned index, const std::vector<uint8_t>& data,
                                    std::optional<unsigned> wordCount = std::nullopt,
                                    std::optional<uint16_t> checksum = std::nullopt)
    {
        auto answer = transact({ 0xC2, 0 });
        if (answer != kAckPacket)
            return answer;
        for (size_t offset = 0; offset < data.size(); offset += 62)
        {
            const size_t count = std::min<size_t>(62, data.size() - offset);
            std::vector<uint8_t> chunk { 0xC3, static_cast<uint8_t>(count) };
            chunk.insert(chunk.end(), data.begin() + static_cast<std::ptrdiff_t>(offset),
                         data.begin() + static_cast<std::ptrdiff_t>(offset + count));
            answer = transact(chunk);
            if (answer != kAckPacket)
                return answer;
        }
        std::vector<uint8_t> end { 0xC4, 7, static_cast<uint8_t>(type) };
        appendU16(end, index);
        appendU16(end, wordCount.value_or(static_cast<unsigned>(data.size() / 4)));
        appendU16(end, checksum.value_or(referenceChecksum(data)));
        return transact(end);
    }

    std::vector<uint8_t> writeback(unsigned type, unsigned index)
    {
        std::vector<uint8_t> packet { 0xC6, 3, static_cast<uint8_t>(type) };
        appendU16(packet, index);
        return transact(packet);
    }
};

const ParameterDefinition& firstStoredDefinition(int scope)
{
    for (size_t i = 0; i < kParameterDefinitionCount; ++i)
        if (kParameterDefinitions[i].scope == scope && kParameterDefinitions[i].deviceIndex >= 0)
            return kParameterDefinitions[i];
    throw std::runtime_error("no stored parameter of that scope");
}
} // namespace

// ---- Requests ------------------------------------------------------------------------------

TEST(SimulatedPedalRequests, NothingIsAnsweredDuringStartUpAndTheStartUpEndsByItself)
{
    RawHost host;
    host.pedal.setStartupPeriod(std::chrono::hours(1));
    EXPECT_TRUE(host.transact({ 0xB4, 0 }).empty());
    EXPECT_TRUE(host.transact({ 0xC9, 1, 4 }).empty());
    EXPECT_EQ(host.pedal.currentPreset(), 0u) << "not acted on either";
    EXPECT_EQ(host.pedal.receivedPackets().size(), 2u) << "but recorded";

    host.pedal.setStartupPeriod(std::chrono::milliseconds(50));
    for (int i = 0; i < 500 && host.pedal.isStartingUp(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_BYTES_EQ(kAckPacket, host.transact({ 0xB4, 0 }));
}

TEST(SimulatedPedalRequests, VersionReplyCarriesBothVersionsAndTheSubtype)
{
    RawHost host;
    for (int subType : { 0, 1, 2 })
    {
        host.pedal.setVersion({ 3, 5, 2 }, { 6, 3, 1 }, subType);
        EXPECT_BYTES_EQ(bytes({ 0xC0, 8, 0xB5, 3, 5, 2, 6, 3, 1, subType }), host.transact({ 0xB5, 0 }));
    }
    host.pedal.setVersion({ 2, 9, 0 }, { 5, 0, 7 }, -1);
    EXPECT_BYTES_EQ(bytes({ 0xC0, 7, 0xB5, 2, 9, 0, 5, 0, 7 }), host.transact({ 0xB5, 0 }));
}

TEST(SimulatedPedalRequests, PacketsOutsideTheLayoutAreRefused)
{
    RawHost host;
    const std::vector<std::vector<uint8_t>> refused {
        { 0xB4, 1, 0 },           // ping with a payload
        { 0xB5, 1, 0 },           // version request with a payload
        { 0xC9, 0 },              // program change without a preset
        { 0xC9, 2, 1, 0 },        // program change with a stray byte
        { 0xC9, 1, 128 },         // no preset 128 to select
        { 0xCA, 1, 0 },           // program request with a payload
        { 0xC0, 0 },              // acknowledgement with no read open
        { 0xC3, 1, 0x55 },        // chunk with no write open
        { 0xC4, 7, 2, 0, 0, 17, 0, 0, 0 }, // end with no write open
        { 0xC6, 2, 2, 0 },        // writeback without its index's high byte
        { 0xB2, 1, 0x55 },        // firmware chunk without a firmware start
        { 0xC1, 0 },              // a NACK is no request
        { 0xCC, 1, 0 },           // nor is a program reply
        { 0xCE, 0 },              // nor a notification
        { 0xC8, 0 },              // unknown type
        { 0xB4, 63 },             // a payload longer than the report
    };
    for (const auto& packet : refused)
        EXPECT_BYTES_EQ(kNackPacket, host.transact(packet)) << toHex(packet);
    EXPECT_EQ(host.pedal.currentPreset(), 0u);
}

TEST(SimulatedPedalRequests, ProgramChangeLoadsThePresetAndItsCabinetIntoTheEditBuffer)
{
    RawHost host;
    TonecrestData::Preset preset;
    preset.params = { { 7, 1.5f } };
    preset.name = "Lead";
    preset.cabinet = std::make_unique<TonecrestData::Cabinet>(rampCabinet("Room", 0.25f));
    host.pedal.setPreset(5, preset);

    EXPECT_BYTES_EQ(kAckPacket, host.transact({ 0xC9, 1, 5 }));
    EXPECT_BYTES_EQ(bytes({ 0xCC, 1, 5 }), host.transact({ 0xCA, 0 }));

    EXPECT_BYTES_EQ(paramList(512, preset.params), host.readBlock(3, 128));
    EXPECT_BYTES_EQ(nameWords("Room", 64), host.readBlock(14, 0));
    EXPECT_EQ(host.pedal.currentCabinet().samples, preset.cabinet->samples);
}

TEST(SimulatedPedalRequests, ParameterWritesChangeTheEditBufferOrTheGlobalsWithoutReply)
{
    RawHost host;
    host.pedal.setParameterRouter([](unsigned messageId) -> std::optional<SimulatedPedal::ParameterRoute> {
        using Target = SimulatedPedal::ParameterRoute::Target;
        if (messageId == 0x0102)
            return SimulatedPedal::ParameterRoute { Target::EditBuffer, 40 };
        if (messageId == 0x0203)
            return SimulatedPedal::ParameterRoute { Target::Globals, 9 };
        return std::nullopt;
    });

    auto setParameter = [](unsigned id, float value, uint8_t padding = 0) {
        std::vector<uint8_t> packet { 0xC7, 8 };
        appendU16(packet, id);
        packet.push_back(padding);
        packet.push_back(0);
        appendU32(packet, bitsOf(value));
        return packet;
    };
    EXPECT_TRUE(host.transact(setParameter(0x0102, 2.5f)).empty());
    EXPECT_TRUE(host.transact(setParameter(0x0203, -1.0f)).empty());
    EXPECT_TRUE(host.transact(setParameter(0x7777, 3.0f)).empty()) << "unknown ids are not refused";
    EXPECT_TRUE(host.transact(setParameter(0x0102, 9.0f, 1)).empty()) << "malformed: not applied";
    EXPECT_TRUE(host.transact({ 0xC7, 6, 0x02, 0x01, 0, 0, 0, 0 }).empty()) << "short: not applied";

    EXPECT_EQ(host.pedal.presetParams(128), (TonecrestData::ParameterMap { { 40, 2.5f } }));
    EXPECT_EQ(host.pedal.globals(Copy::Stored), (TonecrestData::ParameterMap { { 9, -1.0f } }))
        << "global settings persist without a writeback";
    ASSERT_EQ(host.pedal.parameterWrites().size(), 3u);
    EXPECT_EQ(host.pedal.parameterWrites()[2].messageId, 0x7777u);
    EXPECT_FLOAT_EQ(host.pedal.parameterValues().at(0x0102), 2.5f);
}

// ---- Block reads ------------------------------------------------------------------------------

TEST(SimulatedPedalBlocks, ReadSendsChunksOfSixtyTwoThenTheEndWithWordsAndChecksum)
{
    ASSERT_EQ(referenceChecksum({ 'a', 'b', 'c' }), 0x40ac) << "the reference itself";
    RawHost host;
    host.pedal.setPresetName(5, "Lead");
    const auto block = nameWords("Lead", 68);

    EXPECT_BYTES_EQ(bytes({ 0xC2, 0 }), host.transact({ 0xC5, 5, 2, 5, 0, 0, 0 }));
    EXPECT_BYTES_EQ(withPayload({ 0xC3, 62 }, std::vector<uint8_t>(block.begin(), block.begin() + 62)),
                    host.transact(kAckPacket));
    EXPECT_BYTES_EQ(withPayload({ 0xC3, 6 }, std::vector<uint8_t>(block.begin() + 62, block.end())),
                    host.transact(kAckPacket));
    const uint16_t checksum = referenceChecksum(block);
    EXPECT_BYTES_EQ(bytes({ 0xC4, 7, 2, 5, 0, 17, 0, checksum & 0xFF, checksum >> 8 }), host.transact(kAckPacket));
    EXPECT_BYTES_EQ(kNackPacket, host.transact(kAckPacket)) << "the read is over";
}

TEST(SimulatedPedalBlocks, ReadRequestsOutsideTheStoreAreRefused)
{
    RawHost host;
    const std::vector<std::vector<uint8_t>> refused {
        { 0xC5, 4, 2, 0, 0, 0 },       // short request
        { 0xC5, 6, 2, 0, 0, 0, 0, 0 }, // long request
        { 0xC5, 5, 2, 0, 0, 1, 0 },    // the trailing u16 is not 0
        { 0xC5, 5, 4, 0, 0, 0, 0 },    // unused type 4
        { 0xC5, 5, 11, 0, 0, 0, 0 },   // unused type 11
        { 0xC5, 5, 16, 0, 0, 0, 0 },   // no type 16
        { 0xC5, 5, 1, 1, 0, 0, 0 },    // globals live at index 0 only
        { 0xC5, 5, 2, 128, 0, 0, 0 },  // the edit buffer has no name
        { 0xC5, 5, 3, 129, 0, 0, 0 },  // presets 0..127 and the edit buffer
        { 0xC5, 5, 5, 0, 1, 0, 0 },    // amp slots 0..255
        { 0xC5, 5, 9, 32, 0, 0, 0 },   // user cabinets 0..31
        { 0xC5, 5, 12, 128, 0, 0, 0 }, // preset cabinets 0..127
        { 0xC5, 5, 15, 1, 0, 0, 0 },   // one current cabinet
    };
    for (const auto& request : refused)
        EXPECT_BYTES_EQ(kNackPacket, host.transact(request)) << toHex(request);
    EXPECT_BYTES_EQ(bytes({ 0xC2, 0 }), host.transact({ 0xC5, 5, 3, 128, 0, 0, 0 }));
}

TEST(SimulatedPedalBlocks, FactoryContentIsEmptyListsAndEmptyAmpSlots)
{
    RawHost host;
    EXPECT_BYTES_EQ(paramList(128), host.readBlock(1, 0));
    EXPECT_BYTES_EQ(paramList(512), host.readBlock(3, 0));

    std::vector<uint8_t> emptySlot { 0xFF, 0xFF, 0xFF, 0xFF };
    emptySlot.resize(68, 0);
    EXPECT_BYTES_EQ(emptySlot, host.readBlock(5, 255));

    RawHost older(1);
    EXPECT_BYTES_EQ(paramList(128), older.readBlock(3, 127)) << "the older preset list holds 128 pairs";
}

// ---- Block writes and writebacks --------------------------------------------------------------

TEST(SimulatedPedalBlocks, WriteIsStagedUntilItsWriteback)
{
    RawHost host;
    const auto block = nameWords("Cab", 64);
    EXPECT_BYTES_EQ(kAckPacket, host.writeBlock(9, 3, block));

    EXPECT_EQ(host.pedal.stagedBlocks(), (std::vector<std::pair<unsigned, unsigned>> { { 9, 3 } }));
    EXPECT_EQ(host.pedal.userCabinet(3, Copy::Working).name, "Cab");
    EXPECT_EQ(host.pedal.userCabinet(3, Copy::Stored).name, "");
    EXPECT_BYTES_EQ(block, host.readBlock(9, 3)) << "reads see the staged block";

    EXPECT_BYTES_EQ(kAckPacket, host.writeback(9, 3));
    EXPECT_TRUE(host.pedal.stagedBlocks().empty());
    EXPECT_BYTES_EQ(block, host.pedal.storedBlock(9, 3));
    ASSERT_EQ(host.pedal.writebacks().size(), 1u);
    EXPECT_EQ(host.pedal.blockWrites().at(0).checksum, referenceChecksum(block));
}

TEST(SimulatedPedalBlocks, RefusedWritesStageNothing)
{
    RawHost host;
    const auto block = nameWords("Cab", 64);
    const uint16_t checksum = referenceChecksum(block);

    EXPECT_BYTES_EQ(kNackPacket, host.writeBlock(9, 3, block, std::nullopt, checksum ^ 1)) << "checksum";
    EXPECT_BYTES_EQ(kNackPacket, host.writeBlock(9, 3, block, 15u)) << "word count";
    EXPECT_BYTES_EQ(kNackPacket, host.writeBlock(9, 3, nameWords("Cab", 60))) << "short block";
    EXPECT_BYTES_EQ(kNackPacket, host.writeBlock(9, 3, nameWords("Cab", 68))) << "long block";
    EXPECT_BYTES_EQ(kNackPacket, host.writeBlock(9, 32, block)) << "no user cabinet 32";
    EXPECT_BYTES_EQ(kNackPacket, host.writeBlock(4, 0, block)) << "unused type";
    EXPECT_BYTES_EQ(kNackPacket, host.writeBlock(2, 0, {})) << "zero-length write";

    // A chunk must carry 1..62 bytes, and no block is longer than 8192.
    EXPECT_BYTES_EQ(kAckPacket, host.transact({ 0xC2, 0 }));
    EXPECT_BYTES_EQ(kNackPacket, host.transact({ 0xC3, 0 }));
    EXPECT_BYTES_EQ(kNackPacket, host.writeBlock(10, 0, std::vector<uint8_t>(8192 + 4, 0)));
    EXPECT_BYTES_EQ(kNackPacket, host.transact({ 0xC3, 1, 0 })) << "the oversized write was dropped";

    EXPECT_TRUE(host.pedal.stagedBlocks().empty());
    EXPECT_TRUE(host.pedal.blockWrites().empty());
    EXPECT_FALSE(host.pedal.hasStoredBlock(9, 3));
}

TEST(SimulatedPedalBlocks, WritebackOfAllCommitsEveryStagedBlockOfThatTypeOnly)
{
    RawHost host;
    EXPECT_BYTES_EQ(kAckPacket, host.writeBlock(2, 1, nameWords("One", 68)));
    EXPECT_BYTES_EQ(kAckPacket, host.writeBlock(2, 2, nameWords("Two", 68)));
    EXPECT_BYTES_EQ(kAckPacket, host.writeBlock(9, 0, nameWords("Cab", 64)));

    EXPECT_BYTES_EQ(kAckPacket, host.writeback(2, 0xFFFF));
    EXPECT_EQ(host.pedal.presetName(1), "One");
    EXPECT_EQ(host.pedal.presetName(2), "Two");
    EXPECT_EQ(host.pedal.stagedBlocks(), (std::vector<std::pair<unsigned, unsigned>> { { 9, 0 } }));
}

TEST(SimulatedPedalBlocks, AmpModelWritebackCommitsEveryAmpModelBlock)
{
    RawHost host;
    std::vector<uint8_t> info;
    appendU32(info, 77);
    info.resize(68, 0);
    EXPECT_BYTES_EQ(kAckPacket, host.writeBlock(5, 3, info));
    EXPECT_BYTES_EQ(kAckPacket, host.writeBlock(8, 3, pattern(4096, 3)));
    EXPECT_BYTES_EQ(kAckPacket, host.writeBlock(2, 0, nameWords("Kept", 68)));

    EXPECT_BYTES_EQ(kNackPacket, host.writeback(6, 0xFFFE)) << "the list writeback names type 5";
    EXPECT_BYTES_EQ(kAckPacket, host.writeback(5, 0xFFFE));
    EXPECT_EQ(host.pedal.ampModelInfo(3).id, 77u);
    EXPECT_BYTES_EQ(pattern(4096, 3), host.pedal.storedBlock(8, 3));
    EXPECT_EQ(host.pedal.stagedBlocks(), (std::vector<std::pair<unsigned, unsigned>> { { 2, 0 } }));
}

TEST(SimulatedPedalBlocks, EditBufferAndCurrentCabinetApplyAtOnceAndAreNeverWrittenBack)
{
    RawHost host;
    EXPECT_BYTES_EQ(kAckPacket, host.writeBlock(14, 0, nameWords("Live", 64)));
    EXPECT_BYTES_EQ(kAckPacket, host.writeBlock(3, 128, std::vector<uint8_t>(4096, 0xFF)));
    EXPECT_TRUE(host.pedal.stagedBlocks().empty());
    EXPECT_EQ(host.pedal.currentCabinet().name, "Live");

    EXPECT_BYTES_EQ(kNackPacket, host.writeback(14, 0));
    EXPECT_BYTES_EQ(kNackPacket, host.writeback(15, 0xFFFF));
    EXPECT_BYTES_EQ(kNackPacket, host.writeback(3, 128));
    EXPECT_BYTES_EQ(kNackPacket, host.transact({ 0xC6, 4, 2, 0, 0, 0 })) << "long writeback";
    EXPECT_BYTES_EQ(kAckPacket, host.writeback(3, 4)) << "nothing staged: nothing to commit";
    EXPECT_EQ(host.pedal.writebacks().size(), 1u);
}

TEST(SimulatedPedalBlocks, PresetListSizeFollowsThePedalsFormat)
{
    RawHost current;
    EXPECT_BYTES_EQ(kNackPacket, current.writeBlock(3, 0, std::vector<uint8_t>(1024, 0xFF)));
    EXPECT_BYTES_EQ(kAckPacket, current.writeBlock(3, 0, std::vector<uint8_t>(4096, 0xFF)));

    RawHost older(1);
    EXPECT_BYTES_EQ(kNackPacket, older.writeBlock(3, 0, std::vector<uint8_t>(4096, 0xFF)));
    EXPECT_BYTES_EQ(kAckPacket, older.writeBlock(3, 0, std::vector<uint8_t>(1024, 0xFF)));
}

TEST(SimulatedPedalBlocks, RestartLosesStagedBlocksAndReloadsTheEditBuffer)
{
    RawHost host;
    host.pedal.setPresetParams(2, { { 3, 4.0f } });
    host.pedal.setCurrentPreset(2);
    EXPECT_BYTES_EQ(kAckPacket, host.writeBlock(2, 2, nameWords("Unsaved", 68)));
    host.pedal.setPresetParams(128, { { 9, 9.0f } });

    host.pedal.restart();
    EXPECT_TRUE(host.pedal.stagedBlocks().empty());
    EXPECT_EQ(host.pedal.presetName(2, Copy::Working), "");
    EXPECT_EQ(host.pedal.presetParams(128), (TonecrestData::ParameterMap { { 3, 4.0f } }));
}

// ---- DSP firmware ------------------------------------------------------------------------------

TEST(SimulatedPedalFirmware, ImagesAreRecordedPerDSPAndLoadedByTheDoneMessage)
{
    RawHost host;
    const auto image0 = pattern(72, 1);
    const auto image1 = pattern(5, 9);

    EXPECT_BYTES_EQ(kAckPacket, host.transact(kFirmwareStartDSP0));
    EXPECT_BYTES_EQ(kAckPacket, host.transact(withPayload({ 0xB2, 62 }, { image0.begin(), image0.begin() + 62 })));
    EXPECT_BYTES_EQ(kAckPacket, host.transact(withPayload({ 0xB2, 10 }, { image0.begin() + 62, image0.end() })));
    EXPECT_BYTES_EQ(kAckPacket, host.transact(kFirmwareStartDSP1));
    EXPECT_BYTES_EQ(kAckPacket, host.transact(withPayload({ 0xB2, 5 }, image1)));
    EXPECT_FALSE(host.pedal.loadedDSPImage(0)) << "nothing runs before the done message";

    EXPECT_TRUE(host.transact({ 0xB3, 0 }).empty()) << "the done message gets no reply";

    const auto received = host.pedal.receivedDSPImages();
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0].dsp, 0u);
    EXPECT_BYTES_EQ(image0, received[0].bytes);
    EXPECT_EQ(received[1].dsp, 1u);
    EXPECT_BYTES_EQ(image1, received[1].bytes);
    EXPECT_BYTES_EQ(image0, host.pedal.loadedDSPImage(0).value_or(std::vector<uint8_t> {}));
    EXPECT_BYTES_EQ(image1, host.pedal.loadedDSPImage(1).value_or(std::vector<uint8_t> {}));
    EXPECT_EQ(host.pedal.firmwareDoneCount(), 1);
}

TEST(SimulatedPedalFirmware, StartNeedsAKnownDSPAndTheMagic)
{
    RawHost host;
    EXPECT_BYTES_EQ(kNackPacket, host.transact({ 0xB1, 5, 0, 0x3D, 0x91, 0x5E, 0xA7 }));
    EXPECT_BYTES_EQ(kNackPacket, host.transact({ 0xB1, 5, 2, 0x3C, 0x91, 0x5E, 0xA7 }));
    EXPECT_BYTES_EQ(kNackPacket, host.transact({ 0xB1, 4, 0, 0x3C, 0x91, 0x5E }));
    EXPECT_BYTES_EQ(kNackPacket, host.transact({ 0xB2, 1, 0x55 })) << "no image is open";
    EXPECT_TRUE(host.pedal.receivedDSPImages().empty());
}

TEST(SimulatedPedalFirmware, AnEmptyImageIsOneEmptyChunk)
{
    RawHost host;
    EXPECT_BYTES_EQ(kAckPacket, host.transact(kFirmwareStartDSP0));
    EXPECT_BYTES_EQ(kAckPacket, host.transact({ 0xB2, 0 }));
    EXPECT_BYTES_EQ(kAckPacket, host.transact({ 0xB2, 2, 1, 2 }));
    EXPECT_BYTES_EQ(kNackPacket, host.transact({ 0xB2, 0 })) << "an empty chunk after data";
}

TEST(SimulatedPedalFirmware, AnAbortedUpdateLoadsNothing)
{
    RawHost host;
    host.pedal.addFaultAt(0xB1, 2, Fault::Nack);
    EXPECT_BYTES_EQ(kAckPacket, host.transact(kFirmwareStartDSP0));
    EXPECT_BYTES_EQ(kAckPacket, host.transact({ 0xB2, 3, 1, 2, 3 }));
    EXPECT_BYTES_EQ(kNackPacket, host.transact(kFirmwareStartDSP1));

    host.pedal.restart();
    EXPECT_TRUE(host.transact({ 0xB3, 0 }).empty());
    EXPECT_FALSE(host.pedal.loadedDSPImage(0));
    EXPECT_EQ(host.pedal.firmwareDoneCount(), 0) << "a done message with no new image does nothing";
    EXPECT_EQ(host.pedal.receivedDSPImages().size(), 1u);
}

TEST(SimulatedPedalFirmware, DSPsRestartSilentlyAfterTheDoneMessage)
{
    RawHost host;
    host.pedal.setDSPRestartPeriod(std::chrono::hours(1));
    EXPECT_BYTES_EQ(kAckPacket, host.transact(kFirmwareStartDSP0));
    EXPECT_BYTES_EQ(kAckPacket, host.transact({ 0xB2, 1, 7 }));
    host.transact({ 0xB3, 0 });
    EXPECT_TRUE(host.pedal.isStartingUp());
    EXPECT_TRUE(host.transact({ 0xB4, 0 }).empty());
}

// ---- Faults ------------------------------------------------------------------------------------

TEST(SimulatedPedalFaults, FaultSkipsPacketsOfItsTypeThenAppliesForItsCount)
{
    RawHost host;
    host.pedal.addFault({ 0xB4, Fault::Nack, 1, 2 });
    EXPECT_BYTES_EQ(kAckPacket, host.transact({ 0xB4, 0 }));
    EXPECT_EQ(host.transact({ 0xB5, 0 }).at(0), 0xC0) << "other types do not count";
    EXPECT_BYTES_EQ(kNackPacket, host.transact({ 0xB4, 0 }));
    EXPECT_BYTES_EQ(kNackPacket, host.transact({ 0xB4, 0 }));
    EXPECT_BYTES_EQ(kAckPacket, host.transact({ 0xB4, 0 }));
}

TEST(SimulatedPedalFaults, EachFaultShapesTheAnswer)
{
    RawHost host;

    host.pedal.addFault({ 0xC9, Fault::Drop });
    EXPECT_TRUE(host.transact({ 0xC9, 1, 4 }).empty());
    EXPECT_EQ(host.pedal.currentPreset(), 0u) << "a lost packet has no effect";

    host.pedal.addFault({ 0xC9, Fault::Nack });
    EXPECT_BYTES_EQ(kNackPacket, host.transact({ 0xC9, 1, 4 }));
    EXPECT_EQ(host.pedal.currentPreset(), 0u);

    host.pedal.addFault({ 0xC9, Fault::Malformed });
    uint8_t report[64];
    host.send({ 0xC9, 1, 4 });
    ASSERT_EQ(host.device.read(report, sizeof report, 0), 64);
    EXPECT_EQ(report[0], 0xC0);
    EXPECT_EQ(report[1], 0xFF) << "declares more than a report holds";
    EXPECT_EQ(host.pedal.currentPreset(), 4u) << "acted on";

    host.pedal.addFault({ 0xB4, Fault::WrongType, 0, 1, 0xCC });
    EXPECT_BYTES_EQ(bytes({ 0xCC, 0 }), host.transact({ 0xB4, 0 }));

    host.pedal.addFault({ 0xB4, Fault::ShortReport });
    host.send({ 0xB4, 0 });
    EXPECT_EQ(host.device.read(report, sizeof report, 0), 1);

    host.pedal.addFault({ 0xB4, Fault::Unplug });
    EXPECT_TRUE(host.transact({ 0xB4, 0 }).empty());
    EXPECT_TRUE(host.device.isUnplugged());
}

TEST(SimulatedPedalFaults, DeviceLosesTheNthReportOrFailsTheNthWrite)
{
    RawHost host;
    host.device.failWriteAt(2);
    EXPECT_EQ(host.send({ 0xB4, 0 }), 3);
    EXPECT_EQ(host.send({ 0xB5, 0 }), -1);
    EXPECT_EQ(host.send({ 0xB4, 0 }), 3);
    EXPECT_EQ(host.pedal.receivedPacketsOfType(0xB5).size(), 0u) << "the failed write never arrived";

    uint8_t report[64];
    host.device.unplugAtInputReport(2);
    EXPECT_EQ(host.device.read(report, sizeof report, 0), 64);
    EXPECT_EQ(host.device.read(report, sizeof report, 0), -1);
    EXPECT_TRUE(host.device.isUnplugged());
}

TEST(SimulatedPedalFaults, NotificationsAreUnsolicitedReports)
{
    RawHost host;
    host.pedal.sendNotification({ 1, 2, 3 });
    EXPECT_BYTES_EQ(bytes({ 0xCE, 3, 1, 2, 3 }), host.reply());

    host.pedal.setPresetParams(9, { { 1, 1.0f } });
    host.pedal.selectPresetOnPedal(9);
    EXPECT_BYTES_EQ(bytes({ 0xCE, 2, SimulatedPedal::kPresetSelectedNotification, 9 }), host.reply());
    EXPECT_EQ(host.pedal.currentPreset(), 9u);
    EXPECT_EQ(host.pedal.presetParams(128), (TonecrestData::ParameterMap { { 1, 1.0f } }));
}

// ---- Wire trace ---------------------------------------------------------------------------------

TEST(SimulatedPedalTrace, EveryReportIsOneHexLineAndTestsAddComments)
{
    const std::string path = ::testing::TempDir() + "tonecrest_wire_trace_" + std::to_string(::getpid()) + ".txt";
    std::remove(path.c_str());
    const char* outerTrace = std::getenv(WireTrace::kEnvironmentVariable);
    const std::optional<std::string> savedTrace = outerTrace ? std::optional<std::string>(outerTrace) : std::nullopt;
    ::setenv(WireTrace::kEnvironmentVariable, path.c_str(), 1);
    {
        RawHost host;
        host.pedal.traceComment("case: ping\nand more");
        host.transact({ 0xB4, 0 });
        host.transact({ 0xC7, 8, 3, 0, 0, 0, 0, 0, 0x80, 0x3F });
        host.pedal.sendNotification({ 0xAB });
    }
    ::unsetenv(WireTrace::kEnvironmentVariable);

    std::ifstream file(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);)
        lines.push_back(line);
    std::remove(path.c_str());

    const std::string zeros62(124, '0');
    const std::vector<std::string> expected {
        "# case: ping and more",
        "H>D 00b400",
        "D>H c000" + zeros62,
        "H>D 00c708030000000000803f",
        "D>H ce01ab" + std::string(122, '0'),
    };
    EXPECT_EQ(lines, expected);

    RawHost untraced;
    untraced.transact({ 0xB4, 0 });
    std::ifstream none(path);
    EXPECT_FALSE(none.good()) << "nothing is written without the variable";
    if (savedTrace)
        ::setenv(WireTrace::kEnvironmentVariable, savedTrace->c_str(), 1);
}

// ---- The editor and the pedal together -------------------------------------------------------------

class SimulatedPedalEndToEnd : public ::testing::Test
{
protected:
    SimulatedPedalConnection link;
    SimulatedPedal& pedal = link.pedal;
    TonecrestProtocol& protocol = *link.protocol;
};

TEST_F(SimulatedPedalEndToEnd, PopulatedPedalReadsBackThroughTheProtocol)
{
    TonecrestData::Preset stored;
    stored.params = { { 2, 0.5f }, { 100, -6.0f }, { 511, 1.0f } };
    stored.name = "Blues Driver";
    stored.cabinet = std::make_unique<TonecrestData::Cabinet>(rampCabinet("Open Back", 0.1f));
    pedal.setPreset(12, stored);
    pedal.setUserCabinet(4, rampCabinet("Imported IR", -0.5f));
    pedal.setGlobals({ { 0, 1.0f }, { 30, 1.0f } });
    pedal.setAmpModel(7, sampleAmpModel());

    TonecrestData::Preset preset;
    std::string name;
    TonecrestData::Cabinet cabinet;
    ASSERT_TRUE(protocol.readPreset(12, preset).ok);
    EXPECT_EQ(preset.params, stored.params);
    ASSERT_TRUE(protocol.readPresetName(12, name).ok);
    EXPECT_EQ(name, "Blues Driver");
    ASSERT_TRUE(protocol.readPresetCabinetName(12, name).ok);
    EXPECT_EQ(name, "Open Back");
    ASSERT_TRUE(protocol.readPresetCabinetData(12, cabinet).ok);
    EXPECT_EQ(cabinet.samples, stored.cabinet->samples);
    ASSERT_TRUE(protocol.readUserCabinetName(4, name).ok);
    EXPECT_EQ(name, "Imported IR");
    ASSERT_TRUE(protocol.readUserCabinetData(4, cabinet).ok);
    EXPECT_EQ(cabinet.samples, rampCabinet("", -0.5f).samples);

    TonecrestData::ParameterMap globals;
    ASSERT_TRUE(protocol.readGlobals(globals).ok);
    EXPECT_EQ(globals, (TonecrestData::ParameterMap { { 0, 1.0f }, { 30, 1.0f } }));
    TonecrestData::AmpModelInfo info;
    ASSERT_TRUE(protocol.readAmpModelInfo(7, info).ok);
    EXPECT_EQ(info.id, 0x1234u);
    EXPECT_EQ(info.name, "Tweed");
}

TEST_F(SimulatedPedalEndToEnd, ProtocolWritesLandAsTheSameRecords)
{
    const TonecrestData::AmpModel model = sampleAmpModel();
    ASSERT_TRUE(protocol.writeAmpModelParams(7, model, true).ok);
    ASSERT_TRUE(protocol.writeAmpModelData(7, model.dataWords1, true).ok);
    ASSERT_TRUE(protocol.writeAmpModelExtra(7, model.dataWords2, true).ok);
    ASSERT_TRUE(protocol.writeAmpModelInfo(7, model.info, true).ok);
    const TonecrestData::AmpModel landed = pedal.ampModel(7);
    EXPECT_EQ(landed.params, model.params);
    EXPECT_EQ(landed.longName1, model.longName1);
    EXPECT_EQ(landed.longName2, model.longName2);
    EXPECT_EQ(landed.info.id, model.info.id);
    EXPECT_EQ(landed.info.name, model.info.name);
    EXPECT_EQ(landed.dataWords1, model.dataWords1);
    EXPECT_EQ(landed.dataWords2, model.dataWords2);

    const auto cabinet = rampCabinet("Greenback 4x12", 0.3f);
    ASSERT_TRUE(protocol.writeUserCabinetName(2, cabinet.name).ok);
    ASSERT_TRUE(protocol.writeUserCabinetData(2, cabinet).ok);
    EXPECT_EQ(pedal.userCabinet(2).name, cabinet.name);
    EXPECT_EQ(pedal.userCabinet(2).samples, cabinet.samples);

    const TonecrestData::ParameterMap params { { 1, 2.0f }, { 17, -0.25f } };
    ASSERT_TRUE(protocol.writePreset(5, params).ok);
    ASSERT_TRUE(protocol.writePresetName(5, "Saved").ok);
    ASSERT_TRUE(protocol.writeGlobals({ { 30, 0.0f } }).ok);
    EXPECT_EQ(pedal.presetParams(5), params);
    EXPECT_EQ(pedal.presetName(5), "Saved");
    EXPECT_EQ(pedal.globals(), (TonecrestData::ParameterMap { { 30, 0.0f } }));
    EXPECT_TRUE(pedal.stagedBlocks().empty()) << "every typed write was committed";
}

TEST_F(SimulatedPedalEndToEnd, AnAbortedDeferredWriteCommitsNothing)
{
    protocol.beginDeferredWritebacks();
    ASSERT_TRUE(protocol.writePresetName(3, "Committed").ok);
    ASSERT_TRUE(protocol.flushWritebacks().ok);
    EXPECT_EQ(pedal.presetName(3), "Committed");

    ASSERT_TRUE(protocol.writePresetName(3, "Lost").ok);
    ASSERT_TRUE(protocol.writePreset(3, { { 1, 1.0f } }).ok);
    pedal.addFaultAt(TonecrestProtocol::kDataChunk, 10, Fault::Unplug);
    EXPECT_FALSE(protocol.writeUserCabinetData(0, rampCabinet("x", 0.0f)).ok);
    protocol.endDeferredWritebacks();

    EXPECT_EQ(pedal.presetName(3), "Committed");
    EXPECT_TRUE(pedal.presetParams(3).empty());
    EXPECT_EQ(pedal.presetName(3, Copy::Working), "Lost");
    EXPECT_EQ(pedal.stagedBlocks(), (std::vector<std::pair<unsigned, unsigned>> { { 2, 3 }, { 3, 3 } }));
}

TEST_F(SimulatedPedalEndToEnd, ParameterWritesReachTheEditBufferByTheParameterTable)
{
    const ParameterDefinition& presetParameter = firstStoredDefinition(1);
    const ParameterDefinition& globalParameter = firstStoredDefinition(2);

    ASSERT_TRUE(protocol.setParameter(presetParameter.messageId, 0.625f).ok);
    ASSERT_TRUE(protocol.setParameter(globalParameter.messageId, 2.0f).ok);

    TonecrestData::Preset editBuffer;
    ASSERT_TRUE(protocol.readPreset(SimulatedPedal::kEditBuffer, editBuffer).ok);
    EXPECT_FLOAT_EQ(editBuffer.params.at(static_cast<uint32_t>(presetParameter.deviceIndex)), 0.625f);
    TonecrestData::ParameterMap globals;
    ASSERT_TRUE(protocol.readGlobals(globals).ok);
    EXPECT_FLOAT_EQ(globals.at(static_cast<uint32_t>(globalParameter.deviceIndex)), 2.0f);
}

TEST_F(SimulatedPedalEndToEnd, FrameTimingKeepsEveryExchangeIntact)
{
    link.device.setFrameTiming(true);
    pedal.setPresetName(1, "Timed");
    std::string name;
    ASSERT_TRUE(protocol.readPresetName(1, name).ok);
    EXPECT_EQ(name, "Timed");
    ASSERT_TRUE(protocol.writePresetName(1, "Again").ok);
    EXPECT_EQ(pedal.presetName(1), "Again");
}
