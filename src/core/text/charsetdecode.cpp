#include "charset.h"

#include "bytebuffer.h"
#include "markup.h"
#include "textops.h"

#include <unicode/ucnv.h>
#include <unicode/ustring.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <iconv.h>
#include <memory>
#include <vector>

namespace veltrano::charset {
namespace {

using markup::isBlank;

// The converter name where the library spells an encoding differently.
const char* converterName(const QByteArray& encoding) {
    if (encoding == "ISO-8859-8-I")
        return "ISO-8859-8";
    if (encoding == "EUC-KR")
        return "windows-949";
    if (encoding == "Big5")
        return "Big5-HKSCS";
    return encoding.constData();
}

void decodeWithConverter(QByteArrayView bytes, const char* name, ByteBuffer& out);

void appendUtf8(const char16_t* units, qsizetype count, ByteBuffer& out) {
    if (count == 0)
        return;
    char* at = out.room(count * 3);
    int32_t written = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strToUTF8WithSub(at, static_cast<int32_t>(count * 3), &written,
                       reinterpret_cast<const UChar*>(units), static_cast<int32_t>(count), 0xFFFD,
                       nullptr, &status);
    out.commit(at + written);
}

// For the few encodings the library's data leaves out (ISO-8859-16 on some systems), the C
// library's converter; what it cannot decode becomes U+FFFD.
void decodeWithIconv(QByteArrayView bytes, const char* name, ByteBuffer& out) {
    const iconv_t cd = iconv_open("UTF-8", name);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        decodeWithConverter(bytes, "windows-1252", out);
        return;
    }
    char* in = const_cast<char*>(bytes.data());
    size_t inLeft = static_cast<size_t>(bytes.size());
    while (inLeft > 0) {
        char* at = out.room(static_cast<qsizetype>(inLeft) * 4 + 16);
        char* w = at;
        size_t outLeft = inLeft * 4 + 16;
        if (iconv(cd, &in, &inLeft, &w, &outLeft) == static_cast<size_t>(-1) && errno != E2BIG) {
            w = static_cast<char*>(std::memcpy(w, "\xEF\xBF\xBD", 3)) + 3;
            ++in;
            --inLeft;
        }
        out.commit(w);
    }
    iconv_close(cd);
}

// An encoding of one byte per character maps every byte on its own: the converter's answer for
// each of the 256 bytes, taken once as UTF-8, then looked up byte by byte. That gives the same
// text as converting the whole page, without the detour through UTF-16.
void decodeSingleBytes(QByteArrayView bytes, UConverter* conv, ByteBuffer& out) {
    struct Utf8 {
        char text[8];
        qsizetype length;
    };
    std::array<Utf8, 256> table{};
    ByteBuffer one;
    for (int b = 0; b < 256; ++b) {
        const char byte = static_cast<char>(b);
        const char* source = &byte;
        char16_t units[8];
        UChar* target = reinterpret_cast<UChar*>(units);
        UErrorCode status = U_ZERO_ERROR;
        ucnv_resetToUnicode(conv);
        ucnv_toUnicode(conv, &target, target + 8, &source, source + 1, nullptr, true, &status);
        one.clear();
        appendUtf8(units, reinterpret_cast<char16_t*>(target) - units, one);
        Utf8& entry = table[static_cast<size_t>(b)];
        entry.length = qMin<qsizetype>(one.size(), 8);
        std::memcpy(entry.text, one.data(), static_cast<size_t>(entry.length));
    }
    bool asciiIsItself = true;
    for (int b = 0; b < 0x80; ++b)
        asciiIsItself = asciiIsItself && table[b].length == 1 && table[b].text[0] == char(b);
    constexpr std::uint64_t kHighBits = 0x8080808080808080u;
    const auto* text = reinterpret_cast<const unsigned char*>(bytes.data());
    constexpr qsizetype kBlock = 1 << 16;
    for (qsizetype i = 0; i < bytes.size();) {
        const qsizetype end = qMin(bytes.size(), i + kBlock);
        char* w = out.room((end - i) * 8);
        while (i < end) {
            // Eight ASCII bytes at once, where they stand for themselves (in all but a few).
            if (asciiIsItself && end - i >= 8) {
                std::uint64_t eight;
                std::memcpy(&eight, text + i, 8);
                if ((eight & kHighBits) == 0) {
                    std::memcpy(w, &eight, 8);
                    w += 8;
                    i += 8;
                    continue;
                }
            }
            const Utf8& entry = table[text[i++]];
            std::memcpy(w, entry.text, 8);
            w += entry.length;
        }
        out.commit(w);
    }
}

void decodeWithConverter(QByteArrayView bytes, const char* name, ByteBuffer& out) {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<UConverter, void (*)(UConverter*)> conv(ucnv_open(name, &status), ucnv_close);
    if (U_FAILURE(status)) {
        decodeWithIconv(bytes, name, out);
        return;
    }
    if (ucnv_getMaxCharSize(conv.get()) == 1) {
        decodeSingleBytes(bytes, conv.get(), out);
        return;
    }
    std::vector<char16_t> units(1 << 16);
    const char* source = bytes.data();
    const char* const sourceEnd = source + bytes.size();
    do {
        UChar* target = reinterpret_cast<UChar*>(units.data());
        status = U_ZERO_ERROR;
        ucnv_toUnicode(conv.get(), &target, target + units.size(), &source, sourceEnd, nullptr,
                       true, &status);
        appendUtf8(units.data(), reinterpret_cast<char16_t*>(target) - units.data(), out);
    } while (status == U_BUFFER_OVERFLOW_ERROR);
}

} // namespace

QByteArray decodeToUtf8(QByteArrayView bytes, ByteBuffer& out) {
    out.clear();
    const Detected found = detect(bytes);
    const QByteArrayView body = bytes.sliced(found.bomLength);
    out.reserve(body.size() + body.size() / 2 + 16);
    if (found.encoding == "UTF-8" && found.from == Detected::From::Utf8Bytes) {
        out.append(body); // just checked to be valid
    } else if (found.encoding == "replacement") {
        if (!body.isEmpty())
            out.append("\xEF\xBF\xBD");
    } else if (found.encoding == "x-user-defined") {
        // Bytes from 0x80 on stand for the private-use characters from U+F780 on.
        std::vector<char16_t> units(static_cast<size_t>(body.size()));
        for (qsizetype i = 0; i < body.size(); ++i) {
            const auto c = static_cast<unsigned char>(body[i]);
            units[static_cast<size_t>(i)] = c < 0x80 ? c : char16_t(0xF700 + c);
        }
        appendUtf8(units.data(), body.size(), out);
    } else {
        decodeWithConverter(body, converterName(found.encoding), out);
    }
    return found.encoding;
}

void declareUtf8(ByteBuffer& text) {
    const QByteArrayView t = text.view();
    QByteArray result;
    qsizetype copied = 0;
    // Rewrites the value behind the word of the given length at word, within the tag's end.
    const auto rewrite = [&](qsizetype word, qsizetype length, qsizetype tagEnd) {
        qsizetype v = word + length;
        while (v < tagEnd && isBlank(t[v]))
            ++v;
        if (v >= tagEnd || t[v] != '=')
            return;
        ++v;
        while (v < tagEnd && isBlank(t[v]))
            ++v;
        if (v < tagEnd && (t[v] == '"' || t[v] == '\''))
            ++v;
        qsizetype e = v;
        while (e < tagEnd && !isBlank(t[e]) && t[e] != ';' && t[e] != '"' && t[e] != '\'' &&
               t[e] != '/')
            ++e;
        if (t.sliced(v, e - v) != "utf-8") {
            result += t.sliced(copied, v - copied);
            result += "utf-8";
            copied = e;
        }
    };
    // An XML declaration in front of the page names its encoding too.
    qsizetype start = 0;
    while (start < t.size() && isBlank(t[start]))
        ++start;
    if (startsWithAsciiNoCase(t, start, "<?xml")) {
        const qsizetype close = t.indexOf('>', start);
        const qsizetype tagEnd = close < 0 ? t.size() : close;
        const qsizetype found = indexOfAsciiNoCase(t.sliced(start, tagEnd - start), "encoding");
        if (found >= 0)
            rewrite(start + found, 8, tagEnd);
    }
    for (qsizetype at = indexOfAsciiNoCase(t, "<meta"); at >= 0;) {
        const qsizetype close = t.indexOf('>', at);
        const qsizetype tagEnd = close < 0 ? t.size() : close;
        const qsizetype found = indexOfAsciiNoCase(t.sliced(at, tagEnd - at), "charset");
        if (found >= 0)
            rewrite(at + found, 7, tagEnd);
        const qsizetype next = indexOfAsciiNoCase(t.sliced(tagEnd), "<meta");
        at = next < 0 ? -1 : tagEnd + next;
    }
    if (copied == 0)
        return;
    result += t.sliced(copied);
    text.clear();
    text.append(result);
}

namespace {

// Whether some script tag of the text names a source: most pages have none, and then the tags
// need not be read.
bool mayLoadScript(QByteArrayView t) {
    for (qsizetype at = indexOfAsciiNoCase(t, "<script"); at >= 0;) {
        const qsizetype close = t.indexOf('>', at);
        const qsizetype tagEnd = close < 0 ? t.size() : close;
        if (indexOfAsciiNoCase(t.sliced(at, tagEnd - at), "src") >= 0)
            return true;
        const qsizetype next = indexOfAsciiNoCase(t.sliced(tagEnd), "<script");
        at = next < 0 ? -1 : tagEnd + next;
    }
    return false;
}

} // namespace

void keepScriptEncoding(ByteBuffer& text, const QByteArray& encoding) {
    const QByteArrayView t = text.view();
    if (encoding == "UTF-8" || encoding.startsWith("UTF-16") || encoding == "replacement" ||
        !mayLoadScript(t))
        return;
    const QByteArray attribute = " charset=\"" + encoding + "\"";
    QByteArray result;
    qsizetype copied = 0;
    QByteArray name, value;
    markup::forEachTag(t, [&](const markup::Tag& tag) {
        if (tag.name.compare(QByteArrayView("script"), Qt::CaseInsensitive) != 0 ||
            t[tag.end - 1] != '>')
            return true;
        bool source = false, named = false, module = false;
        for (qsizetype p = tag.begin + 7; markup::nextAttribute(t, p, name, value);) {
            source = source || name == "src";
            named = named || name == "charset";
            module = module || (name == "type" && value == "module");
        }
        if (source && !named && !module) {
            // In front of the ">": a "/" before it may end an unquoted value.
            const qsizetype at = tag.end - 1;
            result += t.sliced(copied, at - copied);
            result += attribute;
            copied = at;
        }
        return true;
    });
    if (copied == 0)
        return;
    result += t.sliced(copied);
    text.clear();
    text.append(result);
}

} // namespace veltrano::charset
