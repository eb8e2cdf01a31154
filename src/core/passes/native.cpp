#include "native.h"

#include "host.h"
#include "text/bytebuffer.h"
#include "text/textops.h"

#include <array>
#include <string_view>

namespace veltrano {

namespace {

// "&#" code ";" for every byte, and its length.
struct Reference {
    char text[6];
    std::uint8_t length;
};

constexpr std::array<Reference, 256> makeReferences() {
    std::array<Reference, 256> table{};
    for (int c = 0; c < 256; ++c) {
        Reference& r = table[static_cast<size_t>(c)];
        int n = 0;
        r.text[n++] = '&';
        r.text[n++] = '#';
        if (c >= 100)
            r.text[n++] = static_cast<char>('0' + c / 100);
        if (c >= 10)
            r.text[n++] = static_cast<char>('0' + (c / 10) % 10);
        r.text[n++] = static_cast<char>('0' + c % 10);
        r.text[n++] = ';';
        r.length = static_cast<std::uint8_t>(n);
    }
    return table;
}

constexpr std::array<Reference, 256> kReferences = makeReferences();

} // namespace

bool NativeScanState::tagIs(QByteArrayView lowerWord) const {
    if (tagLength != lowerWord.size() || tagLength > kTagKeep)
        return false;
    for (qsizetype i = 0; i < tagLength; ++i) {
        char c = tagText[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + 32);
        if (c != lowerWord[i])
            return false;
    }
    return true;
}

namespace {

// Elements whose content the browser reads as raw text: references in it are not decoded.
constexpr std::string_view kRawTextElements[] = {"script",  "style",    "xmp",      "iframe",
                                                 "noembed", "noframes", "plaintext"};

bool isLetter(char c) {
    return (c | 0x20) >= 'a' && (c | 0x20) <= 'z';
}

// Elements whose content holds no tags, though references in it are decoded.
constexpr std::string_view kTextOnlyElements[] = {"textarea", "title"};

// The element of the list whose start tag opens at page[i] ("<"), or nullptr.
template <size_t N>
const char* elementOf(QByteArrayView page, qsizetype i, const std::string_view (&elements)[N]) {
    qsizetype e = i + 1;
    while (e < page.size() && isLetter(page[e]))
        ++e;
    const qsizetype length = e - i - 1;
    for (const std::string_view element : elements) {
        if (static_cast<qsizetype>(element.size()) != length)
            continue;
        qsizetype k = 0;
        while (k < length && (page[i + 1 + k] | 0x20) == element[static_cast<size_t>(k)])
            ++k;
        if (k == length)
            return element.data();
    }
    return nullptr;
}

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f';
}

// Where the tag that opens at page[i] ends, behind its ">"; a quote opens a value only right
// after "=".
qsizetype tagEnd(QByteArrayView page, qsizetype i) {
    char quote = 0;
    bool afterEquals = false;
    for (qsizetype p = i + 1; p < page.size(); ++p) {
        const char c = page[p];
        if (quote) {
            quote = c == quote ? 0 : quote;
        } else if (c == '>') {
            return p + 1;
        } else if ((c == '"' || c == '\'') && afterEquals) {
            quote = c;
        } else if (!isBlank(c)) {
            afterEquals = c == '=';
        }
    }
    return page.size();
}

} // namespace

namespace markup {

qsizetype commentEnd(QByteArrayView page, qsizetype i) {
    const qsizetype close = page.indexOf("-->", i + 2);
    return close < 0 ? page.size() : close + 3;
}

const char* rawTextElement(QByteArrayView page, qsizetype i) {
    return elementOf(page, i, kRawTextElements);
}

qsizetype rawTextEnd(QByteArrayView page, qsizetype from, const char* element) {
    const qsizetype close = indexOfAsciiNoCase(page.sliced(from), QByteArray("</") + element);
    return close < 0 || element[0] == 'p' ? page.size() : from + close;
}

void forEachTag(QByteArrayView page, const std::function<bool(const Tag&)>& visit) {
    const qsizetype n = page.size();
    for (qsizetype p = page.indexOf('<'); p >= 0;) {
        const char next = p + 1 < n ? page[p + 1] : '\0';
        const bool endTag = next == '/' && p + 2 < n && isLetter(page[p + 2]);
        qsizetype end = p + 1;
        if (next == '!' && page.sliced(p).startsWith("<!--")) {
            end = commentEnd(page, p);
        } else if (isLetter(next) || endTag) {
            end = tagEnd(page, p);
            qsizetype e = p + 1;
            while (e < end && !isBlank(page[e]) && page[e] != '>' && (page[e] != '/' || e == p + 1))
                ++e;
            if (!visit(Tag{page.sliced(p + 1, e - p - 1), p, end}))
                return;
            if (!endTag) {
                if (const char* element = rawTextElement(page, p))
                    end = rawTextEnd(page, end, element);
                else if (const char* text = elementOf(page, p, kTextOnlyElements))
                    end = rawTextEnd(page, end, text);
            }
        } else if (next == '!' || next == '?' || next == '/') {
            // A DOCTYPE, or what the browser reads as a comment up to the next ">".
            const qsizetype close = page.indexOf('>', p);
            end = close < 0 ? n : close + 1;
        }
        p = end < n ? page.indexOf('<', end) : -1;
    }
}

qsizetype prologueEnd(QByteArrayView text) {
    qsizetype p = 0;
    for (;;) {
        while (p < text.size() && isBlank(text[p]))
            ++p;
        const QByteArrayView rest = text.sliced(p);
        if (rest.startsWith("<!--")) {
            p = commentEnd(text, p);
        } else if (rest.startsWith("<?")) {
            const qsizetype close = text.indexOf('>', p);
            if (close < 0)
                return 0;
            p = close + 1;
        } else {
            break;
        }
    }
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

qsizetype headEnd(QByteArrayView page) {
    qsizetype found = -1;
    forEachTag(page, [&found](const Tag& tag) {
        if (tag.name.compare(QByteArrayView("/head"), Qt::CaseInsensitive) != 0)
            return true;
        found = tag.end;
        return false;
    });
    return found;
}

} // namespace markup

namespace {

// The end of the UTF-8 sequence that starts at text[i] and its code point; a byte that starts
// no valid sequence stands for itself as U+FFFD.
qsizetype readUtf8(const unsigned char* text, qsizetype i, qsizetype length, char32_t& code) {
    const unsigned char lead = text[i];
    const int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
    if (lead < 0xC2 || lead > 0xF4 || i + extra >= length) {
        code = 0xFFFD;
        return i + 1;
    }
    char32_t c = lead & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) {
        if ((text[i + k] & 0xC0) != 0x80) {
            code = 0xFFFD;
            return i + 1;
        }
        c = (c << 6) | (text[i + k] & 0x3F);
    }
    code = c;
    return i + 1 + extra;
}

char* writeDecimal(char* w, char32_t value) {
    char digits[10];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value > 0);
    while (n > 0)
        *w++ = digits[--n];
    return w;
}

// The pass for both ways of reading a page. Byte by byte, a character is one byte of the host
// code page, numbered by its byte value, and every run of markup is read as characters.
// Modern: a character is a UTF-8 sequence numbered by its code point; comments, server-side
// includes and the content of raw-text elements are copied as they are; quotes count inside
// tags only, single ones as well; line breaks stay, so no reference is removed afterwards.
template <bool Modern>
bool crippleNative(QByteArrayView page, const OptionValues& v, ByteBuffer& out, Host& host) {
    // The head stays readable for search engines while chkSeo is set; with it clear every
    // character may be encoded.
    const bool seo = v.check(CheckField::chkSeo) != 0;

    NativeScanState s;
    bool inSingle = false;
    bool afterEquals = false; // in a tag, the last character other than white space was "="
    const char* rawElement = nullptr;
    const qsizetype length = page.size();
    // Room for the largest possible result at once: untouched memory costs nothing, while
    // growing a large buffer step by step would copy it again and again.
    out.reserve(length * 6 + 16);
    const auto* text = reinterpret_cast<const unsigned char*>(page.data());
    PageProgress progress(host, length);
    qsizetype blockEnd = 0;
    char* w = nullptr;
    // Copies text[i, end) unchanged and goes on behind it.
    auto copyRun = [&](qsizetype& i, qsizetype end) {
        out.commit(w);
        out.append(page.data() + i, end - i);
        w = out.room(0);
        i = end - 1;
        blockEnd = end;
    };
    for (qsizetype i = 0; i < length; ++i) {
        if (i >= blockEnd) {
            if (w)
                out.commit(w);
            if (i > 0)
                progress.at(i);
            blockEnd = qMin(length, i + PageProgress::kStep);
            // A character read across the block's end needs a few bytes more.
            w = out.room((blockEnd - i) * 6 + (Modern ? 16 : 0));
        }
        const unsigned char ch = text[i];
        switch (ch) {
        case '<':
            if constexpr (Modern) {
                const unsigned char next = i + 1 < length ? text[i + 1] : 0;
                if (s.inTag) {
                    *w++ = '<'; // inside a tag, a "<" belongs to a name or value
                    continue;
                }
                if (next == '!' && page.sliced(i).startsWith("<!--")) {
                    copyRun(i, markup::commentEnd(page, i));
                    continue;
                }
                if (!(((next | 0x20) >= 'a' && (next | 0x20) <= 'z') || next == '/' ||
                      next == '!' || next == '?')) {
                    *w++ = '<'; // a "<" that opens no tag is text
                    continue;
                }
                rawElement = next == '/' ? nullptr : markup::rawTextElement(page, i);
                inSingle = false;
                s.inQuote = false;
            }
            s.inTag = true;
            s.tagLength = 0;
            *w++ = '<';
            continue;
        case '>':
            if constexpr (Modern) {
                if (s.inTag && (s.inQuote || inSingle)) {
                    *w++ = '>';
                    continue;
                }
            }
            s.inTag = false;
            if (s.tagIs("script"))
                s.inScript = true;
            else if (s.tagIs("/script"))
                s.inScript = false;
            else if (s.tagIs("/head"))
                s.inHead = false;
            *w++ = '>';
            if constexpr (Modern) {
                if (rawElement) {
                    const qsizetype to = markup::rawTextEnd(page, i + 1, rawElement);
                    rawElement = nullptr;
                    s.inScript = false;
                    if (to > i + 1) {
                        ++i;
                        copyRun(i, to);
                    }
                }
            }
            continue;
        case '&':
            s.inEntity = true;
            *w++ = '&';
            continue;
        case ';':
            s.inEntity = false;
            *w++ = ';';
            continue;
        case ' ':
            *w++ = ' ';
            continue;
        case '"':
            if constexpr (Modern) {
                // A quote opens a value only right after "=": elsewhere it is a character.
                if (s.inTag && !inSingle && (s.inQuote || afterEquals))
                    s.inQuote = !s.inQuote;
            } else {
                s.inQuote = !s.inQuote;
            }
            break;
        case '\'':
            if constexpr (Modern) {
                if (s.inTag && !s.inQuote && (inSingle || afterEquals))
                    inSingle = !inSingle;
            }
            break;
        case '\r':
        case '\n':
            if constexpr (Modern) {
                *w++ = static_cast<char>(ch);
                continue;
            }
            break;
        default:
            break;
        }
        if constexpr (Modern) {
            if (ch >= 0x80) {
                char32_t code = 0;
                const qsizetype end = readUtf8(text, i, length, code);
                const bool markup = s.inScript || s.inEntity || s.inTag || s.inQuote || inSingle;
                if (markup || (seo && s.inHead)) {
                    for (qsizetype k = i; k < end; ++k) {
                        *w++ = static_cast<char>(text[k]);
                        if (markup)
                            s.collect(static_cast<char>(text[k]));
                    }
                } else {
                    *w++ = '&';
                    *w++ = '#';
                    w = writeDecimal(w, code);
                    *w++ = ';';
                }
                i = end - 1;
                continue;
            }
        }
        if constexpr (Modern) {
            if (ch != '\t' && ch != '\f' && !s.inQuote && !inSingle)
                afterEquals = ch == '=';
        }
        if (s.inScript || s.inEntity || s.inTag || s.inQuote || (Modern && inSingle)) {
            *w++ = static_cast<char>(ch);
            s.collect(static_cast<char>(ch));
        } else if (seo && s.inHead) {
            *w++ = static_cast<char>(ch);
        } else {
            const Reference& r = kReferences[ch];
            std::memcpy(w, r.text, 6);
            w += r.length;
        }
    }
    if (w)
        out.commit(w);
    progress.done();

    if constexpr (!Modern) {
        removeAll(out, "&#32;", &host);
        removeAll(out, "&#13;&#10;", &host);
    }
    return !out.isEmpty();
}

} // namespace

bool CrippleNative(QByteArrayView page, const OptionSet& options, ByteBuffer& out, Host& host) {
    out.clear();
    const OptionValues& v = options.values();
    if (v.check(CheckField::chkNativ) == 0)
        return false;
    return options.modern() ? crippleNative<true>(page, v, out, host)
                            : crippleNative<false>(page, v, out, host);
}

} // namespace veltrano
