#include "ResultTable.h"

#include <algorithm>

void ResultTable::addRow(const QString &figure, const QList<double> &runs, int decimals,
                         std::optional<double> medianAtMost, std::optional<double> worstAtMost)
{
    QList<double> sorted = runs.isEmpty() ? QList<double> {0} : runs;
    std::sort(sorted.begin(), sorted.end());
    const qsizetype half = sorted.size() / 2;
    const double middle = sorted.size() % 2 ? sorted[half] : (sorted[half - 1] + sorted[half]) / 2;
    const double worst = sorted.last();
    QStringList bounds;
    bool met = true;
    if (medianAtMost) {
        bounds += QStringLiteral("median <= %1").arg(*medianAtMost);
        met = met && middle <= *medianAtMost;
    }
    if (worstAtMost) {
        bounds += QStringLiteral("worst <= %1").arg(*worstAtMost);
        met = met && worst <= *worstAtMost;
    }
    const bool hasTarget = !bounds.isEmpty();
    m_rows.append(
        {figure, QString::number(runs.size()), QString::number(middle, 'f', decimals),
         QString::number(worst, 'f', decimals),
         hasTarget ? bounds.join(QStringLiteral(", ")) : QStringLiteral("-"),
         hasTarget ? (met ? QStringLiteral("OK") : QStringLiteral("MISS")) : QStringLiteral("-")});
}

QString ResultTable::toText() const
{
    const QStringList titles
        = {QStringLiteral("Figure"), QStringLiteral("N"),      QStringLiteral("Median"),
           QStringLiteral("Worst"),  QStringLiteral("Target"), QStringLiteral("Result")};
    QList<qsizetype> widths;
    for (qsizetype i = 0; i < titles.size(); ++i) {
        widths.append(titles[i].size());
        for (const QStringList &row : m_rows) {
            widths[i] = std::max(widths[i], row[i].size());
        }
    }
    // N, Median and Worst are numbers: right-aligned, their rule ends in ":".
    const auto isNumber = [](qsizetype column) {
        return column >= 1 && column <= 3;
    };
    const auto line = [&](const QStringList &cells) {
        QString text = QStringLiteral("|");
        for (qsizetype i = 0; i < cells.size(); ++i) {
            text += QLatin1Char(' ')
                + (isNumber(i) ? cells[i].rightJustified(widths[i])
                               : cells[i].leftJustified(widths[i]))
                + QStringLiteral(" |");
        }
        return text + QLatin1Char('\n');
    };
    QStringList rule;
    for (qsizetype i = 0; i < widths.size(); ++i) {
        rule += isNumber(i) ? QString(widths[i] - 1, QLatin1Char('-')) + QLatin1Char(':')
                            : QString(widths[i], QLatin1Char('-'));
    }

    QString text
        = m_header.join(QLatin1Char('\n')) + QStringLiteral("\n\n") + line(titles) + line(rule);
    for (const QStringList &row : m_rows) {
        text += line(row);
    }
    return text;
}
