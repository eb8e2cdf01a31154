#include "pagewrite.h"

#include "host.h"
#include "text/pagesource.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <shared_mutex>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

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

constexpr QByteArrayView kTempMark = ".veltrano-";
constexpr qsizetype kTempNameKept = 200;

// The new files of this process that are not in place yet. Threads make new files side by side
// under the shared hold of `making`; the exit path takes it whole, and the list's lock for good,
// so no new file escapes the clean-up.
struct TemporaryFiles {
    std::shared_mutex making;
    std::mutex lock;
    std::vector<QByteArray> paths;

    void add(const QByteArray& path) {
        const std::lock_guard<std::mutex> guard(lock);
        paths.push_back(path);
    }
    void remove(const QByteArray& path) {
        const auto it = std::find(paths.begin(), paths.end(), path);
        if (it != paths.end())
            paths.erase(it);
    }
};

TemporaryFiles& temporaryFiles() {
    static TemporaryFiles* files = new TemporaryFiles; // never destroyed: exit paths use it
    return *files;
}

// The name of the new file beside the target: ".NAME.veltrano-XXXXXX", the name cut (at a
// character boundary) so that the whole stays within any file name limit.
QByteArray tempTemplate(const QByteArray& target) {
    const qsizetype slash = target.lastIndexOf('/');
    const QByteArray folder = target.left(slash + 1);
    QByteArray name = target.mid(slash + 1);
    if (name.size() > kTempNameKept) {
        qsizetype cut = kTempNameKept;
        while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80)
            --cut;
        name.truncate(cut);
    }
    return folder + '.' + name + kTempMark.toByteArray() + "XXXXXX";
}

QByteArray folderOf(const QByteArray& path) {
    const qsizetype slash = path.lastIndexOf('/');
    return slash < 0 ? QByteArray(".") : path.left(slash + 1);
}

bool syncFolder(const QByteArray& folder) {
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0;
    const int error = errno;
    ::close(fd);
    errno = error;
    return synced;
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

// The new file, locked, still has its name: a sweep of another run that took it between its
// creation and its lock has unlinked it.
bool stillNamed(int fd) {
    struct stat st {};
    return ::fstat(fd, &st) == 0 && st.st_nlink > 0;
}

bool sameInode(int fd, int dirFd, const char* name) {
    struct stat open {};
    struct stat named {};
    return ::fstat(fd, &open) == 0 && ::fstatat(dirFd, name, &named, AT_SYMLINK_NOFOLLOW) == 0 &&
           open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}

} // namespace

NewFile::~NewFile() {
    discard();
}

bool NewFile::create(const QString& path, bool sync) {
    discard();
    sync_ = sync;
    closed_ = false;
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
        return false;
    }
    if (target_.endsWith('/')) {
        error_ = errorOf(EISDIR);
        return false;
    }
    TemporaryFiles& files = temporaryFiles();
    const std::shared_lock<std::shared_mutex> making(files.making);
    // A run removing leftovers in the same folder may take a new file in the moment between
    // its creation and its lock; the name then no longer holds it, and another one is made.
    for (int attempt = 0; attempt < 8; ++attempt) {
        temp_ = tempTemplate(target_);
        fd_ = ::mkostemp(temp_.data(), O_CLOEXEC);
        if (fd_ < 0) {
            error_ = errorOf(errno);
            temp_.clear();
            return false;
        }
        int locked;
        do {
            locked = ::flock(fd_, LOCK_EX);
        } while (locked != 0 && errno == EINTR);
        if (locked == 0 && stillNamed(fd_)) {
            files.add(temp_);
            return true;
        }
        ::close(fd_);
        fd_ = -1;
    }
    temp_.clear();
    error_ = errorOf(EAGAIN);
    return false;
}

bool NewFile::write(QByteArrayView bytes) {
    int error = EBADF;
    if (fd_ >= 0 && !closed_ && writeAll(fd_, bytes, &error))
        return true;
    error_ = errorOf(error);
    return false;
}

bool NewFile::close() {
    if (fd_ < 0 || closed_) {
        error_ = errorOf(EBADF);
        return false;
    }
    struct stat old {};
    const mode_t mode =
        ::stat(target_.constData(), &old) == 0 ? (old.st_mode & 07777) : (0666 & ~processUmask());
    ::fchmod(fd_, mode);
    if (sync_ && ::fsync(fd_) != 0) {
        error_ = errorOf(errno);
        return false;
    }
    closed_ = true;
    return true;
}

bool NewFile::putInPlace() {
    if (temp_.isEmpty() || fd_ < 0 || !closed_) {
        error_ = errorOf(EBADF);
        return false;
    }
    if (::rename(temp_.constData(), target_.constData()) != 0) {
        error_ = errorOf(errno);
        return false;
    }
    {
        TemporaryFiles& files = temporaryFiles();
        const std::lock_guard<std::mutex> guard(files.lock);
        files.remove(temp_);
    }
    temp_.clear();
    // The lock goes with the descriptor, once the file carries its final name.
    ::close(fd_);
    fd_ = -1;
    if (sync_ && !syncFolder(folderOf(target_))) {
        error_ = errorOf(errno);
        return false;
    }
    return true;
}

void NewFile::discard() {
    if (!temp_.isEmpty()) {
        TemporaryFiles& files = temporaryFiles();
        const std::lock_guard<std::mutex> guard(files.lock);
        ::unlink(temp_.constData());
        files.remove(temp_);
    }
    temp_.clear();
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    closed_ = false;
}

QString NewFile::tempPath() const {
    return QFile::decodeName(temp_);
}

QList<FileError> ReplaceFile(const QString& path, QByteArrayView bytes, bool sync) {
    QList<FileError> errors;
    NewFile file;
    const bool created = file.create(path, sync);
    if (!created)
        errors.append(file.error());
    if (!file.write(bytes))
        errors.append(created ? file.error() : errorOf(EBADF));
    if (created && errors.isEmpty() && !(file.close() && file.putInPlace()))
        errors.append(file.error());
    return errors;
}

namespace {
QList<FileError> backupFailed(const QString& backup, const QString& source, int code,
                              const QString& reason) {
    return {FileError{code, QStringLiteral("Die Sicherungskopie %1 konnte nicht geschrieben "
                                           "werden (%2); die Datei %3 bleibt unverändert.")
                                .arg(backup, reason, source)}};
}
} // namespace

QList<FileError> PrepareBackup(const QString& source, ByteBuffer& fileScratch, ByteBuffer& text,
                               Host& host, bool sync, const QString& backup, NewFile& file,
                               bool exact) {
    const QString unread = ReadWholeFile(source, fileScratch);
    if (!unread.isEmpty())
        return backupFailed(backup, source, EIO, unread);
    if (!exact)
        SplitPageLines(fileScratch.view(), 0, text, host);
    const QByteArrayView bytes = exact ? fileScratch.view() : text.view();
    if (!file.create(backup, sync) || !file.write(bytes) || !file.close())
        return backupFailed(backup, source, file.error().code, file.error().description);
    return {};
}

QList<FileError> PutBackupInPlace(const QString& source, const QString& backup, NewFile& file) {
    if (file.putInPlace())
        return {};
    return backupFailed(backup, source, file.error().code, file.error().description);
}

QList<FileError> BackupSource(const QString& source, ByteBuffer& fileScratch, ByteBuffer& text,
                              Host& host, bool sync, const QString& backup, bool exact) {
    NewFile file;
    const QList<FileError> errors =
        PrepareBackup(source, fileScratch, text, host, sync, backup, file, exact);
    return errors.isEmpty() ? PutBackupInPlace(source, backup, file) : errors;
}

bool SyncFolder(const QString& folder) {
    return syncFolder(QFile::encodeName(folder));
}

bool isTemporaryName(QByteArrayView name) {
    constexpr qsizetype kTail = 10 + 6; // ".veltrano-XXXXXX"
    if (name.size() < 2 + kTail || name[0] != '.')
        return false;
    if (name.sliced(name.size() - kTail, 10) != kTempMark)
        return false;
    for (const char c : name.last(6)) {
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')))
            return false;
    }
    return true;
}

int RemoveLeftovers(const QString& folder) {
    const QByteArray native = folder.isEmpty() ? QByteArray(".") : QFile::encodeName(folder);
    DIR* dir = ::opendir(native.constData());
    if (!dir)
        return 0;
    const int dirFd = ::dirfd(dir);
    int removed = 0;
    while (const dirent* entry = ::readdir(dir)) {
        if (!isTemporaryName(QByteArrayView(entry->d_name)))
            continue;
        const int fd =
            ::openat(dirFd, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat st {};
        // A file that someone holds locked is still being written.
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
            sameInode(fd, dirFd, entry->d_name) && ::unlinkat(dirFd, entry->d_name, 0) == 0)
            ++removed;
        ::close(fd);
    }
    ::closedir(dir);
    return removed;
}

void RemoveTemporaryFilesAndExit(int exitCode) {
    TemporaryFiles& files = temporaryFiles();
    files.making.lock(); // kept: no thread makes or renames a new file from here on
    files.lock.lock();
    for (const QByteArray& path : files.paths)
        ::unlink(path.constData());
    std::_Exit(exitCode);
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
