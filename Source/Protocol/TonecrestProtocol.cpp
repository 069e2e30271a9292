#include "TonecrestProtocol.h"

#include "Timing.h"

#include <algorithm>
#include <chrono>
#include <cstring>

namespace Tonecrest
{
namespace
{
using Lock = std::lock_guard<std::mutex>;
using TransactionLock = std::lock_guard<std::recursive_mutex>;

void putU16(uint8_t* at, unsigned value)
{
    at[0] = static_cast<uint8_t>(value & 0xFF);
    at[1] = static_cast<uint8_t>((value >> 8) & 0xFF);
}

void putU32(uint8_t* at, uint32_t value)
{
    putU16(at, value & 0xFFFF);
    putU16(at + 2, value >> 16);
}
} // namespace

TonecrestProtocol::TonecrestProtocol(IDevicePacketIO* io, unsigned variant)
    : packetIO(io), formatVariant(variant)
{
    if (packetIO != nullptr)
        packetIO->setHandler(this);
    else
        state = kStateStopped;
}

TonecrestProtocol::~TonecrestProtocol()
{
    if (packetIO != nullptr)
        packetIO->setHandler(nullptr);
}

Result TonecrestProtocol::setHandler(Handler* newHandler)
{
    Lock lock(stateMutex);
    handler = newHandler;
    return kSuccess;
}

void TonecrestProtocol::clearError()
{
    TransactionLock transaction(transactionMutex);
    Lock lock(stateMutex);
    if (state == kStateError)
        state = kStateRunning;
}

int TonecrestProtocol::getState() const
{
    Lock lock(stateMutex);
    return state;
}

// ---- Transport side (reader thread) ------------------------------------------------------

void TonecrestProtocol::onStateChanged(int transportState)
{
    Lock lock(stateMutex);
    state = transportState == IDevicePacketIO::kStateRunning   ? kStateRunning
          : transportState == IDevicePacketIO::kStateStopped ? kStateStopped
                                                               : kStateError;
    // Every waiting transaction learns at once that its reply may never come.
    replyArrived.notify_all();
    if (handler != nullptr)
        handler->onTransportStateChanged(state);
}

void TonecrestProtocol::onPacketReceived(const uint8_t* data, size_t length)
{
    if (data == nullptr || length < kHeaderSize)
    {
        TONECREST_ERROR("Short packet/msg!");
        enterErrorState();
        return;
    }

    const size_t packetLength = static_cast<size_t>(data[1]) + kHeaderSize;
    if (packetLength > length)
    {
        TONECREST_ERROR("Packet/msg length mismatch! (%d != %d)", static_cast<int>(length), static_cast<int>(packetLength));
        enterErrorState();
        return;
    }

    // The handler is called under the state mutex too, so that setHandler(nullptr) returns only
    // once no notification is being delivered to the old handler.
    Lock lock(stateMutex);
    bool taken = false;
    for (auto& filter : replyFilters)
    {
        if (filter.accepts(data, packetLength))
        {
            taken = true;
            break;
        }
    }

    if (data[0] == kNotification)
    {
        if (handler != nullptr)
            handler->onNotification(data + kHeaderSize, data[1]);
    }
    else if (!taken)
    {
        log(kLogWarning, "Unhandled packet!");
    }
}

void TonecrestProtocol::enterErrorState()
{
    {
        Lock lock(stateMutex);
        if (state == kStateRunning)
            state = kStateError;
    }
    if (packetIO != nullptr)
        packetIO->reset();
}

// ---- Transactions ----------------------------------------------------------------------

Result TonecrestProtocol::doPacketTransactionWithTimeout(MessageBuffer& reply, std::vector<uint8_t> acceptedTypes,
                                                         unsigned timeoutMs, bool& gotReply,
                                                         std::function<Result(int)> send)
{
    TransactionLock transaction(transactionMutex);

    gotReply = false;
    Result filterResult { false, nullptr };
    bool waiting = true;

    // Runs on the reader thread with the state mutex held. It takes one packet only: a second
    // accepted packet must not overwrite a reply the waiting thread is about to read.
    ReplyFilter filter = [&](const uint8_t* packet, size_t length) {
        if (!waiting || std::find(acceptedTypes.begin(), acceptedTypes.end(), packet[0]) == acceptedTypes.end())
            return false;
        if (reply.data != nullptr && length <= reply.capacity)
        {
            std::memcpy(reply.data, packet, length);
            filterResult = kSuccess;
        }
        else
        {
            filterResult = TONECREST_ERROR("Buffer too small: %d > %d", static_cast<int>(length), static_cast<int>(reply.capacity));
        }
        waiting = false;
        gotReply = true;
        replyArrived.notify_all();
        return true;
    };

    std::unique_lock<std::mutex> lock(stateMutex);
    if (state != kStateRunning)
        return TONECREST_ERROR("Invalid state");

    // The filter is in place before the request goes out, so an immediate reply is caught.
    const uint64_t filterId = nextFilterId++;
    replyFilters.push_back({ filterId, filter });
    lock.unlock();

    Result sent = send ? send(0) : TONECREST_ERROR("Internal error");

    lock.lock();
    Result outcome = kSuccess;
    if (!sent.ok)
    {
        outcome = sent;
    }
    else
    {
        // One deadline for the whole wait: wake-ups that bring no reply do not extend it.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (waiting)
        {
            if (state != kStateRunning)
            {
                outcome = TONECREST_ERROR("Disconnect/error while waiting");
                break;
            }
            if (replyArrived.wait_until(lock, deadline) == std::cv_status::timeout && waiting)
                break; // success without a reply; the caller decides what silence means
        }
        if (!waiting)
            outcome = filterResult;
    }

    replyFilters.erase(std::remove_if(replyFilters.begin(), replyFilters.end(),
                                      [filterId](const InstalledFilter& f) { return f.id == filterId; }),
                       replyFilters.end());
    return outcome;
}

Result TonecrestProtocol::doPacketTransaction(MessageBuffer& reply, std::vector<uint8_t> acceptedTypes,
                                              std::function<Result(int)> send)
{
    bool gotReply = false;
    Result result = doPacketTransactionWithTimeout(reply, std::move(acceptedTypes),
                                                   static_cast<unsigned>(Timing::scaled(Timing::transactionTimeoutMs)),
                                                   gotReply, std::move(send));
    if (result.ok && !gotReply)
        return TONECREST_ERROR("Timeout");
    return result;
}

Result TonecrestProtocol::sendPacket(const uint8_t* packet, size_t length)
{
    if (packetIO == nullptr)
        return TONECREST_ERROR("Invalid state");
    return packetIO->sendPacket(packet, length);
}

Result TonecrestProtocol::transact(const uint8_t* packet, size_t length, std::vector<uint8_t> acceptedTypes,
                                   ReplyBuffer& reply)
{
    reply.fill(0);
    MessageBuffer buffer { reply.data(), reply.size() };
    return doPacketTransaction(buffer, std::move(acceptedTypes),
                               [this, packet, length](int) { return sendPacket(packet, length); });
}

// ---- Requests --------------------------------------------------------------------------

Result TonecrestProtocol::setCurrentPreset(unsigned preset)
{
    TransactionLock transaction(transactionMutex);
    // The wire field is one byte: a larger number would silently select another preset.
    if (preset > 0xFF)
        return TONECREST_ERROR("Invalid preset number: %u", preset);

    const uint8_t packet[] = { kProgramChange, 1, static_cast<uint8_t>(preset) };
    ReplyBuffer reply;
    Result result = transact(packet, sizeof packet, { kAck, kNack }, reply);
    if (!result)
    {
        enterErrorState();
        return result;
    }
    if (reply[0] == kNack)
        result = TONECREST_ERROR("Got NACK for program change");
    else if (reply[0] != kAck)
        result = TONECREST_ERROR("Internal error");
    if (!result)
        enterErrorState();
    return result;
}

Result TonecrestProtocol::getCurrentPreset(unsigned& preset)
{
    TransactionLock transaction(transactionMutex);
    const uint8_t packet[] = { kProgramRequest, 0 };
    ReplyBuffer reply;
    Result result = transact(packet, sizeof packet, { kProgramReply, kNack }, reply);
    if (!result)
    {
        enterErrorState();
        return result;
    }
    if (reply[0] == kNack)
        result = TONECREST_ERROR("Got NACK for program request");
    else if (reply[0] != kProgramReply)
        result = TONECREST_ERROR("Internal error");
    else if (reply[1] < 1) // no preset byte: do not report a number the pedal never sent
        result = TONECREST_ERROR("Malformed program reply");
    if (!result)
    {
        enterErrorState();
        return result;
    }
    preset = reply[2];
    return kSuccess;
}

Result TonecrestProtocol::ping(bool& responded)
{
    TransactionLock transaction(transactionMutex);
    responded = false;

    const uint8_t packet[] = { kPing, 0 };
    ReplyBuffer reply {};
    MessageBuffer buffer { reply.data(), reply.size() };
    bool gotReply = false;
    Result result = doPacketTransactionWithTimeout(buffer, { kAck, kNack },
                                                   static_cast<unsigned>(Timing::scaled(Timing::pingTimeoutMs)), gotReply,
                                                   [this, &packet](int) { return sendPacket(packet, sizeof packet); });
    if (!result)
    {
        enterErrorState();
        return result;
    }
    responded = gotReply && reply[0] == kAck;
    return kSuccess;
}

Result TonecrestProtocol::getFirmwareVersionInfo(TonecrestData::FirmwareVersionInfo& info)
{
    TransactionLock transaction(transactionMutex);
    const uint8_t packet[] = { kVersionRequest, 0 };
    ReplyBuffer reply;
    Result result = transact(packet, sizeof packet, { kAck, kNack }, reply);
    if (!result)
        return result;
    if (reply[0] == kNack)
        return TONECREST_ERROR("Got NACK for version request");

    const uint8_t payloadLength = reply[1];
    const uint8_t* payload = reply.data() + kHeaderSize;
    if (payloadLength < 7 || payload[0] != kVersionRequest)
        return TONECREST_ERROR("Malformed version response");

    info.system = { payload[1], payload[2], payload[3], 0 };
    info.dsp = { payload[4], payload[5], payload[6], 0 };
    info.subType = (payloadLength >= 8 && payload[7] <= 2) ? payload[7] : -1;
    return kSuccess;
}

Result TonecrestProtocol::setParameter(int messageId, float value)
{
    TransactionLock transaction(transactionMutex);
    // The id is 16 bits on the wire; a wider one would set an unrelated parameter.
    if (messageId < 0 || messageId > 0xFFFF)
        return TONECREST_ERROR("Invalid message id: %d", messageId);

    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    uint8_t packet[10] = { kSetParameter, 8 };
    putU16(packet + 2, static_cast<unsigned>(messageId));
    putU16(packet + 4, 0);
    putU32(packet + 6, bits);
    return sendPacket(packet, sizeof packet);
}

// ---- DSP firmware ----------------------------------------------------------------------

Result TonecrestProtocol::sendFirmwareForSingleDSP(unsigned dsp, const uint8_t* image, size_t length,
                                                   std::function<void(double)> progress)
{
    TransactionLock transaction(transactionMutex);
    // The DSP number is one byte on the wire: a larger one would load another DSP.
    if (dsp > 0xFF || (image == nullptr && length > 0))
        return TONECREST_ERROR("Invalid firmware transfer: DSP %u, %zu bytes", dsp, length);

    ReplyBuffer reply;
    uint8_t start[7] = { kFirmwareStart, 5, static_cast<uint8_t>(dsp) };
    putU32(start + 3, kFirmwareStartMagic);
    Result result = transact(start, sizeof start, { kAck, kNack }, reply);
    if (!result)
    {
        enterErrorState();
        return result;
    }
    // Refused before anything was loaded: the pedal is still in step.
    if (reply[0] == kNack)
        return TONECREST_ERROR("Got NACK for firmware start");

    size_t sent = 0;
    do
    {
        const size_t chunkBytes = std::min(length - sent, kMaxPayloadSize);
        uint8_t packet[kMaxPacketSize] = { kFirmwareChunk, static_cast<uint8_t>(chunkBytes) };
        if (chunkBytes > 0)
            std::memcpy(packet + kHeaderSize, image + sent, chunkBytes);

        MessageBuffer buffer { reply.data(), reply.size() };
        reply.fill(0);
        result = doPacketTransaction(buffer, { kAck, kNack }, [&](int) {
            Result written = sendPacket(packet, kHeaderSize + chunkBytes);
            if (!written)
                return written;
            sent += chunkBytes;
            // An empty image is wholly sent with its one empty chunk: 1.0, not 0/0.
            if (progress)
                progress(length > 0 ? static_cast<double>(sent) / static_cast<double>(length) : 1.0);
            return written;
        });
        if (result && reply[0] == kNack)
            result = TONECREST_ERROR("Got NACK during write transfer");
        else if (result && reply[0] != kAck)
            result = TONECREST_ERROR("Internal error");
        if (!result)
        {
            enterErrorState();
            return result;
        }
    } while (sent < length);
    return kSuccess;
}

Result TonecrestProtocol::updateDSPFirmware(const TonecrestData::FirmwareData& images,
                                            std::function<void(double)> progress)
{
    TransactionLock transaction(transactionMutex);
    const std::vector<uint8_t>* dspImages[] = { &images.dsp0Image, &images.dsp1Image };
    for (unsigned dsp = 0; dsp < 2; ++dsp)
    {
        std::function<void(double)> dspProgress;
        if (progress)
            dspProgress = [&progress, dsp](double share) { progress((dsp + share) * 0.5); };
        Result result = sendFirmwareForSingleDSP(dsp, dspImages[dsp]->data(), dspImages[dsp]->size(), dspProgress);
        if (!result)
            return result;
    }
    const uint8_t done[] = { kFirmwareDone, 0 };
    return sendPacket(done, sizeof done);
}

// ---- Block transfers -------------------------------------------------------------------

Result TonecrestProtocol::checkBlockAddress(unsigned type, unsigned index)
{
    // Type and index are one and two bytes on the wire; letting them wrap would read or
    // overwrite another block.
    if (type > 0xFF)
        return TONECREST_ERROR("Invalid data type: %u", type);
    if (index > 0xFFFF)
        return TONECREST_ERROR("Invalid index: %u", index);
    return kSuccess;
}

Result TonecrestProtocol::readData(unsigned type, unsigned index, void* buffer, size_t capacity, size_t& bytesRead)
{
    TransactionLock transaction(transactionMutex);
    bytesRead = 0;
    Result result = checkBlockAddress(type, index);
    if (!result)
        return result;

    uint8_t* out = static_cast<uint8_t*>(buffer);
    if (out == nullptr)
        capacity = 0;

    uint8_t request[7] = { kReadRequest, 5, static_cast<uint8_t>(type) };
    putU16(request + 3, index);
    putU16(request + 5, 0);

    ReplyBuffer reply;
    result = transact(request, sizeof request, { kTransferStart, kNack }, reply);
    if (result && reply[0] == kNack)
        result = TONECREST_ERROR("Got NACK waiting for TRANSFER_START");
    else if (result && reply[0] != kTransferStart)
        result = TONECREST_ERROR("Internal error");
    if (!result)
    {
        enterErrorState();
        return result;
    }

    // The pedal sends the next chunk, or the end, for every acknowledgement.
    const uint8_t ack[] = { kAck, 0 };
    size_t total = 0;
    size_t chunks = 0;
    for (;;)
    {
        result = transact(ack, sizeof ack, { kDataChunk, kTransferEnd, kNack }, reply);
        if (!result)
        {
            enterErrorState();
            return result;
        }

        if (reply[0] == kDataChunk)
        {
            const size_t chunkBytes = reply[1];
            if (total < capacity)
                std::memcpy(out + total, reply.data() + kHeaderSize, std::min(chunkBytes, capacity - total));
            total += chunkBytes;
            ++chunks;
            // No block is longer than an end packet can count, nor needs more chunks than
            // that longest one; a pedal that keeps sending, even empty chunks, would
            // otherwise hold the read for ever.
            if (total > kMaxTransferBytes || chunks > kMaxTransferChunks)
            {
                result = TONECREST_ERROR("Too much data in read transfer: %zu bytes", total);
                enterErrorState();
                return result;
            }
            continue;
        }
        if (reply[0] == kTransferEnd)
        {
            bytesRead = total;
            return kSuccess;
        }

        result = reply[0] == kNack ? TONECREST_ERROR("Got unexpected NACK during read transfer")
                                   : TONECREST_ERROR("Internal error");
        enterErrorState();
        return result;
    }
}

Result TonecrestProtocol::sendData(unsigned type, unsigned index, const void* data, size_t length)
{
    TransactionLock transaction(transactionMutex);
    Result result = checkBlockAddress(type, index);
    if (!result)
        return result;
    // The end packet counts 32-bit words in 16 bits: anything else would be misreported.
    if (length % TonecrestData::wordBytes != 0 || length > kMaxTransferBytes
        || (data == nullptr && length > 0))
        return TONECREST_ERROR("Invalid transfer length: %zu", length);

    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    ReplyBuffer reply;

    const uint8_t start[] = { kTransferStart, 0 };
    result = transact(start, sizeof start, { kAck, kNack }, reply);
    if (!result)
    {
        enterErrorState();
        return result;
    }
    if (reply[0] == kNack)
        return TONECREST_ERROR("Got NACK waiting for TRANSFER_START");
    if (reply[0] != kAck)
    {
        result = TONECREST_ERROR("Internal error");
        enterErrorState();
        return result;
    }

    uint16_t checksum = 0;
    size_t offset = 0;
    bool finished = false;
    while (!finished)
    {
        uint8_t packet[kMaxPacketSize];
        size_t packetLength;
        size_t chunkBytes = 0;
        if (offset < length)
        {
            chunkBytes = std::min(length - offset, kMaxPayloadSize);
            checksum = TonecrestData::dataChecksum(bytes + offset, chunkBytes, checksum);
            packet[0] = kDataChunk;
            packet[1] = static_cast<uint8_t>(chunkBytes);
            std::memcpy(packet + kHeaderSize, bytes + offset, chunkBytes);
            packetLength = kHeaderSize + chunkBytes;
        }
        else
        {
            packet[0] = kTransferEnd;
            packet[1] = 7;
            packet[2] = static_cast<uint8_t>(type);
            putU16(packet + 3, index);
            putU16(packet + 5, static_cast<unsigned>(length / TonecrestData::wordBytes));
            putU16(packet + 7, checksum);
            packetLength = 9;
            finished = true;
        }

        result = transact(packet, packetLength, { kAck, kNack }, reply);
        if (result && reply[0] == kNack)
            result = TONECREST_ERROR("Got NACK during write transfer");
        else if (result && reply[0] != kAck)
            result = TONECREST_ERROR("Internal error");
        if (!result)
        {
            enterErrorState();
            return result;
        }
        offset += chunkBytes;
    }
    return kSuccess;
}

Result TonecrestProtocol::writebackData(unsigned type, unsigned index)
{
    TransactionLock transaction(transactionMutex);
    Result result = checkBlockAddress(type, index);
    if (!result)
        return result;

    uint8_t packet[5] = { kWriteback, 3, static_cast<uint8_t>(type) };
    putU16(packet + 3, index);

    ReplyBuffer reply;
    result = transact(packet, sizeof packet, { kAck, kNack }, reply);
    if (result && reply[0] == kNack)
        result = TONECREST_ERROR("Got NACK waiting for TRANSFER_START");
    else if (result && reply[0] != kAck)
        result = TONECREST_ERROR("Internal error");
    if (!result)
        enterErrorState();
    return result;
}

Result TonecrestProtocol::sendDataAndWriteback(unsigned type, unsigned index, const void* data, size_t length,
                                               bool writeback)
{
    TransactionLock transaction(transactionMutex);
    Result result = sendData(type, index, data, length);
    if (!result)
        return result;
    if (!deferWritebacks && writeback)
        return writebackData(type, index);
    pendingWritebackTypes.insert(type);
    return kSuccess;
}

void TonecrestProtocol::beginDeferredWritebacks()
{
    TransactionLock transaction(transactionMutex);
    deferWritebacks = true;
}

void TonecrestProtocol::endDeferredWritebacks()
{
    TransactionLock transaction(transactionMutex);
    deferWritebacks = false;
    pendingWritebackTypes.clear();
}

Result TonecrestProtocol::flushWritebacks()
{
    TransactionLock transaction(transactionMutex);
    for (unsigned type : pendingWritebackTypes)
    {
        Result result = writebackData(type, kWritebackAllIndex);
        if (!result)
            return result;
    }
    pendingWritebackTypes.clear();
    return kSuccess;
}

Result TonecrestProtocol::writebackAmpModels()
{
    return writebackData(kDataAmpModelInfo, kWritebackAmpModelsIndex);
}

std::set<unsigned> TonecrestProtocol::getPendingWritebackTypes()
{
    TransactionLock transaction(transactionMutex);
    return pendingWritebackTypes;
}

// ---- Typed operations ------------------------------------------------------------------

Result TonecrestProtocol::readBlock(unsigned type, unsigned index, uint8_t* block, size_t blockBytes,
                                    size_t& usableBytes)
{
    std::memset(block, 0, blockBytes);
    size_t bytesRead = 0;
    Result result = readData(type, index, block, blockBytes, bytesRead);
    // A pedal that sends more than the block holds has had the rest dropped; decode only
    // what is in the buffer.
    usableBytes = std::min(bytesRead, blockBytes);
    return result;
}

Result TonecrestProtocol::readGlobals(TonecrestData::ParameterMap& globals)
{
    TransactionLock transaction(transactionMutex);
    uint8_t block[TonecrestData::globalsParamBlockBytes];
    size_t usable = 0;
    Result result = readBlock(kDataGlobals, 0, block, sizeof block, usable);
    if (!result)
        return result;
    return TonecrestData::decodeParamList(block, usable, globals);
}

Result TonecrestProtocol::writeGlobals(const TonecrestData::ParameterMap& globals)
{
    TransactionLock transaction(transactionMutex);
    uint8_t block[TonecrestData::globalsParamBlockBytes] = {};
    Result result = TonecrestData::encodeGlobals(globals, block, sizeof block);
    if (!result)
        return result;
    return sendDataAndWriteback(kDataGlobals, 0, block, sizeof block, true);
}

Result TonecrestProtocol::readPresetName(unsigned preset, std::string& name)
{
    TransactionLock transaction(transactionMutex);
    uint8_t block[TonecrestData::presetNameBlockBytes];
    size_t usable = 0;
    Result result = readBlock(kDataPresetName, preset, block, sizeof block, usable);
    if (!result)
        return result;
    return TonecrestData::decodePresetName(block, usable, name);
}

Result TonecrestProtocol::writePresetName(unsigned preset, const std::string& name)
{
    TransactionLock transaction(transactionMutex);
    uint8_t block[TonecrestData::presetNameBlockBytes] = {};
    Result result = TonecrestData::encodePresetName(name, block, sizeof block);
    if (!result)
        return result;
    return sendDataAndWriteback(kDataPresetName, preset, block, sizeof block, true);
}

Result TonecrestProtocol::readPreset(unsigned preset, TonecrestData::Preset& target)
{
    TransactionLock transaction(transactionMutex);
    // Always room for the long list; an older pedal simply sends fewer pairs.
    uint8_t block[TonecrestData::presetParamBlockBytes];
    size_t usable = 0;
    Result result = readBlock(kDataPresetParams, preset, block, sizeof block, usable);
    if (!result)
        return result;
    return TonecrestData::decodeParamList(block, usable, target.params);
}

Result TonecrestProtocol::writePreset(unsigned preset, const TonecrestData::ParameterMap& params)
{
    TransactionLock transaction(transactionMutex);
    uint8_t block[TonecrestData::presetParamBlockBytes] = {};
    const size_t blockBytes =
        formatVariant == 1 ? TonecrestData::globalsParamBlockBytes : TonecrestData::presetParamBlockBytes;
    Result result = TonecrestData::encodeParamList(params, block, blockBytes);
    if (!result)
        return result;
    return sendDataAndWriteback(kDataPresetParams, preset, block, blockBytes, true);
}

Result TonecrestProtocol::readAmpModelInfo(unsigned model, TonecrestData::AmpModelInfo& info)
{
    TransactionLock transaction(transactionMutex);
    uint8_t block[TonecrestData::ampInfoBlockBytes];
    size_t usable = 0;
    Result result = readBlock(kDataAmpModelInfo, model, block, sizeof block, usable);
    if (!result)
        return result;
    return TonecrestData::decodeAmpModelInfo(block, usable, info);
}

Result TonecrestProtocol::writeAmpModelInfo(unsigned model, const TonecrestData::AmpModelInfo& info, bool writeback)
{
    TransactionLock transaction(transactionMutex);
    uint8_t block[TonecrestData::ampInfoBlockBytes] = {};
    Result result = TonecrestData::encodeAmpModelInfo(info, block, sizeof block);
    if (!result)
        return result;
    return sendDataAndWriteback(kDataAmpModelInfo, model, block, sizeof block, writeback);
}

Result TonecrestProtocol::writeAmpModelParams(unsigned model, const TonecrestData::AmpModelParams& params,
                                              bool writeback)
{
    TransactionLock transaction(transactionMutex);
    uint8_t block[TonecrestData::ampModelBlockBytes] = {};
    Result result = TonecrestData::encodeAmpModelParams(params, block, sizeof block);
    if (!result)
        return result;
    return sendDataAndWriteback(kDataAmpModelParams, model, block, sizeof block, writeback);
}

Result TonecrestProtocol::writeAmpModelData(unsigned model,
                                            const std::array<uint32_t, TonecrestData::ampDataWords1Count>& words,
                                            bool writeback)
{
    TransactionLock transaction(transactionMutex);
    uint8_t block[TonecrestData::ampDataBlockBytes] = {};
    Result result = TonecrestData::encodeWords(words.data(), words.size(), block, sizeof block);
    if (!result)
        return result;
    return sendDataAndWriteback(kDataAmpModelData, model, block, sizeof block, writeback);
}

Result TonecrestProtocol::writeAmpModelExtra(unsigned model,
                                             const std::array<uint32_t, TonecrestData::ampDataWords2Count>& words,
                                             bool writeback)
{
    TransactionLock transaction(transactionMutex);
    uint8_t block[TonecrestData::ampExtraBlockBytes] = {};
    Result result = TonecrestData::encodeWords(words.data(), words.size(), block, sizeof block);
    if (!result)
        return result;
    return sendDataAndWriteback(kDataAmpModelExtra, model, block, sizeof block, writeback);
}

Result TonecrestProtocol::readCabinetName(unsigned type, unsigned index, std::string& name)
{
    TransactionLock transaction(transactionMutex);
    uint8_t block[TonecrestData::cabinetNameBlockBytes];
    size_t usable = 0;
    Result result = readBlock(type, index, block, sizeof block, usable);
    if (!result)
        return result;
    return TonecrestData::decodeCabinetName(block, usable, name);
}

Result TonecrestProtocol::writeCabinetName(unsigned type, unsigned index, const std::string& name, bool commit)
{
    TransactionLock transaction(transactionMutex);
    uint8_t block[TonecrestData::cabinetNameBlockBytes] = {};
    Result result = TonecrestData::encodeCabinetName(name, block, sizeof block);
    if (!result)
        return result;
    if (!commit)
        return sendData(type, index, block, sizeof block);
    return sendDataAndWriteback(type, index, block, sizeof block, true);
}

Result TonecrestProtocol::readCabinetSamples(unsigned type, unsigned index, TonecrestData::Cabinet& target)
{
    TransactionLock transaction(transactionMutex);
    uint8_t block[TonecrestData::cabinetDataBlockBytes];
    size_t usable = 0;
    Result result = readBlock(type, index, block, sizeof block, usable);
    if (!result)
        return result;
    return TonecrestData::copyCabinetSamples(block, usable, target);
}

Result TonecrestProtocol::writeCabinetSamples(unsigned type, unsigned index, const TonecrestData::Cabinet& source,
                                              bool commit)
{
    TransactionLock transaction(transactionMutex);
    uint8_t block[TonecrestData::cabinetDataBlockBytes] = {};
    Result result = TonecrestData::encodeCabinetSamples(source, block, sizeof block);
    if (!result)
        return result;
    if (!commit)
        return sendData(type, index, block, sizeof block);
    return sendDataAndWriteback(type, index, block, sizeof block, true);
}

Result TonecrestProtocol::readUserCabinetName(unsigned cabinet, std::string& name)
{
    return readCabinetName(kDataUserCabinetName, cabinet, name);
}

Result TonecrestProtocol::writeUserCabinetName(unsigned cabinet, const std::string& name)
{
    return writeCabinetName(kDataUserCabinetName, cabinet, name, true);
}

Result TonecrestProtocol::readUserCabinetData(unsigned cabinet, TonecrestData::Cabinet& target)
{
    return readCabinetSamples(kDataUserCabinetData, cabinet, target);
}

Result TonecrestProtocol::writeUserCabinetData(unsigned cabinet, const TonecrestData::Cabinet& source)
{
    return writeCabinetSamples(kDataUserCabinetData, cabinet, source, true);
}

Result TonecrestProtocol::readPresetCabinetName(unsigned preset, std::string& name)
{
    return readCabinetName(kDataPresetCabinetName, preset, name);
}

Result TonecrestProtocol::writePresetCabinetName(unsigned preset, const std::string& name)
{
    return writeCabinetName(kDataPresetCabinetName, preset, name, true);
}

Result TonecrestProtocol::readPresetCabinetData(unsigned preset, TonecrestData::Cabinet& target)
{
    return readCabinetSamples(kDataPresetCabinetData, preset, target);
}

Result TonecrestProtocol::writePresetCabinetData(unsigned preset, const TonecrestData::Cabinet& source)
{
    return writeCabinetSamples(kDataPresetCabinetData, preset, source, true);
}

Result TonecrestProtocol::readCurrentCabinetName(std::string& name)
{
    return readCabinetName(kDataCurrentCabinetName, 0, name);
}

Result TonecrestProtocol::writeCurrentCabinetName(const std::string& name)
{
    return writeCabinetName(kDataCurrentCabinetName, 0, name, false);
}

Result TonecrestProtocol::readCurrentCabinetData(TonecrestData::Cabinet& target)
{
    return readCabinetSamples(kDataCurrentCabinetData, 0, target);
}

Result TonecrestProtocol::writeCurrentCabinetData(const TonecrestData::Cabinet& source)
{
    return writeCabinetSamples(kDataCurrentCabinetData, 0, source, false);
}

} // namespace Tonecrest
