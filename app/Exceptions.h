#pragma once
// The program's error kinds. Every failure is one of these; the guard around each
// handler hands the message to the error display.
#include <QString>
#include <exception>

class Exception : public std::exception {
public:
    explicit Exception(QString message, int systemError = 0)
        : msg(std::move(message)), error(systemError) {}
    const QString &message() const noexcept { return msg; }
    // The system's error number (errno) behind the failure, or 0 when none is known.
    int systemError() const noexcept { return error; }
    const char *what() const noexcept override { return "Exception"; }

private:
    QString msg;
    int error;
};

// The system error number for a path that names something other than a regular
// file (a folder, a FIFO, a device, a socket): no errno says that alone.
inline constexpr int notRegularFile = -1;
// The error number for a file too short to hold one question.
inline constexpr int notQuestionFile = -2;

class EStreamError : public Exception { using Exception::Exception; };
class EFilerError : public EStreamError { using EStreamError::EStreamError; };

class EFOpenError : public EStreamError {
public:
    explicit EFOpenError(const QString &path, int systemError = 0);
};
class EFCreateError : public EStreamError {
public:
    explicit EFCreateError(const QString &path, int systemError = 0);
    // The file that could not be written, so that the error display can say
    // where it can be saved instead.
    const QString &path() const noexcept { return file; }

private:
    QString file;
};
class EWriteError : public EFilerError {
public:
    explicit EWriteError(int systemError = 0);
};
class EStringListError : public Exception {
public:
    explicit EStringListError(qint64 index, int systemError = 0);
};
class EOutOfMemory : public Exception {
public:
    EOutOfMemory();
};

// Work on a file that the learner cancelled: no error, so nothing is shown;
// the work left everything as it was.
struct Cancelled {};
