#include "app/startup.h"

#include "app/form1.h"
#include "common/wwintl.h"
#include "platform/application.h"

#include <exception>

int RunRavelda() {
    // The texts unit comes first, so that everything that shows text finds the global instance.
    InitWwIntlUnit();
    int exitCode = 0;
    try {
        // The dataset layer needs no start-up work of its own: the engine is part of the program
        // and reads the aliases when a table opens.
        Application->CreateForm(Form1);
        Application->Run();
    } catch (...) {
        ShowStartupError(std::current_exception());
        exitCode = 1;
    }
    FinalizeWwIntlUnit();
    delete Form1;
    return exitCode;
}
