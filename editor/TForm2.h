#pragma once
// The question editor: one block of seven lines of a question file at a time
// (the header block as question 0, or one question record) in seven boxes,
// with browsing, open, save, reset, and add, change and clear.
//
// Its names, as the layout has always had them:
//   Label1   第 n 問 (the block shown)    Label2   全 n 問 (questions in the file)
//   Edit8    残り (remaining count)       Edit9    タイトル (the file's title)
//   Edit1    分野 (category)              Edit2    問題文 (question)
//   Edit3    正答 (correct answer)        Edit4-6  誤答1-3 (wrong answers)
//   Edit7    解説 (explanation)
//   Button1  << (back)   Button2 >> (next)   Button3 追加 (add)   Button4 変更 (change)
//   Button5  クリア (clear the boxes)   Button6 保存 (save)   Button7 reset (残り = 総数)
//   K1       the ファイル menu: New1 新規, Open1 開く, Hozo 保存, Import1 and
//            Export1 (CSV), Close1 閉じる
#include "app/Toolkit.h"
#include "data/LineList.h"
#include <QHash>
#include <QMainWindow>
#include <array>

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;

class TForm2 : public QMainWindow {
    Q_OBJECT
    friend class tst_TForm2;
    friend class tst_Reliability;
    friend class tst_LongRun;

public:
    explicit TForm2(Toolkit &toolkit, QWidget *parent = nullptr);

private:
    void FormCreate();
    void ShowRecord();

    void Open1Click();
    void Button6Click();
    void Button7Click();
    void Button1Click();
    void Button2Click();
    void Close1Click();
    void Button3Click();
    void Button4Click();
    void Button5Click();
    void New1Click();
    void Import1Click();
    void Export1Click();

    void showLine(QWidget *box, int index);
    void showBytes(QWidget *box, const QByteArray &bytes);
    QByteArray lineOf(const QWidget *box) const;
    void showQuestionNumber();
    void showFileCaption();
    int total() const { return questionList.Count() / 7 - 1; }
    void showNewFile(const LineList &list);
    // Whether the list or a box holds a change that is not in a file.
    bool edited() const;

    Toolkit &tk;

    QLabel *Label1, *Label2;
    QLineEdit *Edit8, *Edit9, *Edit3, *Edit5, *Edit4, *Edit6, *Edit1, *Edit7;
    QPlainTextEdit *Edit2;
    QPushButton *Button7, *Button6, *Button1, *Button2, *Button4, *Button5, *Button3;
    QMenu *K1;
    QAction *Open1, *Hozo, *Close1;
    QAction *New1, *Import1, *Export1;
    FileDialog OpenDialog1, SaveDialog1;
    FileDialog CsvOpenDialog, CsvSaveDialog;
    // The boxes of the shown block, by offset from recordStart.
    std::array<QWidget *, 7> block;

    // What ShowRecord last put into a box: its line's bytes and the text shown.
    struct Shown {
        QByteArray bytes;
        QString text;
    };
    QHash<const QWidget *, Shown> shown;

    QString fileName;
    int recordStart = 0;
    LineList questionList;
    int questionNumber = 0;
    int remainingCount = 0;
    // The new-file template as FormCreate built it, for 新規 and imports.
    LineList newFileTemplate;
    // The list has changed since it was opened, saved or made new.
    bool unsaved = false;
};
