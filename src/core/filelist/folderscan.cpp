#include "folderscan.h"

#include "filelist.h"
#include "host.h"

#include <QFile>
#include <QList>
#include <QRegularExpression>

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <memory>
#include <utility>

namespace veltrano {

namespace {

using FolderId = std::pair<dev_t, ino_t>;

struct Walk {
    QString pattern; // normalised: upper case, without "*."
    Host& host;
    QStringList found;
    QList<FolderId> descent; // the folders of the current descent, to end link loops
    QList<QByteArray>* passedOver;
};

QString normalisePattern(const QString& pattern) {
    QString p = pattern.trimmed().toUpper();
    if (p.startsWith(QLatin1Char('*'))) {
        const qsizetype dot = p.indexOf(QLatin1Char('.'));
        if (dot >= 0)
            p = p.mid(dot + 1);
    }
    return p;
}

bool matches(const QString& name, const QString& pattern) {
    if (pattern == QLatin1String("*"))
        return true;
    const qsizetype at = name.size() - pattern.size() - 1;
    if (at < 0 || name[at] != QLatin1Char('.'))
        return false;
    return QStringView(name).sliced(at + 1).compare(pattern, Qt::CaseInsensitive) == 0;
}

// The name as the program shows it; false when the locale cannot spell it, so the shown name
// would not lead back to its file or folder.
bool spelled(const QByteArray& raw, QString& name) {
    name = QFile::decodeName(raw);
    return QFile::encodeName(name) == raw;
}

struct DirCloser {
    void operator()(DIR* d) const { ::closedir(d); }
};

void walkFolder(QString folder, Walk& walk) {
    walk.host.pump();
    if (folder.isEmpty())
        return;
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    const QByteArray native = QFile::encodeName(folder);

    struct stat st {};
    if (::stat(native.constData(), &st) != 0)
        return;
    const FolderId id{st.st_dev, st.st_ino};
    if (walk.descent.contains(id))
        return;
    std::unique_ptr<DIR, DirCloser> dir(::opendir(native.constData()));
    if (!dir)
        return;
    walk.descent.append(id);

    while (const dirent* entry = ::readdir(dir.get())) {
        walk.host.pump();
        const char* raw = entry->d_name;
        if (raw[0] == '.' && (raw[1] == '\0' || (raw[1] == '.' && raw[2] == '\0')))
            continue;
        bool isFolder = entry->d_type == DT_DIR;
        if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
            // Links are followed: a link to a folder is a folder.
            struct stat target {};
            const QByteArray full = native + raw;
            isFolder = ::stat(full.constData(), &target) == 0 && S_ISDIR(target.st_mode);
        }
        QString name;
        if (!spelled(raw, name)) {
            if (walk.passedOver && (isFolder || matches(name, walk.pattern)))
                walk.passedOver->append(native + raw);
            continue;
        }
        if (isFolder)
            walkFolder(folder + name, walk);
        else if (matches(name, walk.pattern))
            walk.found.append(folder + name);
    }
    walk.descent.removeLast();
}

} // namespace

QStringList FindFiles(const QString& folder, const QString& pattern, Host& host,
                      QList<QByteArray>* passedOver) {
    Walk walk{normalisePattern(pattern), host, {}, {}, passedOver};
    walkFolder(folder, walk);
    host.pump();
    return walk.found;
}

void scanFolder(const std::function<QString()>& startFolder, FileList& list, Host& host) {
    QList<QByteArray> passedOver;
    for (const QString& pattern : kScanPatterns)
        list.appendAll(FindFiles(startFolder(), pattern, host, &passedOver));
    // Every pass meets the folders again; each name counts once, in the order first met.
    QList<QByteArray> names;
    for (const QByteArray& name : passedOver) {
        if (!names.contains(name))
            names.append(name);
    }
    reportPassedOver(names.size(), names.value(0), host);
}

QList<QByteArray> listFolder(const QString& folder, const QString& pattern) {
    const QRegularExpression wildcard = QRegularExpression::fromWildcard(pattern);
    const QByteArray native = QFile::encodeName(folder) + '/';
    QList<std::pair<QString, QByteArray>> found; // shown name, name on disk
    std::unique_ptr<DIR, DirCloser> dir(::opendir(native.constData()));
    while (const dirent* entry = dir ? ::readdir(dir.get()) : nullptr) {
        const QByteArray raw(entry->d_name);
        const QString shown = QFile::decodeName(raw);
        struct stat st {};
        // Links are followed: a link to a file is a file.
        if (wildcard.match(shown).hasMatch() && ::stat((native + raw).constData(), &st) == 0 &&
            S_ISREG(st.st_mode))
            found.append({shown, raw});
    }
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
        const int order = a.first.compare(b.first, Qt::CaseInsensitive);
        return order != 0 ? order < 0 : a.second < b.second;
    });
    QList<QByteArray> names;
    for (const auto& [shown, raw] : found)
        names.append(raw);
    return names;
}

void addFiles(const QList<QByteArray>& paths, FileList& list, Host& host) {
    QStringList added;
    QList<QByteArray> passedOver;
    for (const QByteArray& path : paths) {
        QString name;
        if (spelled(path, name))
            added.append(name);
        else
            passedOver.append(path);
    }
    list.appendAll(added);
    reportPassedOver(passedOver.size(), passedOver.value(0), host);
}

void reportPassedOver(qsizetype count, const QByteArray& first, Host& host) {
    if (count == 0)
        return;
    host.message(QStringLiteral("%1 Namen enthalten Zeichen, die im Zeichensatz des Systems nicht "
                                "gültig sind, und wurden nicht eingefügt. Der erste: %2")
                     .arg(count)
                     .arg(QString::fromLocal8Bit(first)),
                 QStringLiteral("Hinweis"), Host::Icon::Information);
}

} // namespace veltrano
