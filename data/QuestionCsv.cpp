#include "data/QuestionCsv.h"
#include "app/Exceptions.h"
#include "app/Sjis.h"
#include <QScopeGuard>
#include <QStringDecoder>
#include <algorithm>
#include <optional>
#include <vector>
#include <csv.h>

using namespace Qt::Literals::StringLiterals;

const QStringList csvColumns{u"分野"_s, u"問題文"_s, u"正答"_s, u"誤答1"_s,
                             u"誤答2"_s, u"誤答3"_s, u"解説"_s};

namespace {
constexpr qsizetype fields = 7;
// How much text is parsed, and how many lines are written, between two
// reports of progress; how much UTF-8 is checked at once.
constexpr qsizetype parseStep = qsizetype(1) << 20;
constexpr qsizetype writeStep = qsizetype(1) << 14;
constexpr qsizetype checkPiece = qsizetype(1) << 14;
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

// The rows of a Shift-JIS text, handled as each ends so that the text is
// never held twice and no field is a buffer of its own. A fault is kept, not
// thrown through the C parser, and the rows after it are only counted.
struct Reader {
    bool keep = false; // false: rows are only counted, to find a place
    bool headed = false;
    qsizetype rows = 0;
    QByteArray row;               // the current row's first seven fields, one after another
    std::vector<qsizetype> ends;  // where each of its fields ends in `row`
    CsvRecords read;
    std::optional<std::pair<Place, QString>> fault;

    Place here() const { return {rows + 1, qsizetype(ends.size()) + 1}; }
    QByteArrayView field(qsizetype c) const
    {
        const qsizetype from = c ? ends[size_t(c - 1)] : 0;
        return QByteArrayView(row).sliced(from, ends[size_t(c)] - from);
    }
    void endField(QByteArrayView text)
    {
        if (keep && qsizetype(ends.size()) < fields)
            row += text;
        ends.push_back(row.size());
    }
    bool namesColumns() const
    {
        for (qsizetype c = 0; c < fields; ++c) {
            const QString name = fromSjis(field(c)).trimmed();
            if (name != csvColumns[c] && name.compare(englishColumns[c], Qt::CaseInsensitive) != 0)
                return false;
        }
        return true;
    }
    void endRow()
    {
        const qsizetype count = qsizetype(ends.size());
        ++rows;
        const auto next = qScopeGuard([this] {
            row.resize(0);
            ends.clear();
        });
        // A spreadsheet writes a blank row as one of empty fields; a row
        // without a question in its seven columns is as blank.
        if (!keep || fault || ends[size_t(std::min(count, fields) - 1)] == 0)
            return;
        if (!std::exchange(headed, true) && count >= fields && namesColumns())
            return;
        if (count < fields) {
            fault = {{rows, count + 1},
                     u"1 行には 7 項目 (%1) が要りますが、この行は %2 項目です"_s.arg(csvColumns.join(u'、')).arg(count)};
            return;
        }
        read.widerRows += count > fields;
        ++read.questions;
        for (qsizetype c = 0; c < fields; ++c) {
            const QByteArrayView text = field(c);
            // A record's field is one line of the file: a line break becomes
            // one blank, as in the editor's boxes.
            if (text.contains('\r') || text.contains('\n'))
                read.lines += text.toByteArray().replace("\r\n", " ").replace('\r', ' ').replace('\n', ' ');
            else
                read.lines += text;
            read.lines += "\r\n";
        }
    }
};

void endField(void *data, size_t size, void *reader)
{
    static_cast<Reader *>(reader)->endField(QByteArrayView(static_cast<const char *>(data), qsizetype(size)));
}

void endRow(int, void *reader)
{
    static_cast<Reader *>(reader)->endRow();
}

// Blanks around a field are part of it, as RFC 4180 has it, so that a field
// comes back exactly as it was written.
int noSpaces(unsigned char)
{
    return 0;
}

// Feeds `text` to `reader` (an empty line is no row), telling `progress`
// between steps; false when a quote is misused. With `whole` the text ends
// there, and a quote left open is misused too.
bool parse(QByteArrayView text, Reader &reader, bool whole, const Progress &progress = {})
{
    struct Parser {
        csv_parser p;
        ~Parser() { csv_free(&p); }
    } parser;
    if (csv_init(&parser.p, CSV_STRICT | CSV_STRICT_FINI) != 0)
        throw EOutOfMemory();
    csv_set_space_func(&parser.p, noSpaces);
    bool broken = false;
    for (qsizetype done = 0; !broken && done < text.size(); done += parseStep) {
        if (progress && !progress(done, text.size()))
            throw Cancelled();
        const size_t step = size_t(std::min(parseStep, text.size() - done));
        broken = csv_parse(&parser.p, text.data() + done, step, endField, endRow, &reader) < step;
    }
    if (!broken && whole)
        broken = csv_fini(&parser.p, endField, endRow, &reader) != 0;
    if (broken && csv_error(&parser.p) != CSV_EPARSE)
        throw EOutOfMemory();
    return !broken;
}

// The row and column of the byte at `at`.
Place placeOf(QByteArrayView text, qsizetype at)
{
    Reader reader;
    parse(text.first(at), reader, false);
    return reader.here();
}

bool isControl(char c)
{
    return (uchar(c) < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == 0x7F;
}

// The offset of the first broken sequence in the UTF-8 `text`.
qsizetype brokenIn(QByteArrayView text)
{
    // The decoder gives a character out once its last byte is in.
    QStringDecoder decoder(QStringDecoder::Utf8);
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i)
        if (!QString(decoder(text.sliced(i, 1))).isEmpty() || decoder.hasError()) {
            if (decoder.hasError())
                return start;
            start = i + 1;
        }
    return std::min(start, text.size() - 1); // a character cut off at the end
}

// The offset of the first broken sequence in the UTF-8 `text`, or -1; `out`
// is set to the characters before the piece that holds it. The text is read
// in pieces, each ending after an ASCII byte: a fault costs the same wherever
// it is, a text of another encoding is given up at its first piece, and only
// the piece that holds the fault is read byte by byte.
qsizetype firstBrokenUtf8(QByteArrayView text, QString &out)
{
    out.resize(text.size()); // no more UTF-16 units than bytes
    QChar *write = out.data();
    const auto done = qScopeGuard([&] { out.truncate(write - out.constData()); });
    const auto endsCharacter = [&](qsizetype i) { return uchar(text[i]) < 0x80; };
    for (qsizetype from = 0, to; from < text.size(); from = to) {
        to = std::min(from + checkPiece, text.size());
        qsizetype end = to;
        while (end > from && !endsCharacter(end - 1))
            --end;
        if (end > from)
            to = end;
        else
            while (to < text.size() && !endsCharacter(to++)) {
            }
        const QByteArrayView piece = text.sliced(from, to - from);
        QStringDecoder decoder(QStringDecoder::Utf8,
                               QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
        QChar *const written = decoder.appendToBuffer(write, piece);
        if (decoder.hasError())
            return from + brokenIn(piece);
        write = written;
    }
    return -1;
}

// In quotes, its quotes doubled, where the field holds a comma, a quote or a
// line break.
void appendField(QByteArray &out, QByteArrayView field)
{
    if (std::none_of(field.begin(), field.end(),
                     [](char c) { return c == ',' || c == '"' || c == '\r' || c == '\n'; })) {
        out += field;
        return;
    }
    const qsizetype at = out.size();
    out.resize(at + qsizetype(csv_write(nullptr, 0, field.data(), size_t(field.size()))));
    csv_write(out.data() + at, size_t(out.size() - at), field.data(), size_t(field.size()));
}

QString cannotWrite(char byte)
{
    return u"バイト %1 は文字として CSV に書き出せません"_s.arg(byteName(byte));
}
} // namespace

CsvRecords recordsFromCsv(QByteArrayView bytes, const Progress &progress)
{
    const bool marked = bytes.startsWith(bom);
    if (marked)
        bytes = bytes.sliced(3);
    // Only the text before a control character is read as characters.
    const qsizetype control = std::find_if(bytes.begin(), bytes.end(), isControl) - bytes.begin();
    const QByteArrayView text = bytes.first(control);
    QString whole;
    const qsizetype brokenUtf8 = firstBrokenUtf8(text, whole);
    bool utf8 = brokenUtf8 < 0;
    qsizetype fault = brokenUtf8;
    if (!utf8) {
        const qsizetype sjisFault = decodeSjis(text);
        // UTF-8 characters before a broken sequence, in a text that is no
        // Shift-JIS either, make it UTF-8 with a fault there.
        const QByteArrayView before = text.first(brokenUtf8);
        utf8 = marked || (sjisFault >= 0 && std::any_of(before.begin(), before.end(), [](char c) { return c < 0; }));
        if (!utf8)
            fault = sjisFault;
    }
    if (utf8 && fault >= 0)
        fail(placeOf(bytes, fault), u"UTF-8 として読めないバイト %1 があります (UTF-8 の文字が途中で切れているか、壊れています)"_s
                                        .arg(byteName(bytes[fault])));
    if (fault >= 0 || control < bytes.size()) {
        const qsizetype at = fault >= 0 ? fault : control;
        fail(placeOf(bytes, at),
             u"文字として読めないバイト %1 があります (文字の CSV ファイルではないようです)"_s.arg(byteName(bytes[at])));
    }
    QByteArray converted;
    if (utf8) {
        // The CSV's own marks are ASCII, which no Shift-JIS character holds,
        // so the whole text is read in Shift-JIS.
        if (const qsizetype at = encodeSjis(whole, &converted); at >= 0) {
            const QStringView character = QStringView(whole).sliced(at).first(whole[at].isHighSurrogate() ? 2 : 1);
            fail(placeOf(bytes, QStringView(whole).first(at).toUtf8().size()),
                 u"「%1」(U+%2) は Shift-JIS で表せない文字です"_s.arg(
                     character, QString::number(character.toUcs4().constFirst(), 16).toUpper().rightJustified(4, u'0')));
        }
        bytes = converted;
    }
    whole.clear();
    Reader reader;
    reader.keep = true;
    // A field's comma becomes a line's CR LF: room for a field of two bytes.
    reader.read.lines.reserve(bytes.size() + bytes.size() / 2);
    if (!parse(bytes, reader, true, progress))
        fail(reader.here(), u"引用符 \" の使い方が正しくありません (\" を含む項目は全体を \" で囲み、中の \" は \"\" と書きます)"_s);
    if (reader.fault)
        fail(reader.fault->first, reader.fault->second);
    if (reader.read.questions == 0)
        throw Exception(u"CSV に問題が 1 問もありません"_s);
    return std::move(reader.read);
}

QByteArray csvFromRecords(QByteArrayView lines, const Progress &progress)
{
    return csvFromRows(csvColumns, lines, progress);
}

QByteArray csvFromRows(const QStringList &columns, QByteArrayView lines, const Progress &progress)
{
    const qsizetype width = columns.size();
    // Written in Shift-JIS and converted at once, as an import reads.
    QByteArray sjis = toSjis(columns.join(u',')) + "\r\n";
    sjis.reserve(sjis.size() + lines.size() + lines.size() / 4);
    const qsizetype count = std::count(lines.begin(), lines.end(), '\n') / width * width;
    for (qsizetype i = 0, from = 0; i < count; ++i) {
        if (progress && i % writeStep == 0 && !progress(from, lines.size()))
            throw Cancelled();
        const qsizetype end = lines.indexOf('\n', from);
        const QByteArrayView line = lines.sliced(from, end - 1 - from);
        from = end + 1;
        if (const auto at = std::find_if(line.begin(), line.end(), isControl); at != line.end())
            fail({i / width + 2, i % width + 1}, cannotWrite(*at));
        appendField(sjis, line);
        sjis += i % width == width - 1 ? "\r\n" : ",";
    }
    QByteArray utf8(bom);
    if (const qsizetype at = decodeSjis(sjis, &utf8); at >= 0)
        fail(placeOf(sjis, at), cannotWrite(sjis[at]));
    return utf8;
}
