// Turns a file into C++ source holding its bytes, for the firmware archive built into the
// application: "static const unsigned char builtInFirmwareBytes[] = {...};" plus its size.
//
// Usage: TonecrestEmbedFile INPUT OUTPUT.inc

#include <cstdio>
#include <vector>

int main(int argc, char** argv)
{
    if (argc != 3)
    {
        std::fprintf(stderr, "Usage: %s INPUT OUTPUT.inc\n", argv[0]);
        return 2;
    }
    std::FILE* input = std::fopen(argv[1], "rb");
    if (input == nullptr)
    {
        std::fprintf(stderr, "Cannot read %s\n", argv[1]);
        return 1;
    }
    std::vector<unsigned char> bytes;
    unsigned char buffer[65536];
    for (size_t count; (count = std::fread(buffer, 1, sizeof buffer, input)) > 0;)
        bytes.insert(bytes.end(), buffer, buffer + count);
    const bool readFailed = std::ferror(input) != 0;
    std::fclose(input);
    if (readFailed || bytes.empty())
    {
        std::fprintf(stderr, "%s is %s\n", argv[1], readFailed ? "unreadable" : "empty");
        return 1;
    }

    std::FILE* output = std::fopen(argv[2], "w");
    if (output == nullptr)
    {
        std::fprintf(stderr, "Cannot write %s\n", argv[2]);
        return 1;
    }
    std::fprintf(output, "// Generated from %s; do not edit.\n", argv[1]);
    std::fprintf(output, "static const unsigned char builtInFirmwareBytes[] = {\n");
    for (size_t i = 0; i < bytes.size(); ++i)
        std::fprintf(output, "%u,%s", bytes[i], i % 24 == 23 ? "\n" : "");
    std::fprintf(output, "\n};\nstatic const size_t builtInFirmwareSize = %zu;\n", bytes.size());
    const bool writeFailed = std::fclose(output) != 0;
    if (writeFailed)
    {
        std::fprintf(stderr, "Cannot write %s\n", argv[2]);
        std::remove(argv[2]);
        return 1;
    }
    return 0;
}
