#pragma once
// The diagram as a document: the file it belongs to, the one-level undo
// snapshot, and the file commands (New, Open, Merge, Save, Save As, Undo)
// with the question that protects unsaved work. It holds no widget: it asks
// the user through the message and file-name seams, and the window follows
// it through the notifications below.

#include "model/Listeners.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace veska {

class TDrawingSurface;
class TFileDialogs;
class TMessageService;
class TProgress;
enum class TLoadResult;

class TDiagramDocument {
public:
  // The surface, the message service and the file dialogs outlive the
  // document.
  TDiagramDocument(TDrawingSurface& surface, TMessageService& messages, TFileDialogs& fileDialogs);

  static inline const QString NewFileName = QStringLiteral("new.ERD");
  static inline const QString NewDiagramName = QStringLiteral("Information Model V1.0");
  static inline const QString FileFilter =
      QStringLiteral("ERD Files (*.ERD)|*.ERD|Text Files (*.TXT)|*.TXT|All Files (*.*)|*.*");
  static inline const QString UndoFileName = QStringLiteral("undo.bak");

  // The diagram file; NewFileName while the diagram has never been saved.
  const QString& FileName() const { return FFileName; }
  // The whole diagram as written at the last snapshot.
  const QByteArray& UndoSnapshot() const { return FUndoSnapshot; }
  // Told how far opening and merging have come; none by default.
  void SetLoadProgress(TProgress* progress) { FLoadProgress = progress; }

  // Just before the surface is emptied.
  TListeners<> OnClearing;
  // After a file or the snapshot was read onto the surface.
  TListeners<> OnLoaded;
  // After the diagram was written to the file named.
  TListeners<const QString&> OnSaved;
  TListeners<const QString&> OnFileNameChange;

  // Writes the diagram into the undo snapshot.
  void Snapshot();
  // Whether the current diagram may be given up: asks to save it when the
  // text that saving would write differs from its file; empties the surface
  // (the text becoming the undo snapshot) when the caller may go on.
  bool QueryClose();
  // A new, empty diagram in place of the current one; FALSE when the user
  // kept the current one.
  bool New();
  // Opens a file in place of the current diagram; a file that is no diagram
  // leaves a new one that no Save may write over a file.
  void Open(const QString& fileName);
  // Opens a file named by a path relative to the current directory or
  // absolute (the command line, the recent files): a name that is no file is
  // reported, anything else is opened as Open does.
  void OpenNamed(const QString& fileName);
  // Reads a file onto the current diagram.
  void Merge(const QString& fileName);
  // Save and Save As return true when the diagram was written: false when
  // writing failed or the user cancelled Save As or its replace question.
  // Save keeps the file it replaces as a ".BAK" backup.
  bool Save();
  bool SaveAs();
  // Brings back the snapshot, keeping it in the undo file first.
  void Undo();

private:
  // Loads or merges a file onto the surface; a file that cannot be read is
  // reported and gives no result.
  std::optional<TLoadResult> Load(const QString& fileName);
  // A failure is reported and gives FALSE.
  bool Write(const QString& fileName, const QString& backupName = {});
  void SetFileName(const QString& fileName);
  void Clear();

  TDrawingSurface& FSurface;
  TMessageService& FMessages;
  TFileDialogs& FFileDialogs;
  TProgress* FLoadProgress = nullptr;
  QString FFileName = NewFileName;
  QByteArray FUndoSnapshot;
};

}  // namespace veska
