#include "app/LoadQuestionFile.h"

using namespace Qt::Literals::StringLiterals;

void loadQuestionFile(Toolkit &toolkit, QWidget *owner, LineList &list, const QString &path)
{
    if (interruptedSave(path)
        && toolkit.messageBox(owner, u"前回の保存が途中で終わりました。保存前の内容に戻しますか？"_s, u"復元"_s,
                              Buttons::YesNoCancel) == IDYES)
        restoreInterruptedSave(path);
    list.Load(path);
}
