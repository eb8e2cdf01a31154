#include "pagewrite.h"

#include "encoding/pagesource.h"
#include "host.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace veltrano {

namespace {

FileError errorOf(int code) {
    return FileError{code, QString::fromLocal8Bit(std::strerror(code))};
}

mode_t processUmask() {
    static const mode_t mask = [] {
        const mode_t m = ::umask(0);
        ::umask(m);
        return m;
    }();
    return mask;
}

// The name of the new file beside the target; kept short enough for any file name limit.
QByteArray tempTemplate(const QByteArray& target) {
    const qsizetype slash = target.lastIndexOf('/');
    const QByteArray folder = target.left(slash + 1);
    const QByteArray name = target.mid(slash + 1).left(200);
    return folder + '.' + name + ".XXXXXX";
}

bool writeAll(int fd, QByteArrayView bytes, int* error) {
    const char* p = bytes.data();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, static_cast<size_t>(qMin<qsizetype>(left, 1 << 30)));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            *error = errno;
            return false;
        }
        p += n;
        left -= n;
    }
    return true;
}

} // namespace

NewFile::~NewFile() { discard(); }

bool NewFile::create(const QString& path) {
    discard();
    QString targetPath = path;
    if (!path.isEmpty()) {
        const QFileInfo info(path);
        if (info.isSymLink()) {
            const QString resolved = info.canonicalFilePath();
            if (!resolved.isEmpty())
                targetPath = resolved;
        }
    }
    target_ = QFile::encodeName(targetPath);
    if (target_.isEmpty()) {
        error_ = errorOf(ENOENT);
    } else if (target_.endsWith('/')) {
        error_ = errorOf(EISDIR);
    } else {
        temp_ = tempTemplate(target_);
        fd_ = ::mkostemp(temp_.data(), O_CLOEXEC);
        if (fd_ < 0) {
            error_ = errorOf(errno);
            temp_.clear();
        }
    }
    return fd_ >= 0;
}

bool NewFile::write(QByteArrayView bytes) {
    int error = EBADF;
    if (fd_ >= 0 && writeAll(fd_, bytes, &error))
        return true;
    error_ = errorOf(error);
    return false;
}

bool NewFile::close() {
    if (fd_ < 0) {
        error_ = errorOf(EBADF);
        return false;
    }
    struct stat old {};
    const mode_t mode = ::stat(target_.constData(), &old) == 0 ? (old.st_mode & 07777)
                                                               : (0666 & ~processUmask());
    ::fchmod(fd_, mode);
    const int result = ::close(fd_);
    fd_ = -1;
    if (result != 0) {
        error_ = errorOf(errno);
        return false;
    }
    return true;
}

bool NewFile::putInPlace() {
    if (temp_.isEmpty() || fd_ >= 0 || ::rename(temp_.constData(), target_.constData()) != 0) {
        error_ = errorOf(temp_.isEmpty() || fd_ >= 0 ? EBADF : errno);
        return false;
    }
    temp_.clear();
    return true;
}

void NewFile::discard() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    if (!temp_.isEmpty())
        ::unlink(temp_.constData());
    temp_.clear();
}

QString NewFile::tempPath() const { return QFile::decodeName(temp_); }

QList<FileError> ReplaceFile(const QString& path, QByteArrayView bytes) {
    QList<FileError> errors;
    NewFile file;
    const bool created = file.create(path);
    if (!created)
        errors.append(file.error());
    if (!file.write(bytes))
        errors.append(created ? file.error() : errorOf(EBADF));
    if (created && errors.isEmpty() && !(file.close() && file.putInPlace()))
        errors.append(file.error());
    return errors;
}

void BackupSource(const QString& source, ByteBuffer& fileScratch, ByteBuffer& text, Host& host,
                  const QString& backupPath) {
    if (!ReadWholeFile(source, fileScratch).isEmpty())
        return;
    SplitPageLines(fileScratch.view(), 0, text, host);
    ReplaceFile(backupPath.isEmpty() ? source + QStringLiteral(".bak") : backupPath, text.view());
}

namespace {
bool statOf(const QString& path, struct stat* st) {
    if (path.isEmpty())
        return false;
    return ::stat(QFile::encodeName(path).constData(), st) == 0;
}
} // namespace

bool sameFile(const QString& a, const QString& b) {
    struct stat sa {};
    struct stat sb {};
    if (!statOf(a, &sa) || !statOf(b, &sb))
        return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

QString fileKey(const QString& path) {
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

} // namespace veltrano
