#include "app/ErrorDisplay.h"
#include "app/Exceptions.h"
#include "app/SavePlace.h"
#include <cerrno>
#include <new>

using namespace Qt::Literals::StringLiterals;

QString errorDisplayText(const QString &message)
{
    // Shift-JIS keeps ASCII as it is, and every other character encodes to
    // bytes above 0x2E, so comparing the code point gives the byte rule.
    if (!message.isEmpty() && message.back().unicode() > u'.')
        return message + u'.';
    return message;
}

QString errorReason(int systemError)
{
    QString why;
    switch (systemError) {
    case 0: return {};
    case ENOENT:
    case ENOTDIR: why = u"そのフォルダーまたはファイルがありません。"_s; break;
    case EACCES:
    case EPERM: why = u"読み書きする権限がありません。"_s; break;
    case EROFS: why = u"読み取り専用のファイルシステムです。"_s; break;
    case ENOSPC:
    case EDQUOT: why = u"ディスクの空きが足りません。"_s; break;
    case EEXIST: why = u"同じ名前のファイルがあります。"_s; break;
    case ENAMETOOLONG: why = u"ファイル名が長すぎます。"_s; break;
    case notRegularFile:
    case EISDIR: why = u"通常のファイルではありません（フォルダーなど）。"_s; break;
    case notQuestionFile: why = u"問題ファイルではありません（問題が 1 問もありません）。"_s; break;
    case ENOMEM: why = u"メモリが足りません。"_s; break;
    // Anything rarer in the system's own words, with its number to look up.
    default: why = u"%1（エラー番号 %2）"_s.arg(qt_error_string(systemError)).arg(systemError);
    }
    return u"原因: "_s + why;
}

QString errorDetail(const Exception &error)
{
    const bool outOfMemory = dynamic_cast<const EOutOfMemory *>(&error) != nullptr;
    QString detail = errorReason(outOfMemory ? ENOMEM : error.systemError());
    if (const auto *save = dynamic_cast<const EFCreateError *>(&error)) {
        if (savePlace(save->path()) != save->path()) {
            if (!detail.isEmpty())
                detail += u'\n';
            detail += u"保存できる場所: "_s + writableFolder();
        }
    }
    return detail;
}

void showError(Toolkit &toolkit, const Exception &error)
{
    toolkit.showError(errorDisplayText(error.message()), errorDetail(error));
}

void guard(Toolkit &toolkit, const std::function<void()> &handler)
{
    try {
        handler();
    } catch (const Exception &e) {
        showError(toolkit, e);
    } catch (const std::bad_alloc &) {
        showError(toolkit, EOutOfMemory());
    } catch (const Cancelled &) {
    }
}
