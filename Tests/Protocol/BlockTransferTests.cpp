#include "ByteMatchers.h"
#include "ProtocolTestHelpers.h"
#include "ScriptedPacketIO.h"
#include "SimulatedPedalConnection.h"
#include "TonecrestData.h"
#include "TonecrestProtocol.h"

#include <gtest/gtest.h>

#include <functional>
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

} // namespace

// ---- Reads ---------------------------------------------------------------------------------------

TEST_F(BlockTest, ReadRequestsThenAcknowledgesEveryChunkAndKeepsWhatFits)
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

    // Bytes beyond the capacity are dropped, but the total is reported.
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

TEST_F(BlockTest, FaultsDuringTransfersEnterTheErrorStateOrLeaveItAsTheyFind)
{
    struct Case
    {
        const char* name;
        SimulatedPedal::FaultRule fault;
        std::function<Result(TonecrestProtocol&)> run;
        const char* text;
        int state;
    };
    std::string name;
    TonecrestData::ParameterMap globals;
    auto cabinet = rampCabinet("before");
    const Case cases[] = {
        { "refused read start", {}, [&](P& p) { return p.readUserCabinetName(40, name); }, "Got NACK waiting for TRANSFER_START", P::kStateError },
        { "NACK during a read", { P::kAck, Fault::Nack, 2 }, [&](P& p) { return p.readGlobals(globals); },
          "Got unexpected NACK during read transfer", P::kStateError },
        { "lost chunk", { P::kAck, Fault::Drop, 1 }, [&](P& p) { return p.readCurrentCabinetName(name); }, "Timeout", P::kStateError },
        { "unplugged during a read", { P::kAck, Fault::Unplug, 10 }, [&](P& p) { return p.readPresetCabinetData(9, cabinet); },
          "Disconnect/error while waiting", P::kStateError },
        { "refused write start", { P::kTransferStart, Fault::Nack }, [](P& p) { return p.writeGlobals({ { 1, 1.0f } }); },
          "Got NACK waiting for TRANSFER_START", P::kStateRunning },
        { "NACK to a chunk", { P::kDataChunk, Fault::Nack, 3 }, [](P& p) { return p.writePresetCabinetData(1, rampCabinet("x")); },
          "Got NACK during write transfer", P::kStateError },
        { "NACK to the end", { P::kTransferEnd, Fault::Nack }, [](P& p) { return p.writePresetName(1, "x"); },
          "Got NACK during write transfer", P::kStateError },
        { "unplugged during a write", { P::kDataChunk, Fault::Unplug, 50 }, [](P& p) { return p.writeCurrentCabinetData(rampCabinet("x")); },
          "Disconnect/error while waiting", P::kStateError },
        { "unanswered writeback", { P::kWriteback, Fault::Drop }, [](P& p) { return p.writebackData(P::kDataGlobals, 0); },
          "Timeout", P::kStateError },
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        SimulatedPedalConnection fresh;
        fresh.pedal.setGlobals({ { 1, 2.0f } });
        if (c.fault.packetType != 0)
            fresh.pedal.addFault(c.fault);
        name = "unchanged";
        globals = { { 9, 9.0f } };
        EXPECT_EQ(errorText(c.run(*fresh.protocol)), c.text);
        EXPECT_EQ(fresh.protocol->getState(), c.state);
        EXPECT_EQ(name, "unchanged");
        EXPECT_EQ(globals, (TonecrestData::ParameterMap { { 9, 9.0f } }));
        EXPECT_EQ(cabinet.samples, rampCabinet("before").samples);
        EXPECT_TRUE(fresh.pedal.blockWrites().empty()) << "nothing stored";
        if (c.fault.packetType == P::kDataChunk && c.fault.fault == Fault::Nack)
        {
            EXPECT_EQ(fresh.pedal.receivedPacketsOfType(P::kDataChunk).size(), 4u) << "nothing sent after the refused chunk";
        }
    }
}

// ---- Writes --------------------------------------------------------------------------------------

TEST_F(BlockTest, EightKilobyteWriteIsChunkedAndEndedWithWordCountAndChecksum)
{
    const auto cabinet = rampCabinet("Ramp");
    ASSERT_TRUE(protocol.writeUserCabinetData(7, cabinet).ok);

    EXPECT_BYTES_EQ(bytes({ 0xC2, 0 }), pedal.receivedPackets().at(0));
    auto written = chunks();
    ASSERT_EQ(written.size(), 133u);
    for (size_t i = 0; i < 132; ++i)
        ASSERT_EQ(written[i][1], 62) << "chunk " << i;
    EXPECT_EQ(written[132][1], 8);
    // 8192 bytes = 0x800 words; the pedal checks the checksum and keeps only a block that matches.
    const auto end = endPacket();
    EXPECT_BYTES_EQ(bytes({ 0xC4, 7, 10, 7, 0, 0x00, 0x08 }), std::vector<uint8_t>(end.begin(), end.begin() + 7));
    EXPECT_EQ(pedal.userCabinet(7).samples, cabinet.samples);
    ASSERT_EQ(writebackPackets().size(), 1u);
    EXPECT_BYTES_EQ(bytes({ 0xC6, 3, 10, 7, 0 }), writebackPackets()[0]);

    // 68 bytes = 17 words; the block 'a' 0 0 0 'b' 0 0 0 'c' 0 ... sums to 0x2D30.
    ASSERT_TRUE(protocol.writePresetName(0, "abc").ok);
    EXPECT_EQ(chunks().back()[1], 6);
    EXPECT_BYTES_EQ(bytes({ 0xC4, 7, 2, 0, 0, 17, 0, 0x30, 0x2D }), endPacket());

    // A zero-length write is start then end (the pedal refuses it; the wire is what matters).
    pedal.clearReceivedPackets();
    protocol.sendData(P::kDataPresetName, 3, nullptr, 0);
    auto packets = pedal.receivedPackets();
    ASSERT_EQ(packets.size(), 2u);
    EXPECT_BYTES_EQ(bytes({ 0xC2, 0 }), packets[0]);
    EXPECT_BYTES_EQ(bytes({ 0xC4, 7, 2, 3, 0, 0, 0, 0, 0 }), packets[1]);
}

TEST_F(BlockTest, WhatDoesNotFitTheWireOrTheBlockIsRefusedUnsent)
{
    const auto data = pattern(8);
    size_t bytesRead = 0;
    uint8_t buffer[8];
    TonecrestData::AmpModelParams amp;
    amp.params = paramsWithEntries(257);
    SimulatedPedalConnection older { 1 };
    const std::pair<Result, const char*> cases[] = {
        { protocol.sendData(P::kDataPresetName, 0, data.data(), 6), "Invalid transfer length: %zu" },
        { protocol.sendData(P::kDataPresetName, 0x10000, data.data(), 8), "Invalid index: %u" },
        { protocol.sendData(0x102, 0, data.data(), 8), "Invalid data type: %u" },
        { protocol.readData(P::kDataPresetName, 70000, buffer, sizeof buffer, bytesRead), "Invalid index: %u" },
        { protocol.writebackData(P::kDataPresetName, 0x10000), "Invalid index: %u" },
        { protocol.writePreset(0, paramsWithEntries(513)), "Too many params" },
        { protocol.writeGlobals(paramsWithEntries(129)), "Too many params" },
        { protocol.writeAmpModelParams(0, amp, true), "Too many params" },
        { older.protocol->writePreset(0, paramsWithEntries(129)), "Too many params" },
    };
    for (const auto& [result, text] : cases)
        EXPECT_EQ(errorText(result), text);
    EXPECT_TRUE(pedal.receivedPackets().empty());
    EXPECT_TRUE(older.pedal.receivedPackets().empty());
    EXPECT_EQ(protocol.getState(), P::kStateRunning);

    // The older format's preset list is 128 pairs: 1024 bytes = 256 words.
    ASSERT_TRUE(older.protocol->writePreset(2, paramsWithEntries(128)).ok);
    const auto end = older.pedal.receivedPacketsOfType(P::kTransferEnd).back();
    EXPECT_EQ(end[5] | (end[6] << 8), 256);
    EXPECT_EQ(older.pedal.presetParams(2), paramsWithEntries(128));
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

TEST_F(BlockTest, WritesWithoutWritebackAndTheCurrentCabinet)
{
    // An amp slot written without its writeback is committed by the next flush, as a list.
    ASSERT_TRUE(protocol.writeAmpModelInfo(3, { 42, "Plexi" }, false).ok);
    EXPECT_TRUE(writebackPackets().empty());
    ASSERT_TRUE(protocol.flushWritebacks().ok);
    ASSERT_TRUE(protocol.writebackAmpModels().ok);
    EXPECT_EQ(writebackPackets(), (std::vector<std::vector<uint8_t>> { { 0xC6, 3, 5, 0xFF, 0xFF }, { 0xC6, 3, 5, 0xFE, 0xFF } }));
    EXPECT_EQ(pedal.ampModelInfo(3).id, 42u);

    // The current cabinet applies at once and is never written back.
    pedal.clearReceivedPackets();
    protocol.beginDeferredWritebacks();
    ASSERT_TRUE(protocol.writeCurrentCabinetName("Edit").ok);
    ASSERT_TRUE(protocol.writeCurrentCabinetData(rampCabinet("Edit")).ok);
    protocol.endDeferredWritebacks();
    ASSERT_TRUE(protocol.writeCurrentCabinetName("Edit").ok);
    EXPECT_TRUE(writebackPackets().empty());
    EXPECT_TRUE(protocol.getPendingWritebackTypes().empty());
    EXPECT_EQ(pedal.currentCabinet().name, "Edit");
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
    EXPECT_EQ(pedal.userCabinet(31).name, "Greenback") << "stored, not only staged";
    EXPECT_EQ(pedal.userCabinet(31).samples, cabinet.samples);
    EXPECT_EQ(pedal.presetCabinet(127).name, "Preset Cab");
    EXPECT_EQ(pedal.presetCabinet(127).samples, cabinet.samples);

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
