#pragma once

#include <QList>

// The measurements of one figure, one per run.
class Samples
{
public:
    void add(double value) { m_values.append(value); }
    qsizetype count() const { return m_values.size(); }
    double median() const;
    double highest() const;
    double lowest() const;

private:
    QList<double> m_values;
};
