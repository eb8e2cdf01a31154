#pragma once

#include "options/optionset.h"

#include <QByteArrayView>

namespace veltrano {

class Host;
class PageSink;
class Random;

// The JavaScript form of a modern page, light enough that a visitor hardly pays for it: the
// text behind the readable head is one string in which every UTF-16 code unit is replaced
// through a table drawn for this page, and a short decoder maps it back and writes the page
// with one document.write call. The same unit always gives the same output, so the page's
// repetitions stay and it compresses about as well as the original. The output alphabet holds
// no letter, no quote, backslash, "<" or line terminator: the string is safe in a script
// element and in a string literal without escapes, and no word of the page can be read in it.
// Only pages using more different code units than that alphabet has need escapes.
//
// The page is UTF-8 behind its prologue (the encoder writes the DOCTYPE in front); the readable
// head (chkSeo 1), the header text and the noscript notice are written as the script form of
// the mode writes them.
void encryptJavaScriptLight(QByteArrayView page, QByteArrayView header, const OptionSet& options,
                            Random& random, PageSink& out, Host& host);

// The number of draws the light form takes for a page text with its prologue: one per different
// code unit it encodes, none without chkJava.
qint64 lightDrawCount(QByteArrayView page, const OptionSet& options);

} // namespace veltrano
