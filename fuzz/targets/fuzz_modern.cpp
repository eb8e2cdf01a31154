// Modern pages over arbitrary bytes: the encoding found and the decoding, then both passes on
// the decoded text. The light JavaScript form must decode to the text's UTF-16 code units through
// a safe string, and the native output must read, once its character references are resolved as
// a browser resolves them, as the same characters as the page.

#include "host.h"
#include "io/pagesink.h"
#include "options/optionset.h"
#include "passes/lightform.h"
#include "passes/native.h"
#include "passes/random.h"
#include "support/reference.h"
#include "text/bytebuffer.h"
#include "text/charset.h"
#include "text/markup.h"

#include <QHash>
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

    // The light form, read back by a decoder of its own: the key (the unit each output unit
    // stands for, in the order of the alphabet), the alphabet's ranges, then the string.
    options.setCheck(CheckField::chkSeo, 0);
    options.setCheck(CheckField::chkJava, 1);
    Random random;
    random.setState(static_cast<std::uint32_t>(flags) * 65793u);
    const std::uint32_t start = random.state();
    static ByteBuffer formBuffer;
    formBuffer.clear();
    PageSink sink(formBuffer);
    const qsizetype prologue = markup::prologueEnd(text);
    encryptJavaScriptLight(QByteArrayView(text).sliced(prologue), {}, options, random, sink, host);
    check(random.state() == Random::jump(start, lightDrawCount(text, options)),
          "the draws are known from the page alone");
    const QByteArray form = formBuffer.view().toByteArray();
    const qsizetype keyAt = form.indexOf("})([") + 4, rangesAt = form.indexOf("],[", keyAt) + 3;
    const qsizetype stringAt = form.indexOf("],\"", rangesAt) + 3;
    const qsizetype end = form.lastIndexOf("\")\r\n</script><noscript>");
    check(keyAt > 4 && rangesAt > keyAt && stringAt > rangesAt && end >= stringAt, "layout");
    const auto numbers = [&form](qsizetype from, qsizetype to) {
        QList<uint> list;
        for (const QByteArray& part : form.mid(from, to - from).split(',')) {
            bool ok = false;
            list.append(part.toUInt(&ok));
            check(ok || to == from, "key and alphabet are numbers");
        }
        return to == from ? QList<uint>() : list;
    };
    const QList<uint> key = numbers(keyAt, rangesAt - 3), ranges = numbers(rangesAt, stringAt - 3);
    check(QSet<uint>(key.begin(), key.end()).size() == key.size(), "one output per unit");
    QHash<char16_t, qsizetype> index; // output unit -> position in the alphabet
    qsizetype plain = 0;
    for (qsizetype r = 0; r + 1 < ranges.size(); r += 2) {
        plain += r + 2 < ranges.size() ? ranges[r + 1] - ranges[r] + 1 : 0;
        for (uint u = ranges[r]; u <= ranges[r + 1] && index.size() < key.size(); ++u)
            if (!index.contains(static_cast<char16_t>(u)))
                index.insert(static_cast<char16_t>(u), index.size());
    }
    const QString string = QString::fromUtf8(form.mid(stringAt, end - stringAt));
    QString readBack;
    for (qsizetype i = 0; i < string.size(); ++i) {
        char16_t unit = string[i].unicode();
        if (unit == '\\') {
            check(key.size() > plain && string.mid(i + 1, 1) == QLatin1String("u"),
                  "escapes only when needed");
            bool ok = false;
            unit = static_cast<char16_t>(string.mid(i + 2, 4).toUInt(&ok, 16));
            check(ok, "an escape is \\u and four hex digits");
            i += 5;
        } else {
            check(!string[i].isLetter() && !string[i].isSurrogate() && unit != '"' && unit != '<' &&
                      unit != '\r' && unit != '\n' && unit != 0x2028 && unit != 0x2029,
                  "the string is safe and holds no letter");
        }
        check(index.contains(unit), "every output unit is in the alphabet");
        readBack += QChar(static_cast<char16_t>(key[index[unit]]));
    }
    check(readBack == QString::fromUtf8(QByteArrayView(text).sliced(prologue)),
          "the light form decodes to the page's code units");
    return 0;
}
