#pragma once
// The listing of one preset, as text for people and as JSON for scripts.
#include "model/preset_view.h"
#include "tools/hrzctl/json_writer.h"

#include <ostream>
#include <string>

void WritePresetText(std::ostream& out, const std::string& heading, const TPresetView& view);

// The preset's fields, written into an open object that may already say where it
// came from.
void WritePresetJsonFields(TJsonWriter& json, const TPresetView& view);
