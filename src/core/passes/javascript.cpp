#include "javascript.h"

#include "codetable.h"

#include "host.h"
#include "io/pagesink.h"
#include "random.h"
#include "text/codepage.h"
#include "text/textops.h"

#include <array>
#include <cstdint>
#include <cstring>

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
constexpr std::array<CodeText, 256> kItems = makeCodeTexts(",c[", ']');

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

// Where encoding begins: behind the first head end when the head stays readable. This pass
// keeps the head readable only for exactly 1; the dimmed 2 counts as clear.
qsizetype encodingStart(QByteArrayView page, const OptionValues& v) {
    if (!isOn(v.check(CheckField::chkSeo)))
        return 0;
    const qsizetype k = indexOfAsciiNoCase(page, "</head>");
    return k >= 0 ? k + 7 : 0;
}

// The write calls as they are written: the generator's state, the position of the last item
// and whether a call is open.
struct Calls {
    std::uint32_t x = 0;
    std::uint64_t position = 0;
    bool open = false;
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
        const CodeText& it = kItems[code];
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

// The items of page[start, end) into out, a block at a time, with the page bar between blocks.
// Per byte of the page at most an opening call, an item and a closing ");".
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
        i = writePlainItems(text, i, blockEnd, calls, w);
        out.commit(w);
        if (i >= nextProgress && i < length) {
            random.setState(calls.x);
            nextProgress = progress.at(i);
        }
    }
    random.setState(calls.x);
    progress.done();
}

// An item is one byte of the host code page and its code; positions count items.
void writeScriptForm(QByteArrayView page, QByteArrayView header, const OptionValues& v,
                     Random& random, PageSink& out, Host& host) {
    const qsizetype start = encodingStart(page, v);
    if (start > 0)
        out.append(removeAll(page.first(start), kEmptyCall));
    out.append(removeAll(header, kEmptyCall));
    out.append(QByteArrayView(kTable, sizeof(kTable) - 1));
    Calls calls;
    calls.x = random.state();
    calls.position = start;
    writeItems(page, start, calls, random, out, host);
    if (calls.open)
        out.append(QByteArrayView(");"));
    out.append(QByteArrayView("\r\n"));
    out.append(notice(v.text(TextField::txtJava), false));
}

} // namespace

QByteArray javaScriptNotice(const QString& txtJava, bool modern) {
    return notice(txtJava, modern);
}

qint64 javaScriptDrawCount(QByteArrayView page, const OptionSet& options) {
    if (!isSet(options.check(CheckField::chkJava)))
        return 0;
    return page.size() - encodingStart(page, options.values());
}

void EncryptJavaScript(QByteArrayView page, QByteArrayView header, const OptionSet& options,
                       Random& random, PageSink& out, Host& host) {
    writeScriptForm(page, header, options.values(), random, out, host);
}

} // namespace veltrano
