// The question editor, driven headless through its buttons and menu with a
// scripted toolkit.
#include "ScriptedToolkit.h"
#include "app/ErrorDisplay.h"
#include "app/Globals.h"
#include "app/Sjis.h"
#include "TestFiles.h"
#include "data/QuestionCsv.h"
#include "editor/TForm2.h"
#include "quiz/TForm1.h"
#include <QAccessible>
#include <QAction>
#include <QLibraryInfo>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

using namespace Qt::Literals::StringLiterals;
using Lines = QList<QByteArray>;
using Texts = QMap<QString, QString>;        // control name -> text
using LineChanges = QMap<int, QByteArray>;   // line index -> bytes

namespace {
const QString listError = u"ﾘｽﾄのｲﾝﾃﾞｯｸｽが範囲を超えています (%1)"_s;

Lines sjisLines(const QStringList &texts)
{
    Lines lines;
    for (const QString &t : texts)
        lines << toSjis(t);
    return lines;
}

const Lines newFile = sjisLines({u"タイトル"_s, u"新規作成  タイトルを入力【変更】 【クリア】"_s,
                                 u"１正答"_s, u"２"_s, u"３"_s, u"４"_s,
                                 u"既存問題ファイルへの追加・変更 まず、ファイルを【開く】"_s});

// A header block with remaining count 1 and `records` records c1 q1 a1 ..., c2 ...
Lines threeRecords(int records = 3)
{
    Lines lines{"T", "h1", "1", "h3", "h4", "h5", "h6"};
    for (int k = 1; k <= records; ++k)
        for (const char *field : {"c", "q", "a", "wa", "wb", "wc", "e"})
            lines << field + QByteArray::number(k);
    return lines;
}

Lines applied(Lines lines, const LineChanges &changes)
{
    for (auto it = changes.cbegin(); it != changes.cend(); ++it)
        lines[it.key()] = it.value();
    return lines;
}
} // namespace

class tst_TForm2 : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    std::unique_ptr<ScriptedToolkit> tk;
    std::unique_ptr<TForm2> form;

    QString file(const Lines &lines, const QString &name = u"q.dat"_s)
    {
        QByteArray bytes;
        for (const QByteArray &line : lines)
            bytes += line + "\r\n";
        const QString path = dir.filePath(name);
        QFile out(path);
        if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size())
            qFatal("cannot write a fixture");
        return path;
    }
    QByteArray fileBytes(const QString &path)
    {
        QFile in(path);
        return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray("missing");
    }
    void open(const QString &path) // empty: the dialog is cancelled
    {
        tk->paths.push_back(path);
        form->Open1->trigger();
    }
    void click(QPushButton *button, int answer = IDYES)
    {
        tk->answers.push_back(answer);
        button->click();
    }
    Lines lines() const
    {
        Lines result;
        for (int i = 0; i < form->questionList.Count(); ++i)
            result << form->questionList.Get(i);
        return result;
    }
    QString text(const QString &name) const
    {
        QWidget *w = form->findChild<QWidget *>(name);
        if (auto *memo = qobject_cast<QPlainTextEdit *>(w))
            return memo->toPlainText();
        if (auto *label = qobject_cast<QLabel *>(w))
            return label->text();
        return qobject_cast<QLineEdit *>(w)->text();
    }
    void type(const QString &name, const QString &value)
    {
        QWidget *w = form->findChild<QWidget *>(name);
        if (auto *memo = qobject_cast<QPlainTextEdit *>(w))
            memo->setPlainText(value);
        else
            qobject_cast<QLineEdit *>(w)->setText(value);
    }
    void type(const Texts &texts)
    {
        for (auto it = texts.cbegin(); it != texts.cend(); ++it)
            type(it.key(), it.value());
    }
    void compareTexts(const Texts &texts)
    {
        for (auto it = texts.cbegin(); it != texts.cend(); ++it)
            QCOMPARE(text(it.key()), it.value());
    }
    QStringList shownBlock() const
    {
        QStringList texts;
        for (const char *box : {"Edit1", "Edit2", "Edit3", "Edit4", "Edit5", "Edit6", "Edit7"})
            texts << text(QString::fromLatin1(box));
        return texts;
    }

private slots:
    void init()
    {
        tk = std::make_unique<ScriptedToolkit>();
        form = std::make_unique<TForm2>(*tk);
    }
    void cleanup()
    {
        form.reset();
        Form1 = Form2 = nullptr;
    }

    void firstShow()
    {
        QCOMPARE(form->objectName(), u"Form2"_s);
        QVERIFY(form->isHidden());
        QVERIFY(!form->testAttribute(Qt::WA_QuitOnClose));
        QCOMPARE(form->windowTitle(), u"★柚木塾  問題編集"_s);
        QCOMPARE(lines(), newFile);
        compareTexts({{u"Label1"_s, u"第 0 問"_s}, {u"Label2"_s, u"全 0 問"_s},
                      {u"Edit8"_s, u"0"_s}, {u"Edit9"_s, u"タイトル"_s}});
        QStringList expected;
        for (const QByteArray &line : newFile)
            expected << fromSjis(line);
        QCOMPARE(shownBlock(), expected);
        QVERIFY(!form->Button3->isEnabled());
        QCOMPARE(form->K1->title(), u"ファイル"_s);
        QStringList items;   // a separator shows as an empty item
        for (const QAction *item : form->K1->actions())
            items << item->text();
        QCOMPARE(items, (QStringList{u"新規"_s, u"開く"_s, u"保存"_s, {}, u"インポート (CSV)"_s,
                                     u"エクスポート (CSV)"_s, {}, u"閉じる"_s}));
        QCOMPARE(form->Open1->text() + form->Hozo->text() + form->Close1->text(), u"開く保存閉じる"_s);
        QVERIFY(tk->errors.isEmpty());
        form->show();
        QCOMPARE(form->centralWidget()->size(), QSize(421, 258));
    }

    void layout_data()
    {
        QTest::addColumn<QRect>("geometry");   // labels: position only
        QTest::addColumn<int>("pixels");
        QTest::addColumn<bool>("bold");
        QTest::addColumn<QColor>("color");     // invalid: the desktop's text colour
        QTest::addColumn<QString>("hint");
        const QColor navy(0, 0, 128), black(0, 0, 0), desktop;
        QTest::newRow("Label1") << QRect(8, 0, 0, 0) << 15 << true << navy << QString();
        QTest::newRow("Label2") << QRect(80, 0, 0, 0) << 15 << true << navy << QString();
        QTest::newRow("Edit8") << QRect(144, 0, 49, 20) << 12 << false << desktop << QString();
        QTest::newRow("Button7") << QRect(208, 0, 49, 20) << 12 << false << desktop << u"新規作成の場合、保存の前に必ずresetします"_s;
        QTest::newRow("Edit9") << QRect(273, 0, 140, 20) << 12 << false << desktop << QString();
        QTest::newRow("Edit2") << QRect(6, 24, 409, 65) << 19 << true << desktop << u"問題文で改行は出来ません。"_s;
        QTest::newRow("Edit3") << QRect(8, 96, 201, 24) << 16 << false << black << QString();
        QTest::newRow("Edit5") << QRect(216, 96, 201, 24) << 16 << false << black << QString();
        QTest::newRow("Edit4") << QRect(8, 128, 201, 24) << 16 << false << black << QString();
        QTest::newRow("Edit6") << QRect(216, 128, 201, 24) << 16 << false << black << QString();
        QTest::newRow("Edit1") << QRect(8, 160, 409, 23) << 15 << false << black << QString();
        QTest::newRow("Edit7") << QRect(8, 192, 409, 23) << 15 << false << black << QString();
        QTest::newRow("Button6") << QRect(8, 224, 57, 25) << 12 << false << desktop << QString();
        QTest::newRow("Button1") << QRect(72, 224, 57, 25) << 12 << false << desktop << QString();
        QTest::newRow("Button2") << QRect(136, 224, 57, 25) << 12 << false << desktop << QString();
        QTest::newRow("Button4") << QRect(200, 224, 65, 25) << 12 << false << desktop << QString();
        QTest::newRow("Button5") << QRect(272, 224, 65, 25) << 12 << false << desktop << u"クリアしてから問題入力つぎに、追加"_s;
        QTest::newRow("Button3") << QRect(344, 224, 65, 25) << 12 << false << desktop << u"追加した問題が第１問になる"_s;
    }
    void layout()
    {
        QFETCH(QRect, geometry);
        QFETCH(int, pixels);
        QFETCH(bool, bold);
        QFETCH(QColor, color);
        QFETCH(QString, hint);
        QWidget *w = form->findChild<QWidget *>(QString::fromLatin1(QTest::currentDataTag()));
        QVERIFY(w);
        QCOMPARE(w->pos(), geometry.topLeft());
        if (!geometry.size().isNull())
            QCOMPARE(w->size(), geometry.size());
        QCOMPARE(w->font().pixelSize(), pixels);
        QCOMPARE(w->font().bold(), bold);
        const QPalette::ColorRole role = w->foregroundRole();
        QCOMPARE(w->palette().color(QPalette::Active, role),
                 color.isValid() ? color : QApplication::palette(w).color(QPalette::Active, role));
        QCOMPARE(w->toolTip(), hint);
    }

    void boxesForScreenReadersAndInputMethods()
    {
        const Texts names{{u"Edit1"_s, u"分野"_s}, {u"Edit2"_s, u"問題文"_s}, {u"Edit3"_s, u"正答"_s},
                          {u"Edit4"_s, u"誤答1"_s}, {u"Edit5"_s, u"誤答2"_s}, {u"Edit6"_s, u"誤答3"_s},
                          {u"Edit7"_s, u"解説"_s}, {u"Edit8"_s, u"残り"_s}, {u"Edit9"_s, u"タイトル"_s}};
        for (auto it = names.cbegin(); it != names.cend(); ++it) {
            auto *box = form->findChild<QWidget *>(it.key());
            QAccessibleInterface *a = QAccessible::queryAccessibleInterface(box);
            QVERIFY2(a, qPrintable(it.key()));
            QCOMPARE(a->text(QAccessible::Name), it.value());
            QCOMPARE(box->property("placeholderText").toString(), it.value());   // grey when empty
            QVERIFY(box->testAttribute(Qt::WA_InputMethodEnabled)); // Japanese typed through the input method
        }
        QCOMPARE(QAccessible::queryAccessibleInterface(form.get())->text(QAccessible::Name), form->windowTitle());
        // Qt's own bridge to IBus comes with Debian's Qt; fcitx5 brings its own.
        const QDir plugins(QLibraryInfo::path(QLibraryInfo::PluginsPath) + u"/platforminputcontexts"_s);
        QVERIFY(!plugins.entryList({u"*ibus*"_s}).isEmpty());
    }

    void tabOrder()
    {
        QWidget *const start = form->Edit9;
        auto cycle = [&](QWidget *from) {
            QStringList names;
            QWidget *w = from;
            do {
                names << w->objectName();
                QTest::keyClick(w, Qt::Key_Tab);
                w = QApplication::focusWidget();
            } while (w && w != from && names.size() < 20);
            return names.join(u' ');
        };
        form->show();
        QApplication::setActiveWindow(form.get());
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        QCOMPARE(QApplication::focusWidget(), start);
        QCOMPARE(cycle(start), u"Edit9 Button5 Edit2 Edit3 Edit4 Edit5 Edit6 Edit1 Edit7"_s);
        open({});                     // cancelled: enables add
        form->Button5->click();       // clear: the title box leaves the cycle
        form->Button5->setFocus();
        QCOMPARE(cycle(form->Button5), u"Button5 Edit2 Edit3 Edit4 Edit5 Edit6 Edit1 Edit7 Button3"_s);
    }

    void questionBox()
    {
        form->Edit2->setPlainText(u"ab"_s);
        form->Edit2->moveCursor(QTextCursor::End);
        QTest::keyClick(form->Edit2, Qt::Key_Return);
        QTest::keyClick(form->Edit2, Qt::Key_Enter, Qt::KeypadModifier);
        QTest::keyClick(form->Edit2, Qt::Key_Return, Qt::ShiftModifier);
        QTest::keyClick(form->Edit2, Qt::Key_C);
        QCOMPARE(form->Edit2->toPlainText(), u"abc"_s);
        QCOMPARE(form->Edit2->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    }

    void browse_data()
    {
        QTest::addColumn<int>("records");   // -1: the new-file template
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("numbers");
        QTest::newRow("template, forward") << -1 << u"Button2"_s << u"0 0"_s;
        QTest::newRow("template, back") << -1 << u"Button1"_s << u"0 0"_s;
        QTest::newRow("three, forward") << 3 << u"Button2"_s << u"1 2 3 0 1"_s;
        QTest::newRow("three, back") << 3 << u"Button1"_s << u"3 2 1 0 3"_s;
    }
    void browse()
    {
        QFETCH(int, records);
        QFETCH(QString, button);
        QFETCH(QString, numbers);
        if (records >= 0)
            open(file(threeRecords(records)));
        const Lines before = lines();
        for (const QString &n : numbers.split(u' ')) {
            form->findChild<QPushButton *>(button)->click();
            QCOMPARE(text(u"Label1"_s), u"第 "_s + n + u" 問"_s);
            QCOMPARE(text(u"Edit1"_s), fromSjis(before[7 * n.toInt()]));
            QCOMPARE(text(u"Edit7"_s), fromSjis(before[7 * n.toInt() + 6]));
            QCOMPARE(form->findChild<QLineEdit *>(u"Edit7"_s)->cursorPosition(), 0); // shown from its start
        }
        QCOMPARE(text(u"Label2"_s), u"全 "_s + QString::number(qMax(records, 0)) + u" 問"_s);
        QCOMPARE(lines(), before);
        QVERIFY(tk->errors.isEmpty());
    }

    void remainingCount_data()
    {
        QTest::addColumn<QByteArray>("line2");
        QTest::addColumn<QString>("shown");
        QTest::newRow("blank, digits, letters") << QByteArray(" 12abc") << u"12"_s;
        QTest::newRow("letters") << QByteArray("abc") << u"0"_s;
        QTest::newRow("empty") << QByteArray() << u"0"_s;
        QTest::newRow("minus three") << QByteArray("-3") << u"-3"_s;
        QTest::newRow("full-width digits") << toSjis(u"１２"_s) << u"0"_s;
    }
    void remainingCount()
    {
        QFETCH(QByteArray, line2);
        QFETCH(QString, shown);
        open(file(applied(threeRecords(), {{2, line2}})));
        QCOMPARE(text(u"Edit8"_s), shown);
        QCOMPARE(toSjis(text(u"Edit3"_s)), line2);
        form->Button2->click();
        QCOMPARE(text(u"Edit8"_s), shown);
    }

    void reset_data()
    {
        QTest::addColumn<int>("records");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QByteArray>("line2");
        QTest::newRow("three, yes") << 3 << int(IDYES) << QByteArray("3");
        QTest::newRow("three, no") << 3 << int(IDNO) << QByteArray("1");
        QTest::newRow("three, cancel") << 3 << int(IDCANCEL) << QByteArray("1");
        QTest::newRow("template, yes") << -1 << int(IDYES) << QByteArray("0");
    }
    void reset()
    {
        QFETCH(int, records);
        QFETCH(int, answer);
        QFETCH(QByteArray, line2);
        if (records >= 0)
            open(file(threeRecords(records)));
        form->Button2->click();
        type(u"Edit2"_s, u"typed"_s);
        click(form->Button7, answer);
        QCOMPARE(tk->boxes.size(), 1);
        QCOMPARE(tk->boxes[0].text, u"すべて未習 に変更します。(残り＝総問題数)"_s);
        QCOMPARE(tk->boxes[0].caption, u"変更"_s);
        QCOMPARE(tk->boxes[0].owner, form.get());
        QCOMPARE(form->questionList.Get(2), line2);
        QCOMPARE(text(u"Edit8"_s), QString::fromLatin1(line2));
        QVERIFY(text(u"Edit2"_s) != u"typed"_s);   // shown again whatever the answer
    }

    void openCancelled()
    {
        open({});
        QCOMPARE(tk->dialogs.size(), 1);
        QCOMPARE(tk->dialogs[0].kind, DialogKind::Open);
        QCOMPARE(tk->dialogs[0].settings.filter, u"データ(*.dat)|*.dat|すべてのファイル(*.*)|*.*"_s);
        QCOMPARE(tk->dialogs[0].settings.defaultExt, QString());
        QCOMPARE(tk->dialogs[0].settings.fileName, QString());
        QVERIFY(form->Button3->isEnabled());
        QCOMPARE(lines(), newFile);
        QCOMPARE(form->windowTitle(), u"★柚木塾  問題編集"_s);
    }

    void openFailure_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("dialogs");
        QTest::newRow("retry, then cancel the dialog") << int(IDRETRY) << 2;
        QTest::newRow("cancel") << int(IDCANCEL) << 1;
    }
    void openFailure()
    {
        QFETCH(int, answer);
        QFETCH(int, dialogs);
        const QString missing = dir.filePath(u"missing.dat"_s);
        tk->answers.push_back(answer);
        open(missing);
        QCOMPARE(tk->boxes.size(), 1);
        QCOMPARE(tk->boxes[0].text, u"ﾌｧｲﾙ "_s + missing + u" は開けません"_s);
        QCOMPARE(tk->boxes[0].caption, u"ok"_s);
        QCOMPARE(tk->boxes[0].buttons, Buttons::RetryCancel);
        QCOMPARE(tk->dialogs.size(), dialogs);
        QCOMPARE(lastOf(tk->dialogs).settings.fileName, dialogs == 2 ? missing : QString());
        QCOMPARE(lines(), newFile);
        QCOMPARE(form->windowTitle(), u"★柚木塾  問題編集"_s);
        QVERIFY(form->Button3->isEnabled());
        QVERIFY(tk->errors.isEmpty());
        form->Button6->click();       // the save proposes the file held (none), not the failed one
        QCOMPARE(lastOf(tk->dialogs).settings.fileName, QString());
    }

    void emptyFile()
    {
        const QString path = file({}, u"empty.dat"_s);
        open(path);
        QCOMPARE(tk->errors, QStringList{listError.arg(0)});
        QCOMPARE(form->windowTitle(), u"柚木塾("_s + path + u')');
        QCOMPARE(text(u"Edit9"_s), u"タイトル"_s);
        QCOMPARE(text(u"Edit7"_s), fromSjis(newFile[6]));
        QVERIFY(!form->Button3->isEnabled());
        // Nothing asks on an empty list; browsing fails at the first box.
        for (QPushButton *b : {form->Button7, form->Button6, form->Button4, form->Button3})
            b->click();
        QVERIFY(tk->boxes.isEmpty());
        QCOMPARE(tk->dialogs.size(), 1);
        QVERIFY(form->Button3->isEnabled());   // by change
        form->Button2->click();
        form->Button1->click();
        QCOMPARE(tk->errors.mid(tk->errors.size() - 2), (QStringList{listError.arg(0), listError.arg(-7)}));
    }

    void add_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("yes") << int(IDYES);
        QTest::newRow("no") << int(IDNO);
        QTest::newRow("cancel") << int(IDCANCEL);
    }
    void add()
    {
        QFETCH(int, answer);
        const QStringList header{u"English words 1"_s, fromSjis(newFile[1]), u"1"_s, u"２"_s,
                                 u"３"_s, u"４"_s, fromSjis(newFile[6])};
        const QStringList verb{u"verb"_s, u"走る"_s, u"run"_s, u"walk"_s, u"swim"_s, u"jump"_s, u"run, ran, run"_s};
        const QStringList noun{u"noun"_s, u"りんご"_s, u"apple"_s, u"orange"_s, u"grape"_s, u"peach"_s,
                               u"an apple, two apples"_s};
        const QStringList added{u"adj"_s, u"速い"_s, u"fast"_s, u"slow"_s, u"late"_s, u"early"_s,
                                u"fast, faster, fastest"_s};
        open(file(sjisLines(header + verb + noun)));
        form->Button2->click();
        form->Button5->click();
        const char *boxes[] = {"Edit1", "Edit2", "Edit3", "Edit4", "Edit5", "Edit6", "Edit7"};
        for (int k = 0; k < 7; ++k)
            type(QString::fromLatin1(boxes[k]), added[k]);
        click(form->Button3, answer);
        QCOMPARE(lastOf(tk->boxes).text, u" 追加します。"_s);
        QCOMPARE(lastOf(tk->boxes).caption, u"追加"_s);
        if (answer == IDYES) {
            QStringList expected = header + added + verb + noun;
            expected[2] = u"2"_s;
            QCOMPARE(lines(), sjisLines(expected));
            QCOMPARE(shownBlock(), added);
            compareTexts({{u"Label1"_s, u"第 1 問"_s}, {u"Label2"_s, u"全 3 問"_s}, {u"Edit8"_s, u"2"_s}});
        } else {
            QCOMPARE(lines(), sjisLines(header + verb + noun));
            QCOMPARE(shownBlock(), verb);
            QCOMPARE(text(u"Label1"_s), u"第 1 問"_s);
        }
    }

    void addShortList_data()
    {
        QTest::addColumn<int>("count");
        for (int n = 1; n <= 6; ++n)
            QTest::addRow("%d lines", n) << n;
    }
    void addShortList()
    {
        QFETCH(int, count);
        open({});
        const Lines shortList = threeRecords(0).mid(0, count);
        open(file(shortList));
        QCOMPARE(tk->errors, QStringList{listError.arg(count)});
        click(form->Button3);
        QCOMPARE(lastOf(tk->errors), listError.arg(7));
        QCOMPARE(lines(), shortList);
        QCOMPARE(form->recordStart, 7);
        QCOMPARE(form->questionNumber, 1);
    }

    void change_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<Texts>("typed");
        QTest::addColumn<int>("answer");
        QTest::addColumn<LineChanges>("written");
        QTest::addColumn<Texts>("shown");
        const int yes = IDYES;
        QTest::newRow("record: category kept, question changed")
            << 1 << Texts{{u"Edit1"_s, u"new"_s}, {u"Edit2"_s, u"new q"_s}} << yes
            << LineChanges{{8, "new q"}} << Texts{{u"Edit1"_s, u"c1"_s}, {u"Edit2"_s, u"new q"_s}};
        QTest::newRow("record: title") << 1 << Texts{{u"Edit9"_s, u"New"_s}} << yes
            << LineChanges{{0, "New"}} << Texts{{u"Edit9"_s, u"New"_s}, {u"Edit1"_s, u"c1"_s}};
        QTest::newRow("record: remaining 5") << 1 << Texts{{u"Edit8"_s, u"5"_s}} << yes
            << LineChanges{{2, "5"}} << Texts{{u"Edit8"_s, u"5"_s}};
        QTest::newRow("record: remaining as typed") << 2 << Texts{{u"Edit8"_s, u"x"_s}} << yes
            << LineChanges{{2, "x"}} << Texts{{u"Edit8"_s, u"0"_s}};
        QTest::newRow("header: title") << 0 << Texts{{u"Edit9"_s, u"New"_s}, {u"Edit1"_s, u"X"_s}} << yes
            << LineChanges{{0, "New"}} << Texts{{u"Edit9"_s, u"New"_s}, {u"Edit1"_s, u"New"_s}};
        QTest::newRow("header: remaining box ignored") << 0 << Texts{{u"Edit8"_s, u"5"_s}} << yes
            << LineChanges{} << Texts{{u"Edit8"_s, u"1"_s}, {u"Edit3"_s, u"1"_s}};
        QTest::newRow("header: remaining through Edit3")
            << 0 << Texts{{u"Edit3"_s, u"2"_s}, {u"Edit7"_s, u"six"_s}} << yes
            << LineChanges{{2, "2"}, {6, "six"}} << Texts{{u"Edit8"_s, u"2"_s}};
        QTest::newRow("no") << 1 << Texts{{u"Edit2"_s, u"typed"_s}} << int(IDNO)
            << LineChanges{} << Texts{{u"Edit2"_s, u"q1"_s}};
        QTest::newRow("cancel") << 1 << Texts{{u"Edit8"_s, u"5"_s}} << int(IDCANCEL)
            << LineChanges{} << Texts{{u"Edit8"_s, u"1"_s}};
    }
    void change()
    {
        QFETCH(int, position);
        QFETCH(Texts, typed);
        QFETCH(int, answer);
        QFETCH(LineChanges, written);
        QFETCH(Texts, shown);
        open(file(threeRecords()));
        form->Button3->setEnabled(false);   // only change itself may enable it
        for (int i = 0; i < position; ++i)
            form->Button2->click();
        type(typed);
        click(form->Button4, answer);
        QCOMPARE(lastOf(tk->boxes).text, u" 変更します。"_s);
        QCOMPARE(lastOf(tk->boxes).caption, u"変更"_s);
        QCOMPARE(lines(), applied(threeRecords(), written));
        compareTexts(shown);
        QCOMPARE(form->recordStart, 7 * position);
        QVERIFY(form->Button3->isEnabled());
        QCOMPARE(form->Edit9->focusPolicy() == Qt::StrongFocus, answer != IDYES);
    }

    void clearThenAddEmpty()
    {
        open(file(threeRecords()));
        form->Button2->click();
        form->Button5->click();
        form->Button5->click();
        QCOMPARE(shownBlock(), QStringList(7, QString()));
        compareTexts({{u"Edit8"_s, u"1"_s}, {u"Edit9"_s, u"T"_s}, {u"Label1"_s, u"第 1 問"_s}});
        QCOMPARE(lines(), threeRecords());
        QVERIFY(tk->boxes.isEmpty());
        click(form->Button3);
        QCOMPARE(lines().mid(7, 7), Lines(7));
        QCOMPARE(lines().mid(14), threeRecords().mid(7));
        QCOMPARE(text(u"Label2"_s), u"全 4 問"_s);
    }

    // A line break or NUL in a box becomes a blank, so a record never spills
    // over into the next line of the file.
    void lineBreaksMended_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("line");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("add, question LF") << u"add"_s << u"Edit2"_s << u"a\nb"_s << 8 << QByteArray("a b");
        QTest::newRow("add, answer CR LF") << u"add"_s << u"Edit3"_s << u"x\r\ny"_s << 9 << QByteArray("x  y");
        QTest::newRow("add, explanation NUL") << u"add"_s << u"Edit7"_s << u"e"_s + QChar(0) + u"f"_s << 13 << QByteArray("e f");
        QTest::newRow("change, wrong answer CR") << u"change"_s << u"Edit6"_s << u"a\rb"_s << 12 << QByteArray("a b");
        QTest::newRow("change, title LF") << u"change"_s << u"Edit9"_s << u"T\nU"_s << 0 << QByteArray("T U");
        QTest::newRow("change, remaining LF") << u"change"_s << u"Edit8"_s << u"5\n6"_s << 2 << QByteArray("5 6");
    }
    void lineBreaksMended()
    {
        QFETCH(QString, command);
        QFETCH(QString, box);
        QFETCH(QString, value);
        QFETCH(int, line);
        QFETCH(QByteArray, bytes);
        open(file(threeRecords()));
        form->Button2->click();
        type(box, value);
        QCOMPARE(text(box), value);
        click(command == u"add"_s ? form->Button3 : form->Button4);
        QCOMPARE(form->questionList.Get(line), bytes);
        const QString saved = dir.filePath(u"saved.dat"_s);
        tk->paths.push_back(saved);
        form->Button6->click();
        LineList reloaded;
        reloaded.Load(saved);
        QCOMPARE(reloaded.Count(), form->questionList.Count());
    }

    // Lines the user did not touch keep their bytes, also where they are no
    // valid Shift-JIS and could not survive a trip through the display.
    void untouchedLinesKeepTheirBytes_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("position");
        QTest::addColumn<LineChanges>("expected");
        QTest::newRow("change at the header") << u"change"_s << 0 << LineChanges{};
        QTest::newRow("change at a record") << u"change"_s << 1 << LineChanges{{9, "edited"}};
        QTest::newRow("add at a record") << u"add"_s << 1 << LineChanges{};
    }
    void untouchedLinesKeepTheirBytes()
    {
        QFETCH(QString, command);
        QFETCH(int, position);
        QFETCH(LineChanges, expected);
        Lines bad = applied(threeRecords(), {{0, "T\x80\xFD"}, {1, "\xA0h"}, {3, "\x85\x40"},
                                             {7, "c\x81\x20"}, {8, "\xEF\x40q"}, {13, "e\xFF"}});
        for (int i : {0, 1, 3, 7, 8, 13})
            QVERIFY2(toSjis(fromSjis(bad[i])) != bad[i], "the fixture must not survive the display");
        open(file(bad));
        for (int i = 0; i < position; ++i)
            form->Button2->click();
        if (position > 0 && command == u"change"_s)
            type(u"Edit3"_s, u"edited"_s);
        click(command == u"add"_s ? form->Button3 : form->Button4);
        if (command == u"add"_s) {
            bad.insert(7, 7, {});
            for (int k = 0; k < 7; ++k)
                bad[7 + k] = bad[14 + k];
            bad[2] = "2";
        }
        QCOMPARE(lines(), applied(bad, expected));
    }

    void save()
    {
        tk->paths = {QString(), dir.filePath(u"new.dat"_s), dir.filePath(u"nofolder/x.dat"_s)};
        form->Button6->click();
        QCOMPARE(tk->dialogs[0].kind, DialogKind::Save);
        QCOMPARE(tk->dialogs[0].settings.filter, u"*.dat|*.dat|all|*.*"_s);
        QCOMPARE(tk->dialogs[0].settings.defaultExt, u"dat"_s);
        QCOMPARE(tk->dialogs[0].settings.fileName, QString());
        QVERIFY(tk->dialogs[0].settings.overwritePrompt);
        QCOMPARE(form->windowTitle(), u"★柚木塾  問題編集"_s);
        form->Hozo->trigger();
        QCOMPARE(fileBytes(dir.filePath(u"new.dat"_s)), newFile.join("\r\n") + "\r\n");
        QCOMPARE(form->windowTitle(), u"柚木塾("_s + dir.filePath(u"new.dat"_s) + u')');
        form->Button6->click();
        QCOMPARE(tk->dialogs[2].settings.fileName, dir.filePath(u"new.dat"_s));
        QCOMPARE(tk->errors, QStringList{u"ﾌｧｲﾙ "_s + dir.filePath(u"nofolder/x.dat"_s) + u" を作成できません."_s});
        // The caption and the next save's proposal keep the file the lines are in.
        QCOMPARE(form->windowTitle(), u"柚木塾("_s + dir.filePath(u"new.dat"_s) + u')');
        form->Button6->click();
        QCOMPARE(tk->dialogs.last().settings.fileName, dir.filePath(u"new.dat"_s));
    }

    // The way of working the window suggests: title, change; then clear, type
    // and add for each question; reset; save. The quiz window drills the result.
    void newFileFromTemplate()
    {
        type(u"Edit9"_s, u"English words 1"_s);
        click(form->Button4);
        for (const QString &q : {u"noun りんご apple orange grape peach apples"_s,
                                 u"verb 走る run walk swim jump ran"_s}) {
            form->Button5->click();
            const QStringList fields = q.split(u' ');
            const char *boxes[] = {"Edit1", "Edit2", "Edit3", "Edit4", "Edit5", "Edit6", "Edit7"};
            for (int k = 0; k < 7; ++k)
                type(QString::fromLatin1(boxes[k]), fields[k]);
            click(form->Button3);
        }
        click(form->Button7);
        const QString path = dir.filePath(u"words.dat"_s);
        tk->paths.push_back(path);
        form->Button6->click();
        QVERIFY(tk->errors.isEmpty());
        const QByteArray expected = toSjis(
            u"English words 1\r\n新規作成  タイトルを入力【変更】 【クリア】\r\n2\r\n２\r\n３\r\n４\r\n"
            "既存問題ファイルへの追加・変更 まず、ファイルを【開く】\r\n"
            "verb\r\n走る\r\nrun\r\nwalk\r\nswim\r\njump\r\nran\r\n"
            "noun\r\nりんご\r\napple\r\norange\r\ngrape\r\npeach\r\napples\r\n"_s);
        QCOMPARE(fileBytes(path), expected);

        ScriptedToolkit quizToolkit;
        TForm1 quiz(quizToolkit);
        quizToolkit.paths.push_back(path);
        quiz.findChild<QAction *>(u"Open1"_s)->trigger();
        QCOMPARE(quiz.findChild<QPlainTextEdit *>(u"Memo1"_s)->toPlainText(), u"走る"_s);
        QCOMPARE(quiz.findChild<QLabel *>(u"Smon"_s)->text(), u"総数 2"_s);
        QCOMPARE(quiz.findChild<QLabel *>(u"Nmon"_s)->text(), u"残り 2"_s);
    }

    // A CSV file imported through the menu: the records it holds, or the one
    // error it shows with the editor left as it was (the format's own cases
    // are in tst_QuestionCsv).
    void importCsv_data()
    {
        QTest::addColumn<QByteArray>("csv");
        QTest::addColumn<QString>("records");   // fields joined by "|"
        QTest::addColumn<QString>("error");
        QTest::addColumn<QString>("before"); // "edited": over an edit, not confirmed; "中止": cancelled
        QTest::addColumn<int>("widerRows");  // told in a box after the import
        const QString where = u"CSV の %1 行目 %2 列目: "_s;
        const QString count = where + u"1 行には 7 項目 (分野、問題文、正答、誤答1、誤答2、誤答3、解説) が要りますが、この行は %3 項目です"_s;
        const QByteArray good("a,\"b,c\",\" c \",\"d\"\"e\",, f,g\r\n");
        QTest::newRow("quotes, commas, blanks kept") << good << u"a|b,c| c |d\"e|| f|g"_s << QString() << QString() << 0;
        QTest::newRow("six fields") << QByteArray("a,b,c,d,e,f\r\n") << QString() << count.arg(1).arg(7).arg(6) << QString() << 0;
        QTest::newRow("teacher's notes after the seventh column") << QByteArray("a,b,c,d,e,f,g,notes\r\nh,i,j,k,l,m,n,,\r\n")
            << u"a|b|c|d|e|f|g|h|i|j|k|l|m|n"_s << QString() << QString() << 2;
        QTest::newRow("over an edit, not confirmed") << good << QString() << QString() << u"edited"_s << 0;
        QTest::newRow("中止") << good << QString() << QString() << u"中止"_s << 0;
    }
    void importCsv()
    {
        QFETCH(QByteArray, csv);
        QFETCH(QString, records);
        QFETCH(QString, error);
        QFETCH(QString, before);
        QFETCH(int, widerRows);
        open(file(threeRecords()));
        const QString path = dir.filePath(u"単語 1.csv"_s);
        writeFile(path, csv);
        tk->paths.push_back(path);
        if (before == u"edited"_s) {
            type(u"Edit2"_s, before);
            tk->answers.push_back(IDNO);
        }
        tk->cancelAtReport = before == u"中止"_s ? tk->progressReports : -1;
        form->Import1->trigger();
        QCOMPARE(tk->boxes.size(), before == u"edited"_s || widerRows);
        if (records.isEmpty()) {
            QCOMPARE(tk->errors, error.isEmpty() ? QStringList() : QStringList{errorDisplayText(error)});
            QCOMPARE(lines(), threeRecords());
            QCOMPARE(form->fileName, dir.filePath(u"q.dat"_s));
            QCOMPARE(text(u"Edit2"_s), before == u"edited"_s ? before : u"h1"_s);
            return;
        }
        if (widerRows)
            QVERIFY(tk->boxes[0].text.contains(QString::number(widerRows)));
        const Lines fields = sjisLines(records.split(u'|'));
        QCOMPARE(lines(), applied(newFile, {{0, toSjis(u"単語 1"_s)}, {2, QByteArray::number(fields.size() / 7)}}) + fields);
        compareTexts({{u"Label1"_s, u"第 0 問"_s}, {u"Edit9"_s, u"単語 1"_s}, {u"Edit8"_s, QString::number(fields.size() / 7)}});
        QCOMPARE(form->windowTitle(), u"★柚木塾  問題編集"_s);
        form->Button6->click();   // a question file beside the CSV is proposed
        QCOMPARE(tk->dialogs.last().settings.fileName, dir.filePath(u"単語 1.dat"_s));
    }

    // Exported records come back byte for byte; a line the CSV cannot carry is
    // refused before a file is asked for.
    void exportCsv_data()
    {
        QTest::addColumn<Lines>("record");
        QTest::addColumn<QByteArray>("row");   // the record's row; empty: refused with `error`
        QTest::addColumn<QString>("error");
        QTest::newRow("quotes, commas, blanks, empty") << Lines{"a", "b,c", "\"q\"", " s ", "", "\t", "x"}
            << QByteArray("a,\"b,c\",\"\"\"q\"\"\", s ,,\t,x") << QString();
        QTest::newRow("no Shift-JIS") << Lines{"a", "b", "c", "d\x82", "e", "f", "g"} << QByteArray()
            << u"CSV の 2 行目 4 列目: バイト 0x82 は文字として CSV に書き出せません"_s;
    }
    void exportCsv()
    {
        QFETCH(Lines, record);
        QFETCH(QByteArray, row);
        QFETCH(QString, error);
        open(file(threeRecords(0) + record + Lines{"partial"}));
        const QString path = dir.filePath(QString::fromUtf8(QTest::currentDataTag()) + u".csv"_s);
        tk->paths.push_back(path);
        form->Export1->trigger();
        if (!error.isEmpty()) {
            QCOMPARE(tk->errors, QStringList{errorDisplayText(error)});
            QCOMPARE(fileBytes(path), QByteArray("missing"));
            return;
        }
        QCOMPARE(tk->dialogs.last().settings.fileName, dir.filePath(u"q.csv"_s));
        QCOMPARE(fileBytes(path), "\xEF\xBB\xBF" + csvColumns.join(u',').toUtf8() + "\r\n" + row + "\r\n");
        form->New1->trigger();
        tk->paths.push_back(path);
        form->Import1->trigger();
        QCOMPARE(lines().mid(7), record);
        QVERIFY(tk->errors.isEmpty());
    }

    void newFileAgain()
    {
        open(file(threeRecords()));
        form->Button2->click();
        form->New1->trigger();
        QCOMPARE(lines(), newFile);
        compareTexts({{u"Label1"_s, u"第 0 問"_s}, {u"Label2"_s, u"全 0 問"_s}, {u"Edit9"_s, u"タイトル"_s}});
        QCOMPARE(form->windowTitle(), u"★柚木塾  問題編集"_s);
        form->Button6->click();
        QCOMPARE(tk->dialogs.last().settings.fileName, QString());
    }

    // Fifty questions from a spreadsheet, imported, saved and drilled.
    void fiftyQuestionsDrilled_data()
    {
        QTest::addColumn<bool>("utf8");
        QTest::newRow("UTF-8") << true;
        QTest::newRow("Shift-JIS") << false;
    }
    void fiftyQuestionsDrilled()
    {
        QFETCH(bool, utf8);
        QString csv = csvColumns.join(u',') + u"\r\n"_s;
        for (int k = 1; k <= 50; ++k)
            csv += u"名詞,「%1」を英語で,apple%1,orange,\"grape, red\",peach,説明 %1\r\n"_s.arg(k);
        writeFile(dir.filePath(u"fifty.csv"_s), utf8 ? csv.toUtf8() : toSjis(csv));
        tk->paths = {dir.filePath(u"fifty.csv"_s), dir.filePath(u"fifty.dat"_s)};
        form->Import1->trigger();
        form->Button6->click();
        QVERIFY(tk->errors.isEmpty());
        ScriptedToolkit quizToolkit;
        TForm1 quiz(quizToolkit);
        quizToolkit.paths.push_back(dir.filePath(u"fifty.dat"_s));
        quiz.findChild<QAction *>(u"Open1"_s)->trigger();
        QCOMPARE(quiz.findChild<QPlainTextEdit *>(u"Memo1"_s)->toPlainText(), u"「1」を英語で"_s);
        QCOMPARE(quiz.findChild<QLabel *>(u"Nmon"_s)->text() + quiz.findChild<QLabel *>(u"Smon"_s)->text(), u"残り 50総数 50"_s);
        for (QPushButton *answer : quiz.findChildren<QPushButton *>(QRegularExpression(u"^Button[1-4]$"_s)))
            if (answer->text() == u"apple1"_s)
                answer->click();
        QCOMPARE(quiz.findChild<QLabel *>(u"Label1"_s)->text(), u"正 解！"_s);
    }

    void closeAndShowAgain()
    {
        QWidget quizStandIn;
        Form1 = &quizStandIn;
        Form2 = form.get();
        ScriptedToolkit quizToolkit;
        TForm1 quiz(quizToolkit);
        quiz.findChild<QAction *>(u"Edit"_s)->trigger();   // the quiz window's 編集
        QVERIFY(form->isVisible());
        form->Button2->click();
        type(u"Edit2"_s, u"unsaved"_s);
        quizStandIn.showMinimized();
        form->Close1->trigger();
        QVERIFY(form->isHidden());
        QVERIFY(quizStandIn.isVisible() && !quizStandIn.isMinimized());
        showWindow(Form2);
        QCOMPARE(text(u"Edit2"_s), u"unsaved"_s);
        QVERIFY(form->close());                              // the title bar's close hides it
        QVERIFY(form->isHidden());
    }
};

QTEST_MAIN(tst_TForm2)
#include "tst_TForm2.moc"
