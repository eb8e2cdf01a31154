#include "encodepage.h"

#include "host.h"
#include "io/pagesink.h"
#include "javascript.h"
#include "lightform.h"
#include "native.h"
#include "text/markup.h"
#include "text/pagesource.h"
#include "text/textops.h"

namespace veltrano {

namespace {

// A modern page with the script form is written in the light form: the browser would decode
// character references to the same characters, so the native pass has nothing to add there.
bool lightForm(const OptionSet& options) {
    return options.modern() && isSet(options.check(CheckField::chkJava));
}

// The step after the native pass: the JavaScript form, or the header joined with the text.
void encodeNativeText(QByteArrayView text, QByteArrayView header, const OptionSet& options,
                      Random& random, Host& host, PageSink& out) {
    if (options.modern()) {
        // Every browser reads the page as UTF-8, and its DOCTYPE, moved in front of the header,
        // keeps it in standards mode.
        out.append("\xEF\xBB\xBF");
        const qsizetype doctype = markup::prologueEnd(text);
        out.append(text.first(doctype));
        text = text.sliced(doctype);
    }
    if (lightForm(options)) {
        encryptJavaScriptLight(text, header, options, random, out, host);
    } else if (isSet(options.check(CheckField::chkJava))) {
        EncryptJavaScript(text, header, options, random, out, host);
    } else {
        out.append(header);
        out.append(text);
    }
}

} // namespace

Result<QByteArray, FileError> PageEncoder::readPage(const QString& path, const OptionSet& options,
                                                    bool findEncoding) {
    prepared_ = false;
    return ReadPageSource(path, options, page_, file_, host_, findEncoding);
}

void PageEncoder::runNative(const OptionSet& options) {
    nativeDone_ = !lightForm(options) && CrippleNative(page_.view(), options, native_, host_);
    prepared_ = true;
}

qint64 PageEncoder::prepareReadPage(const OptionSet& options) {
    runNative(options);
    if (lightForm(options))
        return lightDrawCount(page_.view(), options);
    return javaScriptDrawCount(nativeDone_ ? native_.view() : page_.view(), options);
}

void PageEncoder::encodeReadPage(QByteArrayView header, const OptionSet& options, PageSink& out) {
    // Without a caller that needs the draw count, the pass that counts a modern page's draws
    // is not run.
    if (!prepared_)
        runNative(options);
    prepared_ = false;
    encodeNativeText(nativeDone_ ? native_.view() : page_.view(), header, options, random_, host_,
                     out);
}

} // namespace veltrano
