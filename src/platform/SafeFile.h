#pragma once
// Reading and writing the user's files without ever losing one.
//
// Writing goes to a new file beside the target; every write is checked, the
// data is synced to the disk, and only then does the new file take the
// target's name. A failure at any point leaves the target (and its backup)
// as they were. Reading accepts only regular files of a sane size, so that a
// FIFO, a device or a directory given as a file name cannot block the
// program or fill its memory.
//
// Errors carry the system's own message ("No space left on device",
// "Permission denied"), never a generic one.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <memory>
#include <stdexcept>

namespace veska {

// A file that cannot be read or written. what() is the system's message,
// without the file name; FileName() is the file concerned.
class TFileAccessError : public std::runtime_error {
public:
  TFileAccessError(const QString& fileName, const QString& message);
  const QString& FileName() const { return FFileName; }

private:
  QString FFileName;
};

// No file the program reads (diagram, settings) comes near this size.
inline constexpr qint64 kMaxReadSize = qint64(1) << 30;

// The whole contents of a regular file. Throws TFileAccessError when the file
// cannot be opened or read, is not a regular file, or holds more than
// `limit` bytes.
QByteArray ReadRegularFile(const QString& fileName, qint64 limit = kMaxReadSize);

// How much of a large file is read or written at a time.
inline constexpr qsizetype kFilePartSize = qsizetype(1) << 20;

// A regular file read a part at a time, for files too large to hold whole
// for long. Opening throws TFileAccessError as ReadRegularFile does (also for
// a file of more than `limit` bytes).
class TFileReader {
public:
  explicit TFileReader(const QString& fileName, qint64 limit = kMaxReadSize);
  ~TFileReader();
  TFileReader(const TFileReader&) = delete;
  TFileReader& operator=(const TFileReader&) = delete;

  const QString& FileName() const { return FFileName; }
  // The size when the file was opened.
  qint64 Size() const { return FSize; }
  // Reads up to `count` bytes from `offset` on into `into`: fewer only at the
  // end of the file, none past it. Throws TFileAccessError, also for bytes
  // past the limit (a file that grows while it is read).
  qsizetype ReadAt(qint64 offset, char* into, qsizetype count);

private:
  QString FFileName;
  int FFd = -1;
  qint64 FSize = 0;
  qint64 FLimit = 0;
};

// `count` bytes of a regular file from `offset` on (fewer when it ends
// before), whatever its size. Throws TFileAccessError as ReadRegularFile does.
QByteArray ReadRegularFilePart(const QString& fileName, qint64 offset, qint64 count);

// Whether the file exists (as anything, following symbolic links).
bool FileExists(const QString& fileName);

// Whether both names exist and are the same file (the same device and inode,
// following symbolic links): another path, a link or a hard link to it.
bool IsSameFile(const QString& a, const QString& b);

// Replaces the file `fileName` with `bytes`, or creates it. A file that is
// replaced keeps its permissions. A target that exists and is not a regular
// file is refused.
//
// With a `backupName`, the previous file is kept under that name (an older
// file of that name is replaced) just before the new one takes its place; a
// backup that cannot be kept fails the write, so the old backup is never
// lost for a file that was not replaced.
//
// Throws TFileAccessError with the system's message; the target and the
// backup are then as they were, and no temporary file is left behind.
void WriteFileSafely(const QString& fileName, const QByteArray& bytes, const QString& backupName = {});

// Writes a file in parts, for output too large to be held whole, with the
// guarantees of WriteFileSafely: the parts go to a new file beside the
// target, and only Commit gives it the target's place. A writer that is
// destroyed without Commit, or whose write failed, leaves the target as it
// was and nothing behind. Every member throws TFileAccessError with the
// system's message; after an error the writer takes nothing more.
class TSafeFileWriter {
public:
  // Refuses a target that is not a regular file, and a directory in which
  // no file can be made.
  explicit TSafeFileWriter(const QString& fileName);
  ~TSafeFileWriter();
  TSafeFileWriter(const TSafeFileWriter&) = delete;
  TSafeFileWriter& operator=(const TSafeFileWriter&) = delete;

  void Write(QByteArrayView bytes);
  // Syncs the new file and gives it the target's place, keeping the previous
  // file under `backupName` as WriteFileSafely does.
  void Commit(const QString& backupName = {});

private:
  void Flush();

  struct TState;
  std::unique_ptr<TState> F;
};

// A write beyond the process's file-size limit then fails with "File too
// large" instead of killing the program with its files half written. Called
// first thing in main().
void IgnoreFileSizeSignal();

}  // namespace veska
