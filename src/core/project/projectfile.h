#pragma once

#include "io/pagewrite.h"
#include "options/optionset.h"
#include "result.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace veltrano {

class FileList;

// The program version as the first line of a project file writes it.
inline constexpr char kProgramVersion[] = "3.0.0";

// A job as its project file holds it: every field of the options, and the pages in order.
struct Project {
    OptionValues options;
    QStringList pages;
};

// Why a project file gives no project.
struct ProjectError {
    enum class Kind { VersionMismatch, Damaged };
    Kind kind = Kind::Damaged;
    QString text; // the first line as read, or a German message naming the file and the line
};
using ProjectRead = Result<Project, ProjectError>;

// A line of a project file as a message quotes it: control characters shown as "?", and cut
// after a few dozen characters, so a file that is no project still gives a readable message.
QString lineForMessage(const QString& line);

// Writes the options and the live entries of the list; a failure is described by a German
// message naming the file.
std::optional<FileError> WriteProject(const QString& fileName, const OptionSet& options,
                                      const FileList& list);

// Reads and checks a whole project file; changes nothing.
ProjectRead parseProject(const QString& fileName);
// Sets every field of the options to the project's and appends its pages to the list.
void applyProject(const Project& project, OptionSet& options, FileList& list);
// Both: the project is applied only when its whole file was read without fault.
ProjectRead ReadProject(const QString& fileName, OptionSet& options, FileList& list);

} // namespace veltrano
