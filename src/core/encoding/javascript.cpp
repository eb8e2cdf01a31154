#include "javascript.h"

#include "codepage.h"
#include "host.h"
#include "pagesink.h"
#include "random.h"
#include "textops.h"

#include <array>
#include <cstdint>

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

QByteArray notice(const QString& txtJava) {
    QByteArray text = "</script><noscript>";
    text += codepage::fromUnicode(txtJava);
    text += "<br><br>Diese Seite wurde mit <a href=";
    text += kHomePage;
    text += codepage::fromUnicode(
        u">Veltrano</a> [3.00] verschlüsselt, da der Webmaster die Javaskript Option gewählt hat "
        u"müssen Sie leider Javaskript aktivieren um sich diese Seite anzusehen.</center></noscript>");
    return text;
}

// Where encoding begins: behind the first head end when the head stays readable. This pass
// keeps the head readable only for exactly 1; the dimmed 2 counts as clear.
qsizetype encodingStart(QByteArrayView page, const OptionValues& v) {
    if (v.check(CheckField::chkSeo) != 1)
        return 0;
    const qsizetype k = indexOfAsciiNoCase(page, "</head>");
    return k >= 0 ? k + 7 : 0;
}

} // namespace

qint64 JavaScriptDrawCount(QByteArrayView page, const OptionSet& options) {
    if (options.check(CheckField::chkJava) == 0)
        return 0;
    return page.size() - encodingStart(page, options.values());
}

void EncryptJavaScript(QByteArrayView page, QByteArrayView header, const OptionSet& options,
                       Random& random, PageSink& out, Host& host) {
    const OptionValues& v = options.values();
    const qsizetype start = encodingStart(page, v);
    if (start > 0)
        out.append(removeAll(page.first(start), kEmptyCall));
    out.append(removeAll(header, kEmptyCall));
    out.append(QByteArrayView(kTable, sizeof(kTable) - 1));

    const auto* text = reinterpret_cast<const unsigned char*>(page.data());
    const qsizetype length = page.size();
    PageProgress progress(host, length);
    std::uint32_t x = random.state();
    bool callOpen = false;
    constexpr qsizetype kBlock = 4096;
    // Per character at most an opening call, an item and a closing ");".
    constexpr qsizetype kPerChar = kOpenCallLength + 8 + 2;
    qsizetype nextProgress = start + PageProgress::kStep;
    for (qsizetype i = start; i < length;) {
        const qsizetype blockEnd = qMin(length, i + kBlock);
        char* w = out.room((blockEnd - i) * kPerChar);
        for (; i < blockEnd; ++i) {
            const Item& item = kItems[text[i]];
            if (callOpen) {
                std::memcpy(w, item.text, 8);
                w += item.length;
            } else {
                std::memcpy(w, kOpenCall, kOpenCallLength);
                w += kOpenCallLength;
                std::memcpy(w, item.text + 1, 7);
                w += item.length - 1;
                callOpen = true;
            }
            x = Random::step(x);
            const std::uint32_t divisor = Random::splitDivisor(x);
            if (isMultiple(static_cast<std::uint64_t>(i) + 1, divisor)) {
                *w++ = ')';
                *w++ = ';';
                callOpen = false;
            }
        }
        out.commit(w);
        if (i >= nextProgress && i < length) {
            random.setState(x);
            nextProgress = progress.at(i);
        }
    }
    random.setState(x);
    progress.done();
    if (callOpen)
        out.append(QByteArrayView(");"));
    out.append(QByteArrayView("\r\n"));
    out.append(notice(v.text(TextField::txtJava)));
}

} // namespace veltrano
