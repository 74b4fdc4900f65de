#include "editor/title_validator.h"

#include <algorithm>

QValidator::State TTitleValidator::validate(QString& input, int&) const {
    if (input.size() > MaxLength)
        return Invalid;
    return std::all_of(input.begin(), input.end(), IsTitleCharacter) ? Acceptable : Invalid;
}
