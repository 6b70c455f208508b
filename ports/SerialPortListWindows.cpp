#include "SerialPortList.h"

#include <windows.h>

#include <algorithm>

// The COM ports that the system lists, as Device Manager shows them: the values of
// HKLM\HARDWARE\DEVICEMAP\SERIALCOMM, which the serial drivers keep for the ports present now.
QStringList presentSerialPorts()
{
    QStringList ports;
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key)
        != ERROR_SUCCESS) {
        return ports;
    }
    for (DWORD index = 0;; ++index) {
        wchar_t name[256];
        DWORD nameLength = DWORD(std::size(name));
        wchar_t port[64];
        DWORD portBytes = sizeof port;
        DWORD type = 0;
        const LSTATUS status = ::RegEnumValueW(key, index, name, &nameLength, nullptr, &type,
                                               reinterpret_cast<BYTE *>(port), &portBytes);
        if (status == ERROR_NO_MORE_ITEMS) {
            break;
        }
        if (status == ERROR_SUCCESS && type == REG_SZ) {
            // The data may or may not end with its null character.
            ports += QString::fromWCharArray(port, int(portBytes / sizeof(wchar_t)))
                         .section(QChar(u'\0'), 0, 0);
        }
    }
    ::RegCloseKey(key);
    sortAsCounted(ports);
    return ports;
}

QString machineSerialPort(PlayerSlot slot)
{
    return slot == PlayerSlot::One ? QStringLiteral("COM1") : QStringLiteral("COM2");
}
