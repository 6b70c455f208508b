#include "ConsoleWindow.h"
#include "Examples.h"
#include "FileFaults.h"
#include "FixedList.h"
#include "Form1.h"
#include "OperatorInput.h"
#include "OperatorMessages.h"
#include "ScratchDirectory.h"
#include "StartUp.h"
#include "TextLines.h"

#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGlyphRun>
#include <QGroupBox>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProxyStyle>
#include <QPushButton>
#include <QScopeGuard>
#include <QStyleOptionGroupBox>
#include <QTest>
#include <QTextLayout>

#include <optional>

#include <clocale>
#ifdef Q_OS_UNIX
#include <cstdio>
#endif

// The window as the operator meets it: its controls, start-up state, and the save and
// delete buttons, each case in a fresh working directory.
class tst_Form1 : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void controls_data();
    void controls();
    void listRows();
    void framesDrawTheirCaptionInTheBorder();
    void fontsAndColours();
    void toolTipsNameFilesAndDevices();
    void qtTextsInJapanese();
    void tabOrder();
    void windowTitleAndFixedSize();
    void startUp_data();
    void startUp();
    void saveNeedsEverySelection_data();
    void saveNeedsEverySelection();
    void saveWritesTheExample_data();
    void saveWritesTheExample();
    void saveAndDeleteTouchOnlyTheirSlot();
    void fileFailureKeepsButtonsAndFile_data();
    void fileFailureKeepsButtonsAndFile();
    void deleteOfVanishedFile();
    void folderOfAnyName_data();
    void folderOfAnyName();
    void keyboardStory_data();
    void keyboardStory();

private:
    void startWindow();
    // No pseudo-terminals: these cases receive nothing, and a port's device is what the
    // environment names.
    std::optional<ConsoleWindow> m_console;
};

namespace {
QString accessibleName(QWidget *widget)
{
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(widget);
    return accessible ? accessible->text(QAccessible::Name) : QString();
}

// Dialog buttons with icons, as some desktops' platform themes have them.
class ButtonIconsStyle : public QProxyStyle
{
public:
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returnData) const override
    {
        return hint == SH_DialogButtonBox_ButtonsHaveIcons
            ? 1
            : QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};
} // namespace

void tst_Form1::initTestCase()
{
    QApplication::setStyle(new ButtonIconsStyle);
}

void tst_Form1::init()
{
    m_console.emplace(ConsoleWindow::Ports::AsNamed);
    QVERIFY2(m_console->setUpError().isEmpty(), qPrintable(m_console->setUpError()));
}

void tst_Form1::cleanup()
{
    m_console.reset();
}

void tst_Form1::startWindow()
{
    QVERIFY(m_console->showWindow());
}

void tst_Form1::controls_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QString>("caption"); // a list's is its label's, which names it
    QTest::addColumn<QRect>("geometry"); // pixels: twips / 15

    const auto row = [](const char *name, const char *parent, const QString &caption, int left,
                        int top, int width, int height) {
        QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(parent) << caption
                            << QRect(left / 15, top / 15, width / 15, height / 15);
    };
    row("Frame1", "Form1", QStringLiteral("受信"), 360, 120, 4575, 1335);
    row("Frame2", "Form1", QStringLiteral("プレイヤー１"), 360, 1560, 2175, 4695);
    row("Frame3", "Form1", QStringLiteral("プレイヤー２"), 2640, 1560, 2175, 4695);
    row("Command1", "Frame1", QStringLiteral("ポート１"), 360, 360, 1095, 495);
    row("Command2", "Frame1", QStringLiteral("ポート２"), 1680, 360, 1095, 495);
    row("Command3", "Frame1", QStringLiteral("中断"), 3360, 360, 855, 495);
    row("Label7", "Frame1", QString(), 360, 960, 3855, 255);
    row("Label1", "Frame2", QStringLiteral("ケルミの種類"), 120, 240, 1215, 375);
    row("Combo1", "Frame2", QStringLiteral("ケルミの種類"), 240, 480, 1815, 300);
    row("Label2", "Frame2", QStringLiteral("ケルミ名"), 120, 960, 1215, 375);
    row("Combo2", "Frame2", QStringLiteral("ケルミ名"), 240, 1200, 1815, 300);
    row("Label3", "Frame2", QStringLiteral("ケルミの強さ"), 120, 1560, 1575, 255);
    row("Combo3", "Frame2", QStringLiteral("ケルミの強さ"), 240, 1800, 1815, 300);
    row("Label8", "Frame2", QStringLiteral("背景"), 120, 2160, 1095, 255);
    row("Combo7", "Frame2", QStringLiteral("背景"), 240, 2400, 1815, 300);
    row("Label9", "Frame2", QStringLiteral("ＢＧＭ"), 120, 2760, 1215, 255);
    row("Combo8", "Frame2", QStringLiteral("ＢＧＭ"), 240, 3000, 1815, 300);
    row("Command4", "Frame2", QStringLiteral("データ１送信"), 120, 3480, 1935, 495);
    row("Command6", "Frame2", QStringLiteral("送信データの削除"), 120, 4080, 1935, 495);
    row("Label6", "Frame3", QStringLiteral("ケルミの種類"), 120, 240, 1215, 375);
    row("Combo6", "Frame3", QStringLiteral("ケルミの種類"), 240, 480, 1815, 300);
    row("Label5", "Frame3", QStringLiteral("ケルミ名"), 120, 960, 1215, 375);
    row("Combo5", "Frame3", QStringLiteral("ケルミ名"), 240, 1200, 1815, 300);
    row("Label4", "Frame3", QStringLiteral("ケルミの強さ"), 120, 1560, 1575, 255);
    row("Combo4", "Frame3", QStringLiteral("ケルミの強さ"), 240, 1800, 1815, 300);
    row("Command5", "Frame3", QStringLiteral("データ２送信"), 120, 3480, 1935, 495);
    row("Command7", "Frame3", QStringLiteral("送信データの削除"), 120, 4080, 1935, 495);
}

void tst_Form1::controls()
{
    QFETCH(QString, name);
    QFETCH(QString, parent);
    QFETCH(QString, caption);
    QFETCH(QRect, geometry);

    startWindow();
    const QList<QWidget *> found = m_console->form()->findChildren<QWidget *>(name);
    QCOMPARE(found.size(), 1);
    QWidget *control = found.first();
    QCOMPARE(control->parentWidget()->objectName(), parent);
    QCOMPARE(control->geometry(), geometry);
    QVERIFY(control->isVisible());

    if (auto *frame = qobject_cast<QGroupBox *>(control)) {
        QCOMPARE(frame->title(), caption);
    } else if (auto *button = qobject_cast<QPushButton *>(control)) {
        QCOMPARE(button->text(), caption);
        QCOMPARE(accessibleName(button), caption);
    } else if (auto *label = qobject_cast<QLabel *>(control)) {
        QCOMPARE(label->text(), caption);
    } else {
        auto *list = qobject_cast<FixedList *>(control);
        QVERIFY(list);
        QCOMPARE(list->listIndex(), -1);
        QCOMPARE(list->currentText(), QString());
        // What a screen reader says for the list.
        QCOMPARE(accessibleName(list), caption);
    }
}

void tst_Form1::listRows()
{
    startWindow();
    const auto rows = [this](int n) {
        QStringList texts;
        for (int i = 0; i < m_console->list(n)->count(); ++i) {
            texts += m_console->list(n)->itemText(i);
        }
        return texts;
    };

    const QStringList kinds {QStringLiteral("旧ケルミ"), QStringLiteral("ルクサム"),
                             QStringLiteral("トレモア"), QStringLiteral("ヴェスカ")};
    QCOMPARE(rows(1), kinds);
    QCOMPARE(rows(6), kinds);
    m_console->list(1)->setListIndex(3);
    QCOMPARE(m_console->list(1)->currentText(), QStringLiteral("ヴェスカ"));

    QCOMPARE(rows(2).size(), 22);
    QCOMPARE(rows(5), rows(2));
    const QStringList characters = rows(2);
    QCOMPARE(QSet<QString>(characters.begin(), characters.end()).size(), 22);

    QCOMPARE(rows(3).size(), 61);
    QCOMPARE(rows(4), rows(3));
    for (int n = 0; n <= 60; ++n) {
        QCOMPARE(rows(3).at(n), QString::number(n));
    }
    m_console->list(3)->setListIndex(61);
    QCOMPARE(m_console->list(3)->listIndex(), -1);
    m_console->list(3)->setListIndex(60);
    QCOMPARE(m_console->list(3)->currentText(), QStringLiteral("60"));

    QCOMPARE(
        rows(7),
        (QStringList {QStringLiteral("通常"), QStringLiteral("準決勝"), QStringLiteral("決勝")}));
    QCOMPARE(rows(8), (QStringList {QStringLiteral("ＢＧＭあり"), QStringLiteral("ＢＧＭなし")}));
    // Background and BGM exist once, in player 1's frame.
    QCOMPARE(m_console->form()->findChildren<FixedList *>().size(), 8);
}

// The border line, where the frame's style reports it and where it is drawn, runs through the
// caption and lies above every control of the frame, and the caption clears them.
void tst_Form1::framesDrawTheirCaptionInTheBorder()
{
    startWindow();
    for (int n = 1; n <= 3; ++n) {
        auto *frame = m_console->form()->findChild<QGroupBox *>(QStringLiteral("Frame%1").arg(n));
        QStyleOptionGroupBox option;
        option.initFrom(frame);
        option.text = frame->title();
        option.textAlignment = frame->alignment();
        option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
        const QStyle *style = frame->style();
        const QRect border
            = style->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxFrame, frame);
        const QRect caption
            = style->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, frame);

        // The top border's rows, in a column right of the caption, drawn without the controls.
        QImage drawn(frame->size(), QImage::Format_RGB32);
        drawn.fill(frame->palette().color(QPalette::Window));
        frame->render(&drawn, QPoint(), QRegion(), QWidget::DrawWindowBackground);
        const int x = frame->width() - 4;
        const QRgb background = drawn.pixel(x, frame->height() / 2);
        QList<int> lineRows;
        for (int y = 0; y < frame->height() / 2; ++y) {
            if (drawn.pixel(x, y) != background) {
                lineRows += y;
            }
        }
        QVERIFY2(!lineRows.isEmpty(), qPrintable(frame->objectName()));
        QCOMPARE(lineRows.first(), border.top());
        QVERIFY2(caption.top() < lineRows.first() && lineRows.last() < caption.bottom(),
                 qPrintable(frame->objectName()));
        // ...with a gap for it: no line behind the caption's trailing space.
        QCOMPARE(drawn.pixel(caption.right(), lineRows.first()), background);

        const QList<QWidget *> controls
            = frame->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
        QVERIFY(controls.size() >= 4);
        for (const QWidget *control : controls) {
            const QString what = frame->objectName() + QLatin1Char(' ') + control->objectName();
            QVERIFY2(control->y() > lineRows.last(), qPrintable(what));
            QVERIFY2(!caption.intersects(control->geometry()), qPrintable(what));
        }
    }
}

void tst_Form1::fontsAndColours()
{
    startWindow();
    for (int n : {6, 7}) {
        const QFont font = m_console->button(n)->font();
        QCOMPARE(font.family(), QStringLiteral("ＭＳ Ｐゴシック"));
        QCOMPARE(font.pointSizeF(), 9.75);
        QCOMPARE(font.weight(), QFont::Bold);
#ifdef Q_OS_WIN
        // Windows has the family itself: nothing stands in for it.
        QCOMPARE(QFont::substitutes(font.family()), QStringList());
#else
        // The family is drawn with its metric twin on Linux.
        QCOMPARE(QFontInfo(font).family(), QStringLiteral("IPAPGothic"));
#endif
    }
    QCOMPARE(m_console->button(4)->font().weight(), QFont::Normal);

    const QLabel *status = m_console->label(7);
    QVERIFY(status->autoFillBackground());
    QCOMPARE(status->textFormat(), Qt::PlainText);
    // Its one line at the top.
    QCOMPARE(status->alignment(), Qt::AlignLeft | Qt::AlignTop);
    QCOMPARE(status->palette().color(QPalette::Window),
             m_console->form()->palette().color(QPalette::Dark));
    QCOMPARE(status->palette().color(QPalette::WindowText),
             m_console->form()->palette().color(QPalette::HighlightedText));
    // Some installed font draws the symbols it shows for control characters (glyph 0: none).
    QTextLayout symbols(QStringLiteral("␍␊␀␡"), status->font());
    symbols.beginLayout();
    symbols.createLine();
    symbols.endLayout();
    for (const QGlyphRun &run : symbols.glyphRuns()) {
        QVERIFY2(!run.glyphIndexes().contains(0), qPrintable(run.rawFont().familyName()));
    }
}

void tst_Form1::toolTipsNameFilesAndDevices()
{
    qputenv("KELMI_PORT1", "/dev/ttyUSB7");
    qunsetenv("KELMI_PORT2");
    startWindow();
    qunsetenv("KELMI_PORT1");

    const QString directory = QDir::toNativeSeparators(QDir::currentPath() + QLatin1Char('/'));
#ifdef Q_OS_WIN
    const QString port2 = QStringLiteral("COM2");
#else
    const QString port2 = QStringLiteral("/dev/ttyS1");
#endif
    QStringList expected {portToolTip(PlayerSlot::One, {QStringLiteral("/dev/ttyUSB7"), true}),
                          portToolTip(PlayerSlot::Two, {port2, false})};
    for (const QString &what : {QStringLiteral("保存先: "), QStringLiteral("削除するファイル: ")}) {
        for (const PlayerSlot slot : {PlayerSlot::One, PlayerSlot::Two}) {
            expected += brokenLines(what + directory + playerFileName(slot));
        }
    }
    QStringList tips;
    for (int n : {1, 2, 4, 5, 6, 7}) {
        tips += m_console->button(n)->toolTip();
    }
    QCOMPARE(tips, expected);
    QVERIFY(QDir::isAbsolutePath(directory));
}

// The catalogues main() installs give Qt's own menus Japanese texts.
void tst_Form1::qtTextsInJapanese()
{
    startWindow();
    QObject translations;
    QVERIFY(installQtTranslations(&translations));
    const std::unique_ptr<QMenu> menu(m_console->list(2)->lineEdit()->createStandardContextMenu());
    QStringList texts;
    for (const QAction *action : menu->actions()) {
        if (!action->isSeparator()) {
            texts += action->text();
        }
    }
    QCOMPARE(texts.size(), 7);
    for (const QString &text : texts) {
        // Kana and kanji, as against "&Undo", "Cu&t" and the like.
        const bool japanese = std::any_of(text.begin(), text.end(), [](QChar c) {
            return c.unicode() >= 0x3040 && c.unicode() <= 0x9FFF;
        });
        QVERIFY2(japanese, qPrintable(texts.join(QLatin1String(", "))));
    }
}

void tst_Form1::tabOrder()
{
    startWindow();
    QCOMPARE(m_console->focus(), QStringLiteral("Command1"));

    // Command3 is disabled at start-up; Command6 and Command7 too without player files.
    // Moved by Tab, the focus is drawn.
    const QStringList expected {
        QStringLiteral("Command2*"), QStringLiteral("Combo1*"),   QStringLiteral("Combo2*"),
        QStringLiteral("Combo3*"),   QStringLiteral("Combo4*"),   QStringLiteral("Combo5*"),
        QStringLiteral("Combo6*"),   QStringLiteral("Command4*"), QStringLiteral("Command5*"),
        QStringLiteral("Combo7*"),   QStringLiteral("Combo8*"),   QStringLiteral("Command1*")};
    QStringList visited;
    for (qsizetype i = 0; i < expected.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited += m_console->focus();
    }
    QCOMPARE(visited, expected);
}

void tst_Form1::windowTitleAndFixedSize()
{
    startWindow();
    QCOMPARE(m_console->form()->objectName(), QStringLiteral("Form1"));
    QCOMPARE(m_console->form()->windowTitle(), QStringLiteral("ケルミ"));
    QCOMPARE(m_console->form()->size(), QSize(344, 430));
    QCOMPARE(maximiseProblem(m_console->form()), QString());
}

// Which names count as a player file is tst_playerfiles' (presence); here the buttons show
// what that says, even of a player1.dat that no listing of ordinary files shows.
void tst_Form1::startUp_data()
{
    QTest::addColumn<QStringList>("made"); // in the working folder, as makeEntries() names them
    QTest::addColumn<QString>("buttons"); // Command1..Command7 enabled

    const QString one = QStringLiteral("player1.dat");
    const QString two = QStringLiteral("player2.dat");
    QTest::newRow("no file") << QStringList() << "1101100";
    QTest::newRow("only player2.dat") << QStringList {two} << "1101001";
    QTest::newRow("both files") << QStringList {one, two} << "1100011";
    QTest::newRow("directory named player1.dat") << QStringList {one + u'/'} << "1101100";
}

void tst_Form1::startUp()
{
    QFETCH(QStringList, made);
    QFETCH(QString, buttons);

    QVERIFY(makeEntries(made));
    startWindow();
    QCOMPARE(m_console->buttonStates(), buttons);
    QCOMPARE(m_console->label(7)->text(), QString());
    for (int n = 1; n <= 8; ++n) {
        QCOMPARE(m_console->list(n)->listIndex(), -1);
        QCOMPARE(m_console->list(n)->currentText(), QString());
    }
}

void tst_Form1::saveNeedsEverySelection_data()
{
    QTest::addColumn<int>("saveButton");
    QTest::addColumn<int>("unset"); // the list left without a selection

    for (int list : {1, 2, 3, 7, 8}) {
        QTest::addRow("slot 1 without Combo%d", list) << 4 << list;
    }
    for (int list : {4, 5, 6}) {
        QTest::addRow("slot 2 without Combo%d", list) << 5 << list;
    }
}

void tst_Form1::saveNeedsEverySelection()
{
    QFETCH(int, saveButton);
    QFETCH(int, unset);

    startWindow();
    for (int n = 1; n <= 8; ++n) {
        m_console->list(n)->setListIndex(n == unset ? -1 : 1);
    }
    const QString before = m_console->buttonStates();

    const std::optional<ShownMessage> shown = clickAndAnswer(m_console->button(saveButton));
    QVERIFY(shown);
    QCOMPARE(shown->text, QStringLiteral("データがすべて入力されていません。"));
    QCOMPARE(shown->title, QStringLiteral("ケルミ"));
    QCOMPARE(shown->icon, QMessageBox::NoIcon);
    QCOMPARE(shown->buttonCount, 1);
    QVERIFY(!shown->buttonIcons);
    QCOMPARE(shown->maximiseProblem, QString());
    QCOMPARE(shown->font, m_console->form()->font());
    QCOMPARE(m_console->buttonStates(), before);
    QCOMPARE(QDir::current().entryList(QDir::Files | QDir::Hidden), QStringList());
}

void tst_Form1::saveWritesTheExample_data()
{
    QTest::addColumn<QByteArray>("example"); // the name of a player file of Examples.h
    for (const ExampleFile &example : exampleFiles()) {
        QTest::newRow(example.name) << QByteArray(example.name);
    }
}

// Only the slot's own lists picked (slot 2 has no background and BGM): its save writes the
// record, and after a delete the next save writes it again.
void tst_Form1::saveWritesTheExample()
{
    QFETCH(QByteArray, example);
    const ExampleFile &file = exampleFile(example.constData());
    const bool one = file.slot == PlayerSlot::One;

    startWindow();
    // The slot's lists in the record's order: device kind, character, strength (background, BGM).
    const QList<int> lists = one ? QList {1, 2, 3, 7, 8} : QList {6, 5, 4};
    for (qsizetype i = 0; i < lists.size(); ++i) {
        m_console->list(lists.at(i))->setListIndex(file.record.at(i));
    }
    QPushButton *save = m_console->button(one ? 4 : 5);
    const QString name = playerFileName(file.slot);
    QCOMPARE(clickAndAnswer(save), std::nullopt);
    QCOMPARE(readFile(name), file.bytes);
    QCOMPARE(QDir::current().entryList(QDir::Files), QStringList {name});

    QCOMPARE(clickAndAnswer(m_console->button(one ? 6 : 7)), std::nullopt);
    QVERIFY(!QFile::exists(name));
    QCOMPARE(clickAndAnswer(save), std::nullopt);
    QCOMPARE(readFile(name), file.bytes);
}

void tst_Form1::saveAndDeleteTouchOnlyTheirSlot()
{
    startWindow();
    m_console->selectInEveryList(1);
    QCOMPARE(m_console->buttonStates(), QStringLiteral("1101100"));

    QCOMPARE(clickAndAnswer(m_console->button(4)), std::nullopt);
    QCOMPARE(m_console->buttonStates(), QStringLiteral("1100110"));
    QCOMPARE(clickAndAnswer(m_console->button(5)), std::nullopt);
    QCOMPARE(m_console->buttonStates(), QStringLiteral("1100011"));
    // Background and BGM are picked, yet only player 1's file carries them.
    QCOMPARE(
        readFile(QStringLiteral("player2.dat")),
        QByteArray(" 1 \r\n 1 \r\n 1 \r\n\x83\x5F\x83\x7E\x81\x5B\x83\x66\x81\x5B\x83\x5E\r\n"));
    QCOMPARE(clickAndAnswer(m_console->button(6)), std::nullopt);
    QCOMPARE(m_console->buttonStates(), QStringLiteral("1101001"));
    QVERIFY(!QFile::exists(QStringLiteral("player1.dat")));
    QVERIFY(QFile::exists(QStringLiteral("player2.dat")));
    QCOMPARE(clickAndAnswer(m_console->button(7)), std::nullopt);
    QCOMPARE(m_console->buttonStates(), QStringLiteral("1101100"));
    QVERIFY(!QFile::exists(QStringLiteral("player2.dat")));
    // Saving and deleting leave every list as it was.
    QCOMPARE(m_console->listIndexes(), QList<int>(8, 1));
}

namespace {
const QByteArray earlierRecord = QByteArrayLiteral("earlier record, longer than a new one\r\n");
}

void tst_Form1::fileFailureKeepsButtonsAndFile_data()
{
    QTest::addColumn<FileOperation>("operation");
    QTest::addColumn<FileFault>("fault");
    QTest::addColumn<bool>("earlierFile"); // the slot's file, which must stay as it was
    QTest::addColumn<SystemError::Kind>("kind"); // of the failure the message tells

    using enum FileFault;
    using Kind = SystemError::Kind;
    const auto save = [](const char *name, FileFault fault, bool earlierFile, Kind kind) {
        QTest::addRow("save, %s", name) << FileOperation::Save << fault << earlierFile << kind;
    };
    // A delete has a file to delete.
    const auto remove = [](const char *name, FileFault fault, Kind kind) {
        QTest::addRow("delete, %s", name) << FileOperation::Delete << fault << true << kind;
    };
    save("directory in the name", DirectoryInName, false, Kind::IsFolder);
    save("file-size limit", FileSizeLimit, false, Kind::FileTooLarge);
    save("file-size limit, earlier file", FileSizeLimit, true, Kind::FileTooLarge);
    save("full file system", FullFileSystem, false, Kind::DiskFull);
    save("full file system, earlier file", FullFileSystem, true, Kind::DiskFull);
    save("read-only file system, earlier file", ReadOnlyFileSystem, true, Kind::ReadOnlyDisk);
    remove("read-only file system", ReadOnlyFileSystem, Kind::ReadOnlyDisk);
    save("file that cannot be replaced", ImmutableFile, true, Kind::NotPermitted);
    remove("file that cannot be removed", ImmutableFile, Kind::NotPermitted);
    save("read-only file, the console run by another user", ReadOnlyFile, true, Kind::ReadOnlyFile);
    remove("read-only file, the console run by another user", ReadOnlyFile, Kind::ReadOnlyFile);
    save("file held open by the match program", HeldByAnotherProcess, true, Kind::Busy);
    remove("file held open by the match program", HeldByAnotherProcess, Kind::Busy);
#ifdef Q_OS_UNIX
    save("folder of another user", FolderOfAnotherUser, false, Kind::AccessDenied);
    remove("folder of another user", FolderOfAnotherUser, Kind::AccessDenied);
    save("sync finds no space, earlier file", SyncNoSpace, true, Kind::DiskFull);
    save("sync meets an input/output error, earlier file", SyncIoError, true, Kind::IoError);
    save("working folder removed", WorkingFolderRemoved, false, Kind::FolderGone);
#endif
}

// A save (slot 1) or delete (slot 2) that fails tells why, and leaves the buttons, the folder
// and the file as they were; once the fault is gone, the same click does it.
void tst_Form1::fileFailureKeepsButtonsAndFile()
{
    QFETCH(FileOperation, operation);
    QFETCH(FileFault, fault);
    QFETCH(bool, earlierFile);
    QFETCH(SystemError::Kind, kind);

    InjectedFileFault injected(fault);
    if (!injected.skipReason().isEmpty()) {
        QSKIP(qPrintable(injected.skipReason()));
    }
    const bool save = operation == FileOperation::Save;
    const PlayerSlot slot = save ? PlayerSlot::One : PlayerSlot::Two;
    const QString name = playerFileName(slot);
    const auto writeEarlier = [&] {
        QFile earlier(name);
        return earlier.open(QIODevice::WriteOnly) && earlier.write(earlierRecord) > 0;
    };
    // The file that a delete removes is there at start-up; the one that a save replaces comes
    // later, or the slot's save button would be off.
    if (earlierFile && !save) {
        QVERIFY(writeEarlier());
    }
    startWindow();
    m_console->selectInEveryList(0);
    if (earlierFile && save) {
        QVERIFY(writeEarlier());
    }
    QPushButton *button = m_console->button(save ? 4 : 7);
    const QString buttons = m_console->buttonStates();
    QVERIFY2(injected.inject(name), qPrintable(injected.errorString()));
    const QStringList before = QDir::current().entryList(QDir::AllEntries | QDir::Hidden);

    const std::optional<ShownMessage> shown = clickAndAnswer(button);
    QVERIFY(shown);
    QCOMPARE(shown->text, fileFailureMessage(operation, slot, SystemError::of(kind)));
    QCOMPARE(shown->icon, QMessageBox::Warning);
    QCOMPARE(m_console->buttonStates(), buttons);
    // Nothing half-written or removed: no temporary file, an earlier file exactly as it was
    // (read once the fault is gone: a file held without sharing cannot even be read meanwhile).
    QCOMPARE(QDir::current().entryList(QDir::AllEntries | QDir::Hidden), before);
    QVERIFY2(injected.lift(), qPrintable(injected.errorString()));
    if (earlierFile) {
        QCOMPARE(readFile(name), earlierRecord);
    }
    QCOMPARE(clickAndAnswer(button), std::nullopt);
    QCOMPARE(m_console->buttonStates(),
             save ? QStringLiteral("1100110") : QStringLiteral("1101100"));
    QCOMPARE(readFile(name), save ? playerFileBytes({0, 0, 0, 0, 0}) : QByteArray());
    QCOMPARE(QFile::exists(name), save);
}

void tst_Form1::deleteOfVanishedFile()
{
    QVERIFY(makeEntries({QStringLiteral("player1.dat"), QStringLiteral("player2.dat")}));
    startWindow();

    // The match program took the file meanwhile: the operator's goal holds.
    QVERIFY(QFile::remove(QStringLiteral("player1.dat")));
    QCOMPARE(clickAndAnswer(m_console->button(6)), std::nullopt);
    QCOMPARE(m_console->buttonStates(), QStringLiteral("1101001"));

    // A delete that really fails is reported and keeps the slot saved.
    QVERIFY(QFile::remove(QStringLiteral("player2.dat")));
    QVERIFY(QDir().mkdir(QStringLiteral("player2.dat")));
    const std::optional<ShownMessage> shown = clickAndAnswer(m_console->button(7));
    QVERIFY(shown);
    QCOMPARE(shown->text,
             fileFailureMessage(FileOperation::Delete, PlayerSlot::Two,
                                SystemError::of(SystemError::IsFolder)));
    QCOMPARE(m_console->buttonStates(), QStringLiteral("1101001"));
}

void tst_Form1::folderOfAnyName_data()
{
    QTest::addColumn<QByteArrayList>("folders"); // raw names, each made in the one before
    QTest::addColumn<QByteArray>("renamedTo"); // the last folder's name after start-up; empty
    QTest::addColumn<QString>("shownName"); // the last folder's name in the tooltips

    // "試合フォルダ" and "決勝" in Shift_JIS, as a Windows archive unpacks on a UTF-8 system.
    const QByteArray match = QByteArray::fromHex("8e8e8d8783748348838b835f");
    const QByteArray final = QByteArray::fromHex("8c888f9f");
    const QByteArray none;
    QTest::newRow("Shift_JIS name")
        << QByteArrayList {match} << none << QStringLiteral("試合フォルダ");
    QTest::newRow("renamed after start-up")
        << QByteArrayList {"match"} << QByteArray("match-renamed")
        << QStringLiteral("match-renamed");
    QTest::newRow("Shift_JIS name, renamed to another after start-up")
        << QByteArrayList {match} << final << QStringLiteral("決勝");
    // 20 folders of 250 bytes each: more than PATH_MAX (4096) bytes in all.
    QByteArrayList deep;
    for (int depth = 0; depth < 20; ++depth) {
        deep += QByteArray(249, 'd') + QByteArray::number(depth % 10);
    }
    QTest::newRow("path longer than PATH_MAX") << deep << none << QString::fromLatin1(deep.last());
}

// Start-up, save, delete and the tooltips work through the files' names in the working folder,
// whatever its path is: in an encoding the system does not use, longer than the system
// takes, renamed while the console runs.
void tst_Form1::folderOfAnyName()
{
#ifdef Q_OS_WIN
    QSKIP("Windows names its folders in UTF-16 and lets no program rename a working folder");
#else
    QFETCH(QByteArrayList, folders);
    QFETCH(QByteArray, renamedTo);
    QFETCH(QString, shownName);

    // As on an operator's UTF-8 system, where the Shift_JIS bytes decode to nothing.
    const QByteArray previousLocale = std::setlocale(LC_ALL, nullptr);
    std::setlocale(LC_ALL, "C.UTF-8");
    const auto restoreLocale
        = qScopeGuard([&] { std::setlocale(LC_ALL, previousLocale.constData()); });
    for (const QByteArray &folder : folders) {
        QVERIFY(ScratchDirectory::enterNewFolder(folder));
    }
    QVERIFY(touch(QStringLiteral("player2.dat")));
    startWindow();
    QCOMPARE(m_console->buttonStates(), QStringLiteral("1101001"));
    if (!renamedTo.isEmpty()) {
        QCOMPARE(::rename(("../" + folders.last()).constData(), ("../" + renamedTo).constData()),
                 0);
    }

    // Each tip reads the folder when it shows.
    for (int n : {4, 7}) {
        QPushButton *button = m_console->button(n);
        QHelpEvent shown(QEvent::ToolTip, QPoint(2, 2), button->mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(button, &shown);
        const QString file = n == 4 ? QStringLiteral("player1.dat") : QStringLiteral("player2.dat");
        // (A long path is shown on several lines.)
        const QString path = QString(button->toolTip()).remove(u'\n');
        QVERIFY2(path.endsWith(u'/' + shownName + u'/' + file), qPrintable(path));
    }

    m_console->selectInEveryList(1);
    QCOMPARE(clickAndAnswer(m_console->button(4)), std::nullopt);
    QCOMPARE(clickAndAnswer(m_console->button(7)), std::nullopt);
    QCOMPARE(m_console->buttonStates(), QStringLiteral("1100110"));
    QCOMPARE(readFile(QStringLiteral("player1.dat")), playerFileBytes({1, 1, 1, 1, 1}));
    QCOMPARE(QDir(QStringLiteral("."))
                 .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
             QStringList {QStringLiteral("player1.dat")});
#endif
}

void tst_Form1::keyboardStory_data()
{
    QTest::addColumn<QString>("saved"); // slots whose file is there at start
    QTest::addColumn<int>("button"); // pressed first
    QTest::addColumn<int>("key"); // that presses it; 0: a mouse click, -1: a double-click
    QTest::addColumn<QList<int>>("laterKeys"); // pressed on whatever has the focus
    // player1.dat and player2.dat at the end: s saved from the lists, e as at start, - none
    QTest::addColumn<QString>("files");

    const int space = Qt::Key_Space;
    const int enter = Qt::Key_Return;
    const int keypadEnter = Qt::Key_Enter;
    const int letter = Qt::Key_A;
    const int tab = Qt::Key_Tab;
    QTest::newRow("click save 1, Space, Enter") << "2" << 4 << 0 << QList {space, enter} << "se";
    QTest::newRow("Space on save 1, Space, Enter")
        << "2" << 4 << space << QList {space, enter} << "se";
    QTest::newRow("keypad Enter on save 1, Enter")
        << "" << 4 << keypadEnter << QList {enter} << "s-";
    QTest::newRow("Enter on save 2, Enter, Space")
        << "1" << 5 << enter << QList {enter, space} << "es";
    QTest::newRow("double-click save 2, Space") << "" << 5 << -1 << QList {space} << "-s";
    QTest::newRow("double-click delete 1, Enter") << "12" << 6 << -1 << QList {enter} << "-e";
    QTest::newRow("click delete 1, Space") << "12" << 6 << 0 << QList {space} << "-e";
    QTest::newRow("Enter on delete 1, Space, Enter")
        << "12" << 6 << enter << QList {space, enter} << "-e";
    QTest::newRow("keypad Enter on delete 2, Enter")
        << "12" << 7 << keypadEnter << QList {enter} << "e-";
    // A letter would go into a list's field and drop its pick; Tab starts at 「ポート１」.
    QTest::newRow("click save 1, a letter, Enter, Space, Tab")
        << "" << 4 << 0 << QList {letter, enter, space, tab} << "s-";
    QTest::newRow("Space on save 2, a letter, Tab")
        << "" << 5 << space << QList {letter, tab} << "-s";
    QTest::newRow("click delete 2, a letter, Space, Enter, Tab")
        << "12" << 7 << 0 << QList {letter, space, enter, tab} << "e-";
    QTest::newRow("Enter on delete 1, a letter, Tab")
        << "1" << 6 << enter << QList {letter, tab} << "--";
}

// A save or delete leaves the focus on no control: not on a button whose press would change
// a file, nor on a list, where a key would change the pick. So a second key changes nothing.
void tst_Form1::keyboardStory()
{
    QFETCH(QString, saved);
    QFETCH(int, button);
    QFETCH(int, key);
    QFETCH(QList<int>, laterKeys);
    QFETCH(QString, files);

    const auto record = [](int slot, int row) {
        return PlayerRecord(slot == 1 ? 5 : 3, row);
    };
    for (const QChar slot : saved) {
        const int n = slot.digitValue();
        QCOMPARE(writePlayerFile(n == 1 ? PlayerSlot::One : PlayerSlot::Two, record(n, 2)),
                 std::nullopt);
    }
    startWindow();
    m_console->selectInEveryList(1);
    QStringList focused;
    if (key > 0) {
        m_console->button(button)->setFocus();
        QTest::keyClick(m_console->button(button), Qt::Key(key));
    } else if (key < 0) {
        doubleClick(m_console->button(button));
    } else {
        QTest::mouseClick(m_console->button(button), Qt::LeftButton);
    }
    focused += m_console->focus();
    for (int later : laterKeys) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(later));
        focused += m_console->focus();
    }
    // The window itself keeps the focus after each press, drawn there when a key put it there,
    // until a Tab moves it on.
    QStringList expected(laterKeys.size() + 1, key > 0 ? QStringLiteral("Form1*") : "Form1");
    if (laterKeys.last() == Qt::Key_Tab) {
        expected.last() = QStringLiteral("Command1*");
    }
    QCOMPARE(focused, expected);
    // The lists keep their picks and show them.
    for (int n = 1; n <= 8; ++n) {
        QCOMPARE(m_console->list(n)->listIndex(), 1);
        QCOMPARE(m_console->list(n)->currentText(), m_console->list(n)->itemText(1));
    }

    for (int n : {1, 2}) {
        const QChar file = files.at(n - 1);
        const QString name = playerFileName(PlayerSlot(n));
        QCOMPARE(QFile::exists(name), file != u'-');
        if (file != u'-') {
            QCOMPARE(readFile(name), playerFileBytes(record(n, file == u's' ? 1 : 2)));
        }
    }
}

QTEST_MAIN(tst_Form1)
#include "tst_form1.moc"
