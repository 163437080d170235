// The GUI tests run real Qt windows offscreen; the application object comes first.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "support/isolated_run.h"

int main(int argc, char** argv) {
  // Headless unless told otherwise, also when CTest lists the tests.
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  // Nothing a test writes reaches the user's files or the checkout; the
  // windows find their icons in a copy of the data.
  kestrel::test::IsolatedRun isolated(KESTREL_DATA_DIR);
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
