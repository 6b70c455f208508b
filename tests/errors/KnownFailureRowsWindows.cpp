#include "KnownFailureRows.h"

#include "SystemError.h"

#include <QTest>

#include <windows.h>

void addKnownFailureRows()
{
    using Kind = SystemError::Kind;
    QTest::newRow("no such port") << int(ERROR_FILE_NOT_FOUND) << Kind::NotFound;
    QTest::newRow("held") << int(ERROR_ACCESS_DENIED) << Kind::AccessDenied;
    QTest::newRow("file in use") << int(ERROR_SHARING_VIOLATION) << Kind::Busy;
    QTest::newRow("i/o error") << int(ERROR_GEN_FAILURE) << Kind::IoError;
    QTest::newRow("disk full") << int(ERROR_DISK_FULL) << Kind::DiskFull;
    QTest::newRow("write-protected") << int(ERROR_WRITE_PROTECT) << Kind::ReadOnlyDisk;
    QTest::newRow("adapter pulled") << int(ERROR_DEVICE_REMOVED) << Kind::LineLost;
    QTest::newRow("no serial port") << int(ERROR_INVALID_FUNCTION) << Kind::NotSerialPort;
    QTest::newRow("link loop") << int(ERROR_CANT_RESOLVE_FILENAME) << Kind::LinkLoop;
    QTest::newRow("no line settings") << int(ERROR_INVALID_PARAMETER) << Kind::SettingsRefused;
    QTest::newRow("not a folder") << int(ERROR_DIRECTORY) << Kind::NotFolder;
    QTest::newRow("name too long") << int(ERROR_FILENAME_EXCED_RANGE) << Kind::NameTooLong;
    QTest::newRow("unknown") << int(ERROR_OUTOFMEMORY) << Kind::Other;
}
