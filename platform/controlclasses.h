// Makes sure every graphics and control class is in the class registry, also in programs that
// name a class only in a stored description (a static library links only what code mentions).
#pragma once

void RegisterControlClasses();
