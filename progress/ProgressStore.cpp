#include "progress/ProgressStore.h"
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QVariant>
#include <QtEndian>
#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {
constexpr int schemaVersion = 2;
// How long an answer waits for another instance's write to end.
constexpr int busyTimeoutMs = 3000;
constexpr qint64 dayMs = 24 * 60 * 60 * 1000;
// SQLite's result codes for a file that is not, or no longer, a database.
constexpr int sqliteCorrupt = 11;
constexpr int sqliteNotADatabase = 26;

const char *const schema[] = {
    // One row per judged answer or reveal. at_ms: UTC, ms since 1970;
    // answer_ms: from the question shown to the answer.
    "CREATE TABLE review_log (id INTEGER PRIMARY KEY, at_ms INTEGER NOT NULL,"
    " key INTEGER NOT NULL, file TEXT NOT NULL,"
    " grade INTEGER NOT NULL CHECK (grade BETWEEN 1 AND 4), answer_ms INTEGER NOT NULL)",
    "CREATE INDEX review_log_key ON review_log (key, at_ms)",
    // The right answers in the order of their times, for their median.
    "CREATE INDEX review_log_right_ms ON review_log (answer_ms) WHERE grade >= 2",
    // Each answered question's schedule.
    "CREATE TABLE question_state (key INTEGER PRIMARY KEY, stability REAL NOT NULL,"
    " difficulty REAL NOT NULL, last_review_ms INTEGER NOT NULL, due_ms INTEGER NOT NULL,"
    " reps INTEGER NOT NULL, lapses INTEGER NOT NULL)",
    // Holding what the due list reads, so that it never visits the table.
    "CREATE INDEX question_state_due ON question_state (due_ms, stability, last_review_ms)",
};
// What each version added to the first one's tables: a new file gets them
// all, a file of an earlier version those after its own.
const struct {
    int version;
    const char *statement;
} upgrades[] = {
    // The answers of a day, and a question's answers, with their grades, so
    // that the records window reads no more than the indexes.
    {2, "CREATE INDEX review_log_at ON review_log (at_ms, grade)"},
    {2, "DROP INDEX review_log_key"},
    {2, "CREATE INDEX review_log_key ON review_log (key, at_ms, grade)"},
};

bool damaged(const QSqlError &error)
{
    const int code = error.nativeErrorCode().toInt() & 0xff;
    return code == sqliteCorrupt || code == sqliteNotADatabase;
}

QDateTime utc(qint64 ms)
{
    return QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC);
}
} // namespace

QuestionKey questionKey(const QByteArray &question, const QByteArray &answer)
{
    // A line holds no LF, so the pair is unambiguous.
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(question);
    hash.addData("\n");
    hash.addData(answer);
    return qFromBigEndian<qint64>(hash.result().constData());
}

// The statements every answer runs, prepared once.
struct ProgressStore::Statements {
    explicit Statements(const QSqlDatabase &db) : readState(db), appendLog(db), writeState(db), earlier(db), later(db) {}
    QSqlQuery readState, appendLog, writeState, earlier, later;
};

ProgressStore::ProgressStore(const QString &path)
    : filePath(path.isEmpty() ? defaultPath() : path)
{
    static int stores = 0;
    connection = u"progress-%1"_s.arg(++stores);
}

ProgressStore::~ProgressStore()
{
    close();
    QSqlDatabase::removeDatabase(connection);
}

QString ProgressStore::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
           + u"/pirumo/progress.sqlite"_s;
}

QString ProgressStore::notice() const
{
    if (!enabled() || movedTo.isEmpty())
        return whyOffText;
    return u"学習の記録 %1 が壊れていたため、%2 に移して新しく始めました。"_s.arg(filePath, movedTo);
}

bool ProgressStore::open()
{
    if (tried)
        return enabled();
    tried = true;
    if (!QSqlDatabase::isDriverAvailable(u"QSQLITE"_s)) {
        switchOff(u"SQLite のドライバー (libqt6sql6-sqlite) がありません。"_s);
        return false;
    }
    if (!QDir().mkpath(QFileInfo(filePath).absolutePath())) {
        switchOff(u"%1 のフォルダーを作れません。"_s.arg(filePath));
        return false;
    }
    opening = true;
    // A damaged file is moved aside by the first start, and a new one begun.
    const bool started = start() || (!movedTo.isEmpty() && enabled() && start());
    opening = false;
    return started;
}

// Opens the file and reads what the run needs of it; false on failure, with
// the history switched off or the damaged file moved aside.
bool ProgressStore::start()
{
    QSqlDatabase::removeDatabase(connection);
    QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, connection);
    db.setDatabaseName(filePath);
    db.setConnectOptions(u"QSQLITE_BUSY_TIMEOUT=%1"_s.arg(busyTimeoutMs));
    if (!db.open())
        return fail(db.lastError());
    QSqlQuery q(db);
    // Write-ahead logging lets another instance read while we write, and a
    // full sync makes each answer durable once its commit returns.
    if (!q.exec(u"PRAGMA journal_mode = WAL"_s) || !q.exec(u"PRAGMA synchronous = FULL"_s)
        || !q.exec(u"PRAGMA user_version"_s) || !q.next())
        return fail(q.lastError());
    const int version = q.value(0).toInt();
    if (version > schemaVersion) {
        close();
        switchOff(u"学習の記録 %1 は新しい版のピルモ英語で作られています。"_s.arg(filePath));
        return false;
    }
    if (version < schemaVersion) {
        // Under the write lock, so that of two instances starting at once
        // only the first makes or upgrades the tables.
        if (!q.exec(u"BEGIN IMMEDIATE"_s) || !q.exec(u"PRAGMA user_version"_s) || !q.next())
            return fail(q.lastError());
        const int found = q.value(0).toInt();
        q.finish();
        QList<const char *> steps;
        if (found == 0)
            steps = {std::begin(schema), std::end(schema)};
        for (const auto &upgrade : upgrades)
            if (upgrade.version > found)
                steps.append(upgrade.statement);
        for (const char *statement : std::as_const(steps))
            if (!q.exec(QString::fromLatin1(statement)))
                return fail(q.lastError());
        if (!steps.isEmpty() && !q.exec(u"PRAGMA user_version = %1"_s.arg(schemaVersion)))
            return fail(q.lastError());
        if (!db.commit())
            return fail(db.lastError());
    }
    statements = std::make_unique<Statements>(db);
    if (!statements->readState.prepare(
            u"SELECT stability, difficulty, last_review_ms, due_ms, reps, lapses"
            " FROM question_state WHERE key = ?"_s))
        return fail(statements->readState.lastError());
    if (!statements->appendLog.prepare(
            u"INSERT INTO review_log (at_ms, key, file, grade, answer_ms) VALUES (?, ?, ?, ?, ?)"_s))
        return fail(statements->appendLog.lastError());
    if (!statements->writeState.prepare(
            u"INSERT OR REPLACE INTO question_state"
            " (key, stability, difficulty, last_review_ms, due_ms, reps, lapses)"
            " VALUES (?, ?, ?, ?, ?, ?, ?)"_s))
        return fail(statements->writeState.lastError());
    const QString neighbour = u"SELECT answer_ms, id FROM review_log WHERE grade >= 2"
                              " AND (answer_ms, id) %1 (?, ?) ORDER BY answer_ms %2, id %2 LIMIT 1"_s;
    if (!statements->earlier.prepare(neighbour.arg(u"<"_s, u"DESC"_s)))
        return fail(statements->earlier.lastError());
    if (!statements->later.prepare(neighbour.arg(u">"_s, u"ASC"_s)))
        return fail(statements->later.lastError());
    return findMedian();
}

// Closes the store after `error`. A damaged file is moved aside (once a run):
// while opening, a new file begins in its place; later the history is off
// until the next start. Any other fault switches the history off. Always false.
bool ProgressStore::fail(const QSqlError &error)
{
    close();
    if (!damaged(error) || !movedTo.isEmpty()) {
        const QString why = error.databaseText().isEmpty() ? error.text() : error.databaseText();
        switchOff(u"学習の記録 %1 を使えません (%2)。"_s.arg(filePath, why.isEmpty() ? u"?"_s : why));
    } else if (!moveAside()) {
        switchOff(u"学習の記録 %1 が壊れていて、別の名前に移せません。"_s.arg(filePath));
    } else if (!opening) {
        switchOff(u"学習の記録 %1 が壊れていたため、%2 に移しました。次の起動から新しく始めます。"_s
                      .arg(filePath, movedTo));
    }
    return false;
}

void ProgressStore::switchOff(const QString &why)
{
    if (enabled())
        whyOffText = why + u"\n今回は学習の記録を残しません。"_s;
}

// Closing the connection ends the queries that callers may still hold; it is
// removed only when none can be left (before a new start, and at the end).
void ProgressStore::close()
{
    statements.reset();
    if (QSqlDatabase::contains(connection))
        QSqlDatabase::database(connection, false).close();
}

// Renames the file, with its write-ahead log and shared index, to a name of
// its own beside it, so that nothing of it is lost and a new file can begin.
bool ProgressStore::moveAside()
{
    const QString stamp = QDateTime::currentDateTimeUtc().toString(u"yyyyMMdd-HHmmss"_s);
    QString aside = filePath + u".damaged-"_s + stamp;
    for (int n = 2; QFileInfo::exists(aside); ++n)
        aside = filePath + u".damaged-%1-%2"_s.arg(stamp).arg(n);
    if (!QFile::rename(filePath, aside))
        return false;
    for (const QString &suffix : {u"-wal"_s, u"-shm"_s})
        if (QFileInfo::exists(filePath + suffix) && !QFile::rename(filePath + suffix, aside + suffix))
            return false;
    movedTo = aside;
    return true;
}

QSqlDatabase ProgressStore::database()
{
    return open() ? QSqlDatabase::database(connection, false) : QSqlDatabase();
}

std::optional<fsrs::Memory> ProgressStore::readMemory()
{
    QSqlQuery &q = statements->readState;
    if (!q.next())
        return std::nullopt;
    fsrs::Memory m;
    m.stability = q.value(0).toDouble();
    m.difficulty = q.value(1).toDouble();
    m.lastReview = utc(q.value(2).toLongLong());
    m.due = utc(q.value(3).toLongLong());
    m.reps = q.value(4).toInt();
    m.lapses = q.value(5).toInt();
    return m;
}

std::optional<fsrs::Memory> ProgressStore::memory(QuestionKey key)
{
    if (!open())
        return std::nullopt;
    QSqlQuery &q = statements->readState;
    q.addBindValue(key);
    if (!q.exec()) {
        fail(q.lastError());
        return std::nullopt;
    }
    auto m = readMemory();
    q.finish();
    return m;
}

int ProgressStore::record(QuestionKey key, const QString &file, bool right, qint64 answerMs,
                          const QDateTime &at)
{
    if (!open())
        return 0;
    const int grade = fsrs::gradeOf(right, answerMs, medianRightMs());
    QSqlDatabase db = QSqlDatabase::database(connection, false);
    QSqlQuery begin(db);
    // Taking the write lock first makes another instance's answer to the same
    // question wait, instead of both scheduling from the same old state.
    if (!begin.exec(u"BEGIN IMMEDIATE"_s))
        return fail(begin.lastError());
    auto finishWith = [&](const QSqlError &error) {
        QSqlQuery(db).exec(u"ROLLBACK"_s);
        return fail(error);
    };
    Statements &s = *statements;
    s.readState.addBindValue(key);
    if (!s.readState.exec())
        return finishWith(s.readState.lastError());
    const std::optional<fsrs::Memory> before = readMemory();
    s.readState.finish();
    const fsrs::Memory next = fsrs::review(before, grade, at);

    for (const QVariant &v : {QVariant(at.toMSecsSinceEpoch()), QVariant(key), QVariant(file),
                              QVariant(grade), QVariant(answerMs)})
        s.appendLog.addBindValue(v);
    if (!s.appendLog.exec())
        return finishWith(s.appendLog.lastError());
    // Taken at once: SQLite gives the connection's last row, which the
    // schedule's row below replaces.
    const qint64 logged = s.appendLog.lastInsertId().toLongLong();
    for (const QVariant &v : {QVariant(key), QVariant(next.stability), QVariant(next.difficulty),
                              QVariant(next.lastReview.toMSecsSinceEpoch()),
                              QVariant(next.due.toMSecsSinceEpoch()), QVariant(next.reps),
                              QVariant(next.lapses)})
        s.writeState.addBindValue(v);
    if (!s.writeState.exec())
        return finishWith(s.writeState.lastError());
    if (grade != fsrs::Again && !addRightTime({answerMs, logged}))
        return finishWith(stepError);
    if (!db.commit())
        return finishWith(db.lastError());
    return grade;
}

QList<qsizetype> ProgressStore::due(const QList<QuestionKey> &keys, const QDateTime &at)
{
    if (keys.isEmpty() || !open())
        return {};
    // The file's keys in order, to find each due question's places in it.
    std::vector<std::pair<QuestionKey, qsizetype>> places;
    places.reserve(size_t(keys.size()));
    for (qsizetype i = 0; i < keys.size(); ++i)
        places.emplace_back(keys[i], i);
    std::sort(places.begin(), places.end());

    QSqlQuery q(QSqlDatabase::database(connection, false));
    q.setForwardOnly(true);
    q.prepare(u"SELECT key, stability, last_review_ms FROM question_state WHERE due_ms <= ?"_s);
    const qint64 now = at.toMSecsSinceEpoch();
    q.addBindValue(now);
    if (!q.exec()) {
        fail(q.lastError());
        return {};
    }
    std::vector<std::pair<double, qsizetype>> found; // retrievability, place
    while (q.next()) {
        const QuestionKey key = q.value(0).toLongLong();
        auto [from, to] = std::equal_range(places.begin(), places.end(), std::pair(key, qsizetype(0)),
                                           [](const auto &a, const auto &b) { return a.first < b.first; });
        if (from == to)
            continue;
        const double r = fsrs::retrievability(q.value(1).toDouble(),
                                              double(now - q.value(2).toLongLong()) / dayMs);
        for (; from != to; ++from)
            found.emplace_back(r, from->second);
    }
    if (q.lastError().isValid()) {
        fail(q.lastError());
        return {};
    }
    std::sort(found.begin(), found.end());
    QList<qsizetype> result;
    result.reserve(qsizetype(found.size()));
    for (const auto &f : found)
        result.append(f.second);
    return result;
}

// The right answer just before or after `place`, when there is one.
std::optional<ProgressStore::Place> ProgressStore::neighbour(const Place &place, bool later)
{
    QSqlQuery &q = later ? statements->later : statements->earlier;
    q.addBindValue(place.first);
    q.addBindValue(place.second);
    if (!q.exec() || !q.next()) {
        stepError = q.lastError();
        return std::nullopt;
    }
    const Place found{q.value(0).toLongLong(), q.value(1).toLongLong()};
    q.finish();
    return found;
}

// Counts the right answers logged and finds their middle; false on failure.
bool ProgressStore::findMedian()
{
    QSqlQuery q(QSqlDatabase::database(connection, false));
    if (!q.exec(u"SELECT count(*) FROM review_log WHERE grade >= 2"_s) || !q.next())
        return fail(q.lastError());
    rightCount = q.value(0).toLongLong();
    median.reset();
    if (rightCount == 0)
        return true;
    q.prepare(u"SELECT answer_ms, id FROM review_log WHERE grade >= 2"
              " ORDER BY answer_ms, id LIMIT 1 OFFSET ?"_s);
    q.addBindValue((rightCount - 1) / 2);
    if (!q.exec() || !q.next())
        return fail(q.lastError());
    lowerMiddle = {q.value(0).toLongLong(), q.value(1).toLongLong()};
    return takeMedian() || fail(stepError);
}

// Moves the middle by the right answer `added`, just logged, one step at
// most, so that no answer waits for the whole log to be read. Another
// instance's answers are counted at the next start.
bool ProgressStore::addRightTime(const Place &added)
{
    const bool below = added < lowerMiddle;
    ++rightCount;
    std::optional<Place> moved = lowerMiddle;
    if (rightCount == 1)
        moved = added;
    else if (rightCount % 2 == 0 && below)
        moved = neighbour(lowerMiddle, false);
    else if (rightCount % 2 == 1 && !below)
        moved = neighbour(lowerMiddle, true);
    if (!moved)
        return false;
    lowerMiddle = *moved;
    return takeMedian();
}

// The median from the middle, once enough right answers are logged.
bool ProgressStore::takeMedian()
{
    median.reset();
    if (rightCount < fsrs::timedGradesFrom)
        return true;
    median = lowerMiddle.first;
    if (rightCount % 2 == 0) {
        const std::optional<Place> upperMiddle = neighbour(lowerMiddle, true);
        if (!upperMiddle)
            return false;
        median = (lowerMiddle.first + upperMiddle->first) / 2;
    }
    return true;
}
