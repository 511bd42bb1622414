// The program's start-up, in its fixed order: the texts unit, the application's initialisation,
// the main window from its stored description (which opens the key table), the event loop, and
// the halt (the units finish in reverse order, then the main window and its components go,
// which closes the table).
#pragma once

// Runs the program inside an existing Qt application with its Application object (the
// executable's main, or a test). An error escaping start-up is shown in the "Application Error"
// box and gives 1; otherwise the program ends with 0 when the main window closes.
int RunRavelda();
