#pragma once
// Questions to and from CSV, the form spreadsheets read and write: one row per
// question, its seven fields in record order (category, question, correct
// answer, three wrong answers, explanation).
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// The column names of the row that heads an exported file.
extern const QStringList csvColumns;

// The records (seven Shift-JIS lines each) that the CSV text `bytes` holds.
// The text is UTF-8 (with or without a byte-order mark) when the bytes are
// strict UTF-8, and Shift-JIS otherwise. A first row naming the columns (in
// Japanese or English) is skipped; a line break inside a field becomes one
// blank. Any fault (a row of other than seven fields, a broken quote, a byte
// that is no text, a character Shift-JIS cannot hold, no question at all)
// throws an Exception whose message names its row, column and character.
QList<QByteArray> recordsFromCsv(QByteArrayView bytes);

// The CSV text in UTF-8 for `records` (seven Shift-JIS lines each, any
// incomplete last record left out): the heading row, with a byte-order mark in
// front, then one row per record, fields quoted where they must be, each row
// ended by CR LF. A line whose bytes would not come back the same through the
// CSV throws an Exception naming its row and column.
QByteArray csvFromRecords(const QList<QByteArray> &records);

// The CSV text in UTF-8 for `rows` of Shift-JIS fields under the heading
// `columns`, as csvFromRecords writes it.
QByteArray csvFromRows(const QStringList &columns, const QList<QList<QByteArray>> &rows);
