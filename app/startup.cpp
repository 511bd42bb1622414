#include "app/startup.h"

#include "app/form1.h"
#include "app/units.h"
#include "dialogs/wwdialog.h"
#include "navigator/wwdbnavigator.h"
#include "platform/application.h"

#include <exception>

int RunRavelda() {
    RegisterNavigatorClasses();
    RegisterDialogClasses();
    int exitCode = 0;
    {
        const TUnitScope units(RaveldaUnits());
        try {
            // The dataset layer needs no start-up work of its own: the engine is part of the
            // program and reads the aliases when a table opens.
            Application->CreateForm(Form1);
            Application->Run();
        } catch (...) {
            ShowStartupError(std::current_exception());
            exitCode = 1;
        }
    } // the units finish in reverse order, then the window and its components go
    delete Form1;
    return exitCode;
}
