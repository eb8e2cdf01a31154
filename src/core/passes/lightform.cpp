#include "lightform.h"

#include "host.h"
#include "io/pagesink.h"
#include "javascript.h"
#include "random.h"
#include "text/markup.h"
#include "text/textops.h"

#include <QString>

#include <algorithm>
#include <array>
#include <cstring>
#include <numeric>
#include <vector>

namespace veltrano {

namespace {

struct Range {
    char16_t first;
    char16_t last;
};

// The output units written as they are, cheapest first: one byte of UTF-8, then two, then
// three. None is a letter, a quote, a backslash, "<", a line terminator or a surrogate.
constexpr Range kPlain[] = {
    {0x20, 0x21},     {0x23, 0x3B}, {0x3D, 0x40},
    {0x5B, 0x5B},     {0x5D, 0x60}, {0x7B, 0x7E}, // blank, digits and signs of ASCII
    {0xA1, 0xA9},     {0xAB, 0xB4}, {0xB6, 0xB9},
    {0xBB, 0xBF},     {0xD7, 0xD7}, {0xF7, 0xF7}, // the signs of Latin-1
    {0x300, 0x36F},                               // combining marks
    {0x2190, 0x2BFF}, // arrows, mathematical and technical signs, shapes, Braille
    {0xE000, 0xF8FF}, // private use
};

// The decoder: t lists, for each output unit in the order of the alphabet, the unit it stands
// for; r is the alphabet as ranges (the plain ones, then every unit not yet taken); s the text.
constexpr char kDecoder[] =
    "(function(t,r,s){for(var d=[],k=0,i=0,u,o=\"\";k<t.length;i+=2)for(u=r[i];"
    "u<=r[i+1]&&k<t.length;u++)if(d[u]==null)d[u]=String.fromCharCode(t[k++]);"
    "for(i=0;i<s.length;)o+=d[s.charCodeAt(i++)];document.write(o)})([";

// How an output unit is written into the string literal.
struct Code {
    char bytes[6];
    std::uint8_t length;
};

Code plainCode(char16_t u) {
    Code c{};
    if (u < 0x80) {
        c.bytes[0] = static_cast<char>(u);
        c.length = 1;
    } else if (u < 0x800) {
        c.bytes[0] = static_cast<char>(0xC0 | (u >> 6));
        c.bytes[1] = static_cast<char>(0x80 | (u & 0x3F));
        c.length = 2;
    } else {
        c.bytes[0] = static_cast<char>(0xE0 | (u >> 12));
        c.bytes[1] = static_cast<char>(0x80 | ((u >> 6) & 0x3F));
        c.bytes[2] = static_cast<char>(0x80 | (u & 0x3F));
        c.length = 3;
    }
    return c;
}

Code escapedCode(char16_t u) {
    constexpr char kHex[] = "0123456789abcdef";
    return Code{{'\\', 'u', kHex[u >> 12], kHex[(u >> 8) & 15], kHex[(u >> 4) & 15], kHex[u & 15]},
                6};
}

// How every code unit, in the order the decoder takes them, is written, and where the groups of
// equal length begin; built once.
struct Alphabet {
    std::vector<Code> codes;
    std::vector<qsizetype> groupStart; // per index: the first index of the same length
    QByteArray ranges;                 // the decoder's r

    Alphabet() {
        std::vector<bool> plain(0x10000);
        for (const Range& r : kPlain) {
            for (char32_t u = r.first; u <= r.last; ++u) {
                plain[u] = true;
                codes.push_back(plainCode(static_cast<char16_t>(u)));
            }
            ranges += QByteArray::number(r.first) + ',' + QByteArray::number(r.last) + ',';
        }
        ranges += "0,65535";
        for (char32_t u = 0; u < 0x10000; ++u) {
            if (!plain[u])
                codes.push_back(escapedCode(static_cast<char16_t>(u)));
        }
        groupStart.resize(codes.size());
        for (size_t k = 0; k < codes.size(); ++k) {
            const bool same = k > 0 && codes[k].length == codes[k - 1].length;
            groupStart[k] = same ? groupStart[k - 1] : static_cast<qsizetype>(k);
        }
    }

    static const Alphabet& get() {
        static const Alphabet alphabet;
        return alphabet;
    }
};

// Where the light form begins in a page text behind its prologue: behind the head end tag when
// the head stays readable (chkSeo exactly 1, as in every script form).
qsizetype readableEnd(QByteArrayView page, const OptionValues& v) {
    if (!isOn(v.check(CheckField::chkSeo)))
        return 0;
    return qMax<qsizetype>(markup::headEnd(page), 0);
}

// How often each code unit occurs in the text; with a host, a megabyte at a time with a pump
// between.
std::vector<quint32> unitCounts(QStringView text, Host* host = nullptr) {
    std::vector<quint32> counts(0x10000);
    constexpr qsizetype kPiece = 1 << 20;
    for (qsizetype from = 0; from < text.size(); from += kPiece) {
        if (host && from > 0)
            host->pump();
        for (const QChar c : text.sliced(from, qMin(kPiece, text.size() - from)))
            ++counts[c.unicode()];
    }
    return counts;
}

qint64 distinctUnits(const std::vector<quint32>& counts) {
    return std::count_if(counts.begin(), counts.end(), [](quint32 n) { return n != 0; });
}

// The units the text uses, most frequent first.
std::vector<char16_t> rankedUnits(const std::vector<quint32>& counts) {
    std::vector<char16_t> ranked;
    ranked.reserve(static_cast<size_t>(distinctUnits(counts)));
    for (char32_t u = 0; u < 0x10000; ++u) {
        if (counts[u] != 0)
            ranked.push_back(static_cast<char16_t>(u));
    }
    std::stable_sort(ranked.begin(), ranked.end(),
                     [&counts](char16_t a, char16_t b) { return counts[a] > counts[b]; });
    return ranked;
}

// The page's table: key lists the units in the order of the alphabet's outputs, codes gives
// each unit its output.
struct UnitTable {
    std::vector<char16_t> key;
    std::vector<Code> codes;
};

// The ranked units take the cheapest outputs; within a group of outputs of equal length they
// are shuffled, one draw per unit.
UnitTable drawTable(const std::vector<char16_t>& ranked, Random& random) {
    const Alphabet& alphabet = Alphabet::get();
    const auto n = static_cast<qsizetype>(ranked.size());
    std::vector<qsizetype> place(ranked.size());
    std::iota(place.begin(), place.end(), qsizetype{0});
    std::uint32_t x = random.state();
    for (qsizetype k = n - 1; k >= 0; --k) {
        const qsizetype low = alphabet.groupStart[static_cast<size_t>(k)];
        x = Random::step(x);
        const qsizetype j = low + static_cast<qsizetype>((std::uint64_t{x} * (k - low + 1)) >> 24);
        std::swap(place[static_cast<size_t>(k)], place[static_cast<size_t>(j)]);
    }
    random.setState(x);
    UnitTable table{std::vector<char16_t>(ranked.size()), std::vector<Code>(0x10000)};
    for (qsizetype k = 0; k < n; ++k) {
        const auto p = static_cast<size_t>(place[static_cast<size_t>(k)]);
        table.key[p] = ranked[static_cast<size_t>(k)];
        table.codes[ranked[static_cast<size_t>(k)]] = alphabet.codes[p];
    }
    return table;
}

// The script up to the opening quote of the string: the decoder, the key and the output ranges.
void writeDecoder(const std::vector<char16_t>& key, PageSink& out) {
    out.append("<!--crippled with Veltrano--><script>\r\n");
    out.append(kDecoder);
    QByteArray list;
    for (const char16_t unit : key)
        list += QByteArray::number(unit) + ',';
    list.chop(1);
    out.append(list);
    out.append("],[");
    out.append(Alphabet::get().ranges);
    out.append("],\"");
}

// The text as the string, every unit replaced by its output, and the end of the script.
void writeString(const QString& text, const std::vector<Code>& codes, PageSink& out, Host& host) {
    PageProgress progress(host, text.size());
    constexpr qsizetype kBlock = PageProgress::kStep;
    const auto* units = reinterpret_cast<const char16_t*>(text.utf16());
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype end = qMin(text.size(), i + kBlock);
        char* w = out.room((end - i) * 6 + 8);
        for (; i < end; ++i) {
            const Code& c = codes[units[i]];
            std::memcpy(w, c.bytes, 6);
            w += c.length;
        }
        out.commit(w);
        if (i < text.size())
            progress.at(i);
    }
    progress.done();
    out.append("\")\r\n");
}

} // namespace

qint64 lightDrawCount(QByteArrayView page, const OptionSet& options) {
    if (!isSet(options.check(CheckField::chkJava)))
        return 0;
    page = page.sliced(markup::prologueEnd(page));
    const QString text = QString::fromUtf8(page.sliced(readableEnd(page, options.values())));
    return distinctUnits(unitCounts(text));
}

void encryptJavaScriptLight(QByteArrayView page, QByteArrayView header, const OptionSet& options,
                            Random& random, PageSink& out, Host& host) {
    const OptionValues& v = options.values();
    const qsizetype start = readableEnd(page, v);
    if (start > 0)
        out.append(removeAll(page.first(start), kEmptyCall));
    out.append(removeAll(header, kEmptyCall));
    const QString text = QString::fromUtf8(page.sliced(start));
    const UnitTable table = drawTable(rankedUnits(unitCounts(text, &host)), random);
    writeDecoder(table.key, out);
    writeString(text, table.codes, out, host);
    out.append(javaScriptNotice(v.text(TextField::txtJava), true));
}

} // namespace veltrano
