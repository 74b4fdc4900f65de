#pragma once
// Validation of dump files: framing, header bytes, 7-bit data, group number and the
// range of every parameter, with one readable line per problem.
#include "model/catalogue.h"
#include "tools/hrzctl/input_file.h"

#include <cstddef>
#include <string>
#include <vector>

struct TCheckProblem {
    std::size_t Offset = 0; // in the file
    std::string Text;
};

struct TCheckResult {
    int Presets = 0;
    int Tables = 0;
    // The first MaxListedProblems problems, in file order, of ProblemCount.
    std::vector<TCheckProblem> Problems;
    std::size_t ProblemCount = 0;

    static constexpr std::size_t MaxListedProblems = 100;
};

TCheckResult CheckDumpFile(const TInputFile& file, bool preExpress);

// Lowest and highest stored value the editor can produce for a parameter. The
// delay Fine sliders start at 1 but a new effect stores 0, so the default counts too.
int AcceptedMin(const TParamInfo& param);
int AcceptedMax(const TParamInfo& param);
