#include "ByteMatchers.h"
#include "ProtocolTestHelpers.h"
#include "ScriptedPacketIO.h"
#include "SimulatedPedalConnection.h"
#include "TonecrestProtocol.h"

#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

using namespace Tonecrest;
using namespace Tonecrest::Testing;
using Fault = SimulatedPedal::Fault;

namespace
{
struct RecordingProtocolHandler : TonecrestProtocol::Handler
{
    std::mutex mutex;
    std::vector<int> states;
    std::vector<std::vector<uint8_t>> notifications;

    void onTransportStateChanged(int state) override
    {
        std::lock_guard<std::mutex> lock(mutex);
        states.push_back(state);
    }
    void onNotification(const uint8_t* payload, size_t length) override
    {
        std::lock_guard<std::mutex> lock(mutex);
        notifications.emplace_back(payload, payload + length);
    }
    std::vector<int> statesSeen()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return states;
    }
    std::vector<std::vector<uint8_t>> notificationsSeen()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return notifications;
    }
};

class ProtocolTest : public ::testing::Test
{
protected:
    SimulatedPedalConnection link;
    SimulatedPedal& pedal = link.pedal;
    TonecrestProtocol& protocol = *link.protocol;

    // Puts the protocol into its error state the way a pedal does: a NACKed program change.
    void breakConnection()
    {
        pedal.addFault({ TonecrestProtocol::kProgramChange, Fault::Nack });
        ASSERT_FALSE(protocol.setCurrentPreset(1).ok);
        ASSERT_EQ(protocol.getState(), TonecrestProtocol::kStateError);
        pedal.clearReceivedPackets();
    }
};
} // namespace

// ---- Requests and their wire bytes ----------------------------------------------------------

TEST_F(ProtocolTest, PingIsAcknowledgedAndSilenceOrNackIsNoResponse)
{
    // Silence and a NACK both mean "not ready yet", never a broken connection.
    for (Fault fault : { Fault::Drop, Fault::Nack })
    {
        pedal.addFault({ TonecrestProtocol::kPing, fault });
        bool responded = true;
        Result result = protocol.ping(responded);
        EXPECT_TRUE(result.ok) << errorText(result);
        EXPECT_FALSE(responded);
        EXPECT_EQ(protocol.getState(), TonecrestProtocol::kStateRunning);
    }

    pedal.clearReceivedPackets();
    bool responded = false;
    ASSERT_TRUE(protocol.ping(responded).ok);
    EXPECT_TRUE(responded);
    ASSERT_EQ(pedal.receivedPackets().size(), 1u);
    EXPECT_BYTES_EQ(bytes({ 0xB4, 0 }), pedal.receivedPackets()[0]);
}

TEST_F(ProtocolTest, ProgramChangeAndRequest)
{
    ASSERT_TRUE(protocol.setCurrentPreset(37).ok);
    EXPECT_EQ(pedal.currentPreset(), 37u);

    pedal.setCurrentPreset(101);
    unsigned preset = 0;
    ASSERT_TRUE(protocol.getCurrentPreset(preset).ok);
    EXPECT_EQ(preset, 101u);

    auto packets = pedal.receivedPackets();
    ASSERT_EQ(packets.size(), 2u);
    EXPECT_BYTES_EQ(bytes({ 0xC9, 1, 37 }), packets[0]);
    EXPECT_BYTES_EQ(bytes({ 0xCA, 0 }), packets[1]);
}

TEST_F(ProtocolTest, ProgramNacksEnterTheErrorState)
{
    pedal.addFault({ TonecrestProtocol::kProgramChange, Fault::Nack });
    EXPECT_EQ(errorText(protocol.setCurrentPreset(3)), "Got NACK for program change");
    EXPECT_EQ(protocol.getState(), TonecrestProtocol::kStateError);

    protocol.clearError();
    pedal.addFault({ TonecrestProtocol::kProgramRequest, Fault::Nack });
    unsigned preset = 99;
    EXPECT_EQ(errorText(protocol.getCurrentPreset(preset)), "Got NACK for program request");
    EXPECT_EQ(preset, 99u);
    EXPECT_EQ(protocol.getState(), TonecrestProtocol::kStateError);
}

TEST_F(ProtocolTest, ValuesBeyondTheirWireFieldsAreRefusedUnsent)
{
    EXPECT_EQ(errorText(protocol.setCurrentPreset(256)), "Invalid preset number: %u");
    EXPECT_EQ(errorText(protocol.setParameter(0x10000, 1.0f)), "Invalid message id: %d");
    EXPECT_EQ(errorText(protocol.setParameter(-1, 1.0f)), "Invalid message id: %d");
    EXPECT_TRUE(pedal.receivedPackets().empty());
    EXPECT_EQ(protocol.getState(), TonecrestProtocol::kStateRunning);
}

TEST_F(ProtocolTest, SetParameterCarriesIdAndFloatBitsAndIsSentEvenInTheErrorState)
{
    ASSERT_TRUE(protocol.setParameter(0x0123, -2.5f).ok);
    ASSERT_EQ(pedal.receivedPackets().size(), 1u);
    EXPECT_BYTES_EQ(bytes({ 0xC7, 8, 0x23, 0x01, 0, 0, 0x00, 0x00, 0x20, 0xC0 }), pedal.receivedPackets()[0]);
    EXPECT_FLOAT_EQ(pedal.parameterValues().at(0x123), -2.5f);

    breakConnection();
    ASSERT_TRUE(protocol.setParameter(3, 0.75f).ok);
    EXPECT_FLOAT_EQ(pedal.parameterValues().at(3), 0.75f);
    EXPECT_EQ(protocol.getState(), TonecrestProtocol::kStateError);
}

// ---- Version query ----------------------------------------------------------------------

TEST_F(ProtocolTest, VersionReplyIsParsedAndAMissingOrUnknownSubtypeIsMinusOne)
{
    pedal.setVersion({ 3, 4, 1 }, { 6, 2, 0 }, 2);
    TonecrestData::FirmwareVersionInfo info;
    ASSERT_TRUE(protocol.getFirmwareVersionInfo(info).ok);
    EXPECT_BYTES_EQ(bytes({ 0xB5, 0 }), pedal.receivedPackets().at(0));
    EXPECT_EQ(info.system, (std::array<uint8_t, 4> { 3, 4, 1, 0 }));
    EXPECT_EQ(info.dsp, (std::array<uint8_t, 4> { 6, 2, 0, 0 }));
    EXPECT_EQ(info.subType, 2);

    pedal.setVersion({ 1, 2, 3 }, { 4, 5, 6 }, -1); // 7-byte payload
    ASSERT_TRUE(protocol.getFirmwareVersionInfo(info).ok);
    EXPECT_EQ(info.subType, -1);
    EXPECT_EQ(info.dsp, (std::array<uint8_t, 4> { 4, 5, 6, 0 }));

    info.subType = 0;
    pedal.setVersion({ 1, 2, 3 }, { 4, 5, 6 }, 3);
    ASSERT_TRUE(protocol.getFirmwareVersionInfo(info).ok);
    EXPECT_EQ(info.subType, -1);
}

TEST_F(ProtocolTest, VersionFailuresNeverEnterTheErrorState)
{
    TonecrestData::FirmwareVersionInfo info;

    pedal.setVersionPayload({ 0xB5, 3, 4, 1, 6, 2 }); // too short
    EXPECT_EQ(errorText(protocol.getFirmwareVersionInfo(info)), "Malformed version response");
    pedal.setVersionPayload({ 0xB4, 3, 4, 1, 6, 2, 0, 1 }); // wrong echo
    EXPECT_EQ(errorText(protocol.getFirmwareVersionInfo(info)), "Malformed version response");

    pedal.addFault({ TonecrestProtocol::kVersionRequest, Fault::Nack });
    EXPECT_EQ(errorText(protocol.getFirmwareVersionInfo(info)), "Got NACK for version request");

    pedal.addFault({ TonecrestProtocol::kVersionRequest, Fault::Drop });
    EXPECT_EQ(errorText(protocol.getFirmwareVersionInfo(info)), "Timeout");

    EXPECT_EQ(protocol.getState(), TonecrestProtocol::kStateRunning);
    EXPECT_EQ(info.subType, -1); // untouched
}

// ---- Sticky error state ----------------------------------------------------------------------

TEST_F(ProtocolTest, ErrorStateRefusesTransactionsUntilCleared)
{
    breakConnection();

    bool responded = true;
    EXPECT_EQ(errorText(protocol.ping(responded)), "Invalid state");
    unsigned preset = 0;
    EXPECT_EQ(errorText(protocol.getCurrentPreset(preset)), "Invalid state");
    EXPECT_TRUE(pedal.receivedPackets().empty()) << "nothing goes out in the error state";

    protocol.clearError();
    EXPECT_EQ(protocol.getState(), TonecrestProtocol::kStateRunning);
    EXPECT_TRUE(protocol.ping(responded).ok);
    EXPECT_TRUE(responded);
}

TEST_F(ProtocolTest, MalformedReplyIsNoAnswerAndEntersTheErrorState)
{
    // The pedal answers before the sender waits, so the request sees either the error state
    // on its way into the wait or its time-out; it never takes the malformed packet as a reply.
    pedal.addFault({ TonecrestProtocol::kProgramChange, Fault::Malformed });
    const std::string outcome = errorText(protocol.setCurrentPreset(4));
    EXPECT_TRUE(outcome == "Timeout" || outcome == "Disconnect/error while waiting") << outcome;
    EXPECT_EQ(protocol.getState(), TonecrestProtocol::kStateError);

    bool responded = true;
    EXPECT_EQ(errorText(protocol.ping(responded)), "Invalid state");
    EXPECT_FALSE(responded);
}

TEST_F(ProtocolTest, ReplyOfAnUnacceptedTypeIsIgnored)
{
    // A program reply answers no ping: the ping goes unanswered, the connection stays up.
    pedal.addFault({ TonecrestProtocol::kPing, Fault::WrongType, 0, 1, TonecrestProtocol::kProgramReply });
    bool responded = true;
    EXPECT_TRUE(protocol.ping(responded).ok);
    EXPECT_FALSE(responded);
    EXPECT_EQ(protocol.getState(), TonecrestProtocol::kStateRunning);
}

TEST_F(ProtocolTest, UnplugWakesTheWaitingTransactionAtOnce)
{
    RecordingProtocolHandler handler;
    protocol.setHandler(&handler);
    pedal.addFault({ TonecrestProtocol::kProgramRequest, Fault::Unplug });

    unsigned preset = 0;
    // Woken by the transport's state change, not by the time-out ("Timeout").
    EXPECT_EQ(errorText(protocol.getCurrentPreset(preset)), "Disconnect/error while waiting");
    EXPECT_EQ(protocol.getState(), TonecrestProtocol::kStateError);
    EXPECT_EQ(handler.statesSeen().back(), TonecrestProtocol::kStateError);

    protocol.setHandler(nullptr);
}

TEST_F(ProtocolTest, FailedSendEntersTheErrorState)
{
    link.device.setWriteResult(-1);
    EXPECT_EQ(errorText(protocol.setCurrentPreset(2)), "hid_write failed with %d");
    EXPECT_EQ(protocol.getState(), TonecrestProtocol::kStateError);
}

// ---- Transaction engine (scripted transport) ----------------------------------------------------

class ProtocolEngineTest : public ::testing::Test
{
protected:
    /** A ping waiting up to timeoutMs for an acknowledgement. */
    Result ping(TonecrestProtocol::MessageBuffer& reply, unsigned timeoutMs, bool& gotReply)
    {
        return protocol.doPacketTransactionWithTimeout(reply, { 0xC0 }, timeoutMs, gotReply, [this](int) {
            const uint8_t packet[] = { 0xB4, 0 };
            return io.sendPacket(packet, sizeof packet);
        });
    }

    ScriptedPacketIO io;
    TonecrestProtocol protocol { &io, 0 };
};

TEST_F(ProtocolEngineTest, ReplyBeforeTheWaitCompletesTheTransaction)
{
    io.setScript([](const std::vector<uint8_t>&, ScriptedPacketIO& script) { script.deliver(bytes({ 0xCC, 1, 42 })); });
    unsigned preset = 0;
    ASSERT_TRUE(protocol.getCurrentPreset(preset).ok);
    EXPECT_EQ(preset, 42u);
}

TEST_F(ProtocolEngineTest, NotificationsGoToTheHandlerOnlyInOrOutOfATransaction)
{
    RecordingProtocolHandler handler;
    protocol.setHandler(&handler);
    io.deliver(bytes({ 0xCE, 1, 0x11 }));
    io.setScript([](const std::vector<uint8_t>&, ScriptedPacketIO& script) {
        script.deliver(bytes({ 0xCE, 2, 0xAA, 0xBB }));
        script.deliver(bytes({ 0xCC, 1, 7 }));
    });

    unsigned preset = 0;
    ASSERT_TRUE(protocol.getCurrentPreset(preset).ok);
    EXPECT_EQ(preset, 7u);
    EXPECT_EQ(handler.notificationsSeen(), (std::vector<std::vector<uint8_t>> { { 0x11 }, { 0xAA, 0xBB } }));
    EXPECT_EQ(protocol.getState(), TonecrestProtocol::kStateRunning);
    protocol.setHandler(nullptr);
}

TEST_F(ProtocolEngineTest, OnlyTheFirstAcceptedReplyIsKept)
{
    io.setScript([](const std::vector<uint8_t>&, ScriptedPacketIO& script) {
        script.deliver(bytes({ 0xC0, 1, 0xAA }));
        script.deliver(bytes({ 0xC0, 1, 0xBB }));
    });

    uint8_t reply[64] = {};
    TonecrestProtocol::MessageBuffer buffer { reply, sizeof reply };
    bool gotReply = false;
    ASSERT_TRUE(ping(buffer, 1000, gotReply).ok);
    EXPECT_TRUE(gotReply);
    EXPECT_BYTES_EQ(bytes({ 0xC0, 1, 0xAA }), std::vector<uint8_t>(reply, reply + 3));
}

TEST_F(ProtocolEngineTest, ReplyLargerThanTheBufferFails)
{
    io.setScript([](const std::vector<uint8_t>&, ScriptedPacketIO& script) {
        script.deliver(bytes({ 0xC0, 8, 1, 2, 3, 4, 5, 6, 7, 8 }));
    });

    std::vector<uint8_t> reply(8, 0xEE);
    TonecrestProtocol::MessageBuffer buffer { reply.data(), 4 };
    bool gotReply = false;
    EXPECT_EQ(errorText(ping(buffer, 1000, gotReply)), "Buffer too small: %d > %d");
    EXPECT_TRUE(gotReply);
    EXPECT_BYTES_EQ(std::vector<uint8_t>(8, 0xEE), reply);
}

TEST_F(ProtocolEngineTest, MalformedPacketDoesNotWakeAWaitingTransaction)
{
    // The malformed packet comes well after the request, while the sender is waiting.
    std::thread latePedal;
    io.setScript([&latePedal](const std::vector<uint8_t>&, ScriptedPacketIO& script) {
        latePedal = std::thread([&script] {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            script.deliver(bytes({ 0xC0, 0x3F }));
        });
    });

    uint8_t reply[64] = {};
    TonecrestProtocol::MessageBuffer buffer { reply, sizeof reply };
    bool gotReply = true;
    Result result = ping(buffer, 1500, gotReply);
    latePedal.join();

    EXPECT_TRUE(result.ok) << errorText(result) << ": ended by its time-out, not woken";
    EXPECT_FALSE(gotReply);
    EXPECT_EQ(protocol.getState(), TonecrestProtocol::kStateError);
}

TEST_F(ProtocolEngineTest, UnhandledPacketIsLoggedAndShortReportEntersErrorStateAndResetsTheTransport)
{
    CapturedLog log;
    io.deliver(bytes({ 0xCC, 1, 3 }));
    EXPECT_TRUE(log.contains("Unhandled packet!"));
    EXPECT_EQ(protocol.getState(), TonecrestProtocol::kStateRunning);
    io.deliver(bytes({ 0xC0 }));
    EXPECT_TRUE(log.contains("Short packet/msg!"));
    EXPECT_EQ(protocol.getState(), TonecrestProtocol::kStateError);
    EXPECT_EQ(io.resetCount(), 1);
}

TEST_F(ProtocolEngineTest, TransportStatesDriveTheProtocolState)
{
    RecordingProtocolHandler handler;
    protocol.setHandler(&handler);

    io.reportState(IDevicePacketIO::kStateStopped);
    unsigned preset = 0;
    EXPECT_EQ(errorText(protocol.getCurrentPreset(preset)), "Invalid state");
    EXPECT_EQ(protocol.getState(), TonecrestProtocol::kStateStopped) << "a refused request leaves state 0 as it is";

    io.reportState(IDevicePacketIO::kStateError);
    EXPECT_EQ(protocol.getState(), TonecrestProtocol::kStateError);

    // A transport that runs again ends the error state.
    io.reportState(IDevicePacketIO::kStateRunning);
    EXPECT_EQ(protocol.getState(), TonecrestProtocol::kStateRunning);

    EXPECT_EQ(handler.statesSeen(), (std::vector<int> { 0, 2, 1 }));
    protocol.setHandler(nullptr);
}

TEST_F(ProtocolEngineTest, MalformedProgramReplyIsNotTakenAsPresetZero)
{
    io.setScript([](const std::vector<uint8_t>&, ScriptedPacketIO& script) { script.deliver(bytes({ 0xCC, 0 })); });
    unsigned preset = 55;
    EXPECT_EQ(errorText(protocol.getCurrentPreset(preset)), "Malformed program reply");
    EXPECT_EQ(preset, 55u);
    EXPECT_EQ(protocol.getState(), TonecrestProtocol::kStateError);
}
