#include "ConsoleModel.h"
#include "ConsoleWindow.h"
#include "DeviceTables.h"
#include "FixedList.h"
#include "Form1.h"
#include "OperatorInput.h"
#include "PlayerFiles.h"
#include "ProcessStatusUnix.h"
#include "SerialLine.h"
#include "TransmissionMaker.h"
#include "WaitDriver.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTest>

#include <algorithm>
#include <functional>
#include <memory>

// Rows per list Combo1..Combo8.
constexpr int listRows[8] = {4, 22, 61, 61, 22, 4, 3, 2};

// A long run of random operator actions and device transmissions over real
// pseudo-terminals. After every action the window and the player data files must match
// what the test's own model of the console says, and at the end the process must hold
// no more descriptors and no more memory than after a warm-up.
class tst_Soak : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void soak();

private:
    void startConsole();
    void operatorAction(bool inWait);
    void reception(int slot, bool mayNest);
    void deliverPiece(PseudoTerminal *line, const QByteArray &piece);
    void pickInList();
    void select(int combo, int row);
    void clickFileButton(int button);
    void fillSlot(int slot);

    bool check(const QString &after);
    bool checkIdle(const QString &after);
    ConsoleModel::State consoleState() const;
    void note(const QString &action);
    bool fail(const QString &what);
    bool chance(int percent) { return int(m_random.bounded(100)) < percent; }
    int between(int low, int high) { return low + int(m_random.bounded(high - low + 1)); }
    int anyRow(int combo) { return between(0, listRows[combo - 1] - 1); }

    quint32 m_seed = 0;
    int m_target = 1000;
    QRandomGenerator m_random;
    std::unique_ptr<TransmissionMaker> m_maker;
    std::unique_ptr<ConsoleModel> m_model;

    std::unique_ptr<ConsoleWindow> m_console;

    int m_receptions = 0;
    int m_steps = 0;
    // What the run covered, for its report.
    int m_completed = 0;
    int m_aborted = 0;
    int m_nested = 0;
    int m_bursts = 0;
    int m_foreignBytes = 0;
    int m_filesWritten = 0;
    int m_filesRemoved = 0;
    int m_validationMessages = 0;
    int m_greetingsDue = 0; // "AT" CR that port 2 has to have sent since the last check
    QString m_failure; // the first mismatch; the run stops there
    QStringList m_recent; // the last actions, for the failure message
};

namespace {

// How long one reception may wait before the test gives it up as hung.
constexpr int hangMs = 10000;
// Receptions after which the memory is taken as warmed up.
constexpr int warmUpReceptions = 100;
// How far the resident set may rise after the warm-up: allocator slack, not a leak, which
// at the soak's thousand receptions would cost far more.
constexpr qint64 memoryToleranceKiB = 512;

qsizetype openDescriptors()
{
    return QDir(QStringLiteral("/proc/self/fd"))
        .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)
        .size();
}

QtMessageHandler previousHandler = nullptr;

// The offscreen platform notes on every message box that it cannot propagate size hints;
// a thousand of those would bury the soak's own report.
void quietHandler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (message.contains(QLatin1String("does not support propagateSizeHints"))) {
        return;
    }
    previousHandler(type, context, message);
}

QString fileName(int slot)
{
    return playerFileName(PlayerSlot(slot));
}

} // namespace

void tst_Soak::initTestCase()
{
    bool given = false;
    m_seed = quint32(qEnvironmentVariableIntValue("KELMI_SOAK_SEED", &given));
    if (!given) {
        m_seed = 20240611;
    }
    const int receptions = qEnvironmentVariableIntValue("KELMI_SOAK_RECEPTIONS", &given);
    if (given && receptions > 0) {
        m_target = receptions;
    }
    qInfo("soak seed %u (KELMI_SOAK_SEED), %d receptions (KELMI_SOAK_RECEPTIONS)", m_seed,
          m_target);
    m_random.seed(m_seed);
    previousHandler = qInstallMessageHandler(quietHandler);
    m_maker = std::make_unique<TransmissionMaker>(&m_random);

    m_console = std::make_unique<ConsoleWindow>();
    QVERIFY2(m_console->setUpError().isEmpty(), qPrintable(m_console->setUpError()));
}

void tst_Soak::cleanupTestCase()
{
    m_console.reset();
    qInstallMessageHandler(previousHandler);
}

void tst_Soak::startConsole()
{
    // The console may find either player data file from an earlier run.
    std::array<std::optional<QByteArray>, 2> files;
    for (int slot = 1; slot <= 2; ++slot) {
        if (chance(50)) {
            files[slot - 1]
                = playerFileBytes(slot == 1 ? QList<int> {3, 21, 60, 2, 1} : QList<int> {0, 7, 9});
            QFile file(fileName(slot));
            QVERIFY(file.open(QIODevice::WriteOnly));
            QCOMPARE(file.write(*files[slot - 1]), files[slot - 1]->size());
        }
    }
    m_model = std::make_unique<ConsoleModel>(files[0], files[1]);
    QVERIFY(m_console->showWindow());
}

void tst_Soak::soak()
{
    startConsole();
    QVERIFY(checkIdle(QStringLiteral("start-up")));
    const qsizetype descriptorsBefore = openDescriptors();
    qint64 residentAfterWarmUp = -1;

    QElapsedTimer clock;
    clock.start();
    while (m_receptions < m_target && m_failure.isEmpty()) {
        ++m_steps;
        if (chance(50)) {
            reception(between(1, 2), true);
        } else {
            operatorAction(false);
        }
        checkIdle(QStringLiteral("step %1").arg(m_steps));
        if (residentAfterWarmUp < 0 && m_receptions >= warmUpReceptions) {
            residentAfterWarmUp = processStatusKiB(0, "VmRSS");
        }
    }
    const double seconds = clock.elapsed() / 1000.0;
    QVERIFY2(m_failure.isEmpty(), qPrintable(m_failure));

    const qsizetype descriptorsAfter = openDescriptors();
    const qint64 residentAtEnd = processStatusKiB(0, "VmRSS");
    qInfo("soak: %d receptions in %d steps, %.1f s; descriptors %lld -> %lld; "
          "VmRSS after %d receptions %lld KiB, at the end %lld KiB",
          m_receptions, m_steps, seconds, qlonglong(descriptorsBefore), qlonglong(descriptorsAfter),
          warmUpReceptions, residentAfterWarmUp, residentAtEnd);
    qInfo("soak covered: %d read, %d aborted (%d with a reception nested in the abort), "
          "%d bursts over 17 bytes, %d with bytes outside ASCII; %d files written, "
          "%d removed, %d validation messages",
          m_completed, m_aborted, m_nested, m_bursts, m_foreignBytes, m_filesWritten,
          m_filesRemoved, m_validationMessages);
    QCOMPARE(descriptorsAfter, descriptorsBefore);
#if defined(__SANITIZE_ADDRESS__)
    // AddressSanitizer keeps freed memory in quarantine: the resident set says nothing.
    const bool residentSetMeaningful = false;
#else
    const bool residentSetMeaningful = true;
#endif
    if (residentSetMeaningful && m_target >= 10 * warmUpReceptions) {
        QVERIFY2(residentAtEnd <= residentAfterWarmUp + memoryToleranceKiB,
                 qPrintable(QStringLiteral("VmRSS grew from %1 KiB to %2 KiB")
                                .arg(residentAfterWarmUp)
                                .arg(residentAtEnd)));
    }
}

void tst_Soak::operatorAction(bool inWait)
{
    const int slot = between(1, 2);
    switch (m_random.bounded(4)) {
    case 0:
        if (chance(50)) {
            fillSlot(slot);
        }
        clickFileButton(3 + slot); // save
        break;
    case 1:
        clickFileButton(5 + slot); // delete
        break;
    case 2:
        for (int i = between(1, 3); i > 0; --i) {
            pickInList();
        }
        break;
    default: {
        // A click on a disabled button does nothing: the port buttons during a wait, the
        // abort button outside one. (The abort during a wait ends a reception's steps.)
        const int button = inWait ? slot : 3;
        note(QStringLiteral("click disabled Command%1").arg(button));
        QTest::mouseClick(m_console->button(button), Qt::LeftButton);
        check(QStringLiteral("a click on disabled Command%1").arg(button));
        break;
    }
    }
}

void tst_Soak::reception(int slot, bool mayNest)
{
    PseudoTerminal *line = &m_console->line(slot);
    if (mayNest && chance(10)) {
        // Line noise while the port is closed belongs to no transmission.
        const QByteArray noise = m_maker->noise(between(1, 30));
        note(QStringLiteral("noise on idle line %1: %2")
                 .arg(slot)
                 .arg(QString::fromLatin1(noise.toHex())));
        if (!line->deliver(noise)) {
            fail(QStringLiteral("noise was not delivered"));
            return;
        }
    }

    const bool completes = chance(75);
    QByteArray sent = m_maker->transmission();
    if (!completes) {
        sent.truncate(between(0, DeviceTables::minimumTransmissionLength - 1));
    }
    const QList<QByteArray> pieces = m_maker->pieces(sent);

    // What happens during the wait, one step per yield: the pieces of the transmission
    // with operator actions between them, and an abort at the end of a short one.
    QList<std::function<void()>> steps;
    for (const QByteArray &piece : pieces) {
        if (chance(30)) {
            steps.append([this] { operatorAction(true); });
        }
        steps.append([this, line, piece] { deliverPiece(line, piece); });
    }
    if (!completes) {
        if (chance(30)) {
            steps.append([this] { operatorAction(true); });
        }
        const bool nest = mayNest && chance(20);
        steps.append([this, nest] {
            note(QStringLiteral("click abort"));
            m_model->abort();
            QTest::mouseClick(m_console->button(3), Qt::LeftButton);
            if (!check(QStringLiteral("abort"))) {
                return;
            }
            if (nest) {
                ++m_nested;
                // A port click in the same yield: the new reception runs inside the
                // aborted one, which afterwards ends without reading anything.
                reception(between(1, 2), false);
            }
        });
    }

    note(QStringLiteral("click port %1, sending %2 in %3 pieces%4")
             .arg(slot)
             .arg(QString::fromLatin1(sent.toHex()))
             .arg(pieces.size())
             .arg(completes ? QString() : QStringLiteral(", then abort")));
    ++m_receptions;
    m_model->startReception(slot);
    if (slot == 2) {
        ++m_greetingsDue;
    }

    // The steps one per yield; a failure drops the rest, and a reception still waiting after
    // hangMs is given up as hung.
    WaitDriver wait(
        [this] {
            fail(QStringLiteral("the reception still waits after %1 ms").arg(hangMs));
            QTest::mouseClick(m_console->button(3), Qt::LeftButton);
        },
        hangMs);
    wait.inTurn(steps, 0, [this] { return !m_failure.isEmpty(); });

    QTest::mouseClick(m_console->button(slot), Qt::LeftButton);

    if (!m_failure.isEmpty()) {
        return;
    }
    if (wait.stepsRun() != steps.size()) {
        fail(QStringLiteral("the reception ended after %1 of its %2 steps")
                 .arg(wait.stepsRun())
                 .arg(steps.size()));
        return;
    }
    if (completes) {
        m_model->completeReception(slot, sent);
        ++m_completed;
        m_bursts += sent.size() > DeviceTables::minimumTransmissionLength ? 1 : 0;
        m_foreignBytes += std::any_of(sent.begin(), sent.end(), [](char c) { return c & 0x80; });
    } else {
        ++m_aborted;
    }
    check(QStringLiteral("the reception on port %1").arg(slot));
}

void tst_Soak::deliverPiece(PseudoTerminal *line, const QByteArray &piece)
{
    if (!line->deliver(piece)) {
        fail(QStringLiteral("a piece was not delivered"));
        return;
    }
    // Fewer than 17 bytes so far, or the last piece: either way the console still waits
    // until this step returns.
    check(QStringLiteral("a piece of %1 bytes").arg(piece.size()));
}

void tst_Soak::pickInList()
{
    const int combo = between(1, 8);
    FixedList *list = m_console->list(combo);
    switch (m_random.bounded(6)) {
    case 0: {
        // Typing, even a row's own text and Enter, leaves the list without a selection.
        const QString text = combo == 3 || combo == 4 ? QString::number(between(0, 60))
                                                      : QStringLiteral("x%1").arg(between(0, 9));
        note(QStringLiteral("type \"%1\" into Combo%2").arg(text).arg(combo));
        QTest::keyClicks(list->lineEdit(), text);
        QTest::keyClick(list->lineEdit(), Qt::Key_Return);
        m_model->pick(combo, -1);
        break;
    }
    case 1:
        select(combo, -1);
        break;
    default:
        select(combo, anyRow(combo));
        break;
    }
    check(QStringLiteral("a list pick"));
}

// Picks a row in the list, or clears it (-1).
void tst_Soak::select(int combo, int row)
{
    note(row < 0 ? QStringLiteral("clear Combo%1").arg(combo)
                 : QStringLiteral("pick row %1 in Combo%2").arg(row).arg(combo));
    m_console->list(combo)->setListIndex(row);
    m_model->pick(combo, row);
}

void tst_Soak::fillSlot(int slot)
{
    for (int combo : ConsoleModel::recordLists(slot)) {
        select(combo, anyRow(combo));
    }
}

// A click on a save or delete button (Command4..Command7), which shows the message that the
// model says, if any.
void tst_Soak::clickFileButton(int button)
{
    const bool save = button <= 5;
    const int slot = button - (save ? 3 : 5);
    const QString what = (save ? QStringLiteral("save %1") : QStringLiteral("delete %1")).arg(slot);
    note(QStringLiteral("click ") + what);
    const bool enabled = m_model->buttonEnabled(button);
    std::optional<QString> expected;
    if (save) {
        expected = m_model->save(slot);
        m_validationMessages += expected ? 1 : 0;
        m_filesWritten += enabled && !expected ? 1 : 0;
    } else {
        m_model->remove(slot);
        m_filesRemoved += enabled ? 1 : 0;
    }
    const std::optional<ShownMessage> shown = clickAndAnswer(m_console->button(button));
    if (shown.has_value() != expected.has_value() || (shown && shown->text != *expected)) {
        fail(QStringLiteral("%1 showed \"%2\", expected \"%3\"")
                 .arg(what, shown ? shown->text : QStringLiteral("no message"),
                      expected ? *expected : QStringLiteral("no message")));
        return;
    }
    check(what);
}

ConsoleModel::State tst_Soak::consoleState() const
{
    ConsoleModel::State state;
    const QList<int> lists = m_console->listIndexes();
    std::copy(lists.begin(), lists.end(), state.lists.begin());
    for (int n = 1; n <= 7; ++n) {
        state.buttons[n - 1] = m_console->button(n)->isEnabled();
    }
    // The whole text, which the tooltip shows on lines of its own width (received text holds
    // no line break of its own: it shows as ␊).
    state.label = m_console->label(7)->toolTip().remove(u'\n');
    for (int slot = 1; slot <= 2; ++slot) {
        QFile file(fileName(slot));
        if (QFileInfo(file).isFile() && file.open(QIODevice::ReadOnly)) {
            state.files[slot - 1] = file.readAll();
        } else if (QFileInfo::exists(file.fileName())) {
            state.files[slot - 1] = QByteArray("(not a readable file)");
        }
    }
    return state;
}

bool tst_Soak::check(const QString &after)
{
    if (!m_failure.isEmpty()) {
        return false;
    }
    const ConsoleModel::State shown = consoleState();
    if (const QString problem = m_console->statusProblem(); !problem.isEmpty()) {
        return fail(QStringLiteral("after %1 the status line shows %2").arg(after, problem));
    }
    if (shown == m_model->state()) {
        return true;
    }
    return fail(
        QStringLiteral("after %1:\n  console %2\n  model   %3")
            .arg(after, ConsoleModel::describe(shown), ConsoleModel::describe(m_model->state())));
}

bool tst_Soak::checkIdle(const QString &after)
{
    if (!check(after)) {
        return false;
    }
    if (m_console->port()->isOpen()) {
        return fail(QStringLiteral("the port is still open after %1").arg(after));
    }
    // Port 2 greets its device once per reception; port 1 sends nothing.
    const QByteArray greetings = QByteArray("AT\r").repeated(m_greetingsDue);
    QByteArray sent2
        = m_console->line(2).waitForBytes(greetings.size(), greetings.isEmpty() ? 0 : 1000);
    sent2 += m_console->line(2).readAvailable();
    const QByteArray sent1 = m_console->line(1).readAvailable();
    m_greetingsDue = 0;
    if (sent2 != greetings || !sent1.isEmpty()) {
        return fail(QStringLiteral("after %1 port 1 sent \"%2\" and port 2 \"%3\"")
                        .arg(after, QString::fromLatin1(sent1.toPercentEncoding()),
                             QString::fromLatin1(sent2.toPercentEncoding())));
    }
    return true;
}

void tst_Soak::note(const QString &action)
{
    m_recent.append(QStringLiteral("%1: %2").arg(m_steps).arg(action));
    if (m_recent.size() > 30) {
        m_recent.removeFirst();
    }
}

bool tst_Soak::fail(const QString &what)
{
    if (m_failure.isEmpty()) {
        m_failure = QStringLiteral("seed %1, step %2, reception %3: %4\nlast actions:\n  %5")
                        .arg(m_seed)
                        .arg(m_steps)
                        .arg(m_receptions)
                        .arg(what, m_recent.join(QStringLiteral("\n  ")));
    }
    return false;
}

QTEST_MAIN(tst_Soak)
#include "tst_soak.moc"
