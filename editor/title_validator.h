#pragma once
// Preset titles travel to the unit as one byte per character: only printable
// ASCII (blank to tilde) is accepted, at most 16 characters, so nothing typed or
// pasted can put a byte on the wire that would break the dump.
#include <QValidator>

class TTitleValidator : public QValidator {
    Q_OBJECT
public:
    using QValidator::QValidator;
    static constexpr int MaxLength = 16;

    static bool IsTitleCharacter(QChar c) { return c.unicode() >= 0x20 && c.unicode() <= 0x7E; }
    State validate(QString& input, int& position) const override;
};
