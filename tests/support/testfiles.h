#pragma once

#include <QByteArray>
#include <QHash>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

class QObject;

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

// Applies a line "field=value" (check box or text by its field name, modern=1, random=STATE of
// the generator) to a job; blank and "#" lines change nothing. False for an unknown field.
bool applyOption(QByteArrayView line, OptionSet& options, Random* random = nullptr);

// Runs a test object. With --update among the arguments `updating` is set for it to rewrite the
// expectations that differ, and the run fails whatever happens, so it is never taken for a pass.
inline bool updating = false;
int runCases(QObject& cases, int argc, char** argv);

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
