#pragma once
// The error display and the guard through which every handler runs: an error
// ends the handler, is shown, and the program goes on.
#include "app/Toolkit.h"
#include <QObject>
#include <functional>

// The text shown for `message`: a "." is added when the last character sorts
// after "." by its Shift-JIS byte value (any double-byte character does).
QString errorDisplayText(const QString &message);

class Exception;

// Why a file could not be read or written, in our own words, from the system's
// error number (errno, or notRegularFile); empty when none is known.
QString errorReason(int systemError);

// The error box's second part, below the message: the reason, and after a
// save that failed in a folder that cannot be written, where it can go instead.
QString errorDetail(const Exception &error);

// Shows `error` in the error display: its message, then the detail.
void showError(Toolkit &toolkit, const Exception &error);

// Runs `handler`; an Exception or an exhausted memory goes to the error display,
// a cancel ends it silently.
void guard(Toolkit &toolkit, const std::function<void()> &handler);

// Connects `signal` of `sender` to the handler `method` of `window`, guarded.
template <class Sender, class Signal, class Window>
void connectGuarded(Toolkit &toolkit, Sender *sender, Signal signal, Window *window,
                    void (Window::*method)())
{
    QObject::connect(sender, signal, window,
                     [&toolkit, window, method] { guard(toolkit, [&] { (window->*method)(); }); });
}
