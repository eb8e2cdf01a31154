#include "batchsite.h"

#include "options/optionset.h"
#include "run/outputplan.h"

#include <QDir>
#include <QHash>

namespace veltrano {

namespace {

QString asFolder(const QString& path) {
    return path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/');
}

} // namespace

SourcePage keptPage(const QString& path, const QString& site) {
    const QString folder = asFolder(site);
    SourcePage page = namedPage(path);
    if (path.startsWith(folder) && path.size() > folder.size())
        page.relative = path.mid(folder.size());
    return page;
}

Result<OtherFiles, QString> planOtherFiles(const QStringList& siteFolders,
                                           const QString& outputFolder,
                                           const QList<PlannedPage>& pages) {
    PathKeys keys;
    QHash<QString, QString> taken; // output key -> what goes there
    for (const PlannedPage& p : pages)
        taken.insert(keys.key(p.output), p.source);
    QSet<QString> pageKeys;
    for (const PlannedPage& p : pages)
        pageKeys.insert(fileKey(p.source));
    OtherFiles all;
    for (const QString& site : siteFolders) {
        const OtherFiles found = findOtherFiles(site, outputFolder, pageKeys);
        for (const OtherFile& file : found.files) {
            const QString target = keys.key(file.target);
            const auto other = taken.constFind(target);
            if (other != taken.cend()) {
                if (pathKey(*other) == pathKey(file.source))
                    continue; // the same file through a second folder argument
                return QStringLiteral("veltrano-batch: zwei Dateien, ein Ziel / two files, one "
                                      "output: %1, %2 -> %3")
                    .arg(*other, file.source, file.target);
            }
            taken.insert(target, file.source);
            all.files.append(file);
            all.bytes += file.size;
        }
    }
    return all;
}

QString projectNote(const QString& projectFile, const OptionSet& options,
                    const QList<SourcePage>& pages, const QStringList& siteFolders, bool copies) {
    QStringList lost;
    QStringList flags;
    if (options.modern()) {
        lost << QStringLiteral("Moderne Seiten / the mode");
        flags << QStringLiteral("--modern");
    }
    const bool subFolders =
        options.newFiles() && std::any_of(pages.cbegin(), pages.cend(), [](const SourcePage& s) {
            return s.relative.contains(QLatin1Char('/'));
        });
    if (subFolders)
        lost << QStringLiteral("Unterordner / kept folders");
    if (copies)
        lost << QStringLiteral("mitkopierte Dateien / copied files");
    if (lost.isEmpty())
        return {};
    // In the mode a project's pages keep their places below their deepest common folder, and
    // that folder's other files come along; any other site folder is named.
    QStringList paths;
    for (const SourcePage& s : pages)
        paths << s.path;
    const QString site = siteFolders.size() == 1 ? siteFolders.first() : commonFolder(paths);
    if ((subFolders || copies) && !site.isEmpty() &&
        (!options.modern() || asFolder(commonFolder(paths)) != asFolder(site)))
        flags << QStringLiteral("--site ") + site;
    return QStringLiteral("Hinweis / note: %1 hält nicht fest / does not keep: %2; beim Lauf "
                          "angeben / give when run: veltrano-batch -p %1 %3")
        .arg(projectFile, lost.join(QStringLiteral(", ")), flags.join(QLatin1Char(' ')));
}

} // namespace veltrano
