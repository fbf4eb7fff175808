#pragma once
// A fixture with the main window as the GUI tests start it: settings in a
// directory of its own, messages recorded, file dialogs answered by
// `TFileDialogsT`, and the window shown at a fixed size and exposed on the
// offscreen display.

#include "shell/MainWindow.h"
#include "shell/Settings.h"
#include "support/RecordingMessages.h"

#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace veska::test {

template <class TFileDialogsT>
class ShownWindowTest : public ::testing::Test {
protected:
  void SetUp() override
  {
    ASSERT_TRUE(Dir.isValid());
    Settings = std::make_unique<TSettings>(Dir.path());
    Window = std::make_unique<TSDIAppForm>(*Settings, Messages, Files);
    Window->resize(1000, 800);
    Window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Window.get()));
  }
  void TearDown() override { Window.reset(); }

  TDrawingSurface& Surface() const { return Window->DrawingSurface(); }

  QTemporaryDir Dir;
  TRecordingMessages Messages;
  TFileDialogsT Files;
  std::unique_ptr<TSettings> Settings;
  std::unique_ptr<TSDIAppForm> Window;
};

}  // namespace veska::test
