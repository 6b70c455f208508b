#include "SerialLine.h"

#include "DeviceTables.h"
#include "LineLossWindows.h"

#include <atomic>
#include <thread>
#include <utility>

#include <windows.h>

namespace {

// How often an open line looks at its input queue. 17 bytes take 18 ms on the line at
// 9600 baud; Wine cannot signal arriving bytes on every kind of port (WaitCommEvent fails on
// a pseudo-terminal), while the queue length works everywhere.
constexpr DWORD pollIntervalMs = 10;

SystemError lastError()
{
    return SystemError::fromCode(int(::GetLastError()));
}

// The number of bytes in the port's input queue, or -1 when the port no longer answers.
qint64 queuedBytes(HANDLE handle)
{
    COMSTAT status {};
    DWORD errors = 0;
    return ::ClearCommError(handle, &errors, &status) ? qint64(status.cbInQue) : -1;
}

// The shared line settings, modem lines up as a terminal sets them.
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
    settings.BaudRate = LineSettings::baudRate;
    settings.ByteSize = LineSettings::dataBits;
    settings.Parity = NOPARITY;
    settings.StopBits = LineSettings::stopBits == 1 ? ONESTOPBIT : TWOSTOPBITS;
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
    // The wait counts the input queue: a port that cannot count it fails here, and not as a
    // lost line once the wait has begun.
    if (!::SetCommState(handle, &settings) || !::SetCommTimeouts(handle, &timeouts)
        || !::PurgeComm(handle, PURGE_RXCLEAR | PURGE_TXCLEAR) || queuedBytes(handle) < 0) {
        *error = lastError();
        return false;
    }
    return true;
}

} // namespace

struct SerialLine::Private
{
    explicit Private(SerialLine *line)
        : line(line)
    { }
    ~Private() { ::CloseHandle(stopWatching); }
    Private(const Private &) = delete;
    Private &operator=(const Private &) = delete;

    SerialLine *line;
    HANDLE handle = INVALID_HANDLE_VALUE;
    SystemError error;
    // Looks at the queue on a thread of its own and wakes the caller's event loop only when
    // the queue changed or the port failed: a timer in the event loop would wake the whole
    // window 100 times a second, which under Wine costs several per cent of a core.
    std::thread watcher;
    // Set when the watcher is to stop; it ends its wait at once.
    HANDLE stopWatching = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    // The code with which the port failed the watcher, once it has: the line has failed then,
    // whatever a later call would answer.
    std::atomic<DWORD> watcherFailure = 0;

    void watch()
    {
        ::ResetEvent(stopWatching);
        watcherFailure = 0;
        watcher = std::thread([this] {
            qint64 seen = 0;
            while (::WaitForSingleObject(stopWatching, pollIntervalMs) == WAIT_TIMEOUT) {
                const qint64 queued = queuedBytes(handle);
                if (queued < 0) {
                    watcherFailure = ::GetLastError();
                }
                if (queued != seen) {
                    seen = queued;
                    // The caller's wait asks bytesAvailable() after this wake-up.
                    QMetaObject::invokeMethod(
                        line, [] {}, Qt::QueuedConnection);
                }
                if (queued < 0) {
                    return;
                }
            }
        });
    }

    void stopWatch()
    {
        if (watcher.joinable()) {
            ::SetEvent(stopWatching);
            watcher.join();
        }
    }

    // A call on the open line failed: the port is let go at once (a pulled adapter's COM port
    // comes back only once every handle to it is closed) and the failure reported, once.
    void fail(DWORD code)
    {
        error = openLineFailure(int(code));
        line->close();
        Q_EMIT line->failed();
    }
};

SerialLine::SerialLine(QObject *parent)
    : QObject(parent)
    , d(std::make_unique<Private>(this))
{ }

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
    d->watch();
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
                         nullptr)) {
            d->fail(::GetLastError());
            return false;
        }
        if (written == 0) {
            // Nothing went out within the write time-out: the port takes nothing any more.
            d->fail(ERROR_TIMEOUT);
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
    if (const DWORD code = d->watcherFailure) {
        d->fail(code);
        return 0;
    }
    const qint64 queued = queuedBytes(d->handle);
    if (queued < 0) {
        d->fail(::GetLastError());
        return 0;
    }
    return queued;
}

QByteArray SerialLine::readAll()
{
    // Only what the queue holds: under Wine a read of more waits for it on some ports.
    QByteArray bytes(bytesAvailable(), Qt::Uninitialized);
    if (bytes.isEmpty()) {
        return bytes;
    }
    DWORD read = 0;
    if (!::ReadFile(d->handle, bytes.data(), DWORD(bytes.size()), &read, nullptr)) {
        d->fail(::GetLastError());
        return QByteArray();
    }
    if (read == 0) {
        // The queue held bytes and the read found none: the port has gone (Wine reads a
        // pseudo-terminal that hung up as its end). What the port answers now says how.
        d->fail(queuedBytes(d->handle) < 0 ? ::GetLastError() : DWORD(ERROR_HANDLE_EOF));
        return QByteArray();
    }
    bytes.truncate(read);
    return bytes;
}

void SerialLine::close()
{
    d->stopWatch();
    if (isOpen()) {
        ::CloseHandle(std::exchange(d->handle, INVALID_HANDLE_VALUE));
    }
}

SystemError SerialLine::error() const
{
    return d->error;
}
