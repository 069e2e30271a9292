#pragma once

#include "IDevicePacketIO.h"
#include "Result.h"
#include "TonecrestData.h"

#include <array>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace Tonecrest
{

/** The pedal's packet protocol over one packet transport: request/reply transactions, block
    transfers of typed data, parameter writes, program change, ping and version query.

    Every public operation blocks until done and is meant for the editor service's task
    worker thread; they are serialised by the transaction mutex, so at most one request is
    outstanding. The mutex is recursive, so the block sequences and the transaction engine
    serialise themselves when called alone and nest inside the typed operations. Replies arrive on the transport's reader thread (onPacketReceived), are
    matched by the waiting transaction's reply filter and wake it through a condition variable.

    The connection state is 1 (running), 0 (transport stopped) or 2 (error). The error state is
    sticky: once a malformed packet, a time-out or a refused transfer has left the pedal's side
    of the conversation unknown, every transaction fails with "Invalid state" until the
    transport reports running again or clearError() is called.

    Lock order: transaction mutex, then state mutex. On the reader thread: the transport's
    mutex, then the state mutex. */
class TonecrestProtocol : private IDevicePacketIO::Handler
{
public:
    // Packet layout: [type][payload length][payload], at most one 64-byte HID report.
    static constexpr size_t kMaxPacketSize = 64;
    static constexpr size_t kHeaderSize = 2;
    static constexpr size_t kMaxPayloadSize = kMaxPacketSize - kHeaderSize; // 62
    /** The longest block a transfer can carry: its end packet counts 32-bit words in 16 bits. */
    static constexpr size_t kMaxTransferBytes = 0xFFFF * 4;
    /** The most chunks that longest block needs, each as full as a packet allows. */
    static constexpr size_t kMaxTransferChunks = (kMaxTransferBytes + kMaxPayloadSize - 1) / kMaxPayloadSize;

    enum PacketType : uint8_t
    {
        kFirmwareStart = 0xB1,
        kFirmwareChunk = 0xB2,
        kFirmwareDone = 0xB3,
        kPing = 0xB4,
        kVersionRequest = 0xB5,
        kAck = 0xC0,
        kNack = 0xC1,
        kTransferStart = 0xC2,
        kDataChunk = 0xC3,
        kTransferEnd = 0xC4,
        kReadRequest = 0xC5,
        kWriteback = 0xC6,
        kSetParameter = 0xC7,
        kProgramChange = 0xC9,
        kProgramRequest = 0xCA,
        kProgramReply = 0xCC,
        kNotification = 0xCE
    };

    enum State
    {
        kStateStopped = 0,
        kStateRunning = 1,
        kStateError = 2
    };

    /** Data type codes of the block transfers (4 and 11 are unused). */
    enum DataType : unsigned
    {
        kDataGlobals = 1,
        kDataPresetName = 2,
        kDataPresetParams = 3,
        kDataAmpModelInfo = 5,
        kDataAmpModelParams = 6,
        kDataAmpModelData = 7,
        kDataAmpModelExtra = 8,
        kDataUserCabinetName = 9,
        kDataUserCabinetData = 10,
        kDataPresetCabinetName = 12,
        kDataPresetCabinetData = 13,
        kDataCurrentCabinetName = 14,
        kDataCurrentCabinetData = 15
    };

    /** Writeback indexes with a fixed meaning: commit every block of the type, and the
        amp-model list as a whole. */
    static constexpr unsigned kWritebackAllIndex = 65535;
    static constexpr unsigned kWritebackAmpModelsIndex = 65534;

    /** The largest block the typed operations move (cabinet samples, amp data). */
    static constexpr size_t kMaxBlockBytes = 8192;

    /** Receives what the protocol passes on from the transport. Called on the reader thread
        with the transport mutex and the protocol's state mutex held: record and return, never
        call back into the protocol or the transport. */
    class Handler
    {
    public:
        virtual ~Handler() = default;
        /** Not called by the protocol; kept for handlers that track the device's lifetime. */
        virtual void onConnected() {}
        virtual void onDisconnected() {}
        /** The transport reported state 0, 1 or 2. */
        virtual void onTransportStateChanged(int state) = 0;
        /** An unsolicited notification packet (0xCE); the payload is opaque. */
        virtual void onNotification(const uint8_t* payload, size_t length) = 0;
    };

    /** Where a transaction copies its accepted reply (type, length and payload). */
    struct MessageBuffer
    {
        uint8_t* data;
        size_t capacity;
    };

    /** Becomes the transport's handler, which reports the transport's state at once.
        formatVariant 1 selects the 128-pair preset list of older pedals. Message thread. */
    TonecrestProtocol(IDevicePacketIO* packetIO, unsigned formatVariant);
    /** Detaches from the transport first. No operation may be running. */
    ~TonecrestProtocol() override;

    TonecrestProtocol(const TonecrestProtocol&) = delete;
    TonecrestProtocol& operator=(const TonecrestProtocol&) = delete;

    /** The service passes itself on connect and null on disconnect. Any thread. */
    Result setHandler(Handler* newHandler);

    /** Leaves the error state (2 becomes 1); waits for a running operation to end first. */
    void clearError();

    /** 0 stopped, 1 running, 2 error. Any thread. */
    int getState() const;

    unsigned getFormatVariant() const { return formatVariant; }

    // ---- Transactions ------------------------------------------------------------------

    /** Sends one request through `send` (called once, with 0) and waits up to timeoutMs for
        a packet whose type is in acceptedTypes, copied whole into `reply`. Ends well with
        gotReply false when nothing came in time; the caller decides what that means. */
    Result doPacketTransactionWithTimeout(MessageBuffer& reply, std::vector<uint8_t> acceptedTypes,
                                          unsigned timeoutMs, bool& gotReply, std::function<Result(int)> send);

    /** The same with the transaction time-out; no reply in time is "Timeout". */
    Result doPacketTransaction(MessageBuffer& reply, std::vector<uint8_t> acceptedTypes,
                               std::function<Result(int)> send);

    // ---- Requests ----------------------------------------------------------------------

    /** Program change to preset 0..255. */
    Result setCurrentPreset(unsigned preset);
    Result getCurrentPreset(unsigned& preset);

    /** responded is true only when the pedal acknowledged within the ping time-out; silence
        and a NACK are a success with responded false. */
    Result ping(bool& responded);

    /** Never leaves the error state behind: a pedal that cannot tell its version may still
        take a firmware update. */
    Result getFirmwareVersionInfo(TonecrestData::FirmwareVersionInfo& info);

    /** One set-parameter packet, no reply awaited and sent whatever the state: the value is
        already in device units. */
    Result setParameter(int messageId, float value);

    // ---- DSP firmware ------------------------------------------------------------------

    /** The constant the firmware start carries after the DSP number. */
    static constexpr uint32_t kFirmwareStartMagic = 0xA75E913C;

    /** Loads one DSP: the firmware start, then the image in chunks of up to 62 bytes, each
        acknowledged (an empty image goes as one empty chunk). progress (may be empty) gets
        the share of the image sent after each chunk goes out, before its acknowledgement;
        an empty image reports 1.0. A NACK to the start is "Got NACK for firmware start" and
        leaves the state as it was; any other failure enters the error state. Needs the
        transaction mutex held, or nothing else using the protocol. Task worker thread. */
    Result sendFirmwareForSingleDSP(unsigned dsp, const uint8_t* image, size_t length,
                                    std::function<void(double)> progress);

    /** Both DSP images in turn (DSP 0 reports 0..0.5, DSP 1 0.5..1), then the firmware-done
        message, which gets no reply. The first failure is returned and nothing after it is
        sent. Holds the transaction mutex throughout; progress runs on the calling thread (the
        task worker). */
    Result updateDSPFirmware(const TonecrestData::FirmwareData& images, std::function<void(double)> progress);

    // ---- Block transfers ---------------------------------------------------------------

    /** Reads one block into buffer. Bytes beyond capacity are dropped; bytesRead is the total
        the pedal sent, which may exceed capacity. */
    Result readData(unsigned type, unsigned index, void* buffer, size_t capacity, size_t& bytesRead);

    /** Writes one block (a whole number of 32-bit words) in 62-byte chunks, then the end
        packet with the word count and checksum. A NACK to the start leaves the state as it
        was: the pedal refused before anything changed. */
    Result sendData(unsigned type, unsigned index, const void* data, size_t length);

    /** Asks the pedal to commit a written block to its storage. */
    Result writebackData(unsigned type, unsigned index);

    /** sendData, then the writeback at once, or recorded for the next flushWritebacks when
        writebacks are deferred or not wanted now. */
    Result sendDataAndWriteback(unsigned type, unsigned index, const void* data, size_t length, bool writeback);

    void beginDeferredWritebacks();
    /** Stops deferring and forgets pending writebacks without sending them. */
    void endDeferredWritebacks();
    /** One writeback (index 65535) per pending type, ascending. On failure the pending set is
        kept for the next flush. */
    Result flushWritebacks();
    Result writebackAmpModels();

    /** Data types recorded for the next flush (tests and diagnostics). */
    std::set<unsigned> getPendingWritebackTypes();

    // ---- Typed operations ----------------------------------------------------------------
    // Reads leave the record unchanged when they fail. Writes encode first and send nothing
    // when encoding fails ("Too many params").

    Result readGlobals(TonecrestData::ParameterMap& globals);
    Result writeGlobals(const TonecrestData::ParameterMap& globals);

    Result readPresetName(unsigned preset, std::string& name);
    Result writePresetName(unsigned preset, const std::string& name);

    /** Fills the preset's parameter map; index 128 is the pedal's edit buffer. */
    Result readPreset(unsigned preset, TonecrestData::Preset& target);
    Result writePreset(unsigned preset, const TonecrestData::ParameterMap& params);

    Result readAmpModelInfo(unsigned model, TonecrestData::AmpModelInfo& info);
    Result writeAmpModelInfo(unsigned model, const TonecrestData::AmpModelInfo& info, bool writeback);
    Result writeAmpModelParams(unsigned model, const TonecrestData::AmpModelParams& params, bool writeback);
    Result writeAmpModelData(unsigned model, const std::array<uint32_t, TonecrestData::ampDataWords1Count>& words,
                             bool writeback);
    Result writeAmpModelExtra(unsigned model, const std::array<uint32_t, TonecrestData::ampDataWords2Count>& words,
                              bool writeback);

    Result readUserCabinetName(unsigned cabinet, std::string& name);
    Result writeUserCabinetName(unsigned cabinet, const std::string& name);
    Result readUserCabinetData(unsigned cabinet, TonecrestData::Cabinet& target);
    Result writeUserCabinetData(unsigned cabinet, const TonecrestData::Cabinet& source);

    Result readPresetCabinetName(unsigned preset, std::string& name);
    Result writePresetCabinetName(unsigned preset, const std::string& name);
    Result readPresetCabinetData(unsigned preset, TonecrestData::Cabinet& target);
    Result writePresetCabinetData(unsigned preset, const TonecrestData::Cabinet& source);

    /** The edit buffer's cabinet: index 0, never written back (it is not stored). */
    Result readCurrentCabinetName(std::string& name);
    Result writeCurrentCabinetName(const std::string& name);
    Result readCurrentCabinetData(TonecrestData::Cabinet& target);
    Result writeCurrentCabinetData(const TonecrestData::Cabinet& source);

private:
    using ReplyFilter = std::function<bool(const uint8_t* packet, size_t length)>;

    struct InstalledFilter
    {
        uint64_t id;
        ReplyFilter accepts;
    };

    using ReplyBuffer = std::array<uint8_t, kMaxPacketSize>;

    // IDevicePacketIO::Handler (reader thread, transport mutex held)
    void onStateChanged(int transportState) override;
    void onPacketReceived(const uint8_t* data, size_t length) override;

    /** State 1 becomes 2; 0 and 2 stay. Then lets the transport resynchronise. Waiters are
        not woken: a transaction already waiting ends by its time-out. */
    void enterErrorState();

    Result sendPacket(const uint8_t* packet, size_t length);
    /** One transaction with the transaction time-out sending `packet` as it is. */
    Result transact(const uint8_t* packet, size_t length, std::vector<uint8_t> acceptedTypes, ReplyBuffer& reply);
    /** Fails (without sending) for a type or index that does not fit its wire field. */
    static Result checkBlockAddress(unsigned type, unsigned index);

    Result readBlock(unsigned type, unsigned index, uint8_t* block, size_t blockBytes, size_t& usableBytes);
    Result readCabinetName(unsigned type, unsigned index, std::string& name);
    Result writeCabinetName(unsigned type, unsigned index, const std::string& name, bool commit);
    Result readCabinetSamples(unsigned type, unsigned index, TonecrestData::Cabinet& target);
    Result writeCabinetSamples(unsigned type, unsigned index, const TonecrestData::Cabinet& source, bool commit);

    mutable std::mutex stateMutex;
    std::recursive_mutex transactionMutex;
    std::condition_variable replyArrived;
    IDevicePacketIO* const packetIO;
    std::vector<InstalledFilter> replyFilters;
    uint64_t nextFilterId = 1;
    Handler* handler = nullptr;
    int state = kStateRunning;
    bool deferWritebacks = false;
    std::set<unsigned> pendingWritebackTypes;
    const unsigned formatVariant;
};

} // namespace Tonecrest
