#include "pagesink.h"

#include <QIODevice>

namespace veltrano {

PageSink::PageSink(ByteBuffer& buffer, QIODevice* device) : buffer_(buffer), device_(device) {
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
    if (!device_ || buffer_.isEmpty())
        return;
    if (error_.isEmpty()) {
        const qint64 n = device_->write(buffer_.data(), buffer_.size());
        if (n != buffer_.size())
            error_ = device_->errorString();
        else
            written_ += n;
    }
    buffer_.clear();
}

bool PageSink::finish() {
    flush();
    return error_.isEmpty();
}

} // namespace veltrano
