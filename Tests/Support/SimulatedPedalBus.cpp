#include "SimulatedPedalBus.h"

#include "WireTrace.h"

#include <algorithm>
#include <cstdio>

namespace Tonecrest::Testing
{
namespace
{
constexpr std::chrono::hours kForever { 24 };

/** The DSP version named in a synthetic DSP image's first line. */
bool versionOfDSPImage(const std::vector<uint8_t>& image, SyntheticFirmware::Version& version)
{
    std::string header(image.begin(), image.begin() + static_cast<std::ptrdiff_t>(std::min<size_t>(image.size(), 96)));
    unsigned major = 0, minor = 0, patch = 0;
    if (std::sscanf(header.c_str(), "SYNTHETIC DSP IMAGE %*s %u.%u.%u", &major, &minor, &patch) != 3)
        return false;
    version = { static_cast<uint8_t>(major), static_cast<uint8_t>(minor), static_cast<uint8_t>(patch) };
    return true;
}
} // namespace

class SimulatedPedalBus::UserListener : public TonecrestEditorService::Listener
{
public:
    explicit UserListener(SimulatedPedalBus& owner) : bus(owner) {}

    void onEditorServiceAllChanged() override {}
    void onEditorServiceStateChanged(int state) override { bus.onServiceState(state); }
    void onEditorServicePresetChanged(int) override {}
    void onEditorServiceCurrentPresetChanged(int) override {}
    void onEditorServiceUserCabinetChanged(int) override {}
    void onEditorServiceParameterChanged(TonecrestParamID, const TonecrestParamMap::ParameterValue&) override {}
    void onEditorServiceParametersChanged() override {}

private:
    SimulatedPedalBus& bus;
};

SimulatedBootloader::Config SimulatedPedalBus::defaultChip()
{
    SimulatedBootloader::Config chip;
    chip.family = 1;
    chip.bytesPerPacket = 56;
    chip.regions = { { 1, 0x1000, 0x3000 }, { 2, 0xF00000, 0x100 }, { 3, 0x300000, 0x0E } };
    return chip;
}

SimulatedPedalBus::SimulatedPedalBus(FakeHIDBackend& hidBackend)
    : SimulatedPedalBus(hidBackend, Options())
{
}

SimulatedPedalBus::SimulatedPedalBus(FakeHIDBackend& hidBackend, Options busOptions)
    : backend(hidBackend), options(std::move(busOptions)), system(options.system), dsp(options.dsp)
{
    normalModel = std::make_unique<SimulatedPedal>(parkedNormal, options.formatVariant);
    normalModel->setVersion(system, dsp, options.subType);
    normalModel->setFirmwareDoneHandler([this] { onFirmwareDone(); });
    listener = std::make_unique<UserListener>(*this);

    actionThread = std::thread([this] { runActions(); });
    if (options.initialMode != Mode::Absent)
        enumerate(options.initialMode, false);
}

SimulatedPedalBus::~SimulatedPedalBus()
{
    {
        std::lock_guard<std::mutex> lock(actionMutex);
        stopping = true;
        actions.clear();
    }
    actionsChanged.notify_all();
    actionThread.join();
    // The models let go of their devices while every device is still alive.
    normalModel.reset();
    std::lock_guard<std::mutex> lock(bootloaderMutex);
    bootloaderModel.reset();
}

SimulatedBootloader& SimulatedPedalBus::bootloader()
{
    return bootloaderOn(parkedBootloader, false);
}

SimulatedBootloader& SimulatedPedalBus::bootloaderOn(SimulatedHIDDevice& target, bool attachIfMade)
{
    std::lock_guard<std::mutex> lock(bootloaderMutex);
    if (!bootloaderModel)
    {
        bootloaderModel = std::make_unique<SimulatedBootloader>(target, options.chip);
        bootloaderModel->setResetHandler([this] { onBootloaderReset(); });
    }
    else if (attachIfMade)
    {
        bootloaderModel->attach(target);
    }
    return *bootloaderModel;
}

// ---- Scripting thread ------------------------------------------------------------------------

void SimulatedPedalBus::schedule(std::chrono::milliseconds delay, std::function<void()> action)
{
    {
        std::lock_guard<std::mutex> lock(actionMutex);
        if (stopping)
            return;
        actions.push_back({ Clock::now() + delay, std::move(action) });
    }
    actionsChanged.notify_all();
}

void SimulatedPedalBus::runActions()
{
    std::unique_lock<std::mutex> lock(actionMutex);
    while (!stopping)
    {
        if (actions.empty())
        {
            actionsChanged.wait(lock);
            continue;
        }
        // Actions run in the order they were scheduled, each no earlier than its time.
        if (Clock::now() < actions.front().at)
        {
            actionsChanged.wait_until(lock, actions.front().at);
            continue;
        }
        std::function<void()> action = std::move(actions.front().run);
        actions.pop_front();
        lock.unlock();
        action();
        lock.lock();
    }
}

// ---- Bus -------------------------------------------------------------------------------------

void SimulatedPedalBus::setModeLocked(Mode newMode, std::shared_ptr<SimulatedHIDDevice> newDevice)
{
    currentMode = newMode;
    device = std::move(newDevice);
    modeChanged.notify_all();
}

void SimulatedPedalBus::leaveBus()
{
    std::shared_ptr<SimulatedHIDDevice> leaving;
    std::string leftNode;
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (currentMode == Mode::Absent)
            return;
        leaving = device;
        leftNode = node;
        departed = device;
        setModeLocked(Mode::Absent, nullptr);
    }
    backend.unplug(leftNode);
    leaving->unplug();
}

void SimulatedPedalBus::comeBack(Mode which, bool silentForever)
{
    schedule(std::chrono::milliseconds(0), [this, which, silentForever] {
        std::shared_ptr<SimulatedHIDDevice> old;
        {
            std::lock_guard<std::mutex> lock(mutex);
            old = departed;
        }
        // The host's poll must see the old device go before the new one arrives.
        const Clock::time_point giveUp = Clock::now() + options.hostCloseWait;
        while (old != nullptr && backend.openHandleCount(old.get()) > 0 && Clock::now() < giveUp)
        {
            {
                std::lock_guard<std::mutex> lock(actionMutex);
                if (stopping)
                    return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        schedule(options.bootTime, [this, which, silentForever] { enumerate(which, silentForever); });
    });
}

void SimulatedPedalBus::restart(Restart restart, Mode which, bool silentForever)
{
    bool quick;
    std::function<void(Restart)> alsoArriving;
    {
        std::lock_guard<std::mutex> lock(mutex);
        quick = which != Mode::Absent && (options.quickReturns & restart) != 0;
        alsoArriving = restartHandler;
    }
    {
        // A quick return is back between two polls, while the host still holds the old device.
        auto betweenPolls = backend.holdEnumeration();
        leaveBus();
        if (alsoArriving)
            alsoArriving(restart);
        if (quick)
            enumerate(which, silentForever);
    }
    if (!quick && which != Mode::Absent)
        comeBack(which, silentForever);
}

std::string SimulatedPedalBus::freeNode() const
{
    std::vector<Enumerated> enumerated;
    {
        std::lock_guard<std::mutex> lock(mutex);
        enumerated = allDevices;
    }
    // hidraw does not reuse a node that is still open.
    for (int suffix = 0;; ++suffix)
    {
        const std::string candidate = suffix == 0 ? options.path : options.path + "." + std::to_string(suffix);
        const bool taken = std::any_of(enumerated.begin(), enumerated.end(), [&](const Enumerated& earlier) {
            return earlier.node == candidate && backend.openHandleCount(earlier.device.get()) > 0;
        });
        if (!taken)
            return candidate;
    }
}

void SimulatedPedalBus::enumerate(Mode which, bool silentForever)
{
    const std::string newNode = freeNode();
    auto newDevice = std::make_shared<SimulatedHIDDevice>(
        kVendorID, which == Mode::Normal ? kNormalProductID : kBootloaderProductID);
    if (which == Mode::Normal)
    {
        SyntheticFirmware::Version systemNow, dspNow;
        {
            std::lock_guard<std::mutex> lock(mutex);
            systemNow = system;
            dspNow = dsp;
        }
        normalModel->setVersion(systemNow, dspNow, options.subType);
        normalModel->restart(silentForever ? std::chrono::milliseconds(kForever) : options.startupPeriod);
        if (enumerations(Mode::Normal) > 0)
            normalModel->traceComment("device: pedal");
        normalModel->attach(*newDevice);
    }
    else
    {
        bootloaderOn(*newDevice, true);
    }

    {
        std::lock_guard<std::mutex> lock(mutex);
        allDevices.push_back({ newDevice, newNode });
        (which == Mode::Normal ? normalEnumerations : bootloaderEnumerations)++;
        node = newNode;
        setModeLocked(which, newDevice);
    }
    backend.plug(newNode, newDevice);
}

SimulatedPedalBus::Mode SimulatedPedalBus::mode() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return currentMode;
}

std::shared_ptr<SimulatedHIDDevice> SimulatedPedalBus::currentDevice() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return device;
}

bool SimulatedPedalBus::waitForMode(Mode wanted, std::chrono::milliseconds timeout) const
{
    std::unique_lock<std::mutex> lock(mutex);
    return modeChanged.wait_for(lock, timeout, [&] { return currentMode == wanted; });
}

int SimulatedPedalBus::enumerations(Mode which) const
{
    std::lock_guard<std::mutex> lock(mutex);
    return which == Mode::Normal ? normalEnumerations : which == Mode::Bootloader ? bootloaderEnumerations : 0;
}

SyntheticFirmware::Version SimulatedPedalBus::systemVersion() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return system;
}

SyntheticFirmware::Version SimulatedPedalBus::dspVersion() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return dsp;
}

// ---- User ------------------------------------------------------------------------------------

void SimulatedPedalBus::powerCycleIntoBootloader()
{
    restart(kIntoBootloader, Mode::Bootloader, false);
}

void SimulatedPedalBus::unplug()
{
    leaveBus();
}

void SimulatedPedalBus::plugIn(Mode which)
{
    if (which != Mode::Absent && mode() == Mode::Absent)
        comeBack(which, false);
}

TonecrestEditorService::Listener& SimulatedPedalBus::userListener()
{
    return *listener;
}

void SimulatedPedalBus::setUserIgnoresRequest(bool ignores)
{
    std::lock_guard<std::mutex> lock(mutex);
    userIgnores = ignores;
}

void SimulatedPedalBus::onServiceState(int state)
{
    // Called with the service's listener mutex held: only schedule here.
    {
        std::lock_guard<std::mutex> lock(mutex);
        const bool entered = state == TonecrestEditorService::kStateReconnecting && lastServiceState != state;
        lastServiceState = state;
        if (!entered || userIgnores)
            return;
    }
    schedule(std::chrono::milliseconds(0), [this] {
        if (mode() == Mode::Normal)
            powerCycleIntoBootloader();
    });
}

// ---- Failure hooks and the pedal's own restarts ------------------------------------------------

void SimulatedPedalBus::setComebackAfterSystemUpdate(Comeback comeback)
{
    std::lock_guard<std::mutex> lock(mutex);
    afterSystemUpdate = comeback;
}

void SimulatedPedalBus::setComebackAfterDSPUpdate(Comeback comeback)
{
    std::lock_guard<std::mutex> lock(mutex);
    afterDSPUpdate = comeback;
}

void SimulatedPedalBus::setRestartHandler(std::function<void(Restart)> handler)
{
    std::lock_guard<std::mutex> lock(mutex);
    restartHandler = std::move(handler);
}

void SimulatedPedalBus::onBootloaderReset()
{
    // On the host's writing thread: the bootloader has already dropped off the bus.
    schedule(std::chrono::milliseconds(0), [this] {
        Comeback comeback;
        {
            std::lock_guard<std::mutex> lock(mutex);
            comeback = afterSystemUpdate;
        }

        // The chip runs what it was programmed with: its version block, or nothing bootable.
        bool bootable = false;
        SimulatedBootloader& chipModel = bootloader();
        const SimulatedBootloader::Config& chip = chipModel.configuration();
        for (const auto& region : chip.regions)
        {
            if (region.type != 1)
                continue;
            auto version = SyntheticFirmware::versionInFlash(chipModel.flash(region.start), region.start,
                                                             SimulatedBootloader::bytesPerAddress(chip.family, 1));
            if (version)
            {
                std::lock_guard<std::mutex> lock(mutex);
                system = *version;
                bootable = true;
            }
        }
        if (!bootable && comeback != Comeback::Never)
            comeback = Comeback::Bootloader;
        comeBackAfter(kAfterSystemUpdate, comeback);
    });
}

void SimulatedPedalBus::onFirmwareDone()
{
    // On the host's writing thread, inside its write of the done message.
    schedule(std::chrono::milliseconds(0), [this] {
        Comeback comeback;
        {
            std::lock_guard<std::mutex> lock(mutex);
            comeback = afterDSPUpdate;
        }
        SyntheticFirmware::Version loaded;
        auto image = normalModel->loadedDSPImage(0);
        if (image && versionOfDSPImage(*image, loaded))
        {
            std::lock_guard<std::mutex> lock(mutex);
            dsp = loaded;
        }
        comeBackAfter(kAfterDSPUpdate, comeback);
    });
}

void SimulatedPedalBus::comeBackAfter(Restart which, Comeback comeback)
{
    switch (comeback)
    {
        case Comeback::Normal: restart(which, Mode::Normal, false); break;
        case Comeback::NormalNotReady: restart(which, Mode::Normal, true); break;
        case Comeback::Bootloader: restart(which, Mode::Bootloader, false); break;
        case Comeback::Never: restart(which, Mode::Absent, false); break;
    }
}

} // namespace Tonecrest::Testing
