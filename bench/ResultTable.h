#pragma once

#include <QList>
#include <QString>

#include <optional>

// The benchmark's one table: a header naming the machine, then one row per figure with
// its median and worst run next to its target.
class ResultTable
{
public:
    struct Row
    {
        QString figure; // with its unit, e.g. "start-up to window shown (ms)"
        qsizetype runs = 0;
        double median = 0;
        double worst = 0;
        int decimals = 1;
        QString target; // empty: no target
        std::optional<bool> met; // nothing when there is no target
    };

    void addHeaderLine(const QString &line) { m_header.append(line); }
    void addRow(const Row &row) { m_rows.append(row); }
    QString toText() const;

private:
    QList<QString> m_header;
    QList<Row> m_rows;
};
