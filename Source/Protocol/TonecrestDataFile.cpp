#include "TonecrestDataFile.h"

#include "TonecrestPresetMigration.h"

#include <algorithm>
#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

namespace Tonecrest
{
using namespace TonecrestData;

namespace
{
constexpr size_t kReadChunkBytes = 4096;
constexpr size_t kWholeStreamChunkBytes = 256;
constexpr size_t kFormatBufferBytes = 512;
constexpr size_t kWriteFlushBytes = 16384;

// ---------------------------------------------------------------------------------------
// Lines: the bytes up to "\n" or the end of the stream, every "\r" dropped. A line longer
// than dataFileMaxLineBytes fails the read: cut short, it would be read as another value.

class LineReader
{
public:
    explicit LineReader(IInputStream& source) : source(source) {}

    /** True when nothing is left. Asks the stream for more rather than trusting its
        isExhausted alone, so a stream that only learns its end by reading (a deflated zip
        entry) ends at the same line as any other. */
    Result atEnd(bool& end)
    {
        if (position < filled)
        {
            end = false;
            return kSuccess;
        }
        if (!sourceEnded && source.isExhausted())
            sourceEnded = true;
        if (Result refilled = refill(); !refilled)
            return refilled;
        end = position >= filled;
        return kSuccess;
    }

    Result readLine(std::string& line)
    {
        line.clear();
        for (;;)
        {
            if (position >= filled)
            {
                if (Result refilled = refill(); !refilled)
                    return refilled;
                if (position >= filled)
                    return kSuccess;
            }
            const uint8_t* start = buffer + position;
            const uint8_t* stop = buffer + filled;
            const auto* newline = static_cast<const uint8_t*>(std::memchr(start, '\n', static_cast<size_t>(stop - start)));
            const uint8_t* end = newline != nullptr ? newline : stop;
            if (!append(line, start, end))
                return TONECREST_ERROR("Line too long");
            position = static_cast<size_t>(end - buffer) + (newline != nullptr ? 1 : 0);
            if (newline != nullptr)
                return kSuccess;
        }
    }

private:
    Result refill()
    {
        position = filled = 0;
        if (sourceEnded)
            return kSuccess;
        size_t bytesRead = 0;
        if (Result readResult = source.read(buffer, sizeof buffer, bytesRead); !readResult)
            return readResult;
        filled = std::min(bytesRead, sizeof buffer);
        if (filled == 0)
            sourceEnded = true;
        return kSuccess;
    }

    /** False when the line grows beyond dataFileMaxLineBytes. */
    static bool append(std::string& line, const uint8_t* from, const uint8_t* to)
    {
        while (from != to)
        {
            const auto* carriageReturn = static_cast<const uint8_t*>(std::memchr(from, '\r', static_cast<size_t>(to - from)));
            const uint8_t* runEnd = carriageReturn != nullptr ? carriageReturn : to;
            const auto run = static_cast<size_t>(runEnd - from);
            if (run > dataFileMaxLineBytes - line.size())
                return false;
            line.append(reinterpret_cast<const char*>(from), run);
            from = carriageReturn != nullptr ? carriageReturn + 1 : to;
        }
        return true;
    }

    IInputStream& source;
    uint8_t buffer[kReadChunkBytes];
    size_t position = 0;
    size_t filled = 0;
    bool sourceEnded = false;
};

// ---------------------------------------------------------------------------------------
// Matching lines the way the C scanf family would with the file format's patterns: a blank
// in a pattern matches any run of white space (none included), %d and %x skip white space
// first, and what follows the last match on the line is ignored. Numbers never overflow:
// decimal ones saturate, hexadecimal ones keep their low 32 bits.

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isBlank(const std::string& line)
{
    return std::all_of(line.begin(), line.end(), isSpace);
}

int hexDigitValue(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    if (!std::isxdigit(byte))
        return -1;
    return std::isdigit(byte) ? byte - '0' : std::tolower(byte) - 'a' + 10;
}

class LineScanner
{
public:
    explicit LineScanner(const std::string& line) : at(line.c_str()) {}

    /** Literal text of a pattern; each blank in it matches any run of white space. */
    bool expect(const char* pattern)
    {
        for (; *pattern != '\0'; ++pattern)
        {
            if (*pattern == ' ')
                skipSpace();
            else if (*at == *pattern)
                ++at;
            else
                return false;
        }
        return true;
    }

    bool decimal(int32_t& value)
    {
        skipSpace();
        const char* cursor = at;
        const bool negative = *cursor == '-';
        if (*cursor == '-' || *cursor == '+')
            ++cursor;
        if (*cursor < '0' || *cursor > '9')
            return false;
        int64_t magnitude = 0;
        for (; *cursor >= '0' && *cursor <= '9'; ++cursor)
            magnitude = std::min<int64_t>(magnitude * 10 + (*cursor - '0'), int64_t { 1 } << 32);
        const int64_t signedValue = negative ? -magnitude : magnitude;
        value = static_cast<int32_t>(std::clamp<int64_t>(signedValue, INT32_MIN, INT32_MAX));
        at = cursor;
        return true;
    }

    bool hexadecimal(uint32_t& value)
    {
        skipSpace();
        const char* cursor = at;
        const bool negative = *cursor == '-';
        if (*cursor == '-' || *cursor == '+')
            ++cursor;
        if (cursor[0] == '0' && (cursor[1] == 'x' || cursor[1] == 'X') && hexDigitValue(cursor[2]) >= 0)
            cursor += 2;
        if (hexDigitValue(*cursor) < 0)
            return false;
        uint32_t result = 0;
        for (int digit; (digit = hexDigitValue(*cursor)) >= 0; ++cursor)
            result = (result << 4) | static_cast<uint32_t>(digit);
        value = negative ? 0u - result : result;
        at = cursor;
        return true;
    }

    /** A non-empty run of characters up to the next comma (%[^,]). */
    bool textUpToComma(std::string& text)
    {
        const char* end = std::strchr(at, ',');
        if (end == nullptr)
            end = at + std::strlen(at);
        if (end == at)
            return false;
        text.assign(at, end);
        at = end;
        return true;
    }

private:
    void skipSpace()
    {
        while (isSpace(*at))
            ++at;
    }

    const char* at;
};

// " # File Type : %[^,], Index = %d": false when the line yields no type text.
bool matchTypeLine(const std::string& line, std::string& typeText, bool& hasIndex, int32_t& index)
{
    LineScanner scan(line);
    hasIndex = false;
    if (!scan.expect(" # File Type : ") || !scan.textUpToComma(typeText))
        return false;
    hasIndex = scan.expect(", Index = ") && scan.decimal(index);
    return true;
}

// " # Data Segment %d Start" and " # Data Segment %d End"; the number is not used.
bool matchSegmentMarker(const std::string& line, const char* word)
{
    LineScanner scan(line);
    int32_t unusedNumber = 0;
    return scan.expect(" # Data Segment") && scan.decimal(unusedNumber) && scan.expect(" ") && scan.expect(word);
}

// " 0x%x", with "0X" as good as "0x": skipping such a line would shift every later word.
bool matchWordLine(const std::string& line, uint32_t& word)
{
    LineScanner scan(line);
    return scan.expect(" 0") && (scan.expect("x") || scan.expect("X")) && scan.hexadecimal(word);
}

// " <name> : %d . %d . %d"
bool matchVersionLine(const std::string& line, const char* name, std::array<uint8_t, 4>& version)
{
    LineScanner scan(line);
    int32_t major = 0, minor = 0, patch = 0;
    if (!scan.expect(" ") || !scan.expect(name) || !scan.expect(" : ") || !scan.decimal(major) || !scan.expect(" . ")
        || !scan.decimal(minor) || !scan.expect(" . ") || !scan.decimal(patch))
        return false;
    version = { static_cast<uint8_t>(major), static_cast<uint8_t>(minor), static_cast<uint8_t>(patch), 0 };
    return true;
}

// ---------------------------------------------------------------------------------------
// Text out: lines are gathered and handed to the stream in large writes; the first failed
// write ends the writing and is returned.

class TextWriter
{
public:
    explicit TextWriter(IOutputStream& sink) : sink(sink) { pending.reserve(kWriteFlushBytes + kFormatBufferBytes); }

    Result line(const char* fmt, ...)
#if defined(__GNUC__)
        __attribute__((format(printf, 2, 3)))
#endif
    {
        char formatted[kFormatBufferBytes];
        va_list args;
        va_start(args, fmt);
        const int length = std::vsnprintf(formatted, sizeof formatted, fmt, args);
        va_end(args);
        pending.append(formatted, static_cast<size_t>(std::clamp(length, 0, static_cast<int>(sizeof formatted) - 1)));
        pending.push_back('\n');
        return flushIfFull();
    }

    Result emptyLine()
    {
        pending.push_back('\n');
        return flushIfFull();
    }

    Result wordLine(uint32_t word)
    {
        static const char digits[] = "0123456789abcdef";
        char text[11] = { '0', 'x' };
        for (int i = 0; i < 8; ++i)
            text[2 + i] = digits[(word >> (28 - 4 * i)) & 0xF];
        text[10] = '\n';
        pending.append(text, sizeof text);
        return flushIfFull();
    }

    Result finish()
    {
        if (pending.empty())
            return kSuccess;
        Result written = sink.write(pending.data(), pending.size());
        pending.clear();
        return written;
    }

private:
    Result flushIfFull() { return pending.size() >= kWriteFlushBytes ? finish() : kSuccess; }

    IOutputStream& sink;
    std::string pending;
};

#define TONECREST_RETURN_IF_FAILED(expression)                                                                         \
    do                                                                                                                 \
    {                                                                                                                  \
        if (::Tonecrest::Result result_ = (expression); !result_)                                                      \
            return result_;                                                                                            \
    } while (false)

Result writeSegment(TextWriter& out, size_t segmentNumber, const std::vector<uint8_t>& segment)
{
    const int number = static_cast<int>(segmentNumber);
    TONECREST_RETURN_IF_FAILED(out.emptyLine());
    TONECREST_RETURN_IF_FAILED(out.emptyLine());
    TONECREST_RETURN_IF_FAILED(out.line("Data Segment %d: %d bytes excluding CRC", number, static_cast<int>(segment.size())));
    TONECREST_RETURN_IF_FAILED(out.emptyLine());
    TONECREST_RETURN_IF_FAILED(out.line("# Data Segment %d Start - Do Not Delete", number));
    for (size_t word = 0; word < segment.size() / wordBytes; ++word)
    {
        const uint8_t* at = segment.data() + word * wordBytes;
        const uint32_t value = static_cast<uint32_t>(at[0]) | (static_cast<uint32_t>(at[1]) << 8)
                             | (static_cast<uint32_t>(at[2]) << 16) | (static_cast<uint32_t>(at[3]) << 24);
        TONECREST_RETURN_IF_FAILED(out.wordLine(value));
    }
    TONECREST_RETURN_IF_FAILED(out.line("# Data Segment %d End - Do Not Delete", number));
    TONECREST_RETURN_IF_FAILED(out.emptyLine());
    TONECREST_RETURN_IF_FAILED(out.line("CRC = 0x%04x", dataChecksum(segment.data(), segment.size())));
    return out.emptyLine();
}

// Appends a new segment at least `size` bytes long, zero-filled, and returns its data.
uint8_t* addSegment(DataFile& file, size_t size)
{
    file.segments.emplace_back(size, 0);
    return file.segments.back().data();
}

// Reads a file and checks, in this order, that it has enough segments and is of the expected
// type; the failure texts are the caller's static strings.
Result readFileOfType(IInputStream& stream, DataFile& file, uint32_t type, size_t minimumSegments, const char* tooFewText,
                      const char* wrongTypeText, uint32_t* index)
{
    TONECREST_RETURN_IF_FAILED(file.read(stream));
    const char* failure = file.segments.size() < minimumSegments ? tooFewText : file.type != type ? wrongTypeText : nullptr;
    if (failure != nullptr)
    {
        TONECREST_ERROR("%s (type %u, %zu segments)", failure, file.type, file.segments.size());
        return { false, failure };
    }
    if (index != nullptr)
        *index = file.index;
    return kSuccess;
}

bool anySegmentTooSmall(const DataFile& file, std::initializer_list<std::pair<size_t, size_t>> minimumSizes)
{
    return std::any_of(minimumSizes.begin(), minimumSizes.end(), [&](const auto& minimum) {
        return minimum.first < file.segments.size() && file.segments[minimum.first].size() < minimum.second;
    });
}

} // namespace

// ---------------------------------------------------------------------------------------

DataFile::DataFile(uint32_t type, uint32_t index, size_t segmentCount) : type(type), index(index), segments(segmentCount)
{
}

const char* dataFileTypeString(uint32_t type)
{
    switch (type)
    {
        case DataFile::kPreset: return "Preset data";
        case DataFile::kUserCabinet: return "User Cabinet data";
        case DataFile::kGlobals: return "Globals data";
        case DataFile::kAmpModel: return "Amp_Model data";
        default: return nullptr;
    }
}

const char* dataFileExtension(uint32_t type)
{
    switch (type)
    {
        case DataFile::kPreset: return ".pre";
        case DataFile::kUserCabinet: return ".cab";
        case DataFile::kGlobals: return ".glo";
        case DataFile::kAmpModel: return ".amp";
        default: return nullptr;
    }
}

Result DataFile::read(IInputStream& stream)
{
    segments.clear();
    LineReader reader(stream);
    std::string line;
    bool end = false;

    // The type line: anything before it that does not read as one is skipped.
    std::string typeText;
    bool hasIndex = false;
    int32_t fileIndex = 0;
    for (;;)
    {
        TONECREST_RETURN_IF_FAILED(reader.readLine(line));
        TONECREST_RETURN_IF_FAILED(reader.atEnd(end));
        if (end)
            return TONECREST_ERROR("Reached end of file looking for type");
        if (matchTypeLine(line, typeText, hasIndex, fileIndex))
            break;
    }

    uint32_t fileType = kPreset;
    while (fileType <= kAmpModel && typeText != dataFileTypeString(fileType))
        ++fileType;
    if (fileType > kAmpModel)
        return TONECREST_ERROR("Invalid file type string");
    if (fileType != kGlobals && !hasIndex)
        return TONECREST_ERROR("Missing index");
    type = fileType;
    index = fileType == kGlobals ? 0 : static_cast<uint32_t>(fileIndex);

    for (;;)
    {
        TONECREST_RETURN_IF_FAILED(reader.atEnd(end));
        if (end)
            return kSuccess;
        TONECREST_RETURN_IF_FAILED(reader.readLine(line));
        if (isBlank(line) || !matchSegmentMarker(line, "Start"))
            continue;

        if (segments.size() >= dataFileMaxSegments)
            return TONECREST_ERROR("Too many segments");
        std::vector<uint8_t> segment;
        for (;;)
        {
            TONECREST_RETURN_IF_FAILED(reader.readLine(line));
            TONECREST_RETURN_IF_FAILED(reader.atEnd(end));
            if (end)
                return TONECREST_ERROR("Reached end of file inside segment");
            if (isBlank(line))
                continue;
            if (matchSegmentMarker(line, "End"))
                break;
            uint32_t word = 0;
            if (!matchWordLine(line, word))
                continue;
            if (segment.size() + wordBytes > dataFileMaxSegmentBytes)
                return TONECREST_ERROR("Segment too large");
            const uint8_t bytes[wordBytes] = { static_cast<uint8_t>(word), static_cast<uint8_t>(word >> 8),
                                               static_cast<uint8_t>(word >> 16), static_cast<uint8_t>(word >> 24) };
            segment.insert(segment.end(), bytes, bytes + wordBytes);
        }
        segments.push_back(std::move(segment));
    }
}

Result DataFile::write(IOutputStream& stream) const
{
    const char* typeString = dataFileTypeString(type);
    if (typeString == nullptr)
        return TONECREST_ERROR("Invalid file type %u", type);

    TextWriter out(stream);
    if (type == kGlobals)
        TONECREST_RETURN_IF_FAILED(out.line("# File Type: %s", typeString));
    else
        TONECREST_RETURN_IF_FAILED(out.line("# File Type: %s, Index = %d", typeString, static_cast<int32_t>(index)));
    TONECREST_RETURN_IF_FAILED(out.emptyLine());
    for (size_t i = 0; i < segments.size(); ++i)
        TONECREST_RETURN_IF_FAILED(writeSegment(out, i, segments[i]));
    return out.finish();
}

// ---------------------------------------------------------------------------------------

Result readPresetFile(IInputStream& stream, Preset& preset, uint32_t* index)
{
    DataFile file;
    TONECREST_RETURN_IF_FAILED(readFileOfType(stream, file, DataFile::kPreset, 2, "Too few segments in preset file",
                                              "Not a preset file", index));

    const auto& segments = file.segments;
    decodeParamList(segments[0].data(), segments[0].size(), preset.params);
    if (anySegmentTooSmall(file, { { 1, presetNameBlockBytes } }))
        return TONECREST_ERROR("Segment too small");
    decodePresetName(segments[1].data(), segments[1].size(), preset.name);

    if (segments.size() < 4)
        preset.cabinet.reset();
    else
    {
        if (anySegmentTooSmall(file, { { 2, cabinetDataBlockBytes }, { 3, cabinetNameBlockBytes } }))
            return TONECREST_ERROR("Segment too small");
        preset.cabinet = std::make_unique<Cabinet>();
        copyCabinetSamples(segments[2].data(), segments[2].size(), *preset.cabinet);
        decodeCabinetName(segments[3].data(), segments[3].size(), preset.cabinet->name);
    }
    return migratePresetParams(preset.params);
}

Result writePresetFile(const Preset& preset, IOutputStream& stream, uint32_t index)
{
    DataFile file(DataFile::kPreset, index, 0);
    TONECREST_RETURN_IF_FAILED(encodePresetParams(preset.params, addSegment(file, presetParamBlockBytes), presetParamBlockBytes));
    TONECREST_RETURN_IF_FAILED(encodePresetName(preset.name, addSegment(file, presetNameBlockBytes), presetNameBlockBytes));
    if (preset.cabinet)
    {
        TONECREST_RETURN_IF_FAILED(encodeCabinetSamples(*preset.cabinet, addSegment(file, cabinetDataBlockBytes), cabinetDataBlockBytes));
        TONECREST_RETURN_IF_FAILED(encodeCabinetName(preset.cabinet->name, addSegment(file, cabinetNameBlockBytes), cabinetNameBlockBytes));
    }
    return file.write(stream);
}

Result readCabinetFile(IInputStream& stream, Cabinet& cabinet, uint32_t* index)
{
    DataFile file;
    TONECREST_RETURN_IF_FAILED(readFileOfType(stream, file, DataFile::kUserCabinet, 2, "Too few segments in cabinet file",
                                              "Not a cabinet file", index));
    if (anySegmentTooSmall(file, { { 0, cabinetDataBlockBytes }, { 1, cabinetNameBlockBytes } }))
        return TONECREST_ERROR("Segment too small");
    copyCabinetSamples(file.segments[0].data(), file.segments[0].size(), cabinet);
    return decodeCabinetName(file.segments[1].data(), file.segments[1].size(), cabinet.name);
}

Result writeCabinetFile(const Cabinet& cabinet, IOutputStream& stream, uint32_t index)
{
    DataFile file(DataFile::kUserCabinet, index, 0);
    TONECREST_RETURN_IF_FAILED(encodeCabinetSamples(cabinet, addSegment(file, cabinetDataBlockBytes), cabinetDataBlockBytes));
    TONECREST_RETURN_IF_FAILED(encodeCabinetName(cabinet.name, addSegment(file, cabinetNameBlockBytes), cabinetNameBlockBytes));
    return file.write(stream);
}

Result readGlobalsFile(IInputStream& stream, ParameterMap& globals)
{
    DataFile file;
    TONECREST_RETURN_IF_FAILED(readFileOfType(stream, file, DataFile::kGlobals, 1, "Too few segments in globals file",
                                              "Not a globals file", nullptr));
    return decodeParamList(file.segments[0].data(), file.segments[0].size(), globals);
}

Result writeGlobalsFile(const ParameterMap& globals, IOutputStream& stream)
{
    DataFile file(DataFile::kGlobals, 0, 0);
    TONECREST_RETURN_IF_FAILED(encodeGlobals(globals, addSegment(file, globalsParamBlockBytes), globalsParamBlockBytes));
    return file.write(stream);
}

Result readAmpModelFile(IInputStream& stream, AmpModel& model, uint32_t* index)
{
    DataFile file;
    TONECREST_RETURN_IF_FAILED(readFileOfType(stream, file, DataFile::kAmpModel, 4, "Too few segments in amp file",
                                              "Not an amp file", index));
    if (anySegmentTooSmall(file, { { 0, ampModelBlockBytes },
                                   { 1, ampInfoBlockBytes },
                                   { 2, ampDataBlockBytes },
                                   { 3, ampExtraBlockBytes },
                                   { 4, ampModelBlockBytes } }))
        return TONECREST_ERROR("Segment too small");

    const auto& segments = file.segments;
    decodeAmpModelParams(segments[0].data(), segments[0].size(), model);
    decodeAmpModelInfo(segments[1].data(), segments[1].size(), model.info);
    decodeAmpModelData(segments[2].data(), segments[2].size(), model);
    decodeAmpModelExtra(segments[3].data(), segments[3].size(), model);
    if (segments.size() < 5)
        model.alternate.reset();
    else
    {
        model.alternate = std::make_unique<AmpModelParams>();
        decodeAmpModelParams(segments[4].data(), segments[4].size(), *model.alternate);
    }
    return kSuccess;
}

Result writeAmpModelFile(const AmpModel& model, IOutputStream& stream, uint32_t index)
{
    DataFile file(DataFile::kAmpModel, index, 0);
    TONECREST_RETURN_IF_FAILED(encodeAmpModelParams(model, addSegment(file, ampModelBlockBytes), ampModelBlockBytes));
    TONECREST_RETURN_IF_FAILED(encodeAmpModelInfo(model.info, addSegment(file, ampInfoBlockBytes), ampInfoBlockBytes));
    TONECREST_RETURN_IF_FAILED(encodeAmpModelData(model, addSegment(file, ampDataBlockBytes), ampDataBlockBytes));
    TONECREST_RETURN_IF_FAILED(encodeAmpModelExtra(model, addSegment(file, ampExtraBlockBytes), ampExtraBlockBytes));
    if (model.alternate)
        TONECREST_RETURN_IF_FAILED(encodeAmpModelParams(*model.alternate, addSegment(file, ampModelBlockBytes), ampModelBlockBytes));
    return file.write(stream);
}

// ---------------------------------------------------------------------------------------

Result readStream(IInputStream& stream, std::vector<uint8_t>& bytes)
{
    bytes.clear();
    uint8_t chunk[kWholeStreamChunkBytes];
    for (;;)
    {
        size_t bytesRead = 0;
        TONECREST_RETURN_IF_FAILED(stream.read(chunk, sizeof chunk, bytesRead));
        if (bytesRead == 0)
            return kSuccess;
        bytesRead = std::min(bytesRead, sizeof chunk);
        if (bytes.size() + bytesRead > wholeStreamMaxBytes)
            return TONECREST_ERROR("Stream too large");
        bytes.insert(bytes.end(), chunk, chunk + bytesRead);
    }
}

Result writeStream(const std::vector<uint8_t>& bytes, IOutputStream& stream)
{
    return stream.write(bytes.data(), bytes.size());
}

void reverseBitsInEachByte(std::vector<uint8_t>& bytes)
{
    for (uint8_t& byte : bytes)
    {
        uint8_t reversed = 0;
        for (int bit = 0; bit < 8; ++bit)
            reversed = static_cast<uint8_t>(reversed | (((byte >> bit) & 1u) << (7 - bit)));
        byte = reversed;
    }
}

Result readReversedStream(IInputStream& stream, std::vector<uint8_t>& bytes)
{
    TONECREST_RETURN_IF_FAILED(readStream(stream, bytes));
    reverseBitsInEachByte(bytes);
    return kSuccess;
}

Result writeReversedStream(const std::vector<uint8_t>& bytes, IOutputStream& stream)
{
    std::vector<uint8_t> reversed(bytes);
    reverseBitsInEachByte(reversed);
    return stream.write(reversed.data(), reversed.size());
}

// ---------------------------------------------------------------------------------------

Result parseFirmwareVersionText(IInputStream& stream, FirmwareVersionInfo& info)
{
    info = FirmwareVersionInfo();
    LineReader reader(stream);
    std::string line;
    for (;;)
    {
        bool end = false;
        TONECREST_RETURN_IF_FAILED(reader.atEnd(end));
        if (end)
            return kSuccess;
        TONECREST_RETURN_IF_FAILED(reader.readLine(line));
        if (!matchVersionLine(line, "SYSTEM_FW_VERSION", info.system))
            matchVersionLine(line, "DSP_FW_VERSION", info.dsp);
    }
}

Result formatFirmwareVersionText(const FirmwareVersionInfo& info, IOutputStream& stream)
{
    TextWriter out(stream);
    TONECREST_RETURN_IF_FAILED(out.line("SYSTEM_FW_VERSION : %d.%d.%d", info.system[0], info.system[1], info.system[2]));
    TONECREST_RETURN_IF_FAILED(out.line("DSP_FW_VERSION : %d.%d.%d", info.dsp[0], info.dsp[1], info.dsp[2]));
    return out.finish();
}

// ---------------------------------------------------------------------------------------

Result checkArchiveSlots(const Archive& archive, bool presets, bool userCabinets, bool ampModels)
{
    if (presets)
        for (const auto& entry : archive.presets)
            if (!isValidPresetSlot(entry.index))
                return TONECREST_ERROR("Invalid preset slot %d", entry.index);
    if (userCabinets)
        for (const auto& entry : archive.userCabinets)
            if (!isValidUserCabinetSlot(entry.index))
                return TONECREST_ERROR("Invalid user cabinet slot %d", entry.index);
    if (ampModels)
        for (const auto& entry : archive.ampModels)
            if (!isValidAmpModelSlot(entry.index))
                return TONECREST_ERROR("Invalid amp model slot %d", entry.index);
    return kSuccess;
}

} // namespace Tonecrest
