#include "bytebuffer.h"

#include <cstdlib>
#include <new>
#include <utility>

namespace veltrano {

ByteBuffer::ByteBuffer(ByteBuffer&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)),
      capacity_(std::exchange(other.capacity_, 0)) {}

ByteBuffer& ByteBuffer::operator=(ByteBuffer&& other) noexcept {
    if (this != &other) {
        release();
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
        capacity_ = std::exchange(other.capacity_, 0);
    }
    return *this;
}

ByteBuffer::~ByteBuffer() {
    release();
}

void ByteBuffer::release() {
    std::free(data_);
    data_ = nullptr;
    size_ = 0;
    capacity_ = 0;
}

void ByteBuffer::reserve(qsizetype capacity) {
    if (capacity <= capacity_)
        return;
    void* p = std::realloc(data_, static_cast<size_t>(capacity));
    if (!p)
        throw std::bad_alloc();
    data_ = static_cast<char*>(p);
    capacity_ = capacity;
}

void ByteBuffer::grow(qsizetype n) {
    qsizetype wanted = capacity_ < 4096 ? 4096 : capacity_;
    while (wanted - size_ < n)
        wanted += wanted / 2;
    reserve(wanted);
}

} // namespace veltrano
