#pragma once

#include <QByteArray>

#include <vector>

namespace veltrano::bench {

// A realistic page of about the given size in Windows-1252: a head with title, meta and an
// inline script, then paragraphs, tables, links, lists and forms with German text, umlauts,
// entities and numeric references. The same seed gives the same page.
QByteArray generatePage(qsizetype approximateSize, unsigned seed);

// Prints the machine's load (/proc/loadavg), so every figure stands beside the load it was
// measured under.
void printLoad(const char* when);

// The median of paired rounds' own ratios, which a slow spell over a whole round leaves alone.
double median(std::vector<double> values);

} // namespace veltrano::bench
