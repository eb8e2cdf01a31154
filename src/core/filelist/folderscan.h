#pragma once

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
// matching paths in the order found. Yields through the host at every folder and entry.
QStringList FindFiles(const QString& folder, const QString& pattern, Host& host);

// "+++": three passes, one per pattern; the start folder is asked for anew at each pass, and
// each pass appends its matches to the list when its walk has ended.
void ScanFolder(const std::function<QString()>& startFolder, FileList& list, Host& host);

} // namespace veltrano
