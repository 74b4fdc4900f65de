#pragma once
// The listing of one preset, as text for people and as JSON for scripts.
#include "model/preset_view.h"
#include "tools/hrzctl/json_output.h"

#include <ostream>
#include <string>

void WritePresetText(std::ostream& out, const std::string& heading, const TPresetView& view);

// The preset's fields, added to an object that may already say where it came from.
void AddPresetJsonFields(TJson& object, const TPresetView& view);
TJson ParamJson(const TParamValue& value);
