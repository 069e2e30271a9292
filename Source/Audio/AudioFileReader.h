#pragma once

#include <cstdint>
#include <cstdio>

// Reader of the uncompressed impulse files that the user-cabinet import accepts: RIFF/WAVE
// and FORM/AIFF with one or two channels of 8, 16, 20, 24 or 32-bit samples (32-bit float in
// WAV too) at 44100, 48000, 88200, 96000, 176400 or 192000 Hz.
//
// Stateless: every call opens, reads and closes its own file, so any thread may call it.
// Nothing is logged; callers report their own failure text.
//
// Sample output: when `left`, `right` and `frames` are all non-null, each channel comes back as
// an array of *frames doubles in [-1, 1) (float files may go beyond), allocated with array new
// and owned by the caller (array delete). A one-channel file fills both arrays with the same
// samples. Arrays the caller left in *left / *right are freed with array delete when the new
// ones are stored, so they must be null or come from an earlier read. On failure nothing the
// caller passed is touched. When any of the three is null the sound data is skipped, not read,
// and only the header values come back.
// `sampleRate` and `mono` are written on success when non-null.

namespace Tonecrest
{

/** Why a read failed. The bool readers drop it; the ...Code readers hand it out. */
enum waverror
{
    kWavErrorNone = 0,
    kWavErrorCannotOpen = 1,         // no path, or the file cannot be opened
    kWavErrorMalformed = 3,          // magic, short read, chunk sizes, missing chunks, inconsistent sizes
    kWavErrorUnsupportedFormat = 4,  // WAV format tag (or extensible sub-format)
    kWavErrorUnsupportedChannels = 5,
    kWavErrorUnsupportedRate = 6,
    kWavErrorUnsupportedWidth = 7
};

/** WAV first, then AIFF with the same arguments; true when either read the file. */
bool loadAudioFile(const char* path, double** left, double** right, int* frames, int* sampleRate, bool* mono);

bool readWavFile(const char* path, double** left, double** right, int* frames, int* sampleRate, bool* mono);
bool readAiffFile(const char* path, double** left, double** right, int* frames, int* sampleRate, bool* mono);

/** The same reads, returning the reason of a failure (kWavErrorNone on success). */
waverror readWavFileCode(const char* path, double** left, double** right, int* frames, int* sampleRate, bool* mono);
waverror readAiffFileCode(const char* path, double** left, double** right, int* frames, int* sampleRate, bool* mono);

/** Four bytes in the given order; false on a short read. */
bool readU32LE(std::FILE* file, uint32_t* value);
bool readU32BE(std::FILE* file, uint32_t* value);

/** The IEEE 754 80-bit extended value of AIFF's sample-rate field. Fails for zero, infinity,
    NaN and exponents whose value would not fit a double. The explicit integer bit is taken
    as 1 whatever the file says. */
bool extendedToDouble(const uint8_t ext[10], double* out);

} // namespace Tonecrest
