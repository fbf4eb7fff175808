#pragma once
// The diagram text file: version-3 writing, reading of all four versions,
// merging into an open diagram, and the host conventions for dates and text.

#include "surface/DrawingSurface.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <optional>
#include <stdexcept>

namespace veska {

class TProgress;

enum class TLoadResult {
  Loaded,       // read completely
  NotADiagram,  // the first line is no version tag; nothing was read
  Corrupted,    // read up to an error; what was read stays on the surface
};

// A file that cannot be opened, read or written; the text is the system's
// message.
class TFileError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// Reads a diagram file onto the surface (which is not cleared: loading onto a
// diagram merges). Reports "not a diagram" and "corrupted" through the
// surface's message service; throws TFileError when the file cannot be read,
// is no regular file or is larger than any diagram (1 GiB). A `progress`
// is told how far the reading has come, captioned with the file's name; it
// ends also when the load fails.
TLoadResult LoadDiagram(TDrawingSurface& surface, const QString& fileName, TProgress* progress = nullptr);
// The same, from the file's bytes; a `progress` is captioned `caption`.
TLoadResult LoadDiagramBytes(TDrawingSurface& surface, const QByteArray& bytes, TProgress* progress = nullptr,
                             const QString& caption = QString());

// The whole diagram as version-3 text with the positions of 100% zoom,
// whatever the zoom is; `stream` is emptied first. Changes nothing.
void WriteDiagram(const TDrawingSurface& surface, QByteArray& stream);
// The same text written into the file as it is made, never held whole, in
// the way of WriteFileSafely (a temporary file beside it, synced and renamed;
// with a `backupName` the file it replaces is kept under that name). Throws
// TFileAccessError when the file cannot be written; the file and the backup
// are then as they were. Changes nothing in the diagram.
void WriteDiagramToFile(const TDrawingSurface& surface, const QString& fileName, const QString& backupName = {});

// Stamps the save date, raises the revision and writes the file (replacing
// one of that name). With a `backupName`, the file it replaces is kept under
// that name. Throws TFileError when the file cannot be written; the file and
// the backup are then as they were.
void SaveDiagram(TDrawingSurface& surface, const QString& fileName, const QString& backupName = {});

// The date text of the header: "M/d/yy", and unless the time is 00:00:00 a
// blank and "h:mm:ss AM".
QString FormatDateText(const QDateTime& value);
// Reads a date text (also with a four-digit year or a 24-hour time); a
// two-digit year lies in the century of `now`. Empty when it is no date.
std::optional<QDateTime> ParseDateText(const QString& text, const QDateTime& now);

}  // namespace veska
