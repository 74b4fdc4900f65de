#pragma once
// The listing of one preset, as text for people and as JSON for scripts.
#include "tools/hrzctl/json_writer.h"
#include "tools/hrzctl/preset_view.h"

#include <ostream>
#include <string>

void WritePresetText(std::ostream& out, const std::string& heading, const TPresetView& view);

// One JSON object; the caller adds where the preset came from through extra fields
// written before this call's fields (the object is left open for them).
void WritePresetJsonFields(TJsonWriter& json, const TPresetView& view);
void WriteParamJson(TJsonWriter& json, const TParamValue& value);
