#include "encodepage.h"

#include "host.h"
#include "io/pagesink.h"
#include "javascript.h"
#include "lightform.h"
#include "native.h"
#include "scriptitems.h"
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

// Plain pages with the native pass and the script form, whose text can go from one to the other
// a piece at a time.
bool streamable(const OptionSet& options) {
    return !options.modern() && isSet(options.check(CheckField::chkNativ)) &&
           isSet(options.check(CheckField::chkJava));
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

void streamNativeScript(QByteArrayView page, QByteArrayView header, const OptionSet& options,
                        Random& random, PageSink& out, Host& host, ByteBuffer& head,
                        qsizetype pieceSize) {
    NativeText native(page, options, host, pieceSize);
    ScriptItems items(random, out);
    bool started = !isOn(options.check(CheckField::chkSeo));
    if (started)
        items.start({}, header);
    head.clear();
    qsizetype made = 0;
    for (QByteArrayView piece = native.next(); !piece.isEmpty(); piece = native.next()) {
        made += piece.size();
        if (started) {
            items.feed(piece);
            continue;
        }
        // A "</head>" may begin in the last six bytes already kept.
        const qsizetype from = qMax<qsizetype>(0, head.size() - 6);
        head.append(piece);
        const qsizetype start = scriptHeadEnd(head.view(), from);
        if (start >= 0) {
            items.start(head.view().first(start), header);
            items.feed(head.view().sliced(start));
            started = true;
        }
    }
    // A page the native pass leaves nothing of is encoded as it is, as the two passes one after
    // the other do.
    const QByteArrayView text = made > 0 ? head.view() : page;
    if (made == 0 && started) {
        items.feed(page);
    } else if (!started) {
        const qsizetype start = javaScriptStart(text, options);
        items.start(text.first(start), header);
        items.feed(text.sliced(start));
    }
    items.finish(options.text(TextField::txtJava));
}

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
    if (!prepared_ && streamable(options)) {
        streamNativeScript(page_.view(), header, options, random_, out, host_, native_);
        return;
    }
    if (!prepared_)
        runNative(options);
    prepared_ = false;
    encodeNativeText(nativeDone_ ? native_.view() : page_.view(), header, options, random_, host_,
                     out);
}

} // namespace veltrano
