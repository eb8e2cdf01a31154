#include "breakage.h"

#include "host.h"
#include "javascript.h"
#include "native.h"
#include "text/bytebuffer.h"
#include "text/charset.h"
#include "text/markup.h"
#include "text/pagesource.h"
#include "text/textops.h"

#include <QFile>

#include <sys/stat.h>

#include <array>
#include <cstring>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

namespace veltrano::breakage {

namespace {

struct KindText {
    const char* code;
    const char* label;
    const char* description;
};

constexpr KindText kKinds[kKindCount] = {
    {"utf8", "UTF-8", "UTF-8-Text wird zu \"Ã¤\""},
    {"utf16", "UTF-16", "UTF-16-Seite wird unlesbar"},
    {"charset", "Zeichensatz", "Zeichensatz der Seite geht verloren"},
    {"char-table", "Sonderzeichen", "Zeichen wie € „ “ – ÿ werden falsch geschrieben"},
    {"comment-markup", "Kommentare", "Kommentar mit Tags verdeckt den Rest der Seite"},
    {"script-attributes", "Skripte", "Skript mit Attributen läuft nicht mehr"},
    {"style-rules", "Stile", "Stilregeln im <style> wirken nicht mehr"},
    {"line-breaks", "Zeilenumbrüche", "Zeilen laufen ineinander"},
    {"space-references", "Leerzeichen", "&#32; und &#13;&#10; der Seite fallen weg"},
    {"doctype", "DOCTYPE", "DOCTYPE steht nicht mehr vorn, die Seite fällt in den Quirks-Modus"},
    {"head-script-end", "Kopfende", "\"</head>\" in Skript oder Kommentar des Kopfes"},
};

int bitOf(Kinds kind) {
    for (int i = 0; i < kKindCount; ++i) {
        if (kind == 1u << i)
            return i;
    }
    return -1;
}

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f';
}

// Which bytes of the page text the native pass without the mode turns into character
// references, one flag per byte, as the pass walks the page; headEnd receives where the pass
// takes the head to end (-1: never). Between the bytes that change its state the pass does the
// same to every byte, so it goes a run at a time.
std::vector<char> nativeEncoded(QByteArrayView t, const OptionValues& v, qsizetype* headEnd) {
    static constexpr auto kStops = [] {
        std::array<bool, 256> stops{};
        for (const unsigned char c : {'<', '>', '&', ';', ' ', '"'})
            stops[c] = true;
        return stops;
    }();
    const bool seo = isSet(v.check(CheckField::chkSeo));
    std::vector<char> encoded(static_cast<size_t>(t.size()), 0);
    NativeScanState s;
    *headEnd = -1;
    const auto* bytes = reinterpret_cast<const unsigned char*>(t.data());
    // What the pass does to a byte in the present state: collects it, encodes it, or neither.
    const auto take = [&](qsizetype from, qsizetype to) {
        if (s.inScript || s.inEntity || s.inTag || s.inQuote)
            s.collectRun(t.data() + from, to - from);
        else if (!(seo && s.inHead))
            std::memset(encoded.data() + from, 1, static_cast<size_t>(to - from));
    };
    for (qsizetype i = 0; i < t.size(); ++i) {
        const qsizetype from = i;
        while (i < t.size() && !kStops[bytes[i]])
            ++i;
        take(from, i);
        if (i == t.size())
            break;
        switch (bytes[i]) {
        case '<':
            s.inTag = true;
            s.tagLength = 0;
            break;
        case '>':
            s.inTag = false;
            if (s.tagIs("script")) {
                s.inScript = true;
            } else if (s.tagIs("/script")) {
                s.inScript = false;
            } else if (s.tagIs("/head") && s.inHead) {
                s.inHead = false;
                *headEnd = i + 1;
            }
            break;
        case '&':
            s.inEntity = true;
            break;
        case ';':
            s.inEntity = false;
            break;
        case '"':
            s.inQuote = !s.inQuote;
            take(i, i + 1);
            break;
        default: // a blank: neither collected nor encoded
            break;
        }
    }
    return encoded;
}

// Tags a browser shows inline: a line break between two of their words is a blank on screen.
bool inlineTag(QByteArrayView t, qsizetype open) {
    static constexpr std::string_view kInline[] = {
        "a",   "b",    "i",   "u",     "em",     "font",   "span",  "small",  "strong",
        "big", "code", "sub", "sup",   "tt",     "abbr",   "cite",  "kbd",    "var",
        "q",   "s",    "img", "input", "button", "select", "label", "strike", "mark"};
    qsizetype p = open + 1;
    if (p < t.size() && t[p] == '/')
        ++p;
    qsizetype e = p;
    while (e < t.size() && ((t[e] | 0x20) >= 'a' && (t[e] | 0x20) <= 'z'))
        ++e;
    for (const std::string_view name : kInline) {
        if (static_cast<qsizetype>(name.size()) == e - p &&
            indexOfAsciiNoCase(t.sliced(p, e - p), QByteArrayView(name.data(), e - p)) == 0)
            return true;
    }
    return false;
}

// Public identifiers of the document types that leave a page in quirks mode all the same, by
// their beginnings, in lower case.
constexpr std::string_view kQuirksPublic[] = {
    "+//silmaril//",
    "-//as//",
    "-//advasoft ltd//",
    "-//ietf//",
    "-//metrius//",
    "-//microsoft//",
    "-//netscape comm. corp.//",
    "-//o'reilly and associates//",
    "-//sq//",
    "-//softquad",
    "-//spyglass//",
    "-//sun microsystems corp.//",
    "-//w3c//dtd html 3",
    "-//w3c//dtd html 4.0 frameset//",
    "-//w3c//dtd html 4.0 transitional//",
    "-//w3c//dtd html experimental",
    "-//w3c//dtd w3 html//",
    "-//w3o//",
    "-//webtechs//",
    "-/w3c/dtd html 4.0 transitional/en",
    "html",
};

// The quoted identifier that follows at p, moving p behind it; nullopt when none follows.
std::optional<QByteArray> quotedId(QByteArrayView d, qsizetype& p) {
    while (p < d.size() && isBlank(d[p]))
        ++p;
    if (p >= d.size() || (d[p] != '"' && d[p] != '\''))
        return std::nullopt;
    const qsizetype close = d.indexOf(d[p], p + 1);
    if (close < 0)
        return std::nullopt;
    const QByteArray id = d.sliced(p + 1, close - p - 1).toByteArray().toLower();
    p = close + 1;
    return id;
}

// Whether a DOCTYPE ("<!DOCTYPE ...>") puts the page in standards or almost standards mode;
// only then does the page lose something when it no longer comes first.
bool standardsDoctype(QByteArrayView d) {
    constexpr char kIbm[] = "http://www.ibm.com/data/dtd/v11/ibmxhtml1-transitional.dtd";
    qsizetype p = 9; // behind "<!DOCTYPE"
    while (p < d.size() && isBlank(d[p]))
        ++p;
    qsizetype e = p;
    while (e < d.size() && !isBlank(d[e]) && d[e] != '>')
        ++e;
    if (d.sliced(p, e - p).toByteArray().toLower() != "html")
        return false;
    p = e;
    while (p < d.size() && isBlank(d[p]))
        ++p;
    const QByteArray keyword =
        d.sliced(p, qMin<qsizetype>(6, d.size() - p)).toByteArray().toLower();
    p += keyword.size();
    if (keyword == "system")
        return quotedId(d, p) != kIbm;
    if (keyword != "public")
        return true;
    const std::optional<QByteArray> publicId = quotedId(d, p);
    const std::optional<QByteArray> systemId = quotedId(d, p);
    if (!publicId)
        return true;
    for (const std::string_view quirks : kQuirksPublic) {
        if (publicId->startsWith(QByteArrayView(quirks.data(), qsizetype(quirks.size()))))
            return false;
    }
    if (!systemId && (publicId->startsWith("-//w3c//dtd html 4.01 frameset//") ||
                      publicId->startsWith("-//w3c//dtd html 4.01 transitional//")))
        return false;
    return systemId != kIbm;
}

// The tag names the walk tells apart; an element's content follows its start tag.
enum class Name { Other, Script, Style, Textarea, NoBreaks, Pre, EndPre, EndHead };

Name nameOf(QByteArrayView name) {
    struct Known {
        std::string_view lower;
        Name name;
    };
    // The content of a title and of the raw-text elements but script, style and textarea
    // shows no line breaks: NoBreaks.
    static constexpr Known kKnown[] = {
        {"script", Name::Script},    {"style", Name::Style},       {"textarea", Name::Textarea},
        {"title", Name::NoBreaks},   {"xmp", Name::NoBreaks},      {"iframe", Name::NoBreaks},
        {"noembed", Name::NoBreaks}, {"noframes", Name::NoBreaks}, {"plaintext", Name::NoBreaks},
        {"pre", Name::Pre},          {"listing", Name::Pre},       {"/pre", Name::EndPre},
        {"/listing", Name::EndPre},  {"/head", Name::EndHead}};
    for (const Known& known : kKnown) {
        if (static_cast<qsizetype>(known.lower.size()) == name.size() &&
            startsWithAsciiNoCase(name, 0, QByteArrayView(known.lower.data(), name.size())))
            return known.name;
    }
    return Name::Other;
}

// A reference that the pass would have made of a blank or a line break is in the text.
bool holdsBlankReference(QByteArrayView t) {
    constexpr QByteArrayView kBlank = "&#32;";
    constexpr QByteArrayView kBreak = "&#13;&#10;";
    const char* const end = t.data() + t.size();
    for (const char* p = t.data(); p < end; ++p) {
        p = static_cast<const char*>(std::memchr(p, '&', static_cast<size_t>(end - p)));
        if (!p)
            return false;
        const QByteArrayView rest(p, end - p);
        if (rest.startsWith(kBlank) || rest.startsWith(kBreak))
            return true;
    }
    return false;
}

// The page text, what the passes do to each byte, and the findings.
class Analysis {
public:
    Analysis(QByteArrayView text, const OptionValues& v) : t(text) {
        native = isSet(v.check(CheckField::chkNativ));
        if (native)
            encoded = nativeEncoded(t, v, &nativeHead);
        seo = isSet(v.check(CheckField::chkSeo));
        // The script form writes the page from behind the first "</head>" while the head stays
        // readable, else from its start, behind the header.
        java = isSet(v.check(CheckField::chkJava));
        if (java && isOn(v.check(CheckField::chkSeo))) {
            jsStart = qMax<qsizetype>(scriptHeadEnd(t), 0);
        }
    }

    bool isEncoded(qsizetype i) const { return native && encoded[static_cast<size_t>(i)]; }
    // The script form writes the byte through its table of characters.
    bool inTable(qsizetype i) const { return java && i >= jsStart; }
    bool headerFirst() const { return jsStart == 0; }

    // Walks the markup: comments, the content of scripts, styles and preformatted elements,
    // the text between them, and the end of the head.
    void walk() {
        qsizetype from = 0;
        Name element = Name::Other; // the start tag whose content lies before the next tag
        int preDepth = 0;
        markup::forEachTag(t, [&](const markup::Tag& tag) {
            content(from, tag.begin, element, preDepth > 0);
            const Name name = nameOf(tag.name);
            if (realHead < 0 && name == Name::EndHead)
                realHead = tag.end;
            if (name == Name::Pre)
                ++preDepth;
            else if (name == Name::EndPre && preDepth > 0)
                --preDepth;
            element = name;
            from = tag.end;
            return true;
        });
        content(from, t.size(), element, preDepth > 0);
    }

    Kinds kinds = 0;
    std::vector<std::pair<qsizetype, qsizetype>> comments;
    QByteArrayView t;
    bool native = false;
    bool seo = false;
    bool java = false;
    std::vector<char> encoded;
    qsizetype nativeHead = -1;
    qsizetype jsStart = 0;
    qsizetype realHead = -1;

private:
    // A reference left in code: the line breaks the pass removes again leave none.
    bool anyReferenceKept(qsizetype from, qsizetype to) const {
        for (qsizetype i = from; i < to; ++i) {
            if (removedBreak(i, to))
                ++i;
            else if (isEncoded(i))
                return true;
        }
        return false;
    }

    // What lies between two tags: the content of the element before, or text and comments.
    void content(qsizetype from, qsizetype to, Name element, bool pre) {
        if (from >= to || element == Name::NoBreaks)
            return;
        if (element == Name::Script || element == Name::Style) {
            // References are no code, not even those of blanks: such a script or style no longer
            // works.
            if (anyReferenceKept(from, to))
                kinds |= element == Name::Script ? ScriptAttributes : StyleRules;
            return;
        }
        if (element == Name::Textarea) {
            if (anyLineBreakEncoded(from, to))
                kinds |= LineBreaks;
            return;
        }
        for (qsizetype p = from; p < to;) {
            const qsizetype c = t.sliced(0, to).indexOf("<!--", p);
            const qsizetype textEnd = c < 0 ? to : c;
            text(p, textEnd, pre);
            if (c < 0)
                break;
            const qsizetype end = qMin(markup::commentEnd(t, c), to);
            comments.emplace_back(c, end);
            // The closing dashes encoded: the comment goes on to a "-->" inside a tag.
            const bool closed = end >= c + 5 && t.sliced(end - 3, 3) == "-->";
            if (closed && (isEncoded(end - 3) || isEncoded(end - 2)))
                kinds |= CommentMarkup;
            p = end;
        }
    }

    // The pass removes every encoded CR LF after it has run.
    bool removedBreak(qsizetype i, qsizetype to) const {
        return i >= 0 && i + 1 < to && t[i] == '\r' && t[i + 1] == '\n' && isEncoded(i) &&
               isEncoded(i + 1);
    }

    bool anyLineBreakEncoded(qsizetype from, qsizetype to) const {
        for (qsizetype i = from; i < to; ++i) {
            if (removedBreak(i, to))
                return true;
        }
        return false;
    }

    // The character a reader sees next to position p, going back (step -1) or on (step 1) over
    // inline tags and line breaks the pass removes; a blank when a block boundary or the page's
    // edge comes first.
    char seenNeighbour(qsizetype p, int step) const {
        while (p >= 0 && p < t.size()) {
            const char c = t[p];
            if (removedBreak(step < 0 ? p - 1 : p, t.size())) {
                p += 2 * step;
            } else if (step < 0 && c == '>') {
                const qsizetype open = t.first(p).lastIndexOf('<');
                // What a script writes stands where the script ends.
                if (open >= 0 &&
                    indexOfAsciiNoCase(t.sliced(open, qMin<qsizetype>(8, t.size() - open)),
                                       "</script") == 0)
                    return c;
                if (open < 0 || !inlineTag(t, open))
                    return ' ';
                p = open - 1;
            } else if (step > 0 && c == '<') {
                const qsizetype close = t.indexOf('>', p);
                if (close < 0 || !inlineTag(t, p))
                    return ' ';
                p = close + 1;
            } else if (startsNoBreakSpace(p, step)) {
                return ' ';
            } else {
                return c;
            }
        }
        return ' ';
    }

    // A "&nbsp;" ends (going back) or starts (going on) at p: a blank to the reader.
    bool startsNoBreakSpace(qsizetype p, int step) const {
        constexpr QByteArrayView kNbsp = "&nbsp;";
        const qsizetype from = step < 0 ? p - kNbsp.size() + 1 : p;
        return from >= 0 && t.sliced(from).startsWith(kNbsp);
    }

    // In preformatted text every removed line break shows, in other text one between two words.
    void text(qsizetype from, qsizetype to, bool pre) {
        if (pre) {
            if (anyLineBreakEncoded(from, to))
                kinds |= LineBreaks;
            return;
        }
        for (qsizetype i = from; i < to; ++i) {
            if (!removedBreak(i, to))
                continue;
            qsizetype e = i;
            while (removedBreak(e, to))
                e += 2;
            const char before = seenNeighbour(i - 1, -1);
            const char after = seenNeighbour(e, 1);
            if (!isBlank(before) && !isBlank(after))
                kinds |= LineBreaks;
            i = e - 1;
        }
    }
};

// Bytes a browser reads as C1 controls in Windows-1252 are the five it leaves undefined.
bool c1Undefined(unsigned char c) {
    return c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D;
}

} // namespace

QString code(Kinds kind) {
    const int bit = bitOf(kind);
    return bit < 0 ? QString() : QString::fromLatin1(kKinds[bit].code);
}

QString description(Kinds kind) {
    const int bit = bitOf(kind);
    return bit < 0 ? QString() : QString::fromUtf8(kKinds[bit].description);
}

QString label(Kinds kind) {
    const int bit = bitOf(kind);
    return bit < 0 ? QString() : QString::fromUtf8(kKinds[bit].label);
}

QStringList codes(Kinds kinds) {
    QStringList list;
    for (int i = 0; i < kKindCount; ++i) {
        if (kinds & (1u << i))
            list << QString::fromLatin1(kKinds[i].code);
    }
    return list;
}

Kinds findBreakage(QByteArrayView file, const OptionValues& options) {
    // Read byte by byte, every second byte of UTF-16 is a zero: nothing of the page survives.
    if (file.startsWith("\xFE\xFF") || file.startsWith("\xFF\xFE"))
        return Utf16;
    const charset::Detected detected = charset::detect(file);
    NullHost host;
    ByteBuffer text;
    splitPageLines(file, options.check(CheckField::chkZange), text, host);
    Analysis a(text.view(), options);
    a.walk();
    const QByteArrayView t = a.t;

    if (a.native && holdsBlankReference(t))
        a.kinds |= SpaceReferences;
    // The header goes in front of the page: its DOCTYPE, or its byte-order mark, is no longer
    // first; a mark that no declaration backs leaves the page to Windows-1252 then.
    if (const qsizetype end = markup::prologueEnd(t); a.headerFirst() && end > 0) {
        const qsizetype at = indexOfAsciiNoCase(t.first(end), "<!doctype");
        if (standardsDoctype(t.sliced(at, end - at)))
            a.kinds |= Doctype;
    }
    const bool utf8 = detected.encoding == "UTF-8";
    if (utf8 && a.headerFirst() && detected.from == charset::Detected::From::ByteOrderMark &&
        charset::declaredEncoding(file) != "UTF-8")
        a.kinds |= Utf8;
    // The head's end as the passes find it, where a browser finds another.
    if (a.java && a.jsStart > 0 && a.jsStart != a.realHead)
        a.kinds |= HeadScriptEnd;
    if (a.native && a.seo && a.nativeHead >= 0 && a.realHead >= 0 && a.nativeHead < a.realHead)
        a.kinds |= HeadScriptEnd;

    // Text beyond ASCII that the passes write with its code page number, outside comments.
    const bool otherCharset = !utf8 && detected.encoding != "windows-1252";
    auto comment = a.comments.cbegin();
    for (qsizetype i = 0; i < t.size(); ++i) {
        const auto c = static_cast<unsigned char>(t[i]);
        if (c < 0x80)
            continue;
        while (comment != a.comments.cend() && comment->second <= i)
            ++comment;
        if (comment != a.comments.cend() && comment->first <= i)
            continue;
        const bool encoded = a.isEncoded(i);
        if (!encoded && !a.inTable(i))
            continue;
        if (utf8)
            a.kinds |= Utf8;
        else if (otherCharset)
            a.kinds |= Charset;
        else if (!encoded && ((c < 0xA0 && !c1Undefined(c)) || c == 0xFF))
            a.kinds |= CharTable;
    }
    return a.kinds;
}

Kinds findBreakageOfFile(const QString& path, const OptionValues& options) {
    // Only a plain file is opened: a pipe or a device could hold the caller up.
    struct stat st {};
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &st) != 0 ||
        !S_ISREG(st.st_mode))
        return 0;
    ByteBuffer bytes;
    if (readWholeFile(path, bytes))
        return 0;
    return findBreakage(bytes.view(), options);
}

} // namespace veltrano::breakage
