// The floor of start-up: a program of its own that links Qt Widgets alone and
// shows one main window with the kinds of widget the quiz window has before
// its first paint, in the same fonts and sizes: a menu bar with two menus and
// an item, labels, buttons and a multi-line text box. Prints what FirstPaint
// prints. The one argument names the platform plug-in.
#include "FirstPaint.h"
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>

using namespace Qt::Literals::StringLiterals;

namespace {
QFont japanese(int pixels, bool bold = false)
{
    QFont font;
    font.setFamilies({u"ＭＳ Ｐゴシック"_s, u"MS PGothic"_s, u"IPAPGothic"_s, u"Noto Sans CJK JP"_s});
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

template <class W>
W *add(QWidget *parent, int x, int y, int w, int h, const QString &text, const QFont &font)
{
    auto *widget = new W(text, parent);
    widget->setGeometry(x, y, w, h);
    widget->setFont(font);
    return widget;
}
} // namespace

int main(int argc, char **argv)
{
    if (argc == 2)
        qputenv("QT_QPA_PLATFORM", argv[1]);
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    FirstPaint probe;
    app.installEventFilter(&probe);

    QMainWindow window;
    window.setWindowTitle(u"☆柚木塾"_s);
    window.setFont(japanese(12));
    auto *client = new QWidget(&window);
    window.setCentralWidget(client);
    // The quiz window's captions where it has them, and the text its text box
    // shows at start with the sample settings, so that as many glyphs are
    // drawn; two labels are hidden, as two of its are.
    const QFont f16b = japanese(16, true), f13 = japanese(13), f12b = japanese(12, true);
    const QFont f12 = japanese(12), f19b = japanese(19, true);
    add<QLabel>(client, 8, 96, 59, 16, u"第    問"_s, f16b);
    add<QLabel>(client, 80, 96, 41, 16, u"判 定"_s, f16b);
    add<QLabel>(client, 136, 96, 41, 16, u"正 解"_s, f16b);
    add<QLabel>(client, 368, 100, 7, 16, {}, f16b);
    add<QLabel>(client, 384, 100, 7, 16, {}, f16b);
    add<QLabel>(client, 8, 120, 26, 13, u"分野"_s, f13)->hide();
    add<QLabel>(client, 8, 136, 26, 13, u"解説"_s, f13)->hide();
    add<QLabel>(client, 327, 128, 24, 12, u"残り"_s, f12b);
    add<QLabel>(client, 386, 128, 27, 12, u"総数"_s, f12b);
    add<QPushButton>(client, 320, 218, 113, 57, u">>"_s, f12);
    add<QPushButton>(client, 320, 185, 113, 27, u"正解・解説 表示"_s, f12);
    add<QPushButton>(client, 296, 0, 129, 17, u"読み込み"_s, f12);
    add<QPushButton>(client, 16, 0, 129, 17, u"閉じる"_s, f12);
    for (int i = 0; i < 4; ++i)
        add<QPushButton>(client, 16, 153 + 32 * i, 297, 28, QString::number(i + 1), f19b);
    add<QPushButton>(client, 320, 153, 113, 27, u"記憶完了"_s, f12);
    add<QPushButton>(client, 156, 0, 129, 17, u"保 存"_s, f12);
    auto *text = new QPlainTextEdit(u"    ★ピルモ英語 Ver2.0"_s, client);
    text->setGeometry(16, 24, 409, 65);
    text->setFont(f19b);

    QMenu *first = window.menuBar()->addMenu(u"ファイル操作"_s);
    for (const QString &item : {u"開く"_s, u"保存"_s, u"編集"_s, u"問題の最初"_s, u"戻る"_s})
        first->addAction(item);
    first->addSeparator();
    first->addAction(u"終了"_s);
    window.menuBar()->addMenu(u"「ピルモ英語」 "_s)->addAction(u"about this"_s);
    window.menuBar()->addAction(u"タイトル"_s);

    window.resize(440, 285 + window.menuBar()->sizeHint().height());
    window.show();
    return app.exec();
}
