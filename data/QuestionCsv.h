#pragma once
// Questions to and from CSV, the form spreadsheets read and write: one row per
// question, its seven fields in record order (category, question, correct
// answer, three wrong answers, explanation).
#include "data/FileAccess.h"
#include <QByteArray>
#include <QList>
#include <QString>

// The column names of the row that heads an exported file.
extern const QStringList csvColumns;

// What an import reads: the records' lines (seven Shift-JIS lines a
// question), each followed by CR LF as in a question file, and how many rows
// had columns after the seventh, which are left out.
struct CsvRecords {
    QByteArray lines;
    qsizetype questions = 0;
    qsizetype widerRows = 0;
};

// The records that the CSV text `bytes` holds. The text is UTF-8 (with or
// without a byte-order mark) when the bytes are strict UTF-8, or UTF-8 up to a
// broken sequence and no Shift-JIS; Shift-JIS otherwise. A first row naming
// the columns (in Japanese or English) is skipped, and so is a row of empty
// fields; a line break inside a field becomes one blank. Any fault (a row of
// fewer than seven fields, a broken quote, a byte that is no text, a character
// Shift-JIS cannot hold, no question at all) throws an Exception whose message
// names its row, column and character. The work takes time linear in the text;
// `progress` hears of it and may cancel it.
CsvRecords recordsFromCsv(QByteArrayView bytes, const Progress &progress = {});

// The CSV text in UTF-8 for the records' `lines` (seven Shift-JIS lines a
// question, each followed by CR LF and holding neither CR nor LF, as a line
// list joins them; an incomplete last record left out): the heading row, with a byte-order mark in
// front, then one row per record, fields quoted where they must be, each row
// ended by CR LF. A line whose bytes would not come back the same through the
// CSV throws an Exception naming its row and column.
QByteArray csvFromRecords(QByteArrayView lines, const Progress &progress = {});

// The same for rows of `columns.size()` lines each under the heading `columns`.
QByteArray csvFromRows(const QStringList &columns, QByteArrayView lines, const Progress &progress = {});
