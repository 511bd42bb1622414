#include "app/startup.h"

#include "app/form1.h"
#include "common/wwintl.h"
#include "dialogs/wwdialog.h"
#include "navigator/wwdbnavigator.h"
#include "navigator/wwnavglyphs.h"
#include "platform/application.h"

#include <exception>

int RunRavelda() {
    // The texts unit comes first, so that everything that shows text finds the global instance.
    InitWwIntlUnit();
    // Then the navigator's unit, which loads the buttons' glyphs into their shared list.
    InitWwDBNavigatorUnit();
    RegisterNavigatorClasses();
    RegisterDialogClasses();
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
    // The units finish in reverse order, then the window and its components go.
    FinalizeWwDBNavigatorUnit();
    FinalizeWwIntlUnit();
    delete Form1;
    return exitCode;
}
