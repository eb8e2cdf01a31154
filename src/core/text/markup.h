#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <functional>

namespace veltrano {

// How a browser finds the tags of a page among comments and raw text; the passes and the reading
// of a page find tags with the same eyes.
namespace markup {

inline bool isLetter(char c) {
    return (c | 0x20) >= 'a' && (c | 0x20) <= 'z';
}
// White space between the parts of a tag.
inline bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f';
}

// Where the comment that opens at page[i] ("<!--") ends: behind the first "-->", which may
// share the opening dashes; the page's end when it is not closed.
qsizetype commentEnd(QByteArrayView page, qsizetype i);

// The raw-text element (script, style ...) whose start tag opens at page[i] ("<"), or nullptr.
const char* rawTextElement(QByteArrayView page, qsizetype i);

// Where the content of a raw-text element ends that starts at page[from]: at its end tag in any
// letter case; the page's end when there is none, or for plaintext.
qsizetype rawTextEnd(QByteArrayView page, qsizetype from, const char* element);

// One tag as forEachTag finds it: the name as written ("/head" for an end tag), where it opens
// ("<") and where it ends (behind its ">").
struct Tag {
    QByteArrayView name;
    qsizetype begin = 0;
    qsizetype end = 0;
};

// Calls visit for every start and end tag of the page outside comments and the content of
// raw-text elements, textarea and title, in order, until visit returns false. Quoted attribute
// values may hold ">".
void forEachTag(QByteArrayView page, const std::function<bool(const Tag&)>& visit);

// Where the prologue of a page text ends that a browser needs in front of everything else to
// keep standards mode: white space, an XML declaration and comments, then the DOCTYPE, its line
// end included; 0 when no DOCTYPE comes before other markup or text.
qsizetype prologueEnd(QByteArrayView text);

// Where the first head end tag outside comments and raw text ends (behind its ">"); -1 when the
// page has none.
qsizetype headEnd(QByteArrayView page);

// Reads the attribute of a tag that starts at p, as a browser's scan before parsing does, in
// lower case; false at the tag's end.
bool nextAttribute(QByteArrayView tag, qsizetype& p, QByteArray& name, QByteArray& value);

} // namespace markup

} // namespace veltrano
