// Test main for widget tests: headless on Qt's offscreen platform unless told otherwise, with our
// application object and message boxes that answer themselves (a real box would wait forever).
#include "platform/application.h"
#include "platform/testseams.h"

#include <cstdlib>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    TQtApplication app(argc, argv);
    SetMessageBoxService(NewUnattendedMessageBoxes());
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
