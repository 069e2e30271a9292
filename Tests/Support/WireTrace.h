#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>

namespace Tonecrest::Testing
{

/** A text record of every HID report between the editor and a simulated pedal, for reading
    a conversation after the fact or comparing two runs. One line per report:

        H>D 00b400          host report, report-ID byte first, as written
        D>H c000...00       device report, all bytes the host reads
        # case: refresh     a comment added by a test

    Bytes are lower-case hex without spaces. Lines are appended and flushed one at a time,
    so several pedals (and several test processes) may share one file. Thread-safe. */
class WireTrace
{
public:
    /** Names the file to append to; unset or empty means no trace. */
    static constexpr const char* kEnvironmentVariable = "TONECREST_WIRE_TRACE";

    /** The trace the environment names, or null. Pedals in one process share one object
        per file, so their lines never interleave mid-line. */
    static std::shared_ptr<WireTrace> fromEnvironment();
    /** The shared trace appending to path, or null when the file cannot be opened. */
    static std::shared_ptr<WireTrace> open(const std::string& path);

    ~WireTrace();

    WireTrace(const WireTrace&) = delete;
    WireTrace& operator=(const WireTrace&) = delete;

    void hostReport(const uint8_t* data, size_t length);
    void deviceReport(const uint8_t* data, size_t length);
    /** "# " + text; line breaks inside text become spaces so a comment stays one line. */
    void comment(const std::string& text);

    /** "H>D " or "D>H " followed by the bytes in lower-case hex. */
    static std::string formatReport(const char* direction, const uint8_t* data, size_t length);

private:
    explicit WireTrace(std::FILE* file);
    void writeLine(const std::string& line);

    std::mutex mutex;
    std::FILE* file;
};

} // namespace Tonecrest::Testing
