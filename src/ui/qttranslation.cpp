#include "qttranslation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace veltrano::ui {

QString installQtTranslation() {
    auto* translator = new QTranslator(QCoreApplication::instance());
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    const QString name = QStringLiteral("qtbase");
    const QString prefix = QStringLiteral("_");
    if (translator->load(QLocale(), name, prefix, folder) ||
        translator->load(QLocale(QLocale::German, QLocale::Germany), name, prefix, folder)) {
        QCoreApplication::installTranslator(translator);
        return translator->language();
    }
    delete translator;
    return {};
}

} // namespace veltrano::ui
