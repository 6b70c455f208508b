#include "HostDevices.h"

#include <QDeadlineTimer>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

// Longer than any request takes the host (a plug retried, an unplug waited for, up to 10 s each),
// so that only a broken host makes it time out.
static constexpr int answerLimitMs = 20'000;

HostDevices::HostDevices(const QString &controlLine)
{
    m_fd = ::open(QFile::encodeName(controlLine).constData(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_fd < 0) {
        m_error = controlLine + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno));
    }
}

HostDevices::~HostDevices()
{
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

QByteArray HostDevices::read(Device device, int count, int timeoutMs)
{
    const auto hex
        = ask("read", device, QByteArray::number(count) + ' ' + QByteArray::number(timeoutMs));
    return QByteArray::fromHex(hex.value_or(QByteArray()));
}

std::optional<HostDevices::LineSettings> HostDevices::settings(Device device)
{
    const auto words = ask("settings", device);
    if (!words) {
        return std::nullopt;
    }
    const QByteArrayList values = words->split(' ');
    return LineSettings {values.value(0).toInt(), values.value(1).toInt()};
}

std::optional<QByteArray> HostDevices::ask(const char *verb, Device device, const QByteArray &words)
{
    const char *const devices[] = {"adapter", "uart", "pciuart"};
    const QByteArray request
        = (QByteArray(verb) + ' ' + devices[int(device)] + ' ' + words).trimmed();
    const QByteArray line = request + '\n';
    if (m_fd < 0 || ::write(m_fd, line.constData(), size_t(line.size())) != line.size()) {
        m_error = QStringLiteral("the control line is not open");
        return std::nullopt;
    }
    const QDeadlineTimer deadline(answerLimitMs);
    while (!m_pending.contains('\n')) {
        pollfd control {m_fd, POLLIN, 0};
        const int ready = ::poll(&control, 1, int(deadline.remainingTime()));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        char chunk[4096];
        const ssize_t n = ready > 0 ? ::read(m_fd, chunk, sizeof chunk) : 0;
        if (n <= 0) {
            m_error = QStringLiteral("no answer from the host to: ") + QString::fromLatin1(request);
            return std::nullopt;
        }
        m_pending.append(chunk, n);
    }
    const qsizetype end = m_pending.indexOf('\n');
    const QByteArray answer = m_pending.left(end);
    m_pending.remove(0, end + 1);
    if (answer == "ok" || answer.startsWith("ok ")) {
        return answer.mid(3);
    }
    m_error = QString::fromLatin1(request + ": " + answer);
    return std::nullopt;
}
