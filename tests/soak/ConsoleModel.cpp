#include "ConsoleModel.h"

#include "Decoding.h"
#include "PlayerFiles.h"
#include "ReceivedText.h"

namespace {

// Indexes into the buttons: Command1..Command7.
enum Button { Port1, Port2, Abort, Save1, Save2, Delete1, Delete2 };

} // namespace

ConsoleModel::ConsoleModel(const std::optional<QByteArray> &file1,
                           const std::optional<QByteArray> &file2)
{
    m_state.files = {file1, file2};
    m_state.buttons = {true, true, false, !file1, !file2, bool(file1), bool(file2)};
}

QList<int> ConsoleModel::recordLists(int slot)
{
    return slot == 1 ? QList {1, 2, 3, 7, 8} : QList {6, 5, 4};
}

void ConsoleModel::showWaiting(bool waiting)
{
    m_state.buttons[Port1] = !waiting;
    m_state.buttons[Port2] = !waiting;
    m_state.buttons[Abort] = waiting;
}

void ConsoleModel::startReception(int slot)
{
    for (int combo : recordLists(slot).first(3)) {
        m_state.lists[combo - 1] = -1;
    }
    showWaiting(true);
    m_state.label
        = slot == 1 ? QStringLiteral("プレイヤー１受信中") : QStringLiteral("プレイヤー２受信中");
}

void ConsoleModel::completeReception(int slot, const QByteArray &bytes)
{
    showWaiting(false);
    // The bytes as the status line shows them and the rows they decode to, as the libraries
    // give them (checked in tst_receivedtext, tst_form1reception and tst_decoding).
    m_state.label = receivedText(bytes);
    const QList<int> lists = recordLists(slot);
    int &kind = m_state.lists[lists[0] - 1];
    int &character = m_state.lists[lists[1] - 1];
    int &strength = m_state.lists[lists[2] - 1];
    const ListIndexes settings = decodeTransmission(bytes, strength);
    kind = settings.deviceKind;
    character = settings.character.value_or(character);
    strength = settings.strength.value_or(strength);
}

void ConsoleModel::abort()
{
    if (!m_state.buttons[Abort]) {
        return;
    }
    showWaiting(false);
    m_state.label = QStringLiteral("受信中断");
}

std::optional<QString> ConsoleModel::save(int slot)
{
    const int saveButton = slot == 1 ? Save1 : Save2;
    if (!m_state.buttons[saveButton]) {
        return std::nullopt; // a disabled button takes no click
    }
    QList<int> record;
    for (int combo : recordLists(slot)) {
        record.append(m_state.lists[combo - 1]);
    }
    if (record.contains(-1)) {
        return QStringLiteral("データがすべて入力されていません。");
    }
    m_state.files[slot - 1] = playerFileBytes(record);
    m_state.buttons[saveButton] = false;
    m_state.buttons[slot == 1 ? Delete1 : Delete2] = true;
    return std::nullopt;
}

void ConsoleModel::remove(int slot)
{
    const int deleteButton = slot == 1 ? Delete1 : Delete2;
    if (!m_state.buttons[deleteButton]) {
        return;
    }
    m_state.files[slot - 1].reset();
    m_state.buttons[deleteButton] = false;
    m_state.buttons[slot == 1 ? Save1 : Save2] = true;
}

void ConsoleModel::pick(int combo, int row)
{
    m_state.lists[combo - 1] = row;
}

QString ConsoleModel::describe(const State &state)
{
    QString text = QStringLiteral("lists");
    for (int row : state.lists) {
        text += QLatin1Char(' ') + QString::number(row);
    }
    text += QStringLiteral(", buttons ");
    for (bool enabled : state.buttons) {
        text += enabled ? QLatin1Char('1') : QLatin1Char('0');
    }
    text += QStringLiteral(", label \"%1\"").arg(state.label);
    for (int slot = 1; slot <= 2; ++slot) {
        const auto &file = state.files[slot - 1];
        text += QStringLiteral(", ") + playerFileName(PlayerSlot(slot)) + u' '
            + (file ? QString::fromLatin1(file->toHex(' ')) : QStringLiteral("absent"));
    }
    return text;
}
