#include "commandline.h"

#include <QCommandLineParser>

namespace veltrano {

namespace {

// The protections and texts as flags: a flag that switches a protection off, and one that
// sets a text of the job.
struct CheckFlag {
    const char* name;
    CheckField field;
};
constexpr CheckFlag kCheckFlags[] = {
    {"no-native", CheckField::chkNativ},    {"no-zange", CheckField::chkZange},
    {"no-javascript", CheckField::chkJava}, {"no-lines", CheckField::chkLine},
    {"no-fake", CheckField::chkFake},       {"no-rclick", CheckField::chkRClick},
    {"no-select", CheckField::chkSel},      {"no-print", CheckField::chkPrint},
    {"no-backup", CheckField::chkBkup},
};

struct TextFlag {
    const char* name;
    TextField field;
    bool number;
};
constexpr TextFlag kTextFlags[] = {
    {"start-lines", TextField::txtStart, true},
    {"end-lines", TextField::txtEnd, true},
    {"fake-text", TextField::txt404, false},
    {"noscript-text", TextField::txtJava, false},
};

QString name(const char* n) {
    return QString::fromLatin1(n);
}

QString usageError(const QString& german, const QString& english, const QString& argument) {
    return QStringLiteral("veltrano-batch: %1 / %2: %3").arg(german, english, argument);
}

bool isCount(const QString& text, int minimum, int maximum, int* value) {
    bool ok = false;
    const int n = text.toInt(&ok);
    if (!ok || n < minimum || n > maximum || text.startsWith(QLatin1Char('+')))
        return false;
    *value = n;
    return true;
}

} // namespace

void BatchRequest::applyTo(OptionSet& options) const {
    for (const auto& [field, state] : checks)
        options.setCheck(field, state);
    for (const auto& [field, text] : texts)
        options.setText(field, text);
    if (!output.isEmpty()) {
        options.setNewFiles(true);
        options.setText(TextField::txtPath, output);
    }
    if (overwrite)
        options.setOverwrite(true);
    if (modern)
        options.setModern(true);
}

std::optional<BatchRequest> parseCommandLine(const QStringList& args, QString* error) {
    QCommandLineParser parser;
    const QString dir = QStringLiteral("DIR");
    const QString file = QStringLiteral("FILE");
    parser.addOptions({
        {{QStringLiteral("h"), QStringLiteral("help")}, {}},
        {QStringLiteral("version"), {}},
        {{QStringLiteral("o"), QStringLiteral("output")}, {}, dir},
        {QStringLiteral("overwrite"), {}},
        {QStringLiteral("backup-dir"), {}, dir},
        {{QStringLiteral("p"), QStringLiteral("project")}, {}, file},
        {QStringLiteral("save-project"), {}, file},
        {{QStringLiteral("n"), QStringLiteral("dry-run")}, {}},
        {QStringLiteral("report"), {}, file},
        {QStringLiteral("sync"), {}},
        {{QStringLiteral("j"), QStringLiteral("jobs")}, {}, QStringLiteral("N")},
        {{QStringLiteral("q"), QStringLiteral("quiet")}, {}},
        {QStringLiteral("seo"), {}, QStringLiteral("on|off|dimmed")},
        {QStringLiteral("modern"), {}},
        {QStringLiteral("pages-only"), {}},
        {QStringLiteral("site"), {}, dir},
    });
    for (const CheckFlag& f : kCheckFlags)
        parser.addOption({name(f.name), {}});
    for (const TextFlag& f : kTextFlags)
        parser.addOption({name(f.name), {}, QStringLiteral("TEXT")});

    if (!parser.parse(QStringList{QStringLiteral("veltrano-batch")} + args)) {
        const QStringList unknown = parser.unknownOptionNames();
        if (!unknown.isEmpty()) {
            const QString& u = unknown.first();
            *error =
                usageError(QStringLiteral("unbekannte Option"), QStringLiteral("unknown option"),
                           (u.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + u);
        } else {
            *error = usageError(QStringLiteral("falscher Aufruf"), QStringLiteral("wrong usage"),
                                parser.errorText());
        }
        return std::nullopt;
    }

    BatchRequest r;
    r.help = parser.isSet(QStringLiteral("help"));
    r.version = parser.isSet(QStringLiteral("version"));
    r.paths = parser.positionalArguments();
    r.project = parser.value(QStringLiteral("project"));
    r.output = parser.value(QStringLiteral("output"));
    r.overwrite = parser.isSet(QStringLiteral("overwrite"));
    r.backupDir = parser.value(QStringLiteral("backup-dir"));
    r.saveProject = parser.value(QStringLiteral("save-project"));
    r.report = parser.value(QStringLiteral("report"));
    r.dryRun = parser.isSet(QStringLiteral("dry-run"));
    r.sync = parser.isSet(QStringLiteral("sync"));
    r.quiet = parser.isSet(QStringLiteral("quiet"));
    r.modern = parser.isSet(QStringLiteral("modern"));
    r.pagesOnly = parser.isSet(QStringLiteral("pages-only"));
    r.site = parser.value(QStringLiteral("site"));
    if (r.help || r.version)
        return r;

    for (const CheckFlag& f : kCheckFlags) {
        if (parser.isSet(name(f.name)))
            r.checks.emplace_back(f.field, CheckState{0});
    }
    for (const TextFlag& f : kTextFlags) {
        if (!parser.isSet(name(f.name)))
            continue;
        const QString value = parser.value(name(f.name));
        int n = 0;
        if (f.number && !isCount(value, 0, 1'000'000'000, &n)) {
            *error =
                usageError(QStringLiteral("keine Zeilenzahl"), QStringLiteral("not a line count"),
                           QStringLiteral("--%1 %2").arg(name(f.name), value));
            return std::nullopt;
        }
        r.texts.emplace_back(f.field, value);
    }
    if (parser.isSet(QStringLiteral("seo"))) {
        static const QStringList kSeo = {QStringLiteral("off"), QStringLiteral("on"),
                                         QStringLiteral("dimmed")};
        const QString value = parser.value(QStringLiteral("seo"));
        const qsizetype state = kSeo.indexOf(value);
        if (state < 0) {
            *error = usageError(QStringLiteral("erlaubt sind on, off, dimmed"),
                                QStringLiteral("expected on, off or dimmed"),
                                QStringLiteral("--seo ") + value);
            return std::nullopt;
        }
        r.checks.emplace_back(CheckField::chkSeo, static_cast<CheckState>(state));
    }
    if (parser.isSet(QStringLiteral("jobs")) &&
        !isCount(parser.value(QStringLiteral("jobs")), 1, 1024, &r.jobs)) {
        *error = usageError(QStringLiteral("keine Zahl von 1 bis 1024"),
                            QStringLiteral("not a number from 1 to 1024"),
                            QStringLiteral("--jobs ") + parser.value(QStringLiteral("jobs")));
        return std::nullopt;
    }
    const auto isEmptyValue = [&](const char* option) {
        return parser.isSet(name(option)) && parser.value(name(option)).isEmpty();
    };
    for (const char* option :
         {"output", "backup-dir", "project", "save-project", "report", "site"}) {
        if (isEmptyValue(option)) {
            *error = usageError(QStringLiteral("leerer Name"), QStringLiteral("empty name"),
                                QStringLiteral("--") + name(option));
            return std::nullopt;
        }
    }
    if (!r.output.isEmpty() && r.overwrite) {
        *error =
            usageError(QStringLiteral("nur eines von beiden"), QStringLiteral("only one of both"),
                       QStringLiteral("--output, --overwrite"));
        return std::nullopt;
    }
    if (!r.backupDir.isEmpty() && parser.isSet(QStringLiteral("no-backup"))) {
        *error =
            usageError(QStringLiteral("nur eines von beiden"), QStringLiteral("only one of both"),
                       QStringLiteral("--backup-dir, --no-backup"));
        return std::nullopt;
    }
    for (const QString& path : std::as_const(r.paths)) {
        if (path.isEmpty()) {
            *error = usageError(QStringLiteral("leerer Pfad"), QStringLiteral("empty path"),
                                QStringLiteral("\"\""));
            return std::nullopt;
        }
    }
    // A lone project argument, as the tool has always taken it.
    if (r.project.isEmpty() && r.paths.size() == 1 &&
        r.paths.first().endsWith(QStringLiteral(".vtp"), Qt::CaseInsensitive)) {
        r.project = r.paths.takeFirst();
    }
    return r;
}

} // namespace veltrano

namespace veltrano {

QString batchHelp() {
    return QStringLiteral(
        "Aufruf: veltrano-batch [OPTIONEN] PFAD...\n"
        "        veltrano-batch [OPTIONEN] -p PROJEKT.vtp [PFAD...]\n"
        "\n"
        "Verschlüsselt Seiten ohne Fenster. Jeder PFAD ist eine Seite oder ein Ordner; ein Ordner\n"
        "wird mit allen Unterordnern nach *.htm, *.html und *.shtml durchsucht, in der "
        "Reihenfolge\n"
        "von \"+++\". Mit -o bleiben die Unterordner erhalten (site/blog/a.html wird\n"
        "ORDNER/blog/a.html); eine einzeln genannte Seite kommt direkt in den ORDNER. Zwei Seiten\n"
        "mit demselben Ziel sind ein Fehler, bevor etwas geschrieben wird. Die Seiten werden auf\n"
        "allen Kernen verschlüsselt, Byte für Byte wie im Fenster.\n"
        "Mit -o kommen die anderen Dateien der Ordner (Stile, Bilder, Skripte, .htaccess) Byte\n"
        "für Byte mit Änderungsdatum an denselben Platz; nicht kopiert werden .git, .svn, .hg,\n"
        "der Ausgabeordner und die .bak-Sicherungen der Seiten.\n"
        "Meldungen erscheinen als eine Zeile \"TITEL: TEXT\" auf der Standardfehlerausgabe, dort\n"
        "auch ein Fortschrittsbalken, wenn sie ein Terminal ist.\n"
        "\n"
        "Usage: veltrano-batch [OPTIONS] PATH...\n"
        "       veltrano-batch [OPTIONS] -p PROJECT.vtp [PATH...]\n"
        "\n"
        "Converts pages without a window. Each PATH is a page or a folder; a folder is searched\n"
        "with all its sub-folders for *.htm, *.html and *.shtml, in the order of \"+++\". With -o\n"
        "sub-folders are kept (site/blog/a.html becomes DIR/blog/a.html); a page named on its own\n"
        "goes directly into DIR. Two pages with one output are an error before anything is\n"
        "written. Pages are converted on all cores, byte for byte as in the window.\n"
        "With -o the other files of the folders (styles, pictures, scripts, .htaccess) are copied\n"
        "byte for byte with their time into the same place; .git, .svn, .hg, the output folder "
        "and\n"
        "the .bak copies of the pages are left behind.\n"
        "Messages go to standard error as one line \"TITLE: TEXT\"; so does a progress bar when\n"
        "standard error is a terminal.\n"
        "\n"
        "Ausgabe / output:\n"
        "  -o, --output DIR        Ausgabeordner / output folder\n"
        "  --overwrite             Quelldateien überschreiben, mit .bak / overwrite the sources,\n"
        "                          with a .bak copy\n"
        "  --no-backup             ohne .bak / without the .bak copy\n"
        "  --backup-dir DIR        .bak-Kopien nach DIR, mit den Unterordnern / .bak copies into\n"
        "                          DIR, keeping the sub-folders\n"
        "  --pages-only            keine anderen Dateien kopieren / copy no other files\n"
        "  --site DIR              Seiten des Projekts behalten ihren Pfad unter DIR, dessen\n"
        "                          andere Dateien kommen mit / the project's pages keep their\n"
        "                          path below DIR, its other files are copied\n"
        "Schutz / protection (Vorgabe: alles an / default: everything on):\n"
        "  --no-native             ohne Natives HTML Crippling / no character references\n"
        "  --no-zange              ohne Quelltextzange / no line joining\n"
        "  --no-javascript         ohne Javaskript Verschlüsselung / no JavaScript form\n"
        "  --seo on|off|dimmed     Kopf lesbar für Suchmaschinen / head readable for search "
        "engines\n"
        "  --no-lines              ohne Leerzeilen am Anfang / no blank lines at the start\n"
        "  --start-lines N         Leerzeilen am Anfang (200) / blank lines at the start (200)\n"
        "  --end-lines N           Leerzeilen am Ende (200) / blank lines at the end (200)\n"
        "  --no-fake               ohne Fake-Meldung und Leerzeilen am Ende / no fake message and\n"
        "                          no blank lines at the end\n"
        "  --fake-text TEXT        Text der Fake-Meldung / text of the fake message\n"
        "  --noscript-text TEXT    Hinweis ohne Javaskript / notice without JavaScript\n"
        "  --no-rclick             Kontextmenü nicht sperren / do not block the context menu\n"
        "  --no-select             Markieren nicht sperren / do not block selection\n"
        "  --no-print              Drucken nicht sperren / do not block printing\n"
        "  --modern                Moderne Seiten: eigene Kodierung, UTF-8, Projektseiten in\n"
        "                          ihren Unterordnern, .bak genau wie das Original / modern\n"
        "                          pages: own encoding, UTF-8, project pages in their folders,\n"
        "                          .bak exactly the original\n"
        "                          ohne --modern: eine Warnung je Schaden (utf8,\n"
        "                          comment-markup, script-attributes, doctype ...) / without\n"
        "                          it: one warning per kind of damage\n"
        "Projekt / project:\n"
        "  -p, --project FILE      Einstellungen und Seiten aus einem Projekt; Schalter gehen vor "
        "/\n"
        "                          options and pages from a project; flags override them\n"
        "  --save-project FILE     Einstellungen und Seiten als Projekt speichern; was die Datei\n"
        "                          nicht hält, nennt eine Zeile mit den Schaltern dafür / save\n"
        "                          the options and pages as a project; one line names what the\n"
        "                          file cannot hold and the flags for it\n"
        "Lauf / run:\n"
        "  -n, --dry-run           nur QUELLE -> ZIEL zeigen, nichts schreiben / only print\n"
        "                          SOURCE -> OUTPUT, write nothing\n"
        "  --report FILE           Bericht als JSON / report as JSON\n"
        "  --sync                  auch Seiten im Ausgabeordner auf den Datenträger schreiben\n"
        "                          (fsync) / flush pages in the output folder to disk too\n"
        "  -j, --jobs N            gleichzeitige Seiten (Vorgabe: Kerne) / pages at once\n"
        "                          (default: the number of cores)\n"
        "  -q, --quiet             nur Fehler melden / report errors only\n"
        "  --version               Version\n"
        "  -h, --help              diese Hilfe / this help\n"
        "\n"
        "Beispiel / example:\n"
        "  veltrano-batch -o public-protected/ public/\n"
        "\n"
        "Rückgabewert / exit status:\n"
        "  0   Lauf abgeschlossen, keine Fehlermeldung / run completed without any error message\n"
        "  1   Lauf abgeschlossen, mit Fehlermeldungen / run completed after error messages\n"
        "  2   Lauf abgebrochen: eine Datei fehlte oder war leer / run stopped: a page was "
        "missing\n"
        "      or empty\n"
        "  3   Projekt nicht lesbar / project could not be read\n"
        "  64  falscher Aufruf / wrong usage\n"
        "  130 mit --modern durch Strg+C beendet / ended by Ctrl-C with --modern\n");
}

} // namespace veltrano
