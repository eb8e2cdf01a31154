#pragma once

#include "options/optionset.h"

#include <QByteArray>

namespace veltrano {

// The script block near the top of every converted page: it blocks the context menu, text
// selection and printing. Bytes in the host code page, ending with "//--></script>" CR LF.
// For modern pages the block is UTF-8 and also blocks them in today's browsers.
QByteArray BuildProtectionScript(CheckState chkRClick, CheckState chkSel, CheckState chkPrint,
                                 bool modern = false);

} // namespace veltrano
