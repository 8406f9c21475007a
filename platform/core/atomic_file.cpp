#include "platform/core/atomic_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/core/fmt.h"

namespace {

QString ReasonOf(int error) {
  return QString::fromLocal8Bit(std::strerror(error));
}

mode_t ModeOf(QFileDevice::Permissions p) {
  mode_t mode = 0;
  const struct {
    QFileDevice::Permissions Qt;
    mode_t Bit;
  } kBits[] = {
      {QFileDevice::ReadOwner | QFileDevice::ReadUser, S_IRUSR},
      {QFileDevice::WriteOwner | QFileDevice::WriteUser, S_IWUSR},
      {QFileDevice::ExeOwner | QFileDevice::ExeUser, S_IXUSR},
      {QFileDevice::ReadGroup, S_IRGRP},
      {QFileDevice::WriteGroup, S_IWGRP},
      {QFileDevice::ExeGroup, S_IXGRP},
      {QFileDevice::ReadOther, S_IROTH},
      {QFileDevice::WriteOther, S_IWOTH},
      {QFileDevice::ExeOther, S_IXOTH},
  };
  for (const auto& b : kBits) {
    if (p & b.Qt) {
      mode |= b.Bit;
    }
  }
  return mode;
}

// The temporary files of a write are named "<target's name>.tyazharnet-
// <six letters or digits>.tmp": nothing else the user keeps beside the data
// looks like that, and each names the file it was to replace.
const QByteArray kTemporaryInfix = ".tyazharnet-";
const QByteArray kTemporarySuffix = ".tmp";
constexpr int kTemporaryLetters = 6;

bool IsLetterOrDigit(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

// Whether a file name is one of our temporary files: of the target's name
// when one is given, of any file otherwise.
bool IsTemporaryName(QByteArrayView name, QByteArrayView target) {
  const qsizetype tail = kTemporaryInfix.size() + kTemporaryLetters + kTemporarySuffix.size();
  if (name.size() <= tail || !name.endsWith(kTemporarySuffix)) {
    return false;
  }
  const QByteArrayView stem = name.first(name.size() - tail);
  const QByteArrayView rest = name.sliced(stem.size());
  if (!rest.startsWith(kTemporaryInfix) || (!target.isEmpty() && stem != target)) {
    return false;
  }
  const QByteArrayView letters = rest.sliced(kTemporaryInfix.size(), kTemporaryLetters);
  return std::all_of(letters.begin(), letters.end(), IsLetterOrDigit);
}

// A write in progress holds a lock on its temporary file, so a leftover of a
// write that ended (a crash, a kill) is told from the file of a write that
// another process is making right now, which stays.
void RemoveIfLeftOver(const QByteArray& path) {
  const int fd = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    return;
  }
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0) {
    ::unlink(path.constData());
  }
  ::close(fd);
}

// Our temporary files in a folder: of the target's name, or all of them.
void RemoveTemporaryFiles(const QByteArray& folder, QByteArrayView target) {
  DIR* dir = ::opendir(folder.constData());
  if (dir == nullptr) {
    return;
  }
  while (const dirent* entry = ::readdir(dir)) {
    const QByteArrayView name(entry->d_name);
    if (IsTemporaryName(name, target)) {
      RemoveIfLeftOver(folder + '/' + name.toByteArray());
    }
  }
  ::closedir(dir);
}

// A file beside the target that nobody else has: made with O_EXCL under a
// random name, so an old leftover or a planted link is never written through.
// It is locked for as long as it is open (see RemoveIfLeftOver).
int CreateTemporary(const QByteArray& target, QByteArray& name) {
  static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  for (int attempt = 0; attempt < 100; ++attempt) {
    name = target + kTemporaryInfix;
    for (int i = 0; i < kTemporaryLetters; ++i) {
      name += kLetters[QRandomGenerator::global()->bounded(int(sizeof kLetters - 1))];
    }
    name += kTemporarySuffix;
    // 0666 less the umask: what any new file of the user gets.
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      ::flock(fd, LOCK_EX | LOCK_NB);
      return fd;
    }
    if (errno != EEXIST) {
      return fd;
    }
  }
  errno = EEXIST;
  return -1;
}

// A file the user may not write: the system says so, or (for root, whom the
// system lets write anything) the file has no write permission at all.
bool ReadOnly(const QByteArray& path, const struct stat& st, int& error) {
  // A program that is running says ETXTBSY: the rename still replaces it.
  if (::access(path.constData(), W_OK) != 0 && (errno == EACCES || errno == EROFS || errno == EPERM)) {
    error = errno;
    return true;
  }
  if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
    error = EACCES;
    return true;
  }
  return false;
}

bool WriteAll(int fd, const char* data, qsizetype size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size_t(size));
    if (n < 0) {
      if (errno == EINTR) {
        continue;
      }
      return false;
    }
    data += n;
    size -= n;
  }
  return true;
}

}  // namespace

bool WriteFileAtomically(const QString& path, const QByteArray& data, QString* error,
                         std::optional<QFileDevice::Permissions> permissions) {
  const auto fail = [error](int code) {
    if (error) {
      *error = ReasonOf(code);
    }
    return false;
  };
  // A link stays a link: the file it points to is the one replaced.
  const QFileInfo info(path);
  const QString targetPath =
      !info.isSymLink() ? path : (info.exists() ? info.canonicalFilePath() : info.symLinkTarget());
  const QByteArray target = QFile::encodeName(targetPath);
  const QByteArray folder = QFile::encodeName(QFileInfo(targetPath).absolutePath());

  struct stat old {};
  const bool replacing = ::stat(target.constData(), &old) == 0;
  if (replacing && S_ISDIR(old.st_mode)) {
    return fail(EISDIR);
  }
  // A rename needs only the folder's permission: without this, a read-only
  // file would be replaced all the same.
  if (int code = 0; replacing && ReadOnly(target, old, code)) {
    return fail(code);
  }
  RemoveTemporaryFiles(folder, QByteArrayView(target).sliced(target.lastIndexOf('/') + 1));

  QByteArray temporary;
  const int fd = CreateTemporary(target, temporary);
  if (fd < 0) {
    return fail(errno);
  }
  const auto abandon = [&](int code) {
    ::close(fd);
    ::unlink(temporary.constData());
    return fail(code);
  };
  // Set before the file has its name, so it never shows without them.
  if (permissions || replacing) {
    const mode_t mode = permissions ? ModeOf(*permissions) : (old.st_mode & 07777);
    if (::fchmod(fd, mode) != 0) {
      return abandon(errno);
    }
  }
  // Every byte on the disk before the name moves: a full disk or a size
  // limit shows here, not after the old file is gone.
  if (!WriteAll(fd, data.constData(), data.size())) {
    return abandon(errno);
  }
  if (::fsync(fd) != 0) {
    return abandon(errno);
  }
  if (::close(fd) != 0 && errno != EINTR) {
    const int code = errno;
    ::unlink(temporary.constData());
    return fail(code);
  }
  if (::rename(temporary.constData(), target.constData()) != 0) {
    const int code = errno;
    ::unlink(temporary.constData());
    return fail(code);
  }
  // The rename itself lives in the folder: without this, a crash soon after
  // may bring back the old name.
  const int dir = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir < 0) {
    return fail(errno);
  }
  // Some file systems cannot sync a folder; they keep no such state to lose.
  const bool synced = ::fsync(dir) == 0 || errno == EINVAL || errno == ENOTSUP;
  const int code = errno;
  ::close(dir);
  return synced || fail(code);
}

QString CannotCreateFileMessage(const QString& path, const QString& reason) {
  return Fmt(QStringLiteral("Cannot create file \"%s\". %s"), {path, reason});
}

void RemoveLeftoverTemporaryFiles(const QString& folder) {
  QByteArray path = QFile::encodeName(folder);
  while (path.size() > 1 && path.endsWith('/')) {
    path.chop(1);
  }
  RemoveTemporaryFiles(path, QByteArrayView());
}
