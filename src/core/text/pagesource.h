#pragma once

#include "io/pagewrite.h"
#include "options/optionset.h"
#include "result.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace veltrano {

class ByteBuffer;
class Host;

// Turns the bytes of a page file into the page text: every line (ending at CR, an LF right after
// it included) followed by CR LF; with chkZange set, a plain text line but the last ends in one
// blank instead, while script and preformatted lines keep their ends.
void splitPageLines(QByteArrayView file, CheckState chkZange, ByteBuffer& page, Host& host);

// Reads the page file at path into page; yields the encoding a browser finds for the file
// (modern pages are decoded from it; other pages are looked at only with findEncoding, else it
// is empty), or why the file could not be read.
Result<QByteArray, FileError> ReadPageSource(const QString& path, const OptionSet& options,
                                             ByteBuffer& page, ByteBuffer& scratch, Host& host,
                                             bool findEncoding = false);

// Reads a whole file into buffer; why it could not, if it could not. A host, when given, may
// run pending events between the megabytes of a large file.
std::optional<FileError> readWholeFile(const QString& path, ByteBuffer& buffer,
                                       Host* host = nullptr);

} // namespace veltrano
