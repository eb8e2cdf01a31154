#pragma once

#include "options/optionset.h"
#include "passes/breakage.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>

#include <array>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

namespace veltrano {
class FileList;
}

namespace veltrano::ui {

// Finds what the conversion without "Moderne Seiten" would break in the live pages of the list,
// on a thread of its own, as pages are added and removed and as the options change; each page is
// read once for the options that decide it, and again only when its file changes. It gives way
// to a run: while one goes on, it reads no page, so the run has the processor to itself.
class BreakageWatch : public QObject {
    Q_OBJECT
public:
    BreakageWatch(const OptionSet& options, const FileList& list, QObject* parent = nullptr);
    ~BreakageWatch() override;

    // The findings for the list and options of the latest change, once they are complete.
    struct Findings {
        int pages = 0; // pages with anything broken
        std::array<int, breakage::kKindCount> perKind{};
    };
    const Findings& findings() const { return findings_; }

    // Holds the watch for as long as it lives; it goes on where it stopped.
    class Pause {
    public:
        explicit Pause(BreakageWatch& watch) : watch_(watch) { watch_.hold(true); }
        ~Pause() { watch_.hold(false); }
        Pause(const Pause&) = delete;
        Pause& operator=(const Pause&) = delete;

    private:
        BreakageWatch& watch_;
    };

signals:
    void changed();

private:
    struct Job {
        quint64 generation = 0;
        QStringList paths;
        OptionValues options;
    };
    struct Known {
        qint64 size = -1;
        qint64 modified = 0;
        breakage::Kinds kinds = 0;
    };

    void schedule();
    void hold(bool held);
    void work();
    void publish(quint64 generation, const Findings& findings);

    const OptionSet& options_;
    const FileList& list_;
    Findings findings_;
    quint64 generation_ = 0;

    std::mutex mutex_;
    std::condition_variable wake_;
    std::optional<Job> job_; // the latest job not yet taken
    bool quit_ = false;
    int held_ = 0;                // pauses in force
    QHash<QString, Known> known_; // per path and option key; used by the thread alone
    std::thread thread_;
};

} // namespace veltrano::ui
