#include "encodepage.h"

#include "host.h"
#include "javascript.h"
#include "native.h"
#include "pagesink.h"
#include "pagesource.h"
#include "textops.h"

namespace veltrano {

namespace {

// Where a DOCTYPE at the start of a page text ends, its line end included; 0 when there is none.
qsizetype leadingDoctypeEnd(QByteArrayView text) {
    qsizetype p = 0;
    while (p < text.size() && (text[p] == ' ' || text[p] == '\t' || text[p] == '\r' ||
                               text[p] == '\n' || text[p] == '\f'))
        ++p;
    if (indexOfAsciiNoCase(text.sliced(p, qMin<qsizetype>(9, text.size() - p)), "<!doctype") != 0)
        return 0;
    const qsizetype close = text.indexOf('>', p);
    if (close < 0)
        return 0;
    qsizetype end = close + 1;
    if (text.sliced(end).startsWith("\r\n"))
        end += 2;
    else if (text.sliced(end).startsWith("\n"))
        end += 1;
    return end;
}

// Joins the passes in their order: native crippling, then the JavaScript form or the plain join
// with the header text.
void encodePageText(QByteArrayView pageText, QByteArrayView header, const OptionSet& options,
                    Random& random, Host& host, ByteBuffer& nativeScratch, PageSink& out) {
    QByteArrayView text = pageText;
    if (CrippleNative(pageText, options, nativeScratch, host))
        text = nativeScratch.view();
    if (options.modern()) {
        // Every browser reads the page as UTF-8, and its DOCTYPE, moved in front of the header,
        // keeps it in standards mode.
        out.append("\xEF\xBB\xBF");
        const qsizetype doctype = leadingDoctypeEnd(text);
        out.append(text.first(doctype));
        text = text.sliced(doctype);
    }
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
