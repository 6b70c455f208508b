#include "Examples.h"

#include <QtGlobal>

#include <algorithm>
#include <cstring>

namespace {

constexpr int none = -1;
// The decoding leaves that list as it is.
constexpr std::nullopt_t untouched = std::nullopt;

// A player data file: the record's lines and the closing line, in Shift_JIS.
QByteArray file(const char *recordLines)
{
    return QByteArray(recordLines) + "\x83\x5F\x83\x7E\x81\x5B\x83\x66\x81\x5B\x83\x5E\r\n";
}

template<typename Example> const Example &named(const QList<Example> &examples, const char *name)
{
    const auto found = std::find_if(examples.begin(), examples.end(), [name](const Example &e) {
        return std::strcmp(e.name, name) == 0;
    });
    if (found == examples.end()) {
        qFatal("no example named \"%s\"", name);
    }
    return *found;
}

} // namespace

const QList<ExampleTransmission> &exampleTransmissions()
{
    static const QList<ExampleTransmission> examples {
        // kind 0: letter at 2, strength digit at 3, group at 7
        {"kind 0, C group 0, strength 5", "1C500000000000000", {0, 1, 5}},
        {"kind 0, A group 1, strength Z", "1AZ00010000000000", {0, 14, 35}},
        {"kind 0, D group 3, strength 9", "1D900030000000000", {0, 12, 9}},
        {"kind 0, E group 2, strength G", "1EG00020000000000", {0, 18, 16}},
        {"kind 0, strength colon", "1C:00000000000000", {0, 1, 3}},
        {"kind 0, strength l", "1Cl00000000000000", {0, 1, 53}},
        {"kind 0, strength slash", "1C/00000000000000", {0, 1, none}},
        {"kind 0, pair not in the table", "1E000030000000000", {0, untouched, 0}},
        {"kind 0, lower-case letter", "1c500000000000000", {0, untouched, 5}},
        {"kind 0, group 4", "1C500040000000000", {0, untouched, 5}},

        // kind 1: keys at 5, 4, 3; no strength
        {"kind 1, keys 0 0 C", "20C00000000000000", {1, 6, untouched}},
        {"kind 1, keys 4 1 4", "20414000000000000", {1, 9, untouched}},
        {"kind 1, keys 3 1 2", "20213000000000000", {1, 21, untouched}},
        {"kind 1, keys 1 0 D", "20D01000000000000", {1, 13, untouched}},
        {"kind 1, second key 1 after first key 1", "20C11000000000000", {1, untouched, untouched}},

        // kind 2: strength digit at 3, character digit at 10 announced by '2' at 11
        {"kind 2, digit 0, strength 7", "30700000002000000", {2, 0, 7}},
        {"kind 2, digit 6, strength A", "30A00000062000000", {2, 7, 10}},
        {"kind 2, position 11 not 2", "30700000001000000", {2, untouched, 7}},
        {"kind 2, digit 7", "30700000072000000", {2, untouched, 7}},

        {"kind 3", "40000000000000000", {3, untouched, untouched}},
        {"device code 0", "00000000000000000", {none, untouched, untouched}},
    };
    return examples;
}

const ExampleTransmission &exampleTransmission(const char *name)
{
    return named(exampleTransmissions(), name);
}

const QList<ExampleFile> &exampleFiles()
{
    using enum PlayerSlot;
    static const QList<ExampleFile> examples {
        {"slot 1 worked example (41 bytes)",
         One,
         {2, 13, 45, 2, 1},
         file(" 2 \r\n 13 \r\n 45 \r\n 2 \r\n 1 \r\n")},
        {"slot 2 worked example (29 bytes)", Two, {0, 7, 9}, file(" 0 \r\n 7 \r\n 9 \r\n")},
        {"slot 1 all zeros (39 bytes)",
         One,
         {0, 0, 0, 0, 0},
         file(" 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n")},
        {"slot 1 largest (41 bytes)",
         One,
         {3, 21, 60, 2, 1},
         file(" 3 \r\n 21 \r\n 60 \r\n 2 \r\n 1 \r\n")},
        {"slot 2 largest (31 bytes)", Two, {3, 21, 60}, file(" 3 \r\n 21 \r\n 60 \r\n")},
    };
    return examples;
}

const ExampleFile &exampleFile(const char *name)
{
    return named(exampleFiles(), name);
}
