#pragma once
// Whole files in and out with the system's own calls. Every call that knows
// about owners, modes, links, locks, extended attributes or disk space lives
// here, so that a port to another desktop replaces this file alone.
#include <QByteArray>
#include <QString>
#include <functional>

class QIODevice;

// Writes `text` to an open file in one piece; returns the bytes written or -1.
using TextWriter = qint64 (*)(QIODevice &file, const QByteArray &text);
// The writer of every save: the device's own write.
qint64 writeAll(QIODevice &file, const QByteArray &text);

// Told between chunks how many of `total` bytes a long read or write has
// done; returns false to cancel it.
using Progress = std::function<bool(qint64 done, qint64 total)>;
// A cancel throws Cancelled (app/Exceptions.h).

// How a whole-file write saved.
enum class Saved { Created, Replaced, RewrittenInPlace };

// The whole content of the regular file at `path`, in one buffer of the size
// the file has when it is opened. Nothing that is not a regular file is read,
// and nothing waits on what the path names: a FIFO, a device, a socket or a
// folder fails at once. Waits its turn behind our own saves of the file.
// Throws EFOpenError, and EOutOfMemory before reading a file larger than the
// memory the program can get.
QByteArray readRegularFile(const QString &path, const Progress &progress = {});

// Makes `text` the whole content of the file at `path`, through `write`.
// An existing file keeps its owner, group, mode, ACLs, extended attributes and
// links: it is replaced by a complete copy where that copy can carry all of
// them, and rewritten in place where it cannot. A rewrite in place first keeps
// a synced copy of the former content in the cache folder, removed once the
// new content is synced, and reserves the new length. Saves and reads of one
// file by our own instances take turns. Throws EFCreateError when the file
// cannot be opened or made, and EWriteError when the text cannot be written;
// a cancel leaves the former file as it was.
Saved writeWholeFile(const QString &path, const QByteArray &text, const Progress &progress = {},
                     TextWriter write = writeAll);

// Whether a rewrite in place of the file at `path` was cut off: a copy of its
// former content is kept and the file holds neither that nor the whole new
// content. A copy whose save did finish (or never began) is removed.
bool interruptedSave(const QString &path);
// Puts the kept former content back into the file, then removes the copy.
void restoreInterruptedSave(const QString &path);

// Copies the file `from` to `to` unless `to` exists: whole or not at all,
// never over a file that is there. Throws EFOpenError or EFCreateError.
void copyIfMissing(const QString &from, const QString &to);

// Makes the folder `path` and the folders it is in, unless it is a folder
// already. Throws EFCreateError when something else has its name (a file,
// a dangling link) or it cannot be made.
void makeFolder(const QString &path);
