#include "OperatorMessages.h"
#include "PlayerFiles.h"

#include <QDir>
#include <QTest>

// How the messages the operator reads when something fails are put together (the port's name
// and who named it, the ports found, the holder, the button to press again), word for word:
// the one place where a wording is asserted. The other tests assert which failure was met.
class tst_OperatorMessages : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void portFailures_data();
    void portFailures();
    void fileFailures_data();
    void fileFailures();
};

namespace {

PortFailure port(PortFailure::Kind kind, PlayerSlot slot, const QString &device, bool configured)
{
    PortFailure failure;
    failure.kind = kind;
    failure.slot = slot;
    failure.device = device;
    failure.configured = configured;
    return failure;
}

} // namespace

void tst_OperatorMessages::portFailures_data()
{
    QTest::addColumn<PortFailure>("failure");
    QTest::addColumn<QStringList>("lines"); // for the status line, the fullest first
    QTest::addColumn<QString>("details"); // the rest of the tooltip, after the headline

    const PlayerSlot one = PlayerSlot::One;
    const PlayerSlot two = PlayerSlot::Two;
    const QString usb = QStringLiteral("/dev/ttyUSB0");
    const QString byVariable1
        = QStringLiteral("ポート名: /dev/ttyUSB0（環境変数 KELMI_PORT1 で指定）\n");

    PortFailure failure = port(PortFailure::Missing, one, usb, true);
    failure.presentPorts = QStringList {QStringLiteral("/dev/ttyUSB1"),
                                        QStringLiteral("/dev/serial/by-id/usb-FTDI-if00")};
    QTest::newRow("missing, named by the variable, ports there are")
        << failure
        << QStringList {QStringLiteral("ポート１が見つかりません（見つかったポート: "
                                       "/dev/ttyUSB1、/dev/serial/by-id/usb-FTDI-if00）。"),
                        QStringLiteral("ポート１が見つかりません。")}
        << byVariable1
            + QStringLiteral(
                "携帯機のケーブルがつながっているか確かめて、もう一度「ポート１」を押して"
                "ください。ポート名が違うときは、環境変数 KELMI_PORT1 に正しいポート名を"
                "設定して、ケルミを起動し直してください。\n"
                "このコンピューターで見つかったシリアルポート:\n"
                "　/dev/ttyUSB1\n　/dev/serial/by-id/usb-FTDI-if00");
#ifdef Q_OS_WIN
    QTest::newRow("missing, the machine's own port, no ports at all")
        << port(PortFailure::Missing, two, QStringLiteral("COM2"), false)
        << QStringList {QStringLiteral("ポート２が見つかりません。")}
        << QStringLiteral(
               "ポート名: COM2（このコンピューターの 2 番目のシリアルポート）\n"
               "携帯機のケーブルがつながっているか確かめて、もう一度「ポート２」を押して"
               "ください。携帯機を別の COM ポートにつないだときは、デバイス マネージャーで"
               "そのポートの番号を COM2 に変えるか、環境変数 KELMI_PORT2 にそのポート名を"
               "設定して、ケルミを起動し直してください。\n"
               "このコンピューターにはシリアルポートが見つかりません。");
#else
    QTest::newRow("missing, the machine's own port, no ports at all")
        << port(PortFailure::Missing, two, QStringLiteral("/dev/ttyS1"), false)
        << QStringList {QStringLiteral("ポート２が見つかりません。")}
        << QStringLiteral("ポート名: /dev/ttyS1（このコンピューターの 2 番目のシリアルポート）\n"
                          "携帯機のケーブルがつながっているか確かめて、もう一度「ポート２」を押して"
                          "ください。携帯機を別のポートにつないだときは、環境変数 KELMI_PORT2 に"
                          "そのポート名を設定して、ケルミを起動し直してください。\n"
                          "このコンピューターにはシリアルポートが見つかりません。");
#endif

    failure = port(PortFailure::Held, one, usb, true);
    failure.holderProgram = QStringLiteral("minicom");
    failure.holderPid = 1234;
    const QString closeIt
        = QStringLiteral("そのプログラム（もう一つのケルミのこともあります）を終了"
                         "してから、もう一度「ポート１」を押してください。");
    QTest::newRow("held by a program that the lock file names")
        << failure
        << QStringList {QStringLiteral("ポート１はほかのプログラム（minicom）が使用中です。"),
                        QStringLiteral("ポート１はほかのプログラムが使用中です。")}
        << byVariable1 + QStringLiteral("使用中のプログラム: minicom（PID 1234）\n") + closeIt;
    failure.holderProgram.clear();
    QTest::newRow("held by a program that gives its PID alone")
        << failure << QStringList {QStringLiteral("ポート１はほかのプログラムが使用中です。")}
        << byVariable1 + QStringLiteral("使用中のプログラム: 不明（PID 1234）\n") + closeIt;
    QTest::newRow("held by a program that does not say")
        << port(PortFailure::Held, one, usb, true)
        << QStringList {QStringLiteral("ポート１はほかのプログラムが使用中です。")}
        << byVariable1 + closeIt;

    failure = port(PortFailure::NotPermitted, one, usb, true);
    failure.user = QStringLiteral("operator");
    failure.group = QStringLiteral("dialout");
    failure.groupMayUse = true;
    QTest::newRow("not permitted, the group may use it")
        << failure << QStringList {QStringLiteral("ポート１を開く権限がありません。")}
        << byVariable1
            + QStringLiteral("管理者に頼んで、このユーザー（operator）をグループ dialout に"
                             "追加してもらい、ログインし直してください。");
    failure.groupMayUse = false;
    QTest::newRow("not permitted, nor is the group")
        << failure << QStringList {QStringLiteral("ポート１を開く権限がありません。")}
        << byVariable1
            + QStringLiteral("このポートはグループ dialout にも読み書きが許されていません。"
                             "管理者に頼んで、ポートの権限を設定してもらってください。");

    QTest::newRow("no serial port")
        << port(PortFailure::NotSerialPort, one, QStringLiteral("/dev/null"), true)
        << QStringList {QStringLiteral("ポート１はシリアルポートではありません。")}
        << QStringLiteral("ポート名: /dev/null（環境変数 KELMI_PORT1 で指定）\n"
                          "環境変数 KELMI_PORT1 に、携帯機をつないだシリアルポートのポート名を"
                          "設定して、ケルミを起動し直してください。");
    QTest::newRow("line lost during the wait")
        << port(PortFailure::LineLost, two, QStringLiteral("/dev/ttyUSB1"), true)
        << QStringList {QStringLiteral("ポート２の回線が切れました。")}
        << QStringLiteral(
               "ポート名: /dev/ttyUSB1（環境変数 KELMI_PORT2 で指定）\n"
               "受信中にケーブルが抜けたか、変換アダプターが外れました。つなぎ直してから、"
               "もう一度「ポート２」を押してください。");
    failure = port(PortFailure::Other, one, usb, true);
    failure.error = SystemError::of(SystemError::SettingsRefused);
    QTest::newRow("another failure, with its reason")
        << failure
        << QStringList {QStringLiteral("ポート１を開けません: 通信の設定を受け付けません。"),
                        QStringLiteral("ポート１: 通信の設定を受け付けません。")}
        << byVariable1
            + QStringLiteral("ポート名が正しいか、携帯機のケーブルがつながっているかを確かめて、"
                             "もう一度「ポート１」を押してください。");
    failure.error = SystemError {SystemError::Other, 0, QStringLiteral("Out of memory")};
    QTest::newRow("another failure, in the system's words")
        << failure
        << QStringList {QStringLiteral("ポート１を開けません: Out of memory。"),
                        QStringLiteral("ポート１: Out of memory。")}
        << byVariable1
            + QStringLiteral("ポート名が正しいか、携帯機のケーブルがつながっているかを確かめて、"
                             "もう一度「ポート１」を押してください。");
}

void tst_OperatorMessages::portFailures()
{
    QFETCH(PortFailure, failure);
    QFETCH(QStringList, lines);
    QFETCH(QString, details);

    const OperatorMessage message = portFailureMessage(failure);
    QCOMPARE(message.lines, lines);
    QCOMPARE(message.details, details);
    // The sentence of what and why, without what the details say again: the last line, unless
    // the line is shortened by leaving words out.
    const bool shortened = failure.kind == PortFailure::Other;
    QCOMPARE(message.headline, shortened ? lines.first() : lines.last());
    QCOMPARE(message.whole(), message.headline + u'\n' + details);
}

void tst_OperatorMessages::fileFailures_data()
{
    QTest::addColumn<FileOperation>("operation");
    QTest::addColumn<int>("slot");
    QTest::addColumn<SystemError>("error");
    QTest::addColumn<QString>("reasonAndNextStep"); // between the headline and the file's place

    const auto row = [](const char *name, FileOperation operation, int slot, SystemError::Kind kind,
                        const QString &expected) {
        QTest::newRow(name) << operation << slot << SystemError::of(kind) << expected;
    };
    const FileOperation save = FileOperation::Save;
    const FileOperation remove = FileOperation::Delete;
    using Kind = SystemError::Kind;
    row("save, full disk", save, 1, Kind::DiskFull,
        QStringLiteral("ディスクに空きがありません。\n不要なファイルを削除して空きを作ってから、"
                       "もう一度「データ１送信」を押してください。"));
    row("delete, held by the match program", remove, 1, Kind::Busy,
        QStringLiteral(
            "ほかのプログラム（対戦プログラムなど）がファイルを使用中です。\nその"
            "プログラムがファイルを閉じてから、もう一度「送信データの削除」を押してください。"));
    row("save, read-only file", save, 2, Kind::ReadOnlyFile,
        QStringLiteral(
            "ファイルが読み取り専用です。\n上書きしてよいときは、ファイルの読み取り専用を"
            "外してから、もう一度「データ２送信」を押してください。"));
    row("delete, read-only file", remove, 1, Kind::ReadOnlyFile,
        QStringLiteral("ファイルが読み取り専用です。\n削除してよいときは、ファイルの読み取り専用を"
                       "外してから、もう一度「送信データの削除」を押してください。"));
    row("save, the working folder gone", save, 1, Kind::FolderGone,
        QStringLiteral(
            "ケルミを起動したフォルダーがありません。削除されたか、取り外されたディスクに"
            "あります。\n対戦フォルダーでケルミを起動し直してください。"));
    row("save, file-size limit", save, 1, Kind::FileTooLarge,
        QStringLiteral("ファイルの大きさの上限を超えました。\nもう一度「データ１送信」を押して"
                       "ください。直らないときは、管理者に相談してください。"));
}

void tst_OperatorMessages::fileFailures()
{
    QFETCH(FileOperation, operation);
    QFETCH(int, slot);
    QFETCH(SystemError, error);
    QFETCH(QString, reasonAndNextStep);

    const auto playerSlot = PlayerSlot(slot);
    const bool save = operation == FileOperation::Save;
    const QString file = playerFileName(playerSlot);
    QCOMPARE(fileFailureMessage(operation, playerSlot, error),
             file
                 + (save ? QStringLiteral(" を保存できませんでした。\n")
                         : QStringLiteral(" を削除できませんでした。\n"))
                 + reasonAndNextStep + u'\n'
                 + (save ? QStringLiteral("保存先: ") : QStringLiteral("ファイル: "))
                 + QDir::toNativeSeparators(QDir::current().absoluteFilePath(file)));
}

QTEST_GUILESS_MAIN(tst_OperatorMessages)
#include "tst_operatormessages.moc"
