#include "quiz/TForm1.h"
#include "app/Controls.h"
#include "app/ErrorDisplay.h"
#include "app/Globals.h"
#include "app/Numbers.h"
#include "app/Sjis.h"
#include "quiz/SpeechText.h"
#include <QAction>
#include <QCloseEvent>
#include <QDateTime>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>

using namespace Qt::Literals::StringLiterals;

namespace {
const QString judgedRight = u"正 解！"_s;
const QString judgedWrong = u"残 念"_s;
const QString questionFilter = u"ﾃﾞｰﾀ(*.dat)|*.dat|ﾃｷｽﾄ(*.txt)|*.txt|All(*.*)|*.*"_s;
} // namespace

TForm1::TForm1(Toolkit &toolkit, QWidget *parent) : QMainWindow(parent), tk(toolkit)
{
    setObjectName(u"Form1"_s);
    setWindowTitle(u"☆柚木塾"_s);
    setFont(japaneseFont(12));
    move(58, 72);
    auto *client = new QWidget(this);
    setCentralWidget(client);

    const QFont f16b = japaneseFont(16, true), f13 = japaneseFont(13), f12b = japaneseFont(12, true);
    const QFont f12 = japaneseFont(12), f19b = japaneseFont(19, true);
    Label4 = place<QLabel>(client, "Label4", 8, 96, 59, 16, u"第    問"_s, f16b, clNavy);
    Label1 = place<QLabel>(client, "Label1", 80, 96, 41, 16, u"判 定"_s, f16b, clNavy);
    Label5 = place<QLabel>(client, "Label5", 136, 96, 41, 16, u"正 解"_s, f16b, clRed);
    Label2 = place<QLabel>(client, "Label2", 368, 100, 7, 16, {}, f16b, clGreen);
    Label3 = place<QLabel>(client, "Label3", 384, 100, 7, 16, {}, f16b, clGreen);
    Label6 = place<QLabel>(client, "Label6", 8, 120, 26, 13, u"分野"_s, f13, clMaroon);
    Label9 = place<QLabel>(client, "Label9", 8, 136, 26, 13, u"解説"_s, f13, clMaroon);
    Nmon = place<QLabel>(client, "Nmon", 327, 128, 24, 12, u"残り"_s, f12b, clGreen);
    Smon = place<QLabel>(client, "Smon", 386, 128, 27, 12, u"総数"_s, f12b, clGreen);
    Label6->hide();
    Label9->hide();

    Susumeru = place<QPushButton>(client, "Susumeru", 320, 218, 113, 57, u">>"_s, f12, clNavy);
    Miru = place<QPushButton>(client, "Miru", 320, 185, 113, 27, u"正解・解説 表示"_s, f12, clNavy);
    Yomikomi = place<QPushButton>(client, "Yomikomi", 296, 0, 129, 17, u"読み込み"_s, f12, clNavy);
    Tojiru = place<QPushButton>(client, "Tojiru", 16, 0, 129, 17, u"閉じる"_s, f12);
    Button1 = place<QPushButton>(client, "Button1", 16, 153, 297, 28, u"1"_s, f19b, clMaroon);
    Button2 = place<QPushButton>(client, "Button2", 16, 184, 297, 28, u"2"_s, f19b, clMaroon);
    Button3 = place<QPushButton>(client, "Button3", 16, 216, 297, 28, u"3"_s, f19b, clMaroon);
    Button4 = place<QPushButton>(client, "Button4", 16, 248, 297, 28, u"4"_s, f19b, clMaroon);
    Sakujo = place<QPushButton>(client, "Sakujo", 320, 153, 113, 27, u"記憶完了"_s, f12, clNavy);
    Hozon = place<QPushButton>(client, "Hozon", 156, 0, 129, 17, u"保 存"_s, f12, clNavy);
    Memo1 = place<QPlainTextEdit>(client, "Memo1", 16, 24, 409, 65, {}, f19b, clRed);
    QPalette memoPalette = Memo1->palette();
    memoPalette.setColor(QPalette::Base, memoPalette.color(QPalette::Button));
    Memo1->setPalette(memoPalette);

    Susumeru->setToolTip(u"次へ進みます。"_s);
    Miru->setToolTip(u"正解を見ますか。"_s);
    Yomikomi->setToolTip(u"最初に、問題ファイルを開きましょう。"_s);
    Tojiru->setToolTip(u"終了します。"_s);
    Sakujo->setToolTip(u"憶えた問題をファイルの最後に移動します。後で保存を忘れないように。"_s);
    Hozon->setToolTip(u"記憶完了を使用した場合、保存して下さい"_s);

    // For screen readers: labels are named by their text; say what the bare
    // numbers and marks mean.
    Memo1->setAccessibleName(u"問題文"_s);
    Label4->setAccessibleDescription(u"問題番号"_s);
    Label1->setAccessibleDescription(u"判定"_s);
    Label5->setAccessibleDescription(u"正解"_s);
    Label2->setAccessibleDescription(u"正解数"_s);
    Label3->setAccessibleDescription(u"解答した問題数"_s);
    Label6->setAccessibleDescription(u"分野"_s);
    Label9->setAccessibleDescription(u"解説"_s);
    Nmon->setAccessibleDescription(u"残りの問題数"_s);
    Smon->setAccessibleDescription(u"総問題数"_s);

    const QList<QWidget *> tabOrder{Susumeru, Miru, Yomikomi, Tojiru, Button1, Button2,
                                    Button3, Button4, Sakujo, Hozon, Memo1};
    for (qsizetype i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);

    OpenDialog1 = {questionFilter, u"dat"_s, {}, false};
    SaveDialog1 = {questionFilter, u"dat"_s, {}, false};

    K1 = menuBar()->addMenu(u"ファイル操作"_s);
    K1->setObjectName(u"K1"_s);
    Open1 = menuItem(K1, "Open1", u"開く"_s);
    K2 = menuItem(K1, "K2", u"保存"_s);
    Edit = menuItem(K1, "Edit", u"編集"_s);
    K4 = menuItem(K1, "K4", u"問題の最初"_s);
    K6 = menuItem(K1, "K6", u"戻る"_s);
    N1 = K1->addSeparator();
    N1->setObjectName(u"N1"_s);
    Exit1 = menuItem(K1, "Exit1", u"終了"_s);
    K5 = menuBar()->addMenu(u"「ピルモ英語」 "_s);
    K5->setObjectName(u"K5"_s);
    about1 = menuItem(K5, "about1", u"about this"_s);
    K7 = menuBar()->addAction(u"タイトル"_s);
    K7->setObjectName(u"K7"_s);
    K6->setEnabled(false);
    N1->setEnabled(false);
    Study = menuBar()->addMenu(u"学習"_s);
    Study->setObjectName(u"Study"_s);
    Pronounce = menuItem(Study, "Pronounce", u"発音"_s);
    ReadQuestion = menuItem(Study, "ReadQuestion", u"問題を読む"_s);
    Pronounce->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    ReadQuestion->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P));
    Pronounce->setEnabled(false);
    ReadQuestion->setEnabled(false);

    connectGuarded(tk, Susumeru, &QPushButton::clicked, this, &TForm1::SusumeruClick);
    connectGuarded(tk, Miru, &QPushButton::clicked, this, &TForm1::MiruClick);
    connectGuarded(tk, Yomikomi, &QPushButton::clicked, this, &TForm1::YomikomiClick);
    connectGuarded(tk, Tojiru, &QPushButton::clicked, this, &TForm1::TojiruClick);
    connectGuarded(tk, Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
    connectGuarded(tk, Button2, &QPushButton::clicked, this, &TForm1::Button2Click);
    connectGuarded(tk, Button3, &QPushButton::clicked, this, &TForm1::Button3Click);
    connectGuarded(tk, Button4, &QPushButton::clicked, this, &TForm1::Button4Click);
    connectGuarded(tk, Sakujo, &QPushButton::clicked, this, &TForm1::SakujoClick);
    connectGuarded(tk, Hozon, &QPushButton::clicked, this, &TForm1::HozonClick);
    connectGuarded(tk, Open1, &QAction::triggered, this, &TForm1::YomikomiClick);
    connectGuarded(tk, K2, &QAction::triggered, this, &TForm1::HozonClick);
    connectGuarded(tk, Edit, &QAction::triggered, this, &TForm1::EditClick);
    connectGuarded(tk, K4, &QAction::triggered, this, &TForm1::K4Click);
    connectGuarded(tk, K6, &QAction::triggered, this, &TForm1::K6Click);
    connectGuarded(tk, Exit1, &QAction::triggered, this, &TForm1::TojiruClick);
    connectGuarded(tk, about1, &QAction::triggered, this, &TForm1::about1Click);
    connectGuarded(tk, Pronounce, &QAction::triggered, this, &TForm1::PronounceClick);
    connectGuarded(tk, ReadQuestion, &QAction::triggered, this, &TForm1::ReadQuestionClick);

    // The client area of the layout, below the menu bar.
    resize(440, 285 + menuBar()->sizeHint().height());
    guard(tk, [this] { FormCreate(); });
}

void TForm1::FormCreate()
{
    questionList = LineList();
    LineList settingsList;
    settingsList.Load(u"help.txt"_s);
    if (settingsList.Get(0) == "3480") {
        settingsTitle = settingsList.Get(1);
        menuCaption = settingsList.Get(2);
    } else {
        settingsTitle = toSjis(u"☆柚木塾"_s);
        menuCaption = toSjis(u" ☆ピルモ英語 Ver2.0"_s);
    }
    setWindowTitle(fromSjis(settingsTitle));
    K5->setTitle(fromSjis(menuCaption));
    Memo1->setPlainText(u"   "_s + fromSjis(menuCaption));
    recordStart = 0;
    questionNumber = 0;
    score = 0;
    fileName.clear();
    baseTitle = settingsTitle;
    tk.seedRandom(quint32(QDateTime::currentSecsSinceEpoch()));
    setCaption(Label3, {});
    setCaption(Label2, {});
    setCaption(Label1, u" 判 定 "_s);
    setCaption(Label4, u"第    問"_s);
}

QString TForm1::line(int index) const
{
    return fromSjis(questionList.Get(index));
}

QString TForm1::fileCaption() const
{
    return fromSjis(baseTitle) + u'(' + fileName + u')';
}

void TForm1::showQuestionNumber(int number)
{
    setCaption(Label4, u"第 "_s + QString::number(number) + u" 問"_s);
}

void TForm1::ShowQuestion()
{
    // Which record line each button shows, by rotation; the correct answer (2)
    // sits on button rotation + 1.
    static constexpr int rotationTable[4][4] = {{2, 4, 3, 5}, {5, 2, 3, 4}, {4, 5, 2, 3}, {5, 3, 4, 2}};
    const int s = recordStart;
    updateSpeechItems(false);
    setCaption(Smon, u"総数 "_s + QString::number(questionList.Count() / 7 - 1));
    setCaption(Nmon, u"残り "_s + line(2));
    rotation = tk.nextRandom() % 4;
    correctButton = rotation + 1;
    setCaption(Label6, line(s));
    setCaption(Label9, line(s + 6));
    Memo1->setPlainText(line(s + 1));
    setCaption(Label5, line(s + 2));
    QPushButton *const buttons[4] = {Button1, Button2, Button3, Button4};
    for (int b = 0; b < 4; ++b)
        buttons[b]->setText(line(s + rotationTable[rotation][b]));
}

void TForm1::answer(int button)
{
    QPushButton *const buttons[4] = {Button1, Button2, Button3, Button4};
    if (correctButton == button) {
        setCaption(Label1, judgedRight);
        tk.playSound(u"seikai.wav"_s);
    } else {
        setCaption(Label1, judgedWrong);
        tk.playSound(u"gotou.wav"_s);
        Label5->show();
        Label6->show();
        Label9->show();
    }
    for (int b = 0; b < 4; ++b)
        if (b + 1 != button)
            buttons[b]->setEnabled(false);
    updateSpeechItems(true);
}

void TForm1::MiruClick()
{
    Label5->show();
    Label6->show();
    Label9->show();
    for (QPushButton *b : {Button1, Button2, Button3, Button4})
        b->setEnabled(false);
    updateSpeechItems(true);
}

void TForm1::UpdateScore()
{
    if (Label1->text() == judgedRight)
        ++score;
    setCaption(Label3, u" / "_s + QString::number(questionNumber - 1));
    if (recordStart == 7)
        setCaption(Label3, u" / "_s + QString::number(remainingCount));
    setCaption(Label2, QString::number(score));
    setCaption(Label1, u"      "_s);
}

void TForm1::enableAnswers()
{
    for (QPushButton *b : {Button1, Button2, Button3, Button4})
        b->setEnabled(true);
}

void TForm1::hideAnswerLabels()
{
    Label5->hide();
    Label6->hide();
    Label9->hide();
}

void TForm1::SusumeruClick()
{
    if (questionList.Count() <= 0)
        return;
    hideAnswerLabels();
    recordStart += 7;
    // Compared in 64 bits so that a huge remaining count cannot wrap round.
    if (7 * qint64(remainingCount) < recordStart) {
        questionNumber = 1;
        score = 0;
        recordStart = 7;
    } else {
        ++questionNumber;
    }
    UpdateScore();
    enableAnswers();
    showQuestionNumber(questionNumber);
    ShowQuestion();
}

void TForm1::K4Click()
{
    if (questionList.Count() <= 0)
        return;
    recordStart = 7;
    questionNumber = 1;
    score = 0;
    setCaption(Label3, u"/ 0"_s);
    setCaption(Label2, QString::number(score));
    showQuestionNumber(questionNumber);
    ShowQuestion();
}

void TForm1::K6Click()
{
    if (recordStart != 7) {
        recordStart -= 7;
        --questionNumber;
        showQuestionNumber(questionNumber);
    }
    ShowQuestion();
}

void TForm1::YomikomiClick()
{
    const auto path = tk.run(this, DialogKind::Open, OpenDialog1);
    if (!path)
        return;
    fileName = *path;
    questionList.Load(fileName);
    recordStart = 7;
    questionNumber = 1;
    score = 0;
    showQuestionNumber(questionNumber);
    Label5->hide();
    UpdateScore();
    setWindowTitle(fileCaption());
    remainingCount = textToInt(questionList.Get(2));
    ShowQuestion();
    enableAnswers();
    K6->setEnabled(true);
    K7->setText(u"「"_s + line(0) + u"」"_s);
    setTextColor(Memo1, clBlack);
}

void TForm1::HozonClick()
{
    if (questionList.Count() <= 0)
        return;
    SaveDialog1.fileName = fileName;
    SaveDialog1.overwritePrompt = true;
    const auto path = tk.run(this, DialogKind::Save, SaveDialog1);
    if (!path)
        return;
    fileName = *path;
    setWindowTitle(fileCaption());
    questionList.Save(fileName);
}

void TForm1::SakujoClick()
{
    if (questionList.Count() == 0)
        return;
    const QString message = line(recordStart + 1) + u" を末尾に移動します。"_s;
    if (tk.messageBox(this, message, u"移動"_s, Buttons::YesNoCancel) == IDYES) {
        questionList.MoveToEnd(recordStart, 7);
        remainingCount = qint32(quint32(remainingCount) - 1u);
        questionList.Put(2, intToText(remainingCount));
        showQuestionNumber(questionNumber + 1);
        UpdateScore();
    }
    enableAnswers();
    hideAnswerLabels();
    ShowQuestion();
}

void TForm1::TojiruClick()
{
    close();
}

void TForm1::EditClick()
{
    showWindow(Form2);
}

void TForm1::about1Click()
{
    showWindow(AboutBox);
}

void TForm1::keyPressEvent(QKeyEvent *event)
{
    // Keys 1 to 4 answer, as learners of drills expect. The question box takes
    // its keys first, so typing there is unaffected.
    QPushButton *const buttons[4] = {Button1, Button2, Button3, Button4};
    const int k = event->key() - Qt::Key_1;
    if (k >= 0 && k < 4 && !(event->modifiers() & ~Qt::KeypadModifier)) {
        if (buttons[k]->isEnabled())
            buttons[k]->click();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void TForm1::closeEvent(QCloseEvent *event)
{
    tk.stopSpeaking();
    QMainWindow::closeEvent(event);
}

bool TForm1::answerOnScreen() const
{
    // A wrong answer and the reveal show the correct answer's label; a right
    // answer shows it on the button clicked.
    return answered || !Label5->isHidden();
}

void TForm1::updateSpeechItems(bool answeredNow)
{
    answered = answeredNow;
    // The toolkit is asked only once a file is open, so start-up never waits for it.
    const bool can = questionList.Count() > 0 && tk.canSpeak();
    Pronounce->setEnabled(can && answerOnScreen());
    ReadQuestion->setEnabled(can);
}

void TForm1::PronounceClick()
{
    tk.speak(speechText(line(recordStart + 2)));
}

void TForm1::ReadQuestionClick()
{
    const QString question = line(recordStart + 1);
    tk.speak(answerOnScreen() ? speechText(question, line(recordStart + 2)) : speechText(question));
}
