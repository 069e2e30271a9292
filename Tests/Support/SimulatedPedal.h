#pragma once

#include "SimulatedHIDDevice.h"
#include "TonecrestData.h"

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace Tonecrest::Testing
{

class WireTrace;

/** The pedal's normal-mode firmware, answering packets the way the real pedal does: ping,
    version query, program change and request, parameter writes, block reads and writes of
    every data type, writebacks, DSP firmware loading and unsolicited notifications.

    It sits behind a SimulatedHIDDevice's output handler, so it sees exactly the bytes the
    editor writes and answers with 64-byte input reports through the same device. Replies are
    queued while the editor's write is still running, as a fast pedal would. It is strict:
    a packet whose length, address, size or checksum is off is refused with a NACK (or, for
    the packets that get no reply, ignored), so a host that drifts from the wire format fails
    a test instead of passing by luck.

    What it stores, as the pedal does: 128 presets (parameter list, name, cabinet) plus the
    edit buffer (preset 128), 32 user cabinets, the globals, 256 amp-model slots and the
    current cabinet. A completed block write is only staged; a writeback commits staged
    blocks to storage. Reads see the staged copy (the pedal works from it), so a test tells a
    committed change from an uncommitted one through the Stored and Working copies. The edit
    buffer and the current cabinet are live state, never written back: writes to them apply
    at once. Parameter writes change the edit buffer or the globals directly, and a program
    change loads the preset and its cabinet into the edit buffer and the current cabinet.

    Tests inject faults per received packet type (NACK, silence, malformed or wrongly typed
    replies, unplugging) and per report through the device, read back everything received,
    and populate or compare the content through records.

    When the environment variable TONECREST_WIRE_TRACE names a file, every report is appended
    to it (see WireTrace).

    Thread-safe. The device must outlive the pedal, and the pedal must outlive every writer to
    the device (delete the protocol and transport first). */
class SimulatedPedal
{
public:
    static constexpr unsigned kPresetCount = 128;
    static constexpr unsigned kEditBuffer = 128;
    static constexpr unsigned kUserCabinetCount = 32;
    static constexpr unsigned kAmpModelCount = 256;
    static constexpr unsigned kWritebackAllIndex = 65535;
    static constexpr unsigned kWritebackAmpModelsIndex = 65534;
    static constexpr uint32_t kFirmwareStartMagic = 0xA75E913C;
    /** More than any DSP image the pedal's loader has room for; a longer one is refused. */
    static constexpr size_t kMaxDSPImageBytes = 4u << 20;

    enum class Fault
    {
        Nack,        // answer NACK without acting on the packet
        Drop,        // act as if the packet never arrived: no effect, no reply
        Malformed,   // act on it, but the reply declares a length beyond the report
        ShortReport, // act on it, but the reply is a one-byte report
        WrongType,   // act on it, but the reply carries FaultRule::replyType as its type
        Unplug,      // the pedal goes away on receiving the packet
        Ignore       // answer ACK without acting on the packet
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

    /** Which copy of a stored block: what survives a restart, or what the pedal works from
        (a staged write when there is one). */
    enum class Copy
    {
        Stored,
        Working
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

    /** Where a parameter write lands: a key of the edit buffer's or the globals' list. */
    struct ParameterRoute
    {
        enum class Target
        {
            EditBuffer,
            Globals
        };
        Target target;
        uint32_t storageKey;
    };
    using ParameterRouter = std::function<std::optional<ParameterRoute>(unsigned messageId)>;

    /** One DSP image as it arrived: the DSP named by its firmware start and the chunk bytes. */
    struct DSPImage
    {
        unsigned dsp;
        std::vector<uint8_t> bytes;
    };

    /** formatVariant 1: an older pedal whose preset lists are 128 pairs (1024 bytes). */
    explicit SimulatedPedal(SimulatedHIDDevice& device, unsigned formatVariant = 0);
    ~SimulatedPedal();

    SimulatedPedal(const SimulatedPedal&) = delete;
    SimulatedPedal& operator=(const SimulatedPedal&) = delete;

    // ---- Power -----------------------------------------------------------------------------

    /** The pedal enumerated again (a new device node after a restart): it answers through
        this device from now on, keeping everything it stores. The previous device is left
        without an answering pedal. */
    void attach(SimulatedHIDDevice& device);

    /** A power cycle: staged blocks and transfers in flight are lost, the current preset and
        its cabinet are loaded into the edit buffer, and the start-up period begins. */
    void restart(std::chrono::milliseconds startupPeriod = std::chrono::milliseconds(0));

    // ---- Identity ------------------------------------------------------------------------

    /** subType below 0 leaves the subtype byte out of the version reply (older firmware). */
    void setVersion(std::array<uint8_t, 3> system, std::array<uint8_t, 3> dsp, int subType);
    /** Replaces the whole version reply payload (for malformed replies). */
    void setVersionPayload(std::vector<uint8_t> payload);

    // ---- Program and parameters ------------------------------------------------------------

    /** Sets the current preset number only; the edit buffer is left as it is. */
    void setCurrentPreset(unsigned preset);
    unsigned currentPreset() const;

    /** Last value written per message id (every well-formed write, routed or not). */
    std::map<unsigned, float> parameterValues() const;
    std::vector<ParameterWrite> parameterWrites() const;
    static std::optional<ParameterRoute> routeFromParameterTable(unsigned messageId);

    // ---- Stored blocks ---------------------------------------------------------------------

    unsigned formatVariant() const { return variant; }
    /** A type's block size in bytes on this pedal; 0 for a type the pedal does not know. */
    size_t blockBytes(unsigned type) const;
    static bool isValidIndex(unsigned type, unsigned index);
    /** The edit buffer and the current cabinet: applied at once, never written back. */
    static bool isLiveBlock(unsigned type, unsigned index);

    /** Stores bytes as the block, dropping any staged copy (any size: reads send exactly
        these bytes). */
    void setBlock(unsigned type, unsigned index, std::vector<uint8_t> data);
    /** The working copy: what a read sends. */
    std::vector<uint8_t> block(unsigned type, unsigned index) const;
    std::vector<uint8_t> block(unsigned type, unsigned index, Copy copy) const;
    std::vector<uint8_t> storedBlock(unsigned type, unsigned index) const;
    std::optional<std::vector<uint8_t>> stagedBlock(unsigned type, unsigned index) const;
    /** Every staged (written, not yet committed) block as (type, index), ascending. */
    std::vector<std::pair<unsigned, unsigned>> stagedBlocks() const;
    /** True once the block was set or committed (not the factory content). */
    bool hasStoredBlock(unsigned type, unsigned index) const;

    // ---- Records -----------------------------------------------------------------------------
    // Setters store (as a factory or a previous session left them); getters decode the pedal's
    // own blocks. Preset 128 is the edit buffer: its cabinet is the current cabinet and it has
    // no name.

    void setPreset(unsigned preset, const TonecrestData::Preset& content);
    /** Parameters, name and cabinet (always present: the pedal always has one). */
    TonecrestData::Preset preset(unsigned preset, Copy copy = Copy::Stored) const;
    void setPresetParams(unsigned preset, const TonecrestData::ParameterMap& params);
    TonecrestData::ParameterMap presetParams(unsigned preset, Copy copy = Copy::Stored) const;
    void setPresetName(unsigned preset, const std::string& name);
    std::string presetName(unsigned preset, Copy copy = Copy::Stored) const;
    void setPresetCabinet(unsigned preset, const TonecrestData::Cabinet& cabinet);
    TonecrestData::Cabinet presetCabinet(unsigned preset, Copy copy = Copy::Stored) const;

    void setUserCabinet(unsigned cabinet, const TonecrestData::Cabinet& content);
    TonecrestData::Cabinet userCabinet(unsigned cabinet, Copy copy = Copy::Stored) const;
    void setCurrentCabinet(const TonecrestData::Cabinet& cabinet);
    TonecrestData::Cabinet currentCabinet() const;

    void setGlobals(const TonecrestData::ParameterMap& globals);
    TonecrestData::ParameterMap globals(Copy copy = Copy::Stored) const;

    /** Info, parameter block and both data blocks of the slot (the alternate set is not
        kept by the pedal). */
    void setAmpModel(unsigned model, const TonecrestData::AmpModel& content);
    TonecrestData::AmpModel ampModel(unsigned model, Copy copy = Copy::Stored) const;
    void setAmpModelInfo(unsigned model, const TonecrestData::AmpModelInfo& info);
    TonecrestData::AmpModelInfo ampModelInfo(unsigned model, Copy copy = Copy::Stored) const;

    /** Name and samples blocks of cabinet types 9/10, 12/13 or 14/15 by the name type. */
    void setCabinetName(unsigned type, unsigned index, const std::string& name);
    void setCabinetSamples(unsigned type, unsigned index, const TonecrestData::Cabinet& cabinet);

    /** Every completed write, in order. */
    std::vector<BlockWrite> blockWrites() const;
    /** Every accepted writeback, in order. */
    std::vector<Writeback> writebacks() const;

    // ---- DSP firmware --------------------------------------------------------------------------

    /** Every image transfer begun by an accepted firmware start, in order, with the bytes
        that arrived (complete or not). */
    std::vector<DSPImage> receivedDSPImages() const;
    /** The image the DSP runs: the last one it received before a firmware-done message. */
    std::optional<std::vector<uint8_t>> loadedDSPImage(unsigned dsp) const;
    int firmwareDoneCount() const;
    /** Called after each accepted firmware-done message, on the writing thread without the
        pedal's lock (the place to script the pedal leaving the bus as its DSPs restart). */
    void setFirmwareDoneHandler(std::function<void()> handler);

    // ---- Unsolicited input -------------------------------------------------------------------

    void sendNotification(const std::vector<uint8_t>& payload);
    /** Any input report, as it is (zero padded to 64 bytes by the device). */
    void sendRawReport(std::vector<uint8_t> report);

    // ---- Faults, trace and recording ------------------------------------------------------

    void addFault(const FaultRule& rule);
    /** The fault hits the nth (1 = the next) packet of the type the pedal receives. */
    void addFaultAt(uint8_t packetType, int nth, Fault fault, uint8_t replyType = 0xCC);
    void clearFaults();

    /** Adds "# text" to the wire trace, when there is one (names a test case in the trace). */
    void traceComment(const std::string& text);

    /** Every packet received, each cut to its declared length (at most 64 bytes). */
    std::vector<std::vector<uint8_t>> receivedPackets() const;
    std::vector<std::vector<uint8_t>> receivedPacketsOfType(uint8_t type) const;
    void clearReceivedPackets();

private:
    using Reply = std::optional<std::vector<uint8_t>>;
    using BlockKey = std::pair<unsigned, unsigned>;
    using Clock = std::chrono::steady_clock;

    enum class TransferState
    {
        Idle,
        Reading,
        Writing
    };

    void onOutputReport(SimulatedHIDDevice& source, const std::vector<uint8_t>& report);
    /** Records the packet and answers it through source. Mutex held. */
    void respondLocked(SimulatedHIDDevice& source, const std::vector<uint8_t>& report);
    /** Acts on one packet and returns the reply, if the packet gets one. Mutex held. */
    Reply handlePacket(const std::vector<uint8_t>& packet);
    Reply handleReadRequest(const uint8_t* payload, size_t length);
    Reply handleAck(size_t length);
    Reply handleDataChunk(const uint8_t* payload, size_t length);
    Reply handleWriteEnd(const uint8_t* payload, size_t length);
    Reply handleWriteback(const uint8_t* payload, size_t length);
    void handleSetParameter(const uint8_t* payload, size_t length);
    Reply handleFirmwareStart(const uint8_t* payload, size_t length);
    Reply handleFirmwareChunk(const uint8_t* payload, size_t length);
    void handleFirmwareDone(size_t length);
    /** The fault that applies to this packet, consuming one use of its rule. Mutex held. */
    std::optional<FaultRule> takeFault(uint8_t packetType);

    // Mutex held for all of these.
    std::vector<uint8_t> factoryBlock(unsigned type) const;
    std::vector<uint8_t> storedLocked(unsigned type, unsigned index) const;
    std::vector<uint8_t> workingLocked(unsigned type, unsigned index) const;
    std::vector<uint8_t> blockLocked(unsigned type, unsigned index, Copy copy) const;
    void storeLocked(unsigned type, unsigned index, std::vector<uint8_t> data);
    void commitLocked(unsigned type, unsigned index);
    /** Commits every staged block of the types. */
    void commitAllLocked(std::initializer_list<unsigned> types);
    void loadPresetLocked(unsigned preset);

    /** A record setter's block, checked against the pedal's address range. */
    void storeChecked(unsigned type, unsigned index, std::vector<uint8_t> data);
    TonecrestData::Cabinet cabinet(unsigned nameType, unsigned index, Copy copy) const;

    SimulatedHIDDevice* device;
    const unsigned variant;
    std::shared_ptr<WireTrace> trace;

    mutable std::mutex mutex;
    Clock::time_point silentUntil {};
    std::vector<uint8_t> versionPayload;
    unsigned current = 0;
    std::map<unsigned, float> parameters;
    std::vector<ParameterWrite> parameterLog;
    ParameterRouter router;
    std::map<BlockKey, std::vector<uint8_t>> stored;
    std::map<BlockKey, std::vector<uint8_t>> staged;
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

    std::vector<DSPImage> dspImages;
    bool dspImageOpen = false;   // the last received image still takes chunks
    size_t dspSessionStart = 0;  // first image since the last firmware-done message
    std::map<unsigned, std::vector<uint8_t>> loadedImages;
    int firmwareDones = 0;
    bool firmwareDoneArrived = false; // set by the packet being handled
    std::function<void()> firmwareDoneHandler;
};

} // namespace Tonecrest::Testing
