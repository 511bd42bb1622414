// Starts up and fails as told by its first argument, so that a test can watch the real process:
// "database" raises EDatabaseError, "std" a std::runtime_error, "abort" EAbort, "dot" a message
// that ends with ".", "none" starts without a main form and ends normally.
#include "platform/application.h"
#include "platform/exceptions.h"

#include <cstring>
#include <stdexcept>

int main(int argc, char** argv) {
    const char* mode = argc > 1 ? argv[1] : "database";
    return RunApplication(argc, argv, [mode] {
        if (!std::strcmp(mode, "database"))
            throw EDatabaseError(QStringLiteral("Field 'Anno' not found"));
        if (!std::strcmp(mode, "std")) throw std::runtime_error("disk on fire");
        if (!std::strcmp(mode, "abort")) Abort();
        if (!std::strcmp(mode, "dot")) throw EInvalidOperation(QStringLiteral("Cannot open."));
    });
}
