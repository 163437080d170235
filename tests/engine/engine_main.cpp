// The engine tests run real Qt WebEngine pages offscreen; the engine must be
// set up before the application object exists.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "common/progdir.h"
#include "engine/web_engine.h"

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  kestrel::PrepareWebEngineEnvironment();
  QApplication app(argc, argv);
  // The windows find their icons and sounds where the program keeps them.
  kestrel::SetProgramDirectory(KESTREL_DATA_DIR);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
