#pragma once

#include "options/optionset.h"
#include "text/markup.h"

#include "host.h"
#include "text/bytebuffer.h"

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

namespace veltrano {

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
    // collect() for each byte of a run copied in markup but a blank's: after the first few bytes
    // nothing changes any more.
    void collectRun(const char* run, qsizetype n) {
        for (qsizetype k = 0; k < n && tagLength <= kTagKeep; ++k)
            if (run[k] != ' ')
                collect(run[k]);
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

// The native pass's text, made piece by piece while the page is read. Each piece that next()
// hands out is final: it is the text's next bytes exactly as the whole pass writes them, and no
// later removal of an encoded blank or line break reaches back into it. A piece holds at least
// the given piece size unless it is the last one (on plain pages a piece also ends where a
// reference that a later byte may still remove begins), and at most about twice that; the page
// bar moves and the window runs as the page is read. With chkNativ clear there is no text at all.
class NativeText {
public:
    static constexpr qsizetype kPieceSize = 128 * 1024;

    // The pieces follow one another in a buffer of the object's own, reused for each piece.
    NativeText(QByteArrayView page, const OptionSet& options, Host& host,
               qsizetype pieceSize = kPieceSize);
    // The pieces stay one after the other in whole, which holds all the text at the end.
    NativeText(QByteArrayView page, const OptionSet& options, Host& host, ByteBuffer& whole);
    NativeText(const NativeText&) = delete;
    NativeText& operator=(const NativeText&) = delete;

    // Whether the pass writes a text (chkNativ is set).
    bool active() const { return progress_.has_value(); }
    // The next piece, valid until the following call; empty at the end of the text.
    QByteArrayView next();

private:
    void scanPlain(qsizetype to);
    char* plainStep(char* w);
    char* settle(char* w);

    QByteArrayView page_;
    bool modern_;
    bool keepHead_;
    ByteBuffer own_;
    ByteBuffer* buffer_;
    bool keepPieces_ = false;
    bool finished_ = false;
    qsizetype chunk_; // page bytes read at most before looking whether a piece is full
    qsizetype pieceSize_;
    qsizetype read_ = 0;    // the next page byte to read
    qsizetype scanned_ = 0; // the end of the last stretch of the page read
    qsizetype report_ = PageProgress::kStep;
    qsizetype pieceStart_ = 0;
    qsizetype pending_ = -1; // in the buffer: a "&" that may begin a line break still to remove
    NativeScanState state_;
    std::optional<PageProgress> progress_;
};

// Replaces readable characters by decimal character references and removes encoded blanks and
// line breaks. With chkNativ clear the page text comes back unchanged (out stays empty and the
// function returns false); otherwise out holds the new page text and it returns true.
bool CrippleNative(QByteArrayView page, const OptionSet& options, ByteBuffer& out, Host& host);

} // namespace veltrano
