#include "encodepage.h"

#include "host.h"
#include "javascript.h"
#include "native.h"
#include "pagesink.h"
#include "pagesource.h"

namespace veltrano {

void EncodePageText(QByteArrayView pageText, QByteArrayView header, const OptionSet& options,
                    Random& random, Host& host, ByteBuffer& nativeScratch, PageSink& out) {
    QByteArrayView text = pageText;
    if (CrippleNative(pageText, options, nativeScratch, host))
        text = nativeScratch.view();
    if (options.check(CheckField::chkJava) != 0) {
        EncryptJavaScript(text, header, options, random, out, host);
    } else {
        out.append(header);
        out.append(text);
    }
}

QString PageEncoder::EncodePage(const QString& path, QByteArrayView header,
                                const OptionSet& options, PageSink& out) {
    const QString error = ReadPage(path, options);
    if (error.isEmpty())
        EncodeReadPage(header, options, out);
    return error;
}

QString PageEncoder::ReadPage(const QString& path, const OptionSet& options) {
    return ReadPageSource(path, options, page_, file_, host_);
}

void PageEncoder::EncodeReadPage(QByteArrayView header, const OptionSet& options,
                                 PageSink& out) {
    EncodePageText(page_.view(), header, options, random_, host_, native_, out);
}

QByteArray EncodePage(const QString& path, QByteArrayView header, const OptionSet& options,
                      Random& random, Host& host, QString* error) {
    PageEncoder encoder(random, host);
    ByteBuffer buffer;
    PageSink sink(buffer);
    const QString reason = encoder.EncodePage(path, header, options, sink);
    if (error)
        *error = reason;
    return buffer.toByteArray();
}

} // namespace veltrano
