#include "QuestionFile.h"
#include "app/Sjis.h"
#include <QStringList>
#include <random>

using namespace Qt::Literals::StringLiterals;

namespace {
QList<QByteArray> sjis(const QStringList &texts)
{
    QList<QByteArray> bytes;
    for (const QString &text : texts)
        bytes << toSjis(text);
    return bytes;
}
} // namespace

QList<QByteArray> questionLines(qsizetype bytes)
{
    const QList<QByteArray> categories =
        sjis({u"動詞の活用（過去形）"_s, u"前置詞（時と場所）"_s, u"熟語・慣用句"_s,
              u"名詞の複数形"_s, u"形容詞の比較級"_s, u"受け身の文"_s});
    const QList<QByteArray> questions =
        sjis({u"「走る」の過去形として正しいものはどれ？"_s, u"空所に入る最も適切な語を選びなさい。"_s,
              u"次の日本語に合う英語はどれですか。"_s, u"正しい語順の文を選びなさい。"_s,
              u"下線部と反対の意味の語はどれ？"_s});
    const QList<QByteArray> answers =
        sjis({u"He ran to the station."_s, u"She has lived here for years."_s,
              u"I look forward to seeing you."_s, u"The children are playing."_s,
              u"This flower is more beautiful."_s, u"in spite of the heavy rain"_s,
              u"We went there last summer."_s, u"on Monday morning"_s,
              u"It was written by him."_s, u"Tom is taller than Ken."_s});
    const QList<QByteArray> explanations =
        sjis({u"run - ran - run と不規則に変化する動詞。"_s, u"継続は現在完了 have + 過去分詞で表す。"_s,
              u"look forward to の後は動名詞になる。"_s, u"child の複数形は不規則に変化する。"_s,
              u"長い形容詞は more をつけて比較級にする。"_s});
    std::mt19937 random(7);
    const auto pick = [&](const QList<QByteArray> &from) {
        return from[qsizetype(random() % std::uint32_t(from.size()))];
    };

    QList<QByteArray> lines = sjis({u"ベンチマーク用の問題"_s, u"新規作成"_s, u"0"_s, u"２"_s, u"３"_s,
                                    u"４"_s, u"自動で作った問題ファイル"_s});
    qsizetype size = 0;
    int records = 0;
    while (size < bytes) {
        const QByteArray number = " #" + QByteArray::number(++records);
        const QByteArray record[7] = {pick(categories) + number, pick(questions) + number,
                                      pick(answers), pick(answers), pick(answers), pick(answers),
                                      pick(explanations) + number};
        for (const QByteArray &line : record) {
            lines << line;
            size += line.size() + 2;
        }
    }
    lines[2] = QByteArray::number(records);
    return lines;
}

QByteArray questionFile(const QList<QByteArray> &lines)
{
    QByteArray text;
    for (const QByteArray &line : lines)
        text += line + "\r\n";
    return text;
}
