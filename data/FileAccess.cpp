#include "data/FileAccess.h"
#include "app/Exceptions.h"
#include <QFile>
#include <QScopeGuard>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {
// A file descriptor closed when it goes out of scope.
struct Descriptor {
    explicit Descriptor(int descriptor) : fd(descriptor) {}
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    const int fd;
};

// O_NONBLOCK: opening a FIFO or a device must not wait for the other side.
int openNoWait(const QByteArray &name, int flags, mode_t mode = 0)
{
    int fd;
    do
        fd = ::open(name.constData(), flags | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, mode);
    while (fd < 0 && errno == EINTR);
    return fd;
}

void writeText(int fd, const QByteArray &text, TextWriter write)
{
    QFile file;
    if (!file.open(fd, QIODevice::WriteOnly | QIODevice::Unbuffered, QFileDevice::DontCloseHandle))
        throw EWriteError(errno);
    errno = 0;
    if (write(file, text) != text.size())
        throw EWriteError(errno);
}

void sync(int fd)
{
    if (::fdatasync(fd) != 0)
        throw EWriteError(errno);
}

// The names of the extended attributes of `fd` (ACLs among them), each ended by 0x00.
QByteArray attributeNames(int fd)
{
    for (;;) {
        const ssize_t size = ::flistxattr(fd, nullptr, 0);
        if (size <= 0)
            return {};
        QByteArray names(size, Qt::Uninitialized);
        const ssize_t got = ::flistxattr(fd, names.data(), size_t(size));
        if (got >= 0)
            return names.left(got);
        if (errno != ERANGE) // ERANGE: the list grew meanwhile
            return {};
    }
}

template <class Each>
void forEachName(const QByteArray &names, Each each)
{
    for (qsizetype at = 0; at < names.size(); at = names.indexOf('\0', at) + 1)
        each(names.constData() + at);
}

// Gives `to` the extended attributes of `from` and no others. False when one
// cannot be read or set.
bool copyAttributes(int from, int to)
{
    // The new file may have inherited a folder's default ACL the old one lacks.
    forEachName(attributeNames(to), [&](const char *name) { ::fremovexattr(to, name); });
    bool copied = true;
    forEachName(attributeNames(from), [&](const char *name) {
        const ssize_t size = ::fgetxattr(from, name, nullptr, 0);
        QByteArray value(qMax<ssize_t>(size, 0), Qt::Uninitialized);
        copied = copied && size >= 0 && ::fgetxattr(from, name, value.data(), size_t(size)) == size
            && ::fsetxattr(to, name, value.constData(), size_t(size), 0) == 0;
    });
    return copied;
}

// Gives `to` the owner, group, mode and extended attributes of `from`, whose
// status is `was`. False when the system refuses any of them.
bool copyIdentity(int from, const struct stat &was, int to)
{
    // The mode comes last: changing the owner clears the set-id bits.
    if (::fchown(to, was.st_uid, was.st_gid) != 0 || !copyAttributes(from, to)
        || ::fchmod(to, was.st_mode & 07777) != 0)
        return false;
    // Without the right to it, the system drops the set-group-ID bit silently.
    struct stat now {};
    return ::fstat(to, &now) == 0 && now.st_uid == was.st_uid && now.st_gid == was.st_gid
        && (now.st_mode & 07777) == (was.st_mode & 07777);
}

// Writes the text beside the file, with the file's identity, and renames it
// over the file. False, with nothing changed on disk, where that cannot be
// done: no temporary can be made (folder not writable, name too long), the
// identity cannot be carried, there is no room for two copies, or the rename
// is refused (a bind-mounted file). Throws when the text cannot be written.
bool replace(const QByteArray &name, int former, const struct stat &was, const QByteArray &text,
             TextWriter write)
{
    QByteArray temporary = name + ".XXXXXX";
    const Descriptor file(::mkostemp(temporary.data(), O_CLOEXEC));
    if (file.fd < 0)
        return false;
    auto removeTemporary = qScopeGuard([&] { ::unlink(temporary.constData()); });
    if (!copyIdentity(former, was, file.fd))
        return false;
    if (!text.isEmpty()) {
        const int reserved = ::posix_fallocate(file.fd, 0, text.size());
        if (reserved == ENOSPC || reserved == EDQUOT)
            return false;
        if (reserved != 0 && reserved != EOPNOTSUPP)
            throw EWriteError(reserved);
    }
    writeText(file.fd, text, write);
    sync(file.fd);
    if (::rename(temporary.constData(), name.constData()) != 0)
        return false;
    removeTemporary.dismiss();
    return true;
}

// Rewrites the open file itself: its identity is untouched. The room for the
// new length is reserved first, keeping the file's size, so that a full disk
// fails before a byte changes and leaves the file as it was.
void rewrite(int fd, const QByteArray &text, TextWriter write)
{
    if (!text.isEmpty() && ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, text.size()) != 0
        && errno != EOPNOTSUPP)
        throw EWriteError(errno);
    writeText(fd, text, write);
    if (::ftruncate(fd, text.size()) != 0)
        throw EWriteError(errno);
    sync(fd);
}

// A file where there was none: removed again when the text cannot be written.
void create(const QString &path, const QByteArray &name, const QByteArray &text, TextWriter write)
{
    const Descriptor file(openNoWait(name, O_WRONLY | O_CREAT | O_EXCL, 0666));
    if (file.fd < 0)
        throw EFCreateError(path, errno);
    auto removeFile = qScopeGuard([&] { ::unlink(name.constData()); });
    if (!text.isEmpty())
        if (const int reserved = ::posix_fallocate(file.fd, 0, text.size());
            reserved != 0 && reserved != EOPNOTSUPP)
            throw EWriteError(reserved);
    writeText(file.fd, text, write);
    sync(file.fd);
    removeFile.dismiss();
}
} // namespace

QByteArray readRegularFile(const QString &path)
{
    const Descriptor file(openNoWait(QFile::encodeName(path), O_RDONLY));
    struct stat status {};
    if (file.fd < 0 || ::fstat(file.fd, &status) != 0)
        throw EFOpenError(path, errno);
    if (!S_ISREG(status.st_mode))
        throw EFOpenError(path, notRegularFile);
    // The size found now bounds the read: a file that grows meanwhile is read
    // up to it, one that shrinks to its new end.
    QByteArray content(qsizetype(status.st_size), Qt::Uninitialized);
    qsizetype got = 0;
    while (got < content.size()) {
        const ssize_t n = ::read(file.fd, content.data() + got, size_t(content.size() - got));
        if (n == 0)
            break;
        if (n < 0 && errno != EINTR)
            throw EFOpenError(path, errno);
        got += qMax<ssize_t>(n, 0);
    }
    content.truncate(got);
    return content;
}

void writeWholeFile(const QString &path, const QByteArray &text, TextWriter write)
{
    const QByteArray name = QFile::encodeName(path);
    const Descriptor file(openNoWait(name, O_WRONLY));
    if (file.fd < 0) {
        if (errno != ENOENT)
            throw EFCreateError(path, errno);
        create(path, name, text, write);
        return;
    }
    struct stat was {}, named {};
    if (::fstat(file.fd, &was) != 0)
        throw EFCreateError(path, errno);
    if (!S_ISREG(was.st_mode))
        throw EFCreateError(path, notRegularFile);
    // A renamed copy would leave a hard link or a symbolic link behind on the old text.
    const bool linked = was.st_nlink != 1 || ::lstat(name.constData(), &named) != 0
        || named.st_ino != was.st_ino || named.st_dev != was.st_dev;
    if (linked || !replace(name, file.fd, was, text, write))
        rewrite(file.fd, text, write);
}
