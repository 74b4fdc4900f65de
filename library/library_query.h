#pragma once
// The library's search language, turned into the WHERE clause of a query over the
// presets table. The clause is put together from fixed pieces only; every word,
// number and name the user typed travels as a bound parameter.
//
//   lead solo                    title contains "lead" and "solo"
//   "clean jazz"  title:clean    title contains the text
//   effect:Compressor  effect:Reverb  effect:"Gate Verb 1"  group:33
//   Reverb Decay > 5 s           a parameter's shown value (>, >=, <, <=, =, !=,
//   Compressor Drive at least 50%   above, below, at least, at most, is)
//   Reverb Type is Plate-1       a choice, by its text
//   cc:11  cc:any                a performance entry in use watches controller 11
//   duplicate                    another preset has the same sound under another title
//   A and (B or C), not A, -A
#include "model/errors.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

// A query that cannot be read; the text says what and where.
class ELibraryQueryError : public EHrzError {
public:
    using EHrzError::EHrzError;
};

// Bytes bound as a blob (the stored values a choice's text stands for).
struct TSqlBlob {
    std::string Bytes;
};
using TSqlValue = std::variant<std::int64_t, double, std::string, TSqlBlob>;

struct TCompiledQuery {
    std::string Where;             // "1" for an empty query
    std::vector<TSqlValue> Params; // bound to ?1, ?2, ... in order
};

// Throws ELibraryQueryError.
TCompiledQuery CompileLibraryQuery(std::string_view query);

// The language in a few lines, for --help and error messages.
std::string LibraryQueryHelp();
