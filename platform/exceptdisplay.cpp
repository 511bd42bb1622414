#include "platform/exceptdisplay.h"

#include <cstdint>

QString EventErrorText(const QString& message) {
    if (!message.isEmpty() && message.back().unicode() > u'.') return message + QLatin1Char('.');
    return message;
}

QString StartupErrorText(const QString& className, const QString& module, const void* address,
                         const QString& message) {
    const int digits = static_cast<int>(sizeof(void*) * 2);
    QString addr = QStringLiteral("%1")
                       .arg(static_cast<qulonglong>(reinterpret_cast<std::uintptr_t>(address)),
                            digits, 16, QLatin1Char('0'))
                       .toUpper();
    QString dot = message.endsWith(QLatin1Char('.')) ? QString() : QStringLiteral(".");
    return QStringLiteral("Exception %1 in module %2 at %3.\n%4%5")
        .arg(className, module, addr, message, dot);
}
