#include "AudioFileReader.h"

#include <climits>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace Tonecrest
{
namespace
{

constexpr uint32_t supportedRates[] = { 44100, 48000, 88200, 96000, 176400, 192000 };

constexpr uint16_t wavFormatPCM = 1;
constexpr uint16_t wavFormatFloat = 3;
constexpr uint16_t wavFormatExtensible = 0xFFFE;

constexpr int64_t wavFormatFieldBytes = 16;
constexpr int64_t wavExtensibleFormatBytes = 40; // the 16 plain bytes, cbSize, 22 bytes of extension
constexpr int64_t aiffCommonBytes = 18;
constexpr int64_t aiffSoundHeaderBytes = 8;

bool isSupportedRate(int64_t rate)
{
    for (uint32_t supported : supportedRates)
        if (rate == supported)
            return true;
    return false;
}

/** Bytes one sample takes in the file (20-bit samples sit in three); 0 for other widths. */
int bytesPerSample(int bits)
{
    switch (bits)
    {
        case 8: return 1;
        case 16: return 2;
        case 20:
        case 24: return 3;
        case 32: return 4;
        default: return 0;
    }
}

enum class SampleEncoding
{
    unsignedLE, // 8-bit WAV
    signedLE,
    signedBE,
    floatLE
};

/** One sample at bytes; integers are scaled by 2^(bits of the container - 1). */
double decodeSample(const uint8_t* bytes, int sampleBytes, SampleEncoding encoding)
{
    if (encoding == SampleEncoding::floatLE)
    {
        const uint32_t bits = uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16
                              | uint32_t(bytes[3]) << 24;
        float value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    if (encoding == SampleEncoding::unsignedLE)
        return (int(bytes[0]) - 128) / 128.0;

    uint32_t raw = 0;
    for (int i = 0; i < sampleBytes; ++i)
    {
        const int byteIndex = encoding == SampleEncoding::signedLE ? sampleBytes - 1 - i : i;
        raw = raw << 8 | bytes[byteIndex];
    }
    const int bits = 8 * sampleBytes;
    int64_t value = raw;
    if (raw & (uint32_t(1) << (bits - 1)))
        value -= int64_t(1) << bits;
    return double(value) / double(int64_t(1) << (bits - 1));
}

struct FileCloser
{
    void operator()(std::FILE* file) const { std::fclose(file); }
};

/** The one open file of a read: closed on every way out, and aware of its own length so that
    no size read from the file can drive a read or an allocation past its end. Every failure
    throws the reader's code; the reader's handler catches it. */
class InputFile
{
public:
    explicit InputFile(const char* path)
    {
        if (path == nullptr || *path == '\0')
            throw kWavErrorCannotOpen;
        file.reset(std::fopen(path, "rb"));
        if (file == nullptr)
            throw kWavErrorCannotOpen;
        if (std::fseek(file.get(), 0, SEEK_END) != 0)
            throw kWavErrorMalformed;
        const long endOffset = std::ftell(file.get());
        if (endOffset < 0 || std::fseek(file.get(), 0, SEEK_SET) != 0)
            throw kWavErrorMalformed;
        length = endOffset;
    }

    int64_t bytesLeft() const { return length - position; }

    void read(void* destination, size_t count)
    {
        if (count > 0 && std::fread(destination, 1, count, file.get()) != count)
            throw kWavErrorMalformed;
        position += int64_t(count);
    }

    bool readTag(const char* expected)
    {
        char tag[4];
        read(tag, sizeof tag);
        return std::memcmp(tag, expected, sizeof tag) == 0;
    }

    uint16_t readU16(bool bigEndian)
    {
        uint8_t bytes[2];
        read(bytes, sizeof bytes);
        return bigEndian ? uint16_t(bytes[0] << 8 | bytes[1]) : uint16_t(bytes[1] << 8 | bytes[0]);
    }

    uint32_t readU32(bool bigEndian)
    {
        uint32_t value = 0;
        if (!(bigEndian ? readU32BE(file.get(), &value) : readU32LE(file.get(), &value)))
            throw kWavErrorMalformed;
        position += 4;
        return value;
    }

    /** Relative seek. Skipping past the end leaves the file at its end: whatever reads next
        comes up short, as it would after a seek beyond the end. */
    void skip(int64_t count)
    {
        if (count <= 0)
            return;
        if (count > bytesLeft())
        {
            if (std::fseek(file.get(), 0, SEEK_END) != 0)
                throw kWavErrorMalformed;
            position = length;
            return;
        }
        if (std::fseek(file.get(), long(count), SEEK_CUR) != 0)
            throw kWavErrorMalformed;
        position += count;
    }

    /** Reads count bytes into a fresh buffer; the count has been checked against the file. */
    void readBlock(std::vector<uint8_t>& buffer, int64_t count)
    {
        buffer = std::vector<uint8_t>();
        buffer.resize(size_t(count));
        read(buffer.data(), buffer.size());
    }

private:
    std::unique_ptr<std::FILE, FileCloser> file;
    int64_t length = 0;
    int64_t position = 0;
};

/** What a reader hands back once every check has passed. */
struct SoundLayout
{
    int channels = 0;
    int sampleRate = 0;
    int sampleBytes = 0;
    int64_t frames = 0;
    SampleEncoding encoding = SampleEncoding::signedLE;
};

/** Decodes the interleaved data and replaces the caller's arrays; nothing of the caller's is
    touched until every sample has been decoded. */
void storeSamples(const std::vector<uint8_t>& data, const SoundLayout& layout, double** left, double** right, int* frames)
{
    const size_t frameCount = size_t(layout.frames);
    std::unique_ptr<double[]> leftSamples(new double[frameCount]);
    std::unique_ptr<double[]> rightSamples(new double[frameCount]);

    const uint8_t* bytes = data.data();
    for (size_t frame = 0; frame < frameCount; ++frame)
    {
        for (int channel = 0; channel < layout.channels; ++channel)
        {
            const double sample = decodeSample(bytes, layout.sampleBytes, layout.encoding);
            // A NaN or an infinity would spread over the whole resampled impulse.
            if (!std::isfinite(sample))
                throw kWavErrorMalformed;
            bytes += layout.sampleBytes;
            if (channel == 0)
            {
                leftSamples[frame] = sample;
                if (layout.channels == 1)
                    rightSamples[frame] = sample;
            }
            else
            {
                rightSamples[frame] = sample;
            }
        }
    }

    if (*right != *left)
        delete[] *right;
    delete[] *left;
    *left = leftSamples.release();
    *right = rightSamples.release();
    *frames = int(layout.frames);
}

/** Runs one reader body and turns whatever it throws into its code; the file and every
    buffer are released by their owners on the way out. */
template <typename Body>
waverror runReader(Body&& body)
{
    try
    {
        body();
        return kWavErrorNone;
    }
    catch (waverror code)
    {
        return code;
    }
    catch (const std::bad_alloc&)
    {
        return kWavErrorMalformed;
    }
}

void storeHeader(const SoundLayout& layout, int* sampleRate, bool* mono)
{
    if (sampleRate != nullptr)
        *sampleRate = layout.sampleRate;
    if (mono != nullptr)
        *mono = layout.channels == 1;
}

} // namespace

bool readU32LE(std::FILE* file, uint32_t* value)
{
    uint8_t bytes[4];
    if (file == nullptr || value == nullptr || std::fread(bytes, 1, sizeof bytes, file) != sizeof bytes)
        return false;
    *value = uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24;
    return true;
}

bool readU32BE(std::FILE* file, uint32_t* value)
{
    uint8_t bytes[4];
    if (file == nullptr || value == nullptr || std::fread(bytes, 1, sizeof bytes, file) != sizeof bytes)
        return false;
    *value = uint32_t(bytes[0]) << 24 | uint32_t(bytes[1]) << 16 | uint32_t(bytes[2]) << 8 | uint32_t(bytes[3]);
    return true;
}

bool extendedToDouble(const uint8_t ext[10], double* out)
{
    if (ext == nullptr || out == nullptr)
        return false;
    const int exponent = (ext[0] & 0x7F) << 8 | ext[1];
    // Beyond this range the value would be a subnormal or overflow a double.
    if (exponent == 0 || exponent == 0x7FFF || exponent < 15360 || exponent > 17406)
        return false;

    uint64_t mantissaBits = 0;
    for (int i = 2; i < 10; ++i)
        mantissaBits = mantissaBits << 8 | ext[i];
    const uint64_t fraction = mantissaBits & 0x7FFFFFFFFFFFFFFFull;
    const double mantissa = 1.0 + std::ldexp(double(fraction), -63);
    const double magnitude = std::ldexp(mantissa, exponent - 16383);
    // The top exponent with every fraction bit set rounds up past the largest double.
    if (!std::isfinite(magnitude))
        return false;
    *out = (ext[0] & 0x80) != 0 ? -magnitude : magnitude;
    return true;
}

waverror readWavFileCode(const char* path, double** left, double** right, int* frames, int* sampleRate, bool* mono)
{
    const bool samplesWanted = left != nullptr && right != nullptr && frames != nullptr;

    return runReader([&] {
        InputFile in(path);
        if (!in.readTag("RIFF"))
            throw kWavErrorMalformed;
        const uint32_t riffBytes = in.readU32(false);
        if (!in.readTag("WAVE") || riffBytes <= 4)
            throw kWavErrorMalformed;

        uint16_t formatTag = 0, channels = 0, blockAlign = 0, bitsPerSample = 0;
        uint32_t rate = 0, byteRate = 0;
        uint16_t subFormat = wavFormatPCM; // an extensible file without its extension reads as PCM
        bool formatSeen = false, dataSeen = false;
        int64_t dataBytes = 0;
        std::vector<uint8_t> data;

        int64_t remaining = int64_t(riffBytes) - 4;
        while (remaining > 0)
        {
            char id[4];
            in.read(id, sizeof id);
            const int64_t chunkBytes = in.readU32(false);
            const int64_t paddedBytes = chunkBytes + (chunkBytes & 1);
            remaining -= 8;

            if (std::memcmp(id, "fmt ", 4) == 0)
            {
                if (paddedBytes < wavFormatFieldBytes)
                    throw kWavErrorMalformed;
                formatTag = in.readU16(false);
                channels = in.readU16(false);
                rate = in.readU32(false);
                byteRate = in.readU32(false);
                blockAlign = in.readU16(false);
                bitsPerSample = in.readU16(false);
                int64_t consumed = wavFormatFieldBytes;

                subFormat = wavFormatPCM;
                // Float files are commonly written as extensible: without its sub-format they
                // would be decoded as integers. Only the GUID's leading format code counts:
                // real files name integer PCM with other tails than the usual one.
                if (formatTag == wavFormatExtensible && paddedBytes >= wavExtensibleFormatBytes)
                {
                    uint8_t extension[24];
                    in.read(extension, sizeof extension);
                    consumed = wavExtensibleFormatBytes;
                    subFormat = uint16_t(extension[8] | extension[9] << 8);
                }
                in.skip(paddedBytes - consumed);
                remaining -= paddedBytes;
                formatSeen = true;
            }
            else if (std::memcmp(id, "data", 4) == 0)
            {
                if (chunkBytes < 1 || chunkBytes > in.bytesLeft())
                    throw kWavErrorMalformed;
                if (samplesWanted)
                    in.readBlock(data, chunkBytes);
                else
                    in.skip(chunkBytes);
                remaining -= chunkBytes;
                if (chunkBytes & 1)
                {
                    in.skip(1);
                    remaining -= 1;
                }
                dataSeen = true;
                dataBytes = chunkBytes;
            }
            else
            {
                in.skip(paddedBytes);
                remaining -= paddedBytes;
            }
        }

        if (!formatSeen || !dataSeen)
            throw kWavErrorMalformed;

        SoundLayout layout;
        if (formatTag == wavFormatExtensible)
        {
            if (subFormat != wavFormatPCM && subFormat != wavFormatFloat)
                throw kWavErrorUnsupportedFormat;
        }
        else if (formatTag != wavFormatPCM && formatTag != wavFormatFloat)
        {
            throw kWavErrorUnsupportedFormat;
        }
        const bool isFloat = formatTag == wavFormatFloat || (formatTag == wavFormatExtensible && subFormat == wavFormatFloat);

        if (channels != 1 && channels != 2)
            throw kWavErrorUnsupportedChannels;
        if (!isSupportedRate(rate))
            throw kWavErrorUnsupportedRate;
        layout.sampleBytes = bytesPerSample(bitsPerSample);
        if (layout.sampleBytes == 0 || (isFloat && bitsPerSample != 32))
            throw kWavErrorUnsupportedWidth;

        if (uint64_t(byteRate) != uint64_t(rate) * blockAlign || blockAlign == 0 || blockAlign % channels != 0
            || dataBytes % blockAlign != 0)
            throw kWavErrorMalformed;
        // Samples are decoded back to back; a wider frame would be misread, a narrower one overrun.
        if (blockAlign != channels * layout.sampleBytes)
            throw kWavErrorMalformed;

        layout.channels = channels;
        layout.sampleRate = int(rate);
        layout.frames = dataBytes / blockAlign;
        if (layout.frames > INT_MAX)
            throw kWavErrorMalformed;
        if (isFloat)
            layout.encoding = SampleEncoding::floatLE;
        else
            layout.encoding = bitsPerSample == 8 ? SampleEncoding::unsignedLE : SampleEncoding::signedLE;

        if (samplesWanted)
            storeSamples(data, layout, left, right, frames);
        storeHeader(layout, sampleRate, mono);
    });
}

waverror readAiffFileCode(const char* path, double** left, double** right, int* frames, int* sampleRate, bool* mono)
{
    const bool samplesWanted = left != nullptr && right != nullptr && frames != nullptr;

    return runReader([&] {
        InputFile in(path);
        if (!in.readTag("FORM"))
            throw kWavErrorMalformed;
        const uint32_t formBytes = in.readU32(true);
        if (!in.readTag("AIFF") || formBytes <= 4)
            throw kWavErrorMalformed;

        uint16_t channels = 0, bitsPerSample = 0;
        uint32_t frameCount = 0;
        int64_t rate = 0;
        bool commonSeen = false, soundSeen = false;
        int64_t soundBytes = 0;
        std::vector<uint8_t> data;

        int64_t remaining = int64_t(formBytes) - 4;
        while (remaining > 0)
        {
            char id[4];
            in.read(id, sizeof id);
            const int64_t chunkBytes = in.readU32(true);
            const int64_t paddedBytes = chunkBytes + (chunkBytes & 1);
            remaining -= 8;

            if (std::memcmp(id, "COMM", 4) == 0)
            {
                if (paddedBytes < aiffCommonBytes)
                    throw kWavErrorMalformed;
                channels = in.readU16(true);
                frameCount = in.readU32(true);
                bitsPerSample = in.readU16(true);
                uint8_t extendedRate[10];
                in.read(extendedRate, sizeof extendedRate);
                double rateValue = 0.0;
                if (!extendedToDouble(extendedRate, &rateValue))
                    throw kWavErrorMalformed;
                const double rounded = std::floor(rateValue + 0.5);
                // Anything outside int range is unsupported anyway; keep it out of the cast.
                rate = rounded >= 1.0 && rounded <= double(INT_MAX) ? int64_t(rounded) : 0;
                in.skip(paddedBytes - aiffCommonBytes);
                remaining -= paddedBytes;
                commonSeen = true;
            }
            else if (std::memcmp(id, "SSND", 4) == 0)
            {
                if (chunkBytes < aiffSoundHeaderBytes + 1)
                    throw kWavErrorMalformed;
                const uint32_t offset = in.readU32(true);
                const uint32_t blockSize = in.readU32(true);
                if (offset != 0 || blockSize != 0)
                    throw kWavErrorMalformed;
                const int64_t byteCount = chunkBytes - aiffSoundHeaderBytes;
                if (byteCount > in.bytesLeft())
                    throw kWavErrorMalformed;
                if (samplesWanted)
                    in.readBlock(data, byteCount);
                else
                    in.skip(byteCount);
                remaining -= chunkBytes;
                if (byteCount & 1)
                {
                    in.skip(1);
                    remaining -= 1;
                }
                soundSeen = true;
                soundBytes = byteCount;
            }
            else
            {
                in.skip(paddedBytes);
                remaining -= paddedBytes;
            }
        }

        if (!commonSeen || !soundSeen)
            throw kWavErrorMalformed;
        if (channels != 1 && channels != 2)
            throw kWavErrorUnsupportedChannels;
        if (!isSupportedRate(rate))
            throw kWavErrorUnsupportedRate;

        SoundLayout layout;
        layout.sampleBytes = bytesPerSample(bitsPerSample);
        if (layout.sampleBytes == 0)
            throw kWavErrorUnsupportedWidth;
        // The frame count comes from the common chunk alone: it must not promise more than
        // the sound chunk holds. An empty one would import as a silent cabinet.
        if (frameCount == 0 || frameCount > uint32_t(INT_MAX)
            || uint64_t(frameCount) * channels * uint64_t(layout.sampleBytes) > uint64_t(soundBytes))
            throw kWavErrorMalformed;

        layout.channels = channels;
        layout.sampleRate = int(rate);
        layout.frames = frameCount;
        layout.encoding = SampleEncoding::signedBE;

        if (samplesWanted)
            storeSamples(data, layout, left, right, frames);
        storeHeader(layout, sampleRate, mono);
    });
}

bool readWavFile(const char* path, double** left, double** right, int* frames, int* sampleRate, bool* mono)
{
    return readWavFileCode(path, left, right, frames, sampleRate, mono) == kWavErrorNone;
}

bool readAiffFile(const char* path, double** left, double** right, int* frames, int* sampleRate, bool* mono)
{
    return readAiffFileCode(path, left, right, frames, sampleRate, mono) == kWavErrorNone;
}

bool loadAudioFile(const char* path, double** left, double** right, int* frames, int* sampleRate, bool* mono)
{
    // Any WAV failure, including a file that is not RIFF at all, gets the AIFF attempt.
    return readWavFile(path, left, right, frames, sampleRate, mono)
           || readAiffFile(path, left, right, frames, sampleRate, mono);
}

} // namespace Tonecrest
