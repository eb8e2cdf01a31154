#pragma once

#include "options/optionset.h"

#include <QByteArray>
#include <QString>

namespace veltrano {

class ByteBuffer;
class Host;

// Turns the bytes of a page file into the page text: every line (ending at a carriage return,
// a line feed right after it belonging to the line end) followed by CR LF. With chkZange set the
// line end after a plain text line becomes one blank, so the source loses its line structure
// while a browser shows the same text; script and preformatted lines keep theirs, and so does
// the last line.
void SplitPageLines(QByteArrayView file, CheckState chkZange, ByteBuffer& page, Host& host);

// Reads the page file at path into page. Returns an empty text on success, otherwise the
// reason the file could not be read. encoding, when given, receives the encoding a browser
// finds for the file (modern pages are decoded from it).
QString ReadPageSource(const QString& path, const OptionSet& options, ByteBuffer& page,
                       ByteBuffer& scratch, Host& host, QByteArray* encoding = nullptr);

// Reads a whole file into buffer; returns the reason on failure. A host, when given, may run
// pending events between the megabytes of a large file.
QString ReadWholeFile(const QString& path, ByteBuffer& buffer, Host* host = nullptr);

} // namespace veltrano
