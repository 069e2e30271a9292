#include "TonecrestParamTable.h"

// The pedal's parameter table. One record per parameter, in id order; the columns follow
// ParameterDefinition: id, device index, message id, name, value type, minimum, maximum,
// default, option texts, widget, unit, block, scope, decimals, scale, step, index in block.
//
// Ids, names, storage keys, blocks and scopes are the pedal's own and must never change;
// neither may the ranges and menu texts that the footswitch, MIDI CC and global pages, the
// signal-chain routing and the preset migration rely on.
// Everything else (effect ranges, display scales, steps, defaults, the texts of effect menus)
// is the editor's choice and follows one set of conventions so that every panel reads alike:
// - levels are dB in 0.5 dB steps, -24..+24 (mix and dry levels -120..0, -120 meaning off);
// - 0..1 amounts (tone controls, drive) show as 0..10; depths, widths, mixes, wave shapes,
//   duty cycles, tapers and feedback show as percent; pans -1..1 show as -100..100 %;
// - times are stored in seconds and shown in mS; rates are Hz in 0.01 Hz steps; high cuts,
//   roll-offs and high dampings show in kHz, every other frequency in Hz; phases are
//   0..360 deg; pitch offsets are semitones and cents;
// - decimals always match the displayed step, so a read-out never shows digits it cannot
//   change;
// - pedal positions (wah, volume, pitch) belong to the pedal's hardware and are globals;
// - menu texts are padded with leading blanks to sit centred in the pedal's 12-character
//   read-out, as the firmware's own texts are; texts of 10 or more characters are not padded;
// - defaults are the neutral setting: effects off, levels at 0 dB, controls at mid travel.
// - MIDI CC defaults put the pedals on the standard controllers (1, 4, 7, 11) and every
//   switch on a controller of its own that MIDI leaves undefined.
// The model and cabinet texts here are placeholders: TonecrestParamMap replaces them with
// the pedal's amp models and user cabinets once they have been read.

namespace Tonecrest
{

namespace
{

const char* const kBypassedActive[] = { "  BYPASSED", "   ACTIVE", nullptr };
const char* const kModelPlaceholders[] = {
    "    NONE", "    amp0", "    amp1", "    amp2", "    amp3", nullptr
};
const char* const kPowerAmp[] = { "  DISABLED", "  ENABLED", nullptr };
const char* const kCabinetSpecial[] = { "    NONE", "FILTER ONLY", "  MATCHED", nullptr };
const char* const kCabinetOutput[] = { "    NONE", "MAINS ONLY", "  AUX ONLY", "    BOTH", nullptr };
const char* const kBoostMode[] = {
    "   CLEAN", "   TREBLE", "    MID", "    FAT", " OVERDRIVE", "    FUZZ", nullptr
};
const char* const kThreeInserts[] = { "     1", "     2", "     3", nullptr };
const char* const kOldEffectMode[] = { "  TREMOLO", "   CHORUS", "  FLANGER", "   PHASER", nullptr };
const char* const kPrePost[] = { "    PRE", "    POST", nullptr };
const char* const kEchoType[] = {
    "  DIGITAL", "   ANALOG", "    TAPE", "   LO-FI", "  REVERSE", " MULTI-TAP", nullptr
};
const char* const kOffOn[] = { "    OFF", "     ON", nullptr };
const char* const kReverbType[] = {
    "    ROOM", "    HALL", "   PLATE", "   SPRING", "  CHAMBER", "  AMBIENCE", nullptr
};
const char* const kLoopMode[] = { " MUTE SEND", "MUTE RETURN", " AUX INPUT", "EXPRESSION", nullptr };
const char* const kPreEqType[] = {
    " LOW SHELF", "    PEAK", "HIGH SHELF", "  LOW PASS", " HIGH PASS", nullptr
};
const char* const kParametricEqType[] = {
    "    PEAK", " LOW SHELF", "HIGH SHELF", "  LOW PASS", " HIGH PASS", "   NOTCH", nullptr
};
const char* const kFootswitchModes[] = {
    "   PRESET", "   EFFECT", " TAP TEMPO", "   TUNER", "  BANK UP", " BANK DOWN", " PRESET UP",
    "PRESET DOWN", "   TOGGLE", nullptr
};
const char* const kOutputModes[] = { "   STEREO", "    MONO", " DUAL LEFT", "DUAL RIGHT", nullptr };
const char* const kPresetOrGlobal[] = { "   PRESET", "   GLOBAL", nullptr };
const char* const kMidiInChannel[] = {
    "    OMNI", "     1", "     2", "     3", "     4", "     5", "     6", "     7", "     8",
    "     9", "     10", "     11", "     12", "     13", "     14", "     15", "     16", nullptr
};
const char* const kMidiOutChannel[] = {
    "    OFF", "     1", "     2", "     3", "     4", "     5", "     6", "     7", "     8",
    "     9", "     10", "     11", "     12", "     13", "     14", "     15", "     16", nullptr
};
const char* const kPresetNumbering[] = { "   0-127", "   1-128", nullptr };
const char* const kContrastLevels[] = {
    "     1", "     2", "     3", "     4", "     5", "     6", "     7", "     8", "     9",
    "     10", nullptr
};
const char* const kWahType[] = { "  CLASSIC", "  VINTAGE", "   MODERN", "    BASS", nullptr };
const char* const kCompressorMode[] = { "COMPRESSOR", "  LIMITER", " SUSTAINER", nullptr };
const char* const kMakeupMode[] = { "   MANUAL", "    AUTO", nullptr };
const char* const kDetectorMode[] = { "    PEAK", "    RMS", nullptr };
const char* const kMidiClock[] = { "    OFF", "  RECEIVE", "    SEND", nullptr };
const char* const kLevelAssign[] = { "    MAIN", "    AUX", "   PHONES", "MAIN + AUX", nullptr };
const char* const kEchoConfig[] = { "    MONO", "   STEREO", "    DUAL", " MULTI-TAP", nullptr };
const char* const kBucketCount[] = { "    512", "    1024", "    2048", "    4096", "    8192", nullptr };
const char* const kPhaserStages[] = { "     2", "     4", "     6", "     8", "     10", "     12", nullptr };
const char* const kPhaserType[] = { "  VINTAGE", "   MODERN", nullptr };
const char* const kFootswitchAssign[] = {
    "    NONE", "FS1 NORMAL", "FS1 INVERSE", "FS2 NORMAL", "FS2 INVERSE", "FS3 NORMAL", "FS3 INVERSE",
    "FS4 NORMAL", "FS4 INVERSE", "FS5 NORMAL", "FS5 INVERSE", "FS- NORMAL", "FS- INVERSE",
    "FS6 NORMAL", "FS6 INVERSE", "FS7 NORMAL", "FS7 INVERSE", "FS8 NORMAL", "FS8 INVERSE",
    "FS9 NORMAL", "FS9 INVERSE", "FS0 NORMAL", "FS0 INVERSE", "FS+ NORMAL", "FS+ INVERSE", nullptr
};
const char* const kFiveInserts[] = { "     1", "     2", "     3", "     4", "     5", nullptr };
const char* const kWahMode[] = { "   PEDAL", "   TOUCH", "    LFO", nullptr };
const char* const kTempoDivisions[] = {
    "    OFF", "   1/32T", "    1/32", "   1/16T", "    1/16", "   1/16.", "    1/8T", "    1/8",
    "    1/8.", "    1/4T", "    1/4", "    1/4.", "    1/2T", "    1/2", "    1/2.", "    1/1", nullptr
};
const char* const kVolumeMode[] = { "   PEDAL", "   SWELL", nullptr };
const char* const kEnvelopeSource[] = { "   INPUT", "  AMP OUT", nullptr };
const char* const kPitchMode[] = { "   SHIFT", "  HARMONY", "   PEDAL", nullptr };
const char* const kLoopMix[] = { "   SERIES", "  PARALLEL", nullptr };
const char* const kSemitones[] = {
    "    -24", "    -23", "    -22", "    -21", "    -20", "    -19", "    -18", "    -17", "    -16",
    "    -15", "    -14", "    -13", "    -12", "    -11", "    -10", "     -9", "     -8", "     -7",
    "     -6", "     -5", "     -4", "     -3", "     -2", "     -1", "     0", "     +1", "     +2",
    "     +3", "     +4", "     +5", "     +6", "     +7", "     +8", "     +9", "    +10", "    +11",
    "    +12", "    +13", "    +14", "    +15", "    +16", "    +17", "    +18", "    +19", "    +20",
    "    +21", "    +22", "    +23", "    +24", nullptr
};
const char* const kPitchKey[] = {
    "     C", "     C#", "     D", "     D#", "     E", "     F", "     F#", "     G", "     G#",
    "     A", "     A#", "     B", nullptr
};
const char* const kPitchScale[] = {
    "   MAJOR", "   MINOR", "   DORIAN", "MIXOLYDIAN", "   LYDIAN", "  PHRYGIAN", "  LOCRIAN",
    "HARM MINOR", " MEL MINOR", nullptr
};
const char* const kPitchDetect[] = { "    POLY", "    MONO", nullptr };

} // namespace

const ParameterDefinition kParameterDefinitions[] = {
//    id  dev  msg  name              type   min          max       default  options            wdg unit blk scp dec  scale     step  index
    {   0,  -1,   0, "Bypass",          0,    0.0,          1.0,     1.0, kBypassedActive,    1, 0,  0, 0, 0,    1.0,    1.0, -1 },
    {   1,   0,   1, "Model",           0,   -1.0,        255.0,    -1.0, kModelPlaceholders, 1, 0,  1, 1, 0,    1.0,    1.0,  0 },
    {   2,   1,   2, "Enable",          0,    0.0,          1.0,     1.0, kBypassedActive,    1, 0,  1, 1, 0,    1.0,    1.0,  1 },
    {   3,   2,   3, "Gain",            1,    0.0,          1.0,     0.5, nullptr,            2, 0,  1, 1, 1,   10.0,   0.01,  2 },
    {   4,   3,   4, "Bass",            1,    0.0,          1.0,     0.5, nullptr,            2, 0,  1, 1, 1,   10.0,   0.01,  3 },
    {   5,   4,   5, "Mids",            1,    0.0,          1.0,     0.5, nullptr,            2, 0,  1, 1, 1,   10.0,   0.01,  4 },
    {   6,   5,   6, "Treble",          1,    0.0,          1.0,     0.5, nullptr,            2, 0,  1, 1, 1,   10.0,   0.01,  5 },
    {   7,   6,   7, "Presence",        1,    0.0,          1.0,     0.5, nullptr,            2, 0,  1, 1, 1,   10.0,   0.01,  6 },
    {   8,   7,   8, "Master",          1,    0.0,          1.0,     0.5, nullptr,            2, 0,  1, 1, 1,   10.0,   0.01,  7 },
    {   9,   8,   9, "Level",           1,  -24.0,         24.0,     0.0, nullptr,            2, 1,  1, 1, 1,    1.0,    0.5,  8 },
    {  10,   9,  10, "Damping",         1,    0.0,          1.0,     0.5, nullptr,            2, 0,  1, 1, 1,   10.0,   0.01,  9 },
    {  11,  10,  11, "Sag",             1,    0.0,          1.0,     0.5, nullptr,            2, 0,  1, 1, 1,   10.0,   0.01, -1 },
    {  12,  27,  12, "PowerAmp",        0,    0.0,          1.0,     1.0, kPowerAmp,          1, 0,  1, 2, 0,    1.0,    1.0, 10 },
    {  13,  11,  13, "Cabinet",         0,   -3.0,        287.0,    -1.0, kCabinetSpecial,    1, 0,  2, 1, 0,    1.0,    1.0,  0 },
    {  14,   0,  14, "Enable",          0,    0.0,          3.0,     3.0, kCabinetOutput,     1, 0,  2, 2, 0,    1.0,    1.0,  1 },
    {  15,  12,  15, "Rolloff",         1, 1000.0,      20000.0, 20000.0, nullptr,            2, 3,  2, 1, 1,  0.001,  100.0,  2 },
    {  16,  13,  16, "Peak Q",          1,    0.1,         10.0,     0.7, nullptr,            2, 0,  2, 1, 1,    1.0,    0.1,  3 },
    {  17,  14,  17, "Bottom",          1,  -12.0,         12.0,     0.0, nullptr,            2, 1,  2, 1, 1,    1.0,    0.5,  4 },
    {  18,  15,  18, "Air",             1,  -12.0,         12.0,     0.0, nullptr,            2, 1,  2, 1, 1,    1.0,    0.5,  5 },
    {  19,  16,  19, "Level",           1,  -24.0,         24.0,     0.0, nullptr,            2, 1,  2, 1, 1,    1.0,    0.5,  6 },
    {  20,  17,  20, "Enable",          0,    0.0,          1.0,     0.0, kBypassedActive,    1, 0,  3, 1, 0,    1.0,    1.0,  0 },
    {  21,  18,  21, "Mode",            0,    0.0,          5.0,     0.0, kBoostMode,         1, 0,  3, 1, 0,    1.0,    1.0,  1 },
    {  22,  19,  22, "Insert",          0,    0.0,          2.0,     0.0, kThreeInserts,      1, 0,  3, 1, 0,    1.0,    1.0,  2 },
    {  23,  20,  23, "Drive",           1,    0.0,          1.0,     0.5, nullptr,            2, 0,  3, 1, 1,   10.0,   0.01,  3 },
    {  24,  21,  24, "Tone",            1,    0.0,          1.0,     0.5, nullptr,            2, 0,  3, 1, 1,   10.0,   0.01,  4 },
    {  25,  29,  25, "Level",           1,  -24.0,         24.0,     0.0, nullptr,            2, 1,  3, 1, 1,    1.0,    0.5,  5 },
    {  26,  23,  26, "FS FXEnable",     0,    0.0,         30.0,     0.0, nullptr,            1, 0, 21, 1, 0,    1.0,    1.0, -1 },
    {  27,  22,  27, "Eff Mode",        0,    0.0,          3.0,     0.0, kOldEffectMode,     1, 0, 21, 1, 0,    1.0,    1.0, -1 },
    {  28,  24,  28, "Eff Insert",      0,    0.0,          1.0,     0.0, kPrePost,           1, 0, 21, 1, 0,    1.0,    1.0, -1 },
    {  29,  26,  29, "Eff Speed",       1,   0.05,         10.0,     1.0, nullptr,            2, 2, 21, 1, 2,    1.0,   0.01, -1 },
    {  30,  27,  30, "Eff Sweep",       1,    0.0,          1.0,     0.5, nullptr,            2, 5, 21, 1, 0,  100.0,   0.01, -1 },
    {  31,  28,  31, "Eff Tweak A",     1,    0.0,          1.0,     0.5, nullptr,            2, 5, 21, 1, 0,  100.0,   0.01, -1 },
    {  32,  95,  32, "Eff Tweak B",     1,    0.0,          1.0,     0.5, nullptr,            2, 5, 21, 1, 0,  100.0,   0.01, -1 },
    {  33,  25,  33, "Eff Level",       1,  -24.0,         24.0,     0.0, nullptr,            2, 1, 21, 1, 1,    1.0,    0.5, -1 },
    {  34, 112,  34, "Eff Wet Mix",     1,    0.0,          1.0,     0.5, nullptr,            2, 5, 21, 1, 0,  100.0,   0.01, -1 },
    {  35,  30,  35, "Enable",          0,    0.0,          1.0,     0.0, kBypassedActive,    1, 0,  4, 1, 0,    1.0,    1.0,  0 },
    {  36,  31,  36, "Type",            0,    0.0,          5.0,     0.0, kEchoType,          1, 0,  4, 1, 0,    1.0,    1.0,  1 },
    {  37,  32,  37, "Insert",          0,    0.0,          1.0,     1.0, kPrePost,           1, 0,  4, 1, 0,    1.0,    1.0,  2 },
    {  38,  33,  38, "Level",           1,  -24.0,         24.0,     0.0, nullptr,            2, 1,  4, 1, 1,    1.0,    0.5,  3 },
    {  39,  34,  39, "1 Time",          1,  0.001,          2.0,    0.35, nullptr,            2, 4,  4, 1, 0, 1000.0,  0.001, 10 },
    {  40,  35,  40, "1 Fdbk",          1,    0.0,          1.0,     0.3, nullptr,            2, 5,  4, 1, 0,  100.0,   0.01, 11 },
    {  41,  36,  41, "PngPong",         0,    0.0,          1.0,     0.0, kOffOn,             1, 0,  4, 1, 0,    1.0,    1.0, 28 },
    {  42,  37,  42, "Tails",           0,    0.0,          1.0,     0.0, kOffOn,             1, 0,  4, 1, 0,    1.0,    1.0, 29 },
    {  43,  38,  43, "SpilOvr",         0,    0.0,          1.0,     0.0, kOffOn,             1, 0,  4, 1, 0,    1.0,    1.0, 30 },
    {  44,  39,  44, "Width",           1,    0.0,          1.0,     1.0, nullptr,            2, 5,  4, 1, 0,  100.0,   0.01,  5 },
    {  45,  40,  45, "Flutter",         1,    0.0,          1.0,     0.0, nullptr,            2, 5,  4, 1, 0,  100.0,   0.01, 31 },
    {  46,  41,  46, "FltrSpd",         1,   0.05,         10.0,     0.5, nullptr,            2, 2,  4, 1, 2,    1.0,   0.01, 32 },
    {  47,  42,  47, "Drive",           1,    0.0,          1.0,     0.0, nullptr,            2, 0,  4, 1, 1,   10.0,   0.01, 34 },
    {  48,  43,  48, "Dry Lvl",         1, -120.0,          0.0,     0.0, nullptr,            2, 1,  4, 1, 1,    1.0,    0.5,  4 },
    {  49,  44,  49, "Ducking",         1,    0.0,         40.0,     0.0, nullptr,            2, 1,  4, 1, 1,    1.0,    0.5, 36 },
    {  50,  45,  50, "Thrshld",         1,  -80.0,          0.0,   -40.0, nullptr,            2, 1,  4, 1, 1,    1.0,    0.5, 37 },
    {  51,  46,  51, "Release",         1,   0.01,          2.0,     0.2, nullptr,            2, 4,  4, 1, 0, 1000.0,  0.001, 38 },
    {  53,  47,  53, "Enable",          0,    0.0,          1.0,     0.0, kBypassedActive,    1, 0,  5, 1, 0,    1.0,    1.0,  0 },
    {  54,  48,  54, "Type",            0,    0.0,          5.0,     0.0, kReverbType,        1, 0,  5, 1, 0,    1.0,    1.0,  1 },
    {  55,  49,  55, "Level",           1,  -24.0,         24.0,     0.0, nullptr,            2, 1,  5, 1, 1,    1.0,    0.5,  2 },
    {  56,  50,  56, "Decay",           1,    0.1,         20.0,     2.0, nullptr,            2, 0,  5, 1, 1,    1.0,    0.1,  5 },
    {  57,  51,  57, "LF Damp",         1,   20.0,       2000.0,   100.0, nullptr,            2, 2,  5, 1, 0,    1.0,    1.0,  6 },
    {  58,  52,  58, "HF Damp",         1, 1000.0,      20000.0,  8000.0, nullptr,            2, 3,  5, 1, 1,  0.001,  100.0,  7 },
    {  59,  53,  59, "Diffusn",         1,    0.0,          1.0,     0.7, nullptr,            2, 5,  5, 1, 0,  100.0,   0.01,  8 },
    {  60,  54,  60, "Width",           1,    0.0,          1.0,     1.0, nullptr,            2, 5,  5, 1, 0,  100.0,   0.01,  4 },
    {  61,  55,  61, "Predelay",        1,    0.0,         0.25,    0.02, nullptr,            2, 4,  5, 1, 0, 1000.0,  0.001,  9 },
    {  62,  56,  62, "SpilOvr",         0,    0.0,          1.0,     0.0, kOffOn,             1, 0,  5, 1, 0,    1.0,    1.0, 10 },
    {  63,  57,  63, "Dry Lvl",         1, -120.0,          0.0,     0.0, nullptr,            2, 1,  5, 1, 1,    1.0,    0.5,  3 },
    {  64,  58,  64, "Ducking",         1,    0.0,         40.0,     0.0, nullptr,            2, 1,  5, 1, 1,    1.0,    0.5, 11 },
    {  65,  59,  65, "Thrshld",         1,  -80.0,          0.0,   -40.0, nullptr,            2, 1,  5, 1, 1,    1.0,    0.5, 12 },
    {  66,  60,  66, "Release",         1,   0.01,          2.0,     0.2, nullptr,            2, 4,  5, 1, 0, 1000.0,  0.001, 13 },
    {  67,  61,  67, "Gate",            0,    0.0,          1.0,     0.0, kBypassedActive,    1, 0, 10, 1, 0,    1.0,    1.0,  0 },
    {  68,   1,  68, "Global Thrsh",    1,  -96.0,          0.0,   -60.0, nullptr,            2, 1, 10, 2, 1,    1.0,    0.5,  6 },
    {  69,   2,  69, "Global Attak",    1, 0.0001,          0.1,   0.001, nullptr,            2, 4, 10, 2, 1, 1000.0, 0.0001,  7 },
    {  70,   3,  70, "Global Rleas",    1,  0.001,          2.0,     0.1, nullptr,            2, 4, 10, 2, 0, 1000.0,  0.001,  8 },
    {  71,   4,  71, "Global Ratio",    1,    1.0,         20.0,     4.0, nullptr,            2, 6, 10, 2, 1,    1.0,    0.1,  9 },
    {  72,  62,  72, "Enable",          0,    0.0,          1.0,     0.0, kBypassedActive,    1, 0, 11, 1, 0,    1.0,    1.0,  0 },
    {  73,  63,  73, "Ratio",           1,    1.0,         20.0,     4.0, nullptr,            2, 6, 11, 1, 1,    1.0,    0.1,  5 },
    {  74,  64,  74, "Attack",          1, 0.0001,          0.1,   0.005, nullptr,            2, 4, 11, 1, 1, 1000.0, 0.0001,  6 },
    {  75,  65,  75, "Release",         1,  0.001,          2.0,     0.1, nullptr,            2, 4, 11, 1, 0, 1000.0,  0.001,  7 },
    {  76,  66,  76, "Level",           1,  -24.0,         24.0,     0.0, nullptr,            2, 1, 11, 1, 1,    1.0,    0.5,  8 },
    {  77,  67,  77, "Enable",          0,    0.0,          1.0,     0.0, kBypassedActive,    1, 0, 12, 1, 0,    1.0,    1.0,  0 },
    {  78,   5,  78, "Mode",            0,    0.0,          3.0,     0.0, kLoopMode,          1, 0, 12, 2, 0,    1.0,    1.0,  1 },
    {  79,   6,  79, "Snd Lvl",         1,  -24.0,         24.0,     0.0, nullptr,            2, 1, 12, 2, 1,    1.0,    0.5,  2 },
    {  80,   7,  80, "Ret Lvl",         1,  -24.0,         24.0,     0.0, nullptr,            2, 1, 12, 2, 1,    1.0,    0.5,  3 },
    {  81,  -1,  81, "Pedal A",         1,    0.0,          1.0,     0.5, nullptr,            2, 5, 12, 0, 0,  100.0,   0.01,  6 },
    {  82,  -1,  82, "Pedal B",         1,    0.0,          1.0,     0.5, nullptr,            2, 5, 12, 0, 0,  100.0,   0.01,  7 },
    {  83,  96,  83, "Param A",         0,   -1.0,         -1.0,    -1.0, nullptr,            1, 0, 12, 1, 0,    1.0,    1.0,  8 },
    {  84,  98,  84, "Min A",           1,    0.0,          1.0,     0.5, nullptr,            2, 0, 12, 1, 1,   10.0,   0.01,  9 },
    {  85,  99,  85, "Max A",           1,    0.0,          1.0,     0.5, nullptr,            2, 0, 12, 1, 1,   10.0,   0.01, 10 },
    {  86,  97,  86, "Param B",         0,   -1.0,         -1.0,    -1.0, nullptr,            1, 0, 12, 1, 0,    1.0,    1.0, 11 },
    {  87, 100,  87, "Min B",           1,    0.0,          1.0,     0.5, nullptr,            2, 0, 12, 1, 1,   10.0,   0.01, 12 },
    {  88, 101,  88, "Max B",           1,    0.0,          1.0,     0.5, nullptr,            2, 0, 12, 1, 1,   10.0,   0.01, 13 },
    {  89,  68,  89, "Heel A",          1,    0.0,          1.0,     0.0, nullptr,            2, 5, 12, 1, 0,  100.0,   0.01, -1 },
    {  90,  69,  90, "Toe A",           1,    0.0,          1.0,     1.0, nullptr,            2, 5, 12, 1, 0,  100.0,   0.01, -1 },
    {  91,  70,  91, "Heel B",          1,    0.0,          1.0,     0.0, nullptr,            2, 5, 12, 1, 0,  100.0,   0.01, -1 },
    {  92,  71,  92, "Toe B",           1,    0.0,          1.0,     1.0, nullptr,            2, 5, 12, 1, 0,  100.0,   0.01, -1 },
    {  93,  72,  93, "Enable",          0,    0.0,          1.0,     0.0, kBypassedActive,    1, 0, 15, 1, 0,    1.0,    1.0,  0 },
    {  94,  73,  94, "Insert",          0,    0.0,          1.0,     1.0, kPrePost,           1, 0, 15, 1, 0,    1.0,    1.0,  1 },
    {  95,  74,  95, "Level",           1,  -24.0,         24.0,     0.0, nullptr,            2, 1, 15, 1, 1,    1.0,    0.5,  2 },
    {  96,  75,  96, "80Hz",            1,  -12.0,         12.0,     0.0, nullptr,            2, 1, 15, 1, 1,    1.0,    0.5,  3 },
    {  97,  76,  97, "160Hz",           1,  -12.0,         12.0,     0.0, nullptr,            2, 1, 15, 1, 1,    1.0,    0.5,  4 },
    {  98,  77,  98, "320Hz",           1,  -12.0,         12.0,     0.0, nullptr,            2, 1, 15, 1, 1,    1.0,    0.5,  5 },
    {  99,  78,  99, "640Hz",           1,  -12.0,         12.0,     0.0, nullptr,            2, 1, 15, 1, 1,    1.0,    0.5,  6 },
    { 100,  79, 100, "1.2K",            1,  -12.0,         12.0,     0.0, nullptr,            2, 1, 15, 1, 1,    1.0,    0.5,  7 },
    { 101,  80, 101, "2.6K",            1,  -12.0,         12.0,     0.0, nullptr,            2, 1, 15, 1, 1,    1.0,    0.5,  8 },
    { 102,  81, 102, "5.1K",            1,  -12.0,         12.0,     0.0, nullptr,            2, 1, 15, 1, 1,    1.0,    0.5,  9 },
    { 103,  82, 103, "Enable",          0,    0.0,          1.0,     0.0, kBypassedActive,    1, 0, 16, 1, 0,    1.0,    1.0,  0 },
    { 104,  83, 104, "Type",            0,    0.0,          4.0,     1.0, kPreEqType,         1, 0, 16, 1, 0,    1.0,    1.0,  1 },
    { 105,  84, 105, "Level",           1,  -24.0,         24.0,     0.0, nullptr,            2, 1, 16, 1, 1,    1.0,    0.5,  2 },
    { 106,  85, 106, "Freq",            1,   20.0,      20000.0,  1000.0, nullptr,            2, 2, 16, 1, 0,    1.0,    1.0,  3 },
    { 107,  86, 107, "Q",               1,    0.1,         10.0,     0.7, nullptr,            2, 0, 16, 1, 1,    1.0,    0.1,  4 },
    { 108,  87, 108, "LowCut",          1,   20.0,       1000.0,    20.0, nullptr,            2, 2, 16, 1, 0,    1.0,    1.0,  5 },
    { 109,  88, 109, "Enable",          0,    0.0,          1.0,     0.0, kBypassedActive,    1, 0, 17, 1, 0,    1.0,    1.0,  0 },
    { 110,  89, 110, "Type",            0,    0.0,          5.0,     0.0, kParametricEqType,  1, 0, 17, 1, 0,    1.0,    1.0,  1 },
    { 111,  90, 111, "Insert",          0,    0.0,          1.0,     1.0, kPrePost,           1, 0, 17, 1, 0,    1.0,    1.0,  2 },
    { 112,  91, 112, "Level",           1,  -24.0,         24.0,     0.0, nullptr,            2, 1, 17, 1, 1,    1.0,    0.5,  3 },
    { 113,  92, 113, "Freq",            1,   20.0,      20000.0,  1000.0, nullptr,            2, 2, 17, 1, 0,    1.0,    1.0,  4 },
    { 114,  93, 114, "Q",               1,    0.1,         10.0,     0.7, nullptr,            2, 0, 17, 1, 1,    1.0,    0.1,  5 },
    { 115,  94, 115, "Enable",          0,    0.0,          1.0,     0.0, kBypassedActive,    1, 0, 18, 1, 0,    1.0,    1.0,  0 },
    { 116, 102, 116, "Type",            0,    0.0,          5.0,     0.0, kParametricEqType,  1, 0, 18, 1, 0,    1.0,    1.0,  1 },
    { 117, 103, 117, "Insert",          0,    0.0,          1.0,     1.0, kPrePost,           1, 0, 18, 1, 0,    1.0,    1.0,  2 },
    { 118, 104, 118, "Level",           1,  -24.0,         24.0,     0.0, nullptr,            2, 1, 18, 1, 1,    1.0,    0.5,  3 },
    { 119, 105, 119, "Freq",            1,   20.0,      20000.0,  1000.0, nullptr,            2, 2, 18, 1, 0,    1.0,    1.0,  4 },
    { 120, 106, 120, "Q",               1,    0.1,         10.0,     0.7, nullptr,            2, 0, 18, 1, 1,    1.0,    0.1,  5 },
    { 121, 107, 121, "Enable",          0,    0.0,          1.0,     0.0, kBypassedActive,    1, 0, 19, 1, 0,    1.0,    1.0,  0 },
    { 122, 108, 122, "Type",            0,    0.0,          5.0,     0.0, kParametricEqType,  1, 0, 19, 1, 0,    1.0,    1.0,  1 },
    { 123, 109, 123, "Insert",          0,    0.0,          1.0,     1.0, kPrePost,           1, 0, 19, 1, 0,    1.0,    1.0,  2 },
    { 124, 110, 124, "Level",           1,  -24.0,         24.0,     0.0, nullptr,            2, 1, 19, 1, 1,    1.0,    0.5,  3 },
    { 125, 111, 125, "Freq",            1,   20.0,      20000.0,  1000.0, nullptr,            2, 2, 19, 1, 0,    1.0,    1.0,  4 },
    { 126, 113, 126, "Q",               1,    0.1,         10.0,     0.7, nullptr,            2, 0, 19, 1, 1,    1.0,    0.1,  5 },
    { 127,   8, 127, "Footswitch 1",    0,    0.0,          8.0,     0.0, kFootswitchModes,   1, 0, 21, 2, 0,    1.0,    1.0,  0 },
    { 128,   9, 128, "FS1 Preset A",    0,    0.0,        127.0,     0.0, nullptr,            1, 0, 21, 2, 0,    1.0,    1.0,  1 },
    { 129,  10, 129, "FS1 Preset B",    0,    0.0,        127.0,     1.0, nullptr,            1, 0, 21, 2, 0,    1.0,    1.0,  2 },
    { 130,  11, 130, "Footswitch 2",    0,    0.0,          8.0,     0.0, kFootswitchModes,   1, 0, 21, 2, 0,    1.0,    1.0,  3 },
    { 131,  12, 131, "FS2 Preset A",    0,    0.0,        127.0,     0.0, nullptr,            1, 0, 21, 2, 0,    1.0,    1.0,  4 },
    { 132,  13, 132, "FS2 Preset B",    0,    0.0,        127.0,     1.0, nullptr,            1, 0, 21, 2, 0,    1.0,    1.0,  5 },
    { 133,  14, 133, "Footswitch 3",    0,    0.0,          8.0,     0.0, kFootswitchModes,   1, 0, 21, 2, 0,    1.0,    1.0,  6 },
    { 134,  15, 134, "FS3 Preset A",    0,    0.0,        127.0,     0.0, nullptr,            1, 0, 21, 2, 0,    1.0,    1.0,  7 },
    { 135,  16, 135, "FS3 Preset B",    0,    0.0,        127.0,     1.0, nullptr,            1, 0, 21, 2, 0,    1.0,    1.0,  8 },
    { 136,  17, 136, "Main Level",      1,  -24.0,         24.0,     0.0, nullptr,            2, 1, 22, 2, 1,    1.0,    0.5,  0 },
    { 137,  18, 137, "Aux Level",       1,  -24.0,         24.0,     0.0, nullptr,            2, 1, 22, 2, 1,    1.0,    0.5,  1 },
    { 138,  19, 138, "Phones Level",    1,  -24.0,         24.0,     0.0, nullptr,            2, 1, 22, 2, 1,    1.0,    0.5,  2 },
    { 139,  20, 139, "Main Mode",       0,    0.0,          3.0,     0.0, kOutputModes,       1, 0, 22, 2, 0,    1.0,    1.0,  3 },
    { 140,  21, 140, "Aux Mode",        0,    0.0,          3.0,     0.0, kOutputModes,       1, 0, 22, 2, 0,    1.0,    1.0,  4 },
    { 141,  22, 141, "Silenc Enabl",    0,    0.0,          1.0,     0.0, kOffOn,             1, 0, 22, 2, 0,    1.0,    1.0, -1 },
    { 142,  23, 142, "TapTmpo Mode",    0,    0.0,          1.0,     0.0, kPresetOrGlobal,    1, 0, 22, 2, 0,    1.0,    1.0,  5 },
    { 143,  24, 143, "MIDI In",         0,    0.0,         16.0,     0.0, kMidiInChannel,     1, 0, 22, 2, 0,    1.0,    1.0,  6 },
    { 144,  25, 144, "MIDI Out",        0,    0.0,         16.0,     1.0, kMidiOutChannel,    1, 0, 22, 2, 0,    1.0,    1.0,  7 },
    { 145,  26, 145, "MIDI Thru",       0,    0.0,          1.0,     0.0, kOffOn,             1, 0, 22, 2, 0,    1.0,    1.0,  8 },
    { 146,  30, 146, "Preset Index",    0,    0.0,          1.0,     1.0, kPresetNumbering,   1, 0, 22, 2, 0,    1.0,    1.0, 12 },
    { 147,  28, 147, "Tuner Silent",    0,    0.0,          1.0,     0.0, kOffOn,             1, 0, 22, 2, 0,    1.0,    1.0, 10 },
    { 148,  29, 148, "Contrast",        0,    0.0,          9.0,     4.0, kContrastLevels,    1, 0, 22, 2, 0,    1.0,    1.0, 14 },
    { 149,  -1, 149, "   Level",        0,  -24.0,         24.0,     0.0, nullptr,            2, 1,  0, 0, 0,    1.0,    1.0,  0 },
    { 150, 114, 150, "Enable",          0,    0.0,          1.0,     0.0, kBypassedActive,    1, 0, 13, 1, 0,    1.0,    1.0,  0 },
    { 151,  31, 151, "Pedal",           1,    0.0,          1.0,     0.5, nullptr,            2, 5, 13, 2, 0,  100.0,   0.01,  3 },
    { 152, 115, 152, "Freq Min",        1,  100.0,       1000.0,   350.0, nullptr,            2, 2, 13, 1, 0,    1.0,    1.0,  5 },
    { 153, 116, 153, "Freq Max",        1, 1000.0,       5000.0,  2200.0, nullptr,            2, 2, 13, 1, 0,    1.0,    1.0,  6 },
    { 154, 117, 154, "Type",            0,    0.0,          3.0,     0.0, kWahType,           1, 0, 13, 1, 0,    1.0,    1.0,  2 },
    { 155, 118, 155, "Q",               1,    0.5,         20.0,     5.0, nullptr,            2, 0, 13, 1, 1,    1.0,    0.1,  7 },
    { 156, 119, 156, "Level",           1,  -24.0,         24.0,     0.0, nullptr,            2, 1, 13, 1, 1,    1.0,    0.5,  8 },
    { 157, 120, 157, "Auto-Off",        0,    0.0,          1.0,     0.0, kOffOn,             1, 0, 13, 1, 0,    1.0,    1.0, 15 },
    { 158, 121, 158, "Timer",           1,    0.1,          5.0,     1.0, nullptr,            2, 4, 13, 1, 0, 1000.0,   0.01, 17 },
    { 159, 122, 159, "Threshld",        1,    0.0,          1.0,    0.05, nullptr,            2, 5, 13, 1, 0,  100.0,   0.01, 16 },
    { 160, 123, 160, "Volume",          0,    0.0,          1.0,     0.0, kBypassedActive,    1, 0, 14, 1, 0,    1.0,    1.0,  0 },
    { 161, 124, 161, "Vol Insrt",       0,    0.0,          2.0,     0.0, kThreeInserts,      1, 0, 14, 1, 0,    1.0,    1.0,  1 },
    { 162,  32, 162, "Vol Pedal",       1,    0.0,          1.0,     1.0, nullptr,            2, 5, 14, 2, 0,  100.0,   0.01,  4 },
    { 163, 125, 163, "Thrshld",         1,  -60.0,          0.0,   -20.0, nullptr,            2, 1, 11, 1, 1,    1.0,    0.5,  4 },
    { 164, 126, 164, "Insert",          0,    0.0,          1.0,     0.0, kPrePost,           1, 0, 11, 1, 0,    1.0,    1.0,  1 },
    { 165,  33, 165, "Tuner Ref",       1,  430.0,        450.0,   440.0, nullptr,            2, 2, 22, 2, 1,    1.0,    0.1, 11 },
    { 167, 127, 167, "Mode",            0,    0.0,          2.0,     0.0, kCompressorMode,    1, 0, 11, 1, 0,    1.0,    1.0,  2 },
    { 168, 128, 168, "Makeup",          0,    0.0,          1.0,     0.0, kMakeupMode,        1, 0, 11, 1, 0,    1.0,    1.0,  3 },
    { 169, 129, 169, "Detect",          0,    0.0,          1.0,     0.0, kDetectorMode,      1, 0, 11, 1, 0,    1.0,    1.0, 10 },
    { 170, 130, 170, "Knee",            1,    0.0,         12.0,     3.0, nullptr,            2, 1, 11, 1, 1,    1.0,    0.5,  9 },
    { 171, 131, 171, "Enable",          0,    0.0,          1.0,     0.0, kBypassedActive,    1, 0, 23, 1, 0,    1.0,    1.0,  0 },
    { 173, 132, 173, "Level",           1,  -24.0,         24.0,     0.0, nullptr,            2, 1, 23, 1, 1,    1.0,    0.5,  3 },
    { 174,  34, 174, "MIDI Clock",      0,    0.0,          2.0,     0.0, kMidiClock,         1, 0, 22, 2, 0,    1.0,    1.0,  9 },
    { 175,  35, 175, "Level Assign",    0,    0.0,          3.0,     0.0, kLevelAssign,       1, 0, 22, 2, 0,    1.0,    1.0, 15 },
    { 176, 133, 176, "1 Pan",           1,   -1.0,          1.0,     0.0, nullptr,            2, 5,  4, 1, 0,  100.0,   0.01,  9 },
    { 177, 134, 177, "2 Mix",           1, -120.0,          0.0,  -120.0, nullptr,            2, 1,  4, 1, 1,    1.0,    0.5, 13 },
    { 178, 135, 178, "2 Pan",           1,   -1.0,          1.0,     0.0, nullptr,            2, 5,  4, 1, 0,  100.0,   0.01, 14 },
    { 179, 136, 179, "2 Time",          1,  0.001,          2.0,     0.5, nullptr,            2, 4,  4, 1, 0, 1000.0,  0.001, 15 },
    { 180, 137, 180, "2 Fdbk",          1,    0.0,          1.0,     0.3, nullptr,            2, 5,  4, 1, 0,  100.0,   0.01, 16 },
    { 181, 138, 181, "3 Mix",           1, -120.0,          0.0,  -120.0, nullptr,            2, 1,  4, 1, 1,    1.0,    0.5, 18 },
    { 182, 139, 182, "3 Pan",           1,   -1.0,          1.0,     0.0, nullptr,            2, 5,  4, 1, 0,  100.0,   0.01, 19 },
    { 183, 140, 183, "3 Time",          1,  0.001,          2.0,    0.75, nullptr,            2, 4,  4, 1, 0, 1000.0,  0.001, 20 },
    { 184, 141, 184, "3 Fdbk",          1,    0.0,          1.0,     0.3, nullptr,            2, 5,  4, 1, 0,  100.0,   0.01, 21 },
    { 185, 142, 185, "4 Mix",           1, -120.0,          0.0,  -120.0, nullptr,            2, 1,  4, 1, 1,    1.0,    0.5, 23 },
    { 186, 143, 186, "4 Pan",           1,   -1.0,          1.0,     0.0, nullptr,            2, 5,  4, 1, 0,  100.0,   0.01, 24 },
    { 187, 144, 187, "4 Time",          1,  0.001,          2.0,     1.0, nullptr,            2, 4,  4, 1, 0, 1000.0,  0.001, 25 },
    { 188, 145, 188, "4 Fdbk",          1,    0.0,          1.0,     0.3, nullptr,            2, 5,  4, 1, 0,  100.0,   0.01, 26 },
    { 189, 146, 189, "Highcut",         1, 1000.0,      20000.0, 20000.0, nullptr,            2, 3,  4, 1, 1,  0.001,  100.0,  7 },
    { 190, 147, 190, "Lowcut",          1,   20.0,       2000.0,    20.0, nullptr,            2, 2,  4, 1, 0,    1.0,    1.0,  6 },
    { 191, 148, 191, "Config",          0,    0.0,          3.0,     0.0, kEchoConfig,        1, 0,  4, 1, 0,    1.0,    1.0, 27 },
    { 192, 149, 192, "Bits",            0,    4.0,         24.0,    24.0, nullptr,            2, 7,  4, 1, 0,    1.0,    1.0, 35 },
    { 193, 150, 193, "Diffusn",         1,    0.0,          1.0,     0.0, nullptr,            2, 5,  4, 1, 0,  100.0,   0.01, 33 },
    { 194, 151, 194, "1 Mix",           1, -120.0,          0.0,     0.0, nullptr,            2, 1,  4, 1, 1,    1.0,    0.5,  8 },
    { 195, 152, 195, "Buckets",         0,    0.0,          4.0,     2.0, kBucketCount,       1, 0,  4, 1, 0,    1.0,    1.0, 39 },
    { 199, 153, 199, "Insert",          0,    0.0,          1.0,     0.0, kPrePost,           1, 0,  9, 1, 0,    1.0,    1.0,  0 },
    { 200, 154, 200, "Insert",          0,    0.0,          1.0,     0.0, kPrePost,           1, 0,  6, 1, 0,    1.0,    1.0,  0 },
    { 201, 155, 201, "Insert",          0,    0.0,          1.0,     0.0, kPrePost,           1, 0,  7, 1, 0,    1.0,    1.0,  0 },
    { 202, 156, 202, "Insert",          0,    0.0,          1.0,     0.0, kPrePost,           1, 0,  8, 1, 0,    1.0,    1.0,  0 },
    { 204, 161, 204, "Enable",          0,    0.0,          1.0,     0.0, kBypassedActive,    1, 0,  6, 1, 0,    1.0,    1.0,  1 },
    { 205, 162, 205, "Level",           1,  -24.0,         24.0,     0.0, nullptr,            2, 1,  6, 1, 1,    1.0,    0.5,  2 },
    { 206, 163, 206, "Mix",             1,    0.0,          1.0,     0.5, nullptr,            2, 5,  6, 1, 0,  100.0,   0.01,  3 },
    { 207, 164, 207, "Width",           1,    0.0,          1.0,     1.0, nullptr,            2, 5,  6, 1, 0,  100.0,   0.01,  4 },
    { 208, 165, 208, "Speed",           1,   0.05,         10.0,     0.8, nullptr,            2, 2,  6, 1, 2,    1.0,   0.01,  5 },
    { 209, 166, 209, "Depth",           1,    0.0,          1.0,     0.5, nullptr,            2, 5,  6, 1, 0,  100.0,   0.01,  6 },
    { 210, 167, 210, "Delay",           1, 0.0001,         0.03,    0.01, nullptr,            2, 4,  6, 1, 1, 1000.0, 0.0001,  7 },
    { 211, 168, 211, "Lowcut",          1,   20.0,       5000.0,    30.0, nullptr,            2, 2,  6, 1, 0,    1.0,    1.0,  9 },
    { 212, 169, 212, "Highcut",         1, 1000.0,      20000.0, 20000.0, nullptr,            2, 3,  6, 1, 1,  0.001,  100.0, 10 },
    { 213, 171, 213, "Wave",            1,    0.0,          1.0,     1.0, nullptr,            2, 5,  6, 1, 0,  100.0,   0.01,  8 },
    { 214, 170, 214, "Voices",          0,    1.0,          4.0,     2.0, nullptr,            1, 0,  6, 1, 0,    1.0,    1.0, 11 },
    { 215, 172, 215, "Mix 1",           1, -120.0,          0.0,     0.0, nullptr,            2, 1,  6, 1, 1,    1.0,    0.5, 12 },
    { 216, 173, 216, "Pan 1",           1,   -1.0,          1.0,    -1.0, nullptr,            2, 5,  6, 1, 0,  100.0,   0.01, 13 },
    { 217, 174, 217, "Phase 1",         1,    0.0,        360.0,     0.0, nullptr,            2, 8,  6, 1, 0,    1.0,    1.0, 14 },
    { 218, 175, 218, "Mix 2",           1, -120.0,          0.0,     0.0, nullptr,            2, 1,  6, 1, 1,    1.0,    0.5, 15 },
    { 219, 176, 219, "Pan 2",           1,   -1.0,          1.0,     1.0, nullptr,            2, 5,  6, 1, 0,  100.0,   0.01, 16 },
    { 220, 177, 220, "Phase 2",         1,    0.0,        360.0,    90.0, nullptr,            2, 8,  6, 1, 0,    1.0,    1.0, 17 },
    { 221, 178, 221, "Mix 3",           1, -120.0,          0.0,  -120.0, nullptr,            2, 1,  6, 1, 1,    1.0,    0.5, 18 },
    { 222, 179, 222, "Pan 3",           1,   -1.0,          1.0,    -1.0, nullptr,            2, 5,  6, 1, 0,  100.0,   0.01, 19 },
    { 223, 180, 223, "Phase 3",         1,    0.0,        360.0,   180.0, nullptr,            2, 8,  6, 1, 0,    1.0,    1.0, 20 },
    { 224, 181, 224, "Mix 4",           1, -120.0,          0.0,  -120.0, nullptr,            2, 1,  6, 1, 1,    1.0,    0.5, 21 },
    { 225, 182, 225, "Pan 4",           1,   -1.0,          1.0,     1.0, nullptr,            2, 5,  6, 1, 0,  100.0,   0.01, 22 },
    { 226, 183, 226, "Phase 4",         1,    0.0,        360.0,   270.0, nullptr,            2, 8,  6, 1, 0,    1.0,    1.0, 23 },
    { 227, 184, 227, "Enable",          0,    0.0,          1.0,     0.0, kBypassedActive,    1, 0,  7, 1, 0,    1.0,    1.0,  1 },
    { 228, 185, 228, "Level",           1,  -24.0,         24.0,     0.0, nullptr,            2, 1,  7, 1, 1,    1.0,    0.5,  2 },
    { 229, 186, 229, "Mix",             1,    0.0,          1.0,     0.5, nullptr,            2, 5,  7, 1, 0,  100.0,   0.01,  3 },
    { 230, 187, 230, "Width",           1,    0.0,          1.0,     1.0, nullptr,            2, 5,  7, 1, 0,  100.0,   0.01,  4 },
    { 231, 188, 231, "Delay",           1, 0.0001,         0.01,   0.002, nullptr,            2, 4,  7, 1, 1, 1000.0, 0.0001,  8 },
    { 232, 189, 232, "Speed",           1,   0.05,         10.0,     0.3, nullptr,            2, 2,  7, 1, 2,    1.0,   0.01,  5 },
    { 233, 190, 233, "Sweep",           1,    0.0,          1.0,     0.5, nullptr,            2, 5,  7, 1, 0,  100.0,   0.01,  6 },
    { 234, 191, 234, "Regen",           1,    0.0,          1.0,     0.5, nullptr,            2, 5,  7, 1, 0,  100.0,   0.01,  7 },
    { 235, 192, 235, "Wave",            1,    0.0,          1.0,     1.0, nullptr,            2, 5,  7, 1, 0,  100.0,   0.01,  9 },
    { 236, 193, 236, "Phase",           1,    0.0,        360.0,     0.0, nullptr,            2, 8,  7, 1, 0,    1.0,    1.0, 10 },
    { 237, 194, 237, "Duty",            1,    0.0,          1.0,     0.5, nullptr,            2, 5,  7, 1, 0,  100.0,   0.01, 11 },
    { 238, 195, 238, "ThruZero",        0,    0.0,          1.0,     0.0, kOffOn,             1, 0,  7, 1, 0,    1.0,    1.0, 12 },
    { 239, 196, 239, "Invt FB",         0,    0.0,          1.0,     0.0, kOffOn,             1, 0,  7, 1, 0,    1.0,    1.0, 13 },
    { 240, 197, 240, "Invrt Mx",        0,    0.0,          1.0,     0.0, kOffOn,             1, 0,  7, 1, 0,    1.0,    1.0, 14 },
    { 241, 198, 241, "Enable",          0,    0.0,          1.0,     0.0, kBypassedActive,    1, 0,  8, 1, 0,    1.0,    1.0,  1 },
    { 242, 199, 242, "Level",           1,  -24.0,         24.0,     0.0, nullptr,            2, 1,  8, 1, 1,    1.0,    0.5,  2 },
    { 243, 200, 243, "Depth",           1,    0.0,          1.0,     1.0, nullptr,            2, 5,  8, 1, 0,  100.0,   0.01,  3 },
    { 244, 201, 244, "Width",           1,    0.0,          1.0,     1.0, nullptr,            2, 5,  8, 1, 0,  100.0,   0.01,  4 },
    { 245, 202, 245, "Speed",           1,   0.05,         10.0,     0.5, nullptr,            2, 2,  8, 1, 2,    1.0,   0.01,  5 },
    { 246, 203, 246, "Sweep",           1,    0.0,          1.0,     0.5, nullptr,            2, 5,  8, 1, 0,  100.0,   0.01,  6 },
    { 247, 204, 247, "Regen",           1,    0.0,          1.0,     0.5, nullptr,            2, 5,  8, 1, 0,  100.0,   0.01,  7 },
    { 248, 205, 248, "Wave",            1,    0.0,          1.0,     0.0, nullptr,            2, 5,  8, 1, 0,  100.0,   0.01,  8 },
    { 249, 206, 249, "Duty",            1,    0.0,          1.0,     0.5, nullptr,            2, 5,  8, 1, 0,  100.0,   0.01,  9 },
    { 250, 207, 250, "Phase",           1,    0.0,        360.0,     0.0, nullptr,            2, 8,  8, 1, 0,    1.0,    1.0, 10 },
    { 251, 208, 251, "Stages",          0,    0.0,          5.0,     1.0, kPhaserStages,      1, 0,  8, 1, 0,    1.0,    1.0, 11 },
    { 252, 209, 252, "Base Frq",        1,   50.0,       2000.0,   200.0, nullptr,            2, 2,  8, 1, 0,    1.0,    1.0, 12 },
    { 253, 210, 253, "Type",            0,    0.0,          1.0,     1.0, kPhaserType,        1, 0,  8, 1, 0,    1.0,    1.0, 13 },
    { 254, 211, 254, "Enable",          0,    0.0,          1.0,     0.0, kBypassedActive,    1, 0,  9, 1, 0,    1.0,    1.0,  1 },
    { 255, 212, 255, "Level",           1,  -24.0,         24.0,     0.0, nullptr,            2, 1,  9, 1, 1,    1.0,    0.5,  2 },
    { 256, 213, 256, "Speed",           1,   0.05,         10.0,     4.0, nullptr,            2, 2,  9, 1, 2,    1.0,   0.01,  3 },
    { 257, 214, 257, "Depth",           1,    0.0,          1.0,     0.5, nullptr,            2, 5,  9, 1, 0,  100.0,   0.01,  4 },
    { 258, 215, 258, "Wave",            1,    0.0,          1.0,     0.0, nullptr,            2, 5,  9, 1, 0,  100.0,   0.01,  5 },
    { 259, 216, 259, "Duty",            1,    0.0,          1.0,     0.5, nullptr,            2, 5,  9, 1, 0,  100.0,   0.01,  6 },
    { 260, 217, 260, "Phase",           1,    0.0,        360.0,     0.0, nullptr,            2, 8,  9, 1, 0,    1.0,    1.0,  7 },
    { 261, 218, 261, "Width",           1,    0.0,          1.0,     0.0, nullptr,            2, 5,  9, 1, 0,  100.0,   0.01,  8 },
    { 262, 219, 262, "Taper",           1,    0.0,          1.0,     0.5, nullptr,            2, 5,  9, 1, 0,  100.0,   0.01,  9 },
    { 263, 220, 263, "Button",          0,   -1.0,         23.0,    -1.0, kFootswitchAssign,  1, 0,  1, 1, 0,    1.0,    1.0, 11 },
    { 264, 221, 264, "Button",          0,   -1.0,         23.0,    -1.0, kFootswitchAssign,  1, 0,  3, 1, 0,    1.0,    1.0,  6 },
    { 265, 222, 265, "Button",          0,   -1.0,         23.0,    -1.0, kFootswitchAssign,  1, 0,  4, 1, 0,    1.0,    1.0, 42 },
    { 266, 223, 266, "Button",          0,   -1.0,         23.0,    -1.0, kFootswitchAssign,  1, 0,  5, 1, 0,    1.0,    1.0, 14 },
    { 267, 224, 267, "Button",          0,   -1.0,         23.0,    -1.0, kFootswitchAssign,  1, 0,  6, 1, 0,    1.0,    1.0, 24 },
    { 268, 225, 268, "Button",          0,   -1.0,         23.0,    -1.0, kFootswitchAssign,  1, 0,  7, 1, 0,    1.0,    1.0, 15 },
    { 269, 226, 269, "Button",          0,   -1.0,         23.0,    -1.0, kFootswitchAssign,  1, 0,  9, 1, 0,    1.0,    1.0, 10 },
    { 270, 227, 270, "Button",          0,   -1.0,         23.0,    -1.0, kFootswitchAssign,  1, 0,  8, 1, 0,    1.0,    1.0, 14 },
    { 271, 228, 271, "Gate Button",     0,   -1.0,         23.0,    -1.0, kFootswitchAssign,  1, 0, 10, 1, 0,    1.0,    1.0, 10 },
    { 272, 229, 272, "Button",          0,   -1.0,         23.0,    -1.0, kFootswitchAssign,  1, 0, 11, 1, 0,    1.0,    1.0, 11 },
    { 273, 230, 273, "Buttn",           0,   -1.0,         23.0,    -1.0, kFootswitchAssign,  1, 0, 15, 1, 0,    1.0,    1.0, 10 },
    { 274, 231, 274, "Button",          0,   -1.0,         23.0,    -1.0, kFootswitchAssign,  1, 0, 16, 1, 0,    1.0,    1.0,  6 },
    { 275, 232, 275, "Button",          0,   -1.0,         23.0,    -1.0, kFootswitchAssign,  1, 0, 17, 1, 0,    1.0,    1.0,  6 },
    { 276, 233, 276, "Button",          0,   -1.0,         23.0,    -1.0, kFootswitchAssign,  1, 0, 18, 1, 0,    1.0,    1.0,  6 },
    { 277, 234, 277, "Button",          0,   -1.0,         23.0,    -1.0, kFootswitchAssign,  1, 0, 19, 1, 0,    1.0,    1.0,  6 },
    { 278, 235, 278, "Button",          0,   -1.0,         23.0,    -1.0, kFootswitchAssign,  1, 0, 13, 1, 0,    1.0,    1.0, 18 },
    { 279, 236, 279, "Volume Buttn",    0,   -1.0,         23.0,    -1.0, kFootswitchAssign,  1, 0, 14, 1, 0,    1.0,    1.0,  8 },
    { 280, 237, 280, "Button",          0,   -1.0,         23.0,    -1.0, kFootswitchAssign,  1, 0, 12, 1, 0,    1.0,    1.0, 14 },
    { 281, 238, 281, "Preset Versn",    0,    0.0, 4294967295.0,     0.0, nullptr,            1, 0, 21, 1, 0,    1.0,    1.0, -1 },
    { 282,  36, 282, "CC Bypass",       0,    0.0,        127.0,    20.0, nullptr,            1, 0, 20, 2, 0,    1.0,    1.0,  0 },
    { 283,  37, 283, "CC Loop",         0,    0.0,        127.0,    21.0, nullptr,            1, 0, 20, 2, 0,    1.0,    1.0,  1 },
    { 284,  38, 284, "CC Boost",        0,    0.0,        127.0,    22.0, nullptr,            1, 0, 20, 2, 0,    1.0,    1.0,  2 },
    { 285,  39, 285, "CC Effect",       0,    0.0,        127.0,    23.0, nullptr,            1, 0, 20, 2, 0,    1.0,    1.0,  3 },
    { 286,  40, 286, "CC Chorus",       0,    0.0,        127.0,    24.0, nullptr,            1, 0, 20, 2, 0,    1.0,    1.0,  4 },
    { 287,  41, 287, "CC Flanger",      0,    0.0,        127.0,    25.0, nullptr,            1, 0, 20, 2, 0,    1.0,    1.0,  5 },
    { 288,  42, 288, "CC Phaser",       0,    0.0,        127.0,    26.0, nullptr,            1, 0, 20, 2, 0,    1.0,    1.0,  6 },
    { 289,  43, 289, "CC Tremolo",      0,    0.0,        127.0,    27.0, nullptr,            1, 0, 20, 2, 0,    1.0,    1.0,  7 },
    { 290,  44, 290, "CC Echo",         0,    0.0,        127.0,    28.0, nullptr,            1, 0, 20, 2, 0,    1.0,    1.0,  8 },
    { 291,  45, 291, "CC Reverb",       0,    0.0,        127.0,    29.0, nullptr,            1, 0, 20, 2, 0,    1.0,    1.0,  9 },
    { 292,  46, 292, "CC Gate",         0,    0.0,        127.0,    30.0, nullptr,            1, 0, 20, 2, 0,    1.0,    1.0, 10 },
    { 293,  47, 293, "CC GraphicEQ",    0,    0.0,        127.0,    31.0, nullptr,            1, 0, 20, 2, 0,    1.0,    1.0, 11 },
    { 294,  48, 294, "CC PreFilter",    0,    0.0,        127.0,   102.0, nullptr,            1, 0, 20, 2, 0,    1.0,    1.0, 12 },
    { 295,  49, 295, "CC PEQ-1",        0,    0.0,        127.0,   103.0, nullptr,            1, 0, 20, 2, 0,    1.0,    1.0, 13 },
    { 296,  50, 296, "CC PEQ-2",        0,    0.0,        127.0,   104.0, nullptr,            1, 0, 20, 2, 0,    1.0,    1.0, 14 },
    { 297,  51, 297, "CC PEQ-3",        0,    0.0,        127.0,   105.0, nullptr,            1, 0, 20, 2, 0,    1.0,    1.0, 15 },
    { 298,  52, 298, "CC Amp",          0,    0.0,        127.0,   106.0, nullptr,            1, 0, 20, 2, 0,    1.0,    1.0, 16 },
    { 299,  53, 299, "CC Compressr",    0,    0.0,        127.0,   107.0, nullptr,            1, 0, 20, 2, 0,    1.0,    1.0, 17 },
    { 300,  54, 300, "CC Tap Tempo",    0,    0.0,        127.0,   108.0, nullptr,            1, 0, 20, 2, 0,    1.0,    1.0, 18 },
    { 301,  55, 301, "CC FS1",          0,    0.0,        127.0,   109.0, nullptr,            1, 0, 20, 2, 0,    1.0,    1.0, 19 },
    { 302,  56, 302, "CC FS2",          0,    0.0,        127.0,   110.0, nullptr,            1, 0, 20, 2, 0,    1.0,    1.0, 20 },
    { 303,  57, 303, "CC FS3",          0,    0.0,        127.0,   111.0, nullptr,            1, 0, 20, 2, 0,    1.0,    1.0, 21 },
    { 304,  58, 304, "CC Wah",          0,    0.0,        127.0,   112.0, nullptr,            1, 0, 20, 2, 0,    1.0,    1.0, 22 },
    { 305,  59, 305, "CC Volume",       0,    0.0,        127.0,   113.0, nullptr,            1, 0, 20, 2, 0,    1.0,    1.0, 23 },
    { 306,  60, 306, "CC Wah Pedal",    0,    0.0,        127.0,     1.0, nullptr,            1, 0, 20, 2, 0,    1.0,    1.0, 24 },
    { 307,  61, 307, "CC Vol Pedal",    0,    0.0,        127.0,     7.0, nullptr,            1, 0, 20, 2, 0,    1.0,    1.0, 25 },
    { 308,  62, 308, "CC Expresn A",    0,    0.0,        127.0,    11.0, nullptr,            1, 0, 20, 2, 0,    1.0,    1.0, 26 },
    { 309,  63, 309, "CC Expresn B",    0,    0.0,        127.0,     4.0, nullptr,            1, 0, 20, 2, 0,    1.0,    1.0, 27 },
    { 310, 157, 310, "Insert",          0,    0.0,          4.0,     2.0, kFiveInserts,       1, 0, 12, 1, 0,    1.0,    1.0,  4 },
    { 311, 158, 311, "Mode",            0,    0.0,          2.0,     0.0, kWahMode,           1, 0, 13, 1, 0,    1.0,    1.0,  1 },
    { 312, 159, 312, "Taper",           1,    0.0,          1.0,     0.5, nullptr,            2, 5, 13, 1, 0,  100.0,   0.01,  4 },
    { 313, 160, 313, "TSense",          1,    0.0,          1.0,     0.5, nullptr,            2, 5, 13, 1, 0,  100.0,   0.01,  9 },
    { 314, 239, 314, "TAttack",         1,  0.001,          0.5,    0.01, nullptr,            2, 4, 13, 1, 0, 1000.0,  0.001, 10 },
    { 315, 240, 315, "TRelease",        1,   0.01,          2.0,     0.2, nullptr,            2, 4, 13, 1, 0, 1000.0,  0.001, 11 },
    { 316, 241, 316, "LFO Freq",        1,   0.05,         10.0,     1.0, nullptr,            2, 2, 13, 1, 2,    1.0,   0.01, 12 },
    { 317, 242, 317, "LFO Wave",        1,    0.0,          1.0,     0.0, nullptr,            2, 5, 13, 1, 0,  100.0,   0.01, 13 },
    { 318, 243, 318, "LFO Duty",        1,    0.0,          1.0,     0.5, nullptr,            2, 5, 13, 1, 0,  100.0,   0.01, 14 },
    { 319,  64, 319, "Footswitch 4",    0,    0.0,          8.0,     0.0, kFootswitchModes,   1, 0, 21, 2, 0,    1.0,    1.0,  9 },
    { 320,  65, 320, "FS4 Preset A",    0,    0.0,        127.0,     0.0, nullptr,            1, 0, 21, 2, 0,    1.0,    1.0, 10 },
    { 321,  66, 321, "FS4 Preset B",    0,    0.0,        127.0,     1.0, nullptr,            1, 0, 21, 2, 0,    1.0,    1.0, 11 },
    { 322,  67, 322, "Footswitch 5",    0,    0.0,          8.0,     0.0, kFootswitchModes,   1, 0, 21, 2, 0,    1.0,    1.0, 12 },
    { 323,  68, 323, "FS5 Preset A",    0,    0.0,        127.0,     0.0, nullptr,            1, 0, 21, 2, 0,    1.0,    1.0, 13 },
    { 324,  69, 324, "FS5 Preset B",    0,    0.0,        127.0,     1.0, nullptr,            1, 0, 21, 2, 0,    1.0,    1.0, 14 },
    { 325,  70, 325, "Footswitch 6",    0,    0.0,          8.0,     0.0, kFootswitchModes,   1, 0, 21, 2, 0,    1.0,    1.0, 15 },
    { 326,  71, 326, "FS6 Preset A",    0,    0.0,        127.0,     0.0, nullptr,            1, 0, 21, 2, 0,    1.0,    1.0, 16 },
    { 327,  72, 327, "FS6 Preset B",    0,    0.0,        127.0,     1.0, nullptr,            1, 0, 21, 2, 0,    1.0,    1.0, 17 },
    { 328,  73, 328, "Footswitch 7",    0,    0.0,          8.0,     0.0, kFootswitchModes,   1, 0, 21, 2, 0,    1.0,    1.0, 18 },
    { 329,  74, 329, "FS7 Preset A",    0,    0.0,        127.0,     0.0, nullptr,            1, 0, 21, 2, 0,    1.0,    1.0, 19 },
    { 330,  75, 330, "FS7 Preset B",    0,    0.0,        127.0,     1.0, nullptr,            1, 0, 21, 2, 0,    1.0,    1.0, 20 },
    { 331,  76, 331, "Footswitch 8",    0,    0.0,          8.0,     0.0, kFootswitchModes,   1, 0, 21, 2, 0,    1.0,    1.0, 21 },
    { 332,  77, 332, "FS8 Preset A",    0,    0.0,        127.0,     0.0, nullptr,            1, 0, 21, 2, 0,    1.0,    1.0, 22 },
    { 333,  78, 333, "FS8 Preset B",    0,    0.0,        127.0,     1.0, nullptr,            1, 0, 21, 2, 0,    1.0,    1.0, 23 },
    { 334,  79, 334, "Footswitch 9",    0,    0.0,          8.0,     0.0, kFootswitchModes,   1, 0, 21, 2, 0,    1.0,    1.0, 24 },
    { 335,  80, 335, "FS9 Preset A",    0,    0.0,        127.0,     0.0, nullptr,            1, 0, 21, 2, 0,    1.0,    1.0, 25 },
    { 336,  81, 336, "FS9 Preset B",    0,    0.0,        127.0,     1.0, nullptr,            1, 0, 21, 2, 0,    1.0,    1.0, 26 },
    { 337,  82, 337, "Footswitch 0",    0,    0.0,          8.0,     0.0, kFootswitchModes,   1, 0, 21, 2, 0,    1.0,    1.0, 27 },
    { 338,  83, 338, "FS0 Preset A",    0,    0.0,        127.0,     0.0, nullptr,            1, 0, 21, 2, 0,    1.0,    1.0, 28 },
    { 339,  84, 339, "FS0 Preset B",    0,    0.0,        127.0,     1.0, nullptr,            1, 0, 21, 2, 0,    1.0,    1.0, 29 },
    { 340,  85, 340, "Footswitch +",    0,    0.0,          8.0,     0.0, kFootswitchModes,   1, 0, 21, 2, 0,    1.0,    1.0, 30 },
    { 341,  86, 341, "FS+ Preset A",    0,    0.0,        127.0,     0.0, nullptr,            1, 0, 21, 2, 0,    1.0,    1.0, 31 },
    { 342,  87, 342, "FS+ Preset B",    0,    0.0,        127.0,     1.0, nullptr,            1, 0, 21, 2, 0,    1.0,    1.0, 32 },
    { 343,  88, 343, "Footswitch -",    0,    0.0,          8.0,     0.0, kFootswitchModes,   1, 0, 21, 2, 0,    1.0,    1.0, 33 },
    { 344,  89, 344, "FS- Preset A",    0,    0.0,        127.0,     0.0, nullptr,            1, 0, 21, 2, 0,    1.0,    1.0, 34 },
    { 345,  90, 345, "FS- Preset B",    0,    0.0,        127.0,     1.0, nullptr,            1, 0, 21, 2, 0,    1.0,    1.0, 35 },
    { 346,  91, 346, "CC FS4",          0,    0.0,        127.0,   114.0, nullptr,            1, 0, 20, 2, 0,    1.0,    1.0, 28 },
    { 347,  92, 347, "CC FS5",          0,    0.0,        127.0,   115.0, nullptr,            1, 0, 20, 2, 0,    1.0,    1.0, 29 },
    { 348,  93, 348, "CC FS6",          0,    0.0,        127.0,   116.0, nullptr,            1, 0, 20, 2, 0,    1.0,    1.0, 30 },
    { 349,  94, 349, "CC FS7",          0,    0.0,        127.0,   117.0, nullptr,            1, 0, 20, 2, 0,    1.0,    1.0, 31 },
    { 350,  95, 350, "CC FS8",          0,    0.0,        127.0,   118.0, nullptr,            1, 0, 20, 2, 0,    1.0,    1.0, 32 },
    { 351,  96, 351, "CC FS9",          0,    0.0,        127.0,   119.0, nullptr,            1, 0, 20, 2, 0,    1.0,    1.0, 33 },
    { 352,  97, 352, "CC FS0",          0,    0.0,        127.0,    85.0, nullptr,            1, 0, 20, 2, 0,    1.0,    1.0, 34 },
    { 353,  98, 353, "CC FS+",          0,    0.0,        127.0,    86.0, nullptr,            1, 0, 20, 2, 0,    1.0,    1.0, 35 },
    { 354,  99, 354, "CC FS-",          0,    0.0,        127.0,    87.0, nullptr,            1, 0, 20, 2, 0,    1.0,    1.0, 36 },
    { 355, 244, 355, "1 Tempo",         0,    0.0,         15.0,     0.0, kTempoDivisions,    1, 0,  4, 1, 0,    1.0,    1.0, 12 },
    { 356, 245, 356, "2 Tempo",         0,    0.0,         15.0,     0.0, kTempoDivisions,    1, 0,  4, 1, 0,    1.0,    1.0, 17 },
    { 357, 246, 357, "3 Tempo",         0,    0.0,         15.0,     0.0, kTempoDivisions,    1, 0,  4, 1, 0,    1.0,    1.0, 22 },
    { 358, 247, 358, "4 Tempo",         0,    0.0,         15.0,     0.0, kTempoDivisions,    1, 0,  4, 1, 0,    1.0,    1.0, 40 },
    { 359, 248, 359, "BPM",             1,   30.0,        300.0,   120.0, nullptr,            2, 0,  4, 1, 0,    1.0,    1.0, 41 },
    { 360, 100, 360, "Global BPM",      1,   30.0,        300.0,   120.0, nullptr,            2, 0, 22, 2, 0,    1.0,    1.0, 16 },
    { 361, 249, 361, "Vol Mode",        0,    0.0,          1.0,     0.0, kVolumeMode,        1, 0, 14, 1, 0,    1.0,    1.0,  2 },
    { 362, 250, 362, "Vol Taper",       1,    0.0,          1.0,     0.5, nullptr,            2, 5, 14, 1, 0,  100.0,   0.01,  5 },
    { 363, 251, 363, "Vol Sens",        1,    0.0,          1.0,     0.5, nullptr,            2, 5, 14, 1, 0,  100.0,   0.01,  6 },
    { 364, 252, 364, "Vol Attack",      1,   0.01,          2.0,     0.3, nullptr,            2, 4, 14, 1, 0, 1000.0,  0.001,  7 },
    { 365, 253, 365, "Vol Env Src",     0,    0.0,          1.0,     0.0, kEnvelopeSource,    1, 0, 14, 1, 0,    1.0,    1.0,  3 },
    { 368, 108, 368, "Default Prst",    0,   -1.0,        127.0,    -1.0, nullptr,            1, 0, 22, 2, 0,    1.0,    1.0, 13 },
    { 369, 254, 369, "Gate Thresh",     1,  -96.0,          0.0,   -60.0, nullptr,            2, 1, 10, 1, 1,    1.0,    0.5,  1 },
    { 370, 255, 370, "Gate Attack",     1, 0.0001,          0.1,   0.001, nullptr,            2, 4, 10, 1, 1, 1000.0, 0.0001,  3 },
    { 371, 256, 371, "Gate Release",    1,  0.001,          2.0,     0.1, nullptr,            2, 4, 10, 1, 0, 1000.0,  0.001,  4 },
    { 372, 257, 372, "Gate Ratio",      1,    1.0,         20.0,     4.0, nullptr,            2, 6, 10, 1, 1,    1.0,    0.1,  2 },
    { 373, 101, 373, "Gate Setting",    0,    0.0,          1.0,     0.0, kPresetOrGlobal,    1, 0, 10, 2, 0,    1.0,    1.0,  5 },
    { 374, 258, 374, "Mode",            0,    0.0,          2.0,     0.0, kPitchMode,         1, 0, 23, 1, 0,    1.0,    1.0,  1 },
    { 375, 102, 375, "Mix",             0,    0.0,          1.0,     0.0, kLoopMix,           1, 0, 12, 2, 0,    1.0,    1.0,  5 },
    { 376, 259, 376, "Insert",          0,    0.0,          1.0,     0.0, kPrePost,           1, 0, 23, 1, 0,    1.0,    1.0,  4 },
    { 377, 260, 377, "Button",          0,   -1.0,         23.0,    -1.0, kFootswitchAssign,  1, 0, 23, 1, 0,    1.0,    1.0, 21 },
    { 378, 261, 378, "Shift 1",         0,  -24.0,         24.0,     0.0, kSemitones,         1, 0, 23, 1, 0,    1.0,    1.0,  8 },
    { 379, 262, 379, "Shift 2",         0,  -24.0,         24.0,     0.0, kSemitones,         1, 0, 23, 1, 0,    1.0,    1.0,  9 },
    { 380, 263, 380, "Tune 1",          1,  -50.0,         50.0,     0.0, nullptr,            2, 9, 23, 1, 0,    1.0,    1.0, 10 },
    { 381, 264, 381, "Tune 2",          1,  -50.0,         50.0,     0.0, nullptr,            2, 9, 23, 1, 0,    1.0,    1.0, 11 },
    { 382, 103, 382, "Pedal",           1,    0.0,          1.0,     0.0, nullptr,            2, 5, 23, 2, 0,  100.0,   0.01, 12 },
    { 383, 265, 383, "Heel",            0,  -24.0,         24.0,     0.0, nullptr,            2, 0, 23, 1, 0,    1.0,    1.0, 13 },
    { 384, 266, 384, "Toe",             0,  -24.0,         24.0,    12.0, nullptr,            2, 0, 23, 1, 0,    1.0,    1.0, 14 },
    { 385, 267, 385, "Key",             0,    0.0,         11.0,     0.0, kPitchKey,          1, 0, 23, 1, 0,    1.0,    1.0,  5 },
    { 386, 268, 386, "Scale",           0,    0.0,          8.0,     0.0, kPitchScale,        1, 0, 23, 1, 0,    1.0,    1.0,  6 },
    { 387, 269, 387, "Interval 1",      0,   -7.0,          7.0,     2.0, nullptr,            2, 0, 23, 1, 0,    1.0,    1.0, 15 },
    { 388, 270, 388, "Interval 2",      0,   -7.0,          7.0,     4.0, nullptr,            2, 0, 23, 1, 0,    1.0,    1.0, 16 },
    { 389, 271, 389, "Mix 1",           1, -120.0,          0.0,     0.0, nullptr,            2, 1, 23, 1, 1,    1.0,    0.5, 17 },
    { 390, 272, 390, "Mix 2",           1, -120.0,          0.0,  -120.0, nullptr,            2, 1, 23, 1, 1,    1.0,    0.5, 18 },
    { 391, 273, 391, "Pan 1",           1,   -1.0,          1.0,     0.0, nullptr,            2, 5, 23, 1, 0,  100.0,   0.01, 19 },
    { 392, 274, 392, "Pan 2",           1,   -1.0,          1.0,     0.0, nullptr,            2, 5, 23, 1, 0,  100.0,   0.01, 20 },
    { 393, 275, 393, "Dry",             1, -120.0,          0.0,     0.0, nullptr,            2, 1, 23, 1, 1,    1.0,    0.5,  2 },
    { 394, 276, 394, "Pitchdet",        0,    0.0,          1.0,     0.0, kPitchDetect,       1, 0, 23, 1, 0,    1.0,    1.0,  7 },
    { 397, 104, 397, "CC Pitchshifter", 0,    0.0,        127.0,    88.0, nullptr,            1, 0, 20, 2, 0,    1.0,    1.0, 37 },
};

const std::size_t kParameterDefinitionCount = sizeof(kParameterDefinitions) / sizeof(kParameterDefinitions[0]);

std::size_t countOptionNames(const ParameterDefinition& definition)
{
    std::size_t count = 0;
    if (definition.optionNames != nullptr)
        while (definition.optionNames[count] != nullptr)
            ++count;
    return count;
}

} // namespace Tonecrest
