#include "batchplan.h"

#include "filelist/folderscan.h"
#include "host.h"
#include "io/pagewrite.h"
#include "options/optionset.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>

#include <cerrno>
#include <sys/stat.h>

namespace veltrano {

namespace {

QString joined(const QString& folder, const QString& relative) {
    return folder.endsWith(QLatin1Char('/')) ? folder + relative
                                             : folder + QLatin1Char('/') + relative;
}

QString planError(const QString& german, const QString& english, const QString& what) {
    return QStringLiteral("veltrano-batch: %1 / %2: %3").arg(german, english, what);
}

// Where a page goes: below folder, or over itself when folder is empty; with a backup beside it
// or below the backup folder when one is asked for.
PlannedPage plannedPage(const SourcePage& page, const QString& folder,
                        const std::optional<QString>& backupDir) {
    PlannedPage p;
    p.source = page.path;
    p.output = folder.isEmpty() ? page.path : joined(folder, page.relative);
    if (backupDir) {
        p.backup = backupDir->isEmpty()
                       ? page.path + QStringLiteral(".bak")
                       : joined(*backupDir, page.relative + QStringLiteral(".bak"));
    }
    return p;
}

} // namespace

QString pathKey(const QString& path) {
    return QDir::cleanPath(fileKey(path));
}

QString PathKeys::key(const QString& path) {
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const QStringView name = QStringView(path).mid(slash + 1);
    if (name.isEmpty() || name == u"." || name == u"..")
        return pathKey(path);
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0) {
        // No such file: its absolute path, as for every key of a file that is not there.
        if (QDir::isAbsolutePath(path))
            return QDir::cleanPath(path);
        if (workingFolder_.isEmpty())
            workingFolder_ = QDir::currentPath();
        return QDir::cleanPath(workingFolder_ + QLatin1Char('/') + path);
    }
    if (S_ISLNK(st.st_mode))
        return pathKey(path);
    const QString folder = path.left(slash + 1);
    auto known = folders_.constFind(folder);
    if (known == folders_.cend()) {
        known = folders_.insert(
            folder, QFileInfo(folder.isEmpty() ? QStringLiteral(".") : folder).canonicalFilePath());
    }
    if (known->isEmpty())
        return pathKey(path);
    return QDir::cleanPath(*known + QLatin1Char('/') + name.toString());
}

SourcePage namedPage(const QString& path) {
    return {path, path.mid(path.lastIndexOf(QLatin1Char('/')) + 1)};
}

Result<QList<SourcePage>, QString> collectPages(const QStringList& paths) {
    QList<SourcePage> pages;
    NullHost host;
    for (const QString& path : paths) {
        const QFileInfo info(path);
        if (!info.exists()) {
            return planError(QStringLiteral("Pfad nicht gefunden"),
                             QStringLiteral("no such file or folder"), path);
        }
        if (!info.isDir()) {
            pages.append(namedPage(path));
            continue;
        }
        const QString folder = path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/');
        const qsizetype before = pages.size();
        for (const QString& pattern : kScanPatterns) {
            for (const QString& found : FindFiles(path, pattern, host))
                pages.append({found, found.mid(folder.size()), true});
        }
        if (pages.size() == before) {
            return planError(QStringLiteral("keine Seiten (*.htm, *.html, *.shtml) im Ordner"),
                             QStringLiteral("no pages in the folder"), path);
        }
    }
    return pages;
}

Result<QList<PlannedPage>, QString>
planOutputs(const QList<SourcePage>& pages, const OptionSet& options, const QString& backupDir) {
    const bool overwrite = options.overwrite();
    const QString folder = options.text(TextField::txtPath);
    if (!overwrite && (!options.newFiles() || folder.isEmpty())) {
        return planError(QStringLiteral("kein Ziel im Projekt, -o ORDNER oder --overwrite "
                                        "angeben"),
                         QStringLiteral("no output in the project, give -o DIR or --overwrite"),
                         options.projectFile());
    }
    const bool backup = overwrite && isSet(options.check(CheckField::chkBkup));

    // Each page's key once.
    PathKeys keys;
    QList<QString> pageKeys;
    QHash<QString, qsizetype> sources; // source key -> first page
    for (qsizetype i = 0; i < pages.size(); ++i) {
        pageKeys.append(keys.key(pages[i].path));
        sources.insert(pageKeys.constLast(), i);
    }

    QList<PlannedPage> planned;
    QHash<QString, qsizetype> outputs; // output key -> page
    const QString outputFolder = pathKey(folder) + QLatin1Char('/');
    for (qsizetype i = 0; i < pages.size(); ++i) {
        const SourcePage& page = pages[i];
        if (!overwrite && page.found && pageKeys[i].startsWith(outputFolder))
            continue;
        const PlannedPage p = plannedPage(page, overwrite ? QString() : folder,
                                          backup ? std::optional(backupDir) : std::nullopt);
        const QString& sourceKey = pageKeys[i];
        const QString outputKey = overwrite ? sourceKey : keys.key(p.output);
        const auto taken = outputs.constFind(outputKey);
        if (taken != outputs.cend()) {
            if (pageKeys[*taken] == sourceKey)
                continue; // the same page again
            return planError(
                QStringLiteral("zwei Seiten, eine Ausgabe"),
                QStringLiteral("two pages, one output"),
                QStringLiteral("%1, %2 -> %3").arg(pages[*taken].path, page.path, p.output));
        }
        const auto source = sources.constFind(outputKey);
        if (!overwrite && source != sources.cend()) {
            return planError(QStringLiteral("die Ausgabe ist eine Quelldatei"),
                             QStringLiteral("the output is a source page"),
                             QStringLiteral("%1 -> %2").arg(page.path, pages[*source].path));
        }
        outputs.insert(outputKey, i);
        planned.append(p);
    }
    return planned;
}

std::optional<FileError> makeFolders(const QList<PlannedPage>& pages) {
    QSet<QString> made;
    for (const PlannedPage& p : pages) {
        for (const QString& file : {p.output, p.backup}) {
            // A page written over its source, or backed up beside it, needs no new folder.
            if (file.isEmpty() || file == p.source || file == p.source + QStringLiteral(".bak"))
                continue;
            const QString folder = QFileInfo(file).path();
            if (made.contains(folder))
                continue;
            if (!QDir().mkpath(folder))
                return FileError{
                    EIO, QStringLiteral("Der Ordner %1 konnte nicht angelegt werden.").arg(folder)};
            made.insert(folder);
        }
    }
    return std::nullopt;
}

} // namespace veltrano
