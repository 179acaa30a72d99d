#pragma once

#include <QString>

namespace bank {

inline constexpr int kFirstNumber = 0;
inline constexpr int kLastNumber = 273;

// The Parts of the Rules and the numbers the bank gives them; answer letters are balanced per Part.
struct Part {
    const char* name;
    int first;
    int last;
};

inline constexpr Part kParts[] = {
    {"A", 0, 17},    {"B", 18, 113},  {"C", 114, 203},     {"D", 204, 243},
    {"E", 244, 246}, {"F", 247, 249}, {"Anexe", 250, 273},
};

inline const Part* partOf(qint64 number)
{
    for (const Part& p : kParts)
        if (number >= p.first && number <= p.last)
            return &p;
    return nullptr;
}

}  // namespace bank
