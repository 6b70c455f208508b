#include "OperatorMessages.h"
#include "PlayerFiles.h"
#include "TextLines.h"
#include "WindowLayout.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QMessageBox>
#include <QTest>

// The messages the operator reads when something fails, word for word and line by line as
// shown: the one place where a wording is asserted. And every line fits the message box.
class tst_OperatorMessages : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void portFailures_data();
    void portFailures();
    void fileFailures_data();
    void fileFailures();
    void lineBreaks_data();
    void lineBreaks();
    void linesFitTheBox_data();
    void linesFitTheBox();

private:
    int m_boxRoom = 0; // the widest line, in pixels, that the message box shows unbroken
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

void tst_OperatorMessages::initTestCase()
{
    // Qt keeps a message box's text unbroken up to a box 500 pixels wide (on a screen 1000
    // pixels wide or wider) and breaks it anywhere beyond: the room beside the icon is what
    // is left of that.
    QMessageBox box(QMessageBox::Warning, QStringLiteral("ケルミ"),
                    QStringLiteral("このフォルダーに書き込む権限がありません。"), QMessageBox::Ok);
    box.setFont(WindowLayout::windowFont());
    box.show();
    const auto *label = box.findChild<QLabel *>(QStringLiteral("qt_msgbox_label"));
    QVERIFY(label);
    QVERIFY(!label->wordWrap());
    m_boxRoom = 500 - (box.width() - label->width());
    QCOMPARE_GT(m_boxRoom, 400);
}

void tst_OperatorMessages::portFailures_data()
{
    QTest::addColumn<PortFailure>("failure");
    QTest::addColumn<QStringList>("lines"); // for the status line, the fullest first
    QTest::addColumn<QString>("details"); // the tooltip after the headline and the port's name

    const PlayerSlot one = PlayerSlot::One;
    const PlayerSlot two = PlayerSlot::Two;
    const QString usb = QStringLiteral("/dev/ttyUSB0");
    const QString checkCable1
        = QStringLiteral("ケーブルがコンピューターと携帯機につながっているか確かめて、\n"
                         "もう一度「ポート１」を押してください。\n");
    const QString tellPort = QStringLiteral("直らないときは、管理者に連絡して、\n"
                                            "ポート名とこの理由を伝えてください。");

    PortFailure failure = port(PortFailure::Missing, one, usb, true);
    failure.presentPorts = QStringList {
        QStringLiteral("/dev/ttyUSB1"),
        QStringLiteral("/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0")};
    QTest::newRow("missing, named by the variable, ports there are")
        << failure << QStringList {QStringLiteral("ポート１が見つかりません。")}
        << checkCable1 + tellPort
            + QStringLiteral("\nこのコンピューターで見つかったシリアルポート:\n"
                             "　/dev/ttyUSB1\n"
                             "　/dev/serial/by-id/\n"
                             "usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0");
    QTest::newRow("missing, the machine's own port, no ports at all")
        << port(PortFailure::Missing, two, QStringLiteral("COM2"), false)
        << QStringList {QStringLiteral("ポート２が見つかりません。")}
        << QStringLiteral("ケーブルがコンピューターと携帯機につながっているか確かめて、\n"
                          "もう一度「ポート２」を押してください。\n")
            + tellPort + QStringLiteral("\nこのコンピューターにはシリアルポートが見つかりません。");

    failure = port(PortFailure::Held, one, usb, true);
    failure.holderProgram = QStringLiteral("minicom");
    failure.holderPid = 1234;
    const QString held = QStringLiteral("ポート１はほかのプログラムが使用中です。");
    const QString cannotEnd = QStringLiteral("終了できないときは、管理者に連絡して、\n"
                                             "ポート名とこの理由を伝えてください。");
    QTest::newRow("held by a program it names")
        << failure
        << QStringList {QStringLiteral("ポート１はほかのプログラム（minicom）が使用中です。"), held}
        << QStringLiteral("使用中のプログラム: minicom（PID 1234）\n"
                          "そのプログラムを終了してから、もう一度「ポート１」を押してください。\n")
            + cannotEnd;
    failure.holderProgram = QStringLiteral("kelmi");
    QTest::newRow("held by another console")
        << failure << QStringList {QStringLiteral("ポート１はもう一つのケルミが使用中です。")}
        << QStringLiteral("使用中のプログラム: kelmi（PID 1234）\n"
                          "もう一つのケルミを閉じてから、もう一度「ポート１」を押してください。\n"
                          "見つからないときは、管理者に連絡して、\n"
                          "ポート名とこの理由を伝えてください。");
    const QString closeIt = QStringLiteral("もう一つのケルミや通信ソフトなど、\n"
                                           "ポートを使っているプログラムを終了してから、\n"
                                           "もう一度「ポート１」を押してください。\n");
    failure.holderProgram.clear();
    QTest::newRow("held by a program that gives its PID alone")
        << failure << QStringList {held}
        << QStringLiteral("使用中のプログラム: 不明（PID 1234）\n") + closeIt + cannotEnd;
    QTest::newRow("held by a program that does not say")
        << port(PortFailure::Held, one, usb, true) << QStringList {held} << closeIt + cannotEnd;

    failure = port(PortFailure::NotPermitted, one, usb, true);
    failure.user = QStringLiteral("operator");
    failure.group = QStringLiteral("dialout");
    failure.groupMayUse = true;
    const QStringList notPermitted {QStringLiteral("ポート１を開く権限がありません。")};
    const QString tellAdministrator
        = QStringLiteral("管理者に連絡して、ポート名とこの理由を伝えてください。");
    QTest::newRow("not permitted, the group may use it") << failure << notPermitted
                                                         << tellAdministrator
            + QStringLiteral("\nこのユーザー（operator）をグループ dialout に追加すると、\n"
                             "ログインし直したあとで開けるようになります。\n"
                             "ログインし直す前に、画面の選んだ項目を書き留めてください。");
    failure.groupMayUse = false;
    QTest::newRow("not permitted, nor is the group") << failure << notPermitted
                                                     << tellAdministrator
            + QStringLiteral("\nこのポートはグループ dialout にも読み書きが許されていないので、\n"
                             "ポートの権限の設定が必要です。");

    QTest::newRow("no serial port")
        << port(PortFailure::NotSerialPort, one, QStringLiteral("/dev/null"), true)
        << QStringList {QStringLiteral("ポート１はシリアルポートではありません。")}
        << tellAdministrator;
    QTest::newRow("line lost during the wait")
        << port(PortFailure::LineLost, two, QStringLiteral("/dev/ttyUSB1"), true)
        << QStringList {QStringLiteral("ポート２の接続が切れました。")}
        << QStringLiteral("ケーブルが抜けたのかもしれません。\n"
                          "ケーブルをつなぎ直してから、もう一度「ポート２」を押してください。\n")
            + tellPort;
    failure = port(PortFailure::Other, one, usb, true);
    failure.error = SystemError::of(SystemError::SettingsRefused);
    QTest::newRow("another failure, with its reason")
        << failure
        << QStringList {QStringLiteral("ポート１を開けません: 通信の設定を受け付けません。"),
                        QStringLiteral("ポート１: 通信の設定を受け付けません。")}
        << checkCable1 + tellPort;
    failure.error = SystemError {SystemError::Other, 0, QStringLiteral("Out of memory")};
    QTest::newRow("another failure, in the system's words")
        << failure
        << QStringList {QStringLiteral("ポート１を開けません: Out of memory。"),
                        QStringLiteral("ポート１: Out of memory。")}
        << checkCable1 + tellPort;
}

void tst_OperatorMessages::portFailures()
{
    QFETCH(PortFailure, failure);
    QFETCH(QStringList, lines);
    QFETCH(QString, details);

    const OperatorMessage message = portFailureMessage(failure);
    QCOMPARE(message.lines, lines);
    // The sentence of what and why, without what the details say again: the last line, unless
    // the line is shortened by leaving words out. The port's name and who named it follow.
    const bool shortened = failure.kind == PortFailure::Other && lines.size() > 1;
    QCOMPARE(message.headline, shortened ? lines.first() : lines.last());
    const QString namedBy = failure.configured
        ? QStringLiteral("環境変数 KELMI_PORT%1 の設定").arg(int(failure.slot))
        : QStringLiteral("初期設定");
    QCOMPARE(message.whole(),
             message.headline
                 + QStringLiteral("\nポート名: %1（%2）\n").arg(failure.device, namedBy) + details);
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
        QStringLiteral("ディスクに空きがありません。\n"
                       "管理者に連絡して、保存先とこの理由を伝えてください。\n"
                       "直ったら、もう一度「データ１送信」を押してください。"));
    row("save, a folder this user may not write", save, 2, Kind::AccessDenied,
        QStringLiteral("このフォルダーに書き込む権限がありません。\n"
                       "管理者に連絡して、保存先とこの理由を伝えてください。\n"
                       "直ったら、もう一度「データ２送信」を押してください。"));
    row("delete, held by the match program", remove, 1, Kind::Busy,
        QStringLiteral("ほかのプログラム（対戦プログラムなど）がファイルを使用中です。\n"
                       "そのプログラムがファイルを使い終わるまで少し待ってから、\n"
                       "もう一度「送信データの削除」を押してください。\n"
                       "直らないときは、管理者に連絡して、\n"
                       "削除するファイルとこの理由を伝えてください。"));
    row("save, read-only file", save, 2, Kind::ReadOnlyFile,
        QStringLiteral("ファイルが読み取り専用です。\n"
                       "上書きしてよいときは、ファイルの読み取り専用を外してから、\n"
                       "もう一度「データ２送信」を押してください。"));
    row("delete, read-only file", remove, 1, Kind::ReadOnlyFile,
        QStringLiteral("ファイルが読み取り専用です。\n"
                       "削除してよいときは、ファイルの読み取り専用を外してから、\n"
                       "もう一度「送信データの削除」を押してください。"));
    row("save, the working folder gone", save, 1, Kind::FolderGone,
        QStringLiteral("ケルミを起動したフォルダーがなくなりました。\n"
                       "削除されたか、ディスクが取り外されたのかもしれません。\n"
                       "画面の選んだ項目を書き留めてから、\n"
                       "対戦フォルダーでケルミを起動し直してください。\n"
                       "対戦フォルダーが見つからないときは、管理者に連絡して、\n"
                       "保存先とこの理由を伝えてください。"));
    row("save, file-size limit", save, 1, Kind::FileTooLarge,
        QStringLiteral("ファイルの大きさの上限を超えました。\n"
                       "もう一度「データ１送信」を押してください。\n"
                       "直らないときは、管理者に連絡して、保存先とこの理由を伝えてください。"));
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
    QCOMPARE(
        fileFailureMessage(operation, playerSlot, error),
        file
            + (save ? QStringLiteral(" を保存できませんでした。\n")
                    : QStringLiteral(" を削除できませんでした。\n"))
            + reasonAndNextStep + u'\n'
            + brokenLines((save ? QStringLiteral("保存先: ") : QStringLiteral("削除するファイル: "))
                          + QDir::toNativeSeparators(QDir::current().absoluteFilePath(file))));
}

void tst_OperatorMessages::lineBreaks_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("lineCount"); // at most; 0 for all
    QTest::addColumn<QString>("shown");

    const QString shortLines
        = QStringLiteral("ポート１が見つかりません。\nポート名: COM1（初期設定）");
    QTest::newRow("short lines stay") << shortLines << 0 << shortLines;
    QTest::newRow("after the last 、 that fits")
        << QStringLiteral("ケーブルがコンピューターと携帯機につながっているか確かめて、"
                          "もう一度「ポート１」を押してください。")
        << 0
        << QStringLiteral("ケーブルがコンピューターと携帯機につながっているか確かめて、\n"
                          "もう一度「ポート１」を押してください。");
    QTest::newRow("no 、: outside the button's name")
        << QStringLiteral("携帯機をつないだコンピューターのケーブルを確かめてからもう一度「送信デー"
                          "タの削除」を押す")
        << 0
        << QStringLiteral("携帯機をつないだコンピューターのケーブルを確かめてからもう一度\n"
                          "「送信データの削除」を押す");
    QTest::newRow("a path, after a separator")
        << QStringLiteral(
               "削除するファイル: /srv/match/2026/december/finals/table-seven/player1.dat")
        << 0
        << QStringLiteral("削除するファイル: /srv/match/2026/december/finals/\n"
                          "table-seven/player1.dat");
    QTest::newRow("received text, its first lines")
        << QString(400, u'1') << 2 << QString(45, u'1') + u'\n' + QString(44, u'1') + u'…';
}

void tst_OperatorMessages::lineBreaks()
{
    QFETCH(QString, text);
    QFETCH(int, lineCount);
    QFETCH(QString, shown);

    QCOMPARE(lineCount == 0 ? brokenLines(text) : firstLines(text, lineCount), shown);
}

void tst_OperatorMessages::linesFitTheBox_data()
{
    QTest::addColumn<QString>("text");

    // Long names where the console shows names: a port, a program, a folder.
    const QString device
        = QStringLiteral("/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_AB0CDEFG-if00-port0");
    for (int kind = PortFailure::Missing; kind <= PortFailure::Other; ++kind) {
        for (const bool configured : {true, false}) {
            PortFailure failure
                = port(PortFailure::Kind(kind), PlayerSlot::Two, device, configured);
            failure.presentPorts = QStringList {device, QStringLiteral("/dev/ttyUSB0")};
            failure.holderProgram = QString(46, u'M');
            failure.holderPid = 4194304;
            failure.user = QStringLiteral("tournament-operator-of-the-west-hall");
            failure.group = QStringLiteral("dialout");
            failure.groupMayUse = configured;
            failure.error = SystemError::of(SystemError::QuotaExceeded);
            QTest::addRow("port failure %d, %s", kind, configured ? "configured" : "by default")
                << portFailureMessage(failure).whole();
        }
        QTest::addRow("port tooltip %d", kind) << portToolTip(PlayerSlot::One, {device, true});
    }
    const QString deep
        = QStringLiteral("/home/WWWWWWWW/対戦フォルダー/2026年12月大会/決勝トーナメント");
    QDir::setCurrent(QDir::tempPath());
    for (int kind = SystemError::Other; kind <= SystemError::ReadOnlyFile; ++kind) {
        for (const auto operation : {FileOperation::Save, FileOperation::Delete}) {
            QTest::addRow("file failure %d, %s", kind,
                          operation == FileOperation::Save ? "save" : "delete")
                << fileFailureMessage(operation, PlayerSlot::One,
                                      SystemError::of(SystemError::Kind(kind)));
        }
    }
    QTest::newRow("a file's tooltip") << brokenLines(QStringLiteral("削除するファイル: ") + deep
                                                     + QStringLiteral("/player2.dat"));
    QTest::newRow("received text flooding the line") << firstLines(QString(4095, u'W'), 4);
    QTest::newRow("control characters received") << firstLines(QString(4095, u'␊'), 4);
}

void tst_OperatorMessages::linesFitTheBox()
{
    QFETCH(QString, text);

    const QFontMetrics metrics(WindowLayout::windowFont());
    for (const QString &line : text.split(u'\n')) {
        const int width = metrics.horizontalAdvance(line);
        QVERIFY2(width <= m_boxRoom,
                 qPrintable(QStringLiteral("%1 pixels: %2").arg(width).arg(line)));
    }
}

QTEST_MAIN(tst_OperatorMessages)
#include "tst_operatormessages.moc"
