#include "app/LoadQuestionFile.h"
#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

void loadQuestionFile(Toolkit &toolkit, QWidget *owner, LineList &list, const QString &path)
{
    if (interruptedSave(path)
        && toolkit.messageBox(owner, u"前回の保存が途中で終わりました。保存前の内容に戻しますか？"_s, u"復元"_s,
                              Buttons::YesNoCancel) == IDYES)
        restoreInterruptedSave(path);
    toolkit.withProgress(owner, QFileInfo(path).fileName() + u" を開いています…"_s,
                         [&](const Progress &progress) { list.Load(path, progress); });
}

void saveQuestionFile(Toolkit &toolkit, QWidget *owner, const LineList &list, const QString &path)
{
    toolkit.withProgress(owner, QFileInfo(path).fileName() + u" を保存しています…"_s,
                         [&](const Progress &progress) { list.Save(path, progress); });
}
