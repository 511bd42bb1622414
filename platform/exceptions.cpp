#include "platform/exceptions.h"

#include <cstdlib>
#include <cxxabi.h>
#include <memory>
#include <new>
#include <typeinfo>

Exception::Exception(QString message) : message_(std::move(message)), utf8_(message_.toUtf8()) {}

Exception::~Exception() = default;

void Exception::SetMessage(const QString& message) {
    message_ = message;
    utf8_ = message_.toUtf8();
}

void Abort() {
    throw EAbort(QStringLiteral("Operation aborted"));
}

namespace {
QString Demangle(const char* name) {
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> d(abi::__cxa_demangle(name, nullptr, nullptr, &status),
                                             std::free);
    return QString::fromLatin1(status == 0 && d ? d.get() : name);
}
} // namespace

TExceptionInfo DescribeException(std::exception_ptr error) {
    TExceptionInfo info;
    if (!error) {
        info.ClassName = QStringLiteral("Exception");
        info.Message = QStringLiteral("Unknown exception");
        return info;
    }
    try {
        std::rethrow_exception(error);
    } catch (const EAbort& e) {
        info.ClassName = QString::fromLatin1(e.ClassName());
        info.Message = e.Message();
        info.Address = &e;
        info.IsAbort = true;
    } catch (const Exception& e) {
        info.ClassName = QString::fromLatin1(e.ClassName());
        info.Message = e.Message();
        info.Address = &e;
    } catch (const std::bad_alloc& e) {
        info.ClassName = QStringLiteral("EOutOfMemory");
        info.Message = QStringLiteral("Out of memory");
        info.Address = &e;
    } catch (const std::exception& e) {
        info.ClassName = Demangle(typeid(e).name());
        info.Message = QString::fromUtf8(e.what());
        info.Address = &e;
    } catch (...) {
        info.ClassName = QStringLiteral("Exception");
        info.Message = QStringLiteral("Unknown exception");
    }
    return info;
}
