#include "data/QuestionCsv.h"
#include "app/Exceptions.h"
#include "app/Sjis.h"
#include <QStringDecoder>
#include <QStringEncoder>
#include <algorithm>
#include <csv.h>

using namespace Qt::Literals::StringLiterals;

const QStringList csvColumns{u"分野"_s, u"問題文"_s, u"正答"_s, u"誤答1"_s,
                             u"誤答2"_s, u"誤答3"_s, u"解説"_s};

namespace {
constexpr qsizetype fields = 7;
const QStringList englishColumns{u"category"_s, u"question"_s, u"correct answer"_s,
                                 u"wrong answer 1"_s, u"wrong answer 2"_s, u"wrong answer 3"_s,
                                 u"explanation"_s};
const char bom[] = "\xEF\xBB\xBF";

// A place in the CSV text as a spreadsheet counts it: row and column from 1.
struct Place {
    qsizetype row, column;
};

[[noreturn]] void fail(Place at, const QString &what)
{
    throw Exception(u"CSV の %1 行目 %2 列目: "_s.arg(at.row).arg(at.column) + what);
}

QString byteName(char byte)
{
    return u"0x"_s + QString::number(uchar(byte), 16).toUpper().rightJustified(2, u'0');
}

// The rows read so far, filled by the parser's callbacks.
struct Rows {
    QList<QList<QByteArray>> done;
    QList<QByteArray> row;
    Place here() const { return {done.size() + 1, row.size() + 1}; }
};

void endField(void *data, size_t size, void *rows)
{
    static_cast<Rows *>(rows)->row.append(QByteArray(static_cast<const char *>(data), qsizetype(size)));
}

void endRow(int, void *data)
{
    auto *rows = static_cast<Rows *>(data);
    rows->done.append(std::move(rows->row));
    rows->row.clear();
}

// Blanks around a field are part of it, as RFC 4180 has it, so that a field
// comes back exactly as it was written.
int noSpaces(unsigned char)
{
    return 0;
}

// Splits `text` into rows of fields (an empty line is no row). With `whole`
// the text ends there, and a quote left open is an error too.
Rows parse(QByteArrayView text, bool whole)
{
    Rows rows;
    csv_parser parser;
    if (csv_init(&parser, CSV_STRICT | CSV_STRICT_FINI) != 0)
        throw EOutOfMemory();
    csv_set_space_func(&parser, noSpaces);
    bool broken = csv_parse(&parser, text.data(), size_t(text.size()), endField, endRow, &rows)
                  < size_t(text.size());
    if (!broken && whole)
        broken = csv_fini(&parser, endField, endRow, &rows) != 0;
    const int error = csv_error(&parser);
    csv_free(&parser);
    if (broken && error == CSV_EPARSE)
        fail(rows.here(), u"引用符 \" の使い方が正しくありません (\" を含む項目は全体を \" で囲み、中の \" は \"\" と書きます)"_s);
    if (broken)
        throw EOutOfMemory();
    return rows;
}

bool isStrictUtf8(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder(bytes);
    return !decoder.hasError();
}

// Whether Shift-JIS holds `text`: it is written without a fault and reads back
// the same.
bool sjisHolds(const QString &text)
{
    QStringEncoder encoder("windows-31j");
    const QByteArray bytes = encoder(text);
    return !encoder.hasError() && fromSjis(bytes) == text;
}

bool isControl(char c)
{
    return (uchar(c) < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == 0x7F;
}

// Whether the Shift-JIS bytes read as characters without a fault and come back
// as themselves: a file could not keep one of a character's two codes.
bool isSjisText(QByteArrayView bytes)
{
    QStringDecoder decoder("windows-31j", QStringDecoder::Flag::Stateless);
    const QString text = decoder(bytes);
    return !decoder.hasError() && sjisHolds(text) && toSjis(text) == bytes;
}

// The offset of the first byte that is no text, or -1: a control character,
// or in Shift-JIS the first byte of a character that is not Shift-JIS text.
qsizetype firstNonText(QByteArrayView text, bool utf8)
{
    qsizetype at = std::find_if(text.begin(), text.end(), isControl) - text.begin();
    if (!utf8 && !isSjisText(text.first(at))) {
        // Character by character: the decoder gives one out once its last byte is in.
        QStringDecoder decoder("windows-31j");
        qsizetype start = 0;
        for (qsizetype i = 0; i < at; ++i)
            if (!QString(decoder(text.sliced(i, 1))).isEmpty() || decoder.hasError()) {
                if (decoder.hasError() || !isSjisText(text.sliced(start, i + 1 - start)))
                    return start;
                start = i + 1;
            }
        return start;   // a lead byte at the end, with no byte to follow it
    }
    return at < text.size() ? at : -1;
}

// A field as one Shift-JIS line of a record.
QByteArray recordLine(const QByteArray &field, bool utf8, Place at)
{
    QByteArray line = field;
    if (utf8) {
        const QString text = QString::fromUtf8(field);
        if (!sjisHolds(text))
            for (const char32_t c : text.toUcs4()) {
                const QString character = QString::fromUcs4(&c, 1);
                if (!sjisHolds(character))
                    fail(at, u"「%1」(U+%2) は Shift-JIS で表せない文字です"_s.arg(
                                 character, QString::number(c, 16).toUpper().rightJustified(4, u'0')));
            }
        line = toSjis(text);
    }
    // A record's field is one line of the file: a line break becomes one blank,
    // as in the editor's boxes.
    return line.replace("\r\n", " ").replace('\r', ' ').replace('\n', ' ');
}

bool namesColumns(const QList<QByteArray> &row, bool utf8)
{
    if (row.size() != fields)
        return false;
    for (qsizetype c = 0; c < fields; ++c) {
        const QString name = (utf8 ? QString::fromUtf8(row[c]) : fromSjis(row[c])).trimmed();
        if (name != csvColumns[c] && name.compare(englishColumns[c], Qt::CaseInsensitive) != 0)
            return false;
    }
    return true;
}

// In quotes, its quotes doubled, where the field holds a comma, a quote or a
// line break.
QByteArray csvField(const QByteArray &field)
{
    if (std::none_of(field.begin(), field.end(),
                     [](char c) { return c == ',' || c == '"' || c == '\r' || c == '\n'; }))
        return field;
    QByteArray out(qsizetype(csv_write(nullptr, 0, field.data(), size_t(field.size()))), Qt::Uninitialized);
    csv_write(out.data(), size_t(out.size()), field.data(), size_t(field.size()));
    return out;
}
} // namespace

QList<QByteArray> recordsFromCsv(QByteArrayView bytes)
{
    const bool utf8 = isStrictUtf8(bytes);
    if (utf8 && bytes.startsWith(bom))
        bytes = bytes.sliced(3);
    if (const qsizetype at = firstNonText(bytes, utf8); at >= 0)
        fail(parse(bytes.first(at), false).here(),
             u"文字として読めないバイト %1 があります (文字の CSV ファイルではないようです)"_s.arg(byteName(bytes[at])));
    const QList<QList<QByteArray>> rows = parse(bytes, true).done;
    QList<QByteArray> records;
    for (qsizetype r = !rows.isEmpty() && namesColumns(rows[0], utf8) ? 1 : 0; r < rows.size(); ++r) {
        const QList<QByteArray> &row = rows[r];
        if (row.size() != fields)
            fail({r + 1, qMin(row.size(), fields) + 1},
                 u"1 行には 7 項目 (%1) が要りますが、この行は %2 項目です"_s.arg(csvColumns.join(u'、'))
                     .arg(row.size()));
        for (qsizetype c = 0; c < fields; ++c)
            records << recordLine(row[c], utf8, {r + 1, c + 1});
    }
    if (records.isEmpty())
        throw Exception(u"CSV に問題が 1 問もありません"_s);
    return records;
}

QByteArray csvFromRows(const QStringList &columns, const QList<QList<QByteArray>> &rows)
{
    QList<QByteArray> text{bom + columns.join(u',').toUtf8()};
    for (const QList<QByteArray> &fieldsOfRow : rows) {
        QByteArray row;
        for (qsizetype c = 0; c < fieldsOfRow.size(); ++c) {
            const QByteArray &line = fieldsOfRow[c];
            if (const qsizetype at = firstNonText(line, false); at >= 0)
                fail({text.size() + 1, c + 1},
                     u"バイト %1 は文字として CSV に書き出せません"_s.arg(byteName(line[at])));
            row += (c ? "," : "") + csvField(fromSjis(line).toUtf8());
        }
        text << row;
    }
    return text.join("\r\n") + "\r\n";
}

QByteArray csvFromRecords(const QList<QByteArray> &records)
{
    QList<QList<QByteArray>> rows;
    for (qsizetype r = 0; r + fields <= records.size(); r += fields)
        rows << records.mid(r, fields);
    return csvFromRows(csvColumns, rows);
}
