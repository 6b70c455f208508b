#include "PortMessages.h"

QString portLabel(PlayerSlot slot)
{
    return slotFacts(slot).portLabel.toString();
}

QString lineLostMessage(PlayerSlot slot, const SystemError &error)
{
    return QStringLiteral("%1の受信が途切れました: %2").arg(portLabel(slot), operatorReason(error));
}

QString PortMessage::missing(PlayerSlot slot, const QString &path, const QString &where)
{
    return QStringLiteral("%1が見つかりません: %2\n").arg(portLabel(slot), path)
        + QStringLiteral("ケーブルやアダプターの接続と、%1を確かめてください。").arg(where);
}

QString PortMessage::held(PlayerSlot slot, const QString &path, const QString &holder)
{
    const QString port = portLabel(slot);
    return QStringLiteral("%1は他のプログラムが使用中です: %2").arg(port, path)
        + (holder.isEmpty() ? QString() : QStringLiteral("（%1）").arg(holder))
        + QStringLiteral("\nそのプログラムを終了してから、もう一度「%1」を押してください。")
              .arg(port);
}

QString PortMessage::notOpened(PlayerSlot slot, const QString &path, const SystemError &error)
{
    return QStringLiteral("%1を開けません: %2: %3")
        .arg(portLabel(slot), path, operatorReason(error));
}
