#include "data/FileAccess.h"
#include "app/Exceptions.h"
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <limits>
#include <optional>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

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
    int release() { return std::exchange(fd, -1); }
    int fd;
};

// What a save is given to do its writing with.
struct Work {
    Progress progress;
    TextWriter write = writeAll;
};

// Reads and writes go in chunks of this size, with a word to the progress between them.
constexpr qsizetype chunk = qsizetype(16) << 20;

void report(const Progress &progress, qint64 done, qint64 total)
{
    if (progress && !progress(done, total))
        throw Cancelled();
}

// O_NONBLOCK: opening a FIFO or a device must not wait for the other side.
int openNoWait(const QByteArray &name, int flags, mode_t mode = 0)
{
    int fd;
    do
        fd = ::open(name.constData(), flags | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, mode);
    while (fd < 0 && errno == EINTR);
    return fd;
}

// Waits, up to 30 s, while another of our instances saves (or, for a save,
// reads) the file, telling the progress that it waits (a total of 0). False,
// with errno set, when the turn never came.
bool takeTurn(int fd, int lock, const Progress &progress)
{
    for (int tries = 0; ::flock(fd, lock | LOCK_NB) != 0; ++tries) {
        if (errno == EINTR)
            continue;
        if (errno != EWOULDBLOCK)
            return true; // a file system without locks: nothing to wait for
        if (tries == 3000)
            return false;
        report(progress, 0, 0);
        ::usleep(10000);
    }
    return true;
}

// Opens the file `name` names and takes our turn on it. A save that replaced
// the file meanwhile left the turn on the file it replaced: then the name is
// opened again. -1, with errno set, on failure.
int openInTurn(const QByteArray &name, int flags, int lock, const Progress &progress)
{
    for (;;) {
        Descriptor file(openNoWait(name, flags));
        struct stat opened {}, named {};
        if (file.fd < 0 || ::fstat(file.fd, &opened) != 0)
            return -1;
        if (!S_ISREG(opened.st_mode))
            return file.release(); // refused by the caller, never waited on
        if (!takeTurn(file.fd, lock, progress))
            return -1;
        if (::stat(name.constData(), &named) != 0 || (named.st_ino == opened.st_ino && named.st_dev == opened.st_dev))
            return file.release();
    }
}

// Reads `size` bytes from the start of `fd`, fewer where the file ends
// sooner. Throws `failure` on a read error.
template <class Failure>
QByteArray readContent(int fd, qint64 size, const Progress &progress, qint64 total, Failure failure)
{
    QByteArray content(qsizetype(size), Qt::Uninitialized);
    qsizetype got = 0;
    while (got < content.size()) {
        const ssize_t n = ::pread(fd, content.data() + got, size_t(std::min(chunk, content.size() - got)), got);
        if (n == 0)
            break;
        if (n < 0 && errno != EINTR)
            throw failure(errno);
        got += qMax<ssize_t>(n, 0);
        report(progress, got, total);
    }
    content.truncate(got);
    return content;
}

// What the program can still allocate: the least of what its address-space
// limit leaves and of the system's available memory and free swap.
qint64 memoryLeft()
{
    qint64 left = std::numeric_limits<qint64>::max();
    rlimit limit {};
    QFile statm(u"/proc/self/statm"_s);
    if (::getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY && statm.open(QIODevice::ReadOnly))
        left = qint64(limit.rlim_cur) - statm.readAll().split(' ').value(0).toLongLong() * ::sysconf(_SC_PAGESIZE);
    QFile meminfo(u"/proc/meminfo"_s);
    if (meminfo.open(QIODevice::ReadOnly)) {
        qint64 kilobytes = 0;
        for (const QByteArray &line : meminfo.readAll().split('\n'))
            if (line.startsWith("MemAvailable:") || line.startsWith("SwapFree:"))
                kilobytes += line.mid(line.indexOf(':') + 1).trimmed().split(' ').value(0).toLongLong();
        if (kilobytes > 0)
            left = std::min(left, kilobytes * 1024);
    }
    return left;
}

void writeText(int fd, const QByteArray &text, const Work &work)
{
    QFile file;
    if (!file.open(fd, QIODevice::WriteOnly | QIODevice::Unbuffered, QFileDevice::DontCloseHandle))
        throw EWriteError(errno);
    for (qsizetype at = 0; at < text.size(); at += chunk) {
        const qsizetype n = std::min(chunk, text.size() - at);
        errno = 0;
        if (work.write(file, QByteArray::fromRawData(text.constData() + at, n)) != n)
            throw EWriteError(errno);
        report(work.progress, at + n, text.size());
    }
}

void sync(int fd)
{
    if (::fdatasync(fd) != 0)
        throw EWriteError(errno);
}

QByteArray folderOf(const QByteArray &name)
{
    const qsizetype slash = name.lastIndexOf('/');
    return slash < 0 ? "."_ba : slash == 0 ? "/"_ba : name.left(slash);
}

QByteArray freshName(const QByteArray &name)
{
    return name + '.' + QByteArray::number(QRandomGenerator::system()->generate() & 0xffffff, 36);
}

// A new file in the folder of `name` that nobody sees before it is put in
// place: unnamed where the file system allows it, so that nothing is left
// should the program be killed; otherwise under a fresh name, given in
// `temporary`. -1, with errno set, on failure.
int newFileBeside(const QByteArray &name, QByteArray &temporary)
{
    temporary.clear();
    const int fd = openNoWait(folderOf(name), O_TMPFILE | O_WRONLY, 0666);
    if (fd >= 0 || (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL))
        return fd;
    for (;;) {
        temporary = freshName(name);
        const int named = openNoWait(temporary, O_WRONLY | O_CREAT | O_EXCL, 0666);
        if (named >= 0 || errno != EEXIST) {
            if (named < 0)
                temporary.clear();
            return named;
        }
    }
}

// Gives the new file `fd` from newFileBeside the name `name`: over the file
// there when `replacing`, otherwise never over anything (errno EEXIST).
bool putInPlace(int fd, QByteArray &temporary, const QByteArray &name, bool replacing)
{
    if (temporary.isEmpty()) {
        const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd);
        if (!replacing)
            return ::linkat(AT_FDCWD, self.constData(), AT_FDCWD, name.constData(), AT_SYMLINK_FOLLOW) == 0;
        // No call links over a name: the file is named for the moment of the rename.
        for (temporary = freshName(name);
             ::linkat(AT_FDCWD, self.constData(), AT_FDCWD, temporary.constData(), AT_SYMLINK_FOLLOW) != 0;
             temporary = freshName(name))
            if (errno != EEXIST) {
                temporary.clear();
                return false;
            }
    }
    if (replacing ? ::rename(temporary.constData(), name.constData()) != 0
                  : ::link(temporary.constData(), name.constData()) != 0)
        return false;
    if (!replacing)
        ::unlink(temporary.constData());
    temporary.clear();
    return true;
}

// A new file from newFileBeside, removed again unless it was put in place.
struct NewFile {
    explicit NewFile(const QByteArray &name) : file(newFileBeside(name, temporary)) {}
    ~NewFile()
    {
        if (!temporary.isEmpty())
            ::unlink(temporary.constData());
    }
    bool putAs(const QByteArray &name, bool replacing) { return putInPlace(file.fd, temporary, name, replacing); }

    QByteArray temporary; // made first: newFileBeside names it
    Descriptor file;
};

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
// done: no new file can be made or named (folder not writable, name too
// long), the identity cannot be carried, there is no room for two copies,
// or the rename is refused (a bind-mounted file). Throws when the text
// cannot be written.
bool replace(const QByteArray &name, int former, const struct stat &was, const QByteArray &text, const Work &work)
{
    NewFile copy(name);
    const int fd = copy.file.fd;
    if (fd < 0 || !copyIdentity(former, was, fd))
        return false;
    if (!text.isEmpty()) {
        const int reserved = ::posix_fallocate(fd, 0, text.size());
        if (reserved == ENOSPC || reserved == EDQUOT)
            return false;
        if (reserved != 0 && reserved != EOPNOTSUPP)
            throw EWriteError(reserved);
    }
    writeText(fd, text, work);
    sync(fd);
    return copy.putAs(name, true);
}

// Rewrites the open file itself: its identity is untouched. The room for the
// new length is reserved first, keeping the file's size, so that a full disk
// fails before a byte changes.
void rewrite(int fd, const QByteArray &text, const Work &work)
{
    if (!text.isEmpty() && ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, text.size()) != 0 && errno != EOPNOTSUPP)
        throw EWriteError(errno);
    if (::lseek(fd, 0, SEEK_SET) != 0)
        throw EWriteError(errno);
    writeText(fd, text, work);
    if (::ftruncate(fd, text.size()) != 0)
        throw EWriteError(errno);
    sync(fd);
}

// The former content of a file rewritten in place is kept in the cache
// folder under the file's device and inode, so that any name of the file
// finds it. Its first line gives the new content's length and digest (not
// for security: it tells a finished rewrite from a cut one); the former
// content follows.
QString copyOf(const struct stat &file)
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + u"/pirumo/"_s
        + QString::asprintf("%llx-%llx.former", qulonglong(file.st_dev), qulonglong(file.st_ino));
}

QByteArray digest(const QByteArray &text)
{
    return QCryptographicHash::hash(text, QCryptographicHash::Md5).toHex();
}

void keepCopy(const struct stat &file, const QByteArray &former, const QByteArray &text)
{
    const QByteArray name = QFile::encodeName(copyOf(file));
    const QByteArray folder = folderOf(name);
    QDir().mkpath(QFile::decodeName(folderOf(folder)));
    if (::mkdir(folder.constData(), 0700) != 0 && errno != EEXIST)
        throw EWriteError(errno);
    NewFile copy(name);
    const int fd = copy.file.fd;
    if (fd < 0)
        throw EWriteError(errno);
    const Work plain;
    ::fchmod(fd, 0600); // the learner's text, for the learner alone
    writeText(fd, QByteArray::number(text.size()) + ' ' + digest(text) + '\n', plain);
    writeText(fd, former, plain);
    sync(fd);
    const Descriptor kept(openNoWait(folder, O_RDONLY | O_DIRECTORY));
    if (!copy.putAs(name, true) || kept.fd < 0 || ::fsync(kept.fd) != 0)
        throw EWriteError(errno);
}

void dropCopy(const struct stat &file)
{
    ::unlink(QFile::encodeName(copyOf(file)).constData());
}

// A rewrite in place that can be seen if it is cut off: the former content
// is kept first (unless it is already, when it is the former content that
// goes back), and put back at once should the rewrite fail or be cancelled.
void rewriteKeepingCopy(int fd, const struct stat &was, const QByteArray &text, const Work &work, bool copyKept)
{
    const QByteArray former =
        copyKept ? QByteArray() : readContent(fd, was.st_size, {}, 0, [](int error) { return EWriteError(error); });
    if (!copyKept)
        keepCopy(was, former, text);
    try {
        rewrite(fd, text, work);
    } catch (...) {
        if (!copyKept) {
            try {
                rewrite(fd, former, {});
                dropCopy(was);
            } catch (...) { // the copy stays, and is offered at the next open
            }
        }
        throw;
    }
    dropCopy(was);
}

// A file where there was none, put in place whole. False when a file of
// that name appeared meanwhile.
bool create(const QString &path, const QByteArray &name, const QByteArray &text, const Work &work)
{
    NewFile made(name);
    const int fd = made.file.fd;
    if (fd < 0)
        throw EFCreateError(path, errno);
    if (!text.isEmpty())
        if (const int reserved = ::posix_fallocate(fd, 0, text.size()); reserved != 0 && reserved != EOPNOTSUPP)
            throw EWriteError(reserved);
    writeText(fd, text, work);
    sync(fd);
    if (made.putAs(name, false))
        return true;
    if (errno != EEXIST)
        throw EFCreateError(path, errno);
    return false;
}

Saved save(const QString &path, const QByteArray &text, const Work &work, bool copyKept)
{
    const QByteArray name = QFile::encodeName(path);
    for (;;) {
        const Descriptor file(openInTurn(name, O_RDWR, LOCK_EX, work.progress));
        if (file.fd < 0) {
            if (errno != ENOENT)
                throw EFCreateError(path, errno);
            if (create(path, name, text, work))
                return Saved::Created;
            continue; // another save made it meanwhile: save over that
        }
        struct stat was {}, named {};
        if (::fstat(file.fd, &was) != 0)
            throw EFCreateError(path, errno);
        if (!S_ISREG(was.st_mode))
            throw EFCreateError(path, notRegularFile);
        // A renamed copy would leave a hard link or a symbolic link behind on the old text.
        const bool linked = was.st_nlink != 1 || ::lstat(name.constData(), &named) != 0
            || named.st_ino != was.st_ino || named.st_dev != was.st_dev;
        if (!linked && replace(name, file.fd, was, text, work)) {
            dropCopy(was); // one left by a cut-off save of the file replaced
            return Saved::Replaced;
        }
        rewriteKeepingCopy(file.fd, was, text, work, copyKept);
        return Saved::RewrittenInPlace;
    }
}
} // namespace

qint64 writeAll(QIODevice &file, const QByteArray &text)
{
    return file.write(text);
}

QByteArray readRegularFile(const QString &path, const Progress &progress)
{
    const Descriptor file(openInTurn(QFile::encodeName(path), O_RDONLY, LOCK_SH, progress));
    struct stat status {};
    if (file.fd < 0 || ::fstat(file.fd, &status) != 0)
        throw EFOpenError(path, errno);
    if (!S_ISREG(status.st_mode))
        throw EFOpenError(path, notRegularFile);
    // The file and what is made of it must both fit.
    if (status.st_size > memoryLeft() / 2)
        throw EOutOfMemory();
    // The size found now bounds the read: a file that grows meanwhile is read
    // up to it, one that shrinks to its new end.
    return readContent(file.fd, status.st_size, progress, 2 * qint64(status.st_size),
                       [&](int error) { return EFOpenError(path, error); });
}

Saved writeWholeFile(const QString &path, const QByteArray &text, const Progress &progress, TextWriter write)
{
    return save(path, text, {progress, write}, false);
}

namespace {
// The kept former content of the file at `path`, if any, and the file's status.
std::optional<QByteArray> keptCopy(const QString &path)
{
    struct stat file {};
    if (::stat(QFile::encodeName(path).constData(), &file) != 0 || !S_ISREG(file.st_mode))
        return {};
    QFile copy(copyOf(file));
    if (!copy.open(QIODevice::ReadOnly))
        return {};
    return copy.readAll();
}
} // namespace

bool interruptedSave(const QString &path)
{
    const std::optional<QByteArray> copy = keptCopy(path);
    if (!copy)
        return false;
    const qsizetype headerEnd = copy->indexOf('\n') + 1;
    const QList<QByteArray> header = copy->left(headerEnd).trimmed().split(' ');
    const QByteArray now = readRegularFile(path);
    const bool finished = now.size() == header.value(0).toLongLong() && digest(now) == header.value(1);
    if (finished || QByteArrayView(now) == QByteArrayView(*copy).sliced(headerEnd)) {
        struct stat file {};
        if (::stat(QFile::encodeName(path).constData(), &file) == 0)
            dropCopy(file);
        return false;
    }
    return true;
}

void restoreInterruptedSave(const QString &path)
{
    if (const std::optional<QByteArray> copy = keptCopy(path))
        save(path, copy->mid(copy->indexOf('\n') + 1), {}, true);
}

void copyIfMissing(const QString &from, const QString &to)
{
    const QByteArray name = QFile::encodeName(to);
    struct stat there {};
    if (::lstat(name.constData(), &there) == 0)
        return; // the learner's, whatever it is
    create(to, name, readRegularFile(from), {});
}

void makeFolder(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    QDir().mkpath(QFile::decodeName(folderOf(name))); // a failure shows below
    const int made = ::mkdir(name.constData(), 0777) == 0 ? 0 : errno;
    struct stat folder {};
    if (::stat(name.constData(), &folder) != 0)
        throw EFCreateError(path, made && made != EEXIST ? made : errno);
    if (!S_ISDIR(folder.st_mode))
        throw EFCreateError(path, EEXIST);
}
