#include "tools/hrzctl/json_output.h"

#include "tools/hrzctl/text_util.h"

void WriteJson(std::ostream& out, const TJson& document) {
    out << document.dump(2, ' ', false, TJson::error_handler_t::replace) << '\n';
}

void SetFileName(TJson& object, const std::string& key, const std::string& name) {
    object[key] = name;
    if (!HrzctlText::IsValidUtf8(name))
        object[key + "_hex"] = HrzctlText::HexString(name);
}
