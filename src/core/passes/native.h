#pragma once

#include "options/optionset.h"

#include <QByteArray>
#include <QByteArrayView>

#include <functional>

namespace veltrano {

class ByteBuffer;
class Host;

// Where the native pass stands in the markup. Both ways of reading a page share it; inSingle,
// afterEquals and rawElement only move in modern pages.
struct NativeScanState {
    bool inTag = false;
    bool inEntity = false;
    bool inQuote = false;
    bool inScript = false;
    bool inHead = true;
    bool inSingle = false;            // inside a single-quoted value of a tag
    bool afterEquals = false;         // in a tag, the last character other than white space was "="
    const char* rawElement = nullptr; // the raw-text element whose start tag is open
    // Only the first bytes of the collected tag text matter: it is compared with words of at
    // most seven letters, so a longer text matches none of them.
    static constexpr int kTagKeep = 8;
    char tagText[kTagKeep] = {};
    qsizetype tagLength = 0;

    void collect(char c) {
        if (tagLength < kTagKeep)
            tagText[tagLength] = c;
        tagLength += tagLength <= kTagKeep;
    }
    bool tagIs(QByteArrayView lowerWord) const;
    void openTag() {
        inTag = true;
        tagLength = 0;
    }
    // A ">" that ends the tag: the collected text starts or ends a script, or ends the head.
    void closeTag();
    // Characters here are copied and collected, never encoded.
    bool inMarkup() const { return inScript || inEntity || inTag || inQuote || inSingle; }
};

// Replaces readable characters by decimal character references and removes encoded blanks and
// line breaks. With chkNativ clear the page text comes back unchanged (out stays empty and the
// function returns false); otherwise out holds the new page text and it returns true.
bool CrippleNative(QByteArrayView page, const OptionSet& options, ByteBuffer& out, Host& host);

// The markup of a modern page that a browser does not decode, as the native pass leaves it as it
// is; the script form and the reading of a page find tags with the same eyes.
namespace markup {

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

} // namespace markup

} // namespace veltrano
