#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace veltrano {

class FileList;
class Host;

// The three page types of the recursive scan, in the order of the passes.
inline const QStringList kScanPatterns = {QStringLiteral("*.htm"), QStringLiteral("*.html"),
                                          QStringLiteral("*.shtml")};

// Walks the folder and every folder below it, depth-first in listing order, and returns the
// matching paths in the order found. Yields through the host at every folder and entry. Names
// the locale cannot spell are passed over: the files that would match and the folders are added
// to passedOver, as full paths in bytes, when it is given.
QStringList FindFiles(const QString& folder, const QString& pattern, Host& host,
                      QList<QByteArray>* passedOver = nullptr);

// "+++": three passes, one per pattern; the start folder is asked for anew at each pass, and
// each pass appends its matches to the list when its walk has ended. Names passed over get one
// message at the end.
void scanFolder(const std::function<QString()>& startFolder, FileList& list, Host& host);

// "+" and "++": the files of one folder whose names match a wildcard pattern (case ignored),
// hidden ones included, as the file box lists them: sorted by name, each as it is on disk, so a
// name the locale cannot spell still leads back to its file.
QList<QByteArray> listFolder(const QString& folder, const QString& pattern);

// Appends the files at the paths (in bytes) to the list in order. Names the locale cannot spell
// are passed over as by the scan, with the same one message at the end.
void addFiles(const QList<QByteArray>& paths, FileList& list, Host& host);

// The one message after adding files: how many names were passed over, and the first of them.
// Nothing when none was.
void reportPassedOver(qsizetype count, const QByteArray& first, Host& host);

} // namespace veltrano
