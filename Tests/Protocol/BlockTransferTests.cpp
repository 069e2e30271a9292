#include "ByteMatchers.h"
#include "ProtocolTestHelpers.h"
#include "ScriptedPacketIO.h"
#include "SimulatedPedalConnection.h"
#include "TonecrestData.h"
#include "TonecrestProtocol.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

using namespace Tonecrest;
using namespace Tonecrest::Testing;
using Fault = SimulatedPedal::Fault;
using P = TonecrestProtocol;

namespace
{
class BlockTest : public ::testing::Test
{
protected:
    SimulatedPedalConnection link;
    SimulatedPedal& pedal = link.pedal;
    TonecrestProtocol& protocol = *link.protocol;

    /** The chunks (0xC3) of the last write, and its end packet. */
    std::vector<std::vector<uint8_t>> chunks() const { return pedal.receivedPacketsOfType(P::kDataChunk); }
    std::vector<uint8_t> endPacket() const { return pedal.receivedPacketsOfType(P::kTransferEnd).back(); }
    std::vector<std::vector<uint8_t>> writebackPackets() const { return pedal.receivedPacketsOfType(P::kWriteback); }

    using Addresses = std::vector<std::pair<unsigned, unsigned>>;
    /** Type and index of every block the pedal took, in order. */
    Addresses addressesWritten() const
    {
        Addresses addresses;
        for (const auto& write : pedal.blockWrites())
            addresses.emplace_back(write.type, write.index);
        return addresses;
    }
};

class BlockVariantTest : public ::testing::Test
{
protected:
    SimulatedPedalConnection link { 1 };
};
} // namespace

// ---- Reads ---------------------------------------------------------------------------------------

TEST_F(BlockTest, ReadRequestsThenAcknowledgesEveryChunk)
{
    pedal.setPresetName(5, "Crunch Lead");
    std::string name;

    ASSERT_TRUE(protocol.readPresetName(5, name).ok);
    EXPECT_EQ(name, "Crunch Lead");

    // 68 bytes: two chunks (62 + 6) and the end, each asked for by an acknowledgement.
    auto packets = pedal.receivedPackets();
    ASSERT_EQ(packets.size(), 4u);
    EXPECT_BYTES_EQ(bytes({ 0xC5, 5, 2, 5, 0, 0, 0 }), packets[0]);
    for (size_t i = 1; i < 4; ++i)
        EXPECT_BYTES_EQ(bytes({ 0xC0, 0 }), packets[i]);
}

TEST_F(BlockTest, ReadDropsBytesBeyondCapacityButReportsTheTotal)
{
    const auto sent = pattern(100);
    pedal.setBlock(P::kDataPresetName, 0, sent);

    std::vector<uint8_t> buffer(80, 0xEE);
    size_t bytesRead = 0;
    ASSERT_TRUE(protocol.readData(P::kDataPresetName, 0, buffer.data(), 68, bytesRead).ok);

    EXPECT_EQ(bytesRead, 100u);
    EXPECT_BYTES_EQ(std::vector<uint8_t>(sent.begin(), sent.begin() + 68), std::vector<uint8_t>(buffer.begin(), buffer.begin() + 68));
    EXPECT_BYTES_EQ(std::vector<uint8_t>(12, 0xEE), std::vector<uint8_t>(buffer.begin() + 68, buffer.end()));
}

TEST_F(BlockTest, ReadThatNeverEndsStopsAtTheLongestPossibleBlock)
{
    // One chunk more than any end packet could count.
    pedal.setBlock(P::kDataPresetName, 0, pattern(P::kMaxTransferBytes + P::kMaxPayloadSize));
    std::vector<uint8_t> buffer(68);
    size_t bytesRead = 0;
    const auto result = protocol.readData(P::kDataPresetName, 0, buffer.data(), buffer.size(), bytesRead);
    EXPECT_EQ(errorText(result), "Too much data in read transfer: %zu bytes");
    EXPECT_EQ(protocol.getState(), P::kStateError);

    // The longest a block can be still reads.
    SimulatedPedalConnection fresh;
    fresh.pedal.setBlock(P::kDataPresetName, 0, pattern(P::kMaxTransferBytes));
    ASSERT_TRUE(fresh.protocol->readData(P::kDataPresetName, 0, buffer.data(), buffer.size(), bytesRead).ok);
    EXPECT_EQ(bytesRead, P::kMaxTransferBytes);

    // Empty chunks carry nothing, but no block needs more chunks than the longest one; this
    // device would end the read only after 100000 of them.
    ScriptedPacketIO io;
    TonecrestProtocol scripted(&io, 0);
    size_t chunksSent = 0;
    io.setScript([&](const std::vector<uint8_t>& packet, ScriptedPacketIO& device) {
        if (packet[0] == P::kReadRequest)
            device.deliver(bytes({ P::kTransferStart, 0 }));
        else
            device.deliver(bytes({ ++chunksSent > 100000 ? P::kTransferEnd : P::kDataChunk, 0 }));
    });
    EXPECT_EQ(errorText(scripted.readData(P::kDataPresetName, 0, buffer.data(), buffer.size(), bytesRead)),
              "Too much data in read transfer: %zu bytes");
    EXPECT_EQ(scripted.getState(), P::kStateError);
    EXPECT_EQ(chunksSent, 4230u) << "65535 words take 4229 chunks of 62 bytes";
}

TEST_F(BlockTest, OversizedAndShortBlocksDecodeOnlyWhatArrived)
{
    // An oversized parameter list: the first 512 pairs are used, the rest is dropped.
    std::vector<uint8_t> oversized(5000, 0);
    TonecrestData::encodePresetParams(paramsWithEntries(512), oversized.data(), 4096);
    std::fill(oversized.begin() + 4096, oversized.end(), 0x11);
    pedal.setBlock(P::kDataPresetParams, 3, oversized);
    TonecrestData::Preset preset;
    ASSERT_TRUE(protocol.readPreset(3, preset).ok);
    EXPECT_EQ(preset.params, paramsWithEntries(512));

    // A short list without an end marker: three whole pairs and a stray half pair.
    std::vector<uint8_t> shortList(28, 0);
    TonecrestData::encodeParamList(paramsWithEntries(3), shortList.data(), 24);
    shortList[24] = 0x99;
    pedal.setBlock(P::kDataPresetParams, 4, shortList);
    ASSERT_TRUE(protocol.readPreset(4, preset).ok);
    EXPECT_EQ(preset.params, paramsWithEntries(3));

    // Short samples read as zero past the end.
    std::vector<uint8_t> samples(8, 0);
    TonecrestData::encodeWords(std::array<uint32_t, 2> { 0x3F800000, 0x3F000000 }.data(), 2, samples.data(), 8);
    pedal.setBlock(P::kDataUserCabinetData, 2, samples);
    auto cabinet = rampCabinet("keep");
    ASSERT_TRUE(protocol.readUserCabinetData(2, cabinet).ok);
    EXPECT_FLOAT_EQ(cabinet.samples[0], 1.0f);
    EXPECT_FLOAT_EQ(cabinet.samples[1], 0.5f);
    EXPECT_FLOAT_EQ(cabinet.samples[2], 0.0f);
    EXPECT_FLOAT_EQ(cabinet.samples[2047], 0.0f);
    EXPECT_EQ(cabinet.name, "keep");
}

TEST_F(BlockTest, RefusedReadStartEntersTheErrorState)
{
    std::string name = "unchanged";
    EXPECT_EQ(errorText(protocol.readUserCabinetName(40, name)), "Got NACK waiting for TRANSFER_START");
    EXPECT_EQ(name, "unchanged");
    EXPECT_EQ(protocol.getState(), P::kStateError);
}

TEST_F(BlockTest, NackDuringReadEntersTheErrorState)
{
    pedal.setGlobals({ { 1, 2.0f } });
    pedal.addFault({ P::kAck, Fault::Nack, 2 });
    TonecrestData::ParameterMap globals { { 9, 9.0f } };

    EXPECT_EQ(errorText(protocol.readGlobals(globals)), "Got unexpected NACK during read transfer");
    EXPECT_EQ(globals, (TonecrestData::ParameterMap { { 9, 9.0f } }));
    EXPECT_EQ(protocol.getState(), P::kStateError);
}

TEST_F(BlockTest, LostChunkTimesOutAndEntersTheErrorState)
{
    pedal.addFault({ P::kAck, Fault::Drop, 1 });
    std::string name;
    EXPECT_EQ(errorText(protocol.readCurrentCabinetName(name)), "Timeout");
    EXPECT_EQ(protocol.getState(), P::kStateError);
}

TEST_F(BlockTest, UnplugDuringReadEndsItAtOnce)
{
    pedal.addFault({ P::kAck, Fault::Unplug, 10 });
    auto cabinet = rampCabinet("before");
    const auto before = cabinet.samples;

    EXPECT_EQ(errorText(protocol.readPresetCabinetData(9, cabinet)), "Disconnect/error while waiting");
    EXPECT_EQ(cabinet.samples, before);
    EXPECT_EQ(protocol.getState(), P::kStateError);
}

// ---- Writes --------------------------------------------------------------------------------------

TEST_F(BlockTest, EightKilobyteWriteIsChunkedAndEndedWithWordCountAndChecksum)
{
    const auto cabinet = rampCabinet("Ramp");
    ASSERT_TRUE(protocol.writeUserCabinetData(7, cabinet).ok);

    std::vector<uint8_t> expected(TonecrestData::cabinetDataBlockBytes);
    TonecrestData::encodeCabinetSamples(cabinet, expected.data(), expected.size());

    EXPECT_BYTES_EQ(bytes({ 0xC2, 0 }), pedal.receivedPackets().at(0));
    auto written = chunks();
    ASSERT_EQ(written.size(), 133u);
    for (size_t i = 0; i < 132; ++i)
        ASSERT_EQ(written[i][1], 62) << "chunk " << i;
    EXPECT_EQ(written[132][1], 8);

    std::vector<uint8_t> joined;
    for (const auto& chunk : written)
        joined.insert(joined.end(), chunk.begin() + 2, chunk.end());
    EXPECT_BYTES_EQ(expected, joined);

    const uint16_t checksum = TonecrestData::dataChecksum(expected.data(), expected.size());
    EXPECT_BYTES_EQ(bytes({ 0xC4, 7, 10, 7, 0, 0x00, 0x08, checksum & 0xFF, checksum >> 8 }), endPacket());

    EXPECT_BYTES_EQ(expected, pedal.block(P::kDataUserCabinetData, 7));
    ASSERT_EQ(writebackPackets().size(), 1u);
    EXPECT_BYTES_EQ(bytes({ 0xC6, 3, 10, 7, 0 }), writebackPackets()[0]);
}

TEST_F(BlockTest, PresetNameWriteEndsWithShortChunkAndKnownChecksum)
{
    ASSERT_TRUE(protocol.writePresetName(0, "abc").ok);

    auto written = chunks();
    ASSERT_EQ(written.size(), 2u);
    EXPECT_EQ(written[0][1], 62);
    EXPECT_EQ(written[1][1], 6);
    // 68 bytes = 17 words; the block 'a' 0 0 0 'b' 0 0 0 'c' 0 ... sums to 0x2D30.
    EXPECT_BYTES_EQ(bytes({ 0xC4, 7, 2, 0, 0, 17, 0, 0x30, 0x2D }), endPacket());
}

TEST_F(BlockTest, RefusedWriteStartLeavesTheStateAlone)
{
    pedal.addFault({ P::kTransferStart, Fault::Nack });
    EXPECT_EQ(errorText(protocol.writeGlobals({ { 1, 1.0f } })), "Got NACK waiting for TRANSFER_START");
    EXPECT_EQ(protocol.getState(), P::kStateRunning);
    EXPECT_TRUE(pedal.blockWrites().empty());
    EXPECT_TRUE(writebackPackets().empty());
}

TEST_F(BlockTest, NackToAChunkOrTheEndEntersTheErrorState)
{
    pedal.addFault({ P::kDataChunk, Fault::Nack, 3 });
    EXPECT_EQ(errorText(protocol.writePresetCabinetData(1, rampCabinet("x"))), "Got NACK during write transfer");
    EXPECT_EQ(protocol.getState(), P::kStateError);
    EXPECT_EQ(chunks().size(), 4u) << "nothing is sent after the refused chunk";

    protocol.clearError();
    pedal.addFault({ P::kTransferEnd, Fault::Nack });
    EXPECT_EQ(errorText(protocol.writePresetName(1, "x")), "Got NACK during write transfer");
    EXPECT_EQ(protocol.getState(), P::kStateError);
    EXPECT_TRUE(pedal.blockWrites().empty());
}

TEST_F(BlockTest, UnplugDuringWriteEndsItAtOnce)
{
    pedal.addFault({ P::kDataChunk, Fault::Unplug, 50 });
    EXPECT_EQ(errorText(protocol.writeCurrentCabinetData(rampCabinet("x"))), "Disconnect/error while waiting");
    EXPECT_EQ(protocol.getState(), P::kStateError);
    EXPECT_FALSE(pedal.hasStoredBlock(P::kDataCurrentCabinetData, 0));
}

TEST_F(BlockTest, ZeroLengthWriteIsStartThenEnd)
{
    // The pedal keeps fixed-size blocks and refuses it; the wire is what matters here.
    protocol.sendData(P::kDataPresetName, 3, nullptr, 0);

    auto packets = pedal.receivedPackets();
    ASSERT_EQ(packets.size(), 2u);
    EXPECT_BYTES_EQ(bytes({ 0xC2, 0 }), packets[0]);
    EXPECT_BYTES_EQ(bytes({ 0xC4, 7, 2, 3, 0, 0, 0, 0, 0 }), packets[1]);
}

TEST_F(BlockTest, AddressesAndLengthsThatDoNotFitTheWireAreRefusedUnsent)
{
    const auto data = pattern(8);
    size_t bytesRead = 0;
    uint8_t buffer[8];

    EXPECT_EQ(errorText(protocol.sendData(P::kDataPresetName, 0, data.data(), 6)), "Invalid transfer length: %zu");
    EXPECT_EQ(errorText(protocol.sendData(P::kDataPresetName, 0x10000, data.data(), 8)), "Invalid index: %u");
    EXPECT_EQ(errorText(protocol.sendData(0x102, 0, data.data(), 8)), "Invalid data type: %u");
    EXPECT_EQ(errorText(protocol.readData(P::kDataPresetName, 70000, buffer, sizeof buffer, bytesRead)), "Invalid index: %u");
    EXPECT_EQ(errorText(protocol.writebackData(P::kDataPresetName, 0x10000)), "Invalid index: %u");

    EXPECT_TRUE(pedal.receivedPackets().empty());
    EXPECT_EQ(protocol.getState(), P::kStateRunning);
}

TEST_F(BlockTest, TooManyParamsIsRefusedBeforeAnyPacket)
{
    EXPECT_EQ(errorText(protocol.writePreset(0, paramsWithEntries(513))), "Too many params");
    EXPECT_EQ(errorText(protocol.writeGlobals(paramsWithEntries(129))), "Too many params");
    TonecrestData::AmpModelParams amp;
    amp.params = paramsWithEntries(257);
    EXPECT_EQ(errorText(protocol.writeAmpModelParams(0, amp, true)), "Too many params");

    EXPECT_TRUE(pedal.receivedPackets().empty());
    EXPECT_EQ(protocol.getState(), P::kStateRunning);
}

TEST_F(BlockVariantTest, OlderFormatSendsTheShortPresetList)
{
    TonecrestProtocol& protocol = *link.protocol;
    EXPECT_EQ(errorText(protocol.writePreset(0, paramsWithEntries(129))), "Too many params");
    EXPECT_TRUE(link.pedal.receivedPackets().empty());

    ASSERT_TRUE(protocol.writePreset(2, paramsWithEntries(128)).ok);
    const auto end = link.pedal.receivedPacketsOfType(P::kTransferEnd).back();
    EXPECT_EQ(end[5] | (end[6] << 8), 256) << "1024 bytes = 256 words";
    EXPECT_EQ(link.pedal.block(P::kDataPresetParams, 2).size(), 1024u);

    TonecrestData::Preset preset;
    ASSERT_TRUE(protocol.readPreset(2, preset).ok);
    EXPECT_EQ(preset.params, paramsWithEntries(128));
}

// ---- Writebacks ----------------------------------------------------------------------------------

TEST_F(BlockTest, DeferredWritebackIsSentByFlushForTheWholeType)
{
    protocol.beginDeferredWritebacks();
    ASSERT_TRUE(protocol.writePresetName(4, "Deferred").ok);
    ASSERT_TRUE(protocol.writePresetName(5, "Also").ok);
    EXPECT_TRUE(writebackPackets().empty());
    EXPECT_EQ(protocol.getPendingWritebackTypes(), (std::set<unsigned> { 2 }));

    ASSERT_TRUE(protocol.flushWritebacks().ok);
    ASSERT_EQ(writebackPackets().size(), 1u);
    EXPECT_BYTES_EQ(bytes({ 0xC6, 3, 2, 0xFF, 0xFF }), writebackPackets()[0]);
    EXPECT_TRUE(protocol.getPendingWritebackTypes().empty());

    // Still deferring until the end.
    ASSERT_TRUE(protocol.writePresetName(6, "Third").ok);
    EXPECT_EQ(writebackPackets().size(), 1u);
    protocol.endDeferredWritebacks();
    EXPECT_TRUE(protocol.getPendingWritebackTypes().empty());
    ASSERT_TRUE(protocol.flushWritebacks().ok);
    EXPECT_EQ(writebackPackets().size(), 1u) << "ending the deferral forgets, it does not send";
}

TEST_F(BlockTest, WriteWithoutWritebackIsRecordedForTheNextFlush)
{
    TonecrestData::AmpModelInfo info;
    info.id = 42;
    info.name = "Plexi";
    ASSERT_TRUE(protocol.writeAmpModelInfo(3, info, false).ok);
    EXPECT_TRUE(writebackPackets().empty());

    ASSERT_TRUE(protocol.flushWritebacks().ok);
    ASSERT_EQ(writebackPackets().size(), 1u);
    EXPECT_BYTES_EQ(bytes({ 0xC6, 3, 5, 0xFF, 0xFF }), writebackPackets()[0]);
}

TEST_F(BlockTest, FailedFlushKeepsEveryPendingTypeForTheNextOne)
{
    protocol.beginDeferredWritebacks();
    ASSERT_TRUE(protocol.writeUserCabinetName(1, "Cab").ok);
    ASSERT_TRUE(protocol.writePreset(1, paramsWithEntries(2)).ok);
    ASSERT_TRUE(protocol.writePresetName(1, "Name").ok);

    pedal.addFault({ P::kWriteback, Fault::Nack, 1 });
    EXPECT_EQ(errorText(protocol.flushWritebacks()), "Got NACK waiting for TRANSFER_START");
    EXPECT_EQ(protocol.getState(), P::kStateError);
    EXPECT_EQ(protocol.getPendingWritebackTypes(), (std::set<unsigned> { 2, 3, 9 }));

    protocol.clearError();
    pedal.clearReceivedPackets();
    ASSERT_TRUE(protocol.flushWritebacks().ok);
    auto sent = writebackPackets();
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_BYTES_EQ(bytes({ 0xC6, 3, 2, 0xFF, 0xFF }), sent[0]);
    EXPECT_BYTES_EQ(bytes({ 0xC6, 3, 3, 0xFF, 0xFF }), sent[1]);
    EXPECT_BYTES_EQ(bytes({ 0xC6, 3, 9, 0xFF, 0xFF }), sent[2]);
    protocol.endDeferredWritebacks();
}

TEST_F(BlockTest, AmpModelListWritebackAndUnansweredWriteback)
{
    ASSERT_TRUE(protocol.writebackAmpModels().ok);
    EXPECT_BYTES_EQ(bytes({ 0xC6, 3, 5, 0xFE, 0xFF }), writebackPackets().at(0));

    pedal.addFault({ P::kWriteback, Fault::Drop });
    EXPECT_EQ(errorText(protocol.writebackData(P::kDataGlobals, 0)), "Timeout");
    EXPECT_EQ(protocol.getState(), P::kStateError);
}

TEST_F(BlockTest, CurrentCabinetIsNeverWrittenBack)
{
    protocol.beginDeferredWritebacks();
    ASSERT_TRUE(protocol.writeCurrentCabinetName("Edit").ok);
    ASSERT_TRUE(protocol.writeCurrentCabinetData(rampCabinet("Edit")).ok);
    protocol.endDeferredWritebacks();
    ASSERT_TRUE(protocol.writeCurrentCabinetName("Edit").ok);

    EXPECT_TRUE(writebackPackets().empty());
    EXPECT_TRUE(protocol.getPendingWritebackTypes().empty());
    EXPECT_EQ(pedal.blockWrites().back().type, 14u);
}

// ---- Typed round trips ---------------------------------------------------------------------------

TEST_F(BlockTest, GlobalsAndPresetsRoundTrip)
{
    const TonecrestData::ParameterMap globals { { 0, 1.0f }, { 7, -3.5f }, { 200, 0.25f } };
    ASSERT_TRUE(protocol.writeGlobals(globals).ok);
    EXPECT_EQ(endPacket()[5] | (endPacket()[6] << 8), 256);
    TonecrestData::ParameterMap readBack;
    ASSERT_TRUE(protocol.readGlobals(readBack).ok);
    EXPECT_EQ(readBack, globals);

    const auto params = paramsWithEntries(300);
    ASSERT_TRUE(protocol.writePreset(17, params).ok);
    EXPECT_EQ(endPacket()[5] | (endPacket()[6] << 8), 1024);
    EXPECT_BYTES_EQ(bytes({ 0xC6, 3, 3, 17, 0 }), writebackPackets().back());

    // The edit buffer is preset 128.
    pedal.setPresetParams(128, { { 5, 5.0f } });
    TonecrestData::Preset preset;
    ASSERT_TRUE(protocol.readPreset(128, preset).ok);
    EXPECT_EQ(preset.params, (TonecrestData::ParameterMap { { 5, 5.0f } }));
    EXPECT_BYTES_EQ(bytes({ 0xC5, 5, 3, 128, 0, 0, 0 }), pedal.receivedPacketsOfType(P::kReadRequest).back());

    ASSERT_TRUE(protocol.readPreset(17, preset).ok);
    EXPECT_EQ(preset.params, params);
}

TEST_F(BlockTest, CabinetWritesUseTheirOwnTypes)
{
    const auto cabinet = rampCabinet("Greenback");
    ASSERT_TRUE(protocol.writeUserCabinetName(31, cabinet.name).ok);
    ASSERT_TRUE(protocol.writeUserCabinetData(31, cabinet).ok);
    ASSERT_TRUE(protocol.writePresetCabinetName(127, "Preset Cab").ok);
    ASSERT_TRUE(protocol.writePresetCabinetData(127, cabinet).ok);
    ASSERT_TRUE(protocol.writeCurrentCabinetName("Current").ok);
    ASSERT_TRUE(protocol.writeCurrentCabinetData(cabinet).ok);

    EXPECT_EQ(addressesWritten(), (Addresses { { 9, 31 }, { 10, 31 }, { 12, 127 }, { 13, 127 }, { 14, 0 }, { 15, 0 } }));

    // Reads of the other types are checked against the pedal's records end to end.
    TonecrestData::Cabinet readBack;
    ASSERT_TRUE(protocol.readCurrentCabinetData(readBack).ok);
    EXPECT_EQ(readBack.samples, cabinet.samples);
}

TEST_F(BlockTest, AmpModelBlocksUseTheirTypesAndTheCallersWritebackFlag)
{
    // What lands in each block is checked against the pedal's own records end to end.
    TonecrestData::AmpModel model;
    model.params = paramsWithEntries(10);
    model.info = { 1234, "Plexi" };

    ASSERT_TRUE(protocol.writeAmpModelParams(9, model, true).ok);
    ASSERT_TRUE(protocol.writeAmpModelData(9, model.dataWords1, true).ok);
    ASSERT_TRUE(protocol.writeAmpModelExtra(9, model.dataWords2, false).ok);
    ASSERT_TRUE(protocol.writeAmpModelInfo(9, model.info, true).ok);

    EXPECT_EQ(addressesWritten(), (Addresses { { 6, 9 }, { 7, 9 }, { 8, 9 }, { 5, 9 } }));
    auto sent = writebackPackets();
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_BYTES_EQ(bytes({ 0xC6, 3, 6, 9, 0 }), sent[0]);
    EXPECT_BYTES_EQ(bytes({ 0xC6, 3, 7, 9, 0 }), sent[1]);
    EXPECT_BYTES_EQ(bytes({ 0xC6, 3, 5, 9, 0 }), sent[2]);
    EXPECT_EQ(protocol.getPendingWritebackTypes(), (std::set<unsigned> { 8 }));

    TonecrestData::AmpModelInfo info;
    ASSERT_TRUE(protocol.readAmpModelInfo(200, info).ok);
    EXPECT_EQ(info.id, TonecrestData::emptyAmpModelId) << "an unused slot";
}
