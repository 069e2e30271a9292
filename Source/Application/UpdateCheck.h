#pragma once

#include <juce_events/juce_events.h>

#include <cstdint>
#include <memory>
#include <mutex>

// The once-per-start question to the update server: is there an editor newer than this one?
// The fetch runs on a detached thread of its own; what it finds reaches the application
// through an UpdateCheck::Outcome that both sides share, so the thread never needs the
// application object itself and may outlive it.

namespace UpdateCheck
{

/** The version this editor counts as current, packed: 6.2.0.2. */
inline constexpr uint32_t referenceVersion = 0x06020002;

/** The request path on the update server. */
inline constexpr const char* requestPath = "/tonecrest/latest_version.php";

/** Longest wait for the server to accept the connection, and for it to send anything. */
inline constexpr int connectionTimeoutMs = 30000;

/** a.b.c.d packed one byte each, a highest; only the low 8 bits of each count. */
constexpr uint32_t packVersion(uint32_t a, uint32_t b, uint32_t c, uint32_t d)
{
    return ((a & 0xFFu) << 24) | ((b & 0xFFu) << 16) | ((c & 0xFFu) << 8) | (d & 0xFFu);
}

/** Reads " LATEST_VERSION = %d . %d . %d . %d" the way sscanf would (blanks anywhere the format
    has one, an optional sign before each number) and packs what it finds; components the text
    does not supply stay 0. Each number is taken modulo 256 as it is read, so no digit string,
    however long, overflows. */
uint32_t parseLatestVersion(const char* text);

/** The server's base address: $TONECREST_UPDATE_URL when set, else the one built in. */
juce::String getServerAddress();

/** The full request URL on that server. */
juce::URL getRequestURL();

/** What the check found, shared by the application and the check thread. The application
    detaches at shutdown; from then on a late answer only logs. Any thread. */
class Outcome
{
public:
    /** Called on the message thread while `target` is alive; null detaches. */
    void attach(juce::AsyncUpdater* target);

    /** Sets the flag and wakes the attached target, if any. False when nobody was attached. */
    bool reportNewerVersion();

    /** Reads and clears the flag. */
    bool takeNewerVersion();

private:
    std::mutex updateMutex;
    bool newerVersionAvailable = false;
    juce::AsyncUpdater* target = nullptr;
};

/** The reply text of one GET of `url`: empty when the server cannot be reached or answers
    nothing. Blocks; never on the message thread. */
juce::String fetch(const juce::URL& url);

} // namespace UpdateCheck
