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

    // A page in two steps, so the caller can open the output only once the page file has been
    // read and closed. ReadPage returns an empty text on success, otherwise why the file could
    // not be read; EncodeReadPage then writes the converted page, header included, to out.
    QString ReadPage(const QString& path, const OptionSet& options);
    void EncodeReadPage(QByteArrayView header, const OptionSet& options, PageSink& out);

private:
    Random& random_;
    Host& host_;
    ByteBuffer file_;
    ByteBuffer page_;
    ByteBuffer native_;
};

} // namespace veltrano
