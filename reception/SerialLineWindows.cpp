#include "SerialLine.h"

#include <QTimer>

#include <windows.h>

namespace {

// How often an open line looks at its input queue. 17 bytes take 18 ms on the line at
// 9600 baud; Wine cannot signal arriving bytes on every kind of port (WaitCommEvent fails on
// a pseudo-terminal), while the queue length works everywhere.
constexpr int pollIntervalMs = 10;

SystemError lastError()
{
    return SystemError::fromCode(int(::GetLastError()));
}

// 9600 8N1, no flow control of either kind, modem lines up as a terminal sets them.
bool configure(HANDLE handle, SystemError *error)
{
    DCB settings {};
    settings.DCBlength = sizeof settings;
    if (!::GetCommState(handle, &settings)) {
        // A device without line settings is no serial port, whatever code it answers with
        // (Windows ERROR_INVALID_FUNCTION, Wine ERROR_INVALID_HANDLE for a file).
        *error = SystemError::fromCode(ERROR_NOT_SUPPORTED);
        return false;
    }
    settings.BaudRate = CBR_9600;
    settings.ByteSize = 8;
    settings.Parity = NOPARITY;
    settings.StopBits = ONESTOPBIT;
    settings.fBinary = TRUE;
    settings.fParity = FALSE;
    settings.fOutxCtsFlow = FALSE;
    settings.fOutxDsrFlow = FALSE;
    settings.fDtrControl = DTR_CONTROL_ENABLE;
    settings.fRtsControl = RTS_CONTROL_ENABLE;
    settings.fDsrSensitivity = FALSE;
    settings.fOutX = FALSE;
    settings.fInX = FALSE;
    settings.fNull = FALSE;
    settings.fAbortOnError = FALSE;
    // A read returns at once with what is there; a write gives up after a second.
    COMMTIMEOUTS timeouts {MAXDWORD, 0, 0, 0, 1000};
    if (!::SetCommState(handle, &settings) || !::SetCommTimeouts(handle, &timeouts)
        || !::PurgeComm(handle, PURGE_RXCLEAR | PURGE_TXCLEAR)) {
        *error = lastError();
        return false;
    }
    return true;
}

} // namespace

struct SerialLine::Private
{
    HANDLE handle = INVALID_HANDLE_VALUE;
    QTimer poll;
    SystemError error;

    // The number of bytes in the input queue, or -1 when the port no longer answers.
    qint64 queued()
    {
        COMSTAT status {};
        DWORD errors = 0;
        if (!::ClearCommError(handle, &errors, &status)) {
            error = lastError();
            return -1;
        }
        return status.cbInQue;
    }
};

SerialLine::SerialLine(QObject *parent)
    : QObject(parent)
    , d(std::make_unique<Private>())
{
    // Each tick only wakes the caller's wait, which then asks bytesAvailable(): one look at
    // the port per tick.
    d->poll.setInterval(pollIntervalMs);
}

SerialLine::~SerialLine()
{
    close();
}

bool SerialLine::open(const QString &name)
{
    close();
    // "COM10" and above are reachable only by the device path; it works for all numbers.
    const QString prefix = QStringLiteral("\\\\.\\");
    const QString device = name.startsWith(prefix) ? name : prefix + name;
    d->handle = ::CreateFileW(reinterpret_cast<const wchar_t *>(device.utf16()),
                              GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (d->handle == INVALID_HANDLE_VALUE) {
        d->error = lastError();
        return false;
    }
    if (!configure(d->handle, &d->error)) {
        close();
        return false;
    }
    d->poll.start();
    return true;
}

bool SerialLine::isOpen() const
{
    return d->handle != INVALID_HANDLE_VALUE;
}

bool SerialLine::write(const QByteArray &bytes)
{
    qsizetype done = 0;
    while (isOpen() && done < bytes.size()) {
        DWORD written = 0;
        if (!::WriteFile(d->handle, bytes.constData() + done, DWORD(bytes.size() - done), &written,
                         nullptr)
            || written == 0) {
            d->error = lastError();
            return false;
        }
        done += written;
    }
    return done == bytes.size();
}

qint64 SerialLine::bytesAvailable()
{
    if (!isOpen()) {
        return 0;
    }
    const qint64 queued = d->queued();
    if (queued < 0) {
        // The port no longer answers: its adapter was pulled, or its far end is gone.
        close();
        Q_EMIT failed();
        return 0;
    }
    return queued;
}

QByteArray SerialLine::readAll()
{
    // Only what the queue holds: under Wine a read of more waits for it on some ports.
    QByteArray bytes(bytesAvailable(), Qt::Uninitialized);
    DWORD read = 0;
    if (!bytes.isEmpty()
        && !::ReadFile(d->handle, bytes.data(), DWORD(bytes.size()), &read, nullptr)) {
        d->error = lastError();
    }
    bytes.truncate(read);
    return bytes;
}

void SerialLine::close()
{
    d->poll.stop();
    if (isOpen()) {
        ::CloseHandle(std::exchange(d->handle, INVALID_HANDLE_VALUE));
    }
}

SystemError SerialLine::error() const
{
    return d->error;
}
