// CSV import of any bytes: a clean error, or records that are whole lines and
// come back the same through an export.
#include "FuzzCheck.h"
#include "app/Exceptions.h"
#include "data/QuestionCsv.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QList<QByteArray> records;
    try {
        records = recordsFromCsv(QByteArrayView(data, qsizetype(size))).records;
    } catch (const Exception &) {
        return 0;
    }
    check(!records.isEmpty() && records.size() % 7 == 0, "no whole records");
    for (const QByteArray &line : records)
        check(!line.contains('\r') && !line.contains('\n') && !line.contains('\0'), "a line break in a record");
    check(recordsFromCsv(csvFromRecords(records)).records == records, "export and import changed a record");
    return 0;
}
