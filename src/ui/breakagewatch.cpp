#include "breakagewatch.h"

#include "filelist/filelist.h"

#include <QFileInfo>

namespace veltrano::ui {

namespace {

// The options that decide what breaks, as a key beside the path.
QString optionKey(const OptionValues& v) {
    QString key;
    for (const CheckField f :
         {CheckField::chkNativ, CheckField::chkZange, CheckField::chkJava, CheckField::chkSeo})
        key += QChar(u'0' + v.check(f));
    return key;
}

} // namespace

BreakageWatch::BreakageWatch(const OptionSet& options, const FileList& list, QObject* parent)
    : QObject(parent), options_(options), list_(list) {
    connect(&list_, &FileList::rowsInserted, this, &BreakageWatch::schedule);
    connect(&list_, &FileList::modelReset, this, &BreakageWatch::schedule);
    connect(&list_, &FileList::rowRemoved, this, &BreakageWatch::schedule);
    connect(&options_, &OptionSet::changed, this, &BreakageWatch::schedule);
    thread_ = std::thread([this] { work(); });
    schedule();
}

BreakageWatch::~BreakageWatch() {
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void BreakageWatch::schedule() {
    Job job{++generation_, {}, options_.values()};
    for (int row = 0; row < list_.count(); ++row) {
        if (!list_.removed(row))
            job.paths << list_.path(row);
    }
    {
        std::lock_guard lock(mutex_);
        job_ = std::move(job);
    }
    wake_.notify_all();
}

void BreakageWatch::hold(bool held) {
    {
        std::lock_guard lock(mutex_);
        held_ += held ? 1 : -1;
    }
    wake_.notify_all();
}

// Takes the latest job, and leaves it for a newer one as soon as that comes.
void BreakageWatch::work() {
    for (;;) {
        Job job;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return quit_ || job_.has_value(); });
            if (quit_)
                return;
            job = std::move(*job_);
            job_.reset();
        }
        const QString key = optionKey(job.options);
        Findings found;
        bool overtaken = false;
        for (const QString& path : job.paths) {
            {
                std::unique_lock lock(mutex_);
                wake_.wait(lock, [this] { return quit_ || held_ == 0; });
                overtaken = quit_ || job_.has_value();
            }
            if (overtaken)
                break;
            const QFileInfo info(path);
            Known& known = known_[key + path];
            const qint64 modified = info.lastModified().toMSecsSinceEpoch();
            if (known.size != info.size() || known.modified != modified)
                known = {info.size(), modified, breakage::findBreakageOfFile(path, job.options)};
            found.pages += known.kinds != 0;
            for (int bit = 0; bit < breakage::kKindCount; ++bit)
                found.perKind[static_cast<size_t>(bit)] += (known.kinds >> bit) & 1u;
        }
        if (!overtaken) {
            QMetaObject::invokeMethod(
                this, [this, g = job.generation, found] { publish(g, found); },
                Qt::QueuedConnection);
        }
    }
}

void BreakageWatch::publish(quint64 generation, const Findings& findings) {
    if (generation != generation_)
        return;
    findings_ = findings;
    emit changed();
}

} // namespace veltrano::ui
