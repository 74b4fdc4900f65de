#pragma once
// How a place in the unit's memory is written for the user: banks A to D, three-digit
// preset numbers.
#include <string>

// "A".."D" for banks 0..3; an empty text for any other (the single bank of a
// Pre-Express unit is -1).
std::string BankLetter(int bank);

// "A 005"; "005" when the bank is not 0..3.
std::string PresetLocationText(int bank, int number);
