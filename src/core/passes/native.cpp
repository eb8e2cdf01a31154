#include "native.h"

#include "codetable.h"

#include "host.h"
#include "text/bytebuffer.h"
#include "text/textops.h"

#include <algorithm>
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

// What the plain pass writes for a byte while it encodes: its reference, a blank as it is, and
// nothing (length 0) for the bytes it looks at one by one: those that change the state, and the
// carriage return, whose reference may begin a line break that is removed.
constexpr std::array<CodeText, 256> makeEncodedRuns() {
    std::array<CodeText, 256> table = makeCodeTexts("&#", ';');
    table[' '] = CodeText{{' '}, 1};
    for (const char c : {'<', '>', '&', ';', '"', '\r'})
        table[static_cast<unsigned char>(c)].length = 0;
    return table;
}

constexpr std::array<CodeText, 256> kEncodedRuns = makeEncodedRuns();

// The bytes that end a run the plain pass copies: those that change the state.
constexpr std::array<bool, 256> makeCopyStops() {
    std::array<bool, 256> stops{};
    for (const char c : {'<', '>', '&', ';', '"'})
        stops[static_cast<unsigned char>(c)] = true;
    return stops;
}

constexpr std::array<bool, 256> kCopyStops = makeCopyStops();

// Both are taken out of the plain pass's text. An encoded blank can only be one the page holds
// as it is, so it is skipped while reading; a line break is removed once its bytes are written.
constexpr QByteArrayView kEncodedBlank = "&#32;";
constexpr QByteArrayView kEncodedBreak = "&#13;&#10;";

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

} // namespace

// Plain pages: a character is one byte of the host code page, numbered by its value, and every
// run of markup is read as characters. Modern pages: a character is a UTF-8 sequence numbered by
// its code point; comments, server-side includes and the content of raw-text elements are
// copied as they are; quotes count inside tags only, single ones as well; line breaks stay, so
// no reference is removed afterwards.
bool CrippleNative(QByteArrayView page, const OptionSet& options, ByteBuffer& out, Host& host) {
    out.clear();
    if (!isSet(options.values().check(CheckField::chkNativ)))
        return false;
    // Room for the largest possible result at once: untouched memory costs nothing, while
    // growing a large buffer step by step would copy it again and again.
    out.reserve(page.size() * 6 + 16);
    NativeText text(page, options, host, out);
    while (!text.next().isEmpty()) {
    }
    return !out.isEmpty();
}

NativeText::NativeText(QByteArrayView page, const OptionSet& options, Host& host,
                       qsizetype pieceSize)
    : page_(page), modern_(options.modern()),
      // The head stays readable for search engines while chkSeo is set; with it clear every
      // character may be encoded.
      keepHead_(isSet(options.values().check(CheckField::chkSeo))), buffer_(&own_),
      chunk_(qBound(qsizetype(1), pieceSize / 6, PageProgress::kStep)),
      pieceSize_(qMax(qsizetype(1), pieceSize)) {
    if (isSet(options.values().check(CheckField::chkNativ)))
        progress_.emplace(host, page.size());
}

NativeText::NativeText(QByteArrayView page, const OptionSet& options, Host& host, ByteBuffer& whole)
    : NativeText(page, options, host) {
    buffer_ = &whole;
    keepPieces_ = true;
    whole.clear();
}

QByteArrayView NativeText::next() {
    if (!progress_)
        return {};
    ByteBuffer& b = *buffer_;
    if (!keepPieces_ && pieceStart_ > 0) { // what is still open moves to the front
        const qsizetype open = b.size() - pieceStart_;
        std::memmove(b.data(), b.data() + pieceStart_, static_cast<size_t>(open));
        b.truncate(open);
        if (pending_ >= 0)
            pending_ -= pieceStart_;
        pieceStart_ = 0;
    }
    const auto finalEnd = [&] { return pending_ >= 0 ? pending_ : b.size(); };
    const qsizetype length = page_.size();
    while (scanned_ < length && finalEnd() - pieceStart_ < pieceSize_) {
        if (modern_) { // a block at a time, as far as the scan goes
            if (scanned_ > 0)
                progress_->at(scanned_);
            scanned_ = scanModern(page_, scanned_, qMin(length, scanned_ + PageProgress::kStep),
                                  state_, keepHead_, b);
            continue;
        }
        if (scanned_ == report_) {
            progress_->at(scanned_);
            report_ += PageProgress::kStep;
        }
        scanned_ = std::min({length, scanned_ + chunk_, report_});
        scanPlain(scanned_);
    }
    if (scanned_ >= length && !finished_) { // the end: an open line break stays
        pending_ = -1;
        finished_ = true;
        progress_->done();
    }
    const qsizetype start = pieceStart_;
    pieceStart_ = finalEnd();
    return {b.data() + start, pieceStart_ - start};
}

// The plain pass over the page up to to: runs of bytes that leave the state as it is at once,
// the others one by one. Room for six bytes per character and sixteen more.
void NativeText::scanPlain(qsizetype to) {
    const auto* text = reinterpret_cast<const unsigned char*>(page_.data());
    char* w = buffer_->room(qMax(qsizetype(0), to - read_) * 6 + 16);
    Writing writing = writingFor(state_, keepHead_);
    qsizetype i = read_;
    while (i < to) {
        // While a line break may be forming, a run ends after as many bytes as the break has,
        // each writing at least one, so that its removal moves few bytes.
        const qsizetype end = pending_ < 0 ? to : qMin(to, i + kEncodedBreak.size());
        if (writing == Writing::Encode) {
            for (; i < end; ++i) {
                const CodeText& code = kEncodedRuns[text[i]];
                if (code.length == 0)
                    break;
                std::memcpy(w, code.text, sizeof code.text);
                w += code.length;
            }
        } else {
            const qsizetype start = i;
            for (; i < end && !kCopyStops[text[i]]; ++i)
                *w++ = static_cast<char>(text[i]);
            if (writing == Writing::Collect)
                state_.collectRun(page_.data() + start, i - start);
        }
        if (i < end) {
            read_ = i;
            w = plainStep(w);
            i = read_;
            writing = writingFor(state_, keepHead_);
        }
        if (pending_ >= 0)
            w = settle(w);
    }
    read_ = qMax(i, read_);
    buffer_->commit(w);
}

// A byte of the page at read_ that ends a run: one that changes the state, or a carriage return
// while encoding. An encoded blank the page holds leaves no trace but in the collected tag text.
char* NativeText::plainStep(char* w) {
    NativeScanState& s = state_;
    const QByteArrayView rest = page_.sliced(read_);
    const auto ch = static_cast<unsigned char>(rest[0]);
    ++read_;
    switch (kKinds[ch]) {
    case kAmpersand:
        if (rest.size() >= kEncodedBlank.size() &&
            std::memcmp(rest.data(), kEncodedBlank.data(), kEncodedBlank.size()) == 0) {
            for (const char c : kEncodedBlank.sliced(1, 3))
                s.collect(c);
            s.inEntity = false;
            read_ += kEncodedBlank.size() - 1;
            return w;
        }
        // The bytes behind a "&" are copied as they are, so it begins a line break only before
        // a "#", or before a "&" that may begin a blank that goes.
        if (pending_ < 0 && rest.size() > 1 && (rest[1] == '#' || rest[1] == '&'))
            pending_ = w - buffer_->data();
        s.inEntity = true;
        break;
    case kSemicolon:
        s.inEntity = false;
        break;
    case kLess:
        s.openTag();
        break;
    case kGreater:
        s.closeTag();
        break;
    case kQuote:
        s.inQuote = !s.inQuote;
        return emitCharacter(w, ch, s, keepHead_);
    default: // a carriage return, encoded: with a line feed behind it, both go
        if (pending_ < 0 && rest.size() > 1 && rest[1] == '\n') {
            ++read_;
            return w;
        }
        if (pending_ < 0)
            pending_ = w - buffer_->data();
        return emitCharacter(w, ch, s, keepHead_);
    }
    *w++ = static_cast<char>(ch);
    return w;
}

// Takes the line break that begins at pending_ out as soon as its bytes are all written (w is
// where the text ends, returned as it is then), or
// moves on to the next "&" once the bytes written differ from it. Line breaks never overlap, and
// one that a removal forms is left, as in a single search over the text.
char* NativeText::settle(char* w) {
    char* base = buffer_->data();
    while (pending_ >= 0) {
        char* at = base + pending_;
        const qsizetype written = w - at;
        const qsizetype n = qMin(written, kEncodedBreak.size());
        qsizetype same = 1; // at holds a "&"
        while (same < n && at[same] == kEncodedBreak[same])
            ++same;
        qsizetype behind = 1; // where the search for the next "&" goes on
        if (same == n) {
            if (n < kEncodedBreak.size())
                return w;
            std::memmove(at, at + n, static_cast<size_t>(written - n));
            w -= n;
            behind = 0;
        }
        const void* amp = std::memchr(at + behind, '&', static_cast<size_t>(w - at - behind));
        pending_ = amp ? static_cast<const char*>(amp) - base : -1;
    }
    return w;
}

} // namespace veltrano
