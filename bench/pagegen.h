#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

namespace veltrano::bench {

// A realistic page of about the given size in Windows-1252: a head with title, meta and an
// inline script, then paragraphs, tables, links, lists and forms with German text, umlauts,
// entities and numeric references. The same seed gives the same page.
QByteArray generatePage(qsizetype approximateSize, unsigned seed);

// The name pattern for a bench's temporary folder. Its parent asks the file system to spread new
// folders over its free space: ext4 without a journal skips every inode deleted in the last
// minutes, reading each, and charges that to every new file of the same block group. The
// folders of earlier benches, deleted at their end, would so slow the next bench's new files by
// up to half a millisecond each, and that is a property of the machine's recent past, not of
// what is measured.
QString workFolderPattern();

// Makes a few hundred empty files in a new folder below folder and prints what one took, in
// microseconds: a clean file system takes about 20 here, one still skipping files deleted in the
// last minutes up to 500. The figures beside it are only worth comparing when this one is low.
void printNewFileCost(const QString& folder);

// Empties every file below folder. A bench that kept its outputs would fill the memory with
// them, and its later rounds would measure that; deleting them would slow the next new files
// (above). The empty files go with the bench's folder.
void emptyFiles(const QString& folder);

// Prints the machine's load (/proc/loadavg), so every figure stands beside the load it was
// measured under.
void printLoad(const char* when);

// The median of paired rounds' own ratios, which a slow spell over a whole round leaves alone.
double median(std::vector<double> values);

} // namespace veltrano::bench
