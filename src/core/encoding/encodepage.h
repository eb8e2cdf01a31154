#pragma once

#include "bytebuffer.h"
#include "options/optionset.h"

#include <QByteArray>
#include <QString>

namespace veltrano {

class Host;
class PageSink;
class Random;

// Converts page files one after another. It keeps its working buffers from page to page, so a
// run over many pages reuses the same memory.
class PageEncoder {
public:
    PageEncoder(Random& random, Host& host) : random_(random), host_(host) {}

    // Reads the page file and writes the converted page, header included, to out.
    // Returns an empty text on success, otherwise why the file could not be read (then nothing
    // was written to out).
    QString EncodePage(const QString& path, QByteArrayView header, const OptionSet& options,
                       PageSink& out);

    // The same in two steps, so the caller can open the output only once the page file has
    // been read and closed: read the page text, then encode it.
    QString ReadPage(const QString& path, const OptionSet& options);
    void EncodeReadPage(QByteArrayView header, const OptionSet& options, PageSink& out);

private:
    Random& random_;
    Host& host_;
    ByteBuffer file_;
    ByteBuffer page_;
    ByteBuffer native_;
};

// Joins the passes in their order: page reading, native crippling, then the JavaScript form or
// the plain join with the header text.
void EncodePageText(QByteArrayView pageText, QByteArrayView header, const OptionSet& options,
                    Random& random, Host& host, ByteBuffer& nativeScratch, PageSink& out);

QByteArray EncodePage(const QString& path, QByteArrayView header, const OptionSet& options,
                      Random& random, Host& host, QString* error = nullptr);

} // namespace veltrano
