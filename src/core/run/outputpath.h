#pragma once

#include "options/optionset.h"

#include <QString>

namespace veltrano {

// Where the page of this source goes under these options: the output folder with the source's
// file name, the source itself when overwriting, empty when no output choice is set. A pure
// function of its arguments, so any page may be planned anywhere.
QString OutputPath(const OptionValues& values, const QString& source);

} // namespace veltrano
