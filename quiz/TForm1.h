#pragma once
// The quiz window: one question of the open question file at a time, with four
// answer buttons, the judgement, the score and the counters. It shows a Drill,
// which holds the drill's state; the window runs the dialogs and boxes.
//
// Its names, as the layout has always had them:
//   Susumeru  >> (next)                  Miru       正解・解説 表示 (reveal)
//   Yomikomi  読み込み (open)            Tojiru     閉じる (close)
//   Sakujo    記憶完了 (memorised)       Hozon      保 存 (save)
//   Button1-4 the answer buttons         Memo1      the question
//   Label4    the question number        Label1     the judgement
//   Label5    the correct answer         Label2/3   the score / the tally
//   Label6    the category               Label9     the explanation
//   Nmon      残り (remaining count)     Smon       総数 (questions in the file)
//   K1        the ファイル操作 menu: Open1 開く, Recent 最近使ったファイル,
//             Uwagaki 上書き保存 (save to the open file), K2 保存, Edit 編集,
//             K4 問題の最初 (first question), K6 戻る (back), Exit1 終了
//   K5        the title menu: about1     K7         the file's title
//   Hyouji    表示: Kakudai 拡大, Shukushou 縮小, Hyoujun 標準の大きさ,
//             Awaseru ウィンドウに合わせる (zoom follows the window), Zenbun 全文を表示
//   Gakushu   学習: Fukushu 復習 (review), Kyou 今日の復習 (today's review),
//             Pronounce 発音, ReadQuestion 問題を読む,
//             Miru1 正解・解説 表示, Sakujo1 記憶完了, Kiroku 学習の記録 (the records window)
//   FullTextBox  the 全文を表示 box; FullText its text
#include "app/GrowingLayout.h"
#include "app/Toolkit.h"
#include "progress/ProgressStore.h"
#include "quiz/Drill.h"
#include <QHash>
#include <QSet>
#include <QMainWindow>
#include <memory>
#include <optional>
#include <vector>

class QAction;
class QDialog;
class QTextBrowser;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QPushButton;

class TForm1 : public QMainWindow {
    Q_OBJECT
    friend class tst_TForm1;
    friend class tst_Reliability;
    friend class tst_LongRun;

public:
    explicit TForm1(Toolkit &toolkit, QWidget *parent = nullptr);
    // The open question file, for the records window.
    const LineList &questions() const { return drill.lines(); }
    // The learner's history, once the first file is opened; null before.
    ProgressStore *learnerHistory() const { return history.get(); }

signals:
    // After each answer recorded in the learner's history.
    void answerRecorded();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void buildMenus();
    void addMenuItems();
    void FormCreate();

    void SusumeruClick();
    void MiruClick();
    void YomikomiClick();
    void TojiruClick();
    void Button1Click() { answer(1); }
    void Button2Click() { answer(2); }
    void Button3Click() { answer(3); }
    void Button4Click() { answer(4); }
    void SakujoClick();
    void HozonClick();
    void EditClick();
    void K4Click();
    void K6Click();
    void about1Click();
    void FukushuClick();
    void PronounceClick();
    void ReadQuestionClick();
    void KirokuClick();
    void KakudaiClick() { zoomTo(growth.zoom() + 25); }
    void ShukushouClick() { zoomTo(growth.zoom() - 25); }
    void HyoujunClick() { zoomTo(100); }
    void UwagakiClick();
    void AwaseruClick();
    void ZenbunClick();

    void openFile(const QString &path);
    void openRecent(const QString &path);
    void showRecent(const QStringList &files);
    void showFullText();
    void markCorrect();
    void restorePlace();

    void answer(int button);
    // Runs a move of the drill and shows what it changed, also when it stops
    // at a failing step.
    template <class Move> void run(Move move);
    void showChanges(Drill::Changes changes);
    void showQuestion();
    void showFinished();
    QString fileCaption() const;
    static QString shownTitle(const QByteArray &title);

    // The learner's history: opened at the first file, one notice when it
    // cannot be used, each first answer or reveal of a question shown recorded.
    void openHistory();
    void tellHistory();
    void recordAnswer(bool right, const QDateTime &at);
    QuestionKey keyOf(int record);
    // The records in the drill that are due now, the most forgotten first.
    QList<int> dueRecords();
    void showDueCount();
    void KyouClick();

    // A window that grows, zoom, texts that fit.
    void fit(const LayoutRow &row);
    void fitScore();
    void showIn(const LayoutRow &row, const QRect &box);
    void applyZoom(int percent);
    int fitZoom() const;
    int menuBarWidth() const;
    void arrange();
    void showText(QWidget *control, const QString &text);
    QString shown(int index) const;
    void zoomTo(int percent);

    Toolkit &tk;

    QLabel *Label4, *Label1, *Label5, *Label2, *Label3, *Label6, *Label9, *Nmon, *Smon;
    QPushButton *Susumeru, *Miru, *Yomikomi, *Tojiru, *Button1, *Button2, *Button3, *Button4,
        *Sakujo, *Hozon;
    QPlainTextEdit *Memo1;
    FileDialog OpenDialog1, SaveDialog1;
    QMenu *K1, *K5;
    QAction *Open1, *K2, *Edit, *K4, *K6, *N1, *Exit1, *about1, *K7;
    QMenu *Hyouji, *Gakushu;
    QAction *Kakudai, *Shukushou, *Hyoujun, *Fukushu, *Pronounce, *ReadQuestion;
    QMenu *Recent;
    QAction *Uwagaki, *Awaseru, *Zenbun, *Miru1, *Sakujo1;
    QDialog *FullTextBox = nullptr;
    QTextBrowser *FullText = nullptr;
    QAction *Kiroku;

    QString fileName;
    QByteArray baseTitle;
    QByteArray settingsTitle;
    QByteArray menuCaption;
    Drill drill;

    QAction *Kyou;
    std::unique_ptr<ProgressStore> history;
    std::vector<std::optional<QuestionKey>> recordKeys; // by record, made when first asked
    bool historyTold = false;
    QDateTime questionShownAt;
    bool recordedHere = false; // the question shown has its answer or reveal recorded

    GrowingLayout growth;
    // Each label's and button's whole text, of which it may show a part.
    QHash<const QWidget *, QString> wholeText;
    // The labels and buttons whose text shows cut.
    QSet<const QObject *> cutTexts;
    // Whether the zoom follows the window's size.
    bool fitting = true;
    // The window at its start, at 100 %: the layout and as wide as the menu bar needs.
    QSize startSize;
};
