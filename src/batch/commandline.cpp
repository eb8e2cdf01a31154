#include "commandline.h"

#include <QCommandLineParser>

#include <optional>
#include <utility>

namespace veltrano {

namespace {

// Why the command line is refused, as its one-line message; nothing when it is taken.
using Refusal = std::optional<QString>;

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

// What a flag given on the command line puts into the request: flag is its long name, value
// its value (empty for a switch).
using Take = Refusal (*)(BatchRequest& r, const QString& flag, const QString& value);

template <bool BatchRequest::*Field>
Refusal setSwitch(BatchRequest& r, const QString&, const QString&) {
    r.*Field = true;
    return std::nullopt;
}

// A file or folder, which must have a name.
template <QString BatchRequest::*Field>
Refusal setName(BatchRequest& r, const QString& flag, const QString& value) {
    if (value.isEmpty())
        return usageError(QStringLiteral("leerer Name"), QStringLiteral("empty name"),
                          QStringLiteral("--") + flag);
    r.*Field = value;
    return std::nullopt;
}

// A protection the flag switches off.
template <CheckField Field> Refusal switchOff(BatchRequest& r, const QString&, const QString&) {
    r.checks.emplace_back(Field, CheckState{0});
    return std::nullopt;
}

template <TextField Field> Refusal setText(BatchRequest& r, const QString&, const QString& value) {
    r.texts.emplace_back(Field, value);
    return std::nullopt;
}

template <TextField Field>
Refusal setLineCount(BatchRequest& r, const QString& flag, const QString& value) {
    int lines = 0;
    if (!isCount(value, 0, 1'000'000'000, &lines))
        return usageError(QStringLiteral("keine Zeilenzahl"), QStringLiteral("not a line count"),
                          QStringLiteral("--%1 %2").arg(flag, value));
    return setText<Field>(r, flag, value);
}

Refusal setSeo(BatchRequest& r, const QString& flag, const QString& value) {
    // In the order of the check box's states.
    static const QStringList kStates = {QStringLiteral("off"), QStringLiteral("on"),
                                        QStringLiteral("dimmed")};
    const qsizetype state = kStates.indexOf(value);
    if (state < 0)
        return usageError(QStringLiteral("erlaubt sind on, off, dimmed"),
                          QStringLiteral("expected on, off or dimmed"),
                          QStringLiteral("--%1 %2").arg(flag, value));
    r.checks.emplace_back(CheckField::chkSeo, static_cast<CheckState>(state));
    return std::nullopt;
}

Refusal setJobs(BatchRequest& r, const QString& flag, const QString& value) {
    if (!isCount(value, 1, 1024, &r.jobs))
        return usageError(QStringLiteral("keine Zahl von 1 bis 1024"),
                          QStringLiteral("not a number from 1 to 1024"),
                          QStringLiteral("--%1 %2").arg(flag, value));
    return std::nullopt;
}

struct Flag {
    const char* name;
    const char* shortName; // or nullptr
    const char* valueName; // nullptr: a switch
    Take take;             // nullptr: answered before any other flag is taken
};

// The flags are taken in this order, so of several refused values the first row's is named.
constexpr Flag kFlags[] = {
    {"help", "h", nullptr, nullptr},
    {"version", nullptr, nullptr, nullptr},
    {"overwrite", nullptr, nullptr, &setSwitch<&BatchRequest::overwrite>},
    {"dry-run", "n", nullptr, &setSwitch<&BatchRequest::dryRun>},
    {"sync", nullptr, nullptr, &setSwitch<&BatchRequest::sync>},
    {"quiet", "q", nullptr, &setSwitch<&BatchRequest::quiet>},
    {"modern", nullptr, nullptr, &setSwitch<&BatchRequest::modern>},
    {"pages-only", nullptr, nullptr, &setSwitch<&BatchRequest::pagesOnly>},
    {"no-native", nullptr, nullptr, &switchOff<CheckField::chkNativ>},
    {"no-zange", nullptr, nullptr, &switchOff<CheckField::chkZange>},
    {"no-javascript", nullptr, nullptr, &switchOff<CheckField::chkJava>},
    {"no-lines", nullptr, nullptr, &switchOff<CheckField::chkLine>},
    {"no-fake", nullptr, nullptr, &switchOff<CheckField::chkFake>},
    {"no-rclick", nullptr, nullptr, &switchOff<CheckField::chkRClick>},
    {"no-select", nullptr, nullptr, &switchOff<CheckField::chkSel>},
    {"no-print", nullptr, nullptr, &switchOff<CheckField::chkPrint>},
    {"no-backup", nullptr, nullptr, &switchOff<CheckField::chkBkup>},
    {"start-lines", nullptr, "TEXT", &setLineCount<TextField::txtStart>},
    {"end-lines", nullptr, "TEXT", &setLineCount<TextField::txtEnd>},
    {"fake-text", nullptr, "TEXT", &setText<TextField::txt404>},
    {"noscript-text", nullptr, "TEXT", &setText<TextField::txtJava>},
    {"seo", nullptr, "on|off|dimmed", &setSeo},
    {"jobs", "j", "N", &setJobs},
    {"output", "o", "DIR", &setName<&BatchRequest::output>},
    {"backup-dir", nullptr, "DIR", &setName<&BatchRequest::backupDir>},
    {"project", "p", "FILE", &setName<&BatchRequest::project>},
    {"save-project", nullptr, "FILE", &setName<&BatchRequest::saveProject>},
    {"report", nullptr, "FILE", &setName<&BatchRequest::report>},
    {"site", nullptr, "DIR", &setName<&BatchRequest::site>},
};

// Flags of which only one may be given.
constexpr std::pair<const char*, const char*> kExclusive[] = {
    {"output", "overwrite"},
    {"backup-dir", "no-backup"},
};

QCommandLineOption option(const Flag& f) {
    QStringList names{name(f.name)};
    if (f.shortName)
        names.prepend(name(f.shortName));
    return f.valueName ? QCommandLineOption(names, {}, name(f.valueName))
                       : QCommandLineOption(names);
}

QString parseError(const QCommandLineParser& parser) {
    const QStringList unknown = parser.unknownOptionNames();
    if (unknown.isEmpty()) {
        return usageError(QStringLiteral("falscher Aufruf"), QStringLiteral("wrong usage"),
                          parser.errorText());
    }
    const QString& u = unknown.first();
    return usageError(QStringLiteral("unbekannte Option"), QStringLiteral("unknown option"),
                      (u.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + u);
}

Refusal takeFlags(const QCommandLineParser& parser, BatchRequest& r) {
    for (const Flag& f : kFlags) {
        const QString flag = name(f.name);
        if (!f.take || !parser.isSet(flag))
            continue;
        if (Refusal refusal = f.take(r, flag, f.valueName ? parser.value(flag) : QString()))
            return refusal;
    }
    for (const auto& [first, second] : kExclusive) {
        if (parser.isSet(name(first)) && parser.isSet(name(second)))
            return usageError(QStringLiteral("nur eines von beiden"),
                              QStringLiteral("only one of both"),
                              QStringLiteral("--%1, --%2").arg(name(first), name(second)));
    }
    for (const QString& path : std::as_const(r.paths)) {
        if (path.isEmpty())
            return usageError(QStringLiteral("leerer Pfad"), QStringLiteral("empty path"),
                              QStringLiteral("\"\""));
    }
    return std::nullopt;
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

Result<BatchRequest, QString> parseCommandLine(const QStringList& args) {
    QCommandLineParser parser;
    for (const Flag& f : kFlags)
        parser.addOption(option(f));
    if (!parser.parse(QStringList{QStringLiteral("veltrano-batch")} + args))
        return parseError(parser);
    BatchRequest r;
    r.help = parser.isSet(QStringLiteral("help"));
    r.version = parser.isSet(QStringLiteral("version"));
    if (r.help || r.version)
        return r;
    r.paths = parser.positionalArguments();
    if (const Refusal refusal = takeFlags(parser, r))
        return *refusal;
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
