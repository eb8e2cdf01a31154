#include "fuzzcheck.h"

namespace veltrano::fuzz {

namespace {

void printAround(const char* label, QByteArrayView text, qsizetype at) {
    const qsizetype from = qMax<qsizetype>(0, at - 40);
    const qsizetype to = qMin(text.size(), at + 40);
    std::fprintf(stderr, "  %s (%lld bytes) near %lld: ", label,
                 static_cast<long long>(text.size()), static_cast<long long>(at));
    for (qsizetype i = from; i < to; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 32 && c < 127)
            std::fputc(c, stderr);
        else
            std::fprintf(stderr, "\\x%02x", c);
    }
    std::fputc('\n', stderr);
}

} // namespace

void checkSame(QByteArrayView actual, QByteArrayView expected, const char* what) {
    if (actual == expected)
        return;
    qsizetype at = 0;
    while (at < actual.size() && at < expected.size() && actual[at] == expected[at])
        ++at;
    std::fprintf(stderr, "property broken: %s\n", what);
    printAround("actual", actual, at);
    printAround("expected", expected, at);
    std::abort();
}

} // namespace veltrano::fuzz
