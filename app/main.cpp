// ravelda: the year-update program for the key counter table Keys.DB of the alias quennarix.
#include "app/startup.h"
#include "platform/application.h"

int main(int argc, char** argv) {
    TQtApplication app(argc, argv);
    return RunRavelda();
}
