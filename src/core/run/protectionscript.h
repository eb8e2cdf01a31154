#pragma once

#include "options/optionset.h"

#include <QByteArray>

namespace veltrano {

// The script block near the top of every converted page: it blocks the context menu, text
// selection and printing. Bytes in the host code page, ending with "//--></script>" CR LF.
QByteArray BuildProtectionScript(CheckState chkRClick, CheckState chkSel, CheckState chkPrint);

} // namespace veltrano
