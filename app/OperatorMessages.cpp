#include "OperatorMessages.h"

#include "PlayerFiles.h"

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

QString sentence(const QString &phrase)
{
    return phrase + u'。';
}

// "ポート名: /dev/ttyUSB0（環境変数 KELMI_PORT1 で指定）"
QString portLine(PlayerSlot slot, const QString &device, bool configured)
{
    const QString origin = configured
        ? QStringLiteral("環境変数 %1 で指定").arg(QLatin1String(slotFacts(slot).portVariable))
        : QStringLiteral("このコンピューターの %1 番目のシリアルポート").arg(int(slot));
    return QStringLiteral("ポート名: %1（%2）").arg(device, origin);
}

// Where a missing port may be instead: the ports there are, and how to name another one.
QString missingPortAdvice(const PortFailure &failure)
{
    const QString variable = QLatin1String(slotFacts(failure.slot).portVariable);
    QString advice = QStringLiteral("携帯機のケーブルがつながっているか確かめて、")
        + pressAgain(label(failure.slot));
    if (failure.configured) {
        advice += QStringLiteral("ポート名が違うときは、環境変数 %1 に正しいポート名を設定して、"
                                 "ケルミを起動し直してください。")
                      .arg(variable);
    } else {
#ifdef Q_OS_WIN
        advice += QStringLiteral("携帯機を別の COM ポートにつないだときは、デバイス マネージャーで"
                                 "そのポートの番号を %1 に変えるか、環境変数 %2 にそのポート名を"
                                 "設定して、ケルミを起動し直してください。")
                      .arg(failure.device, variable);
#else
        advice += QStringLiteral("携帯機を別のポートにつないだときは、環境変数 %1 にそのポート名を"
                                 "設定して、ケルミを起動し直してください。")
                      .arg(variable);
#endif
    }
    if (failure.presentPorts.isEmpty()) {
        return advice + QStringLiteral("\nこのコンピューターにはシリアルポートが見つかりません。");
    }
    return advice + QStringLiteral("\nこのコンピューターで見つかったシリアルポート:\n　")
        + failure.presentPorts.join(QStringLiteral("\n　"));
}

} // namespace

QString OperatorMessage::whole() const
{
    return headline + u'\n' + details;
}

QString failureReason(const SystemError &error)
{
    switch (error.kind) {
    case Kind::NotFound:
        return QStringLiteral("見つかりません");
    case Kind::NoDevice:
        return QStringLiteral("デバイスがありません");
    case Kind::AccessDenied:
        return QStringLiteral("アクセスが拒否されました");
    case Kind::NotPermitted:
        return QStringLiteral("この操作は許可されていません");
    case Kind::Busy:
        return QStringLiteral("ほかのプログラムが使用中です");
    case Kind::IoError:
        return QStringLiteral("入出力エラーが起きました");
    case Kind::DiskFull:
        return QStringLiteral("ディスクに空きがありません");
    case Kind::QuotaExceeded:
        return QStringLiteral("ディスクの使用量の上限に達しました");
    case Kind::FileTooLarge:
        return QStringLiteral("ファイルの大きさの上限を超えました");
    case Kind::ReadOnlyDisk:
        return QStringLiteral("読み取り専用のディスクです");
    case Kind::IsFolder:
        return QStringLiteral("フォルダーです");
    case Kind::NotFolder:
        return QStringLiteral("フォルダーではありません");
    case Kind::NameTooLong:
        return QStringLiteral("名前が長すぎます");
    case Kind::LinkLoop:
        return QStringLiteral("リンクが循環しています");
    case Kind::SettingsRefused:
        return QStringLiteral("通信の設定を受け付けません");
    case Kind::LineLost:
        return QStringLiteral("回線が切れました");
    case Kind::NotSerialPort:
        return QStringLiteral("シリアルポートではありません");
    case Kind::FolderGone:
        return QStringLiteral("ケルミを起動したフォルダーがありません");
    case Kind::ReadOnlyFile:
        return QStringLiteral("ファイルが読み取り専用です");
    case Kind::Other:
        break;
    }
    return error.text;
}

QString portToolTip(PlayerSlot slot, const PlayerPort &port)
{
    return portLine(slot, port.device, port.configured);
}

OperatorMessage portFailureMessage(const PortFailure &failure)
{
    const QString port = label(failure.slot);
    const QString again = pressAgain(port);
    OperatorMessage message;
    QStringList details {portLine(failure.slot, failure.device, failure.configured)};
    switch (failure.kind) {
    case PortFailure::Missing:
        if (!failure.presentPorts.isEmpty()) {
            message.lines += QStringLiteral("%1が見つかりません（見つかったポート: %2）。")
                                 .arg(port, failure.presentPorts.join(u'、'));
        }
        message.headline = QStringLiteral("%1が見つかりません。").arg(port);
        details += missingPortAdvice(failure);
        break;
    case PortFailure::Held:
        if (!failure.holderProgram.isEmpty()) {
            message.lines += QStringLiteral("%1はほかのプログラム（%2）が使用中です。")
                                 .arg(port, failure.holderProgram);
        }
        message.headline = QStringLiteral("%1はほかのプログラムが使用中です。").arg(port);
        if (failure.holderPid != 0) {
            const QString program
                = failure.holderProgram.isEmpty() ? QStringLiteral("不明") : failure.holderProgram;
            details += QStringLiteral("使用中のプログラム: %1（PID %2）")
                           .arg(program)
                           .arg(failure.holderPid);
        }
        details
            += QStringLiteral("そのプログラム（もう一つのケルミのこともあります）を終了してから、")
            + again;
        break;
    case PortFailure::NotPermitted:
        message.headline = QStringLiteral("%1を開く権限がありません。").arg(port);
        details += failure.groupMayUse
            ? QStringLiteral("管理者に頼んで、このユーザー（%1）をグループ %2 に追加してもらい、"
                             "ログインし直してください。")
                  .arg(failure.user, failure.group)
            : QStringLiteral(
                  "このポートはグループ %1 にも読み書きが許されていません。管理者に頼んで、"
                  "ポートの権限を設定してもらってください。")
                  .arg(failure.group);
        break;
    case PortFailure::NotSerialPort:
        message.headline = QStringLiteral("%1はシリアルポートではありません。").arg(port);
        details
            += QStringLiteral("環境変数 %1 に、携帯機をつないだシリアルポートのポート名を設定して、"
                              "ケルミを起動し直してください。")
                   .arg(QLatin1String(slotFacts(failure.slot).portVariable));
        break;
    case PortFailure::LineLost:
        message.headline = QStringLiteral("%1の回線が切れました。").arg(port);
        details += QStringLiteral("受信中にケーブルが抜けたか、変換アダプターが外れました。"
                                  "つなぎ直してから、")
            + again;
        break;
    case PortFailure::Other: {
        const QString reason = failureReason(failure.error);
        message.headline = QStringLiteral("%1を開けません: %2。").arg(port, reason);
        message.lines += message.headline;
        message.lines += QStringLiteral("%1: %2。").arg(port, reason);
        details
            += QStringLiteral("ポート名が正しいか、携帯機のケーブルがつながっているかを確かめて、")
            + again;
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
    QString reason = sentence(failureReason(error));
    QString next = QStringLiteral("直らないときは、管理者に相談してください。");
    switch (error.kind) {
    case Kind::DiskFull:
    case Kind::QuotaExceeded:
        next = QStringLiteral("不要なファイルを削除して空きを作ってから、") + again;
        break;
    case Kind::ReadOnlyDisk:
        next = QStringLiteral(
            "書き込めるディスクにある対戦フォルダーで、ケルミを起動し直してください。");
        break;
    case Kind::AccessDenied:
        reason = QStringLiteral("このフォルダーに書き込む権限がありません。");
        next = QStringLiteral("書き込める対戦フォルダーでケルミを起動し直すか、管理者にフォルダーの"
                              "権限を設定してもらってください。");
        break;
    case Kind::NotPermitted:
        reason = QStringLiteral("ファイルかフォルダーが、変更できないように設定されています。");
        next = QStringLiteral("管理者に設定を確かめてもらってください。");
        break;
    case Kind::Busy:
        reason = QStringLiteral("ほかのプログラム（対戦プログラムなど）がファイルを使用中です。");
        next = QStringLiteral("そのプログラムがファイルを閉じてから、") + again;
        break;
    case Kind::ReadOnlyFile:
        next = (save ? QStringLiteral("上書きしてよいときは、")
                     : QStringLiteral("削除してよいときは、"))
            + QStringLiteral("ファイルの読み取り専用を外してから、") + again;
        break;
    case Kind::IsFolder:
        reason = QStringLiteral("同じ名前のフォルダーがあります。");
        next = QStringLiteral("そのフォルダーの名前を変えるか別の場所へ移してから、") + again;
        break;
    case Kind::FolderGone:
        reason = QStringLiteral("ケルミを起動したフォルダーがありません。削除されたか、"
                                "取り外されたディスクにあります。");
        next = QStringLiteral("対戦フォルダーでケルミを起動し直してください。");
        break;
    case Kind::IoError:
        reason = QStringLiteral("ディスクの読み書きでエラーが起きました。");
        next = QStringLiteral("ディスクを確かめてから、") + again;
        break;
    case Kind::NameTooLong:
        reason = QStringLiteral("フォルダーの場所を表す名前が長すぎます。");
        next = QStringLiteral(
            "名前の短いフォルダーを対戦フォルダーにして、ケルミを起動し直してください。");
        break;
    default:
        next = again + next;
        break;
    }
    const QString headline = save ? QStringLiteral("%1 を保存できませんでした。")
                                  : QStringLiteral("%1 を削除できませんでした。");
    const QString where = save ? QStringLiteral("保存先: ") : QStringLiteral("ファイル: ");
    return QStringList {headline.arg(name), reason, next, where + playerFileForDisplay(slot)}.join(
        u'\n');
}
