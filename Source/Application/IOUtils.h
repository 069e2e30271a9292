#pragma once

#include "IInputStream.h"
#include "IOutputStream.h"
#include "Result.h"

#include <juce_core/juce_core.h>

#include <functional>

// The toolkit side of the byte-stream interfaces: adapters that let the data-file and archive
// code read and write JUCE streams (files, memory blocks, zip entries), and the one way this
// program replaces a file on disk.

namespace Tonecrest
{

/** IInputStream over a JUCE input stream that it neither owns nor closes: make it next to
    the stream and let it go first. Used on one thread at a time. */
class InStreamWrapper : public IInputStream
{
public:
    explicit InStreamWrapper(juce::InputStream* stream) : stream(stream) {}

    /** Up to size bytes (at most INT_MAX per call); "Stream read failed" when the stream
        reports a negative count. */
    Result read(void* buffer, size_t size, size_t& bytesRead) override;
    bool isExhausted() override;

private:
    juce::InputStream* stream;
};

/** IOutputStream over a JUCE output stream that it neither owns nor closes. A write the
    stream refuses is "Stream write failed". Used on one thread at a time. */
class OutStreamWrapper : public IOutputStream
{
public:
    explicit OutStreamWrapper(juce::OutputStream* stream) : stream(stream) {}

    Result write(const void* data, size_t size) override;

private:
    juce::OutputStream* stream;
};

/** Buffer size of the file streams that exports and archives write through. */
constexpr int fileWriteBufferBytes = 16384;

/** Replaces target with what writeContent writes, never losing the old file to a failed write:
    the content goes to a new file beside the target, is flushed to disk and checked, and only
    then renamed over the target. On any failure the temporary file is removed and the target
    is left as it was.
    Failures: "Failed to overwrite file" when the temporary file cannot be made or the rename
    fails; writeContent's own failure; flushFailedText (a static string) when the data cannot
    be flushed to disk.
    Runs on the calling thread; blocks on disk I/O. */
Result writeFileSafely(const juce::File& target, const std::function<Result(juce::OutputStream&)>& writeContent,
                       const char* flushFailedText = "Failed to write file");

} // namespace Tonecrest
