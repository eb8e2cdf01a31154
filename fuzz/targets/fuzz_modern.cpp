// Modern pages over arbitrary bytes: the encoding found and the decoding, then both passes on
// the decoded text. The JavaScript form must spell the text's UTF-16 code units, and the native
// output must read, once its character references are resolved as a browser resolves them, as
// the same characters as the page.

#include "host.h"
#include "io/pagesink.h"
#include "options/optionset.h"
#include "passes/javascript.h"
#include "passes/native.h"
#include "passes/random.h"
#include "support/reference.h"
#include "text/bytebuffer.h"
#include "text/charset.h"

#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>

#include <cctype>

using namespace veltrano;
using namespace veltrano::fuzz;

namespace {

// The text with every decimal character reference replaced by its character, in UTF-8.
QByteArray resolveReferences(QByteArrayView t) {
    QByteArray r;
    for (qsizetype i = 0; i < t.size();) {
        qsizetype j = i + 2;
        char32_t v = 0;
        while (t.sliced(i).startsWith("&#") && j < t.size() && j - i < 9 && std::isdigit(t[j]))
            v = v * 10 + static_cast<char32_t>(t[j++] - '0');
        if (j > i + 2 && j < t.size() && t[j] == ';' && v <= 0x10FFFF) {
            const auto c = QChar::fromUcs4(v);
            r += QStringView(c).toUtf8();
            i = j + 1;
        } else {
            r += t[i++];
        }
    }
    return r;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    static ByteBuffer decoded, out;
    QByteArrayView bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const int flags = pick(bytes, 256);
    charset::decodeToUtf8(bytes, decoded);
    const QByteArray text = decoded.view().toByteArray();
    // A byte-order mark that follows the one the decoding consumed is text and stays.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringConverter::Flag::ConvertInitialBom);
    const QString unicode = utf8(text);
    check(!utf8.hasError() && unicode.toUtf8() == text, "decoded text is valid UTF-8");
    if (charset::detect(bytes).from == charset::Detected::From::Utf8Bytes)
        checkSame(text, bytes, "valid UTF-8 passes unchanged");

    // External scripts gain a charset attribute and nothing else changes.
    static ByteBuffer scripts;
    scripts.clear();
    scripts.append(text);
    charset::keepScriptEncoding(scripts, "windows-1252");
    checkSame(scripts.view().toByteArray().replace(" charset=\"windows-1252\">", ">"),
              QByteArray(text).replace(" charset=\"windows-1252\">", ">"), "script charset");
    check(markup::headEnd(text) <= text.size(), "head end within the page");

    OptionSet options;
    options.setModern(true);
    options.setCheck(CheckField::chkNativ, 1);
    options.setCheck(CheckField::chkSeo, flags & 1);
    NullHost host;
    if (CrippleNative(text, options, out, host)) {
        checkSame(resolveReferences(out.view()), resolveReferences(text),
                  "native output reads as the page");
    }

    options.setCheck(CheckField::chkSeo, 0);
    Random random;
    static ByteBuffer formBuffer;
    formBuffer.clear();
    PageSink sink(formBuffer);
    EncryptJavaScript(text, {}, options, random, sink, host);
    const QByteArray form = formBuffer.view().toByteArray();
    const qsizetype table = form.indexOf(" z++;\r\n}\r\n") + 10;
    const qsizetype notice = form.lastIndexOf("\r\n</script><noscript>");
    check(table > 10 && notice >= table, "JavaScript form layout");
    QSet<uint> filled;
    QList<char16_t> items;
    const QByteArrayView calls = QByteArrayView(form).sliced(table, notice - table);
    static const QRegularExpression number(QStringLiteral("(c\\[|of\\[|,)(\\d+)"));
    bool inTable = calls.startsWith("for(z of[");
    for (const auto& m : number.globalMatch(QString::fromLatin1(calls))) {
        inTable = inTable && m.captured(1) != QLatin1String("c[");
        if (inTable)
            filled.insert(m.captured(2).toUInt());
        else if (m.captured(1) == QLatin1String("c["))
            items.append(static_cast<char16_t>(m.captured(2).toUInt()));
    }
    check(QStringView(items.data(), items.size()) == unicode, "items spell the UTF-16 text");
    for (char16_t unit : items)
        check(unit < 255 || filled.contains(unit), "every item has its table entry");
    return 0;
}
