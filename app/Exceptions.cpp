#include "app/Exceptions.h"

using namespace Qt::Literals::StringLiterals;

EFOpenError::EFOpenError(const QString &path, int systemError)
    : EStreamError(u"ﾌｧｲﾙ %1 は開けません"_s.arg(path), systemError) {}
EFCreateError::EFCreateError(const QString &path, int systemError)
    : EStreamError(u"ﾌｧｲﾙ %1 を作成できません"_s.arg(path), systemError), file(path) {}
EWriteError::EWriteError(int systemError) : EFilerError(u"ｽﾄﾘｰﾑへの書き込みｴﾗｰ"_s, systemError) {}
EStringListError::EStringListError(qint64 index, int systemError)
    : Exception(u"ﾘｽﾄのｲﾝﾃﾞｯｸｽが範囲を超えています (%1)"_s.arg(index), systemError) {}
EOutOfMemory::EOutOfMemory() : Exception(u"ﾒﾓﾘが足りません"_s) {}
