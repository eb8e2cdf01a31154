#include "pagesink.h"

#include "host.h"

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace veltrano {

void PageSink::Output::write(const ByteBuffer& block) {
    if (error)
        return;
    error = writeAll(fd, block.view(), written);
    if (error)
        return;
    written += block.size();
    // Start writing the page out to disk as it grows (without waiting), so the file system has
    // little left to do when the finished page replaces the old file.
    if (written - synced >= kSyncSize) {
        ::sync_file_range(fd, synced, written - synced, SYNC_FILE_RANGE_WRITE);
        synced = written;
    }
}

// Writes one block at a time, handed over by the sink, which meanwhile fills the other. Blocks
// are large: waking a thread costs more than writing a small block.
class PageSink::Writer {
public:
    explicit Writer(int fd) {
        output_.fd = fd;
        thread_ = std::thread([this] { run(); });
    }
    ~Writer() {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        changed_.notify_all();
        thread_.join();
    }
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;

    // Waits until the block handed over before is written, then takes full's bytes and leaves
    // full empty, with the memory of the block written. The disk may hold the writer up for
    // longer than the window may wait, so the wait pumps the host every few milliseconds.
    void handOver(ByteBuffer& full, Host* host) {
        std::unique_lock lock(mutex_);
        const auto idle = [&] { return !busy_; };
        while (!changed_.wait_for(lock, std::chrono::milliseconds(4), idle)) {
            if (host) {
                lock.unlock();
                host->pump();
                lock.lock();
            }
        }
        std::swap(full, block_);
        full.clear();
        busy_ = true;
        changed_.notify_all();
    }
    // Waits until every block handed over is written.
    const Output& finish() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return !busy_; });
        return output_;
    }

private:
    void run() {
        // The writer gives way to every other thread of the program: the window's thread and
        // its painting must not wait for a core while a block is copied.
        ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), 10);
        std::unique_lock lock(mutex_);
        for (;;) {
            changed_.wait(lock, [&] { return busy_ || stopping_; });
            if (!busy_)
                return;
            lock.unlock();
            output_.write(block_);
            lock.lock();
            busy_ = false;
            changed_.notify_all();
        }
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    ByteBuffer block_;
    Output output_;     // the writer's own while busy_, else under the mutex
    bool busy_ = false; // block_ holds bytes still to write
    bool stopping_ = false;
    std::thread thread_;
};

PageSink::PageSink(ByteBuffer& buffer, int fd, Host* host) : buffer_(buffer), host_(host) {
    output_.fd = fd;
    buffer_.clear();
}

PageSink::PageSink(PageSink&& other) noexcept = default;

PageSink::~PageSink() = default;

void PageSink::appendRepeated(QByteArrayView pair, qint64 n) {
    constexpr qint64 kBlock = 1 << 15;
    while (n > 0) {
        const qint64 count = n < kBlock ? n : kBlock;
        char* at = buffer_.room(count * pair.size());
        for (qint64 i = 0; i < count; ++i) {
            std::memcpy(at, pair.data(), static_cast<size_t>(pair.size()));
            at += pair.size();
        }
        buffer_.commit(at);
        maybeFlush();
        n -= count;
        // Millions of blank lines take a while: the window runs between the blocks.
        if (n > 0 && host_)
            host_->pump();
    }
}

void PageSink::flush() {
    if (!streaming() || buffer_.isEmpty())
        return;
    if (!writer_)
        writer_ = std::make_unique<Writer>(output_.fd);
    writer_->handOver(buffer_, host_);
}

std::optional<FileError> PageSink::finish() {
    if (writer_) {
        if (!buffer_.isEmpty())
            writer_->handOver(buffer_, nullptr);
        output_ = writer_->finish();
        writer_.reset();
    } else if (streaming()) {
        output_.write(buffer_);
    }
    buffer_.clear();
    return output_.error;
}

} // namespace veltrano
