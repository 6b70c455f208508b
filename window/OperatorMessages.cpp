#include "OperatorMessages.h"

#include "PlayerFiles.h"
#include "TextLines.h"

#include <QHash>

namespace {

using Kind = SystemError::Kind;

QString label(PlayerSlot slot)
{
    return slotFacts(slot).portLabel.toString();
}

// What to do next ends with pressing the button again: 「ポート１」, 「データ１送信」...
QString pressAgain(const QString &button)
{
    return QStringLiteral("もう一度「%1」を押してください。").arg(button);
}

// What the staff cannot mend themselves (permissions, disks, port names) goes to the
// administrator, with what to tell: `what` is shown above, the reason in the first lines.
QString callAdministrator(const QString &what)
{
    return QStringLiteral("管理者に連絡して、%1とこの理由を伝えてください。").arg(what);
}

QString ifNotMended(const QString &what)
{
    return QStringLiteral("直らないときは、") + callAdministrator(what);
}

const QString portName = QStringLiteral("ポート名");

QString sentence(const QString &phrase)
{
    return phrase + u'。';
}

// "ポート名: /dev/ttyUSB0（環境変数 KELMI_PORT1 の設定）"; "初期設定" holds for COM1 too.
QString portLine(PlayerSlot slot, const QString &device, bool configured)
{
    const QString origin = configured
        ? QStringLiteral("環境変数 %1 の設定").arg(QLatin1String(slotFacts(slot).portVariable))
        : QStringLiteral("初期設定");
    return QStringLiteral("%1: %2（%3）").arg(portName, device, origin);
}

// The ports there are, for the administrator who sets the port's name.
QString presentPorts(const QStringList &ports)
{
    if (ports.isEmpty()) {
        return QStringLiteral("このコンピューターにはシリアルポートが見つかりません。");
    }
    return QStringLiteral("このコンピューターで見つかったシリアルポート:\n　")
        + ports.join(QStringLiteral("\n　"));
}

// Another console that holds the port is found under the program's own name: the staff
// close its window, where a program they do not know is theirs to end or to report.
bool isConsole(const QString &program)
{
    return program == QLatin1String("kelmi");
}

// Where a file's failure is worded otherwise than the system's reason.
const QHash<Kind, QString> &fileReasons()
{
    static const QHash<Kind, QString> reasons {
        {Kind::AccessDenied, QStringLiteral("このフォルダーに書き込む権限がありません。")},
        {Kind::NotPermitted,
         QStringLiteral("ファイルかフォルダーが、変更できないように設定されています。")},
        {Kind::IsFolder, QStringLiteral("同じ名前のフォルダーがあります。")},
        {Kind::NameTooLong, QStringLiteral("保存先の場所を表す名前が長すぎます。")},
        {Kind::Busy,
         QStringLiteral("ほかのプログラム（対戦プログラムなど）がファイルを使用中です。")},
        {Kind::IoError, QStringLiteral("ディスクへの読み書きに失敗しました。")},
    };
    return reasons;
}
} // namespace

QString OperatorMessage::whole() const
{
    return brokenLines(headline + u'\n' + details);
}

QString failureReason(const SystemError &error)
{
    switch (error.kind) {
    case Kind::NotFound:
        return QStringLiteral("見つかりません");
    case Kind::NoDevice:
        return QStringLiteral("機器が見つかりません");
    case Kind::AccessDenied:
        return QStringLiteral("使う権限がありません");
    case Kind::NotPermitted:
        return QStringLiteral("許可されていません");
    case Kind::Busy:
        return QStringLiteral("ほかのプログラムが使用中です");
    case Kind::IoError:
        return QStringLiteral("読み書きに失敗しました");
    case Kind::DiskFull:
        return QStringLiteral("ディスクに空きがありません");
    case Kind::QuotaExceeded:
        return QStringLiteral("このユーザーが使えるディスクの容量を超えました");
    case Kind::FileTooLarge:
        return QStringLiteral("ファイルの大きさの上限を超えました");
    case Kind::ReadOnlyDisk:
        return QStringLiteral("ディスクが読み取り専用です");
    case Kind::IsFolder:
        return QStringLiteral("フォルダーです");
    case Kind::NotFolder:
        return QStringLiteral("名前の途中がフォルダーではありません");
    case Kind::NameTooLong:
        return QStringLiteral("名前が長すぎます");
    case Kind::LinkLoop:
        return QStringLiteral("リンクをたどれません");
    case Kind::SettingsRefused:
        return QStringLiteral("通信の設定を受け付けません");
    case Kind::LineLost:
        return QStringLiteral("接続が切れました");
    case Kind::NotSerialPort:
        return QStringLiteral("シリアルポートではありません");
    case Kind::FolderGone:
        return QStringLiteral("ケルミを起動したフォルダーがなくなりました");
    case Kind::ReadOnlyFile:
        return QStringLiteral("ファイルが読み取り専用です");
    case Kind::Other:
        break;
    }
    return error.text;
}

QString portToolTip(PlayerSlot slot, const PlayerPort &port)
{
    return brokenLines(portLine(slot, port.device, port.configured));
}

OperatorMessage portFailureMessage(const PortFailure &failure)
{
    const QString port = label(failure.slot);
    const QString again = pressAgain(port);
    const QString checkCable
        = QStringLiteral("ケーブルがコンピューターと携帯機につながっているか確かめて、") + again;
    OperatorMessage message;
    QStringList details {portLine(failure.slot, failure.device, failure.configured)};
    switch (failure.kind) {
    case PortFailure::Missing:
        message.headline = QStringLiteral("%1が見つかりません。").arg(port);
        details << checkCable << ifNotMended(portName) << presentPorts(failure.presentPorts);
        break;
    case PortFailure::Held:
        if (failure.holderPid != 0) {
            const QString program
                = failure.holderProgram.isEmpty() ? QStringLiteral("不明") : failure.holderProgram;
            details += QStringLiteral("使用中のプログラム: %1（PID %2）")
                           .arg(program)
                           .arg(failure.holderPid);
        }
        if (isConsole(failure.holderProgram)) {
            message.headline = QStringLiteral("%1はもう一つのケルミが使用中です。").arg(port);
            details << QStringLiteral("もう一つのケルミを閉じてから、") + again
                    << QStringLiteral("見つからないときは、") + callAdministrator(portName);
            break;
        }
        if (!failure.holderProgram.isEmpty()) {
            message.lines += QStringLiteral("%1はほかのプログラム（%2）が使用中です。")
                                 .arg(port, failure.holderProgram);
            details += QStringLiteral("そのプログラムを終了してから、") + again;
        } else {
            details += QStringLiteral("もう一つのケルミや通信ソフトなど、ポートを使っている"
                                      "プログラムを終了してから、")
                + again;
        }
        message.headline = QStringLiteral("%1はほかのプログラムが使用中です。").arg(port);
        details += QStringLiteral("終了できないときは、") + callAdministrator(portName);
        break;
    case PortFailure::NotPermitted:
        message.headline = QStringLiteral("%1を開く権限がありません。").arg(port);
        details += callAdministrator(portName);
        if (failure.groupMayUse) {
            details << QStringLiteral("このユーザー（%1）をグループ %2 に追加すると、"
                                      "ログインし直したあとで開けるようになります。")
                           .arg(failure.user, failure.group)
                    << QStringLiteral("ログインし直す前に、画面の選んだ項目を書き留めてください。");
        } else {
            details += QStringLiteral("このポートはグループ %1 にも読み書きが許されていないので、"
                                      "ポートの権限の設定が必要です。")
                           .arg(failure.group);
        }
        break;
    case PortFailure::NotSerialPort:
        message.headline = QStringLiteral("%1はシリアルポートではありません。").arg(port);
        details += callAdministrator(portName);
        break;
    case PortFailure::LineLost:
        message.headline = QStringLiteral("%1の接続が切れました。").arg(port);
        details << QStringLiteral("ケーブルが抜けたのかもしれません。")
                << QStringLiteral("ケーブルをつなぎ直してから、") + again << ifNotMended(portName);
        break;
    case PortFailure::Other: {
        const QString reason = failureReason(failure.error);
        message.headline = QStringLiteral("%1を開けません: %2。").arg(port, reason);
        message.lines += message.headline;
        message.lines += QStringLiteral("%1: %2。").arg(port, reason);
        details << checkCable << ifNotMended(portName);
        break;
    }
    }
    if (!message.lines.contains(message.headline)) {
        message.lines += message.headline;
    }
    message.details = details.join(u'\n');
    return message;
}

QString fileFailureMessage(FileOperation operation, PlayerSlot slot, const SystemError &error)
{
    const bool save = operation == FileOperation::Save;
    const QString name = playerFileName(slot);
    const QString button = (save ? slotFacts(slot).saveCaption : deleteCaption).toString();
    const QString again = pressAgain(button);
    const QString where = save ? QStringLiteral("保存先") : QStringLiteral("削除するファイル");
    QString reason = fileReasons().value(error.kind, sentence(failureReason(error)));
    // Most failures are the administrator's to mend; the staff presses the button again then.
    QStringList next {callAdministrator(where), QStringLiteral("直ったら、") + again};
    switch (error.kind) {
    case Kind::DiskFull:
    case Kind::QuotaExceeded:
    case Kind::ReadOnlyDisk:
    case Kind::AccessDenied:
    case Kind::NotPermitted:
    case Kind::IsFolder:
    case Kind::NameTooLong:
        break;
    case Kind::Busy:
        next = {QStringLiteral("そのプログラムがファイルを使い終わるまで少し待ってから、") + again,
                ifNotMended(where)};
        break;
    case Kind::ReadOnlyFile:
        next = {(save ? QStringLiteral("上書きしてよいときは、")
                      : QStringLiteral("削除してよいときは、"))
                + QStringLiteral("ファイルの読み取り専用を外してから、") + again};
        break;
    case Kind::FolderGone:
        reason += QStringLiteral("\n削除されたか、ディスクが取り外されたのかもしれません。");
        next = {QStringLiteral("画面の選んだ項目を書き留めてから、"
                               "対戦フォルダーでケルミを起動し直してください。"),
                QStringLiteral("対戦フォルダーが見つからないときは、") + callAdministrator(where)};
        break;
    default:
        next = {again, ifNotMended(where)};
        break;
    }
    const QString headline = save ? QStringLiteral("%1 を保存できませんでした。")
                                  : QStringLiteral("%1 を削除できませんでした。");
    return brokenLines(QStringList {headline.arg(name), reason, next.join(u'\n'),
                                    where + QStringLiteral(": ") + playerFileForDisplay(slot)}
                           .join(u'\n'));
}
