#pragma once
// JSON for scripts: documents built with nlohmann::json in the order they print.
#include <nlohmann/json.hpp>

#include <ostream>
#include <string>

using TJson = nlohmann::ordered_json;

// Two-space indent and a closing newline. Text that is not UTF-8 cannot make the
// document invalid: such bytes print as U+FFFD.
void WriteJson(std::ostream& out, const TJson& document);
// The same text without the closing newline.
std::string JsonText(const TJson& document);

// object[key] = name; when the name is not UTF-8 (a file from an old disk), its
// exact bytes also go to key + "_hex", so that a script can open the file again.
void SetFileName(TJson& object, const std::string& key, const std::string& name);
