#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace veltrano {

// Removes every occurrence of a pattern in one left-to-right pass; an occurrence that a
// removal forms anew stays.
QByteArray removeAll(QByteArrayView text, QByteArrayView pattern);

// An ASCII letter in lower case; every other byte as it is.
inline char asciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}
// Whether text holds the lower-case ASCII word at position at, ignoring the case of letters.
bool startsWithAsciiNoCase(QByteArrayView text, qsizetype at, QByteArrayView lowerWord);

// Index of the first occurrence of an ASCII pattern, ignoring the case of ASCII letters;
// -1 when there is none. The pattern must be lower case.
qsizetype indexOfAsciiNoCase(QByteArrayView text, QByteArrayView lowerPattern);

// The value of a count typed by the user: its leading decimal number (optional blanks,
// optional sign, digits, optional "." and digits), whole part; 0 when the text does not start
// with a number. Values beyond the range of qint64 are held at its ends.
qint64 countValue(const QString& text);

} // namespace veltrano
