#include "usersettings.h"

#include <QCoreApplication>
#include <QFile>
#include <QSettings>

namespace veltrano::ui {

void takeOverOldSettings() {
    QSettings current;
    if (!current.allKeys().isEmpty())
        return;
    QSettings old(QStringLiteral("Unknown Organization"), QCoreApplication::applicationName());
    if (!QFile::exists(old.fileName()))
        return;
    for (const QString& key : old.allKeys())
        current.setValue(key, old.value(key));
}

} // namespace veltrano::ui
