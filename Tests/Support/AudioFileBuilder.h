#pragma once

#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <system_error>
#include <vector>

#include <unistd.h>

// WAV and AIFF files written byte by byte from their formats, for the reader's tests, the
// importer's tests, the fuzz seeds and the benchmarks. Sizes can be given explicitly so that
// files can lie about themselves. No test framework here: benchmarks include it too.

namespace Tonecrest::Testing
{

using Bytes = std::vector<uint8_t>;

inline Bytes le(std::initializer_list<uint64_t> values, int bytesEach)
{
    Bytes bytes;
    for (uint64_t value : values)
        for (int i = 0; i < bytesEach; ++i)
            bytes.push_back(uint8_t(value >> (8 * i)));
    return bytes;
}

inline Bytes be(std::initializer_list<uint64_t> values, int bytesEach)
{
    Bytes bytes;
    for (uint64_t value : values)
        for (int i = bytesEach - 1; i >= 0; --i)
            bytes.push_back(uint8_t(value >> (8 * i)));
    return bytes;
}

inline Bytes join(std::initializer_list<Bytes> parts)
{
    Bytes bytes;
    for (const Bytes& part : parts)
        bytes.insert(bytes.end(), part.begin(), part.end());
    return bytes;
}

inline Bytes tag(const char* id) { return Bytes(id, id + 4); }

/** id, size (the payload's unless given), payload, and a pad byte after an odd payload. */
inline Bytes chunk(const char* id, const Bytes& payload, bool bigEndian = false, int64_t size = -1)
{
    const uint64_t sizeField = size >= 0 ? uint64_t(size) : payload.size();
    return join({ tag(id), bigEndian ? be({ sizeField }, 4) : le({ sizeField }, 4), payload, Bytes(payload.size() % 2, 0) });
}

/** Bytes one sample of a width occupies (20-bit samples sit in three). */
inline int containerBytes(int bits) { return bits == 20 ? 3 : (bits + 7) / 8; }

struct WavFormat
{
    uint16_t tag = 1;
    uint16_t channels = 1;
    uint32_t rate = 48000;
    uint16_t bits = 16;
    int blockAlign = -1;   // -1: channels * container bytes
    int64_t byteRate = -1; // -1: rate * block align
};

inline Bytes wavFormatFields(const WavFormat& format)
{
    const int blockAlign = format.blockAlign >= 0 ? format.blockAlign : format.channels * containerBytes(format.bits);
    const int64_t byteRate = format.byteRate >= 0 ? format.byteRate : int64_t(format.rate) * blockAlign;
    return join({ le({ format.tag, format.channels }, 2), le({ format.rate, uint64_t(byteRate) }, 4),
                  le({ uint64_t(blockAlign), format.bits }, 2) });
}

/** The 40-byte extensible format naming a sub-format in the standard GUID. */
inline Bytes wavExtensibleFields(const WavFormat& format, uint16_t subFormat)
{
    return join({ wavFormatFields(format), le({ 22, format.bits }, 2), le({ 4 }, 4), le({ subFormat }, 2),
                  { 0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71 } });
}

inline Bytes riffFile(const Bytes& chunks) { return join({ tag("RIFF"), le({ chunks.size() + 4 }, 4), tag("WAVE"), chunks }); }

inline Bytes wavFile(const WavFormat& format, const Bytes& data)
{
    return riffFile(join({ chunk("fmt ", wavFormatFields(format)), chunk("data", data) }));
}

/** The 80-bit extended encoding of a positive finite value. */
inline Bytes extended(double value)
{
    int exponent = 0;
    const double fraction = std::frexp(value, &exponent); // fraction in [0.5, 1)
    return join({ be({ uint64_t(16383 + exponent - 1) }, 2), be({ uint64_t(std::ldexp(fraction, 64)) }, 8) });
}

inline Bytes aiffCommon(uint16_t channels, uint32_t frames, uint16_t bits, double rate)
{
    return chunk("COMM", join({ be({ channels }, 2), be({ frames }, 4), be({ bits }, 2), extended(rate) }), true);
}

inline Bytes aiffSound(const Bytes& data, uint32_t offset = 0, uint32_t blockSize = 0)
{
    return chunk("SSND", join({ be({ offset, blockSize }, 4), data }), true);
}

inline Bytes formFile(const Bytes& chunks, const char* formType = "AIFF")
{
    return join({ tag("FORM"), be({ chunks.size() + 4 }, 4), tag(formType), chunks });
}

inline Bytes aiffFile(uint16_t channels, uint16_t bits, double rate, const Bytes& data)
{
    const size_t frameBytes = size_t(channels) * size_t(containerBytes(bits));
    return formFile(join({ aiffCommon(channels, uint32_t(data.size() / frameBytes), bits, rate), aiffSound(data) }));
}

/** Interleaved samples in [-1, 1) as signed little-endian integers of the given width, the
    way a WAV data chunk holds them (8-bit as unsigned). */
inline Bytes wavPcmData(const std::vector<double>& interleaved, int bits)
{
    const int sampleBytes = containerBytes(bits);
    const double scale = std::ldexp(1.0, 8 * sampleBytes - 1);
    Bytes bytes;
    bytes.reserve(interleaved.size() * size_t(sampleBytes));
    for (double sample : interleaved)
    {
        const double scaled = std::floor(sample * scale + 0.5);
        int64_t value = int64_t(std::fmin(std::fmax(scaled, -scale), scale - 1));
        if (bits == 8)
            value += 128;
        for (int i = 0; i < sampleBytes; ++i)
            bytes.push_back(uint8_t(uint64_t(value) >> (8 * i)));
    }
    return bytes;
}

/** A file of the given bytes in the temporary folder, removed on destruction. */
class TempFile
{
public:
    explicit TempFile(const Bytes& contents, const std::string& name = "audio")
    {
        static std::atomic<int> fileNumber { 0 };
        std::error_code error;
        filePath = (std::filesystem::temp_directory_path(error) / ("tonecrest-" + name + "-" + std::to_string(::getpid()) + "-"
                                                                    + std::to_string(fileNumber++)))
                       .string();
        if (std::FILE* file = std::fopen(filePath.c_str(), "wb"))
        {
            written = contents.empty() || std::fwrite(contents.data(), 1, contents.size(), file) == contents.size();
            written = std::fclose(file) == 0 && written;
        }
    }
    ~TempFile() { std::remove(filePath.c_str()); }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    const char* path() const { return filePath.c_str(); }
    bool ok() const { return written; }

private:
    std::string filePath;
    bool written = false;
};

} // namespace Tonecrest::Testing
