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
QByteArray AppendEndLines(QByteArrayView page, const OptionSet& options);

} // namespace veltrano
