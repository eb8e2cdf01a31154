#pragma once

#include "options/optionset.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <initializer_list>

// Helpers for driving the batch tool as a user would, over files and file systems that fail.
namespace veltrano::test {

struct BatchResult {
    int exitCode = -1;
    bool crashed = false; // ended by a signal (a crash), or hung and was killed
    bool timedOut = false;
    QStringList messages; // standard error, one message per line
    QString messagesText() const { return messages.join(QLatin1Char('\n')); }
    bool hasMessage(const QString& start, const QString& part = QString()) const;
};

// What a run that got to its end says last, and what it says of a page that is not there.
inline const QString kDoneMessage =
    QStringLiteral("Abschluss: Das verschlüsseln der Dateien ist erfolgreich abgeschlossen!");
inline const QString kMissingMessage =
    QStringLiteral("Schwerwiegender Fehler: Datei konnte nicht gefunden werden: ");

// A temporary folder of a test, with fresh names in it for each case.
class Workspace {
public:
    bool isValid() const { return dir_.isValid(); }
    QString root() const { return dir_.path(); }
    QString path(const QString& name) const { return dir_.filePath(name); }
    // A name not used before in this workspace: stem1, stem2, ...
    QString fresh(const QString& stem) { return path(stem + QString::number(++serial_)); }
    // Writes a project under a fresh name; returns its path.
    QString project(const QString& stem, const OptionValues& values, const QStringList& pages);

private:
    QTemporaryDir dir_;
    int serial_ = 0;
};

// The batch tool built with the tests.
QString batchProgram();

// Runs the batch tool over a project and waits for it.
BatchResult runBatch(const QString& project, int timeoutMs = 120000);

// Options of a test job: every protection on, writing into outputFolder, or over the sources
// (with backups) when outputFolder is empty.
OptionValues jobOptions(const QString& outputFolder);

// Writes a project file with these options and pages.
void writeProject(const QString& project, const OptionValues& values, const QStringList& pages);

// A tmpfs mounted for the life of the object.
class TmpfsMount {
public:
    TmpfsMount() = default;
    TmpfsMount(const TmpfsMount&) = delete;
    TmpfsMount& operator=(const TmpfsMount&) = delete;
    ~TmpfsMount();

    // Mounts a tmpfs of the given size on folder (created when missing); false with why set.
    bool mount(const QString& folder, qint64 bytes, QString* why);
    // Makes it read-only; false with why set.
    bool remountReadOnly(QString* why);
    const QString& folder() const { return folder_; }

private:
    QString folder_;
};

// Mounting needs root. Gives this test process a mount namespace of its own, so mounts end with
// the process whatever happens. Returns an empty text, or why mounting is impossible here.
QString prepareMounts();

// True when running in CI, where a test that needs mounts must fail rather than skip.
bool inCi();

// Fills the file system that holds folder until no byte is left.
void fillFileSystem(const QString& folder);

// A page of about the given size: a head, paragraphs, a script, CR LF line ends throughout.
QByteArray makePage(int index, int bytes);

// Forgets the figures a test noted in an earlier run.
void clearFigures(const QString& test);
// Notes a figure for the reliability report: one line "test<TAB>key<TAB>value".
void recordFigure(const QString& test, const QString& key, const QString& value);

// Names of the files in folder, hidden ones included, sorted.
QStringList folderEntries(const QString& folder);
// Only the hidden ones: temporary files of the tool.
QStringList hiddenEntries(const QString& folder);

// Writes pages named seite1.htm ... (makePage(i, bytes)) into folder; returns their paths.
QStringList writePages(const QString& folder, int count, int bytes);

// Options with some checks switched off.
OptionValues without(OptionValues values, std::initializer_list<CheckField> off);

// True when page is the script form whose calls spell exactly text; why set when not.
bool spells(const QByteArray& page, const QByteArray& text, QString* why);

} // namespace veltrano::test

// The run ended by itself (no crash, no hang) with this exit code; its messages shown when not.
#define VELTRANO_COMPARE_RUN(result, code)                                                         \
    do {                                                                                           \
        QVERIFY2(!(result).crashed, qPrintable((result).messagesText()));                          \
        QCOMPARE((result).exitCode, code);                                                         \
    } while (false)

// Fails in CI and skips elsewhere, with the reason, when mounting is impossible.
#define VELTRANO_REQUIRE_MOUNTS(reason)                                                            \
    do {                                                                                           \
        const QString why_ = (reason);                                                             \
        if (!why_.isEmpty()) {                                                                     \
            if (veltrano::test::inCi())                                                            \
                QFAIL(qPrintable(QStringLiteral("CI runs as root and must mount: ") + why_));      \
            QSKIP(qPrintable(QStringLiteral("cannot mount here: ") + why_));                       \
        }                                                                                          \
    } while (false)
