#include "ResultTable.h"

#include <algorithm>

namespace {

QString cell(const QString &text, qsizetype width, bool right)
{
    return right ? text.rightJustified(width) : text.leftJustified(width);
}

} // namespace

QString ResultTable::toText() const
{
    const QStringList titles
        = {QStringLiteral("Figure"), QStringLiteral("N"),      QStringLiteral("Median"),
           QStringLiteral("Worst"),  QStringLiteral("Target"), QStringLiteral("Result")};
    QList<QStringList> lines;
    for (const Row &row : m_rows) {
        QString result = QStringLiteral("-");
        if (row.met) {
            result = *row.met ? QStringLiteral("OK") : QStringLiteral("MISS");
        }
        lines.append({row.figure, QString::number(row.runs),
                      QString::number(row.median, 'f', row.decimals),
                      QString::number(row.worst, 'f', row.decimals),
                      row.target.isEmpty() ? QStringLiteral("-") : row.target, result});
    }

    // A pipe table: readable in a terminal and pasted into the README as it stands.
    QList<qsizetype> widths;
    for (const QString &title : titles) {
        widths.append(title.size());
    }
    for (const QStringList &line : lines) {
        for (qsizetype i = 0; i < line.size(); ++i) {
            widths[i] = std::max(widths[i], line[i].size());
        }
    }
    const auto format = [&](const QStringList &line) {
        QString text = QStringLiteral("|");
        for (qsizetype i = 0; i < line.size(); ++i) {
            const bool number = i >= 1 && i <= 3;
            text += QLatin1Char(' ') + cell(line[i], widths[i], number) + QStringLiteral(" |");
        }
        return text + QLatin1Char('\n');
    };

    QString text;
    for (const QString &line : m_header) {
        text += line + QLatin1Char('\n');
    }
    text += QLatin1Char('\n') + format(titles);
    QString rule = QStringLiteral("|");
    for (qsizetype i = 0; i < widths.size(); ++i) {
        const bool number = i >= 1 && i <= 3;
        rule += QLatin1Char(' ') + QString(widths[i] - (number ? 1 : 0), QLatin1Char('-'))
            + (number ? QStringLiteral(":") : QString()) + QStringLiteral(" |");
    }
    text += rule + QLatin1Char('\n');
    for (const QStringList &line : lines) {
        text += format(line);
    }
    return text;
}
