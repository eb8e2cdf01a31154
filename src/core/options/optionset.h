#pragma once

#include <QObject>
#include <QString>

#include <array>

namespace veltrano {

// The check-box fields, in the order a project file stores them.
enum class CheckField {
    chkNativ,
    chkZange,
    chkJava,
    chkLine,
    chkFake,
    chkRClick,
    chkSel,
    chkPrint,
    chkSeo,
    chkBkup,
};
inline constexpr int kCheckFieldCount = 10;

// The text fields, in the order a project file stores them.
enum class TextField { txtStart, txtEnd, txt404, txtJava, txtPath };
inline constexpr int kTextFieldCount = 5;

const char* fieldName(CheckField field);
const char* fieldName(TextField field);

// Check-box state: 0 off, 1 on, 2 dimmed.
using CheckState = qint16;
// Set: on or dimmed, as most options read a box.
constexpr bool isSet(CheckState state) {
    return state != 0;
}
// On and not dimmed.
constexpr bool isOn(CheckState state) {
    return state == 1;
}

// Every choice of one job as a plain value.
struct OptionValues {
    std::array<CheckState, kCheckFieldCount> checks{};
    bool chkNewFiles = true;
    bool chkOverwrite = false;
    std::array<QString, kTextFieldCount> texts;

    CheckState check(CheckField f) const { return checks[static_cast<size_t>(f)]; }
    const QString& text(TextField f) const { return texts[static_cast<size_t>(f)]; }

    bool operator==(const OptionValues&) const = default;

    // A fresh job applies every protection and writes into the folder "html" beside the program.
    static OptionValues defaults(const QString& programFolder);
};

// The program folder followed by "html"; when the program folder is not writable by the user
// (installed for all users), "html" in the user's own data folder of the program, created.
QString defaultOutputFolder(const QString& programFolder);
// The folder that holds the running program, without a trailing separator except at a root.
QString programFolder();

// The one record of options of the process. Readers take a value when they need it; the window
// mirrors the record and follows its changes.
class OptionSet : public QObject {
    Q_OBJECT
public:
    explicit OptionSet(QString programFolder = QString(), QObject* parent = nullptr);

    const OptionValues& values() const { return values_; }
    void setValues(const OptionValues& values);

    CheckState check(CheckField f) const { return values_.check(f); }
    void setCheck(CheckField f, CheckState state);
    const QString& text(TextField f) const { return values_.text(f); }
    void setText(TextField f, const QString& text);

    // The option pair: setting one on sets the other off; setting one off changes nothing else.
    bool newFiles() const { return values_.chkNewFiles; }
    bool overwrite() const { return values_.chkOverwrite; }
    void setNewFiles(bool on);
    void setOverwrite(bool on);

    // New: every field back to its default.
    void reset();

    // "Moderne Seiten": pages are read in their own encoding, written as UTF-8, and markup the
    // browser does not decode is left alone. A preference of the user, not of the job: it is no
    // field of a project and New leaves it as it is. The passes read it when they start.
    bool modern() const { return modern_; }
    void setModern(bool on);

    const QString& programFolder() const { return programFolder_; }

    // The current project file name; empty at start.
    const QString& projectFile() const { return projectFile_; }
    void setProjectFile(const QString& name);

signals:
    void changed();
    void projectFileChanged();

private:
    QString programFolder_;
    OptionValues values_;
    QString projectFile_;
    bool modern_ = false;
};

} // namespace veltrano
