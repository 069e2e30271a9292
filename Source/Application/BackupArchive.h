#pragma once

#include "Result.h"
#include "TonecrestData.h"

#include <juce_core/juce_core.h>

#include <cstddef>

namespace Tonecrest
{

/** Backup (".tbu") and firmware (".tfu", built-in) archives: zip files whose entries are the
    version text "ArchiveInfo.txt", the system firmware "System.hex", the three bit-reversed
    DSP images and one data file per amp model, preset, user cabinet and the globals.

    Stateless; every call works only on its arguments, so calls on different archives may run
    on different threads at once. File calls block on disk I/O.

    Slot numbers read from an archive are those its data files carry and are not checked
    here: whoever writes them to the pedal checks them first (checkArchiveSlots). */
class BackupArchive
{
public:
    BackupArchive() = delete;

    /** Most entries an archive may have; a real backup has 161, a firmware archive about 30. */
    static constexpr int maxEntries = 2048;

    /** Opens the file as a zip and reads it. */
    static Result loadFromFile(const juce::File& file, TonecrestData::Archive& archive);

    /** Reads a zip held in memory (not copied; it must outlive the call). */
    static Result loadFromMemory(const void* data, size_t size, TonecrestData::Archive& archive);

    /** Adds the zip's entries to the archive: fixed-name entries replace their part, data files
        are appended, hidden entries (a name or base name starting with ".", anything under
        "__MACOSX") and unrecognised ones are skipped. "Not a valid backup file" for a zip
        without entries; the first data file that fails to read ends the read with its failure,
        and the caller discards the partly filled archive. */
    static Result read(juce::ZipFile& zip, TonecrestData::Archive& archive);

    /** Writes the archive as a zip over the file. Every entry is built before the file is
        touched, and the old file is replaced only once the new one is completely written. */
    static Result write(const TonecrestData::Archive& archive, const juce::File& file);

    /** Writes the archive as a zip to a stream; "Failed to write zip file" when the stream
        refuses a write. */
    static Result writeToStream(const TonecrestData::Archive& archive, juce::OutputStream& stream);
};

} // namespace Tonecrest
