#pragma once

#include "options/optionset.h"
#include "text/markup.h"

#include <QByteArray>
#include <QByteArrayView>

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

} // namespace veltrano
