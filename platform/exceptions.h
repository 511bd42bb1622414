// Failures are C++ exceptions derived from Exception. Every class reports its own class name, which
// the start-up error text and the exception display use.
#pragma once

#include <QByteArray>
#include <QString>
#include <exception>

class Exception : public std::exception {
public:
    explicit Exception(QString message = QString());
    ~Exception() override;

    const QString& Message() const { return message_; }
    void SetMessage(const QString& message);
    // The class name as written in the code, e.g. "EDatabaseError".
    virtual const char* ClassName() const { return "Exception"; }
    const char* what() const noexcept override { return utf8_.constData(); }

private:
    QString message_;
    QByteArray utf8_;
};

// Declares an exception class that inherits its base's constructors and names itself.
#define RAVELDA_EXCEPTION(Name, Base)                                                              \
    class Name : public Base {                                                                     \
    public:                                                                                        \
        using Base::Base;                                                                          \
        const char* ClassName() const override { return #Name; }                                   \
    }

// Silent: the event loop and the start-up swallow it without a box.
RAVELDA_EXCEPTION(EAbort, Exception);
RAVELDA_EXCEPTION(EInvalidOperation, Exception);
RAVELDA_EXCEPTION(EInvalidGridOperation, Exception);
RAVELDA_EXCEPTION(EConvertError, Exception);
RAVELDA_EXCEPTION(EDatabaseError, Exception);
RAVELDA_EXCEPTION(EComponentError, Exception);
RAVELDA_EXCEPTION(EPropertyError, Exception);
RAVELDA_EXCEPTION(EListError, Exception);
RAVELDA_EXCEPTION(EStringListError, EListError);
RAVELDA_EXCEPTION(EFilerError, Exception);
RAVELDA_EXCEPTION(EReadError, EFilerError);
RAVELDA_EXCEPTION(EClassNotFound, EFilerError);
RAVELDA_EXCEPTION(EWriteError, EFilerError);
RAVELDA_EXCEPTION(EInvalidCast, Exception);
RAVELDA_EXCEPTION(ERangeError, Exception);
RAVELDA_EXCEPTION(EOutOfResources, Exception);
RAVELDA_EXCEPTION(EInOutError, Exception);
RAVELDA_EXCEPTION(EOSError, Exception);

// Raises EAbort with the classic message "Operation aborted".
[[noreturn]] void Abort();

// Class name and message of any caught exception (std::exception_ptr), for display:
// Exception subclasses give their own; std::bad_alloc is "EOutOfMemory"; other std::exception
// subclasses their demangled type name; anything else "Exception" with "Unknown exception".
struct TExceptionInfo {
    QString ClassName;
    QString Message;
    const void* Address = nullptr; // the exception object, shown as the "code address"
    bool IsAbort = false;
};
TExceptionInfo DescribeException(std::exception_ptr error);
