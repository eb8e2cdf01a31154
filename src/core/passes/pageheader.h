#pragma once

#include "options/optionset.h"

#include <QByteArray>

namespace veltrano {

class PageSink;

// The text in front of every converted page: the fake comment, the start lines and the
// protection script. Reads the options once, now.
QByteArray BuildPageHeader(const OptionSet& options);

// The number of blank lines that BuildPageHeader and AppendEndLines write for these options.
qint64 startLineCount(const OptionValues& values);
qint64 endLineCount(const OptionValues& values);

// The blank lines behind the page: only with the fake comment on.
void AppendEndLines(PageSink& page, const OptionSet& options);

} // namespace veltrano
