// Test entry point: a QApplication on the offscreen platform, so Qt's font
// metrics and the widgets work without a display, and a configuration folder
// of the run's own, so that no test writes into the settings of the user who
// runs it.
#include <QApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv)
{
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  const QTemporaryDir config;
  if (!config.isValid())
    return 1;
  setenv("XDG_CONFIG_HOME", config.path().toLocal8Bit().constData(), 1);
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
