#pragma once

#include "Result.h"
#include "TaskQueue.h"
#include "TonecrestData.h"
#include "TonecrestParamMap.h"
#include "TonecrestProtocol.h"

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace Tonecrest
{

class TonecrestBootloader;

/** The one object through which the application and the views reach the pedal. It keeps a
    cached picture of the device, a state code the views show, and while connected one task
    queue whose worker performs every device exchange: public operations check the state,
    queue a task and return at once.

    Threads: connect, disconnect and the public operations run on the message thread; task
    bodies, completions and most listener calls on the worker; a transport failure arrives on
    the transport's reader thread. Getters are safe on any thread.
    Locks: stateMutex guards the cached fields; listenerMutex is held while listeners run
    (a listener must not add or remove listeners from a callback); paramMapMutex guards the
    parameter model. stateMutex is taken before the task queue's mutex, never together with
    paramMapMutex, and never held while calling the device or a listener. */
class TonecrestEditorService : private TonecrestProtocol::Handler
{
public:
    using ParameterValue = TonecrestParamMap::ParameterValue;
    using ParameterInfo = TonecrestParamMap::ParameterInfo;
    using Completion = std::function<void()>;
    using Progress = std::function<void(double)>;

    enum State
    {
        kStateNotConnected = 0,
        kStateReady = 1,
        kStateBootloader = 2,
        kStateWaitingForReady = 3,
        kStateRefreshing = 4,
        kStateBackup = 5,
        kStateRestore = 6,
        kStateFirmwareUpdate = 7,
        kStateSingleTransfer = 10,
        kStatePresetUpdate = 11,
        kStateReconnecting = 12,
        kStateError = 13
    };

    static constexpr unsigned kNumPresets = 128;
    static constexpr int kNumUserCabinets = 32;
    static constexpr int kNumAmpSlots = 256;
    /** The pedal's edit buffer, read in place of the current slot to include unsaved edits. */
    static constexpr unsigned kEditBufferIndex = 128;

    /** Cabinet parameter values with a meaning of their own. */
    static constexpr int kCabinetMatched = -1;
    static constexpr int kCabinetFilterOnly = -2;
    static constexpr int kCabinetNone = -3;
    static constexpr int kCabinetOwn = -4;
    static constexpr int kUserCabinetChoiceBase = 10000;
    static constexpr int kPresetCabinetChoiceBase = 20000;

    /** One preset slot; the same record describes a user-cabinet slot. */
    struct PresetInfo
    {
        enum EntryState
        {
            kNotRead = 0,
            kStale = 1,
            kBeingRead = 2,
            kValid = 3
        };

        int index = 0;
        int state = kNotRead;
        std::string name;
    };
    using UserCabinetInfo = PresetInfo;

    /** The parameters of one block, copied for a later paste, with the block's cabinet. */
    struct CopiedParameterData
    {
        CopiedParameterData() = default;
        CopiedParameterData(const CopiedParameterData& other);
        CopiedParameterData& operator=(const CopiedParameterData& other);
        CopiedParameterData(CopiedParameterData&&) noexcept = default;
        CopiedParameterData& operator=(CopiedParameterData&&) noexcept = default;

        std::map<TonecrestParamID, ParameterValue> values;
        std::unique_ptr<TonecrestData::Cabinet> cabinet;
    };

    struct CabinetChoice
    {
        int id = 0;
        std::string text;
    };

    /** What a restore, or the asset restore after a firmware update, writes to the pedal. */
    struct RestoreOptions
    {
        bool presets = false;
        bool userCabinets = false;
        bool globals = false;
        bool ampModels = false;
    };

    /** The three lists of the cabinet pop-up. */
    struct CabinetChoices
    {
        std::vector<CabinetChoice> ampModelCabinets;
        std::vector<CabinetChoice> userCabinets;
        std::vector<CabinetChoice> presetCabinets;
    };

    /** Everything reaches the views through these calls, made with listenerMutex held on the
        worker, the reader or the message thread: record what changed and return. */
    class Listener
    {
    public:
        virtual ~Listener() = default;
        virtual void onEditorServiceAllChanged() = 0;
        virtual void onEditorServiceStateChanged(int state) = 0;
        virtual void onEditorServicePresetChanged(int presetIndex) = 0;
        virtual void onEditorServiceCurrentPresetChanged(int currentPreset) = 0;
        virtual void onEditorServiceUserCabinetChanged(int userCabinetIndex) = 0;
        virtual void onEditorServiceParameterChanged(TonecrestParamID id, const ParameterValue& value) = 0;
        virtual void onEditorServiceParametersChanged() = 0;
    };

    /** minimumVersion may be null: then every firmware is accepted. */
    explicit TonecrestEditorService(const TonecrestData::FirmwareVersionInfo* minimumVersion);
    ~TonecrestEditorService() override;

    TonecrestEditorService(const TonecrestEditorService&) = delete;
    TonecrestEditorService& operator=(const TonecrestEditorService&) = delete;

    // ---- Connection (message thread) ---------------------------------------------------

    /** Disconnects first; a null protocol leaves the service disconnected. Always succeeds. */
    Result connect(TonecrestProtocol* protocol);
    Result connectBootloader(TonecrestBootloader* bootloader);
    /** Cancels and joins the worker (the running body is only flagged, so this waits for it). */
    void disconnect();
    bool isConnected() const;
    bool isReady() const;

    // ---- Getters (any thread) ----------------------------------------------------------

    int getState() const;
    std::string getLastError() const;
    unsigned getNumPresets() const { return kNumPresets; }
    int getNumUserCabinets() const { return kNumUserCabinets; }
    Result getPresetInfo(int index, PresetInfo& out) const;
    Result getUserCabinetInfo(int index, UserCabinetInfo& out) const;
    int getCurrentPresetIndex() const;
    bool isCurrentPresetModified() const;
    /** The preset number as the pedal shows it: "%03d" of index plus the numbering base. */
    std::string getPresetNumberText(int index) const;
    TonecrestData::FirmwareVersionInfo getDeviceVersion() const;
    /** The mode a firmware update waits for its pedal to come back on the bus in. */
    enum class Reconnect
    {
        kNone, // no update waits
        kNormal,
        kBootloader
    };
    Reconnect getAwaitedReconnect() const;

    void addListener(Listener* listener);
    void removeListener(Listener* listener);

    // ---- Wait for ready and refresh ----------------------------------------------------

    Result beginWaitForReady(Completion completion);
    Result beginRefreshAll(Completion completion);
    bool isFirmwareVersionSupported(const TonecrestData::FirmwareVersionInfo& version) const;

    // ---- Parameters, copy and paste, current cabinet -------------------------------------

    Result getParameterValue(TonecrestParamID id, ParameterValue& out) const;
    Result getParameterInfo(TonecrestParamID id, ParameterInfo& out) const;
    static Result encodeParameterValue(const ParameterInfo& info, const ParameterValue& value, float& deviceValue);
    static Result decodeParameterValue(const ParameterInfo& info, float deviceValue, ParameterValue& value);

    Result setParameterValue(TonecrestParamID id, const ParameterValue& value, Completion completion);
    Result copyParamsForBlock(TonecrestParamMap::BlockID block, std::function<void(CopiedParameterData)> done);
    Result pasteParams(const CopiedParameterData& data);
    Result getCurrentCabinetName(std::string& out) const;
    Result setCurrentCabinetByID(int id);
    Result setCurrentCabinetData(const TonecrestData::Cabinet& cabinet);
    Result getCabinetChoices(CabinetChoices& out) const;

    // ---- Preset selection and preset order ---------------------------------------------

    Result requestChangePreset(int index);
    Result requestRefreshCurrentPreset();
    /** currentOrder must be 0..127 in slot order and wantedOrder a rearrangement of it.
        Progress runs from 0 to 1; the completion runs only on success. */
    Result updatePresets(Progress progress, const std::vector<int>& currentOrder, const std::vector<int>& wantedOrder,
                         Completion completion);

    // ---- Preset and cabinet transfers --------------------------------------------------

    Result setPresetName(int preset, const std::string& name, Completion completion);
    Result setUserCabinetName(int cabinet, const std::string& name, Completion completion);
    Result setUserCabinet(int cabinet, const TonecrestData::Cabinet& data, Completion completion);
    Result setPreset(int preset, const TonecrestData::Preset& data, Completion completion);
    /** done runs on the worker, only on success. */
    Result getPreset(int preset, std::function<void(const TonecrestData::Preset&)> done);
    Result getUserCabinet(int cabinet, std::function<void(const TonecrestData::Cabinet&)> done);
    /** location -1 saves into the current slot. */
    Result saveCurrentPresetToLocation(int location, std::optional<std::string> newName, Completion completion);
    Result saveCurrentPreset(Completion completion);

    // ---- Backup and restore --------------------------------------------------------------

    /** Reads every preset, user cabinet and the globals; done gets the archive on the worker,
        only on success (copy what you keep). */
    Result beginBackup(Progress progress, std::function<void(const TonecrestData::Archive&)> done);
    /** Writes the chosen parts of a copy of the archive, then queues a full refresh. */
    Result beginRestore(const TonecrestData::Archive& archive, const RestoreOptions& options, Progress progress,
                        Completion completion);

    // ---- Firmware update ---------------------------------------------------------------

    /** Programs the system firmware through the bootloader when the archive's version differs,
        loads the DSP images for the pedal's variant, then restores the chosen assets. May start
        in state 1, 2 or 13 with a device attached. */
    Result beginFirmwareUpdate(const TonecrestData::Archive& archive, const RestoreOptions& options, Progress progress,
                               Completion completion);

    /** The DSP images for a pedal variant: the QV6 image for subtypes 1 and 2 when the archive
        has it and the second image, else the QV3 image; "DSP firmware not found!" when no
        pair is there. */
    static Result chooseDSPImages(const TonecrestData::Archive& archive, int subType, TonecrestData::FirmwareData& images);

    /** Reads plus writes of the reorder walk: twice the number of slots that change. */
    static int countPresetReorderSteps(std::vector<int> currentOrder, std::vector<int> wantedOrder);

    /** Flags every queued task and the running one as cancelled. */
    Result cancelAll();

private:
    using Task = TaskQueue::Task;
    using TaskBody = std::function<Result(Task&)>;

    /** Defers the protocol's writebacks for a scope; unflushed ones are dropped on the way out. */
    struct DeferredWritebacks
    {
        explicit DeferredWritebacks(TonecrestProtocol* d) : device(d) { device->beginDeferredWritebacks(); }
        ~DeferredWritebacks() { device->endDeferredWritebacks(); }
        DeferredWritebacks(const DeferredWritebacks&) = delete;
        DeferredWritebacks& operator=(const DeferredWritebacks&) = delete;
        TonecrestProtocol* device;
    };

    /** What getParameterValue needs of a definition, copied out under paramMapMutex. */
    struct Storage
    {
        int deviceIndex = -1;
        int scope = TonecrestParamMap::kScopeNone;
        ParameterInfo info; // kind, scale and default (values list left empty)
    };

    // TonecrestProtocol::Handler (reader thread)
    void onTransportStateChanged(int state) override;
    void onNotification(const uint8_t* payload, size_t length) override;

    /** Takes on a device after disconnect: during a firmware update's reconnect only the
        pointer (true); otherwise with a new task queue in newState (false). */
    bool attachDevice(TonecrestProtocol* newProtocol, TonecrestBootloader* newBootloader, int newState);

    // Task start and state
    Result startTask(int newState, Completion completion, TaskBody body);
    Result enqueueTask(Completion completion, TaskBody body);
    void setState(int newState);
    /** Ends a task that set taskState: 1 replaces it, but never a 0 or 13 set meanwhile. */
    void finishTask(int taskState, int newState = kStateReady);
    void setError(const char* text);
    /** setError with the text the user sees; returns the result the log already has. */
    Result failTask(const char* text, Result result);
    TonecrestProtocol* getProtocol() const;

    // Listener calls
    void notifyAllChanged();
    void notifyStateChanged(int state);
    void notifyPresetInfoChanged(int index);
    void notifyCurrentPresetChanged();
    void notifyUserCabinetInfoChanged(int index);
    void notifyParameterValueChanged(TonecrestParamID id, const ParameterValue& value);
    void notifyParametersChanged();
    template <typename Call>
    void forEachListener(Call call);

    // Parameter storage
    bool findStorage(TonecrestParamID id, Storage& out) const;
    Result readParameterLocked(const Storage& storage, ParameterValue& out) const;
    Result applyParameterValue(TonecrestParamID id, const ParameterValue& value, bool sendToDevice, bool markModified);
    /** Gives Min/Max A or B the range of the target that selector (83 or 86) now holds. */
    void applyAssignmentFromStore(TonecrestParamID selector);
    void rebuildDefaultPresetListFromStore();

    // Worker operations
    Result waitForReady(Task& task, int timeoutMs);
    Result refreshAmpList(Task& task);
    Result refreshGlobals();
    void refreshCabinetList();
    Result refreshCurrentPreset(bool useEditBuffer);
    Result refreshAll(Task& task);
    Result readPresetFromDevice(int slot, TonecrestData::Preset& preset, const Completion& step);
    Result writePresetToDevice(int slot, const TonecrestData::Preset& preset, const Completion& step);
    Result writePresetContent(int slot, const TonecrestData::Preset& preset);
    Result fixCabinetID(TonecrestData::Preset& preset);
    Result selectPresets(Task& task);
    Result runPresetUpdate(const Progress& progress, const std::vector<int>& currentOrder,
                           const std::vector<int>& wantedOrder, const Completion& completion);
    Result saveEditBuffer(int location, const std::optional<std::string>& newName);
    Result pasteTask(const CopiedParameterData& data);
    Result copyTask(TonecrestParamMap::BlockID block, const std::function<void(CopiedParameterData)>& done);
    Result setCabinetByIDTask(int id);
    Result setCabinetDataTask(const TonecrestData::Cabinet& cabinet);
    /** Finds and encodes a "Cabinet" setting; failures go to the error state. */
    Result encodeCabinetSetting(int value, Storage& storage, float& deviceValue);
    Result storeCabinetSetting(int value);
    void rememberCurrentCabinetName(const std::string& name);
    Result firmwareUpdate(Task& task, const TonecrestData::Archive& archive, const RestoreOptions& options, const Progress& progress);
    /** Sleeps in steps until connect or connectBootloader clears `reconnecting`; timeoutMs -1
        waits until cancelled. */
    Result waitForReconnect(Task& task, int timeoutMs);
    /** Set: the task waits for the pedal to come back in normal mode. */
    void setReconnecting(bool value);
    Result backup(const Progress& progress, const std::function<void(const TonecrestData::Archive&)>& done);
    /** Worker only; failures are returned as they are, the caller decides on the error state. */
    Result restoreFromArchive(const TonecrestData::Archive& archive, const RestoreOptions& options, const Progress& progress);

    TonecrestProtocol* protocol = nullptr;
    TonecrestBootloader* bootloader = nullptr;
    std::vector<PresetInfo> presets;
    std::vector<UserCabinetInfo> userCabinets;
    std::vector<Listener*> listeners;
    TonecrestParamMap paramMap;
    mutable std::mutex stateMutex;
    mutable std::mutex listenerMutex;
    mutable std::mutex paramMapMutex;
    /** Held by the firmware task around the DSP transfer, after which the pedal leaves the bus,
        and by disconnect while it drops the protocol: the application deletes the protocol only
        after disconnect has returned. Taken before stateMutex. */
    std::mutex deviceUseMutex;
    std::unique_ptr<TaskQueue> taskQueue;
    bool running = false;
    int state = kStateNotConnected;
    bool presetChangePending = false;
    int requestedPreset = -1;
    int currentPreset = -1;
    TonecrestData::ParameterMap currentPresetParams;
    std::string currentPresetName;
    std::unique_ptr<TonecrestData::Cabinet> currentCabinet;
    TonecrestData::ParameterMap globals;
    bool currentPresetModified = false;
    bool currentCabinetModified = false;
    bool reconnecting = false;
    /** What `reconnecting` waits for: the bootloader the user starts, else the normal pedal. */
    bool reconnectToBootloader = false;
    TonecrestData::FirmwareVersionInfo minimumVersion;
    TonecrestData::FirmwareVersionInfo deviceVersion;
    std::string lastError;
};

} // namespace Tonecrest
