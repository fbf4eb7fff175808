#pragma once
// The file-name seam of the main window: asks the user for a file to open or
// a name to save under. The program uses Qt's file dialog; tests answer from
// a script.

#include <QPointer>
#include <QString>
#include <QWidget>

namespace veska {

class TFileDialogs {
public:
  virtual ~TFileDialogs() = default;
  // The chosen file, or an empty text when the user cancelled. `filter` is
  // written as "Description|*.EXT|Description|*.EXT".
  virtual QString OpenFileName(const QString& title, const QString& filter) = 0;
  virtual QString SaveFileName(const QString& title, const QString& filter, const QString& proposed) = 0;
};

// "ERD Files (*.ERD)|*.ERD|All Files (*.*)|*.*" in Qt's syntax: each pattern
// in upper and lower case (so "x.erd" matches "*.ERD" where the dialog
// compares case-sensitively), and "*.*" as "*" so that names without an
// extension show.
QString QtFileFilter(const QString& filter);

class TQtFileDialogs final : public TFileDialogs {
public:
  explicit TQtFileDialogs(QWidget* parent = nullptr) : FParent(parent) {}
  void SetParent(QWidget* parent) { FParent = parent; }

  QString OpenFileName(const QString& title, const QString& filter) override;
  // Adds the extension of the filter's first pattern, in lower case
  // (".erd", ".txt"), to a name typed without one.
  QString SaveFileName(const QString& title, const QString& filter, const QString& proposed) override;

private:
  QPointer<QWidget> FParent;
};

}  // namespace veska
