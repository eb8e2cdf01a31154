#include "markup.h"

#include "textops.h"

#include <QByteArray>

#include <string_view>

namespace veltrano {

namespace {

using markup::isBlank;

// Elements whose content the browser reads as raw text: references in it are not decoded.
constexpr std::string_view kRawTextElements[] = {"script",  "style",    "xmp",      "iframe",
                                                 "noembed", "noframes", "plaintext"};

// Elements whose content holds no tags, though references in it are decoded.
constexpr std::string_view kTextOnlyElements[] = {"textarea", "title"};

// The element of the list whose start tag opens at page[i] ("<"), or nullptr.
template <size_t N>
const char* elementOf(QByteArrayView page, qsizetype i, const std::string_view (&elements)[N]) {
    qsizetype e = i + 1;
    while (e < page.size() && markup::isLetter(page[e]))
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
        const bool endTag = next == '/' && p + 2 < n && markup::isLetter(page[p + 2]);
        qsizetype end = p + 1;
        if (next == '!' && page.sliced(p).startsWith("<!--")) {
            end = commentEnd(page, p);
        } else if (markup::isLetter(next) || endTag) {
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

bool nextAttribute(QByteArrayView b, qsizetype& p, QByteArray& name, QByteArray& value) {
    name.clear();
    value.clear();
    const qsizetype n = b.size();
    while (p < n && (isBlank(b[p]) || b[p] == '/'))
        ++p;
    if (p >= n || b[p] == '>')
        return false;
    for (; p < n; ++p) {
        const char c = b[p];
        if (c == '=' && !name.isEmpty())
            break;
        if (isBlank(c) || c == '/' || c == '>')
            break;
        name += asciiLower(c);
    }
    while (p < n && isBlank(b[p]))
        ++p;
    if (p >= n || b[p] != '=')
        return true;
    ++p;
    while (p < n && isBlank(b[p]))
        ++p;
    if (p < n && (b[p] == '"' || b[p] == '\'')) {
        const char quote = b[p++];
        for (; p < n && b[p] != quote; ++p)
            value += asciiLower(b[p]);
        ++p;
        return true;
    }
    for (; p < n && !isBlank(b[p]) && b[p] != '>'; ++p)
        value += asciiLower(b[p]);
    return true;
}

} // namespace markup

} // namespace veltrano
