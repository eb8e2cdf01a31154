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

void ProjectCommands::New() {
    options_.reset();
    list_.Clear();
}

bool ProjectCommands::Open() {
    return OpenFile(host_.openFileName());
}

bool ProjectCommands::OpenFile(const QString& fileName) {
    options_.setProjectFile(fileName);
    if (fileName.isEmpty()) {
        host_.message(kNoFile, kError, Host::Icon::Critical);
        return false;
    }
    list_.Clear();
    const ProjectReadResult result = ReadProject(fileName, options_, list_);
    switch (result.status) {
    case ProjectReadResult::Status::Ok:
        return true;
    case ProjectReadResult::Status::VersionMismatch:
        host_.message(QStringLiteral("Die Datei wurde mit Version ") +
                          lineForMessage(result.versionLine) +
                          QStringLiteral(" erstellt, und ist zu ") +
                          QLatin1String(kProgramVersion) + QStringLiteral(" nicht kompatibel!"),
                      kError, Host::Icon::Critical);
        return false;
    case ProjectReadResult::Status::Damaged:
        host_.message(result.message, kError, Host::Icon::Critical);
        return false;
    }
    return false;
}

void ProjectCommands::Save() {
    if (options_.projectFile().isEmpty()) {
        SaveAs();
        return;
    }
    const QString fileName = options_.projectFile();
    const QString error = WriteProject(fileName, options_, list_);
    if (!error.isEmpty()) {
        host_.message(error, kError, Host::Icon::Critical);
        return;
    }
    host_.message(QStringLiteral("Projekt nach \"") + fileName + QStringLiteral("\" gespeichert!"),
                  QStringLiteral("Speichern"), Host::Icon::Information);
}

void ProjectCommands::SaveAs() {
    options_.setProjectFile(host_.saveFileName());
    if (!options_.projectFile().isEmpty())
        Save();
    else
        host_.message(kNoFile, kError, Host::Icon::Critical);
}

} // namespace veltrano
