#pragma once

#include "ResultTable.h"

#include <QString>

// Measures every figure of the benchmark against the real console code into the table.
// quick shrinks the runs to check the benchmark itself, not to quote. Returns what kept a
// figure from being measured because the console misbehaved; empty when all were.
QString runBenchmarks(bool quick, ResultTable *table);
