#pragma once

#include "pagewrite.h"
#include "text/bytebuffer.h"

#include <memory>
#include <optional>

namespace veltrano {

class Host;

// Where a converted page goes while it is built. It collects the bytes in memory; when it is
// given an open file it passes them on in large blocks, so the page never has to be held whole.
// Once a page outgrows one block, a thread of the sink's own writes each full block while the
// next one is made, so the conversion and the copy into the file system take two cores.
class PageSink {
public:
    // A block of 2 MiB: with smaller ones, handing them over costs more than the second core
    // gains; pages of ordinary size stay below it and are written at once at the end.
    static constexpr qsizetype kFlushSize = 1 << 21;
    static constexpr qint64 kSyncSize = 16 << 20;

    // With a file descriptor (not -1) it streams there; a failed write keeps the platform's
    // error number. While it waits for its thread to take a block, it pumps the host, if given.
    explicit PageSink(ByteBuffer& buffer, int fd = -1, Host* host = nullptr);
    PageSink(PageSink&&) noexcept;
    PageSink& operator=(PageSink&&) = delete;
    ~PageSink();

    bool streaming() const { return output_.fd >= 0; }
    // The bytes that reached the file so far (after finish(): all of them).
    qint64 written() const { return output_.written; }

    void append(QByteArrayView bytes) {
        buffer_.append(bytes);
        maybeFlush();
    }
    void append(char c) {
        buffer_.append(c);
        maybeFlush();
    }
    // Appends n copies of the same two bytes, pumping the host (if given) between blocks.
    void appendRepeated(QByteArrayView pair, qint64 n);

    char* room(qsizetype n) { return buffer_.room(n); }
    void commit(const char* end) {
        buffer_.commit(end);
        maybeFlush();
    }

    // Writes what is left to the file and waits until every block is written; the first write
    // that failed, if one did.
    std::optional<FileError> finish();

private:
    void maybeFlush() {
        if (buffer_.size() >= kFlushSize && streaming())
            flush();
    }
    void flush();

    // The blocks' way into the file, on the calling thread or the writer's.
    struct Output {
        int fd = -1;
        qint64 written = 0;
        qint64 synced = 0;
        std::optional<FileError> error;
        void write(const ByteBuffer& block);
    };
    class Writer;

    ByteBuffer& buffer_;
    Host* host_ = nullptr;
    Output output_; // the writer's while it runs, taken back by finish()
    std::unique_ptr<Writer> writer_;
};

} // namespace veltrano
