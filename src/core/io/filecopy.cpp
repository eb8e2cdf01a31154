#include "filecopy.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace veltrano {

namespace {

FileError copyFailed(const QString& source, const QString& target, int code) {
    return FileError{code, QStringLiteral("Die Datei %1 konnte nicht nach %2 kopiert werden: %3")
                               .arg(source, target, QString::fromLocal8Bit(std::strerror(code)))};
}

// The kernel's copy; where it cannot copy between these two files (another file system on an
// old kernel, a special file system), plain reads and writes.
bool copyBytes(int from, int to, qint64 size, int* error) {
    qint64 left = size;
    bool kernel = true;
    while (left > 0 && kernel) {
        const ssize_t n = ::copy_file_range(from, nullptr, to, nullptr,
                                            static_cast<size_t>(qMin<qint64>(left, 1 << 30)), 0);
        if (n > 0) {
            left -= n;
            continue;
        }
        if (n == 0)
            break; // the source got shorter: what it holds now is copied
        if (errno == EINTR)
            continue;
        if (errno != EXDEV && errno != ENOSYS && errno != EINVAL && errno != EOPNOTSUPP) {
            *error = errno;
            return false;
        }
        kernel = false;
    }
    if (kernel)
        return true;
    char block[1 << 16];
    for (;;) {
        const ssize_t n = ::read(from, block, sizeof block);
        if (n == 0)
            return true;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            *error = errno;
            return false;
        }
        for (ssize_t done = 0; done < n;) {
            const ssize_t w = ::write(to, block + done, static_cast<size_t>(n - done));
            if (w < 0 && errno != EINTR) {
                *error = errno;
                return false;
            }
            done += w < 0 ? 0 : w;
        }
    }
}

} // namespace

std::optional<FileError> copyFileExact(const QString& source, const QString& target, bool sync) {
    if (sameFile(source, target))
        return copyFailed(source, target, EEXIST);
    const int from = ::open(QFile::encodeName(source).constData(), O_RDONLY | O_CLOEXEC);
    if (from < 0)
        return copyFailed(source, target, errno);
    struct stat info {};
    if (::fstat(from, &info) != 0 || !S_ISREG(info.st_mode)) {
        const int code = S_ISDIR(info.st_mode) ? EISDIR : errno;
        ::close(from);
        return copyFailed(source, target, code);
    }
    NewFile file;
    std::optional<FileError> failed = file.create(target, sync);
    int code = 0;
    if (!failed && !copyBytes(from, file.fd(), info.st_size, &code))
        failed = FileError{code, {}};
    if (!failed)
        failed = file.close();
    ::close(from);
    if (!failed) {
        // The source's permissions and times, set on the open copy before it takes its name.
        const timespec times[2] = {info.st_atim, info.st_mtim};
        if (::fchmod(file.fd(), info.st_mode & 07777) != 0 || ::futimens(file.fd(), times) != 0)
            failed = FileError{errno, {}};
        else
            failed = file.putInPlace();
    }
    if (!failed)
        return std::nullopt;
    return copyFailed(source, target, failed->code != 0 ? failed->code : EIO);
}

} // namespace veltrano
