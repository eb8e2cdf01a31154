#pragma once

#include <QString>

namespace veltrano {

class FileList;
class Host;
class OptionSet;

// New, Open, Save and Save as of the menu "Projekt", talking to the user through the host.
class ProjectCommands {
public:
    ProjectCommands(OptionSet& options, FileList& list, Host& host)
        : options_(options), list_(list), host_(host) {}

    void newProject();
    // Returns false when nothing was loaded (cancelled, another version, a damaged file).
    bool open();
    // Open without the dialog, for a name given otherwise (the batch tool).
    bool openFile(const QString& fileName);
    void save();
    void saveAs();

private:
    OptionSet& options_;
    FileList& list_;
    Host& host_;
};

} // namespace veltrano
