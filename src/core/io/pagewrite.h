#pragma once

#include "text/bytebuffer.h"

#include <QByteArrayView>
#include <QString>

#include <optional>
#include <sys/types.h>

namespace veltrano {

class Host;

// One failing step of writing a file, as the platform reported it.
struct FileError {
    int code = 0;
    QString description;
    bool creating = false; // the file could not be made, so nothing could be written into it
};

// The umask the program started with, read by each program's main() before any thread starts:
// a new file that replaces no file gets the permissions 0666 less these bits (022 until set).
void setCreationMask(mode_t mask);
// Reads the process's umask; it changes the umask for an instant, so only main() calls it.
mode_t readUmask();

// A new file ".NAME.veltrano-XXXXXX" beside its target (the file a link names), locked while it
// exists and renamed over the target once complete: the target is the old file or the new one.
class NewFile {
public:
    NewFile() = default;
    NewFile(const NewFile&) = delete;
    NewFile& operator=(const NewFile&) = delete;
    ~NewFile();

    // With sync set, close() flushes the file to disk and putInPlace() the folder after the
    // rename, so the new content survives a power cut once putInPlace() has returned. Each step
    // returns its failure.
    std::optional<FileError> create(const QString& path, bool sync = false);
    std::optional<FileError> write(QByteArrayView bytes);
    // The open new file, for writing a page while it is converted.
    int fd() const { return fd_; }
    // The content is complete: its mode is set (the target's as create() found it, or the
    // default for new files) and, with sync, it is on disk. The file stays open and locked until
    // put in place.
    std::optional<FileError> close();
    std::optional<FileError> putInPlace();
    void discard();

    QString tempPath() const;

private:
    QByteArray target_;
    QByteArray temp_;
    int fd_ = -1;
    mode_t mode_ = 0; // the target's when it existed, else the default for new files
    bool closed_ = false;
    bool sync_ = false;
};

// Before length bytes are written at offset (-1: where the file stands) of a new file, the file
// system is asked for the whole range at once where that makes the write cheaper: ext4 otherwise
// reserves space block by block as the write goes, which costs a third of a large write. Small
// writes and other file systems go as they are; a refusal is no failure, the write itself tells.
void reserveForWrite(int fd, qint64 offset, qint64 length);

// Writes all bytes at offset, where the file stands (-1: not known), its range reserved first,
// going on after interrupted and partial writes; the failure, if one came.
std::optional<FileError> writeAll(int fd, QByteArrayView bytes, qint64 offset = -1);

// Replaces the file at path by bytes through a NewFile; returns the first step that failed.
std::optional<FileError> replaceFile(const QString& path, QByteArrayView bytes, bool sync = false);

// Writes the backup of a source to backupPath: the source's lines, each followed by CR LF, read
// from disk now, and with sync flushed to disk with its folder; with exact set, the source's
// bytes as they are, so the backup renamed back gives the original file. Returns the failure
// that kept the backup from being complete, its description naming the backup file. The
// buffers are kept by the caller for reuse; the host is only asked for page progress.
std::optional<FileError> BackupSource(const QString& source, ByteBuffer& fileScratch,
                                      ByteBuffer& text, Host& host, bool sync,
                                      const QString& backupPath, bool exact = false);
// BackupSource in two steps: the backup complete in file, a new file beside backupPath, and
// later put in place; each returns its failure as BackupSource does.
std::optional<FileError> prepareBackup(const QString& source, ByteBuffer& fileScratch,
                                       ByteBuffer& text, Host& host, bool sync,
                                       const QString& backupPath, NewFile& file,
                                       bool exact = false);
std::optional<FileError> putBackupInPlace(const QString& source, const QString& backupPath,
                                          NewFile& file);

// True for a name this program gives its new files: ".NAME.veltrano-XXXXXX".
bool isTemporaryName(QByteArrayView name);

// Removes the files of ended runs in folder: names of new files that no process holds locked.
// Returns how many were removed.
int removeLeftovers(const QString& folder);

// Removes the new files of this process that are not in place yet, and ends the process at once
// with the exit code. For the exit paths: ending the window during a run, a signal to the batch
// tool. Threads that create new files or put them in place wait from then on, so no new file
// appears and none is renamed meanwhile.
[[noreturn]] void removeTemporaryFilesAndExit(int exitCode);

// The size of the file a path names, links followed; -1 when there is none.
qint64 fileSize(const QString& path);

// True when both paths name the same existing file, whatever their spelling.
bool sameFile(const QString& a, const QString& b);

// A key that is equal for every spelling of the same file, and stays so when the file is
// replaced: its canonical path (the absolute path when it does not exist).
QString fileKey(const QString& path);

} // namespace veltrano
