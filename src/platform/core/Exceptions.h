// The failure classes of the system. Every failure is an exception that carries
// a message for the user; EAbort is the silent one that ends an operation
// without any report.
#pragma once

#include <QByteArray>
#include <QString>
#include <exception>

class Exception : public std::exception
{
public:
    explicit Exception(const QString& message) : message_(message), utf8_(message.toUtf8()) {}

    const QString& Message() const { return message_; }
    const char* what() const noexcept override { return utf8_.constData(); }

private:
    QString message_;
    QByteArray utf8_;
};

// Raised by the database engine, carrying the engine's own message.
class EDatabaseError : public Exception
{
public:
    using Exception::Exception;
};

// A file could not be read or written.
class EInOutError : public Exception
{
public:
    using Exception::Exception;
};

// A text could not be converted to the value it should stand for.
class EConvertError : public Exception
{
public:
    using Exception::Exception;
};

// Ends an operation quietly: the application's error report shows nothing.
class EAbort : public Exception
{
public:
    EAbort() : Exception(QStringLiteral("Operation aborted")) {}
};
