#include "KnownFailureRows.h"

#include "SystemError.h"

#include <QTest>

#include <cerrno>

void addKnownFailureRows()
{
    using Kind = SystemError::Kind;
    QTest::newRow("no such device") << int(ENXIO) << Kind::NoDevice;
    QTest::newRow("busy") << int(EBUSY) << Kind::Busy;
    QTest::newRow("i/o error") << int(EIO) << Kind::IoError;
    QTest::newRow("over quota") << int(EDQUOT) << Kind::QuotaExceeded;
    QTest::newRow("hung up") << int(EPIPE) << Kind::LineLost;
    QTest::newRow("not a terminal") << int(ENOTTY) << Kind::NotSerialPort;
    QTest::newRow("link loop") << int(ELOOP) << Kind::LinkLoop;
    QTest::newRow("no line settings") << int(EINVAL) << Kind::SettingsRefused;
    QTest::newRow("not a folder") << int(ENOTDIR) << Kind::NotFolder;
    QTest::newRow("name too long") << int(ENAMETOOLONG) << Kind::NameTooLong;
    QTest::newRow("unknown") << int(ENOMEM) << Kind::Other;
}
