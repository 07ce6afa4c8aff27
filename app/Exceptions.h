#pragma once
// The program's error kinds. Every failure is one of these; the guard around each
// handler hands the message to the error display.
#include <QString>
#include <exception>

class Exception : public std::exception {
public:
    explicit Exception(QString message) : msg(std::move(message)) {}
    const QString &message() const noexcept { return msg; }
    const char *what() const noexcept override { return "Exception"; }

private:
    QString msg;
};

class EStreamError : public Exception { using Exception::Exception; };
class EFilerError : public EStreamError { using EStreamError::EStreamError; };

class EFOpenError : public EStreamError {
public:
    explicit EFOpenError(const QString &path);
};
class EFCreateError : public EStreamError {
public:
    explicit EFCreateError(const QString &path);
};
class EWriteError : public EFilerError {
public:
    EWriteError();
};
class EStringListError : public Exception {
public:
    explicit EStringListError(qint64 index);
};
class EOutOfMemory : public Exception {
public:
    EOutOfMemory();
};
