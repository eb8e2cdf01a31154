#pragma once

#include "io/pagewrite.h"
#include "native.h"
#include "options/optionset.h"
#include "result.h"
#include "text/bytebuffer.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace veltrano {

class Host;
class PageSink;
class Random;

// A plain page through the native pass and the script form at once: the script form takes the
// native text piece by piece while it is still in the cache, instead of from a copy of the whole
// text, which is five times the page. Only the text up to the readable head's end is kept in
// head, since the items begin behind it (a page without one is kept whole, and its items begin
// at its start). The same bytes as the two passes one after the other.
void streamNativeScript(QByteArrayView page, QByteArrayView header, const OptionSet& options,
                        Random& random, PageSink& out, Host& host, ByteBuffer& head,
                        qsizetype pieceSize = NativeText::kPieceSize);

// Converts page files one after another. It keeps its working buffers from page to page, so a
// run over many pages reuses the same memory.
class PageEncoder {
public:
    PageEncoder(Random& random, Host& host) : random_(random), host_(host) {}

    // A page in two steps, so the caller can open the output only once the page file has been
    // read and closed. readPage yields the page file's encoding as ReadPageSource finds it, or
    // why the file could not be read; encodeReadPage then writes the converted page, header
    // included, to out.
    Result<QByteArray, FileError> readPage(const QString& path, const OptionSet& options,
                                           bool findEncoding = false);
    void encodeReadPage(QByteArrayView header, const OptionSet& options, PageSink& out);
    // The bytes of the page file last read, as they are on disk.
    QByteArrayView fileBytes() const { return file_.view(); }

    // Between the two: runs the native pass over the page read and returns the number of draws
    // its encoding will take from the generator, so a caller can start the generator where
    // the pages before it leave it. encodeReadPage then goes on from the native result.
    qint64 prepareReadPage(const OptionSet& options);

private:
    void runNative(const OptionSet& options);

    Random& random_;
    Host& host_;
    ByteBuffer file_;
    ByteBuffer page_;
    ByteBuffer native_;
    bool prepared_ = false;
    bool nativeDone_ = false;
};

} // namespace veltrano
