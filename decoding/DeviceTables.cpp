#include "DeviceTables.h"

#include <algorithm>

namespace DeviceTables {

int kind0CharacterRow(int group, int letter)
{
    const auto entry = std::ranges::find_if(kind0Characters, [&](const GroupLetterRow &e) {
        return e.group == group && e.letter == letter;
    });
    return entry == kind0Characters.end() ? noSelection : entry->row;
}

int kind1CharacterRow(int first, int second, int third)
{
    const auto entry = std::ranges::find_if(kind1Characters, [&](const KeysRow &e) {
        return e.first == first && e.second == second && e.third == third;
    });
    return entry == kind1Characters.end() ? noSelection : entry->row;
}

int kind2CharacterRow(int digit)
{
    const auto entry = std::ranges::find_if(kind2Characters,
                                            [&](const DigitRow &e) { return e.digit == digit; });
    return entry == kind2Characters.end() ? noSelection : entry->row;
}

} // namespace DeviceTables
