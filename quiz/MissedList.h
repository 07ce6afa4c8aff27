#pragma once
// The questions the learner missed since the file was opened, by their record
// start lines, in file order. Memorising moves a record to the end of the
// file, so the list follows the records that move up behind it.
#include <QList>

// Follows a memorised record in a list of record start lines: the record
// leaves it, and the records after it in the file move up by one record.
void followMemorised(QList<int> &records, int record);

class MissedList {
public:
    void add(int record);
    void remove(int record);
    void clear() { records.clear(); }
    bool isEmpty() const { return records.isEmpty(); }
    int size() const { return int(records.size()); }
    // The record at `record` went behind the drill and the records after it
    // moved up by one record: it leaves the list, the later ones follow.
    void memorised(int record);
    // The first missed record at or after the line `from`; 0 when none is.
    int firstFrom(int from) const;
    const QList<int> &all() const { return records; }

private:
    QList<int> records; // ascending
};
