#pragma once

#include <QByteArray>
#include <QString>

namespace veltrano::codepage {

// The host code page is Windows-1252 on every platform. Its five undefined bytes (0x81, 0x8D,
// 0x8F, 0x90, 0x9D) stand for the control characters of the same number, so every byte
// sequence reads and writes back unchanged.

QString toUnicode(QByteArrayView bytes);
// A character the code page cannot hold becomes "?".
QByteArray fromUnicode(QStringView text);
bool canEncode(QStringView text);

} // namespace veltrano::codepage
