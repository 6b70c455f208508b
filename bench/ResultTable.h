#pragma once

#include <QList>
#include <QString>

#include <optional>

// The benchmark's one table: a header naming the machine, then one row per figure with
// the median and the worst of its runs (higher is worse) next to its target.
class ResultTable
{
public:
    void addHeaderLine(const QString &line) { m_header.append(line); }
    // The target: bounds on the median, the worst run or both; neither, no target.
    void addRow(const QString &figure, const QList<double> &runs, int decimals,
                std::optional<double> medianAtMost = {}, std::optional<double> worstAtMost = {});
    // A pipe table: readable in a terminal and pasted into the docs as it stands.
    QString toText() const;

private:
    QList<QString> m_header;
    QList<QStringList> m_rows;
};
