#pragma once

#include "SimulatedHIDDevice.h"
#include "TonecrestData.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace Tonecrest::Testing
{

/** The pedal's normal-mode firmware, answering packets the way the real pedal does: ping,
    version query, program change and request, parameter writes, block reads and writes of
    every data type, writebacks and unsolicited notifications.

    It sits behind a SimulatedHIDDevice's output handler, so it sees exactly the bytes the
    editor writes and answers with 64-byte input reports through the same device. Replies are
    queued while the editor's write is still running, as a fast pedal would.

    Tests inject faults per received packet type (NACK, dropped, malformed or wrongly typed
    replies, unplugging), read back everything received, and inspect the stored blocks,
    parameters and writebacks.

    Thread-safe. The device must outlive the pedal, and the pedal must outlive every writer to
    the device (delete the protocol and transport first). */
class SimulatedPedal
{
public:
    enum class Fault
    {
        Nack,      // answer NACK without acting on the packet
        Drop,      // act as if the packet never arrived: no effect, no reply
        Malformed, // act on it, but the reply declares a length beyond the report
        WrongType, // act on it, but the reply carries FaultRule::replyType as its type
        Unplug     // the pedal goes away on receiving the packet
    };

    static constexpr int kAlways = -1;

    struct FaultRule
    {
        uint8_t packetType = 0;
        Fault fault = Fault::Nack;
        /** Matching packets answered normally before the fault applies. */
        int skip = 0;
        /** Matching packets the fault applies to; kAlways for every one. */
        int times = 1;
        /** The type a WrongType reply carries (program reply: accepted by no other request). */
        uint8_t replyType = 0xCC;
    };

    struct BlockWrite
    {
        unsigned type;
        unsigned index;
        std::vector<uint8_t> data;
        unsigned wordCount; // as the end packet declared it
        uint16_t checksum;  // as the end packet declared it
    };

    struct Writeback
    {
        unsigned type;
        unsigned index;
    };

    struct ParameterWrite
    {
        unsigned messageId;
        float value;
    };

    explicit SimulatedPedal(SimulatedHIDDevice& device);
    ~SimulatedPedal();

    SimulatedPedal(const SimulatedPedal&) = delete;
    SimulatedPedal& operator=(const SimulatedPedal&) = delete;

    // ---- Identity ------------------------------------------------------------------------

    /** subType below 0 leaves the subtype byte out of the version reply (older firmware). */
    void setVersion(std::array<uint8_t, 3> system, std::array<uint8_t, 3> dsp, int subType);
    /** Replaces the whole version reply payload (for malformed replies). */
    void setVersionPayload(std::vector<uint8_t> payload);

    // ---- Program and parameters ------------------------------------------------------------

    void setCurrentPreset(unsigned preset);
    unsigned currentPreset() const;
    /** Last value written per message id. */
    std::map<unsigned, float> parameterValues() const;
    std::vector<ParameterWrite> parameterWrites() const;

    // ---- Stored blocks ---------------------------------------------------------------------

    /** A type's block size in bytes; 0 for a type the pedal does not know. */
    static size_t blockSize(unsigned type);
    static bool isValidIndex(unsigned type, unsigned index);

    /** Stores bytes as the block (any size: reads send exactly these bytes). */
    void setBlock(unsigned type, unsigned index, std::vector<uint8_t> data);
    /** The stored block, or the pedal's factory content for the type. */
    std::vector<uint8_t> block(unsigned type, unsigned index) const;
    bool hasStoredBlock(unsigned type, unsigned index) const;

    // Convenience through the device block codecs.
    void setGlobals(const TonecrestData::ParameterMap& globals);
    void setPresetName(unsigned preset, const std::string& name);
    void setPresetParams(unsigned preset, const TonecrestData::ParameterMap& params);
    void setAmpModelInfo(unsigned model, const TonecrestData::AmpModelInfo& info);
    void setCabinetName(unsigned type, unsigned index, const std::string& name);
    void setCabinetSamples(unsigned type, unsigned index, const TonecrestData::Cabinet& cabinet);

    /** Every completed write, in order. */
    std::vector<BlockWrite> blockWrites() const;
    std::vector<Writeback> writebacks() const;

    // ---- Unsolicited input -------------------------------------------------------------------

    void sendNotification(const std::vector<uint8_t>& payload);
    /** Any input report, as it is (zero padded to 64 bytes by the device). */
    void sendRawReport(std::vector<uint8_t> report);

    // ---- Faults and recording ------------------------------------------------------------

    void addFault(const FaultRule& rule);
    void clearFaults();

    /** Every packet received, each cut to its declared length (at most 64 bytes). */
    std::vector<std::vector<uint8_t>> receivedPackets() const;
    std::vector<std::vector<uint8_t>> receivedPacketsOfType(uint8_t type) const;
    void clearReceivedPackets();

private:
    using Reply = std::optional<std::vector<uint8_t>>;

    enum class TransferState
    {
        Idle,
        Reading,
        Writing
    };

    void onOutputReport(const std::vector<uint8_t>& report);
    /** Acts on one packet and returns the reply, if the packet gets one. Mutex held. */
    Reply handlePacket(const std::vector<uint8_t>& packet);
    Reply handleReadRequest(const uint8_t* payload, size_t length);
    Reply handleAck();
    Reply handleWriteEnd(const uint8_t* payload, size_t length);
    Reply handleWriteback(const uint8_t* payload, size_t length);
    /** The fault that applies to this packet, consuming one use of its rule. Mutex held. */
    std::optional<FaultRule> takeFault(uint8_t packetType);
    std::vector<uint8_t> blockLocked(unsigned type, unsigned index) const;

    SimulatedHIDDevice& device;

    mutable std::mutex mutex;
    std::vector<uint8_t> versionPayload;
    unsigned current = 0;
    std::map<unsigned, float> parameters;
    std::vector<ParameterWrite> parameterLog;
    std::map<std::pair<unsigned, unsigned>, std::vector<uint8_t>> blocks;
    std::vector<BlockWrite> writeLog;
    std::vector<Writeback> writebackLog;
    std::vector<FaultRule> faults;
    std::vector<std::vector<uint8_t>> received;

    TransferState transfer = TransferState::Idle;
    unsigned readType = 0;
    unsigned readIndex = 0;
    std::vector<uint8_t> readBuffer;
    size_t readOffset = 0;
    std::vector<uint8_t> writeBuffer;
};

} // namespace Tonecrest::Testing
