#include "pagegen.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <array>
#include <cstdio>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace veltrano::bench {

namespace {

const std::array<const char*, 24> kWords = {
    "Willkommen", "auf",          "unserer",      "Seite",       "f\xfcr",    "Gro\xdf",
    "und",        "Klein",        "M\xfcnchen",   "K\xf6ln",     "\xc4rger",  "&amp;",
    "&uuml;ber",  "Stra&szlig;e", "&#228;hnlich", "Vereinsheim", "Kegeln",    "Sonntag",
    "Termine",    "Mitglieder",   "Anfahrt",      "Impressum",   "\"Zitat\"", "2024"};

class Lcg {
public:
    explicit Lcg(unsigned seed) : x_(seed * 2654435761u + 1) {}
    unsigned next(unsigned n) {
        x_ = x_ * 1103515245u + 12345u;
        return (x_ >> 8) % n;
    }

private:
    unsigned x_;
};

void sentence(QByteArray& out, Lcg& r, int words) {
    for (int i = 0; i < words; ++i) {
        if (i)
            out += ' ';
        out += kWords[r.next(kWords.size())];
    }
    out += ".";
}

} // namespace

QByteArray generatePage(qsizetype approximateSize, unsigned seed) {
    Lcg r(seed);
    QByteArray page;
    page.reserve(approximateSize + 4096);
    page += "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">\r\n"
            "<html>\r\n<head>\r\n<title>Kegelverein Gut Holz &ndash; Startseite</title>\r\n"
            "<meta http-equiv=\"content-type\" content=\"text/html; charset=windows-1252\">\r\n"
            "<meta name=\"keywords\" content=\"Kegeln, Verein, M\xfcnchen\">\r\n"
            "<link rel=\"stylesheet\" href=\"style.css\" type=\"text/css\">\r\n"
            "<script type=\"text/javascript\">\r\nfunction zeige(id) {\r\n"
            "  var e = document.getElementById(id); if (e) { e.style.display = 'block'; }\r\n"
            "}\r\n</script>\r\n</head>\r\n<body bgcolor=#ffffff>\r\n";
    int block = 0;
    while (page.size() < approximateSize) {
        switch (r.next(6)) {
        case 0:
            page += "<h2>";
            sentence(page, r, 3);
            page += "</h2>\r\n";
            break;
        case 1:
            page += "<table border=\"1\" cellpadding=\"2\">\r\n";
            for (int row = 0; row < 4; ++row) {
                page += "<tr><td class=\"z\">";
                sentence(page, r, 2);
                page += "</td><td align=right>";
                page += QByteArray::number(r.next(1000)) + ",00 &euro;</td></tr>\r\n";
            }
            page += "</table>\r\n";
            break;
        case 2:
            page += "<ul>\r\n";
            for (int item = 0; item < 3; ++item) {
                page += "<li><a href=\"seite" + QByteArray::number(r.next(50)) + ".htm\">";
                sentence(page, r, 3);
                page += "</a></li>\r\n";
            }
            page += "</ul>\r\n";
            break;
        case 3:
            page += "<form action=\"/cgi-bin/mail.pl\" method=post><input type=\"text\" "
                    "name=\"name\" value=\"\"> <textarea name=t rows=3>";
            sentence(page, r, 4);
            page += "</textarea> <input type=submit value=\"Absenden\"></form>\r\n";
            break;
        case 4:
            page += "<script>\r\ndocument.write('<p>' + new Date().getFullYear() + '</p>');\r\n"
                    "</script>\r\n";
            break;
        default:
            page += "<p>";
            for (int s = 0; s < 4; ++s) {
                sentence(page, r, 8 + static_cast<int>(r.next(8)));
                page += (s == 1) ? "<br>\r\n" : " ";
            }
            page += "</p>\r\n";
            break;
        }
        ++block;
    }
    page += "</body>\r\n</html>\r\n";
    return page;
}

QString workFolderPattern() {
    const QString parent = QDir::tempPath() + QStringLiteral("/veltrano-bench");
    QDir().mkpath(parent);
    const int fd = ::open(QFile::encodeName(parent).constData(), O_RDONLY | O_DIRECTORY);
    int flags = 0;
    if (fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 && !(flags & FS_TOPDIR_FL)) {
        flags |= FS_TOPDIR_FL;
        ::ioctl(fd, FS_IOC_SETFLAGS, &flags); // where it is refused, folders go as they would
    }
    if (fd >= 0)
        ::close(fd);
    return parent + QStringLiteral("/run-XXXXXX");
}

void printNewFileCost(const QString& folder) {
    constexpr int kFiles = 300;
    const QByteArray probe = QFile::encodeName(folder + QStringLiteral("/new-files"));
    QDir().mkpath(QFile::decodeName(probe));
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < kFiles; ++i) {
        const int fd = ::open((probe + '/' + QByteArray::number(i)).constData(),
                              O_CREAT | O_WRONLY | O_EXCL | O_CLOEXEC, 0644);
        if (fd >= 0)
            ::close(fd);
    }
    std::printf("file system: a new empty file takes %.0f us here\n",
                static_cast<double>(clock.nsecsElapsed()) / 1e3 / kFiles);
    std::fflush(stdout);
}

void emptyFiles(const QString& folder) {
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        ::truncate(QFile::encodeName(it.next()).constData(), 0);
}

void printLoad(const char* when) {
    QFile file(QStringLiteral("/proc/loadavg"));
    const QByteArray load = file.open(QIODevice::ReadOnly) ? file.readAll().trimmed() : "?";
    std::printf("load %s: %s\n", when, load.constData());
    std::fflush(stdout);
}

double median(std::vector<double> values) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

} // namespace veltrano::bench
