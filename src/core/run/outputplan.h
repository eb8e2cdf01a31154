#pragma once

#include <QString>
#include <QStringList>

namespace veltrano {

// Where pages go when the folder output keeps the site's folders (modern pages), so relative
// links keep working and pages of the same name in different folders stay apart.

// The deepest folder that holds every one of the pages; empty when there are none or they
// share no folder.
QString commonFolder(const QStringList& sources);

// The page's path below base, placed below outputFolder. A page outside base keeps only its
// file name, so nothing is ever written outside the output folder.
QString keptPlacePath(const QString& source, const QString& base, const QString& outputFolder);

} // namespace veltrano
