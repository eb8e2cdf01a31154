#pragma once

#include "text/bytebuffer.h"

#include <QByteArrayView>
#include <QList>
#include <QString>

namespace veltrano {

class Host;

// One failing step of writing a file, as the platform reported it.
struct FileError {
    int code = 0;
    QString description;
};

// A new file written beside its target and then renamed over it, so whatever fails, or wherever
// the process is ended, the target is either the old file or the complete new one. A link is
// followed: the file it names is replaced. The new file is named ".NAME.veltrano-XXXXXX" and
// held locked (flock) from its creation until it is put in place or removed, so a run can tell
// the leftovers of an ended process from the files of a run still at work. While it exists it
// is on the list that the program's exit paths clear (RemoveTemporaryFilesAndExit).
class NewFile {
public:
    NewFile() = default;
    NewFile(const NewFile&) = delete;
    NewFile& operator=(const NewFile&) = delete;
    ~NewFile();

    // With sync set, close() flushes the file to disk and putInPlace() the folder after the
    // rename, so the new content survives a power cut once putInPlace() has returned.
    bool create(const QString& path, bool sync = false);
    bool write(QByteArrayView bytes);
    // The open new file, for writing a page while it is converted.
    int fd() const { return fd_; }
    // The content is complete: its mode is set (the target's, or the default for new files)
    // and, with sync, it is on disk. The file stays open and locked until put in place.
    bool close();
    bool putInPlace();
    void discard();

    QString tempPath() const;
    // The failure of the last step that failed.
    const FileError& error() const { return error_; }

private:
    QByteArray target_;
    QByteArray temp_;
    int fd_ = -1;
    bool closed_ = false;
    bool sync_ = false;
    FileError error_;
};

// Replaces the file at path by bytes. A new file is written completely in the same folder and
// then renamed over the old one, so whatever fails, or wherever the process is ended, the file
// at path is either the old one or the complete new one. A link is followed: the file it
// names is replaced. Returns the failures of the three steps (create, write, close and put in
// place), in that order; a step after a failed creation fails too. Empty on success.
QList<FileError> ReplaceFile(const QString& path, QByteArrayView bytes, bool sync = false);

// Writes the backup of a source to backupPath: the source's lines, each followed by CR LF, read
// from disk now, and with sync flushed to disk with its folder; with exact set, the source's
// bytes as they are, so the backup renamed back gives the original file. Returns the failure that
// kept the backup from being complete (reading the source, or a step of writing), its description
// naming the backup file; empty when the backup is complete. The buffers are kept by the caller for
// reuse; the host is only asked for page progress.
QList<FileError> BackupSource(const QString& source, ByteBuffer& fileScratch, ByteBuffer& text,
                              Host& host, bool sync, const QString& backupPath, bool exact = false);
// BackupSource in two steps: the backup complete in file, a new file beside backupPath, and
// later put in place; each returns its failure as BackupSource does.
QList<FileError> PrepareBackup(const QString& source, ByteBuffer& fileScratch, ByteBuffer& text,
                               Host& host, bool sync, const QString& backupPath, NewFile& file,
                               bool exact = false);
QList<FileError> PutBackupInPlace(const QString& source, const QString& backupPath, NewFile& file);

// Flushes a folder's entries (names created, renamed or removed in it) to disk.
bool SyncFolder(const QString& folder);

// True for a name this program gives its new files: ".NAME.veltrano-XXXXXX".
bool isTemporaryName(QByteArrayView name);

// Removes the files of ended runs in folder: names of new files that no process holds locked.
// Returns how many were removed.
int RemoveLeftovers(const QString& folder);

// Removes the new files of this process that are not in place yet, and ends the process at once
// with the exit code. For the exit paths: ending the window during a run, a signal to the batch
// tool. Threads that create or put new files in place wait, so no new one appears meanwhile.
[[noreturn]] void RemoveTemporaryFilesAndExit(int exitCode);

// True when both paths name the same existing file, whatever their spelling.
bool sameFile(const QString& a, const QString& b);

// A key that is equal for every spelling of the same file, and stays so when the file is
// replaced: its canonical path (the absolute path when it does not exist).
QString fileKey(const QString& path);

} // namespace veltrano
