#pragma once

#include "encoding/bytebuffer.h"

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
// followed: the file it names is replaced. The new file is removed unless it was put in place.
class NewFile {
public:
    NewFile() = default;
    NewFile(const NewFile&) = delete;
    NewFile& operator=(const NewFile&) = delete;
    ~NewFile();

    bool create(const QString& path);
    bool write(QByteArrayView bytes);
    // The open new file, for writing a page while it is converted.
    int fd() const { return fd_; }
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
    FileError error_;
};

// Replaces the file at path by bytes. A new file is written completely in the same folder and
// then renamed over the old one, so whatever fails, or wherever the process is ended, the file
// at path is either the old one or the complete new one. A link is followed: the file it
// names is replaced. Returns the failures of the three steps (create, write, close and put in
// place), in that order; a step after a failed creation fails too. Empty on success.
QList<FileError> ReplaceFile(const QString& path, QByteArrayView bytes);

// Writes source + ".bak" (or backupPath when given): the source's lines, each followed by
// CR LF, read from disk now. Failures are passed over silently. The buffers are kept by the
// caller for reuse.
void BackupSource(const QString& source, ByteBuffer& fileScratch, ByteBuffer& text, Host& host,
                  const QString& backupPath = QString());

// True when both paths name the same existing file, whatever their spelling.
bool sameFile(const QString& a, const QString& b);

// A key that is equal for every spelling of the same file, and stays so when the file is
// replaced: its canonical path (the absolute path when it does not exist).
QString fileKey(const QString& path);

} // namespace veltrano
