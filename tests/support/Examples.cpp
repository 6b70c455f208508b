#include "Examples.h"

#include <QtGlobal>

#include <algorithm>
#include <cstring>

namespace {

constexpr int none = -1;
// The decoding leaves that list as it is.
constexpr std::nullopt_t untouched = std::nullopt;

// A 17-character transmission: the given characters at positions 1, 2, 3, 4, 5, 7, 10 and
// 11, and '0' everywhere else.
QByteArray transmission(char p1, char p2, char p3, char p4, char p5, char p7, char p10, char p11)
{
    QByteArray text(17, '0');
    text[0] = p1;
    text[1] = p2;
    text[2] = p3;
    text[3] = p4;
    text[4] = p5;
    text[6] = p7;
    text[9] = p10;
    text[10] = p11;
    return text;
}

// A player data file: the record's lines, given in hexadecimal, and the closing line.
QByteArray lines(std::initializer_list<const char *> hexLines)
{
    QByteArray bytes;
    for (const char *hex : hexLines) {
        bytes += QByteArray::fromHex(hex);
    }
    return bytes + QByteArray::fromHex("835F837E815B8366815B835E0D0A");
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
        {"kind 0, C group 0, strength 5",
         transmission('1', 'C', '5', '0', '0', '0', '0', '0'),
         {0, 1, 5}},
        {"kind 0, A group 1, strength Z",
         transmission('1', 'A', 'Z', '0', '0', '1', '0', '0'),
         {0, 14, 35}},
        {"kind 0, D group 3, strength 9",
         transmission('1', 'D', '9', '0', '0', '3', '0', '0'),
         {0, 12, 9}},
        {"kind 0, E group 2, strength G",
         transmission('1', 'E', 'G', '0', '0', '2', '0', '0'),
         {0, 18, 16}},
        {"kind 0, strength colon", transmission('1', 'C', ':', '0', '0', '0', '0', '0'), {0, 1, 3}},
        {"kind 0, strength l", transmission('1', 'C', 'l', '0', '0', '0', '0', '0'), {0, 1, 53}},
        {"kind 0, strength slash",
         transmission('1', 'C', '/', '0', '0', '0', '0', '0'),
         {0, 1, none}},
        {"kind 0, pair not in the table",
         transmission('1', 'E', '0', '0', '0', '3', '0', '0'),
         {0, untouched, 0}},
        {"kind 0, lower-case letter",
         transmission('1', 'c', '5', '0', '0', '0', '0', '0'),
         {0, untouched, 5}},
        {"kind 0, group 4",
         transmission('1', 'C', '5', '0', '0', '4', '0', '0'),
         {0, untouched, 5}},

        // kind 1: keys at 5, 4, 3; no strength
        {"kind 1, keys 0 0 C",
         transmission('2', '0', 'C', '0', '0', '0', '0', '0'),
         {1, 6, untouched}},
        {"kind 1, keys 4 1 4",
         transmission('2', '0', '4', '1', '4', '0', '0', '0'),
         {1, 9, untouched}},
        {"kind 1, keys 3 1 2",
         transmission('2', '0', '2', '1', '3', '0', '0', '0'),
         {1, 21, untouched}},
        {"kind 1, keys 1 0 D",
         transmission('2', '0', 'D', '0', '1', '0', '0', '0'),
         {1, 13, untouched}},
        {"kind 1, second key 1 after first key 1",
         transmission('2', '0', 'C', '1', '1', '0', '0', '0'),
         {1, untouched, untouched}},

        // kind 2: strength digit at 3, character digit at 10 announced by '2' at 11
        {"kind 2, digit 0, strength 7",
         transmission('3', '0', '7', '0', '0', '0', '0', '2'),
         {2, 0, 7}},
        {"kind 2, digit 6, strength A",
         transmission('3', '0', 'A', '0', '0', '0', '6', '2'),
         {2, 7, 10}},
        {"kind 2, position 11 not 2",
         transmission('3', '0', '7', '0', '0', '0', '0', '1'),
         {2, untouched, 7}},
        {"kind 2, digit 7",
         transmission('3', '0', '7', '0', '0', '0', '7', '2'),
         {2, untouched, 7}},

        {"kind 3", transmission('4', '0', '0', '0', '0', '0', '0', '0'), {3, untouched, untouched}},
        {"device code 0",
         transmission('0', '0', '0', '0', '0', '0', '0', '0'),
         {none, untouched, untouched}},
    };
    return examples;
}

const ExampleTransmission &exampleTransmission(const char *name)
{
    return named(exampleTransmissions(), name);
}

const QList<ExampleFile> &exampleFiles()
{
    static const QList<ExampleFile> examples {
        {"slot 1 worked example (41 bytes)",
         PlayerSlot::One,
         {2, 13, 45, 2, 1},
         lines({"2032200D0A", "203133200D0A", "203435200D0A", "2032200D0A", "2031200D0A"})},
        {"slot 2 worked example (29 bytes)",
         PlayerSlot::Two,
         {0, 7, 9},
         lines({"2030200D0A", "2037200D0A", "2039200D0A"})},
        {"slot 1 all zeros (39 bytes)",
         PlayerSlot::One,
         {0, 0, 0, 0, 0},
         lines({"2030200D0A", "2030200D0A", "2030200D0A", "2030200D0A", "2030200D0A"})},
        {"slot 1 largest (41 bytes)",
         PlayerSlot::One,
         {3, 21, 60, 2, 1},
         lines({"2033200D0A", "203231200D0A", "203630200D0A", "2032200D0A", "2031200D0A"})},
        {"slot 2 largest (31 bytes)",
         PlayerSlot::Two,
         {3, 21, 60},
         lines({"2033200D0A", "203231200D0A", "203630200D0A"})},
    };
    return examples;
}

const ExampleFile &exampleFile(const char *name)
{
    return named(exampleFiles(), name);
}
