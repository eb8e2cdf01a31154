// Writes a Markdown document as an A4 PDF with Qt's own PDF writer:
// veltrano-helppdf MANUAL.md OUTPUT.pdf. Runs at build time on the offscreen platform.
// The manual's source is plain Markdown: an angle bracket in it ("<head>") is text, never
// markup. Every heading of the source must appear in the document that is printed; when one is
// missing, nothing is written and the tool fails, so a manual that stops half-way never ships.
#include <QFile>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextDocument>

#include <cstdio>

namespace {

constexpr auto kFeatures = QTextDocument::MarkdownFeatures(QTextDocument::MarkdownDialectGitHub |
                                                           QTextDocument::MarkdownNoHTML);

// The headings of a Markdown source, as they read once rendered; fenced code is skipped.
QStringList sourceHeadings(const QString& markdown) {
    static const QRegularExpression heading(QStringLiteral("^ {0,3}#{1,6}[ \\t]+(.*)$"));
    static const QRegularExpression fence(QStringLiteral("^ {0,3}(```|~~~)"));
    QStringList headings;
    bool inFence = false;
    for (const QString& line : markdown.split(QLatin1Char('\n'))) {
        if (fence.match(line).hasMatch()) {
            inFence = !inFence;
            continue;
        }
        const QRegularExpressionMatch match = heading.match(line);
        if (inFence || !match.hasMatch())
            continue;
        QTextDocument alone;
        alone.setMarkdown(match.captured(1), kFeatures);
        headings.append(alone.toPlainText().trimmed());
    }
    return headings;
}

QStringList documentHeadings(const QTextDocument& document) {
    QStringList headings;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (block.blockFormat().headingLevel() > 0)
            headings.append(block.text().trimmed());
    }
    return headings;
}

} // namespace

int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: veltrano-helppdf MANUAL.md OUTPUT.pdf\n");
        return 64;
    }
    const QString output = QString::fromLocal8Bit(argv[2]);
    QFile source(QString::fromLocal8Bit(argv[1]));
    if (!source.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "veltrano-helppdf: cannot read %s\n", argv[1]);
        return 1;
    }
    const QString markdown = QString::fromUtf8(source.readAll());

    QTextDocument document;
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(10.5);
    document.setDefaultFont(font);
    document.setDefaultStyleSheet(
        QStringLiteral("h1 { color: #1b4a8c; } h2 { color: #1b4a8c; } h3 { color: #2c3e50; } "
                       "code { font-family: 'DejaVu Sans Mono'; }"));
    document.setMarkdown(markdown, kFeatures);

    // The headings must come out complete and in the source's order.
    const QStringList found = documentHeadings(document);
    qsizetype next = 0;
    for (const QString& heading : sourceHeadings(markdown)) {
        const qsizetype at = found.indexOf(heading, next);
        if (at < 0) {
            std::fprintf(stderr,
                         "veltrano-helppdf: %s: the heading \"%s\" is missing from the "
                         "document; nothing written\n",
                         argv[1], heading.toLocal8Bit().constData());
            QFile::remove(output);
            return 1;
        }
        next = at + 1;
    }

    QFile::remove(output);
    {
        QPdfWriter pdf(output);
        pdf.setTitle(QStringLiteral("HTML Veltrano 3 - Handbuch"));
        pdf.setCreator(QStringLiteral("HTML Veltrano 3"));
        pdf.setResolution(300);
        pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                      QMarginsF(20, 18, 20, 18), QPageLayout::Millimeter));
        document.print(&pdf);
    }
    if (!QFile::exists(output)) {
        std::fprintf(stderr, "veltrano-helppdf: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
