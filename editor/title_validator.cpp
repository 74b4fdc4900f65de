#include "editor/title_validator.h"

#include <QLineEdit>

#include <algorithm>

namespace {

qsizetype Foreign(const QString& text) {
    return std::count_if(text.begin(), text.end(),
                         [](QChar c) { return !TTitleValidator::IsTitleCharacter(c); });
}

} // namespace

TTitleValidator::TTitleValidator(QLineEdit* edit) : QValidator(edit), accepted_(edit->text()) {
    connect(edit, &QLineEdit::textChanged, this, [this](const QString& text) { accepted_ = text; });
}

QValidator::State TTitleValidator::validate(QString& input, int&) const {
    if (input.size() > MaxLength)
        return Invalid;
    // An edit may keep or remove what the loaded title had, but never add to it.
    return Foreign(input) > Foreign(accepted_) ? Invalid : Acceptable;
}
