#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QTemporaryDir>

namespace veltrano::test {

// Writes bytes to a file, creating its folder; fails the test on error.
void writeFile(const QString& path, const QByteArray& bytes);
QByteArray readFile(const QString& path);
// How many files, hidden ones included, a folder holds.
qsizetype fileCount(const QString& folder);
// Every file below a folder, hidden ones included, by its path relative to the folder.
QMap<QString, QByteArray> tree(const QString& folder);
// Bytes from a text with \r \n \0 \xNN and \\ escapes; c{N} is the character c N times.
QByteArray expand(const QString& text);

// A temporary folder for a test class; reset() empties it before each test.
class TestFolder {
public:
    QString at(const QString& name) const { return dir_.filePath(name); }
    QString path() const { return dir_.path(); }
    void reset();

private:
    QTemporaryDir dir_;
};

} // namespace veltrano::test
