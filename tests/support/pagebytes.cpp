#include "pagebytes.h"

#include "encoding/bytebuffer.h"
#include "encoding/encodepage.h"
#include "encoding/javascript.h"
#include "encoding/native.h"
#include "encoding/pagesink.h"
#include "encoding/pagesource.h"
#include "run/pageheader.h"

namespace veltrano {

QByteArray CrippleNative(QByteArrayView page, const OptionSet& options, Host& host) {
    ByteBuffer out;
    return CrippleNative(page, options, out, host) ? out.view().toByteArray() : page.toByteArray();
}

QByteArray EncryptJavaScript(QByteArrayView page, QByteArrayView header, const OptionSet& options,
                             Random& random, Host& host) {
    ByteBuffer buffer;
    PageSink sink(buffer);
    EncryptJavaScript(page, header, options, random, sink, host);
    return buffer.view().toByteArray();
}

QByteArray ReadPageSource(const QString& path, const OptionSet& options, Host& host,
                          QString* error) {
    ByteBuffer page;
    ByteBuffer scratch;
    const QString reason = ReadPageSource(path, options, page, scratch, host);
    if (error)
        *error = reason;
    return reason.isEmpty() ? page.view().toByteArray() : QByteArray();
}

QByteArray EncodePage(const QString& path, QByteArrayView header, const OptionSet& options,
                      Random& random, Host& host, QString* error) {
    PageEncoder encoder(random, host);
    ByteBuffer buffer;
    PageSink sink(buffer);
    const QString reason = encoder.ReadPage(path, options);
    if (reason.isEmpty())
        encoder.EncodeReadPage(header, options, sink);
    if (error)
        *error = reason;
    return buffer.view().toByteArray();
}

QByteArray AppendEndLines(QByteArrayView page, const OptionSet& options) {
    ByteBuffer buffer;
    PageSink sink(buffer);
    sink.append(page);
    AppendEndLines(sink, options);
    return buffer.view().toByteArray();
}

} // namespace veltrano
