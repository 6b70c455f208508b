#pragma once

#include "ResultTable.h"

#include <QString>

// Runs every figure of the benchmark against the real console code and collects the
// table. quick shrinks the runs to check the benchmark itself, not to quote.
class Benchmarks
{
public:
    explicit Benchmarks(bool quick);

    // False if a figure could not be measured because the console misbehaved; the error
    // says which and why.
    bool run();
    QString error() const { return m_error; }
    const ResultTable &table() const { return m_table; }

private:
    void describeMachine();
    bool measureStartUp();
    bool measureLatency();
    bool measureFromOutside();
    bool measureIdleCpu();
    bool measureSave();

    int runs(int full) const { return m_quick ? std::max(3, full / 10) : full; }
    bool fail(const QString &error);

    bool m_quick = false;
    QString m_error;
    ResultTable m_table;
};
