#pragma once

#include "options/optionset.h"

#include <QByteArray>
#include <QByteArrayView>

namespace veltrano {

class ByteBuffer;
class Host;

// Where the native pass stands in the markup.
struct NativeScanState {
    bool inTag = false;
    bool inEntity = false;
    bool inQuote = false;
    bool inScript = false;
    bool inHead = true;
    // Only the first bytes of the collected tag text matter: it is compared with words of at
    // most seven letters, so a longer text matches none of them.
    static constexpr int kTagKeep = 8;
    char tagText[kTagKeep] = {};
    qsizetype tagLength = 0;

    void collect(char c) {
        if (tagLength < kTagKeep)
            tagText[tagLength] = c;
        ++tagLength;
    }
    bool tagIs(QByteArrayView lowerWord) const;
};

// Replaces readable characters by decimal character references and removes encoded blanks and
// line breaks. With chkNativ clear the page text comes back unchanged (out stays empty and the
// function returns false); otherwise out holds the new page text and it returns true.
bool CrippleNative(QByteArrayView page, const OptionSet& options, ByteBuffer& out, Host& host);

} // namespace veltrano
