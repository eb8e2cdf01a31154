#include "encodepage.h"

#include "host.h"
#include "javascript.h"
#include "native.h"
#include "pagesink.h"
#include "pagesource.h"

namespace veltrano {

namespace {

// Joins the passes in their order: native crippling, then the JavaScript form or the plain join
// with the header text.
void encodePageText(QByteArrayView pageText, QByteArrayView header, const OptionSet& options,
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

} // namespace

QString PageEncoder::ReadPage(const QString& path, const OptionSet& options) {
    return ReadPageSource(path, options, page_, file_, host_);
}

void PageEncoder::EncodeReadPage(QByteArrayView header, const OptionSet& options, PageSink& out) {
    encodePageText(page_.view(), header, options, random_, host_, native_, out);
}

} // namespace veltrano
