#include "batchtool.h"

#include "consolehost.h"
#include "encoding/random.h"
#include "filelist/filelist.h"
#include "options/optionset.h"
#include "project/projectcommands.h"
#include "run/encryptionrun.h"

#include <QTextStream>

namespace veltrano {

QString batchHelp() {
    return QStringLiteral(
        "Aufruf: veltrano-batch [--modern] PROJEKT.vtp\n"
        "\n"
        "Verschlüsselt die Dateien eines Projekts mit dessen Einstellungen, ohne Fenster.\n"
        "Das Projekt wird wie mit \"Öffnen...\" gelesen; die Ausgabe geht dorthin, wohin das\n"
        "Projekt sie schickt (Ausgabeverzeichnis oder Überschreiben der Quelldateien).\n"
        "Meldungen erscheinen als eine Zeile \"TITEL: TEXT\" auf der Standardfehlerausgabe,\n"
        "dort auch eine Fortschrittszeile, wenn sie ein Terminal ist.\n"
        "\n"
        "Rückgabewert:\n"
        "  0   Lauf abgeschlossen, keine Fehlermeldung\n"
        "  1   Lauf abgeschlossen, mit Fehlermeldungen\n"
        "  2   Lauf abgebrochen: eine Datei fehlte oder war leer\n"
        "  3   Projekt nicht lesbar (andere Version oder beschädigte Datei)\n"
        "  64  falscher Aufruf\n"
        "\n"
        "Usage: veltrano-batch [--modern] PROJECT.vtp\n"
        "\n"
        "Converts the pages of a project with its options, without a window.\n"
        "The project is read as \"Öffnen...\" (Open) reads it; the output goes where the\n"
        "project sends it (its output folder, or over the source pages).\n"
        "Messages go to standard error as one line \"TITLE: TEXT\"; so does a progress line\n"
        "when standard error is a terminal.\n"
        "\n"
        "Exit status:\n"
        "  0   run completed without any error message\n"
        "  1   run completed after error messages\n"
        "  2   run stopped: a page was missing or empty\n"
        "  3   project could not be read (another version or a damaged file)\n"
        "  64  wrong usage\n"
        "\n"
        "Optionen / options:\n"
        "  -h, --help   diese Hilfe / this help\n"
        "  --modern     Moderne Seiten: Kodierung der Seite erkennen, UTF-8 schreiben, Skripte,\n"
        "               Stile und Kommentare unverändert lassen, Unterordner beibehalten /\n"
        "               modern pages: detect each page's encoding, write UTF-8, leave scripts,\n"
        "               styles and comments alone, keep sub-folders\n");
}

int runBatch(const QStringList& args, QTextStream& out, QTextStream& err, bool progressLine) {
    QStringList files;
    bool options = true;
    bool modern = false;
    for (const QString& arg : args) {
        if (options && (arg == QLatin1String("-h") || arg == QLatin1String("--help"))) {
            out << batchHelp();
            out.flush();
            return kExitDone;
        }
        if (options && arg == QLatin1String("--modern")) {
            modern = true;
            continue;
        }
        if (options && arg == QLatin1String("--")) {
            options = false;
            continue;
        }
        if (options && arg.startsWith(QLatin1Char('-')) && arg.size() > 1) {
            err << "veltrano-batch: unbekannte Option / unknown option: " << arg << '\n'
                << "Aufruf / usage: veltrano-batch PROJEKT.vtp (--help)\n";
            err.flush();
            return kExitUsage;
        }
        files.append(arg);
    }
    if (files.size() != 1 || files.first().isEmpty()) {
        err << "Aufruf / usage: veltrano-batch PROJEKT.vtp (--help)\n";
        err.flush();
        return kExitUsage;
    }

    OptionSet optionSet;
    optionSet.setModern(modern);
    FileList list;
    list.Initialise();
    ConsoleHost host(err, progressLine);
    ProjectCommands commands(optionSet, list, host);
    if (!commands.OpenFile(files.first()))
        return kExitProjectUnread;

    EncryptionRun run(optionSet, list, host, Random::program());
    switch (run.RunEncryption()) {
    case EncryptionRun::Outcome::Completed:
        return kExitDone;
    case EncryptionRun::Outcome::CompletedWithErrors:
        return kExitDoneWithErrors;
    case EncryptionRun::Outcome::Stopped:
        return kExitStopped;
    }
    return kExitStopped;
}

} // namespace veltrano
