#include "quiz/SpeechText.h"
#include <QtTest>

using namespace Qt::Literals::StringLiterals;

class tst_SpeechText : public QObject {
    Q_OBJECT
private slots:
    void speechText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<std::optional<QString>>("answer");
        QTest::addColumn<QString>("heard");
        const std::optional<QString> none;
        QTest::newRow("a word") << u"apple"_s << none << u"apple"_s;
        QTest::newRow("Japanese alone") << u"走る"_s << none << QString();
        QTest::newRow("Japanese between English") << u"I like りんご very much."_s << none << u"I like very much."_s;
        QTest::newRow("full-width brackets and content") << u"run（走る）「走る」"_s << none << u"run"_s;
        QTest::newRow("English in full-width brackets") << u"（go）I went."_s << none << u"I went."_s;
        QTest::newRow("Japanese aside in brackets") << u"I have two (   ) at home. (ねこを2匹飼っている)"_s << std::optional(u"cats"_s) << u"I have two cats at home."_s;
        QTest::newRow("English in brackets") << u"a (b) c"_s << none << u"a (b) c"_s;
        QTest::newRow("numbers between Japanese") << u"5月5日に"_s << none << QString();
        QTest::newRow("answer before a mark") << u"Do you know where (   )?"_s << std::optional(u"he lives"_s) << u"Do you know where he lives?"_s;
        QTest::newRow("nested full-width brackets") << u"a（b「c」d）e"_s << none << u"a e"_s;
        QTest::newRow("unclosed full-width bracket") << u"a（b"_s << none << u"a b"_s;
        QTest::newRow("punctuation between Japanese") << u"次の、…に: OK"_s << none << u": OK"_s;
        QTest::newRow("full-width letters are Japanese") << u"Ａ欄 is"_s << none << u"is"_s;
        QTest::newRow("accents and quotes") << u"café “Yes” — it’s"_s << none << u"café “Yes” — it’s"_s;
        QTest::newRow("full-width blank between words") << u"I　go"_s << none << u"I go"_s;
        QTest::newRow("underscores, unanswered") << u"I ____ to school."_s << none << u"I... to school."_s;
        QTest::newRow("underscores, answered") << u"I ____ to school."_s << std::optional(u"go"_s) << u"I go to school."_s;
        QTest::newRow("full-width underscores") << u"I ＿＿ it."_s << std::optional(u"did"_s) << u"I did it."_s;
        QTest::newRow("bracket gap") << u"I (  ) to school."_s << std::optional(u"go"_s) << u"I go to school."_s;
        QTest::newRow("empty bracket gap") << u"I () it."_s << none << u"I... it."_s;
        QTest::newRow("full-width bracket gap") << u"I （　　） it."_s << std::optional(u"did"_s) << u"I did it."_s;
        QTest::newRow("wide blanks between words") << u"I     to school."_s << std::optional(u"go"_s) << u"I go to school."_s;
        QTest::newRow("two blanks are no gap") << u"Stop.  Go."_s << std::optional(u"x"_s) << u"Stop. Go."_s;
        QTest::newRow("wide blanks after Japanese are no gap") << u"選べ　　I go."_s << std::optional(u"x"_s) << u"I go."_s;
        QTest::newRow("gap at the start") << u"___ you like it?"_s << std::optional(u"Do"_s) << u"Do you like it?"_s;
        QTest::newRow("gap at the end") << u"Where do you ___?"_s << none << u"Where do you...?"_s;
        QTest::newRow("gap in the Japanese is not read") << u"次の(  )に入る語: I (  ) it."_s << std::optional(u"did"_s) << u": I did it."_s;
        QTest::newRow("Japanese answer leaves the pause") << u"I ___ it."_s << std::optional(u"した"_s) << u"I... it."_s;
        QTest::newRow("answer's Japanese left out") << u"I ___ it."_s << std::optional(u"did（した）"_s) << u"I did it."_s;
        QTest::newRow("two gaps, two parts") << u"not ___ but ___"_s << std::optional(u"red / blue"_s) << u"not red but blue"_s;
        QTest::newRow("two gaps, parts by ・") << u"not ___ but ___"_s << std::optional(u"red・blue"_s) << u"not red but blue"_s;
        QTest::newRow("two gaps, one answer") << u"___ and ___"_s << std::optional(u"salt"_s) << u"salt and..."_s;
        QTest::newRow("mixed question") << u"「走る」の過去形: He ___ fast.（速く）"_s << std::optional(u"ran"_s) << u": He ran fast."_s;
    }
    void speechText()
    {
        QFETCH(QString, text);
        QFETCH(std::optional<QString>, answer);
        QFETCH(QString, heard);
        QCOMPARE(::speechText(text, answer), heard);
    }

    // What the voice is given, piece by piece: bounded, so that no request
    // keeps it busy for long, with a gap as a pause ("").
    void speechSentences_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("pieces");
        QTest::newRow("sentences") << u"Stop. Go! Why?"_s << QStringList{u"Stop."_s, u"Go!"_s, u"Why?"_s};
        QTest::newRow("a gap") << u"I... to school."_s << QStringList{u"I"_s, QString(), u"to school."_s};
        QTest::newRow("a gap at the end") << u"Where do you...?"_s << QStringList{u"Where do you"_s, QString()};
        QTest::newRow("a number of 14 digits") << u"It is 12345678901234 m."_s
                                               << QStringList{u"It is 123 456 789"_s, QString(), u"m."_s};
        QTest::newRow("a number with commas") << u"1,234,567,890 yen"_s << QStringList{u"123 456 789"_s, QString(), u"yen"_s};
        QTest::newRow("nine digits stay") << u"123,456,789 yen"_s << QStringList{u"123,456,789 yen"_s};
        QTest::newRow("marks count as words") << QString(u"a% "_s).repeated(30)
                                              << QStringList{QString(u"a% "_s).repeated(12).trimmed(), QString(u"a% "_s).repeated(12).trimmed(),
                                                             QString(u"a% "_s).repeated(6).trimmed()};
        QTest::newRow("a word of 45 letters") << QString(45, u'x') << QStringList{QString(20, u'x') + u' ' + QString(20, u'x') + u' ' + QString(5, u'x')};
        QTest::newRow("at most 1,000 characters") << QString(u"go. "_s).repeated(300) << QStringList(250, u"go."_s);
    }
    void speechSentences()
    {
        QFETCH(QString, text);
        QTEST(::speechSentences(text), "pieces");
    }
};

QTEST_MAIN(tst_SpeechText)
#include "tst_SpeechText.moc"
