#include "quiz/TForm1.h"
#include "app/Controls.h"
#include "app/ErrorDisplay.h"
#include "app/Exceptions.h"
#include "app/Globals.h"
#include "app/LoadQuestionFile.h"
#include "app/Numbers.h"
#include "app/SavePlace.h"
#include "app/Sjis.h"
#include "app/TextFit.h"
#include "quiz/SpeechText.h"
#include "quiz/WindowSettings.h"
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QDialog>
#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyleOptionMenuItem>
#include <QTextBrowser>
#include <QVBoxLayout>
#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {
const QString judgementBlank = u"      "_s;
const QString questionFilter = u"ﾃﾞｰﾀ(*.dat)|*.dat|ﾃｷｽﾄ(*.txt)|*.txt|All(*.*)|*.*"_s;
// The client area of the layout, below the menu bar: the window's smallest.
const QSize layoutClient{440, 285};
} // namespace

TForm1::TForm1(Toolkit &toolkit, QWidget *parent)
    : QMainWindow(parent), tk(toolkit), drill([this] { return tk.nextRandom(); })
{
    setObjectName(u"Form1"_s);
    setWindowTitle(u"☆柚木塾"_s);
    setFont(japaneseFont(12));
    move(58, 72);
    auto *client = new QWidget(this);
    setCentralWidget(client);

    const QFont f16b = japaneseFont(16, true), f13 = japaneseFont(13), f12b = japaneseFont(12, true);
    const QFont f12 = japaneseFont(12), f19b = japaneseFont(19, true);
    // One row per control: the control as built (name, rectangle, caption, font,
    // colour), its hint, what a screen reader says of it (labels are named by
    // their text; this says what the bare numbers and marks mean), which edges
    // follow the window's right edge, its twelfths of the extra height, and a
    // label's room: up to the control on its right and the one below it.
    growth = GrowingLayout(layoutClient, {
        {Label4 = place<QLabel>(client, "Label4", 8, 96, 59, 16, u"第    問"_s, f16b, clNavy), {}, u"問題番号"_s, Follow::None, 0, {80 - 8, 120 - 96}},
        {Label1 = place<QLabel>(client, "Label1", 80, 96, 41, 16, u"判 定"_s, f16b, clNavy), {}, u"判定"_s, Follow::None, 0, {136 - 80, 120 - 96}},
        // Clear of the score by 4 pixels.
        {Label5 = place<QLabel>(client, "Label5", 136, 96, 41, 16, u"正 解"_s, f16b, clRed), {}, u"正解"_s, Follow::Right, 0, {368 - 4 - 136, 120 - 96}},
        {Label2 = place<QLabel>(client, "Label2", 368, 100, 7, 16, {}, f16b, clGreen), {}, u"正解数"_s, Follow::Both, 0, {384 - 368, 120 - 100}},
        {Label3 = place<QLabel>(client, "Label3", 384, 100, 7, 16, {}, f16b, clGreen), {}, u"解答した問題数"_s, Follow::Both, 0, {440 - 384, 120 - 100}},
        // Up to the right-hand buttons' column (320), overlapping it by the one
        // pixel it always had.
        {Label6 = place<QLabel>(client, "Label6", 8, 120, 26, 13, u"分野"_s, f13, clMaroon), {}, u"分野"_s, Follow::Right, 0, {321 - 8, 136 - 120}},
        {Label9 = place<QLabel>(client, "Label9", 8, 136, 26, 13, u"解説"_s, f13, clMaroon), {}, u"解説"_s, Follow::Right, 4, {321 - 8, 153 - 136}},
        {Nmon = place<QLabel>(client, "Nmon", 327, 128, 24, 12, u"残り"_s, f12b, clGreen), {}, u"残りの問題数"_s, Follow::Both, 0, {386 - 327, 153 - 128}},
        {Smon = place<QLabel>(client, "Smon", 386, 128, 27, 12, u"総数"_s, f12b, clGreen), {}, u"総問題数"_s, Follow::Both, 0, {440 - 386, 153 - 128}},
        // Down to the last answer button's bottom.
        {Susumeru = place<QPushButton>(client, "Susumeru", 320, 218, 113, 57, u">>"_s, f12, clNavy), u"次へ進みます。"_s, {}, Follow::Both, 2},
        {Miru = place<QPushButton>(client, "Miru", 320, 185, 113, 27, u"正解・解説 表示"_s, f12, clNavy), u"正解を見ますか。"_s, {}, Follow::Both, 0},
        {Yomikomi = place<QPushButton>(client, "Yomikomi", 296, 0, 129, 17, u"読み込み"_s, f12, clNavy), u"最初に、問題ファイルを開きましょう。"_s, {}, Follow::Both, 0},
        {Tojiru = place<QPushButton>(client, "Tojiru", 16, 0, 129, 17, u"閉じる"_s, f12), u"終了します。"_s, {}, Follow::None, 0},
        // Each answer button takes a little height, enough to wrap a long answer.
        {Button1 = place<QPushButton>(client, "Button1", 16, 153, 297, 28, u"1"_s, f19b, clMaroon), {}, {}, Follow::Right, 1},
        {Button2 = place<QPushButton>(client, "Button2", 16, 184, 297, 28, u"2"_s, f19b, clMaroon), {}, {}, Follow::Right, 1},
        {Button3 = place<QPushButton>(client, "Button3", 16, 216, 297, 28, u"3"_s, f19b, clMaroon), {}, {}, Follow::Right, 1},
        {Button4 = place<QPushButton>(client, "Button4", 16, 248, 297, 28, u"4"_s, f19b, clMaroon), {}, {}, Follow::Right, 1},
        {Sakujo = place<QPushButton>(client, "Sakujo", 320, 153, 113, 27, u"記憶完了"_s, f12, clNavy), u"憶えた問題をファイルの最後に移動します。後で保存を忘れないように。"_s, {}, Follow::Both, 0},
        {Hozon = place<QPushButton>(client, "Hozon", 156, 0, 129, 17, u"保 存"_s, f12, clNavy), u"記憶完了を使用した場合、保存して下さい"_s, {}, Follow::None, 0},
        {Memo1 = place<QPlainTextEdit>(client, "Memo1", 16, 24, 409, 65, {}, f19b, clRed), {}, {}, Follow::Right, 4},
    });
    Label6->hide();
    Label9->hide();
    QPalette memoPalette = Memo1->palette();
    memoPalette.setColor(QPalette::Base, memoPalette.color(QPalette::Button));
    Memo1->setPalette(memoPalette);
    Memo1->setAccessibleName(u"問題文"_s);
    // Tab goes on round the order: a question holds no tab characters.
    Memo1->setTabChangesFocus(true);
    for (const LayoutRow &row : growth.rows()) {
        if (auto *label = qobject_cast<QLabel *>(row.control))
            wholeText[label] = label->text();
        else if (auto *button = qobject_cast<QPushButton *>(row.control))
            wholeText[button] = button->text();
    }
    const QList<QWidget *> tabOrder{Susumeru, Miru, Yomikomi, Tojiru, Button1, Button2,
                                    Button3, Button4, Sakujo, Hozon, Memo1};
    for (qsizetype i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
    client->setMinimumSize(layoutClient);
    client->installEventFilter(this);
    for (const LayoutRow &row : growth.rows())
        row.control->installEventFilter(this); // a double click on a cut text shows it whole

    OpenDialog1 = {questionFilter, u"dat"_s, {}, false};
    SaveDialog1 = {questionFilter, u"dat"_s, {}, false};
    buildMenus();
    addMenuItems();

    using Handler = void (TForm1::*)();
    const std::initializer_list<std::pair<QPushButton *, Handler>> clicks{
        {Susumeru, &TForm1::SusumeruClick}, {Miru, &TForm1::MiruClick}, {Yomikomi, &TForm1::YomikomiClick},
        {Tojiru, &TForm1::TojiruClick}, {Button1, &TForm1::Button1Click}, {Button2, &TForm1::Button2Click},
        {Button3, &TForm1::Button3Click}, {Button4, &TForm1::Button4Click}, {Sakujo, &TForm1::SakujoClick},
        {Hozon, &TForm1::HozonClick}};
    for (const auto &[button, handler] : clicks)
        connectGuarded(tk, button, &QPushButton::clicked, this, handler);
    const std::initializer_list<std::pair<QAction *, Handler>> items{
        {Open1, &TForm1::YomikomiClick}, {K2, &TForm1::HozonClick}, {Edit, &TForm1::EditClick},
        {K4, &TForm1::K4Click}, {K6, &TForm1::K6Click}, {Exit1, &TForm1::TojiruClick},
        {about1, &TForm1::about1Click}, {Kakudai, &TForm1::KakudaiClick}, {Shukushou, &TForm1::ShukushouClick},
        {Hyoujun, &TForm1::HyoujunClick}, {Fukushu, &TForm1::FukushuClick}, {Pronounce, &TForm1::PronounceClick},
        {ReadQuestion, &TForm1::ReadQuestionClick}, {Uwagaki, &TForm1::UwagakiClick},
        {Awaseru, &TForm1::AwaseruClick}, {Zenbun, &TForm1::ZenbunClick}, {Miru1, &TForm1::MiruClick},
        {Sakujo1, &TForm1::SakujoClick}};
    for (const auto &[item, handler] : items)
        connectGuarded(tk, item, &QAction::triggered, this, handler);
    connectGuarded(tk, Kyou, &QAction::triggered, this, &TForm1::KyouClick);
    // Questions come due as the hours pass, also while the window stays open.
    connectGuarded(tk, Gakushu, &QMenu::aboutToShow, this, &TForm1::showDueCount);
    connectGuarded(tk, Kiroku, &QAction::triggered, this, &TForm1::KirokuClick);
    resize(layoutClient + QSize(0, menuBar()->sizeHint().height()));
    guard(tk, [this] { FormCreate(); });
    // As wide as the menu bar needs, so that every menu shows at the start.
    startSize = QSize(std::max(width(), menuBarWidth()), height());
    resize(startSize);
    guard(tk, [this] { restorePlace(); });
}

// The width the menu bar needs for all its menus side by side.
int TForm1::menuBarWidth() const
{
    QMenuBar *bar = menuBar();
    QStyle *style = bar->style();
    const QFontMetrics metrics(bar->font());
    int width = 2 * (style->pixelMetric(QStyle::PM_MenuBarHMargin, nullptr, bar)
                     + style->pixelMetric(QStyle::PM_MenuBarPanelWidth, nullptr, bar));
    for (QAction *item : bar->actions()) {
        QStyleOptionMenuItem option;
        option.initFrom(bar);
        option.menuItemType = QStyleOptionMenuItem::Normal;
        option.text = item->text();
        const QSize text = metrics.size(Qt::TextShowMnemonic, item->text());
        width += style->sizeFromContents(QStyle::CT_MenuBarItem, &option, text, bar).width()
                 + style->pixelMetric(QStyle::PM_MenuBarItemSpacing, nullptr, bar);
    }
    return width;
}

void TForm1::addMenuItems()
{
    Recent = new QMenu(u"最近使ったファイル"_s, K1);
    Recent->setObjectName(u"Recent"_s);
    K1->insertMenu(K2, Recent);
    Uwagaki = new QAction(u"上書き保存"_s, K1);
    Uwagaki->setObjectName(u"Uwagaki"_s);
    K1->insertAction(K2, Uwagaki);
    Open1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    Uwagaki->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    K2->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    Exit1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    Hyouji->addSeparator();
    Awaseru = menuItem(Hyouji, "Awaseru", u"ウィンドウに合わせる"_s);
    Awaseru->setCheckable(true);
    Awaseru->setChecked(true);
    Zenbun = menuItem(Hyouji, "Zenbun", u"全文を表示"_s);
    Zenbun->setShortcut(QKeySequence(Qt::Key_F2));
    Gakushu->addSeparator();
    Miru1 = menuItem(Gakushu, "Miru1", u"正解・解説 表示"_s);
    Miru1->setShortcut(QKeySequence(Qt::Key_F3));
    Sakujo1 = menuItem(Gakushu, "Sakujo1", u"記憶完了"_s);
    Sakujo1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_M));
    const QStringList recent = WindowSettings::recentFiles();
    showRecent(recent);
    OpenDialog1.fileName = recent.value(0); // the open dialog starts at the last file
}

void TForm1::buildMenus()
{
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
    Kyou = menuItem(Gakushu, "Kyou", u"今日の復習 (0 問)"_s);
    Kyou->setEnabled(false); // until a question of the open file is due
    Pronounce = menuItem(Gakushu, "Pronounce", u"発音"_s);
    ReadQuestion = menuItem(Gakushu, "ReadQuestion", u"問題を読む"_s);
    Pronounce->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    ReadQuestion->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P));
    Kiroku = menuItem(Gakushu, "Kiroku", u"学習の記録"_s);
    Kiroku->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    // Greyed until a file is open, a question missed, a voice there.
    for (QAction *item : {K6, N1, Fukushu, Pronounce, ReadQuestion})
        item->setEnabled(false);
}

void TForm1::FormCreate()
{
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

// ---- showing the drill ------------------------------------------------------------

template <class Move> void TForm1::run(Move move)
{
    try {
        move();
    } catch (...) {
        showChanges(drill.takeChanges()); // the steps before the failing one stand
        throw;
    }
    showChanges(drill.takeChanges());
}

void TForm1::showChanges(Drill::Changes changes)
{
    if (changes & Drill::Place) {
        const int n = drill.shownNumber();
        const auto &pass = drill.subPass();
        const QString passLabel = pass && pass->kind == Drill::PassKind::Today ? u"今日 %1 / %2"_s : u"復習 %1 / %2"_s;
        showText(Label4, pass ? passLabel.arg(n).arg(pass->size) : u"第 %1 問"_s.arg(n));
    }
    if (changes & Drill::Judged) {
        const Drill::Judgement j = drill.judgement();
        showText(Label1, j == Drill::Judgement::Right ? u"正 解！"_s : j == Drill::Judgement::Wrong ? u"残 念"_s : judgementBlank);
    }
    if (changes & Drill::Score) {
        showText(Label3, (drill.tally() == Drill::Tally::SetBack ? u"/ "_s : u" / "_s) + QString::number(drill.answered()));
        showText(Label2, QString::number(drill.score()));
    }
    if (changes & Drill::Answer) {
        for (QLabel *label : {Label5, Label6, Label9})
            label->setVisible(drill.answerShown());
        QPushButton *const buttons[4] = {Button1, Button2, Button3, Button4};
        for (int b = 0; b < 4; ++b)
            buttons[b]->setEnabled(drill.answerOpen(b + 1));
    }
    if (changes & ~Drill::Judged) {
        Fukushu->setEnabled(drill.canReview());
        K6->setEnabled(drill.canGoBack());
    }
    if (changes & (Drill::Answer | Drill::Question)) {
        // The toolkit is asked only once a file is open, so start-up never waits for it.
        const bool can = drill.hasLines() && tk.canSpeak();
        Pronounce->setEnabled(can && drill.answerOnScreen());
        ReadQuestion->setEnabled(can);
    }
    if (changes & Drill::Question) {
        questionShownAt = tk.now();
        recordedHere = false;
        showQuestion();
    }
    if (changes & (Drill::Answer | Drill::Question)) {
        markCorrect();
        showFullText();
    }
}

// Once the answer shows, its button is marked, so that the eye finds it and
// not the wrong one clicked; a screen reader hears it too.
void TForm1::markCorrect()
{
    QPushButton *const buttons[4] = {Button1, Button2, Button3, Button4};
    for (int b = 0; b < 4; ++b) {
        const bool marked = drill.answerShown() && drill.correctButton() == b + 1;
        // Dark text, also while the button takes no click, so that it reads at once.
        buttons[b]->setStyleSheet(marked ? u"QPushButton { border: 3px solid #008000; border-radius: 4px;"
                                           u" background-color: #d4f4d4; color: #004000; }"_s
                                         : QString());
        buttons[b]->setAccessibleDescription(marked ? u"正解"_s : QString());
        fit(*growth.find(buttons[b])); // the frame takes some of the text's room
    }
}

void TForm1::showQuestion()
{
    // Which record line each button shows, by rotation; the correct answer (2)
    // sits on button rotation + 1.
    static constexpr int rotationTable[4][4] = {{2, 4, 3, 5}, {5, 2, 3, 4}, {4, 5, 2, 3}, {5, 3, 4, 2}};
    const int s = drill.recordStart();
    showText(Smon, u"総数 "_s + QString::number(drill.lines().Count() / 7 - 1));
    showText(Nmon, u"残り "_s + shown(2));
    showText(Label6, shown(s));
    showText(Label9, shown(s + 6));
    showInBox(Memo1, shown(s + 1));
    showText(Label5, shown(s + 2));
    QPushButton *const buttons[4] = {Button1, Button2, Button3, Button4};
    for (int b = 0; b < 4; ++b)
        showText(buttons[b], shown(s + rotationTable[drill.rotation()][b]));
}

// A line for display: a huge one costs no more than the part that shows.
QString TForm1::shown(int index) const
{
    return fromSjisStart(drill.lines().Get(index), shownCharacters);
}

// ---- handlers ------------------------------------------------------------------------

void TForm1::answer(int button)
{
    const QDateTime at = tk.now();
    drill.answer(button); // fails at no step
    const Drill::Changes changes = drill.takeChanges();
    // The judgement shows while its sound plays; the answer and the buttons after.
    showChanges(changes & Drill::Judged);
    tk.playSound(drill.judgement() == Drill::Judgement::Right ? u"seikai.wav"_s : u"gotou.wav"_s);
    showChanges(changes & ~Drill::Judged);
    recordAnswer(drill.judgement() == Drill::Judgement::Right, at);
}

void TForm1::MiruClick()
{
    run([&] { drill.reveal(); });
    recordAnswer(false, tk.now()); // unless already answered
}

void TForm1::SusumeruClick()
{
    run([&] { drill.next(); });
    showFinished();
}

void TForm1::showFinished()
{
    const auto done = drill.takeFinished();
    if (!done)
        return;
    const QString pass = done->kind == Drill::PassKind::Today ? u"今日の復習"_s : u"復習"_s;
    tk.messageBox(this, u"%1が終わりました。%2 問中 %3 問正解"_s.arg(pass).arg(done->size).arg(done->score), pass, Buttons::Ok);
    // Back where the learner was in the normal pass.
    run([&] { drill.resume(); });
}

void TForm1::K4Click() { run([&] { drill.first(); }); }
void TForm1::K6Click() { run([&] { drill.back(); }); }
void TForm1::FukushuClick() { run([&] { drill.startReview(); }); }

void TForm1::YomikomiClick()
{
    const auto path = tk.run(this, DialogKind::Open, OpenDialog1);
    if (!path)
        return;
    openFile(*path);
}

void TForm1::openFile(const QString &path)
{
    // The path becomes the file's name only once its lines are a drill, so that
    // a failed open never has a later save write these lines over that file.
    LineList loaded;
    loadQuestionFile(tk, this, loaded, path);
    openHistory();
    run([&] { drill.open(std::move(loaded)); });
    recordKeys.clear();
    fileName = path;
    setWindowCaption(this, fileCaption());
    K7->setText(u"「"_s + shown(0) + u"」"_s);
    setTextColor(Memo1, clBlack);
    showDueCount();
    showRecent(WindowSettings::addRecentFile(path));
}

void TForm1::openRecent(const QString &path)
{
    try {
        openFile(path);
    } catch (const EFOpenError &) {
        showRecent(WindowSettings::removeRecentFile(path)); // gone: it leaves the list
        throw;
    }
    OpenDialog1.fileName = path;
}

void TForm1::showRecent(const QStringList &files)
{
    Recent->clear();
    for (const QString &path : files) {
        QAction *item = Recent->addAction(path);
        connect(item, &QAction::triggered, this, [this, path] { guard(tk, [&] { openRecent(path); }); });
    }
    Recent->setEnabled(!files.isEmpty());
}

void TForm1::HozonClick()
{
    if (!drill.hasLines())
        return;
    SaveDialog1.fileName = savePlace(fileName);
    SaveDialog1.overwritePrompt = true;
    const auto path = tk.run(this, DialogKind::Save, SaveDialog1);
    if (!path)
        return;
    // The caption names the file only once the lines are in it.
    saveQuestionFile(tk, this, drill.lines(), *path);
    fileName = *path;
    setWindowCaption(this, fileCaption());
    showRecent(WindowSettings::addRecentFile(fileName));
}

void TForm1::UwagakiClick()
{
    if (fileName.isEmpty())
        HozonClick();
    else
        saveQuestionFile(tk, this, drill.lines(), fileName);
}

void TForm1::SakujoClick()
{
    if (!drill.hasLines())
        return;
    const QString message = shown(drill.recordStart() + 1).left(shownCharacters) + u" を末尾に移動します。"_s;
    const bool yes = tk.messageBox(this, message, u"移動"_s, Buttons::YesNoCancel) == IDYES;
    run([&] { drill.memorise(yes); });
    if (yes)
        recordKeys.clear(); // the records behind it moved up
    showDueCount(); // a memorised record leaves the drill
    showFinished();
}

void TForm1::KyouClick()
{
    const QList<int> due = dueRecords();
    run([&] { drill.startToday(due); });
}

// ---- the learner's history -------------------------------------------------------

void TForm1::openHistory()
{
    if (!history)
        history = std::make_unique<ProgressStore>();
    history->open();
    tellHistory();
}

// Why the history is off, or where a damaged file went: once a run.
void TForm1::tellHistory()
{
    if (historyTold || !history || history->notice().isEmpty())
        return;
    historyTold = true;
    tk.messageBox(this, history->notice(), u"学習の記録"_s, Buttons::Ok);
}

// Hashed once per record while the lines stay put: the due count asks for
// every record's key after each answer.
QuestionKey TForm1::keyOf(int record)
{
    const auto r = size_t(record / Drill::recordLines);
    if (recordKeys.size() <= r)
        recordKeys.resize(r + 1);
    if (!recordKeys[r])
        recordKeys[r] = questionKey(drill.lines().Get(record + 1), drill.lines().Get(record + 2));
    return *recordKeys[r];
}

void TForm1::recordAnswer(bool right, const QDateTime &at)
{
    if (recordedHere || !history || !drill.asksRecord())
        return;
    recordedHere = true;
    history->record(keyOf(drill.recordStart()), fileName, right,
                    std::max<qint64>(0, questionShownAt.msecsTo(at)), at);
    tellHistory();
    showDueCount();
    emit answerRecorded();
}

QList<int> TForm1::dueRecords()
{
    if (!history)
        return {};
    const QList<int> records = drill.recordsInDrill();
    QList<QuestionKey> keys;
    keys.reserve(records.size());
    for (int record : records)
        keys.append(keyOf(record));
    QList<int> due;
    for (qsizetype place : history->due(keys, tk.now()))
        due.append(records[place]);
    tellHistory();
    return due;
}

void TForm1::showDueCount()
{
    const qsizetype n = dueRecords().size();
    Kyou->setText(u"今日の復習 (%1 問)"_s.arg(n));
    Kyou->setEnabled(n > 0);
}

void TForm1::TojiruClick() { close(); }
void TForm1::EditClick() { showWindow(Form2); }
void TForm1::about1Click() { showWindow(AboutBox); }
void TForm1::KirokuClick() { showWindow(Records); }

void TForm1::keyPressEvent(QKeyEvent *event)
{
    // Keys 1 to 4 answer and Return goes on, as learners of drills expect. The
    // question box takes its keys first, so typing there is unaffected. A key
    // held down acts once: its repeats would judge, or skip, again and again.
    QPushButton *const buttons[4] = {Button1, Button2, Button3, Button4};
    const int k = event->key() - Qt::Key_1;
    const bool answerKey = k >= 0 && k < 4;
    const bool nextKey = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if ((answerKey || nextKey) && !(event->modifiers() & ~Qt::KeypadModifier)) {
        if (!event->isAutoRepeat() && (!answerKey || drill.answerOpen(k + 1)))
            (answerKey ? buttons[k] : Susumeru)->click();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

// ---- a window that grows, zoom, texts that fit ----------------------------------

void TForm1::fit(const LayoutRow &row)
{
    const QRect box = growth.mapped(row, centralWidget()->size());
    if (row.control == Memo1) {
        Memo1->setGeometry(box);
        Memo1->setFont(growth.font(row));
    } else if (row.control == Label2 || row.control == Label3 || row.control == Label5) {
        fitScore();
    } else {
        showIn(row, box);
    }
}

void TForm1::showIn(const LayoutRow &row, const QRect &box)
{
    if (showFitted(row.control, wholeText.value(row.control), growth.font(row), box, row.hint))
        cutTexts.insert(row.control);
    else
        cutTexts.remove(row.control);
}

// The score and the tally read whole at their own size: each reaches left of
// its place as far as its number needs, and the correct answer takes what is left.
void TForm1::fitScore()
{
    const QSize client = centralWidget()->size();
    int right = client.width();
    for (QLabel *label : {Label3, Label2}) {
        const LayoutRow &row = *growth.find(label);
        QRect box = growth.mapped(row, client);
        const QRect painted = QFontMetrics(growth.font(row)).boundingRect(QRect(), Qt::AlignLeft, wholeText.value(label));
        box.setWidth(std::max(box.width(), painted.width()));
        if (box.x() + box.width() > right)
            box.moveRight(right - 1);
        showIn(row, box);
        right = box.x();
    }
    const LayoutRow &row = *growth.find(Label5);
    QRect box = growth.mapped(row, client);
    box.setRight(std::min(box.right(), right - growth.scaled(4) - 1));
    showIn(row, box);
}

void TForm1::arrange()
{
    for (const LayoutRow &row : growth.rows())
        fit(row);
}

void TForm1::showText(QWidget *control, const QString &text)
{
    wholeText[control] = text;
    if (const LayoutRow *row = growth.find(control))
        fit(*row);
}

bool TForm1::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == centralWidget() && event->type() == QEvent::Resize) {
        if (fitting && !startSize.isEmpty() && fitZoom() != growth.zoom())
            applyZoom(fitZoom());
        arrange();
    }
    if (event->type() == QEvent::MouseButtonDblClick && cutTexts.contains(watched))
        guard(tk, [this] { ZenbunClick(); });
    return QMainWindow::eventFilter(watched, event);
}

void TForm1::zoomTo(int percent)
{
    fitting = false;
    Awaseru->setChecked(false);
    percent = std::clamp(percent, 100, 200);
    const QSize client = size() - QSize(0, menuBar()->sizeHint().height());
    const bool smallest = client == centralWidget()->minimumSize();
    const double ratio = double(percent) / growth.zoom();
    applyZoom(percent);
    const QSize least = growth.least();
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

// The texts, the menus and the window's font at `percent`, the window's size as it is.
void TForm1::applyZoom(int percent)
{
    growth.setZoom(percent);
    Kakudai->setEnabled(percent < 200);
    Shukushou->setEnabled(percent > 100);
    setFont(japaneseFont(growth.scaled(12)));
    // Menus are windows of their own and take no font from this one.
    for (QAction *item : menuBar()->actions())
        if (QMenu *menu = item->menu()) {
            QFont font = QApplication::font(menu);
            if (font.pixelSize() > 0)
                font.setPixelSize(growth.scaled(font.pixelSize()));
            else
                font.setPointSizeF(font.pointSizeF() * percent / 100.0);
            menu->setFont(font);
        }
    if (FullText)
        FullText->setFont(japaneseFont(growth.scaled(16)));
}

// The zoom at which the window is as large as the starting window is at 100 %.
int TForm1::fitZoom() const
{
    return std::clamp(std::min(width() * 100 / startSize.width(), height() * 100 / startSize.height()), 100, 200);
}

void TForm1::AwaseruClick()
{
    fitting = Awaseru->isChecked();
    if (!fitting)
        return;
    // The window may again be as small as the layout; the zoom follows it.
    centralWidget()->setMinimumSize(layoutClient);
    applyZoom(fitZoom());
    arrange();
}

void TForm1::restorePlace()
{
    const auto place = WindowSettings::loadPlace();
    if (!place)
        return;
    if (!place->fit) {
        fitting = false;
        Awaseru->setChecked(false);
        applyZoom(std::clamp(place->zoom, 100, 200));
        centralWidget()->setMinimumSize(growth.least());
    }
    // Qt's own record: a place no longer on any screen is brought onto one.
    restoreGeometry(place->geometry);
}

// ---- the whole text ------------------------------------------------------------

void TForm1::ZenbunClick()
{
    if (!FullTextBox) {
        FullTextBox = new QDialog(this);
        FullTextBox->setObjectName(u"FullTextBox"_s);
        FullTextBox->setWindowTitle(u"全文"_s);
        FullText = new QTextBrowser(FullTextBox);
        FullText->setObjectName(u"FullText"_s);
        FullText->setAccessibleName(u"問題と答えの全文"_s);
        // Read and selected with the keyboard as well, as a screen reader's user does.
        FullText->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        FullText->setFont(japaneseFont(growth.scaled(16)));
        auto *close = new QDialogButtonBox(QDialogButtonBox::Close, FullTextBox);
        connect(close, &QDialogButtonBox::rejected, FullTextBox, &QDialog::hide);
        auto *layout = new QVBoxLayout(FullTextBox);
        layout->addWidget(FullText);
        layout->addWidget(close);
        FullTextBox->resize(QSize(growth.scaled(560), growth.scaled(640)).boundedTo(screen()->availableGeometry().size() * 9 / 10));
        showFullText();
    }
    FullTextBox->show();
    FullTextBox->raise();
    FullTextBox->activateWindow();
}

// The question, the four answers in the buttons' order, and once the answer
// shows, the correct answer, the category and the explanation.
void TForm1::showFullText()
{
    if (!FullText)
        return;
    QString html;
    const auto part = [&html](const QString &heading, const QString &text) {
        html += u"<h4>%1</h4><p style=\"white-space: pre-wrap\">%2</p>"_s.arg(heading, text.toHtmlEscaped());
    };
    if (!drill.hasLines()) {
        part(u"問題"_s, u"問題ファイルを開いてください。"_s);
    } else {
        const int s = drill.recordStart();
        part(u"問題"_s, shown(s + 1));
        const QPushButton *const buttons[4] = {Button1, Button2, Button3, Button4};
        for (int b = 0; b < 4; ++b)
            part(u"答え %1"_s.arg(b + 1), wholeText.value(buttons[b]));
        if (drill.answerShown()) {
            part(u"正解"_s, shown(s + 2));
            part(u"分野"_s, shown(s));
            part(u"解説"_s, shown(s + 6));
        }
    }
    FullText->setHtml(html);
}

void TForm1::closeEvent(QCloseEvent *event)
{
    tk.stopSpeaking();
    WindowSettings::savePlace({saveGeometry(), growth.zoom(), fitting});
    QMainWindow::closeEvent(event);
}

// Only what the window shows is read: a huge line would keep the voice busy
// for hours, and every later request waits behind it.
void TForm1::PronounceClick()
{
    tk.speak(speechText(shown(drill.recordStart() + 2)));
}

void TForm1::ReadQuestionClick()
{
    const QString question = shown(drill.recordStart() + 1);
    tk.speak(drill.answerOnScreen() ? speechText(question, shown(drill.recordStart() + 2)) : speechText(question));
}
