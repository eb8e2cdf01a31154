#include "javascript.h"

#include "host.h"
#include "io/pagesink.h"
#include "random.h"
#include "text/codepage.h"
#include "text/markup.h"
#include "text/textops.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

namespace veltrano {

namespace {

constexpr char kTable[] = "<!--crippled with Veltrano--><script>\r\n"
                          "c = new Array(255);\r\n"
                          "var z = 0\r\n"
                          "while (z < 255){\r\n"
                          " c[z] = String.fromCharCode(z)\r\n"
                          " z++;\r\n"
                          "}\r\n";
constexpr char kEmptyCall[] = "document.write );";
constexpr char kOpenCall[] = "document.write (";
constexpr qsizetype kOpenCallLength = sizeof(kOpenCall) - 1;

// ",c[" code "]" for every byte; the first item of a call skips the comma.
struct Item {
    char text[8];
    std::uint8_t length;
};

constexpr std::array<Item, 256> makeItems() {
    std::array<Item, 256> table{};
    for (int c = 0; c < 256; ++c) {
        Item& item = table[static_cast<size_t>(c)];
        int n = 0;
        item.text[n++] = ',';
        item.text[n++] = 'c';
        item.text[n++] = '[';
        if (c >= 100)
            item.text[n++] = static_cast<char>('0' + c / 100);
        if (c >= 10)
            item.text[n++] = static_cast<char>('0' + (c / 10) % 10);
        item.text[n++] = static_cast<char>('0' + c % 10);
        item.text[n++] = ']';
        item.length = static_cast<std::uint8_t>(n);
    }
    return table;
}

constexpr std::array<Item, 256> kItems = makeItems();

// For d from 20 to 39: a 32-bit n is a multiple of d exactly when n * m(d) <= m(d) - 1
// (mod 2^64), with m(d) = floor((2^64 - 1) / d) + 1.
constexpr std::array<std::uint64_t, 40> makeMultipliers() {
    std::array<std::uint64_t, 40> m{};
    for (std::uint64_t d = 20; d < 40; ++d)
        m[d] = UINT64_MAX / d + 1;
    return m;
}

constexpr std::array<std::uint64_t, 40> kMultipliers = makeMultipliers();

bool isMultiple(std::uint64_t position, std::uint32_t divisor) {
    if (position <= UINT32_MAX)
        return position * kMultipliers[divisor] <= kMultipliers[divisor] - 1;
    return position % divisor == 0;
}

QByteArray notice(const QString& txtJava, bool modern) {
    const auto encode = [modern](QStringView text) {
        return modern ? text.toUtf8() : codepage::fromUnicode(text);
    };
    QByteArray text = "</script><noscript>";
    text += encode(txtJava);
    text += "<br><br>Diese Seite wurde mit <a href=";
    text += kHomePage;
    text += encode(
        u">Veltrano</a> [3.00] verschlüsselt, da der Webmaster die Javaskript Option gewählt hat "
        u"müssen Sie leider Javaskript aktivieren um sich diese Seite "
        u"anzusehen.</center></noscript>");
    return text;
}

// Calls back with every UTF-16 code unit of the UTF-8 sequence at text[i]; returns the end of
// the sequence. A byte that starts no valid sequence stands for U+FFFD.
template <typename Unit>
qsizetype forUnits(const unsigned char* text, qsizetype i, qsizetype length, Unit&& unit) {
    const unsigned char lead = text[i];
    if (lead < 0x80) {
        unit(lead);
        return i + 1;
    }
    const int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : 1;
    bool valid = lead >= 0xC2 && lead <= 0xF4 && i + extra < length;
    char32_t c = lead & (0x3F >> extra);
    for (int k = 1; valid && k <= extra; ++k) {
        valid = (text[i + k] & 0xC0) == 0x80;
        c = (c << 6) | (text[i + k] & 0x3F);
    }
    if (!valid) {
        unit(0xFFFD);
        return i + 1;
    }
    if (c >= 0x10000) {
        unit(0xD800 + ((c - 0x10000) >> 10));
        unit(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
        unit(c);
    }
    return i + 1 + extra;
}

// The line that fills the table entries beyond 254 that the encoded text uses, or nothing.
QByteArray extraTableLine(QByteArrayView encoded) {
    const auto* text = reinterpret_cast<const unsigned char*>(encoded.data());
    std::vector<bool> used(0x10000);
    bool any = false;
    for (qsizetype i = 0; i < encoded.size();) {
        // The text is mostly ASCII: eight bytes at a time.
        if (encoded.size() - i >= 8) {
            std::uint64_t eight;
            std::memcpy(&eight, text + i, 8);
            if ((eight & 0x8080808080808080u) == 0) {
                i += 8;
                continue;
            }
        }
        if (text[i] < 0x80) {
            ++i;
            continue;
        }
        i = forUnits(text, i, encoded.size(), [&](char32_t u) {
            if (u >= 255) {
                used[u] = true;
                any = true;
            }
        });
    }
    if (!any)
        return {};
    QByteArray line = "for(z of[";
    for (char32_t u = 255; u < 0x10000; ++u) {
        if (used[u]) {
            line += QByteArray::number(static_cast<uint>(u));
            line += ',';
        }
    }
    line.chop(1);
    line += "])c[z]=String.fromCharCode(z)\r\n";
    return line;
}

// The UTF-16 length of a UTF-8 text.
qsizetype utf16Length(QByteArrayView utf8) {
    qsizetype n = 0;
    for (char c : utf8) {
        const auto b = static_cast<unsigned char>(c);
        n += (b & 0xC0) != 0x80;
        n += b >= 0xF0;
    }
    return n;
}

// Where encoding begins: behind the first head end when the head stays readable. This pass
// keeps the head readable only for exactly 1; the dimmed 2 counts as clear. In a modern page
// the head end is a tag: a "</head>" in a comment or in the code of a script is none.
qsizetype encodingStart(QByteArrayView page, const OptionValues& v, bool modern) {
    if (!isOn(v.check(CheckField::chkSeo)))
        return 0;
    if (modern)
        return qMax<qsizetype>(markup::headEnd(page), 0);
    const qsizetype k = indexOfAsciiNoCase(page, "</head>");
    return k >= 0 ? k + 7 : 0;
}

// The write calls as they are written: the generator's state, the position of the last item
// and whether a call is open.
struct Calls {
    std::uint32_t x = 0;
    std::uint64_t position = 0;
    bool open = false;

    // An item of a code below 256, from the table.
    char* item(char* w, unsigned code) {
        const Item& it = kItems[code];
        if (open) {
            std::memcpy(w, it.text, 8);
            w += it.length;
        } else {
            std::memcpy(w, kOpenCall, kOpenCallLength);
            std::memcpy(w + kOpenCallLength, it.text + 1, 7);
            w += kOpenCallLength + it.length - 1;
        }
        return afterItem(w);
    }
    // An item of a larger UTF-16 code unit.
    char* wideItem(char* w, char32_t code) {
        if (open) {
            *w++ = ',';
        } else {
            std::memcpy(w, kOpenCall, kOpenCallLength);
            w += kOpenCallLength;
        }
        *w++ = 'c';
        *w++ = '[';
        char digits[5];
        int n = 0;
        for (; code > 0; code /= 10)
            digits[n++] = static_cast<char>('0' + code % 10);
        while (n > 0)
            *w++ = digits[--n];
        *w++ = ']';
        return afterItem(w);
    }
    // Draws the split divisor and closes the call where it divides the item's position.
    char* afterItem(char* w) {
        open = true;
        x = Random::step(x);
        if (isMultiple(++position, Random::splitDivisor(x))) {
            *w++ = ')';
            *w++ = ';';
            open = false;
        }
        return w;
    }
};

// The generator's step taken k times, as one affine map.
struct Steps {
    std::uint32_t a = 1;
    std::uint32_t c = 0;
    constexpr explicit Steps(int k) {
        for (int n = 0; n < k; ++n) {
            a *= 16598013u;
            c = c * 16598013u + 12820163u;
        }
    }
    constexpr std::uint32_t operator()(std::uint32_t x) const { return (x * a + c) & 0xFFFFFFu; }
};
constexpr Steps kTwoSteps(2);
constexpr Steps kThreeSteps(3);
constexpr Steps kFourSteps(4);
static_assert(kFourSteps(Random::kStart) == Random::jump(Random::kStart, 4));

// Plain pages: one item per byte of text[from, to), its code in the host code page. A call is
// opened as soon as the one before closes, and its first item written without its comma; a
// call the block leaves empty is taken back.
qsizetype writePlainItems(const unsigned char* text, qsizetype from, qsizetype to, Calls& calls,
                          char*& w) {
    constexpr char kNextCall[] = ");document.write (";
    std::uint32_t x = calls.x;
    std::uint64_t position = calls.position;
    char* at = w;
    std::size_t skip = 0; // 1 right after an opening: no comma in front of the item
    if (!calls.open) {
        std::memcpy(at, kOpenCall, kOpenCallLength);
        at += kOpenCallLength;
        skip = 1;
    }
    const auto item = [&](unsigned char code, std::uint32_t state) {
        const Item& it = kItems[code];
        std::memcpy(at, it.text + skip, 8);
        at += it.length - skip;
        skip = 0;
        if (isMultiple(++position, Random::splitDivisor(state))) {
            std::memcpy(at, kNextCall, sizeof(kNextCall) - 1);
            at += sizeof(kNextCall) - 1;
            skip = 1;
        }
    };
    // Four states at a time, each computed from the first, so that the items need not wait for
    // one another's step of the generator.
    qsizetype i = from;
    for (; to - i >= 4; i += 4) {
        const std::uint32_t x4 = kFourSteps(x);
        item(text[i], Random::step(x));
        item(text[i + 1], kTwoSteps(x));
        item(text[i + 2], kThreeSteps(x));
        item(text[i + 3], x4);
        x = x4;
    }
    for (; i < to; ++i) {
        x = Random::step(x);
        item(text[i], x);
    }
    calls.open = skip == 0;
    w = calls.open ? at : at - kOpenCallLength;
    calls.x = x;
    calls.position = position;
    return to;
}

// Modern pages: one item per UTF-16 code unit of the UTF-8 text from text[from] on, up to `to`
// or the end of the character read across it.
qsizetype writeModernItems(const unsigned char* text, qsizetype from, qsizetype to,
                           qsizetype length, Calls& c, char*& w) {
    qsizetype i = from;
    while (i < to) {
        if (text[i] < 0x80) {
            w = c.item(w, text[i++]);
            continue;
        }
        i = forUnits(text, i, length, [&](char32_t unit) {
            w = unit < 256 ? c.item(w, unit) : c.wideItem(w, unit);
        });
    }
    return i;
}

// The items of page[start, end) into out, a block at a time, with the page bar between blocks.
// Per byte of the page at most an opening call, an item and a closing ");"; in UTF-8 a sequence
// of n bytes gives at most n / 2 items of at most 9 bytes.
template <bool Modern>
void writeItems(QByteArrayView page, qsizetype start, Calls& calls, Random& random, PageSink& out,
                Host& host) {
    const auto* text = reinterpret_cast<const unsigned char*>(page.data());
    const qsizetype length = page.size();
    constexpr qsizetype kBlock = 4096;
    constexpr qsizetype kPerByte = kOpenCallLength + 8 + 2;
    PageProgress progress(host, length);
    qsizetype nextProgress = start + PageProgress::kStep;
    for (qsizetype i = start; i < length;) {
        const qsizetype blockEnd = qMin(length, i + kBlock);
        char* w = out.room((blockEnd - i) * kPerByte + 64);
        i = Modern ? writeModernItems(text, i, blockEnd, length, calls, w)
                   : writePlainItems(text, i, blockEnd, calls, w);
        out.commit(w);
        if (i >= nextProgress && i < length) {
            random.setState(calls.x);
            nextProgress = progress.at(i);
        }
    }
    random.setState(calls.x);
    progress.done();
}

// Plain pages: an item is one byte of the host code page and its code. Modern: the page is
// UTF-8 and an item is one of its UTF-16 code units, so a character beyond the Basic
// Multilingual Plane gives two items; positions count items.
template <bool Modern>
void encryptJavaScript(QByteArrayView page, QByteArrayView header, const OptionValues& v,
                       Random& random, PageSink& out, Host& host) {
    const qsizetype start = encodingStart(page, v, Modern);
    if (start > 0)
        out.append(removeAll(page.first(start), kEmptyCall));
    out.append(removeAll(header, kEmptyCall));
    out.append(QByteArrayView(kTable, sizeof(kTable) - 1));
    if constexpr (Modern)
        out.append(extraTableLine(page.sliced(start)));
    Calls calls;
    calls.x = random.state();
    calls.position = Modern ? utf16Length(page.first(start)) : start;
    writeItems<Modern>(page, start, calls, random, out, host);
    if (calls.open)
        out.append(QByteArrayView(");"));
    out.append(QByteArrayView("\r\n"));
    out.append(notice(v.text(TextField::txtJava), Modern));
}

} // namespace

QByteArray JavaScriptNotice(const QString& txtJava, bool modern) {
    return notice(txtJava, modern);
}

qint64 JavaScriptDrawCount(QByteArrayView page, const OptionSet& options) {
    if (!isSet(options.check(CheckField::chkJava)))
        return 0;
    if (!options.modern())
        return page.size() - encodingStart(page, options.values(), false);
    // The DOCTYPE of a modern page is moved in front of the script, not encoded.
    page = page.sliced(markup::prologueEnd(page));
    const qsizetype start = encodingStart(page, options.values(), true);
    // Modern pages draw once per UTF-16 code unit.
    qint64 units = 0;
    const auto* text = reinterpret_cast<const unsigned char*>(page.data());
    for (qsizetype i = start; i < page.size();)
        i = forUnits(text, i, page.size(), [&units](char32_t) { ++units; });
    return units;
}

void EncryptJavaScript(QByteArrayView page, QByteArrayView header, const OptionSet& options,
                       Random& random, PageSink& out, Host& host) {
    if (options.modern())
        encryptJavaScript<true>(page, header, options.values(), random, out, host);
    else
        encryptJavaScript<false>(page, header, options.values(), random, out, host);
}

} // namespace veltrano
