#pragma once

#include <cstddef>
#include <string>

// The identifiers of every image of the interface and the pack entry each one is read from.
// Plain C++ so that the artwork tool, which writes the pack, names its entries from the same
// table that the program reads them with.

enum class AppImageID : int
{
    editPageBackground = 1,
    footswitchPageBackground = 2,
    midiCCPageBackground = 3,
    cabinetsPageBackground = 4,
    globalPageBackground = 5,
    backupPageBackground = 6,
    browserSeparatorBar = 7,
    browserSelectedBar = 8,
    mainDialFilmStrip = 9,
    fxDialFilmStrip = 10,
    editTabOff = 11,
    editTabOn = 12,
    footswitchTabOff = 13,
    footswitchTabOn = 14,
    midiCCTabOff = 15,
    midiCCTabOn = 16,
    cabinetsTabOff = 17,
    cabinetsTabOn = 18,
    globalTabOff = 19,
    globalTabOn = 20,
    backupTabOff = 21,
    backupTabOn = 22,
    fileButtonOff = 23,
    fileButtonOn = 24,
    closeOff = 25,
    closeOn = 26,
    maximiseOff = 27,
    maximiseOn = 28,
    minimiseOff = 29,
    minimiseOn = 30,
    saveButtonOff = 31,
    saveButtonOn = 32,
    chainBlockDark = 33,
    chainBlockLight = 34,
    readoutBox = 35,
    readoutArrowLeftOff = 36,
    readoutArrowLeftOn = 37,
    readoutArrowRightOff = 38,
    readoutArrowRightOn = 39,
    readoutBoxShort = 40,
    notAssignedBlock = 41,
    assignedBlock = 42,
    invertBlock = 43,
    minusOff = 44,
    minusOn = 45,
    plusOff = 46,
    plusOn = 47,
    loadUserButtonOff = 48,
    loadUserButtonOn = 49,
    backupButtonOff = 50,
    backupButtonOn = 51,
    restoreButtonOff = 52,
    restoreButtonOn = 53,
    presetArrowLeftOff = 54,
    presetArrowLeftOn = 55,
    presetArrowRightOff = 56,
    presetArrowRightOn = 57,
    presetManagerOff = 58,
    presetManagerOn = 59,
    mainBackground = 60
};

struct AppImageEntry
{
    AppImageID id;
    const char* stem; // entry name without appImageNameSuffix
};

/** Every entry name of the program's own images ends with this. */
inline constexpr const char* appImageNameSuffix = "@2x.png";

/** Identifiers 1 to 60 in order; 58, 59 and 60 share the entries of 31, 32 and 1. */
inline constexpr AppImageEntry appImageTable[] = {
    { AppImageID::editPageBackground, "EditPage/TonecrestMainBackground" },
    { AppImageID::footswitchPageBackground, "Footswitches/TonecrestFootswitchBackground" },
    { AppImageID::midiCCPageBackground, "MIDICC/TonecrestMIDICCBackground" },
    { AppImageID::cabinetsPageBackground, "Cabinets/TonecrestCabinetsBackground" },
    { AppImageID::globalPageBackground, "Global/TonecrestGlobalBackground" },
    { AppImageID::backupPageBackground, "Backup/TonecrestBackupBackground" },
    { AppImageID::browserSeparatorBar, "EditPage/BrowserLineSeparationBar" },
    { AppImageID::browserSelectedBar, "EditPage/BrowserSelectedBar" },
    { AppImageID::mainDialFilmStrip, "EditPage/TonecrestMainDialFilm" },
    { AppImageID::fxDialFilmStrip, "EditPage/TonecrestFXDialsFilm" },
    { AppImageID::editTabOff, "EditPage/EditOff" },
    { AppImageID::editTabOn, "EditPage/EditOn" },
    { AppImageID::footswitchTabOff, "EditPage/FootswitchOff" },
    { AppImageID::footswitchTabOn, "EditPage/FootswitchOn" },
    { AppImageID::midiCCTabOff, "EditPage/MidiCCOff" },
    { AppImageID::midiCCTabOn, "EditPage/MidiCCOn" },
    { AppImageID::cabinetsTabOff, "EditPage/CabinetsOff" },
    { AppImageID::cabinetsTabOn, "EditPage/CabinetsOn" },
    { AppImageID::globalTabOff, "EditPage/GlobalOff" },
    { AppImageID::globalTabOn, "EditPage/GlobalOn" },
    { AppImageID::backupTabOff, "EditPage/BackupOff" },
    { AppImageID::backupTabOn, "EditPage/BackupOn" },
    { AppImageID::fileButtonOff, "EditPage/FileOff" },
    { AppImageID::fileButtonOn, "EditPage/FileOn" },
    { AppImageID::closeOff, "CloseOff" },
    { AppImageID::closeOn, "CloseOn" },
    { AppImageID::maximiseOff, "MaximizeOff" },
    { AppImageID::maximiseOn, "MaximizeOn" },
    { AppImageID::minimiseOff, "MinimizeOff" },
    { AppImageID::minimiseOn, "MinimizeOn" },
    { AppImageID::saveButtonOff, "EditPage/SaveAsOff" },
    { AppImageID::saveButtonOn, "EditPage/SaveAsOn" },
    { AppImageID::chainBlockDark, "EditPage/SignalChainDarkGreyBlock" },
    { AppImageID::chainBlockLight, "EditPage/SignalChainLightGreyBlock" },
    { AppImageID::readoutBox, "EditPage/EffectsSectionReadoutBox" },
    { AppImageID::readoutArrowLeftOff, "EditPage/EffectsSectionReadoutBoxArrowLeftOff" },
    { AppImageID::readoutArrowLeftOn, "EditPage/EffectsSectionReadoutBoxArrowLeftOn" },
    { AppImageID::readoutArrowRightOff, "EditPage/EffectsSectionReadoutBoxArrowRightOff" },
    { AppImageID::readoutArrowRightOn, "EditPage/EffectsSectionReadoutBoxArrowRightOn" },
    { AppImageID::readoutBoxShort, "EditPage/EffectsSectionReadoutBoxShort" },
    { AppImageID::notAssignedBlock, "Footswitches/NotAssignedBlock" },
    { AppImageID::assignedBlock, "Footswitches/AssignedBlock" },
    { AppImageID::invertBlock, "Footswitches/InvertBlock" },
    { AppImageID::minusOff, "MIDICC/MinusOff" },
    { AppImageID::minusOn, "MIDICC/MinusOn" },
    { AppImageID::plusOff, "MIDICC/PlusOff" },
    { AppImageID::plusOn, "MIDICC/PlusOn" },
    { AppImageID::loadUserButtonOff, "Cabinets/CabinetsLoadUserButtonOff" },
    { AppImageID::loadUserButtonOn, "Cabinets/CabinetsLoadUserButtonOn" },
    { AppImageID::backupButtonOff, "Backup/BackupOff" },
    { AppImageID::backupButtonOn, "Backup/BackupOn" },
    { AppImageID::restoreButtonOff, "Backup/RestoreOff" },
    { AppImageID::restoreButtonOn, "Backup/RestoreOn" },
    { AppImageID::presetArrowLeftOff, "EditPage/PresetArrowLeftOff" },
    { AppImageID::presetArrowLeftOn, "EditPage/PresetArrowLeftOn" },
    { AppImageID::presetArrowRightOff, "EditPage/PresetArrowRightOff" },
    { AppImageID::presetArrowRightOn, "EditPage/PresetArrowRightOn" },
    { AppImageID::presetManagerOff, "EditPage/SaveAsOff" },
    { AppImageID::presetManagerOn, "EditPage/SaveAsOn" },
    { AppImageID::mainBackground, "EditPage/TonecrestMainBackground" },
};

inline constexpr std::size_t appImageCount = sizeof(appImageTable) / sizeof(appImageTable[0]);

/** The full pack entry name of a table entry ("EditPage/EditOff@2x.png"). */
inline std::string appImageEntryName(const AppImageEntry& entry)
{
    return std::string(entry.stem) + appImageNameSuffix;
}
