#include "platform/SafeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRandomGenerator>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <limits>
#include <optional>
#include <stdexcept>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace veska {

TFileAccessError::TFileAccessError(const QString& fileName, const QString& message)
  : std::runtime_error(message.toStdString()), FFileName(fileName)
{
}

namespace {

QByteArray Native(const QString& name)
{
  return QFile::encodeName(name);
}

[[noreturn]] void Fail(const QString& fileName, int error)
{
  throw TFileAccessError(fileName, QString::fromLocal8Bit(std::strerror(error)));
}

// What a non-regular file is refused with; a directory has a message of its
// own from the system.
[[noreturn]] void FailNotRegular(const QString& fileName, const struct stat& st)
{
  if (S_ISDIR(st.st_mode))
    Fail(fileName, EISDIR);
  throw TFileAccessError(fileName, QStringLiteral("Not a regular file"));
}

// A file descriptor closed when it goes out of scope.
class TDescriptor {
public:
  explicit TDescriptor(int fd) : FFd(fd) {}
  TDescriptor(const TDescriptor&) = delete;
  TDescriptor& operator=(const TDescriptor&) = delete;
  TDescriptor(TDescriptor&& other) noexcept : FFd(other.FFd) { other.FFd = -1; }
  TDescriptor& operator=(TDescriptor&& other) noexcept
  {
    std::swap(FFd, other.FFd);
    return *this;
  }
  ~TDescriptor()
  {
    if (FFd >= 0)
      ::close(FFd);
  }
  int Get() const { return FFd; }
  // Gives up the descriptor without closing it.
  int Release() { return std::exchange(FFd, -1); }
  // Closes now and returns 0, or the error of closing, which can be the
  // first report of a failed write.
  int Close()
  {
    const int fd = FFd;
    FFd = -1;
    return ::close(fd) == 0 ? 0 : errno;
  }

private:
  int FFd;
};

int OpenFile(const QByteArray& path, int flags, mode_t mode = 0)
{
  int fd;
  do
    fd = ::open(path.constData(), flags | O_CLOEXEC, mode);
  while (fd < 0 && errno == EINTR);
  return fd;
}

// 0, or the error of the first write that failed.
int WriteAll(int fd, QByteArrayView bytes)
{
  const char* data = bytes.constData();
  qint64 left = bytes.size();
  while (left > 0) {
    const ssize_t n = ::write(fd, data, static_cast<size_t>(left));
    if (n < 0) {
      if (errno == EINTR)
        continue;
      return errno;
    }
    data += n;
    left -= n;
  }
  return 0;
}

// Makes a new file beside `near` under a name no other file has, with
// `make` (which returns 0 or the error); returns that name.
template <class TMake>
QString WithUniqueName(const QString& near, TMake make)
{
  const QFileInfo info(near);
  const QDir dir(info.absolutePath());
  for (int attempt = 0;; ++attempt) {
    const QString name = dir.filePath(QStringLiteral(".%1.%2.tmp")
                                          .arg(info.fileName())
                                          .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0')));
    const int error = make(Native(name));
    if (!error)
      return name;
    if (error != EEXIST || attempt >= 100)
      Fail(near, error);
  }
}

// Gives the file open as `fd`, which has no name yet, a unique name beside
// `near`; 0 or the error.
int NameUnnamedFile(int fd, const QString& near, QString& name)
{
  const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd);
  int error = 0;
  try {
    name = WithUniqueName(near, [&](const QByteArray& path) {
      error = ::linkat(AT_FDCWD, self.constData(), AT_FDCWD, path.constData(), AT_SYMLINK_FOLLOW) == 0 ? 0 : errno;
      return error;
    });
  } catch (const TFileAccessError&) {
    return error ? error : EIO;
  }
  return 0;
}

// A new temporary file beside the file it is to become, open for writing.
//
// Where the file system has them, the file is written without a name and
// gets one only once it is complete: a program killed while writing leaves
// nothing behind. Elsewhere it is written under its temporary name.
struct TTemporary {
  TDescriptor Fd{-1};
  // The name it has; empty while it has none.
  QString Name;
};

// Opens a temporary file beside `near`. `original` is the file being
// replaced, whose owner and permissions the new file takes. Nothing is left
// behind on failure.
TTemporary OpenTemporary(const QString& near, const std::optional<struct stat>& original)
{
  // A new file gets the usual permissions less the user's umask; a
  // replacement starts private and takes the original's below.
  const mode_t mode = original ? 0600 : 0666;
  TTemporary file;
  int raw = OpenFile(Native(QFileInfo(near).absolutePath()), O_WRONLY | O_TMPFILE, mode);
  if (raw < 0) {
    file.Name = WithUniqueName(near, [&](const QByteArray& path) {
      raw = OpenFile(path, O_WRONLY | O_CREAT | O_EXCL, mode);
      return raw >= 0 ? 0 : errno;
    });
  }
  file.Fd = TDescriptor(raw);
  if (original) {
    // Best effort: only root may give a file away, and a file that keeps a
    // different owner still has the original's permission bits.
    if (original->st_uid != ::geteuid() || original->st_gid != ::getegid()) {
      [[maybe_unused]] const int ignored = ::fchown(file.Fd.Get(), original->st_uid, original->st_gid);
    }
    if (::fchmod(file.Fd.Get(), original->st_mode & 07777) != 0) {
      const int error = errno;
      if (!file.Name.isEmpty())
        ::unlink(Native(file.Name).constData());
      Fail(near, error);
    }
  }
  return file;
}

// Closes the temporary file and removes it if it has a name.
void DiscardTemporary(TTemporary& file)
{
  if (file.Fd.Get() >= 0)
    (void)file.Fd.Close();
  if (!file.Name.isEmpty())
    ::unlink(Native(file.Name).constData());
  file.Name.clear();
}

// Syncs the temporary file to the disk, names it and closes it; returns its
// name. `error` is a failure of writing it: it is discarded then, or on any
// later failure, and the error thrown.
QString FinishTemporary(TTemporary& file, const QString& near, int error = 0)
{
  if (!error && ::fsync(file.Fd.Get()) != 0)
    error = errno;
  if (!error && file.Name.isEmpty())
    error = NameUnnamedFile(file.Fd.Get(), near, file.Name);
  if (const int closeError = file.Fd.Close(); !error)
    error = closeError;
  if (error) {
    DiscardTemporary(file);
    Fail(near, error);
  }
  return file.Name;
}

// Writes `bytes` to a new temporary file beside `near`, synced to the disk
// (see OpenTemporary); returns its name.
QString WriteTemporary(const QString& near, const QByteArray& bytes, const std::optional<struct stat>& original)
{
  TTemporary file = OpenTemporary(near, original);
  return FinishTemporary(file, near, WriteAll(file.Fd.Get(), bytes));
}

// Makes the directory entries of a rename durable; a file system that cannot
// sync a directory still has the data itself on disk.
void SyncDirectory(const QString& file)
{
  const int fd = OpenFile(Native(QFileInfo(file).absolutePath()), O_RDONLY | O_DIRECTORY);
  if (fd >= 0) {
    (void)::fsync(fd);
    ::close(fd);
  }
}

// A copy of `target` under a temporary name beside `backup`: a second link to
// the same file where the file system has them, else a synced copy.
QString PrepareBackup(const QString& target, const QString& backup, const struct stat& st)
{
  try {
    return WithUniqueName(backup, [&](const QByteArray& path) {
      return ::link(Native(target).constData(), path.constData()) == 0 ? 0 : errno;
    });
  } catch (const TFileAccessError&) {
    return WriteTemporary(backup, ReadRegularFile(target), st);
  }
}

}  // namespace

bool FileExists(const QString& fileName)
{
  struct stat st;
  return ::stat(Native(fileName).constData(), &st) == 0;
}

bool IsSameFile(const QString& a, const QString& b)
{
  struct stat first;
  struct stat second;
  return ::stat(Native(a).constData(), &first) == 0 && ::stat(Native(b).constData(), &second) == 0 &&
         first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

namespace {

// Opens a regular file for reading; `st` gets its status.
TDescriptor OpenRegularFile(const QString& fileName, struct stat& st)
{
  const QByteArray path = Native(fileName);
  // Looked at before opening: opening a device can have effects of its own.
  if (::stat(path.constData(), &st) != 0)
    Fail(fileName, errno);
  if (!S_ISREG(st.st_mode))
    FailNotRegular(fileName, st);
  // Not blocking, so that a file swapped for a FIFO meanwhile cannot hang
  // the open; the check below refuses it.
  TDescriptor fd(OpenFile(path, O_RDONLY | O_NONBLOCK | O_NOCTTY));
  if (fd.Get() < 0)
    Fail(fileName, errno);
  if (::fstat(fd.Get(), &st) != 0)
    Fail(fileName, errno);
  if (!S_ISREG(st.st_mode))
    FailNotRegular(fileName, st);
  return fd;
}

[[noreturn]] void FailTooLarge(const QString& fileName, qint64 limit)
{
  throw TFileAccessError(fileName,
                         QStringLiteral("The file is larger than %1").arg(QLocale::c().formattedDataSize(limit, 0)));
}

}  // namespace

TFileReader::TFileReader(const QString& fileName, qint64 limit) : FFileName(fileName), FLimit(limit)
{
  struct stat st;
  TDescriptor fd = OpenRegularFile(fileName, st);
  if (st.st_size > limit)
    FailTooLarge(fileName, limit);
  FSize = st.st_size;
  FFd = fd.Release();
}

TFileReader::~TFileReader()
{
  if (FFd >= 0)
    ::close(FFd);
}

qsizetype TFileReader::ReadAt(qint64 offset, char* into, qsizetype count)
{
  qsizetype done = 0;
  while (done < count) {
    const ssize_t n = ::pread(FFd, into + done, size_t(count - done), off_t(offset + done));
    if (n < 0) {
      if (errno == EINTR)
        continue;
      Fail(FFileName, errno);
    }
    if (n == 0)
      break;
    done += n;
  }
  if (offset + done > FLimit)
    FailTooLarge(FFileName, FLimit);
  return done;
}

QByteArray ReadRegularFilePart(const QString& fileName, qint64 offset, qint64 count)
{
  TFileReader file(fileName, std::numeric_limits<qint64>::max());
  const qint64 available = qMax<qint64>(0, file.Size() - qMax<qint64>(0, offset));
  QByteArray bytes(static_cast<qsizetype>(qBound<qint64>(0, count, available)), '\0');
  bytes.truncate(file.ReadAt(offset, bytes.data(), bytes.size()));  // the file may have shrunk meanwhile
  return bytes;
}

QByteArray ReadRegularFile(const QString& fileName, qint64 limit)
{
  struct stat st;
  TDescriptor fd = OpenRegularFile(fileName, st);
  if (st.st_size > limit)
    FailTooLarge(fileName, limit);

  QByteArray bytes;
  bytes.reserve(static_cast<qsizetype>(st.st_size));
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd.Get(), buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR)
        continue;
      Fail(fileName, errno);
    }
    if (n == 0)
      break;
    // The file may grow while it is read.
    if (bytes.size() + n > limit)
      FailTooLarge(fileName, limit);
    bytes.append(buffer, n);
  }
  return bytes;
}

namespace {

// The file a write replaces: `target` is where the new file goes (through a
// symbolic link, the file it points to), `original` that file's status when
// it exists. A target that is not a regular file is refused.
void PrepareReplacement(const QString& fileName, QString& target, std::optional<struct stat>& original)
{
  target = fileName;
  struct stat st;
  if (::stat(Native(fileName).constData(), &st) == 0) {
    if (!S_ISREG(st.st_mode))
      FailNotRegular(fileName, st);
    original = st;
    const QFileInfo info(fileName);
    if (info.isSymLink())
      target = info.canonicalFilePath();
  } else if (errno != ENOENT) {
    Fail(fileName, errno);
  }
}

// Gives the complete temporary file the target's name, the previous file
// becoming the backup first when asked; the temporary file is removed on
// failure.
void Replace(const QString& fileName, const QString& target, const QString& temporary,
             const std::optional<struct stat>& original, const QString& backupName)
{
  const auto discard = [](const QString& name) { ::unlink(Native(name).constData()); };

  // The previous file becomes the backup only when there is one, and unless
  // the backup name is the file itself (or another link to it).
  if (original && !backupName.isEmpty()) {
    struct stat backupStat;
    const bool sameFile = QFileInfo(backupName).absoluteFilePath() == QFileInfo(target).absoluteFilePath() ||
                          (::stat(Native(backupName).constData(), &backupStat) == 0 &&
                           backupStat.st_dev == original->st_dev && backupStat.st_ino == original->st_ino);
    if (!sameFile) {
      QString copy;
      try {
        copy = PrepareBackup(target, backupName, *original);
      } catch (const TFileAccessError& e) {
        discard(temporary);
        throw TFileAccessError(fileName, QString::fromStdString(e.what()));
      }
      if (::rename(Native(copy).constData(), Native(backupName).constData()) != 0) {
        const int error = errno;
        discard(copy);
        discard(temporary);
        Fail(backupName, error);
      }
    }
  }

  if (::rename(Native(temporary).constData(), Native(target).constData()) != 0) {
    const int error = errno;
    discard(temporary);
    Fail(fileName, error);
  }
  SyncDirectory(target);
}

}  // namespace

void WriteFileSafely(const QString& fileName, const QByteArray& bytes, const QString& backupName)
{
  QString target;
  std::optional<struct stat> original;
  PrepareReplacement(fileName, target, original);
  Replace(fileName, target, WriteTemporary(target, bytes, original), original, backupName);
}

struct TSafeFileWriter::TState {
  QString FileName;
  QString Target;
  std::optional<struct stat> Original;
  TTemporary File;
  QByteArray Buffer;
  bool Done = false;
};

TSafeFileWriter::TSafeFileWriter(const QString& fileName) : F(std::make_unique<TState>())
{
  F->FileName = fileName;
  PrepareReplacement(fileName, F->Target, F->Original);
  F->File = OpenTemporary(F->Target, F->Original);
  F->Buffer.reserve(kFilePartSize);
}

TSafeFileWriter::~TSafeFileWriter()
{
  if (!F->Done)
    DiscardTemporary(F->File);
}

void TSafeFileWriter::Write(QByteArrayView bytes)
{
  if (F->Done)
    throw std::logic_error("TSafeFileWriter::Write after the file was finished");
  if (F->Buffer.size() + bytes.size() <= kFilePartSize) {
    F->Buffer.append(bytes);
    return;
  }
  Flush();
  if (bytes.size() >= kFilePartSize) {
    if (const int error = WriteAll(F->File.Fd.Get(), bytes)) {
      F->Done = true;
      DiscardTemporary(F->File);
      Fail(F->FileName, error);
    }
  } else {
    F->Buffer.append(bytes);
  }
}

void TSafeFileWriter::Flush()
{
  const int error = WriteAll(F->File.Fd.Get(), F->Buffer);
  F->Buffer.clear();
  if (error) {
    F->Done = true;
    DiscardTemporary(F->File);
    Fail(F->FileName, error);
  }
}

void TSafeFileWriter::Commit(const QString& backupName)
{
  if (F->Done)
    throw std::logic_error("TSafeFileWriter::Commit after the file was finished");
  const int error = WriteAll(F->File.Fd.Get(), F->Buffer);
  F->Buffer.clear();
  F->Done = true;
  Replace(F->FileName, F->Target, FinishTemporary(F->File, F->Target, error), F->Original, backupName);
}

void IgnoreFileSizeSignal()
{
  std::signal(SIGXFSZ, SIG_IGN);
}

}  // namespace veska
