#include "TonecrestEditorService.h"

#include <algorithm>
#include <cstdio>

namespace Tonecrest
{
namespace
{
TonecrestData::FirmwareVersionInfo noVersion()
{
    return TonecrestData::FirmwareVersionInfo {};
}
} // namespace

TonecrestEditorService::CopiedParameterData::CopiedParameterData(const CopiedParameterData& other)
    : values(other.values),
      cabinet(other.cabinet != nullptr ? std::make_unique<TonecrestData::Cabinet>(*other.cabinet) : nullptr)
{
}

TonecrestEditorService::CopiedParameterData& TonecrestEditorService::CopiedParameterData::operator=(const CopiedParameterData& other)
{
    if (this != &other)
    {
        values = other.values;
        cabinet = other.cabinet != nullptr ? std::make_unique<TonecrestData::Cabinet>(*other.cabinet) : nullptr;
    }
    return *this;
}

TonecrestEditorService::TonecrestEditorService(const TonecrestData::FirmwareVersionInfo* minimum)
    : minimumVersion(minimum != nullptr ? *minimum : noVersion()),
      deviceVersion(noVersion())
{
    presets.resize(kNumPresets);
    for (unsigned i = 0; i < kNumPresets; ++i)
        presets[i].index = static_cast<int>(i);
    userCabinets.resize(kNumUserCabinets);
    for (int i = 0; i < kNumUserCabinets; ++i)
        userCabinets[static_cast<size_t>(i)].index = i;
}

TonecrestEditorService::~TonecrestEditorService()
{
    disconnect();
    taskQueue.reset();
}

// ---- Connection ------------------------------------------------------------------------

Result TonecrestEditorService::connect(TonecrestProtocol* newProtocol)
{
    disconnect();
    if (newProtocol == nullptr)
        return kSuccess;

    const bool wasReconnecting = attachDevice(newProtocol, nullptr, kStateReady);
    newProtocol->setHandler(this);
    // During a firmware update the running task goes on with the new device: no state change.
    if (!wasReconnecting)
        notifyStateChanged(kStateReady);
    return kSuccess;
}

Result TonecrestEditorService::connectBootloader(TonecrestBootloader* newBootloader)
{
    disconnect();
    if (newBootloader == nullptr)
        return kSuccess;

    if (!attachDevice(nullptr, newBootloader, kStateBootloader))
        notifyStateChanged(kStateBootloader);
    return kSuccess;
}

bool TonecrestEditorService::attachDevice(TonecrestProtocol* newProtocol, TonecrestBootloader* newBootloader, int newState)
{
    std::unique_ptr<TaskQueue> leftover;
    {
        std::lock_guard<std::mutex> lock(stateMutex);
        if (reconnecting)
        {
            reconnecting = false;
            protocol = newProtocol;
            bootloader = newBootloader;
            return true;
        }
        running = false;
        leftover = std::move(taskQueue);
    }
    // A firmware update that failed while its pedal was away leaves its queue behind, and its
    // worker may still be finishing: its last steps take stateMutex, so it is joined without
    // the lock, and before the new device is taken on so those steps cannot touch it.
    leftover.reset();

    std::lock_guard<std::mutex> lock(stateMutex);
    protocol = newProtocol;
    bootloader = newBootloader;
    taskQueue = std::make_unique<TaskQueue>();
    state = newState;
    running = true;
    return false;
}

void TonecrestEditorService::disconnect()
{
    bool wasReconnecting;
    TonecrestProtocol* oldProtocol;
    {
        std::lock_guard<std::mutex> lock(stateMutex);
        if (protocol == nullptr && bootloader == nullptr)
            return;
        wasReconnecting = reconnecting;
        oldProtocol = protocol;
    }
    log(kLogDebug, "TonecrestEditorService: begin disconnect");

    if (!wasReconnecting)
    {
        setState(kStateNotConnected);
        std::unique_ptr<TaskQueue> queue;
        {
            std::lock_guard<std::mutex> lock(stateMutex);
            running = false;
            queue = std::move(taskQueue);
        }
        log(kLogDebug, "TonecrestEditorService: destroying task queue");
        queue.reset();
        log(kLogDebug, "TonecrestEditorService: task queue destroyed");
    }

    // A firmware task may be inside a call into this very device (it leaves the bus at the end
    // of each firmware step); the caller deletes it once this returns.
    std::lock_guard<std::mutex> deviceLock(deviceUseMutex);
    if (oldProtocol != nullptr)
        oldProtocol->setHandler(nullptr);

    bool restateDisconnected = false;
    {
        std::lock_guard<std::mutex> lock(stateMutex);
        protocol = nullptr;
        bootloader = nullptr;
        deviceVersion = noVersion();
        if (!wasReconnecting)
        {
            for (auto& entry : presets)
                entry.state = PresetInfo::kNotRead;
            for (auto& entry : userCabinets)
                entry.state = PresetInfo::kNotRead;
            // A body that was still running may have ended with an error after the state
            // went to 0; once the worker is joined the service is plainly disconnected.
            restateDisconnected = state != kStateNotConnected;
            state = kStateNotConnected;
        }
    }
    if (restateDisconnected)
        notifyStateChanged(kStateNotConnected);

    notifyAllChanged();
    log(kLogDebug, "TonecrestEditorService: end disconnect");
}

bool TonecrestEditorService::isConnected() const
{
    std::lock_guard<std::mutex> lock(stateMutex);
    return protocol != nullptr || bootloader != nullptr;
}

bool TonecrestEditorService::isReady() const
{
    return getState() == kStateReady;
}

TonecrestEditorService::Reconnect TonecrestEditorService::getAwaitedReconnect() const
{
    std::lock_guard<std::mutex> lock(stateMutex);
    if (!reconnecting)
        return Reconnect::kNone;
    return reconnectToBootloader ? Reconnect::kBootloader : Reconnect::kNormal;
}

TonecrestProtocol* TonecrestEditorService::getProtocol() const
{
    std::lock_guard<std::mutex> lock(stateMutex);
    return protocol;
}

// ---- Getters -----------------------------------------------------------------------------

int TonecrestEditorService::getState() const
{
    std::lock_guard<std::mutex> lock(stateMutex);
    return state;
}

std::string TonecrestEditorService::getLastError() const
{
    std::lock_guard<std::mutex> lock(stateMutex);
    return lastError;
}

Result TonecrestEditorService::getPresetInfo(int index, PresetInfo& out) const
{
    if (index < 0 || static_cast<unsigned>(index) >= kNumPresets)
        return TONECREST_ERROR("Invalid preset index: %d", index);
    std::lock_guard<std::mutex> lock(stateMutex);
    out = presets[static_cast<size_t>(index)];
    return kSuccess;
}

Result TonecrestEditorService::getUserCabinetInfo(int index, UserCabinetInfo& out) const
{
    if (index < 0 || index >= kNumUserCabinets)
        return TONECREST_ERROR("Invalid user cabinet index: %d", index);
    std::lock_guard<std::mutex> lock(stateMutex);
    out = userCabinets[static_cast<size_t>(index)];
    return kSuccess;
}

int TonecrestEditorService::getCurrentPresetIndex() const
{
    std::lock_guard<std::mutex> lock(stateMutex);
    return currentPreset;
}

bool TonecrestEditorService::isCurrentPresetModified() const
{
    std::lock_guard<std::mutex> lock(stateMutex);
    return currentPresetModified;
}

std::string TonecrestEditorService::getPresetNumberText(int index) const
{
    // A base beyond the int range counts as unreadable.
    long long offset = 0;
    ParameterValue base;
    if (getParameterValue(TonecrestParamMap::kParamPresetIndex, base).ok)
        offset = TonecrestParamMap::truncateToInt(base.value).value_or(0);
    char text[24];
    std::snprintf(text, sizeof text, "%03lld", index + offset);
    return text;
}

TonecrestData::FirmwareVersionInfo TonecrestEditorService::getDeviceVersion() const
{
    std::lock_guard<std::mutex> lock(stateMutex);
    return deviceVersion;
}

// ---- Listeners ---------------------------------------------------------------------------

void TonecrestEditorService::addListener(Listener* listener)
{
    std::lock_guard<std::mutex> lock(listenerMutex);
    listeners.push_back(listener);
}

void TonecrestEditorService::removeListener(Listener* listener)
{
    std::lock_guard<std::mutex> lock(listenerMutex);
    listeners.erase(std::remove(listeners.begin(), listeners.end(), listener), listeners.end());
}

template <typename Call>
void TonecrestEditorService::forEachListener(Call call)
{
    std::lock_guard<std::mutex> lock(listenerMutex);
    for (Listener* listener : listeners)
        call(*listener);
}

void TonecrestEditorService::notifyAllChanged()
{
    forEachListener([](Listener& l) { l.onEditorServiceAllChanged(); });
}

void TonecrestEditorService::notifyStateChanged(int newState)
{
    forEachListener([newState](Listener& l) { l.onEditorServiceStateChanged(newState); });
}

void TonecrestEditorService::notifyPresetInfoChanged(int index)
{
    forEachListener([index](Listener& l) { l.onEditorServicePresetChanged(index); });
}

void TonecrestEditorService::notifyCurrentPresetChanged()
{
    int current = getCurrentPresetIndex();
    forEachListener([current](Listener& l) { l.onEditorServiceCurrentPresetChanged(current); });
}

void TonecrestEditorService::notifyUserCabinetInfoChanged(int index)
{
    forEachListener([index](Listener& l) { l.onEditorServiceUserCabinetChanged(index); });
}

void TonecrestEditorService::notifyParameterValueChanged(TonecrestParamID id, const ParameterValue& value)
{
    forEachListener([id, &value](Listener& l) { l.onEditorServiceParameterChanged(id, value); });
}

void TonecrestEditorService::notifyParametersChanged()
{
    forEachListener([](Listener& l) { l.onEditorServiceParametersChanged(); });
}

// ---- Tasks and state ---------------------------------------------------------------------

Result TonecrestEditorService::startTask(int newState, Completion completion, TaskBody body)
{
    {
        std::lock_guard<std::mutex> lock(stateMutex);
        if (!running)
            return TONECREST_ERROR("Cannot start task while not running");
        if (protocol == nullptr)
            return TONECREST_ERROR("Cannot start task while not connected");
        if (state != kStateReady)
            return TONECREST_ERROR("Cannot start task while busy");
        state = newState;
        taskQueue->push(std::move(body), std::move(completion));
    }
    notifyStateChanged(newState);
    return kSuccess;
}

Result TonecrestEditorService::enqueueTask(Completion completion, TaskBody body)
{
    return startTask(kStateReady, std::move(completion), std::move(body));
}

Result TonecrestEditorService::cancelAll()
{
    log(kLogDebug, "TonecrestEditorService: cancelAll");
    std::lock_guard<std::mutex> lock(stateMutex);
    if (running && taskQueue != nullptr)
        taskQueue->cancelAll();
    return kSuccess;
}

void TonecrestEditorService::setState(int newState)
{
    {
        std::lock_guard<std::mutex> lock(stateMutex);
        state = newState;
    }
    notifyStateChanged(newState);
}

void TonecrestEditorService::finishTask(int taskState, int newState)
{
    {
        std::lock_guard<std::mutex> lock(stateMutex);
        if (state != taskState)
            return;
        state = newState;
    }
    notifyStateChanged(newState);
}

void TonecrestEditorService::setError(const char* text)
{
    log(kLogError, "EdSvc error: %s", text != nullptr ? text : "");
    {
        std::lock_guard<std::mutex> lock(stateMutex);
        lastError = text != nullptr ? text : "";
        // After a disconnect the service is simply not connected; a late error of a body
        // that was still running must not make it look connected and failed.
        if (!running && !reconnecting)
            return;
        state = kStateError;
    }
    notifyStateChanged(kStateError);
}

Result TonecrestEditorService::failTask(const char* text, Result result)
{
    setError(text);
    return result;
}

// ---- Transport -----------------------------------------------------------------------------

void TonecrestEditorService::onTransportStateChanged(int transportState)
{
    bool isReconnecting;
    {
        std::lock_guard<std::mutex> lock(stateMutex);
        isReconnecting = reconnecting;
    }
    if (transportState != TonecrestProtocol::kStateError || isReconnecting)
        return;
    setError("A communication error occurred");
    cancelAll();
}

void TonecrestEditorService::onNotification(const uint8_t*, size_t)
{
    // Changes made on the pedal itself show after the next refresh.
}

} // namespace Tonecrest
