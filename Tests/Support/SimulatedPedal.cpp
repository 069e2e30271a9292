#include "SimulatedPedal.h"

#include <algorithm>
#include <cstring>

namespace Tonecrest::Testing
{
namespace
{
constexpr size_t kReportSize = SimulatedHIDDevice::kReportSize;
constexpr size_t kHeaderSize = 2;
constexpr size_t kMaxPayload = kReportSize - kHeaderSize;

enum : uint8_t
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

constexpr unsigned kPresetCount = 128;
constexpr unsigned kEditBufferPreset = 128;
constexpr unsigned kUserCabinetCount = 32;
constexpr unsigned kAmpModelCount = 256;
constexpr unsigned kWritebackAll = 65535;
constexpr unsigned kWritebackAmpModels = 65534;

unsigned getU16(const uint8_t* at)
{
    return static_cast<unsigned>(at[0]) | (static_cast<unsigned>(at[1]) << 8);
}

void putU16(std::vector<uint8_t>& out, unsigned value)
{
    out.push_back(static_cast<uint8_t>(value & 0xFF));
    out.push_back(static_cast<uint8_t>((value >> 8) & 0xFF));
}

std::vector<uint8_t> packet(uint8_t type, const uint8_t* payload = nullptr, size_t length = 0)
{
    std::vector<uint8_t> out { type, static_cast<uint8_t>(length) };
    if (length > 0)
        out.insert(out.end(), payload, payload + length);
    return out;
}

std::vector<uint8_t> ack() { return packet(kAck); }
std::vector<uint8_t> nack() { return packet(kNack); }
} // namespace

SimulatedPedal::SimulatedPedal(SimulatedHIDDevice& hidDevice)
    : device(hidDevice)
{
    setVersion({ 3, 4, 1 }, { 6, 2, 0 }, 0);
    device.setOutputHandler([this](const std::vector<uint8_t>& report) { onOutputReport(report); });
}

SimulatedPedal::~SimulatedPedal()
{
    device.setOutputHandler(nullptr);
}

// ---- Identity, program, parameters ------------------------------------------------------

void SimulatedPedal::setVersion(std::array<uint8_t, 3> system, std::array<uint8_t, 3> dsp, int subType)
{
    std::vector<uint8_t> payload { kVersionRequest, system[0], system[1], system[2], dsp[0], dsp[1], dsp[2] };
    if (subType >= 0)
        payload.push_back(static_cast<uint8_t>(subType));
    setVersionPayload(std::move(payload));
}

void SimulatedPedal::setVersionPayload(std::vector<uint8_t> payload)
{
    payload.resize(std::min(payload.size(), kMaxPayload));
    std::lock_guard<std::mutex> lock(mutex);
    versionPayload = std::move(payload);
}

void SimulatedPedal::setCurrentPreset(unsigned preset)
{
    std::lock_guard<std::mutex> lock(mutex);
    current = preset;
}

unsigned SimulatedPedal::currentPreset() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return current;
}

std::map<unsigned, float> SimulatedPedal::parameterValues() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return parameters;
}

std::vector<SimulatedPedal::ParameterWrite> SimulatedPedal::parameterWrites() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return parameterLog;
}

// ---- Blocks ------------------------------------------------------------------------------

size_t SimulatedPedal::blockSize(unsigned type)
{
    switch (type)
    {
        case 1: return TonecrestData::globalsParamBlockBytes;
        case 2: return TonecrestData::presetNameBlockBytes;
        case 3: return TonecrestData::presetParamBlockBytes;
        case 5: return TonecrestData::ampInfoBlockBytes;
        case 6: return TonecrestData::ampModelBlockBytes;
        case 7: return TonecrestData::ampDataBlockBytes;
        case 8: return TonecrestData::ampExtraBlockBytes;
        case 9:
        case 12:
        case 14: return TonecrestData::cabinetNameBlockBytes;
        case 10:
        case 13:
        case 15: return TonecrestData::cabinetDataBlockBytes;
        default: return 0;
    }
}

bool SimulatedPedal::isValidIndex(unsigned type, unsigned index)
{
    switch (type)
    {
        case 1:
        case 14:
        case 15: return index == 0;
        case 2:
        case 12:
        case 13: return index < kPresetCount;
        case 3: return index <= kEditBufferPreset;
        case 5:
        case 6:
        case 7:
        case 8: return index < kAmpModelCount;
        case 9:
        case 10: return index < kUserCabinetCount;
        default: return false;
    }
}

void SimulatedPedal::setBlock(unsigned type, unsigned index, std::vector<uint8_t> data)
{
    std::lock_guard<std::mutex> lock(mutex);
    blocks[{ type, index }] = std::move(data);
}

std::vector<uint8_t> SimulatedPedal::block(unsigned type, unsigned index) const
{
    std::lock_guard<std::mutex> lock(mutex);
    return blockLocked(type, index);
}

std::vector<uint8_t> SimulatedPedal::blockLocked(unsigned type, unsigned index) const
{
    auto stored = blocks.find({ type, index });
    if (stored != blocks.end())
        return stored->second;

    // Factory content: empty parameter lists, empty amp-model slots, blank names and samples.
    std::vector<uint8_t> data(blockSize(type), 0);
    if (type == 1 || type == 3)
        TonecrestData::encodeParamList({}, data.data(), data.size());
    else if (type == 5)
        TonecrestData::encodeAmpModelInfo({}, data.data(), data.size());
    return data;
}

bool SimulatedPedal::hasStoredBlock(unsigned type, unsigned index) const
{
    std::lock_guard<std::mutex> lock(mutex);
    return blocks.count({ type, index }) != 0;
}

void SimulatedPedal::setGlobals(const TonecrestData::ParameterMap& globals)
{
    std::vector<uint8_t> data(TonecrestData::globalsParamBlockBytes);
    TonecrestData::encodeGlobals(globals, data.data(), data.size());
    setBlock(1, 0, std::move(data));
}

void SimulatedPedal::setPresetName(unsigned preset, const std::string& name)
{
    std::vector<uint8_t> data(TonecrestData::presetNameBlockBytes);
    TonecrestData::encodePresetName(name, data.data(), data.size());
    setBlock(2, preset, std::move(data));
}

void SimulatedPedal::setPresetParams(unsigned preset, const TonecrestData::ParameterMap& params)
{
    std::vector<uint8_t> data(TonecrestData::presetParamBlockBytes);
    TonecrestData::encodePresetParams(params, data.data(), data.size());
    setBlock(3, preset, std::move(data));
}

void SimulatedPedal::setAmpModelInfo(unsigned model, const TonecrestData::AmpModelInfo& info)
{
    std::vector<uint8_t> data(TonecrestData::ampInfoBlockBytes);
    TonecrestData::encodeAmpModelInfo(info, data.data(), data.size());
    setBlock(5, model, std::move(data));
}

void SimulatedPedal::setCabinetName(unsigned type, unsigned index, const std::string& name)
{
    std::vector<uint8_t> data(TonecrestData::cabinetNameBlockBytes);
    TonecrestData::encodeCabinetName(name, data.data(), data.size());
    setBlock(type, index, std::move(data));
}

void SimulatedPedal::setCabinetSamples(unsigned type, unsigned index, const TonecrestData::Cabinet& cabinet)
{
    std::vector<uint8_t> data(TonecrestData::cabinetDataBlockBytes);
    TonecrestData::encodeCabinetSamples(cabinet, data.data(), data.size());
    setBlock(type, index, std::move(data));
}

std::vector<SimulatedPedal::BlockWrite> SimulatedPedal::blockWrites() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return writeLog;
}

std::vector<SimulatedPedal::Writeback> SimulatedPedal::writebacks() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return writebackLog;
}

// ---- Unsolicited input, faults, recording -------------------------------------------------

void SimulatedPedal::sendNotification(const std::vector<uint8_t>& payload)
{
    device.pushInputReport(packet(kNotification, payload.data(), std::min(payload.size(), kMaxPayload)));
}

void SimulatedPedal::sendRawReport(std::vector<uint8_t> report)
{
    device.pushInputReport(std::move(report));
}

void SimulatedPedal::addFault(const FaultRule& rule)
{
    std::lock_guard<std::mutex> lock(mutex);
    faults.push_back(rule);
}

void SimulatedPedal::clearFaults()
{
    std::lock_guard<std::mutex> lock(mutex);
    faults.clear();
}

std::vector<std::vector<uint8_t>> SimulatedPedal::receivedPackets() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return received;
}

std::vector<std::vector<uint8_t>> SimulatedPedal::receivedPacketsOfType(uint8_t type) const
{
    std::lock_guard<std::mutex> lock(mutex);
    std::vector<std::vector<uint8_t>> matching;
    for (const auto& p : received)
        if (p[0] == type)
            matching.push_back(p);
    return matching;
}

void SimulatedPedal::clearReceivedPackets()
{
    std::lock_guard<std::mutex> lock(mutex);
    received.clear();
}

std::optional<SimulatedPedal::FaultRule> SimulatedPedal::takeFault(uint8_t packetType)
{
    for (auto rule = faults.begin(); rule != faults.end(); ++rule)
    {
        if (rule->packetType != packetType)
            continue;
        if (rule->skip > 0)
        {
            --rule->skip;
            return std::nullopt;
        }
        FaultRule applied = *rule;
        if (rule->times != kAlways && --rule->times <= 0)
            faults.erase(rule);
        return applied;
    }
    return std::nullopt;
}

// ---- Firmware ------------------------------------------------------------------------------

void SimulatedPedal::onOutputReport(const std::vector<uint8_t>& report)
{
    if (report.size() < kHeaderSize)
        return;

    std::lock_guard<std::mutex> lock(mutex);
    const size_t declared = std::min(report.size(), kHeaderSize + report[1]);
    std::vector<uint8_t> incoming(report.begin(), report.begin() + static_cast<std::ptrdiff_t>(declared));
    received.push_back(incoming);

    std::optional<FaultRule> fault = takeFault(incoming[0]);
    if (fault && fault->fault == Fault::Unplug)
    {
        device.unplug();
        return;
    }
    if (fault && fault->fault == Fault::Drop)
        return;
    if (fault && fault->fault == Fault::Nack)
    {
        device.pushInputReport(nack());
        return;
    }

    Reply reply = handlePacket(incoming);
    if (!reply)
        return;
    if (fault && fault->fault == Fault::Malformed)
        (*reply)[1] = 0xFF; // a length no 64-byte report can hold
    if (fault && fault->fault == Fault::WrongType)
        (*reply)[0] = fault->replyType;
    device.pushInputReport(std::move(*reply));
}

SimulatedPedal::Reply SimulatedPedal::handlePacket(const std::vector<uint8_t>& incoming)
{
    const uint8_t type = incoming[0];
    const uint8_t* payload = incoming.data() + kHeaderSize;
    const size_t length = incoming.size() - kHeaderSize;

    // A host that declares more than a report holds is out of step: refuse it.
    if (incoming[1] > kMaxPayload)
        return nack();

    switch (type)
    {
        case kPing:
            return ack();

        case kVersionRequest:
            return packet(kAck, versionPayload.data(), versionPayload.size());

        case kProgramChange:
            if (length < 1 || payload[0] >= kPresetCount)
                return nack();
            current = payload[0];
            return ack();

        case kProgramRequest:
        {
            const uint8_t preset = static_cast<uint8_t>(current);
            return packet(kProgramReply, &preset, 1);
        }

        case kSetParameter:
        {
            // Applied at once and never answered, so the host can stream knob movements.
            if (length < 8)
                return std::nullopt;
            const unsigned messageId = getU16(payload);
            uint32_t bits = getU16(payload + 4) | (static_cast<uint32_t>(getU16(payload + 6)) << 16);
            float value;
            std::memcpy(&value, &bits, sizeof value);
            parameters[messageId] = value;
            parameterLog.push_back({ messageId, value });
            return std::nullopt;
        }

        case kReadRequest:
            return handleReadRequest(payload, length);

        case kAck:
            return handleAck();

        case kTransferStart:
            transfer = TransferState::Writing;
            writeBuffer.clear();
            return ack();

        case kDataChunk:
            if (transfer != TransferState::Writing)
                return nack();
            writeBuffer.insert(writeBuffer.end(), payload, payload + length);
            return ack();

        case kTransferEnd:
            return handleWriteEnd(payload, length);

        case kWriteback:
            return handleWriteback(payload, length);

        case kFirmwareStart:
        case kFirmwareChunk:
        case kFirmwareDone:
            // The DSP loader is a model of its own; this one refuses firmware.
            return type == kFirmwareDone ? Reply() : Reply(nack());

        default:
            return nack();
    }
}

SimulatedPedal::Reply SimulatedPedal::handleReadRequest(const uint8_t* payload, size_t length)
{
    transfer = TransferState::Idle;
    if (length < 5)
        return nack();
    const unsigned type = payload[0];
    const unsigned index = getU16(payload + 1);
    if (blockSize(type) == 0 || !isValidIndex(type, index))
        return nack();

    transfer = TransferState::Reading;
    readType = type;
    readIndex = index;
    readBuffer = blockLocked(type, index);
    readOffset = 0;
    return packet(kTransferStart);
}

SimulatedPedal::Reply SimulatedPedal::handleAck()
{
    if (transfer != TransferState::Reading)
        return nack();

    if (readOffset < readBuffer.size())
    {
        const size_t chunkBytes = std::min(readBuffer.size() - readOffset, kMaxPayload);
        Reply chunk = packet(kDataChunk, readBuffer.data() + readOffset, chunkBytes);
        readOffset += chunkBytes;
        return chunk;
    }

    transfer = TransferState::Idle;
    std::vector<uint8_t> end { kTransferEnd, 7, static_cast<uint8_t>(readType) };
    putU16(end, readIndex);
    putU16(end, static_cast<unsigned>(readBuffer.size() / 4));
    putU16(end, TonecrestData::dataChecksum(readBuffer.data(), readBuffer.size()));
    return end;
}

SimulatedPedal::Reply SimulatedPedal::handleWriteEnd(const uint8_t* payload, size_t length)
{
    if (transfer != TransferState::Writing || length < 7)
    {
        transfer = TransferState::Idle;
        return nack();
    }
    transfer = TransferState::Idle;

    const unsigned type = payload[0];
    const unsigned index = getU16(payload + 1);
    const unsigned wordCount = getU16(payload + 3);
    const uint16_t checksum = static_cast<uint16_t>(getU16(payload + 5));

    // The older preset format carries 128 pairs instead of 512.
    const bool sizeFits = writeBuffer.size() == blockSize(type)
                       || (type == 3 && writeBuffer.size() == TonecrestData::globalsParamBlockBytes);
    if (blockSize(type) == 0 || !isValidIndex(type, index) || !sizeFits || wordCount * 4 != writeBuffer.size()
        || checksum != TonecrestData::dataChecksum(writeBuffer.data(), writeBuffer.size()))
        return nack();

    blocks[{ type, index }] = writeBuffer;
    writeLog.push_back({ type, index, writeBuffer, wordCount, checksum });
    return ack();
}

SimulatedPedal::Reply SimulatedPedal::handleWriteback(const uint8_t* payload, size_t length)
{
    if (length < 3)
        return nack();
    const unsigned type = payload[0];
    const unsigned index = getU16(payload + 1);
    const bool indexFits = isValidIndex(type, index) || index == kWritebackAll
                        || (type == 5 && index == kWritebackAmpModels);
    if (blockSize(type) == 0 || !indexFits)
        return nack();
    writebackLog.push_back({ type, index });
    return ack();
}

} // namespace Tonecrest::Testing
