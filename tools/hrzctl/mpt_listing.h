#pragma once
// A program table laid out as the table editor shows it, or as a plain list.
#include "model/mpt.h"
#include "tools/hrzctl/json_output.h"

#include <ostream>

enum class TRowLabels { Ranges, Offsets };

// Ten cells to a row, "%.3d" preset numbers, the older model's last row of eight.
void WriteMptGrid(std::ostream& out, const Tmpt& table, bool preExpress, TRowLabels labels);
// One line per program change: its number and the preset it selects.
void WriteMptList(std::ostream& out, const Tmpt& table, bool preExpress);
void AddMptJsonFields(TJson& object, const Tmpt& table, bool preExpress);
