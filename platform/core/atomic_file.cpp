#include "platform/core/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
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

// A file beside the target that nobody else has: made with O_EXCL under a
// random name, so an old leftover or a planted link is never written through.
int CreateTemporary(const QByteArray& target, QByteArray& name) {
  static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  for (int attempt = 0; attempt < 100; ++attempt) {
    name = target + '.';
    for (int i = 0; i < 6; ++i) {
      name += kLetters[QRandomGenerator::global()->bounded(int(sizeof kLetters - 1))];
    }
    // 0666 less the umask: what any new file of the user gets.
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) {
      return fd;
    }
  }
  errno = EEXIST;
  return -1;
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
