// Questions to and from CSV: what an import reads, what an export writes.
#include "app/Exceptions.h"
#include "app/Sjis.h"
#include "data/QuestionCsv.h"
#include <QtTest>

using namespace Qt::Literals::StringLiterals;
using Lines = QList<QByteArray>;

namespace {
Lines sjisLines(const QStringList &texts)
{
    Lines lines;
    for (const QString &t : texts)
        lines << toSjis(t);
    return lines;
}

// Lines as a question file holds them, each followed by CR LF.
QByteArray joined(const Lines &lines)
{
    return lines.isEmpty() ? QByteArray() : lines.join("\r\n") + "\r\n";
}

// The message of the Exception that `read` throws; empty when none is thrown.
template <class F> QString failure(F read)
{
    try {
        read();
    } catch (const Exception &e) {
        return e.message();
    }
    return {};
}
} // namespace

class tst_QuestionCsv : public QObject {
    Q_OBJECT

private slots:
    // The records a CSV text holds, or the one error it gives.
    void import_data()
    {
        QTest::addColumn<QByteArray>("csv");
        QTest::addColumn<QString>("records");   // fields joined by "|"
        QTest::addColumn<QString>("error");
        const QByteArray bom = "\xEF\xBB\xBF";
        const QString where = u"CSV の %1 行目 %2 列目: "_s;
        const QString count = where + u"1 行には 7 項目 (分野、問題文、正答、誤答1、誤答2、誤答3、解説) が要りますが、この行は %3 項目です"_s;
        const QString quote = where + u"引用符 \" の使い方が正しくありません (\" を含む項目は全体を \" で囲み、中の \" は \"\" と書きます)"_s;
        const QString binary = where + u"文字として読めないバイト %3 があります (文字の CSV ファイルではないようです)"_s;
        QTest::newRow("quotes, commas, blanks kept") << QByteArray("a,\"b,c\",\" c \",\"d\"\"e\",, f,g\r\n")
            << u"a|b,c| c |d\"e|| f|g"_s << QString();
        QTest::newRow("line breaks become one blank") << QByteArray("\"1\r\n2\",\"3\n4\",\"5\r6\",\"7\r\n\r\n8\",e,f,g")
            << u"1 2|3 4|5 6|7  8|e|f|g"_s << QString();
        QTest::newRow("UTF-8 with BOM, Japanese heading") << bom + u"分野,問題文,正答,誤答1,誤答2,誤答3,解説\r\n名詞,りんご,①,ｶﾀ,髙,x,説明\r\n"_s.toUtf8()
            << u"名詞|りんご|①|ｶﾀ|髙|x|説明"_s << QString();
        QTest::newRow("Shift-JIS, English heading, blank lines") << toSjis(u"Category,Question,Correct answer,Wrong answer 1,Wrong answer 2,Wrong answer 3,Explanation\n\n名詞,りんご,①,ｶﾀ,髙,x,説明\n\na,b,c,d,e,f,g\n"_s)
            << u"名詞|りんご|①|ｶﾀ|髙|x|説明|a|b|c|d|e|f|g"_s << QString();
        QTest::newRow("six fields") << QByteArray("a,b,c,d,e,f\r\n") << QString() << count.arg(1).arg(7).arg(6);
        QTest::newRow("eighth field left out, empty rows skipped") << QByteArray("a,b,c,d,e,f,g\r\n,,,,,,\r\n\"\",\r\n,,,,,,,notes\r\nh,i,j,k,l,m,n,o\r\n")
            << u"a|b|c|d|e|f|g|h|i|j|k|l|m|n"_s << QString();
        QTest::newRow("emoji") << u"a,b,c,d,e,f,g\r\na,b,c,d,e😀,f,g\r\n"_s.toUtf8() << QString()
            << where.arg(2).arg(5) + u"「😀」(U+1F600) は Shift-JIS で表せない文字です"_s;
        QTest::newRow("UTF-8 broken at row 3") << u"分野,a,b,c,d,e,f\r\n名詞,a,b,c,d,e,f\r\nx,"_s.toUtf8() + "\xE3\x81,c,d,e,f,g" << QString()
            << where.arg(3).arg(2) + u"UTF-8 として読めないバイト 0xE3 があります (UTF-8 の文字が途中で切れているか、壊れています)"_s;
        QTest::newRow("Shift-JIS that starts as UTF-8") << QByteArray("a,\xE3\x81\x82\xA0,c,d,e,f,g")
            << u"a|"_s + fromSjis("\xE3\x81\x82\xA0") + u"|c|d|e|f|g"_s << QString();
        QTest::newRow("NUL byte") << QByteArray("a,b,\"c\0", 7) << QString() << binary.arg(1).arg(3).arg(u"0x00"_s);
        QTest::newRow("no Shift-JIS") << QByteArray("a,b,c,d,e,f,g\r\nx,\x82\x20,c,d,e,f,g") << QString() << binary.arg(2).arg(2).arg(u"0x82"_s);
        QTest::newRow("no Shift-JIS character") << QByteArray("a,b,c,d,e,f,\x82\xA0\xFC\xFC") << QString() << binary.arg(1).arg(7).arg(u"0xFC"_s);
        QTest::newRow("no Shift-JIS past many rows and a long field")
            << QByteArray("a,b,c,d,e,f,g\r\n").repeated(2000) + "x,\"" + QByteArray("\x82\xA0").repeated(20000) + "\xFC\xFC\",c,d,e,f,g"
            << QString() << binary.arg(2001).arg(2).arg(u"0xFC"_s);
        QTest::newRow("quote inside a field") << QByteArray("a,b\"c,c,d,e,f,g") << QString() << quote.arg(1).arg(2);
        QTest::newRow("quote left open") << QByteArray("a,b,c,d,e,f,\"g\r\n") << QString() << quote.arg(1).arg(7);
        QTest::newRow("heading only") << bom + csvColumns.join(u',').toUtf8() << QString() << u"CSV に問題が 1 問もありません"_s;
    }
    void import()
    {
        QFETCH(QByteArray, csv);
        QFETCH(QString, records);
        QFETCH(QString, error);
        QByteArray read;
        QCOMPARE(failure([&] { read = recordsFromCsv(csv).lines; }), error);
        QCOMPARE(read, error.isEmpty() ? joined(sjisLines(records.split(u'|'))) : QByteArray());
    }

    // Exported records come back byte for byte; a line the CSV cannot carry is refused.
    void exportRows_data()
    {
        QTest::addColumn<Lines>("record");
        QTest::addColumn<QByteArray>("row");   // the record's row; empty: refused with `error`
        QTest::addColumn<QString>("error");
        QTest::newRow("quotes, commas, blanks, empty") << Lines{"a", "b,c", "\"q\"", " s ", "", "\t", "x"}
            << QByteArray("a,\"b,c\",\"\"\"q\"\"\", s ,,\t,x") << QString();
        QTest::newRow("Japanese, NEC, half-width") << sjisLines({u"名詞"_s, u"①"_s, u"ｶﾀ"_s, u"髙"_s, u"～"_s, u"＼"_s, u"￢"_s})
            << u"名詞,①,ｶﾀ,髙,～,＼,￢"_s.toUtf8() << QString();
        QTest::newRow("no Shift-JIS") << Lines{"a", "b", "c", "d\x82", "e", "f", "g"} << QByteArray()
            << u"CSV の 2 行目 4 列目: バイト 0x82 は文字として CSV に書き出せません"_s;
        QTest::newRow("the other code of ￢") << Lines{"a", "b", "c", "d", "e", "f", "g\xEE\xF9"} << QByteArray()
            << u"CSV の 2 行目 7 列目: バイト 0xEE は文字として CSV に書き出せません"_s;
    }
    void exportRows()
    {
        QFETCH(Lines, record);
        QFETCH(QByteArray, row);
        QFETCH(QString, error);
        QByteArray csv;
        QCOMPARE(failure([&] { csv = csvFromRecords(joined(record + Lines{"partial"})); }), error);
        if (!error.isEmpty())
            return;
        QCOMPARE(csv, "\xEF\xBB\xBF" + csvColumns.join(u',').toUtf8() + "\r\n" + row + "\r\n");
        QCOMPARE(recordsFromCsv(csv).lines, joined(record));
    }
};

QTEST_GUILESS_MAIN(tst_QuestionCsv)
#include "tst_QuestionCsv.moc"
