#include "reference.h"

#include <QDir>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace veltrano::fuzz {

void check(bool holds, const char* what) {
    if (holds)
        return;
    std::fprintf(stderr, "property broken: %s\n", what);
    std::abort();
}

void checkSame(QByteArrayView actual, QByteArrayView expected, const char* what) {
    const auto part = std::mismatch(actual.begin(), actual.end(), expected.begin(), expected.end());
    if (actual != expected)
        std::fprintf(stderr, "the texts part at byte %lld\n",
                     qlonglong(part.first - actual.begin()));
    check(actual == expected, what);
}

QString scratchFile(const QString& name, QByteArrayView bytes) {
    static const QTemporaryDir folder((QDir(QStringLiteral("/dev/shm")).exists()
                                           ? QStringLiteral("/dev/shm")
                                           : QDir::tempPath()) +
                                      QStringLiteral("/fuzz-XXXXXX"));
    QFile file(folder.filePath(name));
    check(file.open(QIODevice::WriteOnly) && file.write(bytes.data(), bytes.size()) == bytes.size(),
          "write a scratch file");
    return file.fileName();
}

QList<QByteArray> pageLines(QByteArrayView file) {
    QList<QByteArray> lines = file.toByteArray().replace("\r\n", "\r").split('\r');
    if (lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

QByteArray nativeReference(QByteArrayView page, bool seo) {
    bool inTag = false, inEntity = false, inQuote = false, inScript = false, inHead = true;
    QByteArray tagText, out;
    for (const char ch : page) {
        if (ch == '<')
            tagText.clear();
        if (ch == '<' || ch == '>')
            inTag = ch == '<';
        if (ch == '>') {
            const QByteArray word = tagText.toLower();
            inScript = word == "script" || (inScript && word != "/script");
            inHead = inHead && word != "/head";
        }
        if (ch == '&' || ch == ';')
            inEntity = ch == '&';
        if (ch == '"')
            inQuote = !inQuote;
        // Markup is passed through and collected, also in the head, so its end is noticed.
        const bool never = QByteArrayView(" <>;&").contains(ch);
        const bool markup = inScript || inEntity || inTag || inQuote;
        if (markup && !never)
            tagText += ch;
        if (never || markup || (seo && inHead))
            out += ch;
        else
            out += "&#" + QByteArray::number(static_cast<unsigned char>(ch)) + ';';
    }
    out.replace("&#32;", QByteArrayView()).replace("&#13;&#10;", QByteArrayView());
    return out.isEmpty() ? page.toByteArray() : out;
}

QByteArray scriptReference(QByteArrayView text, QByteArrayView header, bool seo, Random& random) {
    static const QByteArray kTable = "<!--crippled with Veltrano--><script>\r\nc = new Array(255);"
                                     "\r\nvar z = 0\r\nwhile (z < 255){\r\n c[z] = "
                                     "String.fromCharCode(z)\r\n z++;\r\n}\r\n";
    const qsizetype head = seo ? text.toByteArray().toLower().indexOf("</head>") : -1;
    const qsizetype start = head < 0 ? 0 : head + 7;
    QByteArray out = header.toByteArray() + kTable + "document.write (";
    for (qsizetype position = start; position < text.size();) {
        out += "c[" + QByteArray::number(static_cast<unsigned char>(text[position])) + "],";
        if (++position % random.nextSplitDivisor() == 0)
            out.replace(out.size() - 1, 1, ");document.write (");
    }
    out.replace(out.size() - 1, 1, ");");
    out.prepend(text.first(start)).replace("document.write );", QByteArrayView());
    return out + "\r\n</script><noscript>";
}

} // namespace veltrano::fuzz
