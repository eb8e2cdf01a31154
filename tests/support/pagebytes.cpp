#include "pagebytes.h"

#include "encoding/bytebuffer.h"
#include "run/pageheader.h"
#include "encoding/javascript.h"
#include "encoding/native.h"
#include "encoding/pagesink.h"

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

QByteArray AppendEndLines(QByteArrayView page, const OptionSet& options) {
    ByteBuffer buffer;
    PageSink sink(buffer);
    sink.append(page);
    AppendEndLines(sink, options);
    return buffer.view().toByteArray();
}

} // namespace veltrano
