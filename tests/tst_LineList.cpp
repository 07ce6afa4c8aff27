#include "app/Exceptions.h"
#include "data/LineList.h"
#include "TestFiles.h"
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::Literals::StringLiterals;

namespace {
LineList listOf(const Lines &lines)
{
    LineList list;
    for (const QByteArray &l : lines)
        list.Add(l);
    return list;
}

template <class E, class F>
QString messageOf(F f)
{
    try {
        f();
    } catch (const E &e) {
        return e.message();
    }
    return u"<no error>"_s;
}
} // namespace

class tst_LineList : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QString path(const QString &name) const { return dir.filePath(name); }

private slots:
    void load_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<Lines>("lines");
        QTest::newRow("CR LF") << "a\r\nb\r\n"_ba << Lines{"a", "b"};
        QTest::newRow("LF alone") << "a\nb\n"_ba << Lines{"a", "b"};
        QTest::newRow("CR alone") << "a\rb\r"_ba << Lines{"a", "b"};
        QTest::newRow("LF CR ends two lines") << "a\n\rb"_ba << Lines{"a", "", "b"};
        QTest::newRow("no end on last line") << "a\r\nb"_ba << Lines{"a", "b"};
        QTest::newRow("empty lines kept") << "\r\n\r\nx\r\n"_ba << Lines{"", "", "x"};
        QTest::newRow("empty file") << QByteArray() << Lines{};
        QTest::newRow("one line end") << "\r\n"_ba << Lines{""};
        QTest::newRow("0x00 ends the text") << QByteArray("a\r\nb\0c\r\nd", 9) << Lines{"a", "b"};
        QTest::newRow("0x00 first") << QByteArray("\0a", 2) << Lines{};
        QTest::newRow("bytes as they are") << "\xef\xbb\xbf\x82\xa0\x5c\r\n\xff"_ba
                                           << Lines{"\xef\xbb\xbf\x82\xa0\x5c", "\xff"};
    }
    void load()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(Lines, lines);
        writeFile(path(u"in.dat"_s), bytes);
        LineList list = listOf({"old"});
        list.Load(path(u"in.dat"_s));
        QCOMPARE(linesOf(list), lines);
    }

    void saveWritesCrLfAfterEveryLine_data()
    {
        QTest::addColumn<Lines>("lines");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("two") << Lines{"a", "\x82\xa0"} << "a\r\n\x82\xa0\r\n"_ba;
        QTest::newRow("empty list") << Lines{} << QByteArray();
        QTest::newRow("empty lines") << Lines{"", ""} << "\r\n\r\n"_ba;
        QTest::newRow("CR LF inside a line is kept") << Lines{"a\r\nb"} << "a\r\nb\r\n"_ba;
    }
    void saveWritesCrLfAfterEveryLine()
    {
        QFETCH(Lines, lines);
        QFETCH(QByteArray, bytes);
        writeFile(path(u"out.dat"_s), "something longer than the new text\r\n"_ba);
        listOf(lines).Save(path(u"out.dat"_s));
        QCOMPARE(readFile(path(u"out.dat"_s)), bytes);
    }

    void roundTrip()
    {
        const Lines lines{"title", "", "12", "\x88\xea\x94\xd4", "x y z", "", "end"};
        listOf(lines).Save(path(u"rt.dat"_s));
        LineList back;
        back.Load(path(u"rt.dat"_s));
        QCOMPARE(linesOf(back), lines);
    }

    void editing()
    {
        LineList list = listOf({"a", "b"});
        QCOMPARE(list.Add("c"), 2);
        list.Insert(3, "d"); // index Count appends
        list.Insert(0, "z");
        list.Put(1, "A");
        list.Delete(2);
        QCOMPARE(linesOf(list), (Lines{"z", "A", "c", "d"}));
        QByteArray copy = list.Get(0);
        copy[0] = 'q';
        QCOMPARE(list.Get(0), "z"_ba); // Get hands out a copy
    }

    void boundsAreChecked_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<int>("index");
        for (int i : {-1, 3, 100})
            for (const char *op : {"Get", "Put", "Delete"})
                QTest::addRow("%s %d", op, i) << QString::fromLatin1(op) << i;
        QTest::newRow("Insert past Count") << u"Insert"_s << 4;
        QTest::newRow("Insert -1") << u"Insert"_s << -1;
    }
    void boundsAreChecked()
    {
        QFETCH(QString, operation);
        QFETCH(int, index);
        LineList list = listOf({"a", "b", "c"});
        const QString message = messageOf<EStringListError>([&] {
            if (operation == u"Get"_s) list.Get(index);
            if (operation == u"Put"_s) list.Put(index, "x");
            if (operation == u"Delete"_s) list.Delete(index);
            if (operation == u"Insert"_s) list.Insert(index, "x");
        });
        QCOMPARE(message, u"ﾘｽﾄのｲﾝﾃﾞｯｸｽが範囲を超えています (%1)"_s.arg(index));
        QCOMPARE(linesOf(list), (Lines{"a", "b", "c"}));
    }

    void failedLoadKeepsTheList_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("missing file") << u"missing.dat"_s;
        QTest::newRow("a folder") << u"folder"_s;
    }
    void failedLoadKeepsTheList()
    {
        QFETCH(QString, name);
        QDir(dir.path()).mkdir(u"folder"_s);
        LineList list = listOf({"kept"});
        const QString given = path(name);
        QCOMPARE(messageOf<EFOpenError>([&] { list.Load(given); }),
                 u"ﾌｧｲﾙ %1 は開けません"_s.arg(given));
        QCOMPARE(linesOf(list), Lines{"kept"});
    }

    void relativePathStaysAsPassedInTheMessage()
    {
        LineList list;
        QCOMPARE(messageOf<EFOpenError>([&] { list.Load(u"no/such.dat"_s); }),
                 u"ﾌｧｲﾙ no/such.dat は開けません"_s);
    }

    void saveIntoMissingFolderFails()
    {
        const QString target = path(u"nowhere/x.dat"_s);
        QCOMPARE(messageOf<EFCreateError>([&] { listOf({"a"}).Save(target); }),
                 u"ﾌｧｲﾙ %1 を作成できません"_s.arg(target));
        QVERIFY(!QFile::exists(target));
    }

    void saveOntoFolderFailsAndKeepsIt()
    {
        QDir(dir.path()).mkpath(u"taken/inner"_s);
        const QString target = path(u"taken"_s);
        QVERIFY(!messageOf<EStreamError>([&] { listOf({"a"}).Save(target); }).isEmpty());
        QVERIFY(QFileInfo(path(u"taken/inner"_s)).isDir());
    }

    void saveIntoReadOnlyFolderKeepsTheOldFile()
    {
        if (geteuid() == 0)
            QSKIP("root may write into any folder");
        QDir(dir.path()).mkdir(u"ro"_s);
        const QString target = path(u"ro/x.dat"_s);
        writeFile(target, "old\r\n"_ba);
        QFile::setPermissions(path(u"ro"_s), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        QCOMPARE(messageOf<EFCreateError>([&] { listOf({"new"}).Save(target); }),
                 u"ﾌｧｲﾙ %1 を作成できません"_s.arg(target));
        QFile::setPermissions(path(u"ro"_s), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QCOMPARE(readFile(target), "old\r\n"_ba);
    }

    void shortWriteKeepsTheOldFile()
    {
        const QString target = path(u"full.dat"_s);
        const QByteArray old = "the learner's file\r\nline 2\r\n"_ba;
        writeFile(target, old);
        const auto saved = LineList::writer;
        LineList::writer = [](QIODevice &file, const QByteArray &text) {
            return file.write(text.left(text.size() / 2)); // the disk fills half way
        };
        const QString message = messageOf<EWriteError>([&] { listOf({"new", "text", "here"}).Save(target); });
        LineList::writer = saved;
        QCOMPARE(message, u"ｽﾄﾘｰﾑへの書き込みｴﾗｰ"_s);
        QCOMPARE(readFile(target), old);
        QCOMPARE(QDir(dir.path()).entryList({u"full.dat*"_s}, QDir::Files | QDir::Hidden),
                 QStringList{u"full.dat"_s}); // no temporary file left behind
    }
};

QTEST_GUILESS_MAIN(tst_LineList)
#include "tst_LineList.moc"
