#include "pagesink.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace veltrano {

PageSink::PageSink(ByteBuffer& buffer, int fd) : buffer_(buffer), fd_(fd) {
    buffer_.clear();
}

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
    }
}

void PageSink::flush() {
    if (!streaming() || buffer_.isEmpty())
        return;
    if (!error_) {
        const char* p = buffer_.data();
        qsizetype left = buffer_.size();
        while (left > 0) {
            const ssize_t n = ::write(fd_, p, static_cast<size_t>(left));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                const int code = n < 0 ? errno : EIO;
                error_ = FileError{code, QString::fromLocal8Bit(std::strerror(code))};
                break;
            }
            p += n;
            left -= n;
            written_ += n;
        }
        // Start writing the page out to disk as it grows (without waiting), so the file
        // system has little left to do when the finished page replaces the old file.
        if (written_ - synced_ >= kSyncSize) {
            ::sync_file_range(fd_, synced_, written_ - synced_, SYNC_FILE_RANGE_WRITE);
            synced_ = written_;
        }
    }
    buffer_.clear();
}

std::optional<FileError> PageSink::finish() {
    flush();
    return error_;
}

} // namespace veltrano
