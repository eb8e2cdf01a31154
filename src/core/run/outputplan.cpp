#include "outputplan.h"

#include <QDir>

namespace veltrano {

QString commonFolder(const QStringList& sources) {
    const QChar separator = QDir::separator();
    QString common;
    for (qsizetype i = 0; i < sources.size(); ++i) {
        const QString& source = sources[i];
        const QString folder = source.left(qMax<qsizetype>(0, source.lastIndexOf(separator)) + 1);
        if (i == 0) {
            common = folder;
            continue;
        }
        // The longest shared start that ends at a separator.
        qsizetype n = 0;
        while (n < common.size() && n < folder.size() && common[n] == folder[n])
            ++n;
        common.truncate(common.left(n).lastIndexOf(separator) + 1);
    }
    return common;
}

QString keptPlacePath(const QString& source, const QString& base, const QString& outputFolder) {
    const QChar separator = QDir::separator();
    const bool below = !base.isEmpty() && source.startsWith(base) &&
                       (base.endsWith(separator) || source.mid(base.size(), 1) == separator);
    QString rest = below ? source.mid(base.size()) : source.mid(source.lastIndexOf(separator) + 1);
    while (rest.startsWith(separator))
        rest.remove(0, 1);
    return outputFolder.endsWith(separator) ? outputFolder + rest : outputFolder + separator + rest;
}

} // namespace veltrano
