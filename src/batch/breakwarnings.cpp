#include "breakwarnings.h"

#include <atomic>
#include <thread>
#include <vector>

namespace veltrano {

QList<breakage::Kinds> findBreakages(const QList<PlannedPage>& plan, const OptionValues& options,
                                     int jobs) {
    std::vector<breakage::Kinds> found(static_cast<size_t>(plan.size()), 0);
    std::atomic<qsizetype> next{0};
    const auto work = [&] {
        for (qsizetype i; (i = next++) < plan.size();)
            found[static_cast<size_t>(i)] = breakage::findBreakageOfFile(plan[i].source, options);
    };
    std::vector<std::thread> threads;
    const qsizetype count = qBound<qsizetype>(1, qsizetype{jobs}, plan.size());
    for (qsizetype t = 1; t < count; ++t)
        threads.emplace_back(work);
    work();
    for (std::thread& t : threads)
        t.join();
    return QList<breakage::Kinds>(found.cbegin(), found.cend());
}

QStringList breakageWarnings(const QList<PlannedPage>& plan, const QList<breakage::Kinds>& kinds) {
    constexpr int kNamed = 3;
    QStringList lines;
    for (int bit = 0; bit < breakage::kKindCount; ++bit) {
        const breakage::Kinds kind = 1u << bit;
        QStringList pages;
        for (qsizetype i = 0; i < kinds.size(); ++i) {
            if (kinds[i] & kind)
                pages << plan[i].source;
        }
        if (pages.isEmpty())
            continue;
        QString line = QStringLiteral("Warnung: %1 ohne --modern: %2 (%3): %4")
                           .arg(pages.size() == 1 ? QStringLiteral("1 Seite")
                                                  : QStringLiteral("%1 Seiten").arg(pages.size()),
                                breakage::description(kind), breakage::code(kind),
                                pages.mid(0, kNamed).join(QStringLiteral(", ")));
        if (pages.size() > kNamed)
            line += QStringLiteral(" und %1 weitere").arg(pages.size() - kNamed);
        lines << line;
    }
    return lines;
}

} // namespace veltrano
