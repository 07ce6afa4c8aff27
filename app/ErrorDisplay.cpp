#include "app/ErrorDisplay.h"
#include "app/Exceptions.h"
#include <new>

QString errorDisplayText(const QString &message)
{
    // Shift-JIS keeps ASCII as it is, and every other character encodes to
    // bytes above 0x2E, so comparing the code point gives the byte rule.
    if (!message.isEmpty() && message.back().unicode() > u'.')
        return message + u'.';
    return message;
}

void guard(Toolkit &toolkit, const std::function<void()> &handler)
{
    try {
        handler();
    } catch (const Exception &e) {
        toolkit.showError(errorDisplayText(e.message()));
    } catch (const std::bad_alloc &) {
        toolkit.showError(errorDisplayText(EOutOfMemory().message()));
    }
}
