#pragma once

#include "passes/breakage.h"
#include "run/parallelrun.h"
#include "run/sitecopy.h"

#include <QList>
#include <QString>

#include <optional>

namespace veltrano {

// The report of a run as JSON: one object per page reached, in list order (source, output,
// backup, input and output bytes, encoding, milliseconds, message, and the codes of what the
// conversion without "Moderne Seiten" breaks in it, or with the mode has repaired), the other
// files copied (source, output, bytes) and the totals. Returns why the file could not be
// written, if it could not.
std::optional<FileError> writeReport(const QString& fileName, const QList<PlannedPage>& pages,
                                     const QList<PageOutcome>& outcomes,
                                     const QList<breakage::Kinds>& breaks, int exitCode,
                                     qint64 milliseconds, const QList<OtherFile>& copied = {});

} // namespace veltrano
