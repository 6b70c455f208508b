#pragma once

#include "PortFailure.h"

#include <QByteArray>

#include <optional>

// A port failure as one line of text, for a console in another process to report it and a
// test to read it back whole.
QByteArray portFailureLine(const PortFailure &failure);
std::optional<PortFailure> portFailureFromLine(const QByteArray &line);

// How QCOMPARE shows a port failure that differs.
char *toString(const PortFailure &failure);
