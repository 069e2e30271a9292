#pragma once

// Result of every fallible device, file, archive and import operation, and the one
// process-wide log that every failure is written to at the moment it is made.

namespace Tonecrest
{

/** Success flag plus, on failure, the static format text handed to makeError.
    The text is never formatted (numbers go only to the log) and never freed. */
struct Result
{
    bool ok;
    const char* error;

    explicit operator bool() const { return ok; }
};

/** The one success value every operation that ends well returns. */
inline constexpr Result kSuccess { true, nullptr };

enum LogLevel
{
    kLogDebug = 0,
    kLogInfo = 1,
    kLogWarning = 2,
    kLogError = 3
};

using LogCallback = void (*)(void* context, const char* line);

/** Formats "Error at <file>:<line>: <message>" into the log and returns { false, fmt }.
    Safe on any thread. */
Result makeError(const char* fileName, int line, const char* fmt, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 3, 4)))
#endif
    ;

/** Writes one line with the level's prefix; lines longer than the buffer are cut. Any thread. */
void log(int level, const char* fmt, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;

/** Installs the sink; a null callback restores standard output. Call once at start-up,
    before other threads log: the pair is read without a lock. */
Result setLogCallback(LogCallback callback, void* context);

/** Sends a finished line to the sink (or to standard output, flushed, with a newline). */
void writeLogLine(const char* line);

/** The text after the last '/' or '\\' of path; the whole path when it has neither. */
const char* fileNameFromPath(const char* path);

} // namespace Tonecrest

/** makeError with the calling source file and line filled in. */
#define TONECREST_ERROR(...) ::Tonecrest::makeError(::Tonecrest::fileNameFromPath(__FILE__), __LINE__, __VA_ARGS__)
