// Any bytes as a question file: Load takes them without failing, no line holds
// 0x00, CR or LF, the lines are those the reading rules give, and Save then
// Load gives the same lines back.
#include "FuzzCheck.h"
#include "data/LineList.h"
#include <QFile>
#include <QTemporaryDir>

namespace {
// The lines the reading rules give, worked out another way and joined with
// CR LF: the text ends at the first 0x00; CR LF, a lone CR and a lone LF each
// end one line; the last line gets its line end.
QByteArray expectedText(QByteArrayView bytes)
{
    QByteArray text = bytes.toByteArray();
    if (const qsizetype nul = text.indexOf('\0'); nul >= 0)
        text.truncate(nul);
    text.replace("\r\n", "\n").replace('\r', '\n');
    if (!text.isEmpty() && !text.endsWith('\n'))
        text.append('\n');
    return text.replace("\n", "\r\n");
}

QList<QByteArray> linesOf(const LineList &list)
{
    QList<QByteArray> lines;
    for (int i = 0; i < list.Count(); ++i)
        lines << list.Get(i);
    return lines;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    check(file.open(QIODevice::ReadOnly), "cannot read the saved file");
    return file.readAll();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QTemporaryDir dir;
    const QString in = dir.filePath(QStringLiteral("in.dat"));
    const QString out = dir.filePath(QStringLiteral("out.dat"));
    const QByteArrayView bytes(data, qsizetype(size));
    {
        QFile file(in);
        check(file.open(QIODevice::WriteOnly) && file.write(bytes.data(), bytes.size()) == bytes.size(),
              "cannot write the input file");
    }
    LineList list;
    list.Load(in);
    for (const QByteArray &line : linesOf(list))
        check(!line.contains('\0') && !line.contains('\r') && !line.contains('\n'),
              "a loaded line holds 0x00, CR or LF");
    check(list.joined() == expectedText(bytes), "the lines are not those of the reading rules");

    list.Save(out);
    check(readFile(out) == list.joined(), "the saved file is not the lines with CR LF");
    LineList back;
    back.Load(out);
    check(linesOf(back) == linesOf(list), "Save then Load changed the lines");
    return 0;
}
