#pragma once

#include "passes/random.h"

#include <QByteArray>
#include <QList>
#include <QString>

// The fuzz targets' tools: reading an input, checking a property, and plain, slow implementations
// of the page rules, written from the rules and not from the engine, to compare the engine with.
namespace veltrano::fuzz {

// A broken property aborts with what broke, so the fuzzer keeps the input and its replay fails.
void check(bool holds, const char* what);
void checkSame(QByteArrayView actual, QByteArrayView expected, const char* what);

// Writes a file in a folder of the fuzzer's own, in memory where it can; returns its path.
QString scratchFile(const QString& name, QByteArrayView bytes);

// Take option values and slices from the front of a fuzz input; what is left is the page.
inline QByteArrayView slice(QByteArrayView& input, qsizetype maxLength) {
    const QByteArrayView part = input.first(qMin(maxLength, input.size()));
    input = input.sliced(part.size());
    return part;
}
inline int pick(QByteArrayView& input, int n) { // 0 to n - 1
    return input.isEmpty() ? 0 : static_cast<unsigned char>(slice(input, 1)[0]) % n;
}

// The lines of a page file: each ends at CR or CR LF; the last one needs no line end.
QList<QByteArray> pageLines(QByteArrayView file);
// The native pass over a page text: characters of readable content become "&#" code ";"; with
// seo set the page head stays as it is. Returns the page unchanged when nothing is left.
QByteArray nativeReference(QByteArrayView page, bool seo);
// The JavaScript form of a page text behind the header, up to the text of the noscript notice;
// seo keeps the head readable. Draws from random for every encoded character.
QByteArray scriptReference(QByteArrayView text, QByteArrayView header, bool seo, Random& random);

} // namespace veltrano::fuzz
