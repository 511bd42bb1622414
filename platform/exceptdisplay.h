// The texts of the exception display.
#pragma once

#include <QString>
#include <exception>

// The event loop's error box text: the message with "." added when its last character sorts
// after ".".
QString EventErrorText(const QString& message);
// The start-up error box text: "Exception %s in module %s at %p.\n%s%s" with the class name, the
// executable's file name, the code address, the message and a closing "." when the message does
// not end with one.
QString StartupErrorText(const QString& className, const QString& module, const void* address,
                         const QString& message);
