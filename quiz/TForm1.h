#pragma once
// The quiz window: one question of the open question file at a time, with four
// answer buttons, the judgement, the score and the counters.
#include "app/Toolkit.h"
#include "data/LineList.h"
#include <QFont>
#include <QHash>
#include "quiz/MissedList.h"
#include <QMainWindow>

class QAction;
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

protected:
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void FormCreate();
    void ShowQuestion();
    void UpdateScore();

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

    void answer(int button);
    void enableAnswers();
    void hideAnswerLabels();
    void showQuestionNumber(int number);
    QString fileCaption() const;
    static QString shownTitle(const QByteArray &title);

    // ---- a window that grows, zoom, texts that fit ------------------------------
    // Which edges of a control follow the window's right edge as it grows.
    enum class Follow { None, Right, Both };
    struct Growth {
        QWidget *control;
        Follow follow;
        int heightShare; // twelfths of the extra height that it takes
        QSize room;      // a label's room at the layout's size; empty: the control's own size
        QRect classic = {}; // at the layout's size, taken from the control as built
        QFont font = {};
        QString hint = {};
    };
    QRect mapped(const Growth &g) const;
    int scaled(int pixels) const;
    void fit(const Growth &g);
    void arrange();
    void showText(QWidget *control, const QString &text);
    QString shown(int index) const;
    void zoomTo(int percent);
    void KakudaiClick() { zoomTo(zoom + 25); }
    void ShukushouClick() { zoomTo(zoom - 25); }
    void HyoujunClick() { zoomTo(100); }

    // The review of the missed questions.
    void noteMissed();
    void updateReviewItem();
    void showReviewPlace();
    void reviewMoveTo(int from);
    void finishReview();
    void leaveReview();

    // Reading aloud: the answer once it is on the screen, and the question.
    void PronounceClick();
    void ReadQuestionClick();
    void updateSpeechItems(bool answeredNow);
    bool answerOnScreen() const;

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

    QString fileName;
    QByteArray baseTitle;
    QByteArray settingsTitle;
    QByteArray menuCaption;
    int recordStart = 0;
    int remainingCount = 0;
    LineList questionList;
    int rotation = 0;
    int correctButton = 0;
    int score = 0;
    int questionNumber = 0;

    QList<Growth> growth;
    // Each label's and button's whole text, of which it may show a part.
    QHash<const QWidget *, QString> wholeText;
    int zoom = 100; // per cent
    MissedList missed;
    // The questions in the review under way (its questionNumber is the place
    // in it); 0 in the normal pass.
    int reviewSize = 0;
    // Whether the question shown has been answered or its answer revealed.
    bool answered = false;
};
