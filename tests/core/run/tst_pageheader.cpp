#include "encoding/pagesink.h"
#include "run/pageheader.h"
#include "run/protectionscript.h"
#include "support/pagebytes.h"

#include <QtTest>

using namespace veltrano;
using namespace Qt::StringLiterals;

namespace {

// The block's lines that every page carries, with the option lines marked by a tag.
QByteArray block(int rclick, int sel, int print) {
    QByteArrayList lines = {
        "<script language=\"JavaScript\" type=\"text/javascript\">", "<!--",
        "function closemenu(){", "  return false", "}", "function omu(e){", "  if(e.which==1){"};
    if (rclick)
        lines << "      window.releaseEvents(Event.MOUSEMOVE);";
    if (sel)
        lines << "      window.onmousemove=null";
    lines << "  }" << "}" << "function nr(e){";
    if (sel)
        lines << "  if(e.which==1){" << "      window.captureEvents(Event.MOUSEMOVE);"
              << "      window.onmousemove=closemenu" << "  }";
    lines << "  if(e.which==3){" << "      return false" << "  }" << "}" << "function cv(){"
          << "  if(event.button==2||event.button==3)alert(\"Einen sch\xf6nen guten Tag.\")" << "}"
          << "moi=document.all;" << "elem=document.getElementById;" << "if(moi){" << "  if(elem){"
          << "      document.onselectstart=closemenu;document.oncontextmenu=closemenu" << "  }"
          << "  else{" << "      document.onmousedown=cv" << "  }" << "}";
    if (rclick == 1)
        lines << "if(elem&&!moi){document.onmousedown=closemenu;" << "document.onmouseup=nr;"
              << "document.oncontextmenu=closemenu" << "}if(document.layers){"
              << "  window.captureEvents(Event.MOUSEUP|Event.MOUSEDOWN);"
              << "  window.onmousedown=nr;window.onmouseup=omu";
    else
        lines << "if(elem&&!moi){}if(document.layers){";
    lines << "}" << "function noprint(){" << "  for(lp=0;lp<document.all.length;lp++){"
          << "      if(document.all[lp].style.visibility!=\"hidden\"){"
          << "          document.all[lp].style.visibility=\"hidden\";"
          << "          document.all[lp].id=\"vtx\"" << "      }" << "  }" << "};"
          << "function printe(){" << "  for (lp=0;lp<document.all.length;lp++){"
          << "      if(document.all[lp].id==\"vtx\")" << "      document.all[lp].style.visibility=\"\""
          << "  }" << "};" << "";
    if (print == 1)
        lines << "window.onbeforeprint=noprint;        window.onafterprint=printe;";
    lines << "function clearClipB(){"
          << "     setInterval(\"window.clipboardData.setData('text','')\",20);" << "}"
          << "function bErr(){" << "     window.location.reload(true);" << "     return true;"
          << "}" << "window.onerror = blockError;" << "clearClipB();" << "//--></script>";
    return lines.join("\r\n") + "\r\n";
}

} // namespace

class TestPageHeader : public QObject {
    Q_OBJECT
private slots:
    void script_data() {
        QTest::addColumn<int>("rclick");
        QTest::addColumn<int>("sel");
        QTest::addColumn<int>("print");
        for (int r = 0; r <= 2; ++r)
            for (int s = 0; s <= 2; ++s)
                for (int p = 0; p <= 2; ++p)
                    QTest::addRow("rclick %d sel %d print %d", r, s, p) << r << s << p;
    }
    void script() {
        QFETCH(int, rclick);
        QFETCH(int, sel);
        QFETCH(int, print);
        QCOMPARE(BuildProtectionScript(CheckState(rclick), CheckState(sel), CheckState(print)),
                 block(rclick, sel, print));
    }

    void allClearJoinsTheLayersLine() {
        const QByteArray b = BuildProtectionScript(0, 0, 0);
        QVERIFY(b.contains("\r\nif(elem&&!moi){}if(document.layers){\r\n}\r\n"));
        QVERIFY(b.endsWith("window.onerror = blockError;\r\nclearClipB();\r\n//--></script>\r\n"));
    }

    void header_data() {
        QTest::addColumn<int>("fake");
        QTest::addColumn<int>("line");
        QTest::addColumn<QString>("txt404");
        QTest::addColumn<QString>("start");
        QTest::addColumn<QByteArray>("prefix");
        const auto row = [](const char* tag, int fake, int line, const QString& txt404,
                            const QString& start, const char* prefix) {
            QTest::newRow(tag) << fake << line << txt404 << start << QByteArray(prefix);
        };
        const QString none;
        row("both clear: just the script", 0, 0, none, u"5"_s, "");
        row("fake without lines joins the script line", 1, 0, u"Error 404, file not found!"_s,
            u"200"_s, "<!--Error 404, file not found!-->");
        row("empty fake text", 1, 0, none, none, "<!---->");
        row("fake text not escaped, in the code page", 1, 0, u"x-->ä"_s, none, "<!--x-->\xe4-->");
        row("one start line", 1, 1, u"F"_s, u"1"_s, "<!--F-->\r\n");
        row("zero start lines", 0, 1, none, u"0"_s, "");
        row("fraction counts whole part", 0, 1, none, u"2.5"_s, "\r\n\r\n");
        row("negative gives none", 0, 1, none, u"-3"_s, "");
        row("letters count 0", 0, 1, none, u"abc"_s, "");
        row("dimmed boxes count as set", 2, 2, u"F"_s, u"2"_s, "<!--F-->\r\n\r\n");
    }
    void header() {
        QFETCH(int, fake);
        QFETCH(int, line);
        QFETCH(QString, txt404);
        QFETCH(QString, start);
        QFETCH(QByteArray, prefix);
        OptionSet options(u"/p"_s);
        options.setCheck(CheckField::chkFake, CheckState(fake));
        options.setCheck(CheckField::chkLine, CheckState(line));
        options.setText(TextField::txt404, txt404);
        options.setText(TextField::txtStart, start);
        QCOMPARE(BuildPageHeader(options), prefix + block(1, 1, 1));
    }

    void endLines_data() {
        QTest::addColumn<int>("fake");
        QTest::addColumn<int>("line");
        QTest::addColumn<QString>("end");
        QTest::addColumn<int>("lines");
        QTest::newRow("default 200") << 1 << 1 << u"200"_s << 200;
        QTest::newRow("depends on fake, not on line") << 1 << 0 << u"3"_s << 3;
        QTest::newRow("fake clear: none") << 0 << 1 << u"3"_s << 0;
        QTest::newRow("negative: none") << 1 << 1 << u"-5"_s << 0;
    }
    void endLines() {
        QFETCH(int, fake);
        QFETCH(int, line);
        QFETCH(QString, end);
        QFETCH(int, lines);
        OptionSet options(u"/p"_s);
        options.setCheck(CheckField::chkFake, CheckState(fake));
        options.setCheck(CheckField::chkLine, CheckState(line));
        options.setText(TextField::txtEnd, end);
        QCOMPARE(AppendEndLines(QByteArray("page"), options),
                 "page" + QByteArray("\r\n").repeated(lines));
    }
};

QTEST_GUILESS_MAIN(TestPageHeader)
#include "tst_pageheader.moc"
