#pragma once

#include "options/optionset.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// Driving the batch tool as a user would, over files and file systems that fail.
namespace veltrano::test {

struct BatchResult {
    int exitCode = -1;
    bool crashed = false; // ended by a signal, or hung and was killed
    QString messages;     // standard error
};

// Runs the batch tool with these arguments and waits for it.
BatchResult runBatch(const QStringList& args, int timeoutMs = 120000);
QString batchProgram();

// Every protection on, 3 start and 2 end lines, into outputFolder, or over the sources with
// backups when outputFolder is empty; written as a project with the pages; returns its path.
OptionValues jobOptions(const QString& outputFolder);
QString writeProject(const QString& project, const OptionValues& values, const QStringList& pages);

// A page of about the given size with CR LF line ends; pages seite1.htm ... written to folder.
QByteArray makePage(int index, int bytes);
QStringList writePages(const QString& folder, int count, int bytes);
// The hidden names in folder: new files of the tool, never a page.
QStringList hiddenEntries(const QString& folder);

// Mounting needs root: gives the test process a mount namespace of its own. Empty when
// mounting works here, else why not.
QString prepareMounts();
// Mounts a tmpfs on folder; "" or why not. Read-only remount and filling for the faults.
QString mountTmpfs(const QString& folder, qint64 bytes);
QString remountReadOnly(const QString& folder);
void fillFileSystem(const QString& folder);

// One line "test<TAB>key<TAB>value" for the reliability report.
void recordFigure(const QString& test, const QString& key, const QString& value);

} // namespace veltrano::test

// Fails in CI and skips elsewhere when mounting is impossible.
#define VELTRANO_REQUIRE_MOUNTS(why)                                                               \
    do {                                                                                           \
        if (!(why).isEmpty() && qgetenv("CI") == "true")                                           \
            QFAIL(qPrintable(why));                                                                \
        if (!(why).isEmpty())                                                                      \
            QSKIP(qPrintable(why));                                                                \
    } while (false)
