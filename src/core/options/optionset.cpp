#include "optionset.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <sys/stat.h>
#include <unistd.h>

namespace veltrano {

namespace {
constexpr std::array<const char*, kCheckFieldCount> kCheckNames = {
    "chkNativ",  "chkZange", "chkJava",  "chkLine", "chkFake",
    "chkRClick", "chkSel",   "chkPrint", "chkSeo",  "chkBkup"};
constexpr std::array<const char*, kTextFieldCount> kTextNames = {"txtStart", "txtEnd", "txt404",
                                                                 "txtJava", "txtPath"};
} // namespace

const char* fieldName(CheckField field) {
    return kCheckNames[static_cast<size_t>(field)];
}
const char* fieldName(TextField field) {
    return kTextNames[static_cast<size_t>(field)];
}

QString defaultOutputFolder(const QString& programFolder) {
    // Installed for all users, the program folder belongs to the system: the pages then go to
    // "html" in the user's own folder of the program, made ready so the first run can write.
    const QByteArray folder = QFile::encodeName(programFolder);
    struct stat st {};
    if (!folder.isEmpty() && ::stat(folder.constData(), &st) == 0 && S_ISDIR(st.st_mode) &&
        ::access(folder.constData(), W_OK) != 0) {
        const QString own = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        if (!own.isEmpty()) {
            const QString html = QDir::toNativeSeparators(own + QStringLiteral("/html"));
            QDir().mkpath(html);
            return html;
        }
    }
    return programFolder + QDir::separator() + QStringLiteral("html");
}

QString programFolder() {
    return QDir::toNativeSeparators(QCoreApplication::applicationDirPath());
}

OptionValues OptionValues::defaults(const QString& programFolder) {
    OptionValues v;
    v.checks.fill(1);
    v.chkNewFiles = true;
    v.chkOverwrite = false;
    v.texts[static_cast<size_t>(TextField::txtStart)] = QStringLiteral("200");
    v.texts[static_cast<size_t>(TextField::txtEnd)] = QStringLiteral("200");
    v.texts[static_cast<size_t>(TextField::txt404)] = QStringLiteral("Error 404, file not found!");
    v.texts[static_cast<size_t>(TextField::txtJava)] = QStringLiteral(
        "Diese Webseite benötigt Javaskript um korrekt dargestellt werden zu können.");
    v.texts[static_cast<size_t>(TextField::txtPath)] = defaultOutputFolder(programFolder);
    return v;
}

OptionSet::OptionSet(QString programFolder, QObject* parent)
    : QObject(parent), programFolder_(std::move(programFolder)),
      values_(OptionValues::defaults(programFolder_)) {}

void OptionSet::setValues(const OptionValues& values) {
    if (values_ == values)
        return;
    values_ = values;
    emit changed();
}

void OptionSet::setCheck(CheckField f, CheckState state) {
    auto& slot = values_.checks[static_cast<size_t>(f)];
    if (slot == state)
        return;
    slot = state;
    emit changed();
}

void OptionSet::setText(TextField f, const QString& text) {
    auto& slot = values_.texts[static_cast<size_t>(f)];
    if (slot == text)
        return;
    slot = text;
    emit changed();
}

void OptionSet::setNewFiles(bool on) {
    if (values_.chkNewFiles == on && (!on || !values_.chkOverwrite))
        return;
    values_.chkNewFiles = on;
    if (on)
        values_.chkOverwrite = false;
    emit changed();
}

void OptionSet::setOverwrite(bool on) {
    if (values_.chkOverwrite == on && (!on || !values_.chkNewFiles))
        return;
    values_.chkOverwrite = on;
    if (on)
        values_.chkNewFiles = false;
    emit changed();
}

void OptionSet::reset() {
    setValues(OptionValues::defaults(programFolder_));
}

void OptionSet::setProjectFile(const QString& name) {
    projectFile_ = name;
    emit projectFileChanged();
}

void OptionSet::setModern(bool on) {
    if (modern_ == on)
        return;
    modern_ = on;
    emit changed();
}

} // namespace veltrano
