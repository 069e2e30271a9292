#pragma once

#include <cstdint>
#include <vector>

// Which controls the effect panel shows for each signal-chain block, in which rows and with
// which captions. Constant data, built once and kept until exit; after initEditLayoutTables
// (or the first lookup) the tables are read-only and safe to read from any thread.

/** What one table item becomes on the panel. */
enum class LayoutWidgetKind : int32_t
{
    Spacer = 0,    // an empty knob slot
    Knob = 1,
    Menu = 2,      // long read-out box; parameter 13 becomes the bare cabinet box
    ShortMenu = 3, // short read-out box
    IntMenu = 4    // long box listing the integers of the parameter's range
};

struct LayoutItem
{
    LayoutWidgetKind kind;
    int32_t paramID;   // TonecrestParamID; 0 for a spacer
    const char* label; // caption without the ":" menus add; null for a spacer
};

using EditLayoutRow = std::vector<LayoutItem>;
using EditLayoutTable = std::vector<EditLayoutRow>;

/** Builds the tables. Called once at start-up; the first lookup builds them too. */
void initEditLayoutTables();

/** The table of BlockID 1..19 or 23; null for 20, 21, 22 and every other number. */
const EditLayoutTable* getEditLayoutForBlock(int blockID);
