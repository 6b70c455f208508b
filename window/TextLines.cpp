#include "TextLines.h"

#include <QStringList>

namespace {

// Full-width: the wide scripts and symbols from U+1100 on (the control pictures ␀ ␍ …
// among them), except the half-width katakana and forms. Half-width letters and digits take
// more than half of that in a proportional font: three quarters, the widest a whole, the
// narrowest half.
int width(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= 0x1100 && !(u >= 0xFF61 && u <= 0xFFDC)) {
        return 4;
    }
    if (QStringView(u"MWmw@%").contains(c)) {
        return 4;
    }
    if (QStringView(u" !'(),.:;IJ[]fijlrt{|}").contains(c)) {
        return 2;
    }
    return 3;
}

int width(QStringView text)
{
    int total = 0;
    for (const QChar c : text) {
        total += width(c);
    }
    return total;
}

bool endsSentencePart(QStringView line, qsizetype i)
{
    if (i == line.size()) {
        return false;
    }
    const QChar c = line[i];
    if (c != u'、' && c != u'。') {
        return false;
    }
    // 「…。」: the bracket goes with its sentence.
    return i + 1 == line.size() || (line[i + 1] != u'」' && line[i + 1] != u'）');
}

// Outside brackets: before an opening one, after a closing one.
bool beforeOrAfterBrackets(QStringView line, qsizetype i)
{
    const bool closes = (line[i] == u'」' || line[i] == u'）') && !endsSentencePart(line, i + 1);
    const bool opens = i + 1 < line.size() && (line[i + 1] == u'「' || line[i + 1] == u'（');
    return closes || opens;
}

bool isSeparator(QChar c)
{
    return c == u' ' || c == u'/' || c == u'\\';
}

enum class Breaks { AtPhrases, Anywhere };

// How many characters of `line`, wider than lineWidth, the first of its lines holds.
qsizetype breakAt(QStringView line, Breaks breaks)
{
    qsizetype afterPhrase = 0;
    qsizetype atBracket = 0;
    qsizetype afterSeparator = 0;
    qsizetype fitting = 0;
    int used = 0;
    for (qsizetype i = 0; i < line.size(); ++i) {
        used += width(line[i]);
        if (used > lineWidth) {
            break;
        }
        fitting = i + 1;
        if (endsSentencePart(line, i)) {
            afterPhrase = i + 1;
        } else if (beforeOrAfterBrackets(line, i)) {
            atBracket = i + 1;
        } else if (isSeparator(line[i])) {
            afterSeparator = i + 1;
        }
    }
    if (breaks == Breaks::Anywhere) {
        return qMax<qsizetype>(fitting, 1);
    }
    if (afterPhrase > 0) {
        return afterPhrase;
    }
    if (atBracket > 0) {
        return atBracket;
    }
    return afterSeparator > 0 ? afterSeparator : qMax<qsizetype>(fitting, 1);
}

QStringList splitLines(const QString &text, Breaks breaks)
{
    QStringList lines;
    for (QStringView line : QStringView(text).split(u'\n')) {
        while (width(line) > lineWidth) {
            const qsizetype length = breakAt(line, breaks);
            lines += line.left(length).toString();
            line = line.mid(length);
        }
        lines += line.toString();
    }
    return lines;
}

} // namespace

QString brokenLines(const QString &text)
{
    return splitLines(text, Breaks::AtPhrases).join(u'\n');
}

QString firstLines(const QString &text, int count)
{
    QStringList lines = splitLines(text, Breaks::Anywhere);
    if (lines.size() <= count) {
        return lines.join(u'\n');
    }
    lines.resize(count);
    QString &last = lines.last();
    while (width(last) + width(u'…') > lineWidth) {
        last.chop(1);
    }
    last += u'…';
    return lines.join(u'\n');
}
