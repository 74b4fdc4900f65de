#pragma once
// Preset titles travel to the unit as one byte per character: nothing but
// printable ASCII (blank to tilde) can be typed or pasted, at most 16 characters,
// so no edit can put a byte on the wire that would break the dump. A character
// outside that range that came with a loaded preset is left alone.
#include <QValidator>

class QLineEdit;

class TTitleValidator : public QValidator {
    Q_OBJECT
public:
    static constexpr int MaxLength = 16;

    // edit: the box being validated; its last accepted text is what an edit is
    // compared with.
    explicit TTitleValidator(QLineEdit* edit);

    static bool IsTitleCharacter(QChar c) { return c.unicode() >= 0x20 && c.unicode() <= 0x7E; }
    State validate(QString& input, int& position) const override;

private:
    QString accepted_;
};
