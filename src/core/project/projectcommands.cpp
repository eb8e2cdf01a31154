#include "projectcommands.h"

#include "filelist/filelist.h"
#include "host.h"
#include "options/optionset.h"
#include "projectfile.h"

namespace veltrano {

namespace {
const QString kError = QStringLiteral("Fehler");
const QString kNoFile = QStringLiteral("Keine Datei gewählt!");
} // namespace

void ProjectCommands::newProject() {
    options_.reset();
    list_.Clear();
}

bool ProjectCommands::open() {
    return openFile(host_.openFileName());
}

bool ProjectCommands::openFile(const QString& fileName) {
    options_.setProjectFile(fileName);
    if (fileName.isEmpty()) {
        host_.message(kNoFile, kError, Host::Icon::Critical);
        return false;
    }
    list_.Clear();
    const ProjectRead read = ReadProject(fileName, options_, list_);
    if (read)
        return true;
    const ProjectError& error = read.error();
    if (error.kind == ProjectError::Kind::VersionMismatch)
        host_.message(QStringLiteral("Die Datei wurde mit Version ") + lineForMessage(error.text) +
                          QStringLiteral(" erstellt, und ist zu ") +
                          QLatin1String(kProgramVersion) + QStringLiteral(" nicht kompatibel!"),
                      kError, Host::Icon::Critical);
    else
        host_.message(error.text, kError, Host::Icon::Critical);
    return false;
}

void ProjectCommands::save() {
    if (options_.projectFile().isEmpty()) {
        saveAs();
        return;
    }
    const QString fileName = options_.projectFile();
    if (const auto error = WriteProject(fileName, options_, list_)) {
        host_.message(error->description, kError, Host::Icon::Critical);
        return;
    }
    host_.message(QStringLiteral("Projekt nach \"") + fileName + QStringLiteral("\" gespeichert!"),
                  QStringLiteral("Speichern"), Host::Icon::Information);
}

void ProjectCommands::saveAs() {
    options_.setProjectFile(host_.saveFileName());
    if (!options_.projectFile().isEmpty())
        save();
    else
        host_.message(kNoFile, kError, Host::Icon::Critical);
}

} // namespace veltrano
