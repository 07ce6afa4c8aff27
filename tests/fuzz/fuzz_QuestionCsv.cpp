// CSV import of any bytes: a clean error, or records that are whole lines and
// come back the same through an export.
#include "FuzzCheck.h"
#include "app/Exceptions.h"
#include "data/QuestionCsv.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QByteArray lines;
    try {
        lines = recordsFromCsv(QByteArrayView(data, qsizetype(size))).lines;
    } catch (const Exception &) {
        return 0;
    }
    QList<QByteArray> records = lines.split('\n');
    check(records.takeLast().isEmpty() && !records.isEmpty() && records.size() % 7 == 0, "no whole records");
    for (const QByteArray &line : records)
        check(line.endsWith('\r') && !line.chopped(1).contains('\r') && !line.contains('\0'), "a line break in a record");
    check(recordsFromCsv(csvFromRecords(lines)).lines == lines, "export and import changed a record");
    return 0;
}
