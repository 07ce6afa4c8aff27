// Malformed question files and failing saves, driven through both windows
// headless: the exact error shown, the program goes on, and neither the list
// nor any file on disk loses a byte the rules do not take from it.
#include "ScriptedToolkit.h"
#include "TestFiles.h"
#include "app/Exceptions.h"
#include "app/QtToolkit.h"
#include "app/Sjis.h"
#include "app/WaveHeader.h"
#include "data/LineList.h"
#include "editor/TForm2.h"
#include "quiz/TForm1.h"
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <grp.h>
#include <memory>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {
const QString listError = u"ﾘｽﾄのｲﾝﾃﾞｯｸｽが範囲を超えています (%1)"_s;
const QString openError = u"ﾌｧｲﾙ %1 は開けません"_s;
const QString createError = u"ﾌｧｲﾙ %1 を作成できません."_s;
const QString writeError = u"ｽﾄﾘｰﾑへの書き込みｴﾗｰ."_s;

// What a path holds: a file's bytes, a folder's entries, or nothing at all.
QByteArray onDisk(const QString &path)
{
    const QFileInfo info(path);
    if (info.isDir())
        return "<folder> "
            + QDir(path).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).join(u' ').toUtf8();
    if (info.exists() && !info.isFile())
        return "<no regular file>"; // reading a FIFO or a device would wait or never end
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return info.exists() ? "<unreadable>" : "<missing>";
    return f.readAll();
}

QStringList withPath(QStringList messages, const QString &path)
{
    for (QString &m : messages)
        if (m.contains(u"%1"_s))
            m = m.arg(path);
    return messages;
}

// The scripted toolkit, with a file that can vanish while the open dialog is up.
class VanishingToolkit : public ScriptedToolkit {
public:
    QString vanishing;

    std::optional<QString> fileDialog(QWidget *owner, DialogKind kind, const FileDialog &dialog) override
    {
        auto path = ScriptedToolkit::fileDialog(owner, kind, dialog);
        if (!vanishing.isEmpty())
            QFile::remove(std::exchange(vanishing, {}));
        return path;
    }
};

// Owner, group, mode, link count, whether the name is a symbolic link, and
// every extended attribute (ACLs among them) of what a path names.
QByteArray identity(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat st {};
    const bool symbolic = ::lstat(name, &st) == 0 && S_ISLNK(st.st_mode);
    ::stat(name, &st);
    QByteArray seen = QString::asprintf("%u:%u %o %lu %d", st.st_uid, st.st_gid, st.st_mode, st.st_nlink, symbolic).toLatin1();
    char names[4096], value[1024];
    for (ssize_t at = 0, size = ::listxattr(name, names, sizeof names); at < size; at += ssize_t(strlen(names + at)) + 1)
        seen += ' ' + QByteArray(names + at) + '=' + QByteArray(value, qMax<ssize_t>(::getxattr(name, names + at, value, sizeof value), 0)).toHex();
    return seen;
}

// Root acts as another user and group, without root's rights, until it acts as root again.
bool actAs(uid_t uid, gid_t gid)
{
    const gid_t root = 0;
    if (uid == 0)
        return seteuid(0) == 0 && setegid(0) == 0 && setgroups(1, &root) == 0;
    return setgroups(0, nullptr) == 0 && setegid(gid) == 0 && seteuid(uid) == 0;
}

// What the learner picks in the open dialog.
enum class Pick { File, Folder, VanishingFile, Fifo, LinkToDevZero };
} // namespace

Q_DECLARE_METATYPE(Pick)

class tst_Reliability : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<VanishingToolkit> tk;
    std::unique_ptr<TForm1> quiz;
    std::unique_ptr<TForm2> editor;

    QString path(const QString &name) const { return dir->filePath(name); }

    // Both windows, in a fresh working folder with its settings file.
    void start()
    {
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(QDir::setCurrent(dir->path()));
        writeFile(path(u"help.txt"_s), "3480\r\nT\r\nM\r\n");
        tk = std::make_unique<VanishingToolkit>();
        quiz = std::make_unique<TForm1>(*tk);
        editor = std::make_unique<TForm2>(*tk);
        QVERIFY(tk->errors.isEmpty());
    }
    static Lines linesOf(const LineList &list)
    {
        Lines lines;
        for (int i = 0; i < list.Count(); ++i)
            lines << list.Get(i);
        return lines;
    }
    Lines lines(bool inQuiz) const { return linesOf(inQuiz ? quiz->drill.lines() : editor->questionList); }
    void open(bool inQuiz, const QString &file)
    {
        tk->paths = {file};
        if (inQuiz)
            quiz->Yomikomi->click();
        else
            editor->Open1->trigger();
    }
    void save(bool inQuiz, const QString &file)
    {
        tk->paths = {file};
        if (inQuiz)
            quiz->Hozon->click();
        else
            editor->Button6->click();
        tk->paths.clear(); // nothing asked on an empty list
    }
    QString target(Pick pick, const QByteArray &bytes, const QString &name = u"chosen.dat"_s)
    {
        const QString chosen = path(name);
        if (pick == Pick::Folder) {
            QDir(dir->path()).mkpath(name + u"/inside"_s);
        } else if (pick == Pick::Fifo) {
            mkfifo(QFile::encodeName(chosen).constData(), 0644);
        } else if (pick == Pick::LinkToDevZero) {
            (void)QFile::link(u"/dev/zero"_s, chosen);
        } else {
            writeFile(chosen, bytes);
            if (pick == Pick::VanishingFile)
                tk->vanishing = chosen;
        }
        return chosen;
    }

    // Root writes into any folder and over any file: a refused write is
    // staged by running the same row again as an unprivileged user.
    void rerunUnprivileged()
    {
        QProcess child;
        child.setProcessChannelMode(QProcess::MergedChannels);
        QString row = QString::fromLatin1(QTest::currentTestFunction()) + u':'
            + QString::fromLatin1(QTest::currentDataTag());
        child.start(u"setpriv"_s, {u"--reuid=65534"_s, u"--regid=65534"_s, u"--clear-groups"_s,
                                   QCoreApplication::applicationFilePath(), row});
        if (!child.waitForStarted())
            QSKIP("root cannot be refused a write, and setpriv is missing to run this as another user");
        QVERIFY(child.waitForFinished(120000));
        const QString out = QString::fromLocal8Bit(child.readAll());
        if (child.exitCode() != 0 && out.startsWith(u"setpriv:"_s))
            QSKIP(qPrintable(u"root cannot be refused a write, and setpriv cannot switch user: "_s + out));
        QVERIFY2(child.exitCode() == 0 && out.contains(u"PASS   : tst_Reliability::"_s + row.replace(u':', u'(') + u')'),
                 qPrintable(out));
    }

    static void malformedFiles()
    {
        QTest::addColumn<Pick>("pick");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<Lines>("lines");        // the list after the open
        QTest::addColumn<int>("remaining");      // the remaining count the windows hold
        QTest::addColumn<QStringList>("quizErrors");   // open, next, next
        QTest::addColumn<QStringList>("editorErrors"); // open, forward, forward
        QTest::addColumn<QString>("retryBox");          // the editor's own box on an open failure

        const Lines good = questionFile(2, "2");
        const QString e7 = listError.arg(7);
        const auto file = [](const char *name, const Lines &lines) -> QTestData & {
            return QTest::newRow(name) << Pick::File << fileOf(lines) << lines;
        };
        const Lines sixLines = good.mid(0, 6);
        const Lines cut = good.mid(0, 17); // header, record 1, three lines of record 2
        // The quiz refuses a file without one whole question and keeps its drill.
        file("empty file", {}) << 2 << QStringList{listError.arg(0)} << QStringList(3, listError.arg(0)) << QString();
        file("one line", {"Title"}) << 2 << QStringList{listError.arg(1)} << QStringList(3, listError.arg(1)) << QString();
        file("six lines", sixLines) << 2 << QStringList{listError.arg(6)} << QStringList(3, listError.arg(6)) << QString();
        file("header only", questionFile(0, "0")) << 0 << QStringList{e7} << QStringList() << QString();
        file("line count no multiple of seven", cut)
            << 2 << QStringList{listError.arg(20)} << QStringList{listError.arg(17)} << QString();
        file("remaining count negative", questionFile(2, "-1")) << -1 << QStringList() << QStringList() << QString();
        file("remaining count zero", questionFile(2, "0")) << 0 << QStringList() << QStringList() << QString();
        file("remaining count larger than the total", questionFile(2, "3"))
            << 3 << QStringList{listError.arg(21)} << QStringList() << QString();
        // Beyond 32 bits the number wraps modulo 2^32, as the runtime's rule says.
        file("remaining count 2^32 + 2", questionFile(2, "4294967298")) << 2 << QStringList() << QStringList() << QString();
        file("remaining count 2^31", questionFile(2, "2147483648"))
            << int(-2147483647 - 1) << QStringList() << QStringList() << QString();
        file("remaining count in full-width digits", questionFile(2, toSjis(u"１２"_s)))
            << 0 << QStringList() << QStringList() << QString();

        QByteArray withNul = fileOf(good);
        withNul.insert(fileOf(cut).size() - 2, QByteArray("\0x2", 3)); // behind the text of line 16
        QTest::newRow("a 0x00 in the middle") << Pick::File << withNul << cut << 2
            << QStringList{listError.arg(20)} << QStringList{listError.arg(17)} << QString();

        Lines badSjis = good;
        badSjis[0] = "\x85\x40 title"; // a lead byte of no character
        badSjis[8] = "\x81\x20\xff\xa0 q"; // a lead byte without its trail, 0xFF, a lone 0xA0
        badSjis[13] = "e\x82";            // a lead byte at the line end
        file("invalid Shift-JIS bytes", badSjis) << 2 << QStringList() << QStringList() << QString();

        Lines longLine = good;
        longLine[8] = QByteArray(10 * 1024 * 1024, 'w');
        file("a line of 10 MB", longLine) << 2 << QStringList() << QStringList() << QString();

        QTest::newRow("a folder") << Pick::Folder << QByteArray() << good << 2
            << QStringList{openError + u'.'} << QStringList() << openError;
        QTest::newRow("a file that vanishes after the dialog") << Pick::VanishingFile << fileOf(good) << good << 2
            << QStringList{openError + u'.'} << QStringList() << openError;
        QTest::newRow("a FIFO") << Pick::Fifo << QByteArray() << good << 2
            << QStringList{openError + u'.'} << QStringList() << openError;
        QTest::newRow("a link to /dev/zero") << Pick::LinkToDevZero << QByteArray() << good << 2
            << QStringList{openError + u'.'} << QStringList() << openError;
    }

private slots:
    void cleanup()
    {
        quiz.reset();
        editor.reset();
        QDir::setCurrent(QDir::tempPath());
    }

    // Each file is opened after a good one, then the learner goes on twice.
    void malformedInQuiz_data() { malformedFiles(); }
    void malformedInQuiz()
    {
        QFETCH(Pick, pick);
        QFETCH(QByteArray, bytes);
        QFETCH(Lines, lines);
        QFETCH(int, remaining);
        QFETCH(QStringList, quizErrors);
        QFETCH(QString, retryBox);
        const bool refused = pick == Pick::File && lines.size() < 14;
        if (refused) { // the quiz holds the drill it had
            lines = questionFile(2, "2");
            remaining = 2;
        }
        start();
        const QString good = path(u"good.dat"_s);
        writeFile(good, fileOf(questionFile(2, "2")));
        open(true, good);
        const QString chosen = target(pick, bytes);
        const QByteArray diskAfter = pick == Pick::VanishingFile ? "<missing>" : onDisk(chosen);

        open(true, chosen);
        quiz->Susumeru->click();
        quiz->Susumeru->click();
        QCOMPARE(tk->errors, withPath(quizErrors, chosen));
        QCOMPARE(this->lines(true), lines);
        QCOMPARE(quiz->drill.remainingCount(), remaining);
        QCOMPARE(onDisk(chosen), diskAfter);

        // What was loaded is saved whole, and the next open works as ever.
        // A later save proposes the file whose lines are held, never one that failed.
        QCOMPARE(quiz->fileName, retryBox.isEmpty() && !refused ? chosen : good);
        save(true, path(u"copy.dat"_s));
        QCOMPARE(onDisk(path(u"copy.dat"_s)), lines.isEmpty() ? "<missing>"_ba : fileOf(lines));
        tk->errors.clear();
        open(true, good);
        QVERIFY(tk->errors.isEmpty());
        QCOMPARE(quiz->Memo1->toPlainText(), u"q1"_s);
    }

    void malformedInEditor_data() { malformedFiles(); }
    void malformedInEditor()
    {
        QFETCH(Pick, pick);
        QFETCH(QByteArray, bytes);
        QFETCH(Lines, lines);
        QFETCH(int, remaining);
        QFETCH(QStringList, editorErrors);
        QFETCH(QString, retryBox);
        start();
        const QString good = path(u"good.dat"_s);
        writeFile(good, fileOf(questionFile(2, "2")));
        open(false, good);
        const QString chosen = target(pick, bytes);
        const QByteArray diskAfter = pick == Pick::VanishingFile ? "<missing>" : onDisk(chosen);

        tk->answers = {IDCANCEL}; // to the retry box, if it comes
        open(false, chosen);
        editor->Button2->click();
        editor->Button2->click();
        QCOMPARE(tk->errors, withPath(editorErrors, chosen));
        QStringList boxes;
        for (const auto &box : tk->boxes)
            boxes << box.text;
        QCOMPARE(boxes, retryBox.isEmpty() ? QStringList() : QStringList{retryBox.arg(chosen)});
        QCOMPARE(this->lines(false), lines);
        QCOMPARE(editor->Edit8->text(), QString::number(remaining));
        QCOMPARE(onDisk(chosen), diskAfter);

        // A later save proposes the file whose lines are held, never one that failed.
        QCOMPARE(editor->fileName, retryBox.isEmpty() ? chosen : good);
        save(false, path(u"copy.dat"_s));
        QCOMPARE(onDisk(path(u"copy.dat"_s)), lines.isEmpty() ? "<missing>"_ba : fileOf(lines));
        tk->errors.clear();
        open(false, good);
        QVERIFY(tk->errors.isEmpty());
        QCOMPARE(editor->Edit9->text(), u"Title"_s);
        QCOMPARE(editor->Label1->text(), u"第 0 問"_s);
    }

    // Saving a question file over a former one while the disk fails: the stated
    // error, the list and the former file as they were, no temporary file left,
    // and once the fault is gone the same save works.
    void saveFailure_data()
    {
        QTest::addColumn<bool>("inQuiz");
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("error");
        const std::pair<const char *, QString> faults[] = {
            {"missing folder", createError},
            {"file that cannot be written", createError},
            {"a folder by the file's name", createError},
            {"a FIFO by the file's name", createError},
            {"a name of 256 bytes", createError},
            {"file system full", writeError},
            {"file size limit", writeError},
            {"中止 at the first report", {}},
        };
        for (bool inQuiz : {true, false})
            for (const auto &[fault, error] : faults)
                QTest::addRow("%s, %s", inQuiz ? "quiz" : "editor", fault)
                    << inQuiz << QString::fromUtf8(fault) << error;
    }
    void saveFailure()
    {
        QFETCH(bool, inQuiz);
        QFETCH(QString, fault);
        QFETCH(QString, error);
        if (fault.contains(u"cannot be written"_s) && geteuid() == 0) {
            rerunUnprivileged();
            return;
        }
        start();
        const Lines list = questionFile(2000, "2000"); // larger than the small disk below
        writeFile(path(u"work.dat"_s), fileOf(list));
        open(inQuiz, path(u"work.dat"_s));
        QVERIFY(tk->errors.isEmpty());

        const QString folder = path(u"out"_s);
        QString file = folder + u"/x.dat"_s;
        const QByteArray former = "the learner's former file\r\n"_ba;
        QDir().mkpath(folder);
        writeFile(file, former);
        std::function<void()> undo = [] {};
        if (fault == u"missing folder"_s) {
            file = path(u"missing/x.dat"_s);
            undo = [&] { QDir().mkpath(path(u"missing"_s)); };
        } else if (fault == u"a FIFO by the file's name"_s) {
            QFile::remove(file);
            QCOMPARE(mkfifo(QFile::encodeName(file).constData(), 0644), 0);
            undo = [&] { QFile::remove(file); };
        } else if (fault == u"a name of 256 bytes"_s) {
            file = folder + u'/' + QString(256, u'n');
            undo = [&] { file = folder + u"/x.dat"_s; };
        } else if (fault == u"file that cannot be written"_s) {
            QFile::setPermissions(file, QFileDevice::ReadOwner);
            undo = [&] { QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::WriteOwner); };
        } else if (fault == u"a folder by the file's name"_s) {
            QFile::remove(file);
            QDir().mkpath(file + u"/inside"_s);
            undo = [&] { QDir(file).removeRecursively(); };
        } else if (fault == u"file system full"_s) {
            if (::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0, "size=64k") != 0)
                QSKIP(qPrintable(u"no small file system can be mounted here: "_s + QString::fromLocal8Bit(strerror(errno))));
            writeFile(file, former);
            undo = [&] { ::umount2(QFile::encodeName(folder).constData(), MNT_DETACH); };
        } else if (fault == u"file size limit"_s) {
            rlimit limit{};
            getrlimit(RLIMIT_FSIZE, &limit);
            const rlimit before = limit;
            limit.rlim_cur = 16 * 1024;
            setrlimit(RLIMIT_FSIZE, &limit);
            const auto handler = std::signal(SIGXFSZ, SIG_IGN); // a write past the limit fails with EFBIG
            undo = [before, handler] { setrlimit(RLIMIT_FSIZE, &before); std::signal(SIGXFSZ, handler); };
        } else if (fault.startsWith(u"中止"_s)) {
            tk->cancelAtReport = tk->progressReports;
            undo = [&] { tk->cancelAtReport = -1; };
        }
        auto restore = qScopeGuard([&] { std::exchange(undo, [] {})(); });
        const QString parent = QFileInfo(file).path();
        const QByteArray diskBefore = onDisk(parent) + '\n' + onDisk(file);
        QWidget *window = inQuiz ? static_cast<QWidget *>(quiz.get()) : editor.get();
        const QString caption = window->windowTitle();

        save(inQuiz, file);
        QCOMPARE(tk->errors, error.isEmpty() ? QStringList() : QStringList{error.contains(u"%1"_s) ? error.arg(file) : error});
        QCOMPARE(lines(inQuiz), list);
        QCOMPARE(window->windowTitle(), caption);
        QCOMPARE(onDisk(parent) + '\n' + onDisk(file), diskBefore);

        std::exchange(undo, [] {})();
        tk->errors.clear();
        save(inQuiz, file);
        QVERIFY(tk->errors.isEmpty());
        QCOMPARE(onDisk(file), fileOf(list));
    }

    // Saving over a file that is shared, linked or not the saver's own: the
    // save works, and the file keeps its owner, group, mode, attributes and
    // links, with no other file left in its folder.
    void saveKeepsTheFile_data()
    {
        QTest::addColumn<QString>("staging");
        QTest::addColumn<bool>("inPlace"); // rewritten in place, or replaced by a copy
        for (const char *staging : {"another user's 0600 file, saved by root", "a set-group-ID file",
                                    "an ACL and an extended attribute", "a folder's default ACL the file lacks"})
            QTest::newRow(staging) << QString::fromLatin1(staging) << false;
        for (const char *staging : {"a group's 0660 file, saved by a member", "a hard link", "a symbolic link",
                                    "a folder the saver cannot write", "a bind-mounted file", "a name of 250 bytes",
                                    "room for the new text but not for two copies"})
            QTest::newRow(staging) << QString::fromLatin1(staging) << true;
    }
    void saveKeepsTheFile()
    {
        QFETCH(QString, staging);
        if (geteuid() != 0)
            QSKIP("owners, other users and mounts can only be staged as root");
        start();
        const Lines list = questionFile(700, "700"); // about 40 KB
        writeFile(path(u"work.dat"_s), fileOf(list));
        open(true, path(u"work.dat"_s));
        const QString folder = path(u"out"_s);
        const QByteArray folderName = QFile::encodeName(folder);
        QString file = folder + (staging.startsWith(u"a name"_s) ? u'/' + QString(250, u'n') : u"/x.dat"_s);
        QString other; // another name of the same file
        QDir().mkpath(folder);
        QVERIFY(chmod(QFile::encodeName(dir->path()), 0755) == 0);
        // The cache folder, where a rewrite in place keeps the former content, is the saver's.
        const QString cache = path(u"cache"_s);
        QVERIFY(QDir().mkpath(cache) && chmod(QFile::encodeName(cache), 0777) == 0);
        qputenv("XDG_CACHE_HOME", QFile::encodeName(cache));
        auto umount = qScopeGuard([&] { actAs(0, 0); ::umount2(folderName, MNT_DETACH); ::umount2(QFile::encodeName(file), MNT_DETACH); });
        if (staging.startsWith(u"room"_s) && ::mount("tmpfs", folderName, "tmpfs", 0, "size=64k") != 0)
            QSKIP("no small file system can be mounted here");
        writeFile(file, QByteArray(45000, 'f'));
        const QByteArray name = QFile::encodeName(file);
        uid_t uid = 0;
        gid_t gid = 0;
        if (staging.startsWith(u"another user"_s)) {
            QVERIFY(chown(name, 65534, 65534) == 0 && chmod(name, 0600) == 0);
        } else if (staging.startsWith(u"a group"_s)) {
            QVERIFY(chown(name, 1000, 100) == 0 && chmod(name, 0660) == 0 && chmod(folderName, 0777) == 0);
            uid = 65534, gid = 100;
        } else if (staging.startsWith(u"a set-group-ID"_s)) {
            QVERIFY(chown(name, 65534, 100) == 0 && chmod(name, 02640) == 0);
        } else if (staging.startsWith(u"an ACL"_s)) { // owner rw, user 1000 rw, group r, mask rw, others none
            const QByteArray acl = QByteArray::fromHex("02000000" "01000600ffffffff" "02000600e8030000"
                                                       "04000400ffffffff" "10000600ffffffff" "20000000ffffffff");
            QVERIFY(setxattr(name, "system.posix_acl_access", acl.constData(), size_t(acl.size()), 0) == 0);
            QVERIFY(setxattr(name, "user.origin", "learner", 7, 0) == 0);
        } else if (staging.startsWith(u"a folder's default ACL"_s)) { // owner rwx, user 1000 rw, group r-x, mask rwx, others r-x
            const QByteArray acl = QByteArray::fromHex("02000000" "01000700ffffffff" "02000600e8030000"
                                                       "04000500ffffffff" "10000700ffffffff" "20000500ffffffff");
            QVERIFY(setxattr(folderName, "system.posix_acl_default", acl.constData(), size_t(acl.size()), 0) == 0);
        } else if (staging.startsWith(u"a hard link"_s)) {
            QVERIFY(link(name, QFile::encodeName(other = folder + u"/other.dat"_s)) == 0);
        } else if (staging.startsWith(u"a symbolic link"_s)) {
            other = std::exchange(file, folder + u"/link.dat"_s);
            QVERIFY(QFile::link(other, file));
        } else if (staging.startsWith(u"a folder"_s)) {
            QVERIFY(chown(name, 65534, 65534) == 0);
            uid = gid = 65534;
        } else if (staging.startsWith(u"a bind-mounted"_s)) {
            writeFile(other = folder + u"/source.dat"_s, "source\r\n");
            if (::mount(QFile::encodeName(other), name, nullptr, MS_BIND, nullptr) != 0)
                QSKIP("no bind mount can be made here");
        }
        const QByteArray before = identity(file) + '\n' + onDisk(folder);
        struct stat was {}, now {};
        QVERIFY(::stat(name, &was) == 0);
        QVERIFY(actAs(uid, gid));
        save(true, file);
        QVERIFY(actAs(0, 0));
        QCOMPARE(tk->errors, QStringList());
        QCOMPARE(onDisk(other.isEmpty() ? file : other), fileOf(list));
        QCOMPARE(identity(file) + '\n' + onDisk(folder), before);
        QVERIFY(::stat(name, &now) == 0);
        QTEST(now.st_ino == was.st_ino, "inPlace");
        QCOMPARE(onDisk(cache + u"/pirumo"_s), QFileInfo::exists(cache + u"/pirumo"_s) ? "<folder> "_ba : "<missing>"_ba);
    }

    // A rewrite in place cut off, and its put-back failing too (the disk gives
    // out): the next open in either window offers the former content back.
    void cutOffSaveIsOfferedBack_data()
    {
        QTest::addColumn<bool>("inQuiz");
        QTest::addColumn<int>("answer");
        for (bool inQuiz : {true, false})
            for (int answer : {IDYES, IDNO})
                QTest::addRow("%s, %s", inQuiz ? "quiz" : "editor", answer == IDYES ? "Yes" : "No") << inQuiz << answer;
    }
    void cutOffSaveIsOfferedBack()
    {
        QFETCH(bool, inQuiz);
        QFETCH(int, answer);
        start();
        qputenv("XDG_CACHE_HOME", QFile::encodeName(path(u"cache"_s)));
        const QString file = path(u"x.dat"_s), link = path(u"link.dat"_s);
        const Lines former = questionFile(3, "3");
        writeFile(file, fileOf(former));
        QVERIFY(QFile::link(file, link)); // saved through a link: rewritten in place
        rlimit unlimited{};
        getrlimit(RLIMIT_FSIZE, &unlimited);
        const auto handler = std::signal(SIGXFSZ, SIG_IGN);
        auto restore = qScopeGuard([&] { setrlimit(RLIMIT_FSIZE, &unlimited); std::signal(SIGXFSZ, handler); });
        const auto cutOff = [](QIODevice &f, const QByteArray &text) {
            f.write(text.left(text.size() / 2));
            const rlimit none{0, RLIM_INFINITY};
            setrlimit(RLIMIT_FSIZE, &none);
            return qint64(-1);
        };
        LineList longer;
        for (const QByteArray &line : questionFile(30, "30"))
            longer.Add(line);
        QVERIFY_THROWS_EXCEPTION(EWriteError, longer.Save(link, {}, cutOff));
        setrlimit(RLIMIT_FSIZE, &unlimited);
        const QByteArray torn = onDisk(file);
        QVERIFY(torn != fileOf(former));

        tk->answers = {answer};
        open(inQuiz, file);
        QCOMPARE(tk->boxes.size(), 1);
        QCOMPARE(tk->boxes[0].text, u"前回の保存が途中で終わりました。保存前の内容に戻しますか？"_s);
        QCOMPARE(onDisk(file), answer == IDYES ? fileOf(former) : torn);
        QCOMPARE(lines(inQuiz), answer == IDYES ? former : linesOf(LineList::split(torn)));
        // A copy is offered until the file is put back or saved again.
        tk->answers = {IDCANCEL};
        open(inQuiz, file);
        QCOMPARE(tk->boxes.size(), answer == IDYES ? 1 : 2);
        QVERIFY(tk->errors.isEmpty());
    }

    // A settings file that is no regular file fails at once with the open
    // error; a title of any length is shown cut and kept whole.
    void settingsFile_data()
    {
        QTest::addColumn<Pick>("pick");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("errors");
        QTest::addColumn<int>("shown"); // the length of the window title
        QTest::addColumn<int>("kept");  // the length of the title kept
        const QStringList cannotOpen{openError.arg(u"help.txt"_s) + u'.'};
        QTest::newRow("a FIFO") << Pick::Fifo << QByteArray() << cannotOpen << 4 << 0;
        QTest::newRow("a link to /dev/zero") << Pick::LinkToDevZero << QByteArray() << cannotOpen << 4 << 0;
        QTest::newRow("a title of 100,000 bytes") << Pick::File << "3480\r\n" + QByteArray(100000, 'T') + "\r\nM\r\n"
                                                  << QStringList() << 1000 << 100000;
    }
    void settingsFile()
    {
        QFETCH(Pick, pick);
        QFETCH(QByteArray, bytes);
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(QDir::setCurrent(dir->path()));
        target(pick, bytes, u"help.txt"_s);
        tk = std::make_unique<VanishingToolkit>();
        quiz = std::make_unique<TForm1>(*tk);
        QTEST(tk->errors, "errors");
        QTEST(int(quiz->windowTitle().size()), "shown");
        QTEST(int(quiz->baseTitle.size()), "kept");
    }

    // The fuzz target's seeds, read through the file as the toolkit reads
    // them: the default beep (no duration, nothing decoded), or a wait cut at
    // 30 s and the samples of those 30 s at most.
    void waveHeader_data()
    {
        QTest::addColumn<QString>("seed");
        QTest::addColumn<qint64>("duration");
        QTest::addColumn<int>("wait");
        QTest::addColumn<qsizetype>("samples");
        QTest::newRow("half a second") << u"half-second"_s << qint64(500) << 1000 << qsizetype(4000);
        QTest::newRow("a data chunk of 4 GB in 4,454 bytes") << u"data-claims-4gb"_s << qint64(-1) << -1 << qsizetype(-1);
        QTest::newRow("a fmt chunk of 14 bytes") << u"short-fmt"_s << qint64(-1) << -1 << qsizetype(-1);
        QTest::newRow("a fmt chunk past the end") << u"fmt-past-end"_s << qint64(-1) << -1 << qsizetype(-1);
        QTest::newRow("byte rate 0") << u"byte-rate-zero"_s << qint64(-1) << -1 << qsizetype(-1);
        QTest::newRow("byte rate 1: 74 minutes") << u"byte-rate-one"_s << qint64(4410000) << 30500 << qsizetype(30);
    }
    void waveHeader()
    {
        QFETCH(QString, seed);
        const QString path = qEnvironmentVariable("PIRUMO_SAMPLE") + u"/../tests/fuzz/corpus/WaveHeader/"_s + seed;
        const qint64 found = waveDurationMs(path);
        QTEST(found, "duration");
        QTEST(found < 0 ? -1 : soundWaitMs(found), "wait");
        const std::optional<Sound> sound = decodeWave(path);
        QTEST(sound ? sound->samples.size() / 2 : -1, "samples");
    }
};

QTEST_MAIN(tst_Reliability)
#include "tst_Reliability.moc"
