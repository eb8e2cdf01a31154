#pragma once

#include <QByteArray>

namespace veltrano::bench {

// A realistic page of about the given size in Windows-1252: a head with title, meta and an
// inline script, then paragraphs, tables, links, lists and forms with German text, umlauts,
// entities and numeric references. The same seed gives the same page.
QByteArray generatePage(qsizetype approximateSize, unsigned seed);

} // namespace veltrano::bench
