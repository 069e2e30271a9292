#include "ByteMatchers.h"
#include "ProtocolTestHelpers.h"
#include "SimulatedPedalConnection.h"
#include "TonecrestProtocol.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace Tonecrest;
using namespace Tonecrest::Testing;
using Fault = SimulatedPedal::Fault;

namespace
{
class DSPFirmwareTest : public ::testing::Test
{
protected:
    Result update(const TonecrestData::FirmwareData& images)
    {
        return protocol.updateDSPFirmware(images, [this](double value) { progress.push_back(value); });
    }

    SimulatedPedalConnection link;
    SimulatedPedal& pedal = link.pedal;
    TonecrestProtocol& protocol = *link.protocol;
    std::vector<double> progress;
};
} // namespace

TEST_F(DSPFirmwareTest, StartChunksAndDoneCarryTheirExactBytes)
{
    const auto dsp0 = pattern(63, 1);
    const auto dsp1 = pattern(5, 200);
    ASSERT_TRUE(update({ dsp0, dsp1 }).ok);

    auto packets = pedal.receivedPackets();
    ASSERT_EQ(packets.size(), 6u);
    EXPECT_THAT(packets[0], BytesAre({ 0xB1, 5, 0, 0x3C, 0x91, 0x5E, 0xA7 })) << "start magic little-endian";
    std::vector<uint8_t> firstChunk { 0xB2, 62 };
    firstChunk.insert(firstChunk.end(), dsp0.begin(), dsp0.begin() + 62);
    EXPECT_THAT(packets[1], BytesAre(firstChunk));
    EXPECT_THAT(packets[2], BytesAre({ 0xB2, 1, dsp0[62] }));
    EXPECT_THAT(packets[3], BytesAre({ 0xB1, 5, 1, 0x3C, 0x91, 0x5E, 0xA7 }));
    std::vector<uint8_t> secondImage { 0xB2, 5 };
    secondImage.insert(secondImage.end(), dsp1.begin(), dsp1.end());
    EXPECT_THAT(packets[4], BytesAre(secondImage));
    EXPECT_THAT(packets[5], BytesAre({ 0xB3, 0 }));

    EXPECT_EQ(pedal.loadedDSPImage(0), dsp0);
    EXPECT_EQ(pedal.loadedDSPImage(1), dsp1);
    EXPECT_EQ(pedal.firmwareDoneCount(), 1);
    EXPECT_EQ(protocol.getState(), TonecrestProtocol::kStateRunning);
}

TEST_F(DSPFirmwareTest, ProgressRunsOverBothImagesInHalves)
{
    ASSERT_TRUE(update({ pattern(124, 1), pattern(124, 2) }).ok);
    EXPECT_EQ(progress, (std::vector<double> { 0.25, 0.5, 0.75, 1.0 }));

    progress.clear();
    ASSERT_TRUE(update({ pattern(93, 1), pattern(1, 2) }).ok);
    EXPECT_EQ(progress, (std::vector<double> { 62.0 / 93 * 0.5, 0.5, 1.0 }));

    // An empty progress callable is simply not called.
    EXPECT_TRUE(protocol.updateDSPFirmware({ pattern(10, 1), pattern(10, 2) }, nullptr).ok);
}

TEST_F(DSPFirmwareTest, EmptyImageGoesAsOneEmptyChunkAndReportsItsShareAsDone)
{
    ASSERT_TRUE(update({ {}, pattern(62, 9) }).ok);
    EXPECT_EQ(progress, (std::vector<double> { 0.5, 1.0 }));

    auto chunks = pedal.receivedPacketsOfType(0xB2);
    ASSERT_EQ(chunks.size(), 2u);
    EXPECT_THAT(chunks[0], BytesAre({ 0xB2, 0 }));
    EXPECT_EQ(pedal.loadedDSPImage(0), std::vector<uint8_t>());

    progress.clear();
    ASSERT_TRUE(protocol.sendFirmwareForSingleDSP(1, nullptr, 0, [this](double value) { progress.push_back(value); }).ok);
    EXPECT_EQ(progress, (std::vector<double> { 1.0 }));
}

TEST_F(DSPFirmwareTest, NackToAStartLeavesTheConnectionUsable)
{
    pedal.addFaultAt(0xB1, 2, Fault::Nack);
    Result result = update({ pattern(70, 1), pattern(70, 2) });
    EXPECT_EQ(errorText(result), "Got NACK for firmware start");
    EXPECT_EQ(protocol.getState(), TonecrestProtocol::kStateRunning);
    EXPECT_TRUE(pedal.receivedPacketsOfType(0xB3).empty()) << "no done message after a failed DSP";
    ASSERT_EQ(pedal.receivedDSPImages().size(), 1u);
    EXPECT_EQ(pedal.receivedDSPImages()[0].bytes, pattern(70, 1)) << "DSP 0 was loaded in full";
    EXPECT_EQ(progress, (std::vector<double> { 62.0 / 70 * 0.5, 0.5 }));

    bool responded = false;
    EXPECT_TRUE(protocol.ping(responded).ok);
    EXPECT_TRUE(responded);
}

TEST_F(DSPFirmwareTest, NackOrSilenceDuringTheTransferEntersTheErrorState)
{
    pedal.addFaultAt(0xB2, 2, Fault::Nack);
    Result result = update({ pattern(200, 1), pattern(20, 2) });
    EXPECT_EQ(errorText(result), "Got NACK during write transfer");
    EXPECT_EQ(progress, (std::vector<double> { 62.0 / 200 * 0.5, 124.0 / 200 * 0.5 })) << "reported once sent, before the answer";
    EXPECT_EQ(protocol.getState(), TonecrestProtocol::kStateError);
    EXPECT_EQ(pedal.receivedPacketsOfType(0xB1).size(), 1u) << "DSP 1 is not started";
    EXPECT_TRUE(pedal.receivedPacketsOfType(0xB3).empty());
    EXPECT_EQ(errorText(update({ pattern(4, 1), pattern(4, 2) })), "Invalid state");

    protocol.clearError();
    pedal.clearReceivedPackets();
    pedal.addFaultAt(0xB2, 1, Fault::Drop);
    EXPECT_EQ(errorText(protocol.updateDSPFirmware({ pattern(4, 1), pattern(4, 2) }, nullptr)), "Timeout");
    EXPECT_EQ(protocol.getState(), TonecrestProtocol::kStateError);

    // A failure of DSP 1 keeps the done message back too.
    protocol.clearError();
    pedal.clearFaults();
    pedal.clearReceivedPackets();
    pedal.addFaultAt(0xB2, 2, Fault::Nack);
    EXPECT_EQ(errorText(protocol.updateDSPFirmware({ pattern(4, 1), pattern(4, 2) }, nullptr)),
              "Got NACK during write transfer");
    EXPECT_EQ(pedal.receivedPacketsOfType(0xB1).size(), 2u);
    EXPECT_TRUE(pedal.receivedPacketsOfType(0xB3).empty());
}

TEST_F(DSPFirmwareTest, UnpluggedPedalFailsTheTransferAtOnce)
{
    pedal.addFaultAt(0xB2, 1, Fault::Unplug);
    Result result = update({ pattern(100, 1), pattern(100, 2) });
    EXPECT_FALSE(result.ok);
    EXPECT_NE(protocol.getState(), TonecrestProtocol::kStateRunning);
    EXPECT_TRUE(pedal.receivedPacketsOfType(0xB3).empty());
}

TEST_F(DSPFirmwareTest, SingleDSPRefusesWhatItsWireFieldsCannotCarry)
{
    EXPECT_FALSE(protocol.sendFirmwareForSingleDSP(256, pattern(4, 1).data(), 4, nullptr).ok);
    EXPECT_FALSE(protocol.sendFirmwareForSingleDSP(0, nullptr, 4, nullptr).ok);
    EXPECT_TRUE(pedal.receivedPackets().empty());
}
