#pragma once

#include "FakeHIDBackend.h"
#include "SimulatedBootloader.h"
#include "SimulatedHIDDevice.h"
#include "SimulatedPedal.h"
#include "SyntheticFirmware.h"
#include "TonecrestEditorService.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace Tonecrest::Testing
{

/** One simulated pedal on a FakeHIDBackend bus through a whole firmware update, the way the
    real one behaves across its re-enumerations:

        normal pedal (0x003F)
          -> the user power-cycles it into its bootloader (0x003C)
          -> the bootloader is programmed and reset: it leaves the bus
          -> it boots the programmed image: a normal pedal whose system version is the one the
             image carries (SyntheticFirmware's version block); an image without a valid block
             does not boot, and the bootloader comes back instead
          -> the DSP images arrive and the firmware-done message restarts the pedal: it leaves
             the bus and comes back reporting the DSP version named in DSP 0's image

    One SimulatedPedal and one SimulatedBootloader keep the pedal's storage and flash for the
    bus's whole life; each enumeration is a new SimulatedHIDDevice at the same path, and a
    model stays on the unplugged device of its last visit, which takes no reports. The
    bootloader model is made at its first enumeration or first use. The pedal comes
    back only once the host has closed its old device (or after the longest wait, when no
    host ever opened it), so the host's poll sees the removal before the arrival; unless the
    restart is a quick one (Options::quickReturns), which is back before the host's next
    poll. A device takes the lowest free node: the path itself, else the path with ".1",
    ".2", ... while an older device there is still open.

    Every change of mode runs on the bus's own thread after the delays in Options; the hooks
    below script the failures a firmware update must survive. Thread-safe; the bus must be
    destroyed before the backend, and after everything that reads its devices has let go. */
class SimulatedPedalBus
{
public:
    static constexpr uint16_t kVendorID = 0x04D8;
    static constexpr uint16_t kNormalProductID = 0x003F;
    static constexpr uint16_t kBootloaderProductID = 0x003C;

    enum class Mode
    {
        Absent,
        Normal,
        Bootloader
    };

    /** What the pedal does after an update made it leave the bus. */
    enum class Comeback
    {
        Normal,         // comes back in normal mode (the default)
        Bootloader,     // comes back in bootloader mode instead
        Never,          // never comes back
        NormalNotReady  // comes back in normal mode but never answers a packet
    };

    /** The restarts of a firmware update. */
    enum Restart : unsigned
    {
        kIntoBootloader = 1,    // the user's power cycle into the bootloader
        kAfterSystemUpdate = 2, // the bootloader's reset
        kAfterDSPUpdate = 4     // the firmware-done message
    };

    struct Options
    {
        std::string path = "/dev/hidraw-tonecrest";
        unsigned formatVariant = 0;
        /** The bootloader's chip; defaultChip() holds the synthetic system image. */
        SimulatedBootloader::Config chip = defaultChip();
        SyntheticFirmware::Version system { 3, 4, 1 };
        SyntheticFirmware::Version dsp { 6, 2, 0 };
        int subType = 0;
        Mode initialMode = Mode::Normal;
        /** Time off the bus for a restart, after the host let go of the old device. Real time. */
        std::chrono::milliseconds bootTime { 20 };
        /** The pedal's silence after it comes back in normal mode (scaled by the test's timing
            only if the caller scales it). */
        std::chrono::milliseconds startupPeriod { 0 };
        /** Longest wait for the host to close the old device before the pedal comes back. */
        std::chrono::milliseconds hostCloseWait { 2000 };
        /** Restart bits: these bring the pedal back at once, without waiting for the host to
            close the old device and without boot time, so one enumeration sees it leave and
            return. */
        unsigned quickReturns = 0;
    };

    /** Family 1, 56-byte packets, program memory 0x1000..0x3FFF, EEPROM and configuration
        regions: the chip the synthetic system image is made for. */
    static SimulatedBootloader::Config defaultChip();

    /** The pedal starts on the bus in options.initialMode (Absent: plugged in by a call). */
    explicit SimulatedPedalBus(FakeHIDBackend& backend);
    SimulatedPedalBus(FakeHIDBackend& backend, Options options);
    ~SimulatedPedalBus();

    SimulatedPedalBus(const SimulatedPedalBus&) = delete;
    SimulatedPedalBus& operator=(const SimulatedPedalBus&) = delete;

    // ---- Models ----------------------------------------------------------------------------

    /** The normal-mode pedal: storage, DSP images received, faults. */
    SimulatedPedal& pedal() { return *normalModel; }
    /** The bootloader: flash, commands received, faults. */
    SimulatedBootloader& bootloader();

    Mode mode() const;
    /** The device now on the bus, or null while absent. */
    std::shared_ptr<SimulatedHIDDevice> currentDevice() const;
    /** Waits (real time) until the pedal is on the bus in this mode. */
    bool waitForMode(Mode wanted, std::chrono::milliseconds timeout) const;
    /** Enumerations so far in each mode (the initial one included). */
    int enumerations(Mode which) const;

    SyntheticFirmware::Version systemVersion() const;
    SyntheticFirmware::Version dspVersion() const;

    // ---- What the user does (immediate, on the calling thread) -------------------------------

    /** Rightmost footswitch held while power-cycling: the device leaves the bus and the
        bootloader comes on after the boot time (on the bus's thread), or at once for a quick
        return. */
    void powerCycleIntoBootloader();
    /** The cable is pulled: the device leaves the bus and nothing comes back. */
    void unplug();
    /** The cable goes back in: the pedal comes on in this mode after the boot time. */
    void plugIn(Mode which);

    /** A listener for the editor service that plays the user: when the service enters state 12
        it power-cycles the pedal into its bootloader (once per visit to state 12), unless
        setUserIgnoresRequest is set. Add it to the service; it must be
        removed before the bus is deleted. */
    TonecrestEditorService::Listener& userListener();
    void setUserIgnoresRequest(bool ignores);

    // ---- Failure hooks ---------------------------------------------------------------------

    /** After the bootloader's reset (the end of a system update). */
    void setComebackAfterSystemUpdate(Comeback comeback);
    /** After the firmware-done message (the end of a DSP update). */
    void setComebackAfterDSPUpdate(Comeback comeback);

    /** Runs inside each restart of a firmware update, just after the pedal left: what it plugs
        in arrives in the enumeration that sees the pedal leave (and, for a quick return, come
        back), ahead of the pedal. */
    void setRestartHandler(std::function<void(Restart)> handler);

private:
    class UserListener;
    using Clock = std::chrono::steady_clock;

    struct Action
    {
        Clock::time_point at;
        std::function<void()> run;
    };

    void schedule(std::chrono::milliseconds delay, std::function<void()> action);
    void runActions();

    /** The device at the path leaves the bus. */
    void leaveBus();
    /** Waits for the host to close the device that left, then for the boot time, then
        enumerates in the mode (all on the bus's thread). */
    void comeBack(Mode which, bool silentForever);
    /** Leaves the bus and comes back in `which` (Absent: stays away), quickly if the options
        say so for this restart. */
    void restart(Restart restart, Mode which, bool silentForever);
    /** After a firmware step's restart: back as `comeback` says. */
    void comeBackAfter(Restart which, Comeback comeback);
    void enumerate(Mode which, bool silentForever);
    /** The lowest node no device of this pedal holds open. */
    std::string freeNode() const;
    void setModeLocked(Mode newMode, std::shared_ptr<SimulatedHIDDevice> device);

    /** The bootloader model, made on this device if there is none yet; else attached to it. */
    SimulatedBootloader& bootloaderOn(SimulatedHIDDevice& device, bool attachIfMade);
    void onBootloaderReset();
    void onFirmwareDone();
    void onServiceState(int state);

    FakeHIDBackend& backend;
    const Options options;

    /** The device of the pedal that has not yet been on the bus in normal mode. */
    SimulatedHIDDevice parkedNormal { kVendorID, kNormalProductID };
    struct Enumerated
    {
        std::shared_ptr<SimulatedHIDDevice> device;
        std::string node;
    };
    /** Every device ever enumerated: a model may still point at its last one. */
    std::vector<Enumerated> allDevices;
    std::unique_ptr<SimulatedPedal> normalModel;
    /** The bootloader's device when a test uses it before it has been on the bus. */
    SimulatedHIDDevice parkedBootloader { kVendorID, kBootloaderProductID };
    std::mutex bootloaderMutex;
    std::unique_ptr<SimulatedBootloader> bootloaderModel;
    std::unique_ptr<UserListener> listener;

    mutable std::mutex mutex;
    mutable std::condition_variable modeChanged;
    Mode currentMode = Mode::Absent;
    std::shared_ptr<SimulatedHIDDevice> device;
    std::string node; // where device is on the bus
    std::shared_ptr<SimulatedHIDDevice> departed; // the last device to leave
    int normalEnumerations = 0;
    int bootloaderEnumerations = 0;
    SyntheticFirmware::Version system;
    SyntheticFirmware::Version dsp;
    Comeback afterSystemUpdate = Comeback::Normal;
    Comeback afterDSPUpdate = Comeback::Normal;
    bool userIgnores = false;
    int lastServiceState = -1;
    std::function<void(Restart)> restartHandler;

    std::mutex actionMutex;
    std::condition_variable actionsChanged;
    std::deque<Action> actions;
    bool stopping = false;
    std::thread actionThread;
};

} // namespace Tonecrest::Testing
