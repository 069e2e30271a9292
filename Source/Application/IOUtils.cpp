#include "IOUtils.h"

#include <algorithm>
#include <climits>
#include <cstdio>

namespace Tonecrest
{

Result InStreamWrapper::read(void* buffer, size_t size, size_t& bytesRead)
{
    bytesRead = 0;
    const int wanted = static_cast<int>(std::min<size_t>(size, INT_MAX));
    const int count = stream->read(buffer, wanted);
    if (count < 0)
        return TONECREST_ERROR("Stream read failed");
    bytesRead = static_cast<size_t>(count);
    return kSuccess;
}

bool InStreamWrapper::isExhausted()
{
    return stream->isExhausted();
}

Result OutStreamWrapper::write(const void* data, size_t size)
{
    if (size == 0)
        return kSuccess;
    if (!stream->write(data, size))
        return TONECREST_ERROR("Stream write failed");
    return kSuccess;
}

namespace
{
// One atomic rename. JUCE's own move falls back to deleting the target and copying when the
// rename fails, which could lose the old file; here a failed rename changes nothing.
bool replaceFile(const juce::File& source, const juce::File& target)
{
#if JUCE_WINDOWS
    return source.replaceFileIn(target);
#else
    return std::rename(source.getFullPathName().toRawUTF8(), target.getFullPathName().toRawUTF8()) == 0;
#endif
}
} // namespace

Result writeFileSafely(const juce::File& target, const std::function<Result(juce::OutputStream&)>& writeContent,
                       const char* flushFailedText)
{
    // Same folder as the target, so the final rename cannot cross file systems.
    juce::TemporaryFile temporary(target);
    {
        juce::FileOutputStream out(temporary.getFile(), fileWriteBufferBytes);
        if (!out.openedOk())
            return TONECREST_ERROR("Failed to overwrite file");
        if (Result written = writeContent(out); !written)
            return written;
        out.flush();
        // A disk that fills up part way takes some of the last buffer without reporting an error.
        const bool incomplete = temporary.getFile().getSize() != out.getPosition();
        if (out.getStatus().failed() || incomplete)
        {
            const auto reason = incomplete ? juce::String("only part of the file was written") : out.getStatus().getErrorMessage();
            TONECREST_ERROR("%s: %s", flushFailedText, reason.toRawUTF8());
            return { false, flushFailedText };
        }
    }
    if (!replaceFile(temporary.getFile(), target))
        return TONECREST_ERROR("Failed to overwrite file");
    return kSuccess;
}

} // namespace Tonecrest
