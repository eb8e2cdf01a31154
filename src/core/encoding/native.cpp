#include "native.h"

#include "bytebuffer.h"
#include "host.h"
#include "textops.h"

#include <array>

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

bool CrippleNative(QByteArrayView page, const OptionSet& options, ByteBuffer& out, Host& host) {
    out.clear();
    const OptionValues& v = options.values();
    if (v.check(CheckField::chkNativ) == 0)
        return false;
    // The head stays readable for search engines while chkSeo is set; with it clear every
    // character may be encoded.
    const bool seo = v.check(CheckField::chkSeo) != 0;

    NativeScanState s;
    const qsizetype length = page.size();
    // Room for the largest possible result at once: untouched memory costs nothing, while
    // growing a large buffer step by step would copy it again and again.
    out.reserve(length * 6 + 16);
    const auto* text = reinterpret_cast<const unsigned char*>(page.data());
    PageProgress progress(host, length);
    qsizetype blockEnd = 0;
    char* w = nullptr;
    for (qsizetype i = 0; i < length; ++i) {
        if (i == blockEnd) {
            if (w)
                out.commit(w);
            if (i > 0)
                progress.at(i);
            blockEnd = qMin(length, i + PageProgress::kStep);
            w = out.room((blockEnd - i) * 6);
        }
        const unsigned char ch = text[i];
        switch (ch) {
        case '<':
            s.inTag = true;
            s.tagLength = 0;
            *w++ = '<';
            continue;
        case '>':
            s.inTag = false;
            if (s.tagIs("script"))
                s.inScript = true;
            else if (s.tagIs("/script"))
                s.inScript = false;
            else if (s.tagIs("/head"))
                s.inHead = false;
            *w++ = '>';
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
            s.inQuote = !s.inQuote;
            break;
        default:
            break;
        }
        if (s.inScript || s.inEntity || s.inTag || s.inQuote) {
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

    removeAll(out, "&#32;", &host);
    removeAll(out, "&#13;&#10;", &host);
    if (out.isEmpty())
        return false;
    return true;
}

} // namespace veltrano
