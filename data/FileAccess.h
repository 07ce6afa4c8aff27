#pragma once
// Whole files in and out with the system's own calls. Every call that knows
// about owners, modes, links, extended attributes or disk space lives here, so
// that a port to another desktop replaces this file alone.
#include <QByteArray>
#include <QString>

class QIODevice;

// Writes `text` to an open file in one piece; returns the bytes written or -1.
using TextWriter = qint64 (*)(QIODevice &file, const QByteArray &text);

// The whole content of the regular file at `path`, in one buffer of the size
// the file has when it is opened. Nothing that is not a regular file is read,
// and nothing waits: a FIFO, a device, a socket or a folder fails at once.
// Throws EFOpenError.
QByteArray readRegularFile(const QString &path);

// Makes `text` the whole content of the file at `path`, through `write`.
// An existing file keeps its owner, group, mode, ACLs, extended attributes and
// links: it is replaced by a complete copy where that copy can carry all of
// them, and rewritten in place, with its new length reserved first, where it
// cannot. Throws EFCreateError when the file cannot be opened or made, and
// EWriteError when the text cannot be written.
void writeWholeFile(const QString &path, const QByteArray &text, TextWriter write);
