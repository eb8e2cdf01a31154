#include "batchfixture.h"

#include "filelist/filelist.h"
#include "project/projectfile.h"
#include "support/testfiles.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QtTest>

#include <cerrno>
#include <cstring>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

namespace veltrano::test {

QString batchProgram() {
    return QStringLiteral(VELTRANO_BATCH_PROGRAM);
}

BatchResult runBatch(const QStringList& args, int timeoutMs) {
    BatchResult result;
    QProcess process;
    process.start(batchProgram(), args);
    const bool finished = process.waitForStarted() && process.waitForFinished(timeoutMs);
    if (!finished)
        process.kill();
    process.waitForFinished();
    result.crashed = !finished || process.exitStatus() != QProcess::NormalExit;
    result.exitCode = process.exitCode();
    result.messages = QString::fromUtf8(process.readAllStandardError());
    return result;
}

OptionValues jobOptions(const QString& outputFolder) {
    OptionValues v = OptionValues::defaults(QStringLiteral("/programm"));
    v.texts[static_cast<size_t>(TextField::txtStart)] = QStringLiteral("3");
    v.texts[static_cast<size_t>(TextField::txtEnd)] = QStringLiteral("2");
    v.chkNewFiles = !outputFolder.isEmpty();
    v.chkOverwrite = outputFolder.isEmpty();
    v.texts[static_cast<size_t>(TextField::txtPath)] = outputFolder;
    return v;
}

QString writeProject(const QString& project, const OptionValues& values, const QStringList& pages) {
    OptionSet options;
    options.setValues(values);
    FileList list;
    list.Initialise();
    for (const QString& page : pages)
        list.Append(page);
    const QString error = WriteProject(project, options, list);
    if (!error.isEmpty())
        qWarning("%s", qPrintable(error));
    return project;
}

QByteArray makePage(int index, int bytes) {
    QByteArray page =
        "<html><head><title>Seite " + QByteArray::number(index) + "</title>\r\n</head><body>\r\n";
    for (int line = 1; page.size() < bytes; ++line)
        page += "<p>Absatz " + QByteArray::number(line) +
                ": Gr\xfc\xdf"
                "e &amp; \xe4\xf6\xfc.</p>\r\n";
    return page + "</body></html>\r\n";
}

QStringList writePages(const QString& folder, int count, int bytes) {
    QStringList paths;
    for (int i = 1; i <= count; ++i) {
        paths.append(QDir(folder).filePath(QStringLiteral("seite%1.htm").arg(i)));
        writeFile(paths.last(), makePage(i, bytes));
    }
    return paths;
}

QStringList hiddenEntries(const QString& folder) {
    return QDir(folder)
        .entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name)
        .filter(QRegularExpression(QStringLiteral("^\\.")));
}

QString prepareMounts() {
    if (::geteuid() != 0)
        return QStringLiteral("cannot mount: not running as root");
    if (::unshare(CLONE_NEWNS) != 0 || ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr))
        return QStringLiteral("cannot mount: ") + QString::fromLocal8Bit(std::strerror(errno));
    return {};
}

QString mountTmpfs(const QString& folder, qint64 bytes) {
    QDir().mkpath(folder);
    const QByteArray options = "size=" + QByteArray::number(bytes) + ",mode=0755";
    if (::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0, options.constData()))
        return QStringLiteral("mount tmpfs: ") + QString::fromLocal8Bit(std::strerror(errno));
    return {};
}

QString remountReadOnly(const QString& folder) {
    if (::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", MS_REMOUNT | MS_RDONLY,
                nullptr))
        return QStringLiteral("remount: ") + QString::fromLocal8Bit(std::strerror(errno));
    return {};
}

void fillFileSystem(const QString& folder) {
    QFile filler(QDir(folder).filePath(QStringLiteral("fuellung")));
    QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    for (qint64 block = 4096; block > 0; block /= 2) {
        while (filler.write(QByteArray(block, 'x')) == block) {
        }
    }
}

void recordFigure(const QString& test, const QString& key, const QString& value) {
    QDir().mkpath(QStringLiteral(VELTRANO_FIGURES_FOLDER));
    QFile file(QStringLiteral(VELTRANO_FIGURES_FOLDER "/") + test + QStringLiteral(".tsv"));
    if (file.open(QIODevice::Append))
        file.write((test + u'\t' + key + u'\t' + value + u'\n').toUtf8());
}

} // namespace veltrano::test
