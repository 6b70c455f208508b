#include "SerialPortList.h"

#include <QtGlobal>

#include <algorithm>
#include <utility>

namespace {

// "ttyS10" as ("ttyS", 10); a name without a number at its end has none (-1).
std::pair<QStringView, qlonglong> numbered(QStringView name)
{
    qsizetype digits = name.size();
    while (digits > 0 && name.at(digits - 1).isDigit()) {
        --digits;
    }
    bool ok = false;
    const qlonglong number = name.mid(digits).toLongLong(&ok);
    return {name.left(digits), ok ? number : -1};
}

} // namespace

void sortAsCounted(QStringList &names)
{
    std::stable_sort(names.begin(), names.end(),
                     [](const QString &a, const QString &b) { return numbered(a) < numbered(b); });
}

PlayerPort playerPort(PlayerSlot slot)
{
    const QString configured = qEnvironmentVariable(slotFacts(slot).portVariable);
    if (configured.isEmpty()) {
        return {machineSerialPort(slot), false};
    }
    return {configured, true};
}
