#include "projectfile.h"

#include "filelist/filelist.h"
#include "options/optionset.h"
#include "text/codepage.h"

#include <QFile>
#include <QSaveFile>

#include <array>
#include <cerrno>
#include <optional>

namespace veltrano {

namespace {

// Lines 2 to 13: the check boxes and, in their midst, the option pair.
enum class LineKind { Number, Word, Text };

struct FieldLine {
    LineKind kind;
    int field; // CheckField or TextField; for words 0 = chkNewFiles, 1 = chkOverwrite
    const char* name;
};

constexpr std::array<FieldLine, 17> kLayout = {{
    {LineKind::Number, static_cast<int>(CheckField::chkNativ), "chkNativ"},
    {LineKind::Number, static_cast<int>(CheckField::chkZange), "chkZange"},
    {LineKind::Number, static_cast<int>(CheckField::chkJava), "chkJava"},
    {LineKind::Number, static_cast<int>(CheckField::chkLine), "chkLine"},
    {LineKind::Number, static_cast<int>(CheckField::chkFake), "chkFake"},
    {LineKind::Number, static_cast<int>(CheckField::chkRClick), "chkRClick"},
    {LineKind::Number, static_cast<int>(CheckField::chkSel), "chkSel"},
    {LineKind::Number, static_cast<int>(CheckField::chkPrint), "chkPrint"},
    {LineKind::Number, static_cast<int>(CheckField::chkSeo), "chkSeo"},
    {LineKind::Word, 0, "chkNewFiles"},
    {LineKind::Word, 1, "chkOverwrite"},
    {LineKind::Number, static_cast<int>(CheckField::chkBkup), "chkBkup"},
    {LineKind::Text, static_cast<int>(TextField::txtStart), "txtStart"},
    {LineKind::Text, static_cast<int>(TextField::txtEnd), "txtEnd"},
    {LineKind::Text, static_cast<int>(TextField::txt404), "txt404"},
    {LineKind::Text, static_cast<int>(TextField::txtJava), "txtJava"},
    {LineKind::Text, static_cast<int>(TextField::txtPath), "txtPath"},
}};
constexpr int kHeadLines = 18;

const QByteArray kCrLf = QByteArrayLiteral("\r\n");

// Splits a file into lines: a line ends at CR, CR LF or LF; a last line without an end counts.
QList<QByteArrayView> splitLines(QByteArrayView bytes) {
    QList<QByteArrayView> lines;
    qsizetype start = 0;
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char c = bytes[i];
        if (c != '\r' && c != '\n')
            continue;
        lines.append(bytes.sliced(start, i - start));
        if (c == '\r' && i + 1 < n && bytes[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < n)
        lines.append(bytes.sliced(start));
    return lines;
}

std::optional<int> wholeNumber(const QString& text) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok)
        return std::nullopt;
    return value;
}

std::optional<bool> wordValue(const QString& text) {
    const QString t = text.trimmed();
    if (t.compare(QLatin1String("Wahr"), Qt::CaseInsensitive) == 0 ||
        t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (t.compare(QLatin1String("Falsch"), Qt::CaseInsensitive) == 0 ||
        t.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    bool ok = false;
    const double number = t.toDouble(&ok);
    if (!ok)
        return std::nullopt;
    return number != 0.0;
}

ProjectError damaged(const QString& message) {
    return {ProjectError::Kind::Damaged, message};
}

ProjectError damaged(const QString& fileName, int line, const QString& what) {
    return damaged(QStringLiteral("Die Projektdatei \"%1\" ist beschädigt: Zeile %2 %3")
                       .arg(fileName)
                       .arg(line)
                       .arg(what));
}

// A text that cannot stand in a project line as it is.
FileError unwritable(const QString& fileName, const QString& what, const QString& text) {
    return {EILSEQ, QStringLiteral("Das Projekt \"%1\" wurde nicht gespeichert: %2 \"%3\" enthält "
                                   "Zeichen, die eine Projektdatei nicht aufnehmen kann.")
                        .arg(fileName, what, text)};
}

bool holdsLineBreak(const QString& text) {
    return text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char('\n'));
}

} // namespace

QString lineForMessage(const QString& line) {
    constexpr qsizetype kShown = 60;
    QString shown = line.left(kShown);
    for (QChar& c : shown) {
        if (c.category() == QChar::Other_Control)
            c = QLatin1Char('?');
    }
    if (line.size() > kShown)
        shown += QStringLiteral("…");
    return shown;
}

std::optional<FileError> WriteProject(const QString& fileName, const OptionSet& options,
                                      const FileList& list) {
    const OptionValues& v = options.values();
    QByteArray bytes;
    bytes += kProgramVersion;
    bytes += kCrLf;
    for (const FieldLine& line : kLayout) {
        switch (line.kind) {
        case LineKind::Number:
            bytes += ' ' + QByteArray::number(v.checks[static_cast<size_t>(line.field)]) + ' ';
            break;
        case LineKind::Word: {
            const bool on = line.field == 0 ? v.chkNewFiles : v.chkOverwrite;
            bytes += on ? "Wahr" : "Falsch";
            break;
        }
        case LineKind::Text: {
            // A user text keeps its line: a character the code page cannot hold is written as
            // "?", as the page writer does. Only a line break would shift the lines after it.
            const QString& text = v.texts[static_cast<size_t>(line.field)];
            if (holdsLineBreak(text))
                return unwritable(
                    fileName,
                    QStringLiteral("Das Feld %1 mit dem Text").arg(QLatin1String(line.name)), text);
            bytes += codepage::fromUnicode(text);
            break;
        }
        }
        bytes += kCrLf;
    }
    for (int row = 0; row < list.count(); ++row) {
        if (list.removed(row))
            continue;
        const QString& path = list.path(row);
        if (!codepage::canEncode(path) || holdsLineBreak(path))
            return unwritable(fileName, QStringLiteral("Der Pfad"), path);
        bytes += codepage::fromUnicode(path);
        bytes += kCrLf;
    }

    // A new file replaces the old one only when it is complete.
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        return FileError{EIO,
                         QStringLiteral("Das Projekt \"%1\" konnte nicht gespeichert werden: %2")
                             .arg(fileName, file.errorString())};
    }
    return std::nullopt;
}

namespace {

// The options from lines 2 to 18, every field on its line.
Result<OptionValues, ProjectError> readOptions(const QList<QByteArrayView>& lines,
                                               const QString& fileName) {
    OptionValues values;
    bool newFiles = false;
    bool overwrite = false;
    for (int i = 0; i < static_cast<int>(kLayout.size()); ++i) {
        const FieldLine& field = kLayout[static_cast<size_t>(i)];
        const int lineNumber = i + 2;
        if (lineNumber > lines.size())
            return damaged(fileName, lineNumber,
                           QStringLiteral("(%1) fehlt, die Datei endet nach Zeile %2.")
                               .arg(QLatin1String(field.name))
                               .arg(lines.size()));
        const QString text = codepage::toUnicode(lines[lineNumber - 1]);
        switch (field.kind) {
        case LineKind::Number: {
            const std::optional<int> n = wholeNumber(text);
            if (!n || *n < 0 || *n > 2)
                return damaged(fileName, lineNumber,
                               QStringLiteral("(%1) enthält \"%2\" statt 0, 1 oder 2.")
                                   .arg(QLatin1String(field.name), lineForMessage(text)));
            values.checks[static_cast<size_t>(field.field)] = static_cast<CheckState>(*n);
            break;
        }
        case LineKind::Word: {
            const std::optional<bool> on = wordValue(text);
            if (!on)
                return damaged(fileName, lineNumber,
                               QStringLiteral("(%1) enthält \"%2\" statt Wahr oder Falsch.")
                                   .arg(QLatin1String(field.name), lineForMessage(text)));
            (field.field == 0 ? newFiles : overwrite) = *on;
            break;
        }
        case LineKind::Text:
            values.texts[static_cast<size_t>(field.field)] = text;
            break;
        }
    }
    // The pair is written in file order under the group rule: the folder output first, then
    // overwriting, which wins when both lines say "Wahr".
    values.chkNewFiles = newFiles && !overwrite;
    values.chkOverwrite = overwrite;
    return values;
}

} // namespace

ProjectRead parseProject(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return damaged(QStringLiteral("Die Projektdatei \"%1\" konnte nicht geöffnet werden: %2")
                           .arg(fileName, file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return damaged(QStringLiteral("Die Projektdatei \"%1\" konnte nicht gelesen werden: %2")
                           .arg(fileName, file.errorString()));
    file.close();

    const QList<QByteArrayView> lines = splitLines(bytes);
    if (lines.isEmpty())
        return damaged(QStringLiteral("Die Projektdatei \"%1\" ist leer.").arg(fileName));
    const QString versionLine = codepage::toUnicode(lines[0]);
    if (versionLine != QLatin1String(kProgramVersion))
        return ProjectError{ProjectError::Kind::VersionMismatch, versionLine};
    auto options = readOptions(lines, fileName);
    if (!options)
        return options.error();
    Project project{*options, {}};
    for (qsizetype i = kHeadLines; i < lines.size(); ++i) {
        // An empty line leads to no page.
        if (!lines[i].isEmpty())
            project.pages.append(codepage::toUnicode(lines[i]));
    }
    return project;
}

void applyProject(const Project& project, OptionSet& options, FileList& list) {
    options.setValues(project.options);
    for (const QString& page : project.pages)
        list.Append(page);
}

ProjectRead ReadProject(const QString& fileName, OptionSet& options, FileList& list) {
    ProjectRead read = parseProject(fileName);
    if (read)
        applyProject(*read, options, list);
    return read;
}

} // namespace veltrano
