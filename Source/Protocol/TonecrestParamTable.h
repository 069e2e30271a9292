#pragma once

#include <cstddef>
#include <cstdint>

// The static definition of every pedal parameter, as compiled-in data. TonecrestParamMap
// builds its catalogue from it once; the data codecs and the preset migration work on the
// device indexes directly, so records the editor does not show are kept here as well.
// Constant data: safe to read from any thread.

namespace Tonecrest
{

/** One parameter as the pedal defines it. Ranges, defaults and steps are in device units. */
struct ParameterDefinition
{
    int id;                          // TonecrestParamID
    int deviceIndex;                 // key in the stored preset or globals list; -1 when not stored
    uint16_t messageId;              // sent in the set-parameter packet
    const char* name;                // display name, some with leading blanks
    int valueType;                   // 0 integer or list index, 1 continuous
    double minimum;
    double maximum;
    double defaultValue;
    const char* const* optionNames;  // menu texts ended by nullptr, or nullptr for none
    int widget;                      // 1 menu of named values, 2 knob
    int unit;                        // 0 none, 1 dB, 2 Hz, 3 kHz, 4 mS, 5 %, 6 : 1, 7 bits, 8 deg, 9 cnt
    int block;                       // BlockID
    int scope;                       // 1 preset, 2 globals, 0 not stored
    int decimals;                    // digits shown after the point
    double scale;                    // display value = device value x scale
    double step;                     // device units
    int indexInBlock;                // -1: the editor does not show it
};

extern const ParameterDefinition kParameterDefinitions[];
extern const std::size_t kParameterDefinitionCount;

/** Number of option texts before the terminating nullptr (0 for none). */
std::size_t countOptionNames(const ParameterDefinition& definition);

} // namespace Tonecrest
