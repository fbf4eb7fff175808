#pragma once
// What the tests of the main window share: the window started as the user
// starts it, with settings of its own, recorded messages and file dialogs
// that answer from a script; mouse events where a user's hand sends them;
// and the answering of the modal dialogs that the commands open.

#include "diagramfile/DiagramFile.h"
#include "dialogs/BuildFormDlg.h"
#include "dialogs/BuildTableDlg.h"
#include "dialogs/FindDlg.h"
#include "engine/TableEngine.h"
#include "dialogs/EditorWidgets.h"
#include "dialogs/ObjectEditor.h"
#include "dialogs/PrintDlg.h"
#include "shell/DiagramView.h"
#include "shell/FileDialogs.h"
#include "shell/Application.h"
#include "shell/HelpWindow.h"
#include "shell/MainWindow.h"
#include "shell/PopupMenus.h"
#include "shell/PrintCommands.h"
#include "shell/MessageBoxes.h"
#include "shell/Settings.h"
#include "support/PdfTools.h"
#include "support/RecordingMessages.h"
#include "surface/Printing.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QMouseEvent>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QComboBox>
#include <QLineEdit>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTextBrowser>
#include <QScrollBar>
#include <QStatusBar>
#include <QWheelEvent>
#include <QWindow>

#include <gtest/gtest.h>

#include <memory>
#include <type_traits>

namespace veska::test {

// File dialogs that answer from a script; an empty script is a cancel.
class TScriptedFileDialogs final : public TFileDialogs {
public:
  QString OpenFileName(const QString&, const QString&) override { return Next(); }
  QString SaveFileName(const QString&, const QString&, const QString&) override { return Next(); }
  QStringList Names;
  int Asked = 0;

private:
  QString Next()
  {
    ++Asked;
    return Names.isEmpty() ? QString() : Names.takeFirst();
  }
};

class MainWindowTest : public ::testing::Test {
protected:
  void SetUp() override
  {
    ASSERT_TRUE(Dir.isValid());
    FOldDirectory = QDir::currentPath();
    QDir::setCurrent(Dir.path());
    Settings = std::make_unique<TSettings>(Dir.path());
    Window = std::make_unique<TSDIAppForm>(*Settings, Service(), Files);
    // The machine's printers play no part: a test that wants one says so.
    Window->Printing().SetPrinterInstalled([] { return false; });
    Window->resize(1100, 900);
    Window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Window.get()));
  }

  void TearDown() override
  {
    Window.reset();
    QDir::setCurrent(FOldDirectory);
  }

  // The message service the window shows its messages through.
  virtual TMessageService& Service() { return Messages; }

  TDrawingSurface& Surface() const { return Window->DrawingSurface(); }
  TDiagramView& View() const { return Window->View(); }
  QString Path(const QString& name) const { return Dir.filePath(name); }

  QAction* Item(const char* name) const { return Window->findChild<QAction*>(QString::fromLatin1(name)); }
  QAbstractButton* Button(const char* name) const
  {
    return Window->findChild<QAbstractButton*>(QString::fromLatin1(name));
  }

  // Mouse events at view (= diagram) coordinates, with explicit buttons so
  // that moves carry the held button.
  void Send(QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons held,
            Qt::KeyboardModifiers modifiers = Qt::NoModifier)
  {
    QMouseEvent event(type, QPointF(pos), QPointF(View().mapToGlobal(pos)), button, held, modifiers);
    QApplication::sendEvent(&View(), &event);
  }
  void Click(QPoint pos, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
  {
    Send(QEvent::MouseButtonPress, pos, Qt::LeftButton, Qt::LeftButton, modifiers);
    Send(QEvent::MouseButtonRelease, pos, Qt::LeftButton, Qt::NoButton, modifiers);
  }
  void Drag(QPoint from, QPoint to)
  {
    Send(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    Send(QEvent::MouseMove, (from + to) / 2, Qt::NoButton, Qt::LeftButton);
    Send(QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
    Send(QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
  }

  // Draws an entity with the entity tool button.
  TEntity* DrawEntity(QPoint at)
  {
    Button("EntityBtn")->click();
    Click(at);
    return Surface().Entities.Count() ? Surface().Entities.Objects(Surface().Entities.Count() - 1) : nullptr;
  }
  static QPoint Centre(const TEntity& e) { return e.BoundsRect().center(); }

  QByteArray FileBytes(const QString& name) const
  {
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }

  QTemporaryDir Dir;
  TRecordingMessages Messages;
  TScriptedFileDialogs Files;
  std::unique_ptr<TSettings> Settings;
  std::unique_ptr<TSDIAppForm> Window;

private:
  QString FOldDirectory;
};

// Opens a Build menu item and hands the build dialog, while it shows, to
// `answer`; gives the caption the dialog showed with (empty: not opened).
template <class TDialog = TBuildTableDlg>
QString OpenBuildDialog(QAction* item, const std::function<void(std::type_identity_t<TDialog>*)>& answer)
{
  QString caption;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<TDialog*>(QApplication::activeModalWidget());
    if (!dialog)
      return;
    caption = dialog->windowTitle();
    answer(dialog);
  });
  EXPECT_TRUE(item->isEnabled());
  item->trigger();
  QApplication::processEvents();
  return caption;
}

// Runs `command` and hands the modal dialog of type T that it opens to
// `answer`; FALSE when no such dialog opened.
template <typename T>
bool AnswerModal(const std::function<void()>& command, const std::function<void(T*)>& answer)
{
  bool shown = false;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
    if (!dialog)
      return;
    shown = true;
    answer(dialog);
  });
  command();
  QApplication::processEvents();
  return shown;
}

}  // namespace veska::test
