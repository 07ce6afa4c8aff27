#include "quiz/TForm1.h"
#include "app/Controls.h"
#include "app/ErrorDisplay.h"
#include "app/Globals.h"
#include "app/LoadQuestionFile.h"
#include "app/Numbers.h"
#include "app/SavePlace.h"
#include "app/Sjis.h"
#include "quiz/SpeechText.h"
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {
const QString judgedRight = u"正 解！"_s;
const QString judgedWrong = u"残 念"_s;
const QString judgementBlank = u"      "_s;
const QString questionFilter = u"ﾃﾞｰﾀ(*.dat)|*.dat|ﾃｷｽﾄ(*.txt)|*.txt|All(*.*)|*.*"_s;
// The client area of the layout, below the menu bar: the window's smallest.
const QSize layoutClient{440, 285};
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
    // Tab goes on round the order: a question holds no tab characters.
    Memo1->setTabChangesFocus(true);

    // How each control follows a client area larger than the layout's: which
    // edges follow its right edge, what share of the extra height it takes,
    // and for a label the room that its text may take, clear of its neighbours.
    growth = {
        {Label4, Follow::None, 0, {72, 24}},
        {Label1, Follow::None, 0, {56, 24}},
        {Label5, Follow::Right, 0, {228, 24}},
        {Label2, Follow::Both, 0, {16, 20}},
        {Label3, Follow::Both, 0, {56, 20}},
        {Label6, Follow::Right, 0, {313, 16}},
        {Label9, Follow::Right, 4, {313, 17}},
        {Nmon, Follow::Both, 0, {59, 25}},
        {Smon, Follow::Both, 0, {54, 25}},
        {Memo1, Follow::Right, 4, {}},
        {Tojiru, Follow::None, 0, {}},
        {Hozon, Follow::None, 0, {}},
        {Yomikomi, Follow::Both, 0, {}},
        // Each answer button takes a little height, enough to wrap a long answer.
        {Button1, Follow::Right, 1, {}},
        {Button2, Follow::Right, 1, {}},
        {Button3, Follow::Right, 1, {}},
        {Button4, Follow::Right, 1, {}},
        {Sakujo, Follow::Both, 0, {}},
        {Miru, Follow::Both, 0, {}},
        {Susumeru, Follow::Both, 2, {}}, // down to the last answer button's bottom
    };
    for (Growth &g : growth) {
        g.classic = QRect(g.control->pos(), g.room.isEmpty() ? g.control->size() : g.room);
        g.font = g.control->font();
        g.hint = g.control->toolTip();
        if (auto *label = qobject_cast<QLabel *>(g.control))
            wholeText[label] = label->text();
        else if (auto *button = qobject_cast<QPushButton *>(g.control))
            wholeText[button] = button->text();
    }
    client->setMinimumSize(layoutClient);
    client->installEventFilter(this);

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
    Hyouji = menuBar()->addMenu(u"表示"_s);
    Hyouji->setObjectName(u"Hyouji"_s);
    Kakudai = menuItem(Hyouji, "Kakudai", u"拡大"_s);
    Shukushou = menuItem(Hyouji, "Shukushou", u"縮小"_s);
    Hyoujun = menuItem(Hyouji, "Hyoujun", u"標準の大きさ"_s);
    Kakudai->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)});
    Shukushou->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Minus));
    Hyoujun->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_0));
    Shukushou->setEnabled(false);
    Gakushu = menuBar()->addMenu(u"学習"_s);
    Gakushu->setObjectName(u"Gakushu"_s);
    Fukushu = menuItem(Gakushu, "Fukushu", u"間違えた問題を復習"_s);
    Fukushu->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    K6->setEnabled(false);
    N1->setEnabled(false);
    Fukushu->setEnabled(false);
    Pronounce = menuItem(Gakushu, "Pronounce", u"発音"_s);
    ReadQuestion = menuItem(Gakushu, "ReadQuestion", u"問題を読む"_s);
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
    connectGuarded(tk, Kakudai, &QAction::triggered, this, &TForm1::KakudaiClick);
    connectGuarded(tk, Shukushou, &QAction::triggered, this, &TForm1::ShukushouClick);
    connectGuarded(tk, Hyoujun, &QAction::triggered, this, &TForm1::HyoujunClick);
    connectGuarded(tk, Fukushu, &QAction::triggered, this, &TForm1::FukushuClick);
    connectGuarded(tk, Pronounce, &QAction::triggered, this, &TForm1::PronounceClick);
    connectGuarded(tk, ReadQuestion, &QAction::triggered, this, &TForm1::ReadQuestionClick);

    resize(layoutClient + QSize(0, menuBar()->sizeHint().height()));
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
    setWindowCaption(this, shownTitle(settingsTitle));
    setMenuCaption(K5, fromSjis(menuCaption));
    showInBox(Memo1, u"   "_s + fromSjis(menuCaption));
    recordStart = 0;
    questionNumber = 0;
    score = 0;
    fileName.clear();
    baseTitle = settingsTitle;
    tk.seedRandom(quint32(QDateTime::currentSecsSinceEpoch()));
    showText(Label3, {});
    showText(Label2, {});
    showText(Label1, u" 判 定 "_s);
    showText(Label4, u"第    問"_s);
}

QString TForm1::fileCaption() const
{
    return shownTitle(baseTitle) + u'(' + fileName + u')';
}

QString TForm1::shownTitle(const QByteArray &title)
{
    // The window system refuses a caption of megabytes; the title itself is kept whole.
    return fromSjis(title).left(1000);
}

void TForm1::showQuestionNumber(int number)
{
    showText(Label4, u"第 "_s + QString::number(number) + u" 問"_s);
}

void TForm1::ShowQuestion()
{
    // Which record line each button shows, by rotation; the correct answer (2)
    // sits on button rotation + 1.
    static constexpr int rotationTable[4][4] = {{2, 4, 3, 5}, {5, 2, 3, 4}, {4, 5, 2, 3}, {5, 3, 4, 2}};
    const int s = recordStart;
    updateSpeechItems(false);
    showText(Smon, u"総数 "_s + QString::number(questionList.Count() / 7 - 1));
    showText(Nmon, u"残り "_s + shown(2));
    rotation = tk.nextRandom() % 4;
    correctButton = rotation + 1;
    showText(Label6, shown(s));
    showText(Label9, shown(s + 6));
    showInBox(Memo1, shown(s + 1));
    showText(Label5, shown(s + 2));
    QPushButton *const buttons[4] = {Button1, Button2, Button3, Button4};
    for (int b = 0; b < 4; ++b)
        showText(buttons[b], shown(s + rotationTable[rotation][b]));
}

void TForm1::answer(int button)
{
    QPushButton *const buttons[4] = {Button1, Button2, Button3, Button4};
    if (correctButton == button) {
        showText(Label1, judgedRight);
        tk.playSound(u"seikai.wav"_s);
        if (reviewSize) {
            missed.remove(recordStart);
            updateReviewItem();
        }
    } else {
        showText(Label1, judgedWrong);
        tk.playSound(u"gotou.wav"_s);
        noteMissed();
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
    // Reading the answer after answering right is no miss.
    if (wholeText.value(Label1) != judgedRight)
        noteMissed();
    Label5->show();
    Label6->show();
    Label9->show();
    for (QPushButton *b : {Button1, Button2, Button3, Button4})
        b->setEnabled(false);
    updateSpeechItems(true);
}

void TForm1::UpdateScore()
{
    if (wholeText.value(Label1) == judgedRight)
        ++score;
    showText(Label3, u" / "_s + QString::number(questionNumber - 1));
    if (recordStart == 7 && !reviewSize)
        showText(Label3, u" / "_s + QString::number(remainingCount));
    showText(Label2, QString::number(score));
    showText(Label1, judgementBlank);
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
    if (reviewSize) {
        reviewMoveTo(recordStart + 7);
        return;
    }
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
    leaveReview();
    recordStart = 7;
    questionNumber = 1;
    score = 0;
    showText(Label3, u"/ 0"_s);
    showText(Label2, QString::number(score));
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
    // The path becomes the file's name only once its lines are here, so that a
    // failed open never has a later save write these lines over that file.
    loadQuestionFile(tk, this, questionList, *path);
    fileName = *path;
    missed.clear();
    leaveReview();
    recordStart = 7;
    questionNumber = 1;
    score = 0;
    showQuestionNumber(questionNumber);
    // All three answer labels, or question 1 of the new file would show its
    // explanation, often the answer itself, before it is asked.
    hideAnswerLabels();
    UpdateScore();
    setWindowCaption(this, fileCaption());
    remainingCount = textToInt(questionList.Get(2));
    ShowQuestion();
    enableAnswers();
    K6->setEnabled(true);
    K7->setText(u"「"_s + shown(0) + u"」"_s);
    setTextColor(Memo1, clBlack);
}

void TForm1::HozonClick()
{
    if (questionList.Count() <= 0)
        return;
    SaveDialog1.fileName = savePlace(fileName);
    SaveDialog1.overwritePrompt = true;
    const auto path = tk.run(this, DialogKind::Save, SaveDialog1);
    if (!path)
        return;
    fileName = *path;
    setWindowCaption(this, fileCaption());
    questionList.Save(fileName);
}

void TForm1::SakujoClick()
{
    if (questionList.Count() == 0)
        return;
    const QString message = shown(recordStart + 1).left(shownCharacters) + u" を末尾に移動します。"_s;
    if (tk.messageBox(this, message, u"移動"_s, Buttons::YesNoCancel) == IDYES) {
        questionList.MoveToEnd(recordStart, 7);
        missed.memorised(recordStart);
        updateReviewItem();
        remainingCount = qint32(quint32(remainingCount) - 1u);
        questionList.Put(2, intToText(remainingCount));
        if (reviewSize) {
            reviewMoveTo(recordStart);
            return;
        }
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

void TForm1::noteMissed()
{
    // Only a record the file holds; before an open every answer is wrong.
    if (recordStart >= 7 && recordStart + 7 <= questionList.Count())
        missed.add(recordStart);
    updateReviewItem();
}

void TForm1::updateReviewItem()
{
    Fukushu->setEnabled(!missed.isEmpty());
}

void TForm1::showReviewPlace()
{
    showText(Label4, u"復習 "_s + QString::number(questionNumber) + u" / "_s + QString::number(reviewSize));
}

void TForm1::FukushuClick()
{
    const int first = missed.firstFrom(7);
    if (!first)
        return;
    reviewSize = missed.size();
    K6->setEnabled(false); // the review goes forward only
    recordStart = first;
    questionNumber = 1;
    score = 0;
    // A judgement still shown belongs to the pass left behind.
    showText(Label1, judgementBlank);
    showText(Label2, QString::number(score));
    showText(Label3, u" / 0"_s);
    enableAnswers();
    hideAnswerLabels();
    showReviewPlace();
    ShowQuestion();
}

// Shows the first missed question at or after the line `from`, or ends the
// review when none is left.
void TForm1::reviewMoveTo(int from)
{
    hideAnswerLabels();
    ++questionNumber;
    const int next = missed.firstFrom(from);
    if (!next) {
        finishReview();
        return;
    }
    recordStart = next;
    UpdateScore();
    enableAnswers();
    showReviewPlace();
    ShowQuestion();
}

void TForm1::finishReview()
{
    UpdateScore(); // the last judgement counts in the review
    const QString message = u"復習が終わりました。"_s + QString::number(reviewSize) + u" 問中 "_s
                            + QString::number(score) + u" 問正解"_s;
    leaveReview();
    tk.messageBox(this, message, u"復習"_s, Buttons::Ok);
    // Back to question 1 of the normal pass, as at the wrap of next.
    recordStart = 7;
    questionNumber = 1;
    score = 0;
    UpdateScore();
    enableAnswers();
    showQuestionNumber(questionNumber);
    ShowQuestion();
}

void TForm1::leaveReview()
{
    if (reviewSize)
        K6->setEnabled(true);
    reviewSize = 0;
    updateReviewItem();
}

void TForm1::keyPressEvent(QKeyEvent *event)
{
    // Keys 1 to 4 answer and Return goes on, as learners of drills expect. The
    // question box takes its keys first, so typing there is unaffected. A key
    // held down acts once: its repeats would judge, or skip, again and again.
    QPushButton *const buttons[4] = {Button1, Button2, Button3, Button4};
    const int k = event->key() - Qt::Key_1;
    QPushButton *const target = k >= 0 && k < 4 ? buttons[k]
                                : event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter ? Susumeru
                                                                                                  : nullptr;
    if (target && !(event->modifiers() & ~Qt::KeypadModifier)) {
        if (!event->isAutoRepeat() && target->isEnabled())
            target->click();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

// ---- a window that grows, zoom, texts that fit ----------------------------------

int TForm1::scaled(int pixels) const
{
    return qRound(pixels * zoom / 100.0);
}

// A control's rectangle for the current client size and zoom: its classic one
// scaled, moved down by the extra height of every growing control above it,
// widened or moved by the extra width; at the layout's size, the classic one.
QRect TForm1::mapped(const Growth &g) const
{
    const QSize extra = (centralWidget()->size() - QSize(scaled(layoutClient.width()), scaled(layoutClient.height())))
                            .expandedTo(QSize(0, 0));
    int down = 0;
    for (const Growth &above : growth)
        if (above.heightShare && above.classic.bottom() < g.classic.top())
            down += extra.height() * above.heightShare / 12;
    const QRect &c = g.classic;
    QRect r(scaled(c.left()), scaled(c.top()) + down, scaled(c.left() + c.width()) - scaled(c.left()),
            scaled(c.top() + c.height()) - scaled(c.top()) + extra.height() * g.heightShare / 12);
    if (g.follow == Follow::Right)
        r.setWidth(r.width() + extra.width());
    else if (g.follow == Follow::Both)
        r.translate(extra.width(), 0);
    return r;
}

void TForm1::fit(const Growth &g)
{
    QFont font = g.font;
    font.setPixelSize(scaled(g.font.pixelSize()));
    if (g.control == Memo1) {
        Memo1->setGeometry(mapped(g));
        Memo1->setFont(font);
    } else {
        showFitted(g.control, wholeText.value(g.control), font, mapped(g), g.hint);
    }
}

void TForm1::arrange()
{
    for (const Growth &g : growth)
        fit(g);
}

void TForm1::showText(QWidget *control, const QString &text)
{
    wholeText[control] = text;
    for (const Growth &g : growth)
        if (g.control == control)
            fit(g);
}

// A line for display: a huge one costs no more than the part that shows.
QString TForm1::shown(int index) const
{
    return fromSjisStart(questionList.Get(index), shownCharacters);
}

bool TForm1::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == centralWidget() && event->type() == QEvent::Resize)
        arrange();
    return QMainWindow::eventFilter(watched, event);
}

void TForm1::zoomTo(int percent)
{
    percent = std::clamp(percent, 100, 200);
    const QSize client = size() - QSize(0, menuBar()->sizeHint().height());
    const bool smallest = client == centralWidget()->minimumSize();
    const double ratio = double(percent) / zoom;
    zoom = percent;
    Kakudai->setEnabled(zoom < 200);
    Shukushou->setEnabled(zoom > 100);
    setFont(japaneseFont(scaled(12)));
    // Menus are windows of their own and take no font from this one.
    for (QAction *item : menuBar()->actions())
        if (QMenu *menu = item->menu()) {
            QFont font = QApplication::font(menu);
            if (font.pixelSize() > 0)
                font.setPixelSize(scaled(font.pixelSize()));
            else
                font.setPointSizeF(font.pointSizeF() * zoom / 100.0);
            menu->setFont(font);
        }
    const QSize least(scaled(layoutClient.width()), scaled(layoutClient.height()));
    centralWidget()->setMinimumSize(least);
    layout()->activate(); // the window's own smallest size follows at once
    // The window keeps its proportions, within the screen, unless it fills it;
    // at its smallest it stays at its smallest.
    if (!(windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen))) {
        const QSize bar(0, menuBar()->sizeHint().height());
        const QSize most = screen()->availableGeometry().size() - bar;
        resize((smallest ? least : client * ratio).boundedTo(most).expandedTo(least) + bar);
    }
    arrange();
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

// Only what the window shows is read: a huge line would keep the voice busy
// for hours, and every later request waits behind it.
void TForm1::PronounceClick()
{
    tk.speak(speechText(shown(recordStart + 2)));
}

void TForm1::ReadQuestionClick()
{
    const QString question = shown(recordStart + 1);
    tk.speak(answerOnScreen() ? speechText(question, shown(recordStart + 2)) : speechText(question));
}
