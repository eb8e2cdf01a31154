#pragma once

#include <QByteArray>
#include <QHash>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace veltrano {
class OptionSet;
class Random;
} // namespace veltrano

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

// Applies one "field=value" line of a case to a job: check boxes and texts by their field names,
// modern=1, random=STATE (the generator's start). Blank and "#" lines change nothing; false for
// an unknown field.
bool applyOption(QByteArrayView line, OptionSet& options, Random& random);

// A case file: each case begins with a line "case NAME" and holds the lines up to the next one.
// Adds one test row per case, named NAME, with its non-empty lines as a QStringList.
void addCaseRows(const QString& text);
// The lines of a case by their first word, each with the rest of its line.
QHash<QString, QStringList> directives(const QStringList& lines);

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
