#include "native.h"

#include "codetable.h"

#include "host.h"
#include "text/bytebuffer.h"
#include "text/textops.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace veltrano {

namespace {

// "&#" code ";" for every byte, and its length.
constexpr std::array<CodeText, 256> kReferences = makeCodeTexts("&#", ';');

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

void NativeScanState::closeTag() {
    inTag = false;
    if (tagIs("script"))
        inScript = true;
    else if (tagIs("/script"))
        inScript = false;
    else if (tagIs("/head"))
        inHead = false;
}

namespace {

// What a byte is to the scan. Plain pages read all but the first six kinds as text.
enum ByteKind : std::uint8_t {
    kText,
    kLess,
    kGreater,
    kAmpersand,
    kSemicolon,
    kSpace,
    kQuote,
    kApostrophe,
    kLineBreak,
    kNonAscii,
};

constexpr std::array<ByteKind, 256> makeKinds() {
    std::array<ByteKind, 256> kinds{};
    for (int c = 0x80; c < 256; ++c)
        kinds[static_cast<size_t>(c)] = kNonAscii;
    kinds['<'] = kLess;
    kinds['>'] = kGreater;
    kinds['&'] = kAmpersand;
    kinds[';'] = kSemicolon;
    kinds[' '] = kSpace;
    kinds['"'] = kQuote;
    kinds['\''] = kApostrophe;
    kinds['\r'] = kLineBreak;
    kinds['\n'] = kLineBreak;
    return kinds;
}

constexpr std::array<ByteKind, 256> kKinds = makeKinds();

// A character of content: copied and collected in markup, copied in the head kept readable,
// written as its reference elsewhere.
char* emitCharacter(char* w, unsigned char ch, NativeScanState& s, bool keepHead) {
    if (s.inMarkup()) {
        *w++ = static_cast<char>(ch);
        s.collect(static_cast<char>(ch));
    } else if (keepHead && s.inHead) {
        *w++ = static_cast<char>(ch);
    } else {
        std::memcpy(w, &kReferences[ch], 8);
        w += kReferences[ch].length;
    }
    return w;
}

// How the plain pass writes a character of content, from the state: encoded, copied, or copied
// and collected.
enum class Writing { Encode, Copy, Collect };

Writing writingFor(const NativeScanState& s, bool keepHead) {
    return s.inMarkup() ? Writing::Collect
                        : (keepHead && s.inHead ? Writing::Copy : Writing::Encode);
}

// The plain pass over text[from, to): a character is one byte of the host code page. Room for
// six bytes per character and two more.
char* scanPlain(const unsigned char* text, qsizetype from, qsizetype to, NativeScanState& s,
                bool keepHead, char* w) {
    Writing writing = writingFor(s, keepHead);
    for (qsizetype i = from; i < to; ++i) {
        const unsigned char ch = text[i];
        const ByteKind kind = kKinds[ch];
        if (kind == kText || kind > kQuote) {
            if (writing == Writing::Encode) {
                std::memcpy(w, &kReferences[ch], 8);
                w += kReferences[ch].length;
                continue;
            }
            *w++ = static_cast<char>(ch);
            if (writing == Writing::Collect)
                s.collect(static_cast<char>(ch));
            continue;
        }
        if (kind == kLess)
            s.openTag();
        else if (kind == kGreater)
            s.closeTag();
        else if (kind == kAmpersand || kind == kSemicolon)
            s.inEntity = kind == kAmpersand;
        if (kind == kQuote) {
            s.inQuote = !s.inQuote;
            w = emitCharacter(w, ch, s, keepHead);
        } else {
            *w++ = static_cast<char>(ch);
        }
        writing = writingFor(s, keepHead);
    }
    return w;
}

// Takes every "&#32;" and then every "&#13;&#10;" out of the plain pass's output, block by block
// while the bytes are still in the cache, with the result of two passes over the whole text.
class ReferenceRemoval {
public:
    void run(ByteBuffer& out, bool last) {
        qsizetype size = out.size();
        spaces_ = removeBetween(out.data(), size, spaces_, size, "&#32;", last);
        const qsizetype before = size;
        breaks_ = removeBetween(out.data(), size, breaks_, spaces_, "&#13;&#10;", last);
        spaces_ -= before - size;
        out.truncate(size);
    }

private:
    qsizetype spaces_ = 0; // the text before it holds no "&#32;" still to remove
    qsizetype breaks_ = 0; // the text before it holds no "&#13;&#10;" still to remove
};

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

// A "<" or ">" of a modern page at page[i], written to w. Returns the end of the text behind it
// that is copied unchanged (a comment, the content of a raw-text element), else i + 1.
qsizetype modernAngle(QByteArrayView page, qsizetype i, NativeScanState& s, char*& w) {
    const char ch = page[i];
    *w++ = ch;
    if (ch == '<') {
        if (s.inTag)
            return i + 1; // inside a tag, a "<" belongs to a name or value
        const char next = i + 1 < page.size() ? page[i + 1] : '\0';
        if (next == '!' && page.sliced(i).startsWith("<!--"))
            return markup::commentEnd(page, i);
        if (!(markup::isLetter(next) || next == '/' || next == '!' || next == '?'))
            return i + 1; // a "<" that opens no tag is text
        s.rawElement = next == '/' ? nullptr : markup::rawTextElement(page, i);
        s.inSingle = false;
        s.inQuote = false;
        s.openTag();
        return i + 1;
    }
    if (s.inTag && (s.inQuote || s.inSingle))
        return i + 1;
    s.closeTag();
    if (!s.rawElement)
        return i + 1;
    const qsizetype end = markup::rawTextEnd(page, i + 1, s.rawElement);
    s.rawElement = nullptr;
    s.inScript = false;
    return qMax(end, i + 1);
}

// A character of a modern page outside the sequences above: a UTF-8 sequence numbered by its
// code point. Returns where the next one starts.
qsizetype modernCharacter(const unsigned char* text, qsizetype i, qsizetype length,
                          NativeScanState& s, bool keepHead, char*& w) {
    const unsigned char ch = text[i];
    switch (kKinds[ch]) {
    case kAmpersand:
    case kSemicolon:
        s.inEntity = ch == '&';
        [[fallthrough]];
    case kSpace:
    case kLineBreak:
        *w++ = static_cast<char>(ch);
        return i + 1;
    case kQuote: // a quote opens a value only right after "=": elsewhere it is a character
        if (s.inTag && !s.inSingle && (s.inQuote || s.afterEquals))
            s.inQuote = !s.inQuote;
        break;
    case kApostrophe:
        if (s.inTag && !s.inQuote && (s.inSingle || s.afterEquals))
            s.inSingle = !s.inSingle;
        break;
    case kNonAscii: {
        char32_t code = 0;
        const qsizetype end = readUtf8(text, i, length, code);
        const bool markup = s.inMarkup();
        if (!markup && !(keepHead && s.inHead)) {
            *w++ = '&';
            *w++ = '#';
            w = writeDecimal(w, code);
            *w++ = ';';
            return end;
        }
        for (qsizetype k = i; k < end; ++k) {
            *w++ = static_cast<char>(text[k]);
            if (markup)
                s.collect(static_cast<char>(text[k]));
        }
        return end;
    }
    default:
        break;
    }
    if (ch != '\t' && ch != '\f' && !s.inQuote && !s.inSingle)
        s.afterEquals = ch == '=';
    w = emitCharacter(w, ch, s, keepHead);
    return i + 1;
}

// The modern pass over page[from, to); a character read across `to` or a run copied unchanged
// takes it further. Returns where it stopped.
qsizetype scanModern(QByteArrayView page, qsizetype i, qsizetype to, NativeScanState& s,
                     bool keepHead, ByteBuffer& out) {
    const auto* text = reinterpret_cast<const unsigned char*>(page.data());
    char* w = out.room((to - i) * 6 + 16);
    while (i < to) {
        if (page[i] != '<' && page[i] != '>') {
            i = modernCharacter(text, i, page.size(), s, keepHead, w);
            continue;
        }
        const qsizetype runEnd = modernAngle(page, i, s, w);
        out.commit(w);
        if (runEnd > i + 1) {
            out.append(page.data() + i + 1, runEnd - i - 1);
            return runEnd;
        }
        ++i;
    }
    out.commit(w);
    return i;
}

// Runs scan(from, to) over the page a block at a time, with the page bar and a pump between
// blocks; scan returns where it stopped.
template <typename Scan> void scanBlocks(qsizetype length, Host& host, Scan&& scan) {
    PageProgress progress(host, length);
    for (qsizetype i = 0; i < length;) {
        if (i > 0)
            progress.at(i);
        i = scan(i, qMin(length, i + PageProgress::kStep));
    }
    progress.done();
}

} // namespace

// Plain pages: a character is one byte of the host code page, numbered by its value, and every
// run of markup is read as characters. Modern pages: a character is a UTF-8 sequence numbered by
// its code point; comments, server-side includes and the content of raw-text elements are
// copied as they are; quotes count inside tags only, single ones as well; line breaks stay, so
// no reference is removed afterwards.
bool CrippleNative(QByteArrayView page, const OptionSet& options, ByteBuffer& out, Host& host) {
    out.clear();
    const OptionValues& v = options.values();
    if (!isSet(v.check(CheckField::chkNativ)))
        return false;
    // The head stays readable for search engines while chkSeo is set; with it clear every
    // character may be encoded.
    const bool keepHead = isSet(v.check(CheckField::chkSeo));
    // Room for the largest possible result at once: untouched memory costs nothing, while
    // growing a large buffer step by step would copy it again and again.
    out.reserve(page.size() * 6 + 16);
    NativeScanState s;
    if (options.modern()) {
        scanBlocks(page.size(), host, [&](qsizetype from, qsizetype to) {
            return scanModern(page, from, to, s, keepHead, out);
        });
        return !out.isEmpty();
    }
    const auto* text = reinterpret_cast<const unsigned char*>(page.data());
    ReferenceRemoval removal;
    scanBlocks(page.size(), host, [&](qsizetype from, qsizetype to) {
        out.commit(scanPlain(text, from, to, s, keepHead, out.room((to - from) * 6 + 2)));
        removal.run(out, to == page.size());
        return to;
    });
    return !out.isEmpty();
}

} // namespace veltrano
