#pragma once

#include "options/optionset.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace veltrano {

class Host;
class Random;

// The engine's passes with their results as plain byte strings, for tests and fuzz targets.
QByteArray CrippleNative(QByteArrayView page, const OptionSet& options, Host& host);
QByteArray EncryptJavaScript(QByteArrayView page, QByteArrayView header, const OptionSet& options,
                             Random& random, Host& host);
QByteArray ReadPageSource(const QString& path, const OptionSet& options, Host& host,
                          QString* error = nullptr);
// The converted page of a file, header included; empty with *error set when it cannot be read.
QByteArray EncodePage(const QString& path, QByteArrayView header, const OptionSet& options,
                      Random& random, Host& host, QString* error = nullptr);
QByteArray AppendEndLines(QByteArrayView page, const OptionSet& options);

} // namespace veltrano
