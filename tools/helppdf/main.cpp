// Writes a Markdown document as an A4 PDF with Qt's own PDF writer:
// veltrano-helppdf MANUAL.md OUTPUT.pdf. Runs at build time on the offscreen platform.
#include <QFile>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>

#include <cstdio>

int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: veltrano-helppdf MANUAL.md OUTPUT.pdf\n");
        return 64;
    }
    QFile source(QString::fromLocal8Bit(argv[1]));
    if (!source.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "veltrano-helppdf: cannot read %s\n", argv[1]);
        return 1;
    }
    const QString markdown = QString::fromUtf8(source.readAll());

    QPdfWriter pdf(QString::fromLocal8Bit(argv[2]));
    pdf.setTitle(QStringLiteral("HTML Veltrano 3 - Handbuch"));
    pdf.setCreator(QStringLiteral("HTML Veltrano 3"));
    pdf.setResolution(300);
    pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                  QMarginsF(20, 18, 20, 18), QPageLayout::Millimeter));

    QTextDocument document;
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(10.5);
    document.setDefaultFont(font);
    document.setDefaultStyleSheet(QStringLiteral(
        "h1 { color: #1b4a8c; } h2 { color: #1b4a8c; } h3 { color: #2c3e50; } "
        "code { font-family: 'DejaVu Sans Mono'; }"));
    document.setMarkdown(markdown);
    document.print(&pdf);
    if (!QFile::exists(QString::fromLocal8Bit(argv[2]))) {
        std::fprintf(stderr, "veltrano-helppdf: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
