#include "sitecopy.h"

#include "host.h"
#include "io/filecopy.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>

namespace veltrano {

namespace {

bool isVersionControl(const QString& name) {
    return name == QLatin1String(".git") || name == QLatin1String(".svn") ||
           name == QLatin1String(".hg");
}

struct Walk {
    QString outputKey;
    const QSet<QString>& pageKeys;
    Host* host;
    QSet<QString> seen; // folders walked, by their canonical path
    OtherFiles found;

    void folder(const QString& path, const QString& target) {
        if (host)
            host->pump();
        const QString pathKey = fileKey(path);
        if (seen.contains(pathKey))
            return;
        seen.insert(pathKey);
        const QFileInfoList entries = QDir(path).entryInfoList(
            QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
            QDir::Name | QDir::DirsLast);
        for (const QFileInfo& entry : entries) {
            const QString name = entry.fileName();
            const QString to = target + QLatin1Char('/') + name;
            if (entry.isDir()) {
                if (!isVersionControl(name) && fileKey(entry.filePath()) != outputKey)
                    folder(entry.filePath(), to);
                continue;
            }
            if (!entry.isFile() || isTemporaryName(QFile::encodeName(name)))
                continue;
            const QString key = fileKey(entry.filePath());
            if (pageKeys.contains(key) ||
                (key.endsWith(QLatin1String(".bak")) && pageKeys.contains(key.chopped(4))))
                continue;
            found.files.append({entry.filePath(), to, entry.size()});
            found.bytes += entry.size();
        }
    }
};

} // namespace

OtherFiles findOtherFiles(const QString& siteFolder, const QString& outputFolder,
                          const QSet<QString>& pageKeys, Host* host) {
    if (siteFolder.isEmpty() || outputFolder.isEmpty() ||
        fileKey(siteFolder) == fileKey(outputFolder))
        return {};
    Walk walk{fileKey(outputFolder), pageKeys, host, {}, {}};
    QString site = siteFolder;
    while (site.size() > 1 && site.endsWith(QLatin1Char('/')))
        site.chop(1);
    QString output = outputFolder;
    while (output.size() > 1 && output.endsWith(QLatin1Char('/')))
        output.chop(1);
    walk.folder(site, output);
    return walk.found;
}

QList<FileError>
copyOtherFiles(const QList<OtherFile>& files, Host& host, bool sync,
               const std::function<void(qsizetype, const std::optional<FileError>&)>& done) {
    QList<FileError> failures;
    QString madeFolder;
    for (qsizetype i = 0; i < files.size(); ++i) {
        const OtherFile& file = files[i];
        std::optional<FileError> failure;
        const QString folder = QFileInfo(file.target).path();
        host.runBlocking([&] {
            if (folder != madeFolder && QDir().mkpath(folder))
                madeFolder = folder;
            failure = copyFileExact(file.source, file.target, sync);
        });
        if (failure)
            failures.append(*failure);
        if (done)
            done(i, failure);
        host.pump();
    }
    return failures;
}

QString describeOtherFiles(qsizetype files, qint64 bytes) {
    const QLocale german(QLocale::German, QLocale::Germany);
    const QString count = files == 1 ? QStringLiteral("1 Datei")
                                     : QStringLiteral("%1 Dateien").arg(german.toString(files));
    // Decimal units, as file managers show them, with the German decimal comma.
    static const char* const kUnits[] = {"kB", "MB", "GB", "TB"};
    QString size = QStringLiteral("%1 Byte").arg(german.toString(bytes));
    double value = static_cast<double>(bytes);
    for (const char* unit : kUnits) {
        if (value < 1000)
            break;
        value /= 1000;
        size = german.toString(value, 'f', 1) + QLatin1Char(' ') + QLatin1String(unit);
    }
    return count + QStringLiteral(", ") + size;
}

} // namespace veltrano
