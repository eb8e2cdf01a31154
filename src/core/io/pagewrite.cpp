#include "pagewrite.h"

#include "host.h"
#include "text/pagesource.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <shared_mutex>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>
#include <vector>

namespace veltrano {

namespace {

FileError errorOf(int code) {
    return FileError{code, QString::fromLocal8Bit(std::strerror(code))};
}

std::atomic<mode_t> creationMask{022};

constexpr QByteArrayView kTempMark = ".veltrano-";
constexpr qsizetype kTempNameKept = 200;

// The new files of this process that are not in place yet. Threads make new files and rename
// them into place side by side under the shared hold of `making`; the exit path takes it whole,
// and the list's lock for good, so no new file escapes the clean-up and none is put in place
// after it.
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

void setCreationMask(mode_t mask) {
    creationMask = mask & 0777;
}

mode_t readUmask() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

NewFile::~NewFile() {
    discard();
}

std::optional<FileError> NewFile::create(const QString& path, bool sync) {
    discard();
    sync_ = sync;
    closed_ = false;
    // One look at the target: whether it is a link to resolve, and the mode the new file takes.
    target_ = QFile::encodeName(path);
    struct stat old {};
    bool exists = !target_.isEmpty() && ::lstat(target_.constData(), &old) == 0;
    if (exists && S_ISLNK(old.st_mode)) {
        const QString resolved = QFileInfo(path).canonicalFilePath();
        if (!resolved.isEmpty())
            target_ = QFile::encodeName(resolved);
        exists = ::stat(target_.constData(), &old) == 0;
    }
    mode_ = exists ? (old.st_mode & 07777) : (0666 & ~creationMask);
    const auto failed = [](int code) {
        FileError error = errorOf(code);
        error.creating = true;
        return error;
    };
    if (target_.isEmpty())
        return failed(ENOENT);
    if (target_.endsWith('/'))
        return failed(EISDIR);
    TemporaryFiles& files = temporaryFiles();
    const std::shared_lock<std::shared_mutex> making(files.making);
    // A run removing leftovers in the same folder may take a new file in the moment between
    // its creation and its lock; the name then no longer holds it, and another one is made.
    for (int attempt = 0; attempt < 8; ++attempt) {
        temp_ = tempTemplate(target_);
        fd_ = ::mkostemp(temp_.data(), O_CLOEXEC);
        if (fd_ < 0) {
            temp_.clear();
            return failed(errno);
        }
        int locked;
        do {
            locked = ::flock(fd_, LOCK_EX);
        } while (locked != 0 && errno == EINTR);
        if (locked == 0 && stillNamed(fd_)) {
            files.add(temp_);
            return std::nullopt;
        }
        ::close(fd_);
        fd_ = -1;
    }
    temp_.clear();
    return failed(EAGAIN);
}

void reserveForWrite(int fd, qint64 offset, qint64 length) {
    // Below this a reservation costs more than it saves (measured with new files on ext4).
    constexpr qint64 kWorthIt = 128 << 10;
    constexpr decltype(statfs::f_type) kExt4 = 0xEF53;
    struct statfs fs;
    if (length < kWorthIt || ::fstatfs(fd, &fs) != 0 || fs.f_type != kExt4)
        return;
    if (offset < 0 && (offset = ::lseek(fd, 0, SEEK_CUR)) < 0)
        return;
    // The file keeps its size: what the write does not fill is given back with the file.
    ::fallocate(fd, FALLOC_FL_KEEP_SIZE, offset, length);
}

std::optional<FileError> writeAll(int fd, QByteArrayView bytes, qint64 offset) {
    reserveForWrite(fd, offset, bytes.size());
    const char* p = bytes.data();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, static_cast<size_t>(qMin<qsizetype>(left, 1 << 30)));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return errorOf(n < 0 ? errno : EIO);
        p += n;
        left -= n;
    }
    return std::nullopt;
}

std::optional<FileError> NewFile::write(QByteArrayView bytes) {
    if (fd_ < 0 || closed_)
        return errorOf(EBADF);
    return writeAll(fd_, bytes);
}

std::optional<FileError> NewFile::close() {
    if (fd_ < 0 || closed_)
        return errorOf(EBADF);
    if (::fchmod(fd_, mode_) != 0)
        return errorOf(errno);
    if (sync_ && ::fsync(fd_) != 0)
        return errorOf(errno);
    closed_ = true;
    return std::nullopt;
}

std::optional<FileError> NewFile::putInPlace() {
    if (temp_.isEmpty() || fd_ < 0 || !closed_)
        return errorOf(EBADF);
    {
        TemporaryFiles& files = temporaryFiles();
        const std::shared_lock<std::shared_mutex> making(files.making);
        if (::rename(temp_.constData(), target_.constData()) != 0)
            return errorOf(errno);
        const std::lock_guard<std::mutex> guard(files.lock);
        files.remove(temp_);
    }
    temp_.clear();
    // The lock goes with the descriptor, once the file carries its final name.
    ::close(fd_);
    fd_ = -1;
    if (sync_ && !syncFolder(folderOf(target_)))
        return errorOf(errno);
    return std::nullopt;
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

std::optional<FileError> replaceFile(const QString& path, QByteArrayView bytes, bool sync) {
    NewFile file;
    if (auto error = file.create(path, sync))
        return error;
    if (auto error = file.write(bytes))
        return error;
    if (auto error = file.close())
        return error;
    return file.putInPlace();
}

namespace {
FileError backupFailed(const QString& backup, const QString& source, const FileError& reason) {
    return FileError{reason.code, QStringLiteral("Die Sicherungskopie %1 konnte nicht geschrieben "
                                                 "werden (%2); die Datei %3 bleibt unverändert.")
                                      .arg(backup, reason.description, source)};
}
} // namespace

std::optional<FileError> prepareBackup(const QString& source, ByteBuffer& fileScratch,
                                       ByteBuffer& text, Host& host, bool sync,
                                       const QString& backup, NewFile& file, bool exact) {
    if (auto unread = readWholeFile(source, fileScratch))
        return backupFailed(backup, source, *unread);
    if (!exact)
        splitPageLines(fileScratch.view(), 0, text, host);
    auto error = file.create(backup, sync);
    if (!error)
        error = file.write(exact ? fileScratch.view() : text.view());
    if (!error)
        error = file.close();
    if (error)
        return backupFailed(backup, source, *error);
    return std::nullopt;
}

std::optional<FileError> putBackupInPlace(const QString& source, const QString& backup,
                                          NewFile& file) {
    if (auto error = file.putInPlace())
        return backupFailed(backup, source, *error);
    return std::nullopt;
}

std::optional<FileError> BackupSource(const QString& source, ByteBuffer& fileScratch,
                                      ByteBuffer& text, Host& host, bool sync,
                                      const QString& backup, bool exact) {
    NewFile file;
    if (auto error = prepareBackup(source, fileScratch, text, host, sync, backup, file, exact))
        return error;
    return putBackupInPlace(source, backup, file);
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

int removeLeftovers(const QString& folder) {
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

void removeTemporaryFilesAndExit(int exitCode) {
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

qint64 fileSize(const QString& path) {
    struct stat st {};
    return statOf(path, &st) ? static_cast<qint64>(st.st_size) : -1;
}

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
