// The dialog cases on the Win32 backend, with the program's application object: its
// resources registered, its name on the message boxes.
#include <gtest/gtest.h>

#include "patch_app.h"

int main(int argc, char** argv) {
  zarneth::CPatchApp app;
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
