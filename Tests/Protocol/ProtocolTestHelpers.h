#pragma once

#include "Result.h"
#include "TonecrestData.h"

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace Tonecrest::Testing
{

/** A failed result's text; empty for a success. */
inline std::string errorText(const Result& result)
{
    return result.ok || result.error == nullptr ? std::string() : std::string(result.error);
}

/** Takes the process log while alive; lines may come from any thread (a transport's reader). */
class CapturedLog
{
public:
    CapturedLog() { setLogCallback(&CapturedLog::sink, this); }
    ~CapturedLog() { setLogCallback(nullptr, nullptr); }

    std::vector<std::string> lines() const
    {
        std::lock_guard<std::mutex> lock(mutex);
        return captured;
    }

    bool contains(const std::string& text) const
    {
        for (const auto& line : lines())
            if (line.find(text) != std::string::npos)
                return true;
        return false;
    }

private:
    static void sink(void* context, const char* line)
    {
        auto* self = static_cast<CapturedLog*>(context);
        std::lock_guard<std::mutex> lock(self->mutex);
        self->captured.emplace_back(line);
    }

    mutable std::mutex mutex;
    std::vector<std::string> captured;
};

/** Bytes that differ from their neighbours: seed + 13 i. */
inline std::vector<uint8_t> pattern(size_t length, uint8_t seed = 1)
{
    std::vector<uint8_t> data(length);
    for (size_t i = 0; i < length; ++i)
        data[i] = static_cast<uint8_t>(seed + i * 13);
    return data;
}

/** A cabinet whose samples rise from `start` in steps of 1/4096 across both channels. */
inline TonecrestData::Cabinet rampCabinet(const std::string& name, float start = -0.25f)
{
    TonecrestData::Cabinet cabinet;
    for (size_t i = 0; i < cabinet.samples.size(); ++i)
        cabinet.samples[i] = start + static_cast<float>(i) / 4096.0f;
    cabinet.name = name;
    return cabinet;
}

/** `count` parameters at keys 0, 3, 6, ... with values 0, 0.5, 1, ... */
inline TonecrestData::ParameterMap paramsWithEntries(size_t count)
{
    TonecrestData::ParameterMap params;
    for (size_t i = 0; i < count; ++i)
        params[static_cast<uint32_t>(i * 3)] = static_cast<float>(i) * 0.5f;
    return params;
}

/** An amp model with every field set, the first long name at its full 255 characters. */
inline TonecrestData::AmpModel sampleAmpModel()
{
    TonecrestData::AmpModel model;
    model.params = { { 1, 0.5f }, { 40, -2.0f }, { 300, 12.25f } };
    model.longName1 = std::string(255, 'L');
    model.longName2 = "Second voice";
    model.info = { 0x1234, "Tweed" };
    for (size_t i = 0; i < model.dataWords1.size(); ++i)
        model.dataWords1[i] = static_cast<uint32_t>(i * 2654435761u);
    for (size_t i = 0; i < model.dataWords2.size(); ++i)
        model.dataWords2[i] = static_cast<uint32_t>(~i);
    return model;
}

} // namespace Tonecrest::Testing
