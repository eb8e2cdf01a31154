#pragma once

#include "options/optionset.h"

#include <QString>
#include <QStringList>

namespace veltrano {

class FileList;

// The program version as the first line of a project file writes it.
inline constexpr char kProgramVersion[] = "3.0.0";

// A job as its project file holds it: every field of the options, and the pages in order.
struct Project {
    OptionValues options;
    QStringList pages;
};

struct ProjectReadResult {
    enum class Status { Ok, VersionMismatch, Damaged };
    Status status = Status::Ok;
    QString versionLine; // the first line as read, for the version message
    QString message;     // for Damaged: a German text naming the file and the line
    Project project;     // for Ok: what the file holds
};

// A line of a project file as a message quotes it: control characters shown as "?", and cut
// after a few dozen characters, so a file that is no project still gives a readable message.
QString lineForMessage(const QString& line);

// Writes the options and the live entries of the list. Returns an empty text on success,
// otherwise a German message naming the file and the failure.
QString WriteProject(const QString& fileName, const OptionSet& options, const FileList& list);

// Reads and checks a whole project file; changes nothing.
ProjectReadResult ParseProject(const QString& fileName);
// Sets every field of the options to the project's and appends its pages to the list.
void ApplyProject(const Project& project, OptionSet& options, FileList& list);
// Both: the project is applied only when its whole file was read without fault.
ProjectReadResult ReadProject(const QString& fileName, OptionSet& options, FileList& list);

} // namespace veltrano
