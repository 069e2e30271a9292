#include "ByteMatchers.h"
#include "ProtocolTestHelpers.h"
#include "SimulatedPedalConnection.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

// The simulated pedal is driven here with reports built by hand from the wire layouts, so its
// answers are pinned independently of the editor's own packet and block code.

using namespace Tonecrest;
using namespace Tonecrest::Testing;
using Copy = SimulatedPedal::Copy;

namespace
{
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

} // namespace

// ---- Requests ------------------------------------------------------------------------------

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
