#include "batchfixture.h"

#include "filelist/filelist.h"
#include "project/projectfile.h"
#include "support/testfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QtTest>

#include <cerrno>
#include <cstring>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

namespace veltrano::test {

bool BatchResult::hasMessage(const QString& start, const QString& part) const {
    for (const QString& line : messages) {
        if (line.startsWith(start) && (part.isEmpty() || line.contains(part)))
            return true;
    }
    return false;
}

QString Workspace::project(const QString& stem, const OptionValues& values,
                           const QStringList& pages) {
    const QString file = fresh(stem) + QStringLiteral(".vtp");
    writeProject(file, values, pages);
    return file;
}

QString batchProgram() {
    return QStringLiteral(VELTRANO_BATCH_PROGRAM);
}

BatchResult runBatch(const QString& project, int timeoutMs) {
    BatchResult result;
    QProcess process;
    process.setProgram(batchProgram());
    process.setArguments({project});
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.start();
    if (!process.waitForStarted()) {
        result.crashed = true;
        return result;
    }
    if (!process.waitForFinished(timeoutMs)) {
        result.timedOut = true;
        process.kill();
        process.waitForFinished();
    }
    result.crashed = result.timedOut || process.exitStatus() != QProcess::NormalExit;
    result.exitCode = process.exitCode();
    const QString err = QString::fromUtf8(process.readAllStandardError());
    for (const QString& line : err.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        result.messages.append(line);
    return result;
}

OptionValues jobOptions(const QString& outputFolder) {
    OptionValues v = OptionValues::defaults(QStringLiteral("/programm"));
    for (CheckField f :
         {CheckField::chkNativ, CheckField::chkZange, CheckField::chkJava, CheckField::chkLine,
          CheckField::chkFake, CheckField::chkRClick, CheckField::chkSel, CheckField::chkPrint,
          CheckField::chkSeo, CheckField::chkBkup})
        v.checks[static_cast<size_t>(f)] = 1;
    v.texts[static_cast<size_t>(TextField::txtStart)] = QStringLiteral("3");
    v.texts[static_cast<size_t>(TextField::txtEnd)] = QStringLiteral("2");
    v.chkNewFiles = !outputFolder.isEmpty();
    v.chkOverwrite = outputFolder.isEmpty();
    v.texts[static_cast<size_t>(TextField::txtPath)] = outputFolder;
    return v;
}

void writeProject(const QString& project, const OptionValues& values, const QStringList& pages) {
    OptionSet options;
    options.setValues(values);
    FileList list;
    list.Initialise();
    for (const QString& page : pages)
        list.Append(page);
    const QString error = WriteProject(project, options, list);
    QVERIFY2(error.isEmpty(), qPrintable(error));
}

TmpfsMount::~TmpfsMount() {
    if (!folder_.isEmpty())
        ::umount2(QFile::encodeName(folder_).constData(), MNT_DETACH);
}

bool TmpfsMount::mount(const QString& folder, qint64 bytes, QString* why) {
    QDir().mkpath(folder);
    const QByteArray options = "size=" + QByteArray::number(bytes) + ",mode=0755";
    if (::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0, options.constData()) !=
        0) {
        *why = QStringLiteral("mount -t tmpfs %1: %2")
                   .arg(folder, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    folder_ = folder;
    return true;
}

bool TmpfsMount::remountReadOnly(QString* why) {
    if (::mount("tmpfs", QFile::encodeName(folder_).constData(), "tmpfs", MS_REMOUNT | MS_RDONLY,
                nullptr) != 0) {
        *why = QStringLiteral("remount read-only %1: %2")
                   .arg(folder_, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    return true;
}

QString prepareMounts() {
    if (::geteuid() != 0)
        return QStringLiteral("not running as root");
    if (::unshare(CLONE_NEWNS) != 0)
        return QStringLiteral("unshare(CLONE_NEWNS): ") +
               QString::fromLocal8Bit(std::strerror(errno));
    // Mounts made from here on stay inside this process and its children.
    if (::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        return QStringLiteral("mount --make-rprivate /: ") +
               QString::fromLocal8Bit(std::strerror(errno));
    return {};
}

bool inCi() {
    return qgetenv("CI") == "true";
}

void fillFileSystem(const QString& folder) {
    QFile filler(QDir(folder).filePath(QStringLiteral("fuellung")));
    QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Append));
    const QByteArray block(4096, 'x');
    while (filler.write(block) == block.size() && filler.flush()) {
    }
    // Whatever was left below a block goes byte by byte.
    while (filler.write("x", 1) == 1 && filler.flush()) {
    }
}

QByteArray makePage(int index, int bytes) {
    QByteArray page = "<html><head><title>Seite " + QByteArray::number(index) +
                      "</title>\r\n<script>var n = " + QByteArray::number(index) +
                      ";</script>\r\n</head><body>\r\n";
    int line = 0;
    while (page.size() < bytes) {
        page += "<p class=\"t\">Absatz " + QByteArray::number(++line) + " der Seite " +
                QByteArray::number(index) +
                ": Gr\xfc\xdf"
                "e &amp; \"Zitate\" mit Umlauten \xe4\xf6\xfc.</p>\r\n";
    }
    page += "</body></html>\r\n";
    return page;
}

void clearFigures(const QString& test) {
    QFile::remove(
        QDir(QStringLiteral(VELTRANO_FIGURES_FOLDER)).filePath(test + QStringLiteral(".tsv")));
}

void recordFigure(const QString& test, const QString& key, const QString& value) {
    const QString folder = QStringLiteral(VELTRANO_FIGURES_FOLDER);
    QDir().mkpath(folder);
    QFile file(QDir(folder).filePath(test + QStringLiteral(".tsv")));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return;
    file.write(
        (test + QLatin1Char('\t') + key + QLatin1Char('\t') + value + QLatin1Char('\n')).toUtf8());
}

QStringList folderEntries(const QString& folder) {
    QStringList names = QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    return names;
}

QStringList hiddenEntries(const QString& folder) {
    QStringList names = folderEntries(folder);
    names.removeIf([](const QString& name) { return !name.startsWith(QLatin1Char('.')); });
    return names;
}

QStringList writePages(const QString& folder, int count, int bytes) {
    QStringList paths;
    for (int i = 1; i <= count; ++i) {
        paths.append(QDir(folder).filePath(QStringLiteral("seite%1.htm").arg(i)));
        writeFile(paths.last(), makePage(i, bytes));
    }
    return paths;
}

OptionValues without(OptionValues values, std::initializer_list<CheckField> off) {
    for (CheckField f : off)
        values.checks[static_cast<size_t>(f)] = 0;
    return values;
}

bool spells(const QByteArray& page, const QByteArray& text, QString* why) {
    // The write line, with the calls joined into one, against one call for the whole text.
    const QByteArray table = "String.fromCharCode(z)\r\n z++;\r\n}\r\n";
    const qsizetype start = page.indexOf(table) + table.size();
    const qsizetype end = page.indexOf("\r\n</script><noscript>", start);
    QByteArray calls;
    for (const char c : text)
        calls += ",c[" + QByteArray::number(static_cast<unsigned char>(c)) + "]";
    calls = text.isEmpty() ? QByteArray() : "document.write (" + calls.mid(1) + ");";
    if (start >= table.size() && end >= 0 &&
        page.mid(start, end - start).replace(");document.write (", ",") == calls)
        return true;
    *why = QStringLiteral("the calls of the page do not spell the text");
    return false;
}

} // namespace veltrano::test
