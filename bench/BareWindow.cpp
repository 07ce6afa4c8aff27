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
    window.setWindowTitle(u"☆窓"_s);
    window.setFont(japanese(12));
    auto *client = new QWidget(&window);
    window.setCentralWidget(client);
    for (int i = 0; i < 5; ++i)
        add<QLabel>(client, 8 + 72 * i, 96, 59, 16, u"第 %1 問"_s.arg(i), japanese(16, true));
    for (int i = 0; i < 2; ++i)
        add<QLabel>(client, 8, 120 + 16 * i, 26, 13, u"分野"_s, japanese(13))->hide();
    for (int i = 0; i < 2; ++i)
        add<QLabel>(client, 327 + 59 * i, 128, 27, 12, u"残り"_s, japanese(12, true));
    for (int i = 0; i < 6; ++i)
        add<QPushButton>(client, 16 + 140 * (i % 3), i < 3 ? 0 : 290, 129, 17, u"読み込み"_s, japanese(12));
    for (int i = 0; i < 4; ++i)
        add<QPushButton>(client, 16, 153 + 32 * i, 297, 28, QString::number(i + 1), japanese(19, true));
    auto *text = new QPlainTextEdit(client);
    text->setGeometry(16, 24, 409, 65);
    text->setFont(japanese(19, true));

    QMenu *first = window.menuBar()->addMenu(u"ファイル操作"_s);
    for (const QString &item : {u"開く"_s, u"保存"_s, u"編集"_s, u"問題の最初"_s, u"戻る"_s})
        first->addAction(item);
    first->addSeparator();
    first->addAction(u"終了"_s);
    window.menuBar()->addMenu(u"「窓」 "_s)->addAction(u"about this"_s);
    window.menuBar()->addAction(u"タイトル"_s);

    window.resize(440, 285 + window.menuBar()->sizeHint().height());
    window.show();
    return app.exec();
}
