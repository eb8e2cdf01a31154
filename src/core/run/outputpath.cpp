#include "outputpath.h"

#include <QDir>

namespace veltrano {

QString OutputPath(const OptionValues& values, const QString& source) {
    if (values.chkNewFiles) {
        const QString& folder = values.text(TextField::txtPath);
        if (folder.isEmpty())
            return {};
        const QChar separator = QDir::separator();
        const qsizetype cut = source.lastIndexOf(separator);
        const QString name = cut < 0 ? source : source.mid(cut + 1);
        return folder.endsWith(separator) ? folder + name : folder + separator + name;
    }
    if (values.chkOverwrite)
        return source;
    return {};
}

} // namespace veltrano
