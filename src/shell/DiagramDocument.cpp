#include "shell/DiagramDocument.h"

#include "diagramfile/DiagramFile.h"
#include "platform/MessageService.h"
#include "platform/SafeFile.h"
#include "shell/FileDialogs.h"
#include "surface/DrawingSurface.h"

#include <QFile>
#include <QFileInfo>

namespace veska {

namespace {

// A diagram that holds nothing a user made: no entity, relation, domain,
// process or text label.
bool IsEmptyDiagram(const TDrawingSurface& surface)
{
  return surface.Entities.IsEmpty() && surface.Relations.IsEmpty() && surface.Domains.IsEmpty() &&
         surface.ServerProcs.IsEmpty() && surface.Labels.IsEmpty();
}

// Whether a file holds exactly the given bytes, compared block by block.
bool SameAsFile(const QByteArray& bytes, const QString& fileName)
{
  QFile file(fileName);
  if (!file.open(QIODevice::ReadOnly))
    return false;
  constexpr qint64 kBlock = 1024;
  for (qint64 offset = 0;; offset += kBlock) {
    const QByteArray block = file.read(kBlock);
    if (block != bytes.mid(offset, kBlock))
      return false;
    if (block.size() < kBlock)
      return true;
  }
}

// The name with its extension replaced by ".BAK".
QString BackupName(const QString& fileName)
{
  const QFileInfo info(fileName);
  const QString name = info.fileName();
  const int dot = name.lastIndexOf(QLatin1Char('.'));
  const QString base = dot > 0 ? name.left(dot) : name;
  const QString dir = fileName.left(fileName.size() - name.size());
  return dir + base + QStringLiteral(".BAK");
}

}  // namespace

TDiagramDocument::TDiagramDocument(TDrawingSurface& surface, TMessageService& messages, TFileDialogs& fileDialogs)
    : FSurface(surface), FMessages(messages), FFileDialogs(fileDialogs)
{
}

void TDiagramDocument::Snapshot()
{
  WriteDiagram(FSurface, FUndoSnapshot);
}

void TDiagramDocument::SetFileName(const QString& fileName)
{
  FFileName = fileName;
  OnFileNameChange(FFileName);
}

void TDiagramDocument::Clear()
{
  OnClearing();
  FSurface.Clear();
}

bool TDiagramDocument::QueryClose()
{
  // The diagram as saving would write it; it becomes the undo snapshot only
  // when the diagram is really given up, so that a cancelled question leaves
  // Undo as it was.
  QByteArray current;
  WriteDiagram(FSurface, current);
  const bool unchanged = QFileInfo(FFileName).isFile() ? SameAsFile(current, FFileName) : IsEmptyDiagram(FSurface);
  if (!unchanged) {
    switch (FMessages.Show(TMsgDlgType::mtConfirmation, QStringLiteral("Save changes to \"%1\"?").arg(FFileName),
                           mbYes | mbNo | mbCancel)) {
    case mbYes:
      // A diagram that was not written (a failure, or a Save As that the user
      // cancelled) is not given up.
      if (!Save())
        return false;
      break;
    case mbNo: break;
    default: return false;
    }
  }
  FUndoSnapshot = std::move(current);
  Clear();
  return true;
}

bool TDiagramDocument::New()
{
  if (!QueryClose())
    return false;
  FSurface.DiagramName = NewDiagramName;
  SetFileName(NewFileName);
  FSurface.Repaint();
  return true;
}

std::optional<TLoadResult> TDiagramDocument::Load(const QString& fileName)
{
  std::optional<TLoadResult> result;
  try {
    result = LoadDiagram(FSurface, fileName, FLoadProgress);
  } catch (const TFileError& e) {
    FMessages.Error(QString::fromStdString(e.what()));
  }
  OnLoaded();
  return result;
}

void TDiagramDocument::Open(const QString& fileName)
{
  if (!QueryClose())
    return;
  const std::optional<TLoadResult> result = Load(fileName);
  if (result && *result != TLoadResult::NotADiagram) {
    Snapshot();
    SetFileName(fileName);
  } else {
    // The surface was emptied for the rejected file: neither that file nor the
    // previous diagram's file may be the one a later Save overwrites with the
    // empty diagram.
    SetFileName(NewFileName);
  }
}

void TDiagramDocument::OpenNamed(const QString& fileName)
{
  const QFileInfo file(fileName);
  if (!file.isFile()) {
    FMessages.Error(QStringLiteral("\"%1\" File not found.").arg(fileName));
    return;
  }
  // A relative name is made absolute once: Save must reach the same file
  // after the current directory changed.
  Open(file.isAbsolute() ? fileName : file.absoluteFilePath());
}

void TDiagramDocument::Merge(const QString& fileName)
{
  Load(fileName);
}

bool TDiagramDocument::Write(const QString& fileName, const QString& backupName)
{
  try {
    SaveDiagram(FSurface, fileName, backupName);
  } catch (const TFileError& e) {
    FMessages.Error(QString::fromStdString(e.what()));
    return false;
  }
  return true;
}

bool TDiagramDocument::Save()
{
  if (FFileName == NewFileName)
    return SaveAs();
  // The file being replaced becomes the backup, but only once the new text
  // is safely on disk: a failed save leaves the file and the old backup.
  if (!Write(FFileName, BackupName(FFileName)))
    return false;
  OnSaved(FFileName);
  return true;
}

bool TDiagramDocument::SaveAs()
{
  const QString name = FFileDialogs.SaveFileName(QStringLiteral("Veska - Save Diagram As"), FileFilter, FFileName);
  if (name.isEmpty())
    return false;
  if (QFileInfo::exists(name) &&
      FMessages.Show(TMsgDlgType::mtConfirmation, QStringLiteral("Replace existing file \"%1\"?").arg(name),
                     mbYes | mbNo) != mbYes)
    return false;
  if (!Write(name))
    return false;
  SetFileName(name);
  OnSaved(FFileName);
  return true;
}

void TDiagramDocument::Undo()
{
  // The snapshot is kept in its file first. Without it the diagram could
  // not come back: a failed write keeps the diagram as it is.
  try {
    WriteFileSafely(UndoFileName, FUndoSnapshot);
  } catch (const TFileAccessError& e) {
    FMessages.Error(QString::fromStdString(e.what()));
    return;
  }
  // The file now holds exactly the snapshot, which is loaded from memory so
  // that nothing can fail between clearing the diagram and reading it back.
  // A large diagram takes as long as opening it, with the same progress.
  const QByteArray snapshot = FUndoSnapshot;
  Clear();
  LoadDiagramBytes(FSurface, snapshot, FLoadProgress, UndoFileName);
  OnLoaded();
}

}  // namespace veska
