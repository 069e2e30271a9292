#include "SimulatedPedal.h"

#include "PedalBlockFormat.h"
#include "TonecrestParamTable.h"
#include "WireTrace.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace Tonecrest::Testing
{
namespace
{
namespace Format = PedalBlockFormat;

constexpr size_t kReportSize = SimulatedHIDDevice::kReportSize;
constexpr size_t kHeaderSize = 2;
constexpr size_t kMaxPayload = kReportSize - kHeaderSize;
/** The largest block of any type; a write growing past it is refused at once. */
constexpr size_t kMaxBlockBytes = 8192;

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

enum : unsigned
{
    kGlobals = 1,
    kPresetName = 2,
    kPresetParams = 3,
    kAmpInfo = 5,
    kAmpParams = 6,
    kAmpData = 7,
    kAmpExtra = 8,
    kUserCabinetName = 9,
    kUserCabinetSamples = 10,
    kPresetCabinetName = 12,
    kPresetCabinetSamples = 13,
    kCurrentCabinetName = 14,
    kCurrentCabinetSamples = 15
};

std::vector<uint8_t> packet(uint8_t type, const uint8_t* payload = nullptr, size_t length = 0)
{
    std::vector<uint8_t> out { type, static_cast<uint8_t>(length) };
    if (length > 0)
        out.insert(out.end(), payload, payload + length);
    return out;
}

std::vector<uint8_t> ack() { return packet(kAck); }
std::vector<uint8_t> nack() { return packet(kNack); }

/** Sets one key of a parameter list block, keeping the block's size; a full list is left as
    it is (the pedal has no room for another key). */
void setListValue(std::vector<uint8_t>& block, uint32_t key, float value)
{
    const size_t pairs = block.size() / 8;
    auto params = Format::decodeParameterList(block, 0, pairs);
    params[key] = value;
    std::vector<uint8_t> encoded;
    if (Format::encodeParameterList(params, pairs, encoded))
        std::copy(encoded.begin(), encoded.end(), block.begin());
}

std::vector<uint8_t> nameBlock(size_t bytes, const std::string& name, size_t slots)
{
    std::vector<uint8_t> block(bytes, 0);
    Format::putName(block, 0, name, slots);
    return block;
}

std::vector<uint8_t> samplesBlock(const TonecrestData::Cabinet& cabinet)
{
    std::vector<uint8_t> block(Format::kCabinetSamplesBytes, 0);
    Format::putFloats(block, 0, cabinet.samples.data(), cabinet.samples.size());
    return block;
}
} // namespace

SimulatedPedal::SimulatedPedal(SimulatedHIDDevice& hidDevice, unsigned formatVariant)
    : device(nullptr), variant(formatVariant), trace(WireTrace::fromEnvironment()), router(&routeFromParameterTable)
{
    setVersion({ 3, 4, 1 }, { 6, 2, 0 }, 0);
    attach(hidDevice);
}

SimulatedPedal::~SimulatedPedal()
{
    std::lock_guard<std::mutex> lock(mutex);
    device->setOutputHandler(nullptr);
    if (trace)
        device->setWireTrace(nullptr);
}

void SimulatedPedal::attach(SimulatedHIDDevice& newDevice)
{
    std::lock_guard<std::mutex> lock(mutex);
    if (device != nullptr && device != &newDevice)
    {
        device->setOutputHandler(nullptr);
        if (trace)
            device->setWireTrace(nullptr);
    }
    device = &newDevice;
    if (trace)
        newDevice.setWireTrace(trace);
    // Replies go to the device the packet came in on, even if the pedal moves on meanwhile.
    SimulatedHIDDevice* source = &newDevice;
    newDevice.setOutputHandler([this, source](const std::vector<uint8_t>& report) { onOutputReport(*source, report); });
}

void SimulatedPedal::setFirmwareDoneHandler(std::function<void()> handler)
{
    std::lock_guard<std::mutex> lock(mutex);
    firmwareDoneHandler = std::move(handler);
}

// ---- Power and identity ------------------------------------------------------------------

void SimulatedPedal::restart(std::chrono::milliseconds startupPeriod)
{
    std::lock_guard<std::mutex> lock(mutex);
    staged.clear();
    transfer = TransferState::Idle;
    readBuffer.clear();
    writeBuffer.clear();
    dspImageOpen = false;
    dspSessionStart = dspImages.size();
    loadPresetLocked(current);
    silentUntil = Clock::now() + startupPeriod;
}

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

// ---- Program and parameters ----------------------------------------------------------------

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

void SimulatedPedal::loadPresetLocked(unsigned preset)
{
    current = preset;
    storeLocked(kPresetParams, kEditBuffer, workingLocked(kPresetParams, preset));
    storeLocked(kCurrentCabinetName, 0, workingLocked(kPresetCabinetName, preset));
    storeLocked(kCurrentCabinetSamples, 0, workingLocked(kPresetCabinetSamples, preset));
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

std::optional<SimulatedPedal::ParameterRoute> SimulatedPedal::routeFromParameterTable(unsigned messageId)
{
    for (size_t i = 0; i < kParameterDefinitionCount; ++i)
    {
        const ParameterDefinition& definition = kParameterDefinitions[i];
        if (definition.messageId != messageId || definition.deviceIndex < 0)
            continue;
        const auto key = static_cast<uint32_t>(definition.deviceIndex);
        if (definition.scope == 1)
            return ParameterRoute { ParameterRoute::Target::EditBuffer, key };
        if (definition.scope == 2)
            return ParameterRoute { ParameterRoute::Target::Globals, key };
    }
    return std::nullopt;
}

// ---- Blocks ------------------------------------------------------------------------------

size_t SimulatedPedal::blockBytes(unsigned type) const
{
    switch (type)
    {
        case kGlobals: return Format::kGlobalsBytes;
        case kPresetName: return Format::kPresetNameBytes;
        case kPresetParams: return variant == 1 ? Format::kShortPresetListBytes : Format::kPresetListBytes;
        case kAmpInfo: return Format::kAmpInfoBytes;
        case kAmpParams: return Format::kAmpModelBytes;
        case kAmpData: return Format::kAmpDataBytes;
        case kAmpExtra: return Format::kAmpExtraBytes;
        case kUserCabinetName:
        case kPresetCabinetName:
        case kCurrentCabinetName: return Format::kCabinetNameBytes;
        case kUserCabinetSamples:
        case kPresetCabinetSamples:
        case kCurrentCabinetSamples: return Format::kCabinetSamplesBytes;
        default: return 0;
    }
}

bool SimulatedPedal::isValidIndex(unsigned type, unsigned index)
{
    switch (type)
    {
        case kGlobals:
        case kCurrentCabinetName:
        case kCurrentCabinetSamples: return index == 0;
        case kPresetName:
        case kPresetCabinetName:
        case kPresetCabinetSamples: return index < kPresetCount;
        case kPresetParams: return index <= kEditBuffer;
        case kAmpInfo:
        case kAmpParams:
        case kAmpData:
        case kAmpExtra: return index < kAmpModelCount;
        case kUserCabinetName:
        case kUserCabinetSamples: return index < kUserCabinetCount;
        default: return false;
    }
}

bool SimulatedPedal::isLiveBlock(unsigned type, unsigned index)
{
    return type == kCurrentCabinetName || type == kCurrentCabinetSamples
        || (type == kPresetParams && index == kEditBuffer);
}

std::vector<uint8_t> SimulatedPedal::factoryBlock(unsigned type) const
{
    // Empty parameter lists, empty amp-model slots, blank names and silent samples.
    std::vector<uint8_t> data(blockBytes(type), 0);
    if (type == kGlobals || type == kPresetParams)
        Format::encodeParameterList({}, data.size() / 8, data);
    else if (type == kAmpInfo)
        Format::putU32(data.data(), Format::kEmptyAmpModelId);
    else if (type == kAmpParams)
    {
        std::vector<uint8_t> pairs;
        Format::encodeParameterList({}, Format::kAmpPairs, pairs);
        std::copy(pairs.begin(), pairs.end(), data.begin());
    }
    return data;
}

std::vector<uint8_t> SimulatedPedal::storedLocked(unsigned type, unsigned index) const
{
    auto found = stored.find({ type, index });
    return found != stored.end() ? found->second : factoryBlock(type);
}

std::vector<uint8_t> SimulatedPedal::workingLocked(unsigned type, unsigned index) const
{
    auto found = staged.find({ type, index });
    return found != staged.end() ? found->second : storedLocked(type, index);
}

std::vector<uint8_t> SimulatedPedal::blockLocked(unsigned type, unsigned index, Copy copy) const
{
    return copy == Copy::Stored ? storedLocked(type, index) : workingLocked(type, index);
}

void SimulatedPedal::storeLocked(unsigned type, unsigned index, std::vector<uint8_t> data)
{
    staged.erase({ type, index });
    stored[{ type, index }] = std::move(data);
}

void SimulatedPedal::commitLocked(unsigned type, unsigned index)
{
    auto found = staged.find({ type, index });
    if (found == staged.end())
        return;
    stored[{ type, index }] = std::move(found->second);
    staged.erase(found);
}

void SimulatedPedal::commitAllLocked(std::initializer_list<unsigned> types)
{
    std::vector<BlockKey> committing;
    for (const auto& entry : staged)
        if (std::find(types.begin(), types.end(), entry.first.first) != types.end())
            committing.push_back(entry.first);
    for (const BlockKey& key : committing)
        commitLocked(key.first, key.second);
}

void SimulatedPedal::storeChecked(unsigned type, unsigned index, std::vector<uint8_t> data)
{
    if (!isValidIndex(type, index))
    {
        ADD_FAILURE() << "the pedal has no block of type " << type << " at index " << index;
        return;
    }
    std::lock_guard<std::mutex> lock(mutex);
    storeLocked(type, index, std::move(data));
}

void SimulatedPedal::setBlock(unsigned type, unsigned index, std::vector<uint8_t> data)
{
    std::lock_guard<std::mutex> lock(mutex);
    storeLocked(type, index, std::move(data));
}

std::vector<uint8_t> SimulatedPedal::block(unsigned type, unsigned index) const
{
    return block(type, index, Copy::Working);
}

std::vector<uint8_t> SimulatedPedal::block(unsigned type, unsigned index, Copy copy) const
{
    std::lock_guard<std::mutex> lock(mutex);
    return blockLocked(type, index, copy);
}

std::vector<uint8_t> SimulatedPedal::storedBlock(unsigned type, unsigned index) const
{
    return block(type, index, Copy::Stored);
}

std::optional<std::vector<uint8_t>> SimulatedPedal::stagedBlock(unsigned type, unsigned index) const
{
    std::lock_guard<std::mutex> lock(mutex);
    auto found = staged.find({ type, index });
    if (found == staged.end())
        return std::nullopt;
    return found->second;
}

std::vector<std::pair<unsigned, unsigned>> SimulatedPedal::stagedBlocks() const
{
    std::lock_guard<std::mutex> lock(mutex);
    std::vector<std::pair<unsigned, unsigned>> keys;
    for (const auto& entry : staged)
        keys.push_back(entry.first);
    return keys;
}

bool SimulatedPedal::hasStoredBlock(unsigned type, unsigned index) const
{
    std::lock_guard<std::mutex> lock(mutex);
    return stored.count({ type, index }) != 0;
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

// ---- Records -------------------------------------------------------------------------------

void SimulatedPedal::setPreset(unsigned index, const TonecrestData::Preset& content)
{
    setPresetParams(index, content.params);
    if (index != kEditBuffer)
        setPresetName(index, content.name);
    if (content.cabinet && index == kEditBuffer)
        setCurrentCabinet(*content.cabinet);
    else if (content.cabinet)
        setPresetCabinet(index, *content.cabinet);
}

TonecrestData::Preset SimulatedPedal::preset(unsigned index, Copy copy) const
{
    TonecrestData::Preset content;
    content.params = presetParams(index, copy);
    if (index != kEditBuffer)
        content.name = presetName(index, copy);
    content.cabinet = std::make_unique<TonecrestData::Cabinet>(index == kEditBuffer ? currentCabinet()
                                                                                    : presetCabinet(index, copy));
    return content;
}

void SimulatedPedal::setPresetParams(unsigned index, const TonecrestData::ParameterMap& params)
{
    std::vector<uint8_t> data;
    if (!Format::encodeParameterList(params, blockBytes(kPresetParams) / 8, data))
    {
        ADD_FAILURE() << params.size() << " parameters do not fit the pedal's preset list";
        return;
    }
    storeChecked(kPresetParams, index, std::move(data));
}

TonecrestData::ParameterMap SimulatedPedal::presetParams(unsigned index, Copy copy) const
{
    const auto data = block(kPresetParams, index, copy);
    return Format::decodeParameterList(data, 0, data.size() / 8);
}

void SimulatedPedal::setPresetName(unsigned index, const std::string& name)
{
    storeChecked(kPresetName, index, nameBlock(Format::kPresetNameBytes, name, Format::kPresetNameChars));
}

std::string SimulatedPedal::presetName(unsigned index, Copy copy) const
{
    return Format::getName(block(kPresetName, index, copy), 0, Format::kPresetNameChars);
}

void SimulatedPedal::setCabinetName(unsigned type, unsigned index, const std::string& name)
{
    storeChecked(type, index, nameBlock(Format::kCabinetNameBytes, name, Format::kCabinetNameChars));
}

void SimulatedPedal::setCabinetSamples(unsigned type, unsigned index, const TonecrestData::Cabinet& content)
{
    storeChecked(type, index, samplesBlock(content));
}

TonecrestData::Cabinet SimulatedPedal::cabinet(unsigned nameType, unsigned index, Copy copy) const
{
    TonecrestData::Cabinet content;
    content.name = Format::getName(block(nameType, index, copy), 0, Format::kCabinetNameChars);
    Format::getFloats(block(nameType + 1, index, copy), 0, content.samples.data(), content.samples.size());
    return content;
}

void SimulatedPedal::setPresetCabinet(unsigned index, const TonecrestData::Cabinet& content)
{
    setCabinetName(kPresetCabinetName, index, content.name);
    setCabinetSamples(kPresetCabinetSamples, index, content);
}

TonecrestData::Cabinet SimulatedPedal::presetCabinet(unsigned index, Copy copy) const
{
    return cabinet(kPresetCabinetName, index, copy);
}

void SimulatedPedal::setUserCabinet(unsigned index, const TonecrestData::Cabinet& content)
{
    setCabinetName(kUserCabinetName, index, content.name);
    setCabinetSamples(kUserCabinetSamples, index, content);
}

TonecrestData::Cabinet SimulatedPedal::userCabinet(unsigned index, Copy copy) const
{
    return cabinet(kUserCabinetName, index, copy);
}

void SimulatedPedal::setCurrentCabinet(const TonecrestData::Cabinet& content)
{
    setCabinetName(kCurrentCabinetName, 0, content.name);
    setCabinetSamples(kCurrentCabinetSamples, 0, content);
}

TonecrestData::Cabinet SimulatedPedal::currentCabinet() const
{
    return cabinet(kCurrentCabinetName, 0, Copy::Stored);
}

void SimulatedPedal::setGlobals(const TonecrestData::ParameterMap& globals)
{
    std::vector<uint8_t> data;
    if (!Format::encodeParameterList(globals, Format::kGlobalsBytes / 8, data))
    {
        ADD_FAILURE() << globals.size() << " globals do not fit the pedal's globals list";
        return;
    }
    storeChecked(kGlobals, 0, std::move(data));
}

TonecrestData::ParameterMap SimulatedPedal::globals(Copy copy) const
{
    const auto data = block(kGlobals, 0, copy);
    return Format::decodeParameterList(data, 0, data.size() / 8);
}

void SimulatedPedal::setAmpModelInfo(unsigned model, const TonecrestData::AmpModelInfo& info)
{
    std::vector<uint8_t> data(Format::kAmpInfoBytes, 0);
    Format::putU32(data.data(), info.id);
    Format::putName(data, 4, info.name, Format::kAmpNameChars);
    storeChecked(kAmpInfo, model, std::move(data));
}

TonecrestData::AmpModelInfo SimulatedPedal::ampModelInfo(unsigned model, Copy copy) const
{
    const auto data = block(kAmpInfo, model, copy);
    TonecrestData::AmpModelInfo info;
    info.id = data.size() >= 4 ? Format::getU32(data.data()) : 0;
    info.name = Format::getName(data, 4, Format::kAmpNameChars);
    return info;
}

void SimulatedPedal::setAmpModel(unsigned model, const TonecrestData::AmpModel& content)
{
    std::vector<uint8_t> pairs;
    if (!Format::encodeParameterList(content.params, Format::kAmpPairs, pairs))
    {
        ADD_FAILURE() << content.params.size() << " parameters do not fit an amp model block";
        return;
    }
    std::vector<uint8_t> params(Format::kAmpModelBytes, 0);
    std::copy(pairs.begin(), pairs.end(), params.begin());
    Format::putName(params, Format::kAmpLongName1Offset, content.longName1, Format::kLongNameChars);
    Format::putName(params, Format::kAmpLongName2Offset, content.longName2, Format::kLongNameChars);

    std::vector<uint8_t> data(Format::kAmpDataBytes, 0);
    Format::putWords(data, 0, content.dataWords1.data(), content.dataWords1.size());
    std::vector<uint8_t> extra(Format::kAmpExtraBytes, 0);
    Format::putWords(extra, 0, content.dataWords2.data(), content.dataWords2.size());

    setAmpModelInfo(model, content.info);
    storeChecked(kAmpParams, model, std::move(params));
    storeChecked(kAmpData, model, std::move(data));
    storeChecked(kAmpExtra, model, std::move(extra));
}

TonecrestData::AmpModel SimulatedPedal::ampModel(unsigned model, Copy copy) const
{
    TonecrestData::AmpModel content;
    content.info = ampModelInfo(model, copy);
    const auto params = block(kAmpParams, model, copy);
    content.params = Format::decodeParameterList(params, 0, Format::kAmpPairs);
    content.longName1 = Format::getName(params, Format::kAmpLongName1Offset, Format::kLongNameChars);
    content.longName2 = Format::getName(params, Format::kAmpLongName2Offset, Format::kLongNameChars);
    Format::getWords(block(kAmpData, model, copy), 0, content.dataWords1.data(), content.dataWords1.size());
    Format::getWords(block(kAmpExtra, model, copy), 0, content.dataWords2.data(), content.dataWords2.size());
    return content;
}

// ---- DSP firmware records ----------------------------------------------------------------------

std::vector<SimulatedPedal::DSPImage> SimulatedPedal::receivedDSPImages() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return dspImages;
}

std::optional<std::vector<uint8_t>> SimulatedPedal::loadedDSPImage(unsigned dsp) const
{
    std::lock_guard<std::mutex> lock(mutex);
    auto found = loadedImages.find(dsp);
    if (found == loadedImages.end())
        return std::nullopt;
    return found->second;
}

int SimulatedPedal::firmwareDoneCount() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return firmwareDones;
}

// ---- Unsolicited input, faults, trace, recording ----------------------------------------------

void SimulatedPedal::sendNotification(const std::vector<uint8_t>& payload)
{
    sendRawReport(packet(kNotification, payload.data(), std::min(payload.size(), kMaxPayload)));
}

void SimulatedPedal::sendRawReport(std::vector<uint8_t> report)
{
    SimulatedHIDDevice* target;
    {
        std::lock_guard<std::mutex> lock(mutex);
        target = device;
    }
    target->pushInputReport(std::move(report));
}

void SimulatedPedal::addFault(const FaultRule& rule)
{
    std::lock_guard<std::mutex> lock(mutex);
    faults.push_back(rule);
}

void SimulatedPedal::addFaultAt(uint8_t packetType, int nth, Fault fault, uint8_t replyType)
{
    addFault({ packetType, fault, std::max(nth - 1, 0), 1, replyType });
}

void SimulatedPedal::clearFaults()
{
    std::lock_guard<std::mutex> lock(mutex);
    faults.clear();
}

void SimulatedPedal::traceComment(const std::string& text)
{
    if (trace)
        trace->comment(text);
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

void SimulatedPedal::onOutputReport(SimulatedHIDDevice& source, const std::vector<uint8_t>& report)
{
    if (report.size() < kHeaderSize)
        return;

    std::unique_lock<std::mutex> lock(mutex);
    firmwareDoneArrived = false;
    respondLocked(source, report);
    if (!firmwareDoneArrived || !firmwareDoneHandler)
        return;
    std::function<void()> handler = firmwareDoneHandler;
    lock.unlock();
    handler();
}

void SimulatedPedal::respondLocked(SimulatedHIDDevice& source, const std::vector<uint8_t>& report)
{
    const size_t declared = std::min(report.size(), kHeaderSize + report[1]);
    std::vector<uint8_t> incoming(report.begin(), report.begin() + static_cast<std::ptrdiff_t>(declared));
    received.push_back(incoming);

    // Still booting: the USB side enumerates before the firmware listens.
    if (Clock::now() < silentUntil)
        return;

    std::optional<FaultRule> fault = takeFault(incoming[0]);
    if (fault && fault->fault == Fault::Unplug)
    {
        source.unplug();
        return;
    }
    if (fault && fault->fault == Fault::Drop)
        return;
    if (fault && (fault->fault == Fault::Nack || fault->fault == Fault::Ignore))
    {
        source.pushInputReport(fault->fault == Fault::Nack ? nack() : ack());
        return;
    }

    Reply reply = handlePacket(incoming);
    if (!reply)
        return;
    if (fault && fault->fault == Fault::Malformed)
        (*reply)[1] = 0xFF; // a length no 64-byte report can hold
    if (fault && fault->fault == Fault::WrongType)
        (*reply)[0] = fault->replyType;
    if (fault && fault->fault == Fault::ShortReport)
    {
        source.pushUnpaddedInputReport({ (*reply)[0] });
        return;
    }
    source.pushInputReport(std::move(*reply));
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
            return length == 0 ? ack() : nack();

        case kVersionRequest:
            return length == 0 ? packet(kAck, versionPayload.data(), versionPayload.size()) : nack();

        case kProgramChange:
            if (length != 1 || payload[0] >= kPresetCount)
                return nack();
            loadPresetLocked(payload[0]);
            return ack();

        case kProgramRequest:
        {
            if (length != 0)
                return nack();
            const uint8_t preset = static_cast<uint8_t>(current);
            return packet(kProgramReply, &preset, 1);
        }

        case kSetParameter:
            // Applied at once and never answered, so the host can stream knob movements.
            handleSetParameter(payload, length);
            return std::nullopt;

        case kReadRequest:
            return handleReadRequest(payload, length);

        case kAck:
            return handleAck(length);

        case kTransferStart:
            // A new write start abandons whatever transfer was open.
            readBuffer.clear();
            writeBuffer.clear();
            transfer = length == 0 ? TransferState::Writing : TransferState::Idle;
            return length == 0 ? ack() : nack();

        case kDataChunk:
            return handleDataChunk(payload, length);

        case kTransferEnd:
            return handleWriteEnd(payload, length);

        case kWriteback:
            return handleWriteback(payload, length);

        case kFirmwareStart:
            return handleFirmwareStart(payload, length);

        case kFirmwareChunk:
            return handleFirmwareChunk(payload, length);

        case kFirmwareDone:
            handleFirmwareDone(length);
            return std::nullopt;

        default:
            return nack();
    }
}

void SimulatedPedal::handleSetParameter(const uint8_t* payload, size_t length)
{
    // Malformed writes get no reply either; they are simply not applied.
    if (length != 8 || payload[2] != 0 || payload[3] != 0)
        return;
    const unsigned messageId = Format::getU16(payload);
    const float value = Format::floatFromBits(Format::getU32(payload + 4));
    parameters[messageId] = value;
    parameterLog.push_back({ messageId, value });

    const std::optional<ParameterRoute> route = router ? router(messageId) : std::nullopt;
    if (!route)
        return;
    if (route->target == ParameterRoute::Target::EditBuffer)
    {
        auto editBuffer = storedLocked(kPresetParams, kEditBuffer);
        setListValue(editBuffer, route->storageKey, value);
        storeLocked(kPresetParams, kEditBuffer, std::move(editBuffer));
        return;
    }
    // Global settings take effect and persist at once: the host never writes them back.
    auto globalsBlock = storedLocked(kGlobals, 0);
    setListValue(globalsBlock, route->storageKey, value);
    stored[{ kGlobals, 0 }] = std::move(globalsBlock);
    auto stagedGlobals = staged.find({ kGlobals, 0 });
    if (stagedGlobals != staged.end())
        setListValue(stagedGlobals->second, route->storageKey, value);
}

SimulatedPedal::Reply SimulatedPedal::handleReadRequest(const uint8_t* payload, size_t length)
{
    transfer = TransferState::Idle;
    writeBuffer.clear();
    if (length != 5 || Format::getU16(payload + 3) != 0)
        return nack();
    const unsigned type = payload[0];
    const unsigned index = Format::getU16(payload + 1);
    if (blockBytes(type) == 0 || !isValidIndex(type, index))
        return nack();

    transfer = TransferState::Reading;
    readType = type;
    readIndex = index;
    readBuffer = workingLocked(type, index);
    readOffset = 0;
    return packet(kTransferStart);
}

SimulatedPedal::Reply SimulatedPedal::handleAck(size_t length)
{
    if (transfer != TransferState::Reading || length != 0)
        return nack();

    if (readOffset < readBuffer.size())
    {
        const size_t chunkBytes = std::min(readBuffer.size() - readOffset, kMaxPayload);
        Reply chunk = packet(kDataChunk, readBuffer.data() + readOffset, chunkBytes);
        readOffset += chunkBytes;
        return chunk;
    }

    transfer = TransferState::Idle;
    std::vector<uint8_t> end(kHeaderSize + 7, 0);
    end[0] = kTransferEnd;
    end[1] = 7;
    end[2] = static_cast<uint8_t>(readType);
    Format::putU16(&end[3], static_cast<uint16_t>(readIndex));
    Format::putU16(&end[5], static_cast<uint16_t>(readBuffer.size() / 4));
    Format::putU16(&end[7], Format::checksum(readBuffer.data(), readBuffer.size()));
    readBuffer.clear();
    return end;
}

SimulatedPedal::Reply SimulatedPedal::handleDataChunk(const uint8_t* payload, size_t length)
{
    if (transfer != TransferState::Writing || length == 0)
        return nack();
    if (writeBuffer.size() + length > kMaxBlockBytes)
    {
        // Longer than any block: the host is out of step; drop the whole write.
        transfer = TransferState::Idle;
        writeBuffer.clear();
        return nack();
    }
    writeBuffer.insert(writeBuffer.end(), payload, payload + length);
    return ack();
}

SimulatedPedal::Reply SimulatedPedal::handleWriteEnd(const uint8_t* payload, size_t length)
{
    const bool writing = transfer == TransferState::Writing;
    transfer = TransferState::Idle;
    std::vector<uint8_t> data = std::move(writeBuffer);
    writeBuffer.clear();
    if (!writing || length != 7)
        return nack();

    const unsigned type = payload[0];
    const unsigned index = Format::getU16(payload + 1);
    const unsigned wordCount = Format::getU16(payload + 3);
    const uint16_t declaredChecksum = Format::getU16(payload + 5);

    if (blockBytes(type) == 0 || !isValidIndex(type, index) || data.size() != blockBytes(type)
        || wordCount * 4 != data.size() || declaredChecksum != Format::checksum(data.data(), data.size()))
        return nack();

    writeLog.push_back({ type, index, data, wordCount, declaredChecksum });
    if (isLiveBlock(type, index))
        storeLocked(type, index, std::move(data));
    else
        staged[{ type, index }] = std::move(data);
    return ack();
}

SimulatedPedal::Reply SimulatedPedal::handleWriteback(const uint8_t* payload, size_t length)
{
    if (length != 3)
        return nack();
    const unsigned type = payload[0];
    const unsigned index = Format::getU16(payload + 1);
    if (blockBytes(type) == 0 || type == kCurrentCabinetName || type == kCurrentCabinetSamples)
        return nack();

    if (index == kWritebackAllIndex)
        commitAllLocked({ type });
    else if (index == kWritebackAmpModelsIndex)
    {
        // The amp-model list as a whole: every staged block of every amp-model type.
        if (type != kAmpInfo)
            return nack();
        commitAllLocked({ kAmpInfo, kAmpParams, kAmpData, kAmpExtra });
    }
    else if (!isValidIndex(type, index) || isLiveBlock(type, index))
        return nack();
    else
        commitLocked(type, index);

    writebackLog.push_back({ type, index });
    return ack();
}

SimulatedPedal::Reply SimulatedPedal::handleFirmwareStart(const uint8_t* payload, size_t length)
{
    dspImageOpen = false;
    if (length != 5 || payload[0] > 1 || Format::getU32(payload + 1) != kFirmwareStartMagic)
        return nack();
    dspImages.push_back({ payload[0], {} });
    dspImageOpen = true;
    return ack();
}

SimulatedPedal::Reply SimulatedPedal::handleFirmwareChunk(const uint8_t* payload, size_t length)
{
    if (!dspImageOpen)
        return nack();
    std::vector<uint8_t>& image = dspImages.back().bytes;
    // An empty chunk only stands for an empty image.
    if ((length == 0 && !image.empty()) || image.size() + length > kMaxDSPImageBytes)
    {
        dspImageOpen = false;
        return nack();
    }
    image.insert(image.end(), payload, payload + length);
    return ack();
}

void SimulatedPedal::handleFirmwareDone(size_t length)
{
    if (length != 0 || dspSessionStart == dspImages.size())
        return;
    for (size_t i = dspSessionStart; i < dspImages.size(); ++i)
        loadedImages[dspImages[i].dsp] = dspImages[i].bytes;
    dspSessionStart = dspImages.size();
    dspImageOpen = false;
    ++firmwareDones;
    firmwareDoneArrived = true;
}

} // namespace Tonecrest::Testing
