#include "model/safe_file_name.h"

std::string SafeFileName(const std::string& title) {
    std::string name = title;
    for (char& c : name) {
        switch (c) {
        case '\\':
        case '/':
            c = '-';
            break;
        case ':':
        case '*':
        case '<':
        case '>':
        case '|':
        case '?':
            c = ' ';
            break;
        case '"':
            c = '\'';
            break;
        default:
            break;
        }
    }
    return name;
}
