#include "textops.h"

#include <cstring>
#include <limits>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace veltrano {

namespace {

// memmem for the dense texts of references, where the first byte of a pattern is everywhere:
// sixteen places at a time are tested for three of its bytes before a candidate is compared.
const char* find(const char* text, qsizetype n, QByteArrayView pattern) {
    const qsizetype m = pattern.size();
    qsizetype i = 0;
#ifdef __SSE2__
    if (m >= 4) {
        const __m128i first = _mm_set1_epi8(pattern[0]);
        const __m128i third = _mm_set1_epi8(pattern[2]);
        const __m128i late = _mm_set1_epi8(pattern[m - 2]);
        const auto at = [text](qsizetype k) {
            return _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + k));
        };
        for (; i + 16 + m - 1 <= n; i += 16) {
            const __m128i both =
                _mm_and_si128(_mm_cmpeq_epi8(at(i), first), _mm_cmpeq_epi8(at(i + 2), third));
            auto hits = static_cast<unsigned>(
                _mm_movemask_epi8(_mm_and_si128(both, _mm_cmpeq_epi8(at(i + m - 2), late))));
            for (; hits != 0; hits &= hits - 1) {
                const char* candidate = text + i + __builtin_ctz(hits);
                if (std::memcmp(candidate, pattern.data(), static_cast<size_t>(m)) == 0)
                    return candidate;
            }
        }
    }
#endif
    return static_cast<const char*>(
        ::memmem(text + i, static_cast<size_t>(n - i), pattern.data(), static_cast<size_t>(m)));
}

char lowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

} // namespace

QByteArray removeAll(QByteArrayView text, QByteArrayView pattern) {
    const qsizetype m = pattern.size();
    if (m == 0)
        return text.toByteArray();
    QByteArray kept;
    kept.reserve(text.size());
    qsizetype read = 0;
    while (text.size() - read >= m) {
        const char* hit = find(text.data() + read, text.size() - read, pattern);
        if (!hit)
            break;
        const qsizetype at = hit - text.data();
        kept.append(text.sliced(read, at - read));
        read = at + m;
    }
    kept.append(text.sliced(read));
    return kept;
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

bool startsWithAsciiNoCase(QByteArrayView text, qsizetype at, QByteArrayView lowerWord) {
    if (text.size() - at < lowerWord.size())
        return false;
    for (qsizetype i = 0; i < lowerWord.size(); ++i) {
        if (asciiLower(text[at + i]) != lowerWord[i])
            return false;
    }
    return true;
}

} // namespace veltrano
