#include "editor/TForm2.h"
#include "app/Controls.h"
#include "app/ErrorDisplay.h"
#include "app/Exceptions.h"
#include "app/Globals.h"
#include "app/LoadQuestionFile.h"
#include "app/Numbers.h"
#include "app/SavePlace.h"
#include "app/Sjis.h"
#include "data/FileAccess.h"
#include "data/QuestionCsv.h"
#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>

using namespace Qt::Literals::StringLiterals;

namespace {
const QString newFileHint = u"新規作成  タイトルを入力【変更】 【クリア】"_s;
const QString startCaption = u"★柚木塾  問題編集"_s;
const QString csvFilter = u"CSV(*.csv)|*.csv|すべてのファイル(*.*)|*.*"_s;

// The question box: long lines wrap, and Enter makes no line break, since a
// question is one line of the file.
class QuestionBox : public QPlainTextEdit {
public:
    using QPlainTextEdit::QPlainTextEdit;

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
            event->ignore();
        else
            QPlainTextEdit::keyPressEvent(event);
    }
};

QString boxText(const QWidget *box)
{
    if (const auto *memo = qobject_cast<const QPlainTextEdit *>(box))
        return memo->toPlainText();
    return static_cast<const QLineEdit *>(box)->text();
}

void setBoxText(QWidget *box, const QString &text)
{
    if (auto *memo = qobject_cast<QPlainTextEdit *>(box)) {
        memo->setPlainText(text);
    } else {
        auto *edit = static_cast<QLineEdit *>(box);
        edit->setText(text);
        edit->setCursorPosition(0); // a long line shows from its start
    }
}

// A line break or NUL inside a line would split the record in two once saved
// and shift every record behind it; each becomes a blank instead.
QByteArray mended(QByteArray line)
{
    for (char &c : line)
        if (c == '\r' || c == '\n' || c == '\0')
            c = ' ';
    return line;
}

// The file beside `path` with its name and another suffix.
QString besideWithSuffix(const QString &path, const QString &suffix)
{
    const QFileInfo file(path);
    return file.dir().filePath(file.completeBaseName() + suffix);
}

// The reports of `progress` for one of `parts` steps of a work, as the
// `part`th of them (from 0).
Progress partOf(const Progress &progress, int part, int parts)
{
    return [=](qint64 done, qint64 total) { return progress(part * total + done, parts * total); };
}

QString fileNameOf(const QString &path)
{
    return QFileInfo(path).fileName();
}

// The Tab key passes over a control that is no tab stop; a click still focuses it.
void leaveTabOrder(QWidget *control)
{
    control->setFocusPolicy(Qt::ClickFocus);
}
} // namespace

TForm2::TForm2(Toolkit &toolkit, QWidget *parent) : QMainWindow(parent), tk(toolkit)
{
    setObjectName(u"Form2"_s);
    setWindowTitle(startCaption);
    setAttribute(Qt::WA_QuitOnClose, false);
    setFont(japaneseFont(12));
    move(95, 112);
    auto *client = new QWidget(this);
    setCentralWidget(client);

    const QFont f15b = japaneseFont(15, true), f19b = japaneseFont(19, true), f16 = japaneseFont(16);
    const QFont f15 = japaneseFont(15), f12 = japaneseFont(12);
    // One row per control: the control as built (name, rectangle, caption,
    // font, colour), its hint, and what a box holds at a question record,
    // grey in an empty box and read out by screen readers.
    const QList<std::tuple<QWidget *, QString, QString>> table{
        {Label1 = place<QLabel>(client, "Label1", 8, 0, 57, 15, u"第    問"_s, f15b, clNavy), {}, {}},
        {Label2 = place<QLabel>(client, "Label2", 80, 0, 57, 15, u"全    問"_s, f15b, clNavy), {}, {}},
        {Edit8 = place<QLineEdit>(client, "Edit8", 144, 0, 49, 20, u"残り"_s, f12), {}, u"残り"_s},
        {Button7 = place<QPushButton>(client, "Button7", 208, 0, 49, 20, u"reset"_s, f12), u"新規作成の場合、保存の前に必ずresetします"_s, {}},
        {Edit9 = place<QLineEdit>(client, "Edit9", 273, 0, 140, 20, u"タイトル"_s, f12), {}, u"タイトル"_s},
        {Edit2 = place<QuestionBox>(client, "Edit2", 6, 24, 409, 65, {}, f19b), u"問題文で改行は出来ません。"_s, u"問題文"_s},
        {Edit3 = place<QLineEdit>(client, "Edit3", 8, 96, 201, 24, u"１正答"_s, f16, clBlack), {}, u"正答"_s},
        {Edit5 = place<QLineEdit>(client, "Edit5", 216, 96, 201, 24, u"３"_s, f16, clBlack), {}, u"誤答2"_s},
        {Edit4 = place<QLineEdit>(client, "Edit4", 8, 128, 201, 24, u"２"_s, f16, clBlack), {}, u"誤答1"_s},
        {Edit6 = place<QLineEdit>(client, "Edit6", 216, 128, 201, 24, u"４"_s, f16, clBlack), {}, u"誤答3"_s},
        {Edit1 = place<QLineEdit>(client, "Edit1", 8, 160, 409, 23, {}, f15, clBlack), {}, u"分野"_s},
        {Edit7 = place<QLineEdit>(client, "Edit7", 8, 192, 409, 23, newFileHint, f15, clBlack), {}, u"解説"_s},
        {Button6 = place<QPushButton>(client, "Button6", 8, 224, 57, 25, u"保存"_s, f12), {}, {}},
        {Button1 = place<QPushButton>(client, "Button1", 72, 224, 57, 25, u"<<"_s, f12), {}, {}},
        {Button2 = place<QPushButton>(client, "Button2", 136, 224, 57, 25, u">>"_s, f12), {}, {}},
        {Button4 = place<QPushButton>(client, "Button4", 200, 224, 65, 25, u"変更"_s, f12), {}, {}},
        {Button5 = place<QPushButton>(client, "Button5", 272, 224, 65, 25, u"クリア"_s, f12), u"クリアしてから問題入力つぎに、追加"_s, {}},
        {Button3 = place<QPushButton>(client, "Button3", 344, 224, 65, 25, u"追加"_s, f12), u"追加した問題が第１問になる"_s, {}},
    };
    for (const auto &[control, hint, name] : table) {
        control->setToolTip(hint);
        if (name.isEmpty())
            continue;
        control->setAccessibleName(name);
        if (auto *memo = qobject_cast<QPlainTextEdit *>(control))
            memo->setPlaceholderText(name);
        else
            static_cast<QLineEdit *>(control)->setPlaceholderText(name);
    }
    Button3->setEnabled(false);
    Edit2->setTabChangesFocus(true);
    block = {Edit1, Edit2, Edit3, Edit4, Edit5, Edit6, Edit7};

    const QList<QWidget *> tabOrder{Edit9, Button5, Edit2, Edit3, Edit4, Edit5, Edit6, Edit1,
                                    Edit7, Button3, Button2, Button4, Button6, Button1, Button7, Edit8};
    for (qsizetype i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
    for (QWidget *control : QList<QWidget *>{Button2, Button4, Button6, Button1, Button7, Edit8})
        leaveTabOrder(control);

    OpenDialog1 = {u"データ(*.dat)|*.dat|すべてのファイル(*.*)|*.*"_s, {}, {}, false};
    SaveDialog1 = {u"*.dat|*.dat|all|*.*"_s, u"dat"_s, u"*.dat"_s, false};

    K1 = menuBar()->addMenu(u"ファイル"_s);
    K1->setObjectName(u"K1"_s);
    New1 = menuItem(K1, "New1", u"新規"_s);
    Open1 = menuItem(K1, "Open1", u"開く"_s);
    Hozo = menuItem(K1, "Hozo", u"保存"_s);
    K1->addSeparator();
    Import1 = menuItem(K1, "Import1", u"インポート (CSV)"_s);
    Export1 = menuItem(K1, "Export1", u"エクスポート (CSV)"_s);
    K1->addSeparator();
    Close1 = menuItem(K1, "Close1", u"閉じる"_s);
    CsvOpenDialog = {csvFilter, {}, {}, false};
    CsvSaveDialog = {csvFilter, u"csv"_s, {}, true};

    connectGuarded(tk, Button1, &QPushButton::clicked, this, &TForm2::Button1Click);
    connectGuarded(tk, Button2, &QPushButton::clicked, this, &TForm2::Button2Click);
    connectGuarded(tk, Button3, &QPushButton::clicked, this, &TForm2::Button3Click);
    connectGuarded(tk, Button4, &QPushButton::clicked, this, &TForm2::Button4Click);
    connectGuarded(tk, Button5, &QPushButton::clicked, this, &TForm2::Button5Click);
    connectGuarded(tk, Button6, &QPushButton::clicked, this, &TForm2::Button6Click);
    connectGuarded(tk, Button7, &QPushButton::clicked, this, &TForm2::Button7Click);
    connectGuarded(tk, Open1, &QAction::triggered, this, &TForm2::Open1Click);
    connectGuarded(tk, Hozo, &QAction::triggered, this, &TForm2::Button6Click);
    connectGuarded(tk, Close1, &QAction::triggered, this, &TForm2::Close1Click);
    connectGuarded(tk, New1, &QAction::triggered, this, &TForm2::New1Click);
    connectGuarded(tk, Import1, &QAction::triggered, this, &TForm2::Import1Click);
    connectGuarded(tk, Export1, &QAction::triggered, this, &TForm2::Export1Click);

    // The client area of the layout, below the menu bar.
    resize(421, 258 + menuBar()->sizeHint().height());
    guard(tk, [this] { FormCreate(); });
}

void TForm2::FormCreate()
{
    questionList = LineList();
    recordStart = 0;
    questionNumber = 0;
    remainingCount = 0;
    const QString newFile[7] = {u"タイトル"_s, newFileHint, Edit3->text(), Edit4->text(),
                                Edit5->text(), Edit6->text(),
                                u"既存問題ファイルへの追加・変更 まず、ファイルを【開く】"_s};
    for (int k = 0; k < 7; ++k)
        questionList.Insert(recordStart + k, toSjis(newFile[k]));
    newFileTemplate = questionList;
    unsaved = false;
    ShowRecord();
}

void TForm2::showBytes(QWidget *box, const QByteArray &bytes)
{
    setBoxText(box, fromSjis(bytes));
    shown[box] = {bytes, boxText(box)};
}

void TForm2::showLine(QWidget *box, int index)
{
    showBytes(box, questionList.Get(index));
}

QByteArray TForm2::lineOf(const QWidget *box) const
{
    // A box the user left as it was gives back its line's own bytes, also where
    // they are no valid Shift-JIS and the text shown is only an approximation.
    const QString text = boxText(box);
    const auto it = shown.constFind(box);
    return mended(it != shown.cend() && it->text == text ? it->bytes : toSjis(text));
}

void TForm2::showQuestionNumber()
{
    setCaption(Label1, u"第 "_s + QString::number(questionNumber) + u" 問"_s);
}

void TForm2::showFileCaption()
{
    setWindowCaption(this, u"柚木塾("_s + fileName + u')');
}

void TForm2::ShowRecord()
{
    for (int k = 0; k < 7; ++k)
        showLine(block[k], recordStart + k);
    showQuestionNumber();
    setCaption(Label2, u"全 "_s + QString::number(total()) + u" 問"_s);
    remainingCount = textToInt(questionList.Get(2));
    showBytes(Edit8, intToText(remainingCount));
    showLine(Edit9, 0);
}

void TForm2::Open1Click()
{
    bool retry = false;
    do {
        // A retry proposes the path that failed; fileName, which the save
        // proposes, changes only once a file's lines are loaded.
        if (!retry)
            OpenDialog1.fileName = fileName;
        retry = false;
        if (const auto path = tk.run(this, DialogKind::Open, OpenDialog1)) {
            bool loaded = true;
            try {
                loadQuestionFile(tk, this, questionList, *path);
                fileName = *path;
                unsaved = false;
            } catch (const EFOpenError &e) {
                loaded = false;
                retry = tk.messageBox(this, e.message(), u"ok"_s, Buttons::RetryCancel) == IDRETRY;
            }
            if (loaded) {
                recordStart = 0;
                questionNumber = 0;
                showQuestionNumber();
                showFileCaption();
                ShowRecord();
            }
        }
        Button3->setEnabled(true);
    } while (retry);
}

void TForm2::Button6Click()
{
    if (questionList.Count() == 0)
        return;
    SaveDialog1.fileName = savePlace(fileName);
    SaveDialog1.overwritePrompt = true;
    const auto path = tk.run(this, DialogKind::Save, SaveDialog1);
    if (!path)
        return;
    // The caption names the file only once the lines are in it.
    saveQuestionFile(tk, this, questionList, *path);
    fileName = *path;
    unsaved = false;
    showFileCaption();
}

void TForm2::Button7Click()
{
    if (questionList.Count() != 0
        && tk.messageBox(this, u"すべて未習 に変更します。(残り＝総問題数)"_s, u"変更"_s,
                         Buttons::YesNoCancel) == IDYES) {
        questionList.Put(2, intToText(total()));
        unsaved = true;
    }
    ShowRecord();
}

void TForm2::Button2Click()
{
    recordStart += 7;
    ++questionNumber;
    if (recordStart >= questionList.Count()) {
        recordStart = 0;
        questionNumber = 0;
    }
    ShowRecord();
}

void TForm2::Button1Click()
{
    recordStart -= 7;
    --questionNumber;
    if (recordStart < 0) {
        recordStart = questionList.Count() - 7;
        questionNumber = total();
    }
    ShowRecord();
}

void TForm2::Close1Click()
{
    hide();
    showWindow(Form1);
}

void TForm2::Button3Click()
{
    if (questionList.Count() != 0
        && tk.messageBox(this, u" 追加します。"_s, u"追加"_s, Buttons::YesNoCancel) == IDYES) {
        recordStart = 7;
        questionNumber = 1;
        QList<QByteArray> added;
        for (const QWidget *box : block)
            added << lineOf(box);
        questionList.InsertBlock(recordStart, added);
        remainingCount = qint32(quint32(remainingCount) + 1u);
        questionList.Put(2, intToText(remainingCount));
        unsaved = true;
    }
    ShowRecord();
}

void TForm2::Button4Click()
{
    if (questionList.Count() != 0
        && tk.messageBox(this, u" 変更します。"_s, u"変更"_s, Buttons::YesNoCancel) == IDYES) {
        questionList.Put(2, lineOf(Edit8));
        questionList.Put(0, lineOf(Edit9));
        // The category is never taken from its box: the stored line is read
        // back first, so the block's first line keeps its text.
        showLine(Edit1, recordStart);
        for (int k = 0; k < 7; ++k)
            questionList.Put(recordStart + k, lineOf(block[k]));
        unsaved = true;
        leaveTabOrder(Edit9);
    }
    Button3->setEnabled(true);
    ShowRecord();
}

void TForm2::Button5Click()
{
    for (QWidget *box : block)
        showBytes(box, {});
    leaveTabOrder(Edit9);
}

void TForm2::showNewFile(const LineList &list)
{
    questionList = list;
    unsaved = false;
    recordStart = 0;
    questionNumber = 0;
    setWindowTitle(startCaption);
    ShowRecord();
}

void TForm2::New1Click()
{
    fileName.clear();
    showNewFile(newFileTemplate);
}

bool TForm2::edited() const
{
    if (unsaved)
        return true;
    for (auto it = shown.cbegin(); it != shown.cend(); ++it)
        if (boxText(it.key()) != it->text)
            return true;
    return false;
}

void TForm2::Import1Click()
{
    if (edited()
        && tk.messageBox(this, u"保存していない変更は失われます。インポートしますか？"_s, u"インポート"_s,
                         Buttons::YesNoCancel) != IDYES)
        return;
    const auto path = tk.run(this, DialogKind::Open, CsvOpenDialog);
    if (!path)
        return;
    CsvRecords csv;
    tk.withProgress(this, fileNameOf(*path) + u" をインポートしています…"_s, [&](const Progress &progress) {
        csv = recordsFromCsv(readRegularFile(*path, progress), partOf(progress, 1, 2));
    });
    LineList imported = LineList::split(newFileTemplate.joined() + csv.lines);
    imported.Put(0, toSjis(QFileInfo(*path).completeBaseName()));
    imported.Put(2, intToText(qint32(csv.questions)));
    // Not saved yet: the save dialog proposes a question file beside the CSV.
    fileName = besideWithSuffix(*path, u".dat"_s);
    showNewFile(imported);
    unsaved = true;
    Button3->setEnabled(true);
    if (csv.widerRows)
        tk.messageBox(this, u"%1 行に 8 列目より後の項目がありました。それらは読み込んでいません。"_s.arg(csv.widerRows),
                      u"インポート"_s, Buttons::Ok);
}

void TForm2::Export1Click()
{
    LineList records = questionList;
    for (int k = 0; k < 7 && records.Count(); ++k)
        records.Delete(0);
    QByteArray text;
    tk.withProgress(this, u"CSV を作っています…"_s,
                    [&](const Progress &progress) { text = csvFromRecords(records.joined(), progress); });
    if (!fileName.isEmpty())
        CsvSaveDialog.fileName = besideWithSuffix(fileName, u".csv"_s);
    if (const auto path = tk.run(this, DialogKind::Save, CsvSaveDialog))
        tk.withProgress(this, fileNameOf(*path) + u" に書き出しています…"_s,
                        [&](const Progress &progress) { writeWholeFile(*path, text, progress); });
}
