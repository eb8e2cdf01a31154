#pragma once

#include <QString>

namespace veltrano {

class FileList;
class OptionSet;

// The program version as the first line of a project file writes it.
inline constexpr char kProgramVersion[] = "3.0.0";

struct ProjectReadResult {
    enum class Status { Ok, VersionMismatch, Damaged };
    Status status = Status::Ok;
    QString versionLine; // the first line as read, for the version message
    QString message;     // for Damaged: a German text naming the file and the line
};

// A line of a project file as a message quotes it: control characters shown as "?", and cut
// after a few dozen characters, so a file that is no project still gives a readable message.
QString lineForMessage(const QString& line);

// Writes the options and the live entries of the list. Returns an empty text on success,
// otherwise a German message naming the file and the failure.
QString WriteProject(const QString& fileName, const OptionSet& options, const FileList& list);

// Reads a project into the options and appends its pages to the list. The whole file is
// checked before any field changes.
ProjectReadResult ReadProject(const QString& fileName, OptionSet& options, FileList& list);

} // namespace veltrano
