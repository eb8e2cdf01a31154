#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <cstring>

namespace veltrano {

// A growable byte buffer that keeps its capacity when cleared and does not initialise the bytes
// it grows by, so large pages reuse memory from page to page instead of touching fresh memory.
class ByteBuffer {
public:
    ByteBuffer() = default;
    ByteBuffer(const ByteBuffer&) = delete;
    ByteBuffer& operator=(const ByteBuffer&) = delete;
    ByteBuffer(ByteBuffer&& other) noexcept;
    ByteBuffer& operator=(ByteBuffer&& other) noexcept;
    ~ByteBuffer();

    const char* data() const { return data_; }
    char* data() { return data_; }
    qsizetype size() const { return size_; }
    qsizetype capacity() const { return capacity_; }
    bool isEmpty() const { return size_ == 0; }
    QByteArrayView view() const { return {data_, size_}; }

    void clear() { size_ = 0; }
    void truncate(qsizetype size) { size_ = size; }
    void reserve(qsizetype capacity);
    // Space for at least n more bytes; returns where they go. Call commit() with the end of
    // what was written.
    char* room(qsizetype n) {
        if (capacity_ - size_ < n)
            grow(n);
        return data_ + size_;
    }
    void commit(const char* end) { size_ = end - data_; }

    void append(const char* bytes, qsizetype n) {
        char* at = room(n);
        if (n > 0)
            std::memcpy(at, bytes, static_cast<size_t>(n));
        size_ += n;
    }
    void append(QByteArrayView bytes) { append(bytes.data(), bytes.size()); }
    void append(char c) {
        *room(1) = c;
        ++size_;
    }

    // Gives the memory back.
    void release();

private:
    void grow(qsizetype n);

    char* data_ = nullptr;
    qsizetype size_ = 0;
    qsizetype capacity_ = 0;
};

} // namespace veltrano
