#include "app/Exceptions.h"
#include "data/LineList.h"
#include "TestFiles.h"
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
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

// Lines "0", "1", ... so that every line tells where it came from.
Lines numbered(int count, const QByteArray &prefix = {})
{
    Lines lines;
    for (int i = 0; i < count; ++i)
        lines << prefix + QByteArray::number(i);
    return lines;
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
        QTest::newRow("empty lines kept with LF") << "a\n\n\nb\n"_ba << Lines{"a", "", "", "b"};
        QTest::newRow("empty file") << QByteArray() << Lines{};
        QTest::newRow("one line end") << "\r\n"_ba << Lines{""};
        QTest::newRow("0x00 ends the text") << QByteArray("a\r\nb\0c\r\nd", 9) << Lines{"a", "b"};
        QTest::newRow("0x00 first") << QByteArray("\0a", 2) << Lines{};
        QTest::newRow("mixed line ends") << "a\rb\nc\r\nd"_ba << Lines{"a", "b", "c", "d"};
        QTest::newRow("CR alone, then LF") << "a\rb\rc\nd\r"_ba << Lines{"a", "b", "c", "d"};
        // Line ends before, at and after the sixteen-byte steps of the scan,
        // with enough behind them to fill a step.
        const QByteArray next(20, 'n');
        for (int n : {0, 15, 16, 17, 31, 32, 33}) {
            const QByteArray line(n, '\x82');
            for (const char *lineEnd : {"\n", "\r", "\r\n"})
                QTest::addRow("%d bytes, then %s", n, lineEnd == "\n"_ba ? "LF" : lineEnd == "\r"_ba ? "CR" : "CR LF")
                    << line + lineEnd + next << Lines{line, next};
            QTest::addRow("%d bytes, then 0x00", n) << line + QByteArray(1, '\0') + next << (n ? Lines{line} : Lines{});
        }
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
        QCOMPARE(listOf(lines).Save(path(u"out.dat"_s)), Saved::Replaced);
        QCOMPARE(readFile(path(u"out.dat"_s)), bytes);
    }

    void roundTrip()
    {
        const Lines lines{"title", "", "12", "\x88\xea\x94\xd4", "x y z", "", "end"};
        QCOMPARE(listOf(lines).Save(path(u"rt.dat"_s)), Saved::Created);
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

    // Memorising moves a record with one MoveToEnd; it must leave the list,
    // and raise the error, exactly as seven single steps would.
    void moveToEndEqualsSingleSteps_data()
    {
        QTest::addColumn<int>("lines");
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("moves");
        const int block = int(LineList::blockLines);
        QTest::newRow("first record") << 21 << 7 << 7 << 1;
        QTest::newRow("last record") << 21 << 14 << 7 << 1;
        QTest::newRow("three lines follow") << 10 << 7 << 7 << 1;
        QTest::newRow("two lines follow") << 9 << 7 << 7 << 1;
        QTest::newRow("one line follows") << 8 << 7 << 7 << 1;
        QTest::newRow("more steps than lines") << 21 << 7 << 20 << 1;
        QTest::newRow("no steps at a bad index") << 3 << 9 << 0 << 1;
        QTest::newRow("index Count") << 7 << 7 << 7 << 1;
        QTest::newRow("index -1") << 21 << -1 << 7 << 1;
        QTest::newRow("empty list") << 0 << 0 << 7 << 1;
        QTest::newRow("across two blocks") << 2 * block + 10 << block - 3 << 7 << 1;
        QTest::newRow("onto a full last block") << 2 * block << 7 << 7 << 1;
        QTest::newRow("more than a block") << 3 * block << 5 << block + 100 << 1;
        QTest::newRow("a whole block, then across its place") << 3 * block << block << block << 2;
    }
    void moveToEndEqualsSingleSteps()
    {
        QFETCH(int, lines);
        QFETCH(int, index);
        QFETCH(int, count);
        QFETCH(int, moves);
        LineList steps = listOf(numbered(lines));
        LineList moved = listOf(numbered(lines));
        // A later move starts three lines before the earlier one.
        for (int move = 0; move < moves; ++move, index -= 3) {
            const QString stepsError = messageOf<EStringListError>([&] {
                for (int i = 0; i < count; ++i) {
                    const QByteArray line = steps.Get(index);
                    steps.Add(line);
                    steps.Delete(index);
                }
            });
            QCOMPARE(messageOf<EStringListError>([&] { moved.MoveToEnd(index, count); }), stepsError);
            QCOMPARE(linesOf(moved), linesOf(steps));
        }
    }

    // The editor adds a record with one InsertBlock; the same holds for it.
    void insertBlockEqualsSingleInserts_data()
    {
        QTest::addColumn<int>("lines");
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("inserted");
        const int block = int(LineList::blockLines);
        QTest::newRow("editor's add") << 21 << 7 << 7;
        QTest::newRow("at 0") << 21 << 0 << 7;
        QTest::newRow("at Count") << 21 << 21 << 7;
        QTest::newRow("into an empty list") << 0 << 0 << 7;
        QTest::newRow("past Count") << 21 << 22 << 7;
        QTest::newRow("short list") << 3 << 7 << 7;
        QTest::newRow("index -1") << 21 << -1 << 7;
        QTest::newRow("nothing at a bad index") << 21 << 99 << 0;
        QTest::newRow("into a full block") << block << 7 << 7;
        QTest::newRow("at a block's start") << 2 * block << block << 7;
        QTest::newRow("more than two blocks' worth") << 10 << 3 << 2 * block + 5;
    }
    void insertBlockEqualsSingleInserts()
    {
        QFETCH(int, lines);
        QFETCH(int, index);
        QFETCH(int, inserted);
        const Lines added = numbered(inserted, "new ");
        LineList steps = listOf(numbered(lines));
        const QString stepsError = messageOf<EStringListError>([&] {
            for (int k = 0; k < inserted; ++k)
                steps.Insert(index + k, added[k]);
        });
        LineList block = listOf(numbered(lines));
        QCOMPARE(messageOf<EStringListError>([&] { block.InsertBlock(index, added); }), stepsError);
        QCOMPARE(linesOf(block), linesOf(steps));
    }

    // A long list lives in many blocks; after any mix of edits it must hold
    // what a plain array would, and save and load back the same.
    void manyBlocksMatchAPlainList_data()
    {
        QTest::addColumn<quint32>("seed");
        for (quint32 seed : {1u, 2u, 3u})
            QTest::addRow("seed %u", seed) << seed;
    }
    void manyBlocksMatchAPlainList()
    {
        QFETCH(quint32, seed);
        QRandomGenerator random(seed);
        Lines plain = numbered(int(3 * LineList::blockLines));
        LineList list = listOf(plain);
        for (int step = 0; step < 3000; ++step) {
            const int count = int(plain.size());
            const int at = int(random.bounded(count + 1));
            const QByteArray text = "step " + QByteArray::number(step);
            switch (random.bounded(6)) {
            case 0:
                list.Insert(at, text);
                plain.insert(at, text);
                break;
            case 1:
                if (at < count) {
                    list.Delete(at);
                    plain.removeAt(at);
                }
                break;
            case 2:
                if (at < count) {
                    list.Put(at, text);
                    plain[at] = text;
                }
                break;
            case 3:
                QCOMPARE(list.Add(text), count);
                plain << text;
                break;
            case 4: {
                const Lines run = numbered(int(random.bounded(300)), text + " ");
                list.InsertBlock(at, run);
                for (qsizetype k = 0; k < run.size(); ++k)
                    plain.insert(at + k, run[k]);
                break;
            }
            default:
                if (at < count) {
                    const int moved = int(random.bounded(50)) % (count - at);
                    list.MoveToEnd(at, moved);
                    const Lines run = plain.mid(at, moved);
                    plain.remove(at, moved);
                    plain << run;
                }
            }
            QCOMPARE(list.Count(), int(plain.size()));
        }
        QCOMPARE(linesOf(list), plain);
        list.Save(path(u"many.dat"_s));
        LineList back;
        back.Load(path(u"many.dat"_s));
        QCOMPARE(linesOf(back), plain);
    }

    void failedLoadKeepsTheList_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("error");
        const QString openError = u"ﾌｧｲﾙ %1 は開けません"_s;
        QTest::newRow("missing file") << u"missing.dat"_s << openError;
        QTest::newRow("a folder") << u"folder"_s << openError;
        QTest::newRow("larger than the memory there is (sparse, 1 TB)") << u"huge.dat"_s << u"ﾒﾓﾘが足りません"_s;
        QTest::newRow("cancelled while read") << u"cancelled.dat"_s << QString();
        QTest::newRow("cancelled while split") << u"split.dat"_s << QString();
    }
    void failedLoadKeepsTheList()
    {
        QFETCH(QString, name);
        QFETCH(QString, error);
        QDir(dir.path()).mkdir(u"folder"_s);
        QFile huge(path(u"huge.dat"_s));
        QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(qint64(1) << 40));
        writeFile(path(u"cancelled.dat"_s), fileOf(numbered(10)));
        writeFile(path(u"split.dat"_s), fileOf(numbered(10)));
        LineList list = listOf({"kept"});
        const QString given = path(name);
        // Cancelled at the first word from the reading, or from the splitting.
        const Progress progress = [&](qint64 done, qint64 total) { return name == u"split.dat"_s && done <= total / 2; };
        QCOMPARE(messageOf<Exception>([&] {
            try {
                list.Load(given, progress);
            } catch (const Cancelled &) {
            }
        }), error.arg(given).isEmpty() ? u"<no error>"_s : error.arg(given));
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
        QCOMPARE(QDir(dir.path()).entryList({u"taken*"_s}, QDir::AllEntries | QDir::Hidden),
                 QStringList{u"taken"_s}); // no temporary file left behind
    }

    // A save replaces the file's text, not what the file is: its permissions
    // stay, and a link stays a link to the file it named.
    void saveKeepsPermissionsAndLinks()
    {
        const QString real = path(u"real.dat"_s), link = path(u"link.dat"_s);
        writeFile(real, "old\r\n"_ba);
        const auto ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
        QVERIFY(QFile::setPermissions(real, ownerOnly));
        QVERIFY(QFile::link(real, link));
        QCOMPARE(listOf({"new"}).Save(link), Saved::RewrittenInPlace);
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(readFile(real), "new\r\n"_ba);
        const QFileDevice::Permissions ownerGroupOther(0x7077); // not the running user's
        QCOMPARE(QFile::permissions(real) & ownerGroupOther, ownerOnly);
    }

    void saveOverReadOnlyFileFails()
    {
        if (geteuid() == 0)
            QSKIP("root may replace any file");
        const QString target = path(u"locked.dat"_s);
        writeFile(target, "old\r\n"_ba);
        QFile::setPermissions(target, QFileDevice::ReadOwner);
        QCOMPARE(messageOf<EFCreateError>([&] { listOf({"new"}).Save(target); }),
                 u"ﾌｧｲﾙ %1 を作成できません"_s.arg(target));
        QCOMPARE(readFile(target), "old\r\n"_ba);
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

    // A write that fails part way, or a cancel, on either way of saving: the
    // old file is whole (a rewrite in place puts it back), nothing is left
    // beside it, and no copy is left in the cache folder.
    void failedWriteKeepsTheOldFile_data()
    {
        QTest::addColumn<int>("fault");
        QTest::addColumn<bool>("linked");
        for (bool linked : {false, true}) {
            const char *way = linked ? "rewritten in place" : "replaced";
            QTest::addRow("short write, %s", way) << 0 << linked;
            QTest::addRow("failed write, %s", way) << 1 << linked;
            QTest::addRow("cancelled, %s", way) << 2 << linked;
        }
    }
    void failedWriteKeepsTheOldFile()
    {
        QFETCH(int, fault);
        QFETCH(bool, linked);
        QDir(dir.path()).mkdir(u"full"_s);
        const QString target = path(u"full/x.dat"_s);
        const QByteArray old = "the learner's file\r\nline 2\r\n"_ba;
        writeFile(target, old);
        if (linked)
            QVERIFY(QFile::link(target, path(u"full/link.dat"_s)));
        const TextWriter writers[] = {
            [](QIODevice &file, const QByteArray &text) { return file.write(text.left(text.size() / 2)); },
            [](QIODevice &, const QByteArray &) { return qint64(-1); },
            writeAll,
        };
        const Progress cancel = [](qint64 done, qint64) { return done == 0; };
        const LineList list = listOf({"new", "text", "here, longer than the old"});
        const QString saving = linked ? path(u"full/link.dat"_s) : target;
        if (fault == 2)
            QVERIFY_THROWS_EXCEPTION(Cancelled, list.Save(saving, cancel));
        else
            QCOMPARE(messageOf<EWriteError>([&] { list.Save(saving, {}, writers[fault]); }), u"ｽﾄﾘｰﾑへの書き込みｴﾗｰ"_s);
        QCOMPARE(readFile(target), old);
        QCOMPARE(QDir(path(u"full"_s)).entryList(QDir::Files | QDir::Hidden | QDir::System).size(), linked ? 2 : 1);
        QCOMPARE(QDir(qEnvironmentVariable("XDG_CACHE_HOME") + u"/pirumo"_s).entryList(QDir::Files), QStringList());
        QVERIFY(QDir(path(u"full"_s)).removeRecursively());
    }

    // A loaded list keeps each block's lines in one buffer made to its size.
    // Every edit, at the blocks' edges too, must give what a plain array
    // gives, and leave a copy taken before it as it was.
    void editsOnALoadedList_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("emptyLines");
        QTest::addColumn<QString>("operation");
        QTest::addColumn<int>("index");
        QTest::addColumn<QByteArray>("text");
        const int block = int(LineList::blockLines), count = 3 * block + 5;
        for (bool empty : {false, true}) {
            const char *lines = empty ? "empty lines" : "numbered lines";
            QTest::addRow("%s: Put longer at a block's first line", lines)
                << count << empty << u"Put"_s << block << "a line longer than any before"_ba;
            QTest::addRow("%s: Put empty at a block's last line", lines) << count << empty << u"Put"_s << block - 1 << QByteArray();
            QTest::addRow("%s: Put 0x00, CR and LF", lines) << count << empty << u"Put"_s << 0 << QByteArray("x\0\r\ny", 5);
            QTest::addRow("%s: Insert at a block's start", lines) << count << empty << u"Insert"_s << block << "new"_ba;
            QTest::addRow("%s: Delete a block's last line", lines) << count << empty << u"Delete"_s << 2 * block - 1 << QByteArray();
            QTest::addRow("%s: MoveToEnd across blocks", lines) << count << empty << u"MoveToEnd"_s << block - 3 << QByteArray();
            QTest::addRow("%s: InsertBlock into a full block", lines) << count << empty << u"InsertBlock"_s << 7 << "new "_ba;
        }
        QTest::newRow("numbered lines: Put the same length") << count << false << u"Put"_s << block << "same"_ba;
        QTest::newRow("two full blocks: Insert at Count") << 2 * block << false << u"Insert"_s << 2 * block << "new"_ba;
        QTest::newRow("two full blocks: Delete the last line") << 2 * block << false << u"Delete"_s << 2 * block - 1 << QByteArray();
        QTest::newRow("one line: Delete it") << 1 << false << u"Delete"_s << 0 << QByteArray();
    }
    void editsOnALoadedList()
    {
        QFETCH(int, count);
        QFETCH(bool, emptyLines);
        QFETCH(QString, operation);
        QFETCH(int, index);
        QFETCH(QByteArray, text);
        Lines plain = emptyLines ? Lines(count) : numbered(count);
        writeFile(path(u"loaded.dat"_s), fileOf(plain));
        LineList list;
        list.Load(path(u"loaded.dat"_s));
        const LineList copy = list;
        const Lines before = plain;
        if (operation == u"Put"_s) {
            list.Put(index, text);
            plain[index] = text;
        } else if (operation == u"Insert"_s) {
            list.Insert(index, text);
            plain.insert(index, text);
        } else if (operation == u"Delete"_s) {
            list.Delete(index);
            plain.removeAt(index);
        } else if (operation == u"MoveToEnd"_s) {
            list.MoveToEnd(index, 7);
            const Lines run = plain.mid(index, 7);
            plain.remove(index, 7);
            plain << run;
        } else {
            const Lines run = numbered(7, text);
            list.InsertBlock(index, run);
            for (qsizetype k = 0; k < run.size(); ++k)
                plain.insert(index + k, run[k]);
        }
        QCOMPARE(linesOf(list), plain);
        QCOMPARE(list.joined(), fileOf(plain));
        QCOMPARE(linesOf(copy), before);
    }
};

QTEST_GUILESS_MAIN(tst_LineList)
#include "tst_LineList.moc"
