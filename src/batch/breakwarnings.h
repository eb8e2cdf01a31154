#pragma once

#include "passes/breakage.h"
#include "run/parallelrun.h"

#include <QList>
#include <QStringList>

namespace veltrano {

// What the conversion without "Moderne Seiten" would break in each planned page, read on
// jobs threads, in the order of the plan.
QList<breakage::Kinds> findBreakages(const QList<PlannedPage>& plan, const OptionValues& options,
                                     int jobs);

// One warning line per kind that any page has: how many pages, what breaks, its code and the
// first three pages.
QStringList breakageWarnings(const QList<PlannedPage>& plan, const QList<breakage::Kinds>& kinds);

} // namespace veltrano
