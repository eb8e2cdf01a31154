#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

// A broken property is a finding like a crash: it prints what differs and aborts, so the
// fuzzer keeps the input and a replay of it fails.
#define FUZZ_CHECK(condition, what)                                                                \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "property broken: %s (%s:%d)\n", what, __FILE__, __LINE__);       \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

namespace veltrano::fuzz {

// Prints where two byte strings part, then aborts when they differ.
void checkSame(QByteArrayView actual, QByteArrayView expected, const char* what);

// Takes option values and slices from the front of a fuzz input; what is left is the page.
class FuzzInput {
public:
    FuzzInput(const std::uint8_t* data, size_t size)
        : data_(reinterpret_cast<const char*>(data)), size_(static_cast<qsizetype>(size)) {}

    std::uint8_t byte() {
        if (at_ >= size_)
            return 0;
        return static_cast<std::uint8_t>(data_[at_++]);
    }
    // A value from 0 to n - 1.
    int pick(int n) { return byte() % n; }
    QByteArrayView slice(qsizetype maxLength) {
        const qsizetype n = qMin(maxLength, size_ - at_);
        const QByteArrayView part(data_ + at_, n);
        at_ += n;
        return part;
    }
    QByteArrayView rest() { return slice(size_ - at_); }

private:
    const char* data_;
    qsizetype size_;
    qsizetype at_ = 0;
};

} // namespace veltrano::fuzz
