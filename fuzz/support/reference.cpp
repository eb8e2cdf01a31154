#include "reference.h"

namespace veltrano::fuzz {

namespace {

char lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c;
}

QByteArray lowered(QByteArrayView text) {
    QByteArray out;
    for (char c : text)
        out += lower(c);
    return out;
}

const QByteArray kTable = "<!--crippled with Veltrano--><script>\r\n"
                          "c = new Array(255);\r\n"
                          "var z = 0\r\n"
                          "while (z < 255){\r\n"
                          " c[z] = String.fromCharCode(z)\r\n"
                          " z++;\r\n"
                          "}\r\n";

} // namespace

QList<QByteArray> pageLines(QByteArrayView file) {
    QList<QByteArray> lines;
    QByteArray line;
    for (qsizetype i = 0; i < file.size(); ++i) {
        if (file[i] == '\r') {
            lines.append(line);
            line.clear();
            if (i + 1 < file.size() && file[i + 1] == '\n')
                ++i;
        } else {
            line += file[i];
        }
    }
    if (!line.isEmpty())
        lines.append(line);
    return lines;
}

QByteArray removeEvery(QByteArrayView text, QByteArrayView pattern) {
    QByteArray out;
    qsizetype i = 0;
    while (i < text.size()) {
        if (text.sliced(i).startsWith(pattern)) {
            i += pattern.size();
        } else {
            out += text[i];
            ++i;
        }
    }
    return out;
}

QByteArray nativeReference(QByteArrayView page, bool seo) {
    bool inTag = false;
    bool inEntity = false;
    bool inQuote = false;
    bool inScript = false;
    bool inHead = true;
    QByteArray tagText;
    QByteArray out;
    for (char ch : page) {
        if (ch == '<') {
            inTag = true;
            tagText.clear();
        }
        if (ch == '>') {
            inTag = false;
            const QByteArray word = lowered(tagText);
            if (word == "script")
                inScript = true;
            else if (word == "/script")
                inScript = false;
            else if (word == "/head")
                inHead = false;
        }
        if (ch == '&')
            inEntity = true;
        if (ch == ';')
            inEntity = false;
        if (ch == '"')
            inQuote = !inQuote;
        if (QByteArrayView(" <>;&").contains(ch)) {
            out += ch;
        } else if (inScript || inEntity || inTag || inQuote) {
            // Markup is passed through and collected, also in the head, so the end of the head
            // is noticed while the head stays readable.
            out += ch;
            tagText += ch;
        } else if (seo && inHead) {
            out += ch;
        } else {
            out += "&#" + QByteArray::number(static_cast<unsigned char>(ch)) + ";";
        }
    }
    out = removeEvery(out, "&#32;");
    out = removeEvery(out, "&#13;&#10;");
    return out.isEmpty() ? page.toByteArray() : out;
}

qsizetype headEnd(QByteArrayView page) {
    return lowered(page).indexOf("</head>");
}

bool parseScriptForm(QByteArrayView page, ScriptForm& form, const char** why) {
    const qsizetype table = QByteArrayView(page).indexOf(kTable);
    if (table < 0) {
        *why = "no script table";
        return false;
    }
    form.front = page.first(table).toByteArray();
    qsizetype at = table + kTable.size();
    const qsizetype lineEnd = page.indexOf("\r\n", at);
    if (lineEnd < 0) {
        *why = "write line without line end";
        return false;
    }
    const QByteArrayView line = page.sliced(at, lineEnd - at);
    form.notice = page.sliced(lineEnd + 2).toByteArray();
    const QByteArrayView open = "document.write (";
    qsizetype i = 0;
    while (i < line.size()) {
        if (!line.sliced(i).startsWith(open)) {
            *why = "write line holds something other than calls";
            return false;
        }
        i += open.size();
        QByteArray codes;
        for (;;) {
            if (!line.sliced(i).startsWith("c[")) {
                *why = "call without an item";
                return false;
            }
            i += 2;
            int code = 0;
            int digits = 0;
            while (i < line.size() && line[i] >= '0' && line[i] <= '9') {
                if (digits == 1 && code == 0) {
                    *why = "item code with a leading zero";
                    return false;
                }
                code = code * 10 + (line[i] - '0');
                ++digits;
                ++i;
            }
            if (digits == 0 || digits > 3 || code > 255 || i >= line.size() || line[i] != ']') {
                *why = "malformed item";
                return false;
            }
            ++i;
            codes += static_cast<char>(code);
            if (line.sliced(i).startsWith(",")) {
                ++i;
                continue;
            }
            if (line.sliced(i).startsWith(");")) {
                i += 2;
                break;
            }
            *why = "item followed by neither comma nor end of call";
            return false;
        }
        form.calls.append(codes);
    }
    return true;
}

QByteArray spelledText(const ScriptForm& form) {
    QByteArray text;
    for (const QByteArray& call : form.calls)
        text += call;
    return text;
}

} // namespace veltrano::fuzz
