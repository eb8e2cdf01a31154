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

QList<FileError> ReplaceFile(const QString& path, QByteArrayView bytes) {
    QList<FileError> errors;
    QString targetPath = path;
    if (!path.isEmpty()) {
        const QFileInfo info(path);
        if (info.isSymLink()) {
            const QString resolved = info.canonicalFilePath();
            if (!resolved.isEmpty())
                targetPath = resolved;
        }
    }
    const QByteArray target = QFile::encodeName(targetPath);

    // Create.
    int fd = -1;
    QByteArray temp;
    if (target.isEmpty()) {
        errors.append(errorOf(ENOENT));
    } else if (target.endsWith('/')) {
        errors.append(errorOf(EISDIR));
    } else {
        temp = tempTemplate(target);
        fd = ::mkostemp(temp.data(), O_CLOEXEC);
        if (fd < 0)
            errors.append(errorOf(errno));
    }

    // Write.
    bool failed = fd < 0;
    if (fd < 0) {
        errors.append(errorOf(EBADF));
    } else {
        int error = 0;
        if (!writeAll(fd, bytes, &error)) {
            errors.append(errorOf(error));
            failed = true;
        }
    }

    // Close, and put the new file in place of the old one.
    if (fd >= 0) {
        struct stat old {};
        const mode_t mode = ::stat(target.constData(), &old) == 0 ? (old.st_mode & 07777)
                                                                  : (0666 & ~processUmask());
        ::fchmod(fd, mode);
        if (::close(fd) != 0) {
            errors.append(errorOf(errno));
            failed = true;
        } else if (!failed && ::rename(temp.constData(), target.constData()) != 0) {
            errors.append(errorOf(errno));
            failed = true;
        }
        if (failed)
            ::unlink(temp.constData());
    }
    return errors;
}

void BackupSource(const QString& source, ByteBuffer& fileScratch, ByteBuffer& text, Host& host) {
    if (!ReadWholeFile(source, fileScratch).isEmpty())
        return;
    SplitPageLines(fileScratch.view(), 0, text, host);
    ReplaceFile(source + QStringLiteral(".bak"), text.view());
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
