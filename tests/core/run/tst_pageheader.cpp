#include "encoding/pagesink.h"
#include "run/pageheader.h"
#include "run/protectionscript.h"

#include <QtTest>

using namespace veltrano;

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
        QTest::newRow("both clear: just the script") << 0 << 0 << QString() << QStringLiteral("5")
                                                     << QByteArray();
        QTest::newRow("fake without lines joins the script line")
            << 1 << 0 << QStringLiteral("Error 404, file not found!") << QStringLiteral("200")
            << QByteArray("<!--Error 404, file not found!-->");
        QTest::newRow("empty fake text") << 1 << 0 << QString() << QString() << QByteArray("<!---->");
        QTest::newRow("fake text not escaped, in the code page")
            << 1 << 0 << QStringLiteral("x-->ä") << QString() << QByteArray("<!--x-->\xe4-->");
        QTest::newRow("one start line") << 1 << 1 << QStringLiteral("F") << QStringLiteral("1")
                                        << QByteArray("<!--F-->\r\n");
        QTest::newRow("zero start lines") << 0 << 1 << QString() << QStringLiteral("0") << QByteArray();
        QTest::newRow("fraction counts whole part") << 0 << 1 << QString() << QStringLiteral("2.5")
                                                    << QByteArray("\r\n\r\n");
        QTest::newRow("negative gives none") << 0 << 1 << QString() << QStringLiteral("-3")
                                             << QByteArray();
        QTest::newRow("letters count 0") << 0 << 1 << QString() << QStringLiteral("abc")
                                         << QByteArray();
        QTest::newRow("dimmed boxes count as set") << 2 << 2 << QStringLiteral("F")
                                                   << QStringLiteral("2")
                                                   << QByteArray("<!--F-->\r\n\r\n");
    }
    void header() {
        QFETCH(int, fake);
        QFETCH(int, line);
        QFETCH(QString, txt404);
        QFETCH(QString, start);
        QFETCH(QByteArray, prefix);
        OptionSet options(QStringLiteral("/p"));
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
        QTest::newRow("default 200") << 1 << 1 << QStringLiteral("200") << 200;
        QTest::newRow("depends on fake, not on line") << 1 << 0 << QStringLiteral("3") << 3;
        QTest::newRow("fake clear: none") << 0 << 1 << QStringLiteral("3") << 0;
        QTest::newRow("negative: none") << 1 << 1 << QStringLiteral("-5") << 0;
    }
    void endLines() {
        QFETCH(int, fake);
        QFETCH(int, line);
        QFETCH(QString, end);
        QFETCH(int, lines);
        OptionSet options(QStringLiteral("/p"));
        options.setCheck(CheckField::chkFake, CheckState(fake));
        options.setCheck(CheckField::chkLine, CheckState(line));
        options.setText(TextField::txtEnd, end);
        QByteArray expected = "page";
        for (int i = 0; i < lines; ++i)
            expected += "\r\n";
        QCOMPARE(AppendEndLines(QByteArray("page"), options), expected);
    }
};

QTEST_GUILESS_MAIN(TestPageHeader)
#include "tst_pageheader.moc"
