#pragma once

#include "pagewrite.h"
#include "text/bytebuffer.h"

#include <optional>

namespace veltrano {

// Where a converted page goes while it is built. It collects the bytes in memory; when it is
// given an open file it passes them on in large blocks, so the page never has to be held whole.
class PageSink {
public:
    static constexpr qsizetype kFlushSize = 1 << 18;
    static constexpr qint64 kSyncSize = 16 << 20;

    // With a file descriptor (not -1) it streams there; a failed write keeps the platform's
    // error number.
    explicit PageSink(ByteBuffer& buffer, int fd = -1);

    bool streaming() const { return fd_ >= 0; }
    // The bytes that reached the file so far.
    qint64 written() const { return written_; }

    void append(QByteArrayView bytes) {
        buffer_.append(bytes);
        maybeFlush();
    }
    void append(char c) {
        buffer_.append(c);
        maybeFlush();
    }
    // Appends n copies of the same two bytes.
    void appendRepeated(QByteArrayView pair, qint64 n);

    char* room(qsizetype n) { return buffer_.room(n); }
    void commit(const char* end) {
        buffer_.commit(end);
        maybeFlush();
    }

    // Writes what is left to the file; the first write that failed, if one did.
    std::optional<FileError> finish();

private:
    void maybeFlush() {
        if (buffer_.size() >= kFlushSize && streaming())
            flush();
    }
    void flush();

    ByteBuffer& buffer_;
    int fd_ = -1;
    qint64 written_ = 0;
    qint64 synced_ = 0;
    std::optional<FileError> error_;
};

} // namespace veltrano
