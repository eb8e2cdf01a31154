#pragma once

#include <QByteArray>
#include <QString>

namespace veltrano::test {

// Writes bytes to a file, creating its folder; fails the test on error.
void writeFile(const QString& path, const QByteArray& bytes);
QByteArray readFile(const QString& path);

} // namespace veltrano::test
