#pragma once

#include "run/parallelrun.h"

#include <QList>
#include <QString>

namespace veltrano {

// The report of a run as JSON: one object per page reached, in list order (source, output,
// backup, input and output bytes, encoding, milliseconds, message), and the totals. Returns an
// empty text on success, otherwise why the file could not be written.
QString writeReport(const QString& fileName, const QList<PlannedPage>& pages,
                    const QList<PageOutcome>& outcomes, int exitCode, qint64 milliseconds);

} // namespace veltrano
