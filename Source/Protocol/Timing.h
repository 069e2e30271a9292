#pragma once

#include <chrono>

// Every device-side wait (time-outs, poll and sleep intervals) is named here and read
// through scaled(), so tests can run the real sequences with shorter waits without
// touching the values the pedal needs.

namespace Tonecrest::Timing
{

constexpr int hidReadTimeoutMs = 1000;       // transport reader's blocking read
constexpr int transactionTimeoutMs = 60000;  // reply to a protocol transaction
constexpr int pingTimeoutMs = 3000;          // reply to one ping
constexpr int readyPingIntervalMs = 500;     // pings while waiting for ready
constexpr int readyGiveUpMs = 15000;         // unanswered pings before giving up
constexpr int readySettleMs = 3000;          // extra wait after the first answer
constexpr int reconnectSleepStepMs = 500;    // worker's sleep while the pedal re-enumerates
constexpr int reconnectTimeoutMs = 30000;    // pedal back on the bus after a firmware step
constexpr int firmwareSettleMs = 3000;       // pause after the system firmware came back
constexpr int picReplyTimeoutMs = 40000;     // bootloader's reply to a query or read-back
constexpr int picSettleMs = 500;             // bootloader pause after programming and after reset

/** Multiplies every wait; 1.0 in the product. Tests set it once, before threads start. */
void setScale(double scale);
double scale();

/** ms * scale, never less than 1 ms for a non-zero wait. */
int scaled(int ms);

inline std::chrono::milliseconds scaledDuration(int ms) { return std::chrono::milliseconds(scaled(ms)); }

} // namespace Tonecrest::Timing
