#include "textops.h"

#include "bytebuffer.h"
#include "host.h"

#include <cstring>
#include <limits>

namespace veltrano {

namespace {

// Compacts [data, data + size) in place and returns the new size: each occurrence is found with
// memmem and the text between occurrences moves down in one piece. The search goes a megabyte
// at a time, so a host, when given, may run pending events between the pieces even where the
// pattern is rare or absent.
qsizetype removeInPlace(char* data, qsizetype size, QByteArrayView pattern, Host* host) {
    const qsizetype m = pattern.size();
    if (m == 0 || size < m)
        return size;
    constexpr qsizetype kPiece = 1 << 20;
    qsizetype nextPump = kPiece;
    qsizetype read = 0;
    qsizetype write = 0;
    // Moves the original text [read, to) down behind what is kept.
    const auto keep = [&](qsizetype to) {
        if (write != read && to > read)
            std::memmove(data + write, data + read, static_cast<size_t>(to - read));
        write += to - read;
        read = to;
    };
    for (;;) {
        // The bytes from read on are still the original text, since write <= read.
        const qsizetype pieceEnd = qMin(size, read + kPiece + m - 1);
        const void* hit = ::memmem(data + read, static_cast<size_t>(pieceEnd - read),
                                   pattern.data(), static_cast<size_t>(m));
        if (hit) {
            keep(static_cast<const char*>(hit) - data);
            read += m;
        } else if (pieceEnd == size) {
            keep(size);
            return write;
        } else {
            // An occurrence may start in the piece's last m - 1 bytes: they are searched again.
            keep(pieceEnd - (m - 1));
        }
        if (host && read >= nextPump) {
            host->pump();
            nextPump = read + kPiece;
        }
    }
}

char lowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

} // namespace

void removeAll(ByteBuffer& text, QByteArrayView pattern, Host* host) {
    text.truncate(removeInPlace(text.data(), text.size(), pattern, host));
}

QByteArray removeAll(QByteArrayView text, QByteArrayView pattern) {
    QByteArray copy = text.toByteArray();
    copy.truncate(removeInPlace(copy.data(), copy.size(), pattern, nullptr));
    return copy;
}

qsizetype indexOfAsciiNoCase(QByteArrayView text, QByteArrayView lowerPattern) {
    const qsizetype m = lowerPattern.size();
    if (m == 0)
        return 0;
    const char first = lowerPattern[0];
    const char firstUpper = (first >= 'a' && first <= 'z') ? static_cast<char>(first - 32) : first;
    const qsizetype last = text.size() - m;
    for (qsizetype i = 0; i <= last; ++i) {
        if (first == firstUpper) {
            // A first character without case ("<" of a tag) is found at library speed.
            const void* hit =
                std::memchr(text.data() + i, first, static_cast<size_t>(last - i + 1));
            if (!hit)
                return -1;
            i = static_cast<const char*>(hit) - text.data();
        } else if (text[i] != first && text[i] != firstUpper) {
            continue;
        }
        qsizetype j = 1;
        while (j < m && lowerAscii(text[i + j]) == lowerPattern[j])
            ++j;
        if (j == m)
            return i;
    }
    return -1;
}

qint64 countValue(const QString& text) {
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && text[i] == QLatin1Char(' '))
        ++i;
    bool negative = false;
    if (i < n && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    constexpr qint64 kMax = std::numeric_limits<qint64>::max();
    qint64 value = 0;
    while (i < n && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9')) {
        const int digit = text[i].unicode() - '0';
        value = (value > (kMax - digit) / 10) ? kMax : value * 10 + digit;
        ++i;
    }
    return negative ? -value : value;
}

} // namespace veltrano
