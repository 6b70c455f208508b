#include "PortFailureText.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

QByteArray portFailureLine(const PortFailure &failure)
{
    const QJsonObject fields {
        {QStringLiteral("kind"), failure.kind},
        {QStringLiteral("slot"), int(failure.slot)},
        {QStringLiteral("device"), failure.device},
        {QStringLiteral("configured"), failure.configured},
        {QStringLiteral("errorKind"), failure.error.kind},
        {QStringLiteral("errorCode"), failure.error.code},
        {QStringLiteral("errorText"), failure.error.text},
        {QStringLiteral("holderProgram"), failure.holderProgram},
        {QStringLiteral("holderPid"), failure.holderPid},
        {QStringLiteral("user"), failure.user},
        {QStringLiteral("group"), failure.group},
        {QStringLiteral("groupMayUse"), failure.groupMayUse},
        {QStringLiteral("presentPorts"), QJsonArray::fromStringList(failure.presentPorts)},
    };
    return QJsonDocument(fields).toJson(QJsonDocument::Compact);
}

std::optional<PortFailure> portFailureFromLine(const QByteArray &line)
{
    const QJsonDocument document = QJsonDocument::fromJson(line);
    if (!document.isObject()) {
        return std::nullopt;
    }
    const QJsonObject fields = document.object();
    const auto text = [&](const char *name) {
        return fields.value(QLatin1String(name)).toString();
    };
    const auto number = [&](const char *name) {
        return fields.value(QLatin1String(name)).toInteger();
    };
    PortFailure failure;
    failure.kind = PortFailure::Kind(number("kind"));
    failure.slot = PlayerSlot(number("slot"));
    failure.device = text("device");
    failure.configured = fields.value(QLatin1String("configured")).toBool();
    failure.error
        = {SystemError::Kind(number("errorKind")), int(number("errorCode")), text("errorText")};
    failure.holderProgram = text("holderProgram");
    failure.holderPid = number("holderPid");
    failure.user = text("user");
    failure.group = text("group");
    failure.groupMayUse = fields.value(QLatin1String("groupMayUse")).toBool();
    for (const QJsonValue port : fields.value(QLatin1String("presentPorts")).toArray()) {
        failure.presentPorts += port.toString();
    }
    return failure;
}

char *toString(const PortFailure &failure)
{
    return qstrdup(portFailureLine(failure).constData());
}
