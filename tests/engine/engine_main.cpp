// The engine tests run real Qt WebEngine pages offscreen; the engine must be
// set up before the application object exists.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "common/progdir.h"
#include "engine/web_engine.h"
#include "support/isolated_run.h"

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  // Cookies, cache and every file the program writes stay in this run's own
  // folders; the windows find their icons and sounds in a copy of the data.
  kestrel::test::IsolatedRun isolated(KESTREL_DATA_DIR);
  kestrel::PrepareWebEngineEnvironment();
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
