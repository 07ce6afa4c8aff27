#include "quiz/MissedList.h"
#include <algorithm>

void MissedList::add(int record)
{
    const auto at = std::lower_bound(records.begin(), records.end(), record);
    if (at == records.end() || *at != record)
        records.insert(at, record);
}

void MissedList::remove(int record)
{
    records.removeOne(record);
}

void followMemorised(QList<int> &records, int record)
{
    records.removeOne(record);
    for (int &r : records)
        if (r > record)
            r -= 7;
}

void MissedList::memorised(int record)
{
    followMemorised(records, record);
}

int MissedList::firstFrom(int from) const
{
    const auto at = std::lower_bound(records.begin(), records.end(), from);
    return at == records.end() ? 0 : *at;
}
