#pragma once

#include <QString>
#include <QtGlobal>

#include <functional>
#include <memory>

namespace veltrano {

class WorkTicket;
// The handle of a piece of started work, through which it is awaited (see startedwork.h).
using Ticket = std::shared_ptr<WorkTicket>;

// The one way the engine reaches the user. The window implements it with widgets, the batch
// tool with standard error, tests with a recording fake. Nothing in the engine includes a widget.
class Host {
public:
    enum class Icon { Information, Critical };

    Host() = default;
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;
    virtual ~Host();

    // A modal message with one OK button.
    virtual void message(const QString& prompt, const QString& title, Icon icon);
    // The project file dialog; an empty name means the user cancelled.
    virtual QString openFileName();
    virtual QString saveFileName();

    // The status display of a run: the frame, the current file, the list position,
    // the position inside the current page, and the start button.
    virtual void showStatus(bool visible);
    virtual void setCurrentFile(const QString& path);
    virtual void setListProgress(int value, int maximum);
    virtual void setPageProgress(qint64 value, qint64 maximum);
    virtual void setStartEnabled(bool enabled);

    // A point at which pending user events may run. Hosts decide how often they really pump:
    // the engine calls this at every point where the user may act, cheaply.
    virtual void pump();

    // Blocking file work of a page (writing out, flushing to disk, renaming), run to its end
    // before this returns, after any work started before it. The window runs it on a worker
    // thread and keeps handling its events meanwhile; here it runs in place. The work must not
    // call the host.
    virtual void runBlocking(const std::function<void()>& work);
    // Blocking work that may go on while the engine does its next steps, after any work started
    // before it: the window starts it on its worker and returns; here it runs in place. The
    // work owns what it touches (StartedWork hands it its state) and calls no host.
    virtual Ticket startBlocking(std::function<void()> work);
    // Returns once the ticket's work is done; the window keeps handling its events meanwhile,
    // also when it is asked from inside the events of another wait.
    virtual void await(const Ticket& ticket);
};

// A host that shows nothing and answers every dialog with "cancelled".
class NullHost final : public Host {};

// Reports page progress in steps, so the per-character passes call out to the host only every
// few thousand characters, with a pump each time.
class PageProgress {
public:
    static constexpr qint64 kStep = 1 << 14;

    PageProgress(Host& host, qint64 length) : host_(host), length_(length) {
        host_.setPageProgress(0, length_);
    }
    // Called with the position reached; returns the next position at which to call again.
    qint64 at(qint64 position) {
        host_.setPageProgress(position, length_);
        host_.pump();
        return position + kStep;
    }
    void done() { host_.setPageProgress(length_, length_); }

private:
    Host& host_;
    qint64 length_;
};

} // namespace veltrano
