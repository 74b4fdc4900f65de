#include "model/unit_location.h"

#include <cstdio>

std::string BankLetter(int bank) {
    return bank >= 0 && bank <= 3 ? std::string(1, "ABCD"[bank]) : std::string();
}

std::string PresetLocationText(int bank, int number) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%03d", number);
    const std::string letter = BankLetter(bank);
    return letter.empty() ? std::string(digits) : letter + " " + digits;
}
