#include "protectionscript.h"

#include "text/codepage.h"

namespace veltrano {

namespace {

enum class When {
    Always,
    RClickSet,
    SelSet,
    RClickOne,
    PrintOne,
    // Only in modern pages:
    ModernRClickSet,
    ModernSelSet,
    ModernPrintSet,
    Modern,
    NotModern,
    // Only in pages that are not modern: in today's browsers a mouse-down handler that returns
    // false keeps clicks out of form fields, and the print handlers give every element the same
    // id, which the page's own scripts and styles then no longer find; the listeners and the
    // print style of modern pages do their work.
    RClickOneNotModern,
    PrintOneNotModern,
};

struct ScriptLine {
    const char* text; // UTF-8; turned into the host code page unless the page is modern
    When when;
    bool lineBreak;
};

// clang-format off
constexpr ScriptLine kLines[] = {
    {"<script language=\"JavaScript\" type=\"text/javascript\">", When::Always, true},
    {"<!--", When::Always, true},
    {"function closemenu(){", When::Always, true},
    {"  return false", When::Always, true},
    {"}", When::Always, true},
    {"function omu(e){", When::Always, true},
    {"  if(e.which==1){", When::Always, true},
    {"      window.releaseEvents(Event.MOUSEMOVE);", When::RClickSet, true},
    {"      window.onmousemove=null", When::SelSet, true},
    {"  }", When::Always, true},
    {"}", When::Always, true},
    {"function nr(e){", When::Always, true},
    {"  if(e.which==1){", When::SelSet, true},
    {"      window.captureEvents(Event.MOUSEMOVE);", When::SelSet, true},
    {"      window.onmousemove=closemenu", When::SelSet, true},
    {"  }", When::SelSet, true},
    {"  if(e.which==3){", When::Always, true},
    {"      return false", When::Always, true},
    {"  }", When::Always, true},
    {"}", When::Always, true},
    {"function cv(){", When::Always, true},
    {"  if(event.button==2||event.button==3)alert(\"Einen sch\u00f6nen guten Tag.\")", When::Always, true},
    {"}", When::Always, true},
    {"moi=document.all;", When::Always, true},
    {"elem=document.getElementById;", When::Always, true},
    {"if(moi){", When::Always, true},
    {"  if(elem){", When::Always, true},
    {"      document.onselectstart=closemenu;document.oncontextmenu=closemenu", When::Always, true},
    {"  }", When::Always, true},
    {"  else{", When::Always, true},
    {"      document.onmousedown=cv", When::Always, true},
    {"  }", When::Always, true},
    {"}", When::Always, true},
    {"if(elem&&!moi){", When::Always, false},
    {"document.onmousedown=closemenu;", When::RClickOneNotModern, true},
    {"document.onmouseup=nr;", When::RClickOne, true},
    {"document.oncontextmenu=closemenu", When::RClickOne, true},
    {"}", When::Always, false},
    {"if(document.layers){", When::Always, true},
    {"  window.captureEvents(Event.MOUSEUP|Event.MOUSEDOWN);", When::RClickOne, true},
    {"  window.onmousedown=nr;window.onmouseup=omu", When::RClickOne, true},
    {"}", When::Always, true},
    {"function noprint(){", When::Always, true},
    {"  for(lp=0;lp<document.all.length;lp++){", When::Always, true},
    {"      if(document.all[lp].style.visibility!=\"hidden\"){", When::Always, true},
    {"          document.all[lp].style.visibility=\"hidden\";", When::Always, true},
    {"          document.all[lp].id=\"vtx\"", When::Always, true},
    {"      }", When::Always, true},
    {"  }", When::Always, true},
    {"};", When::Always, true},
    {"function printe(){", When::Always, true},
    {"  for (lp=0;lp<document.all.length;lp++){", When::Always, true},
    {"      if(document.all[lp].id==\"vtx\")", When::Always, true},
    {"      document.all[lp].style.visibility=\"\"", When::Always, true},
    {"  }", When::Always, true},
    {"};", When::Always, true},
    {"", When::Always, true},
    {"window.onbeforeprint=noprint;        window.onafterprint=printe;", When::PrintOneNotModern, true},
    {"function clearClipB(){", When::Always, true},
    {"     setInterval(\"window.clipboardData.setData('text','')\",20);", When::NotModern, true},
    {"     setInterval(\"if(window.clipboardData)window.clipboardData.setData('text','')\",20);", When::Modern, true},
    {"}", When::Always, true},
    {"function bErr(){", When::Always, true},
    {"     window.location.reload(true);", When::Always, true},
    {"     return true;", When::Always, true},
    {"}", When::Always, true},
    // Today's browsers: listeners that cancel the context menu and the selection, no selection
    // by style, a print style that hides the body, and a clipboard clearing that runs only where
    // the old clipboard object is there. No error handler: the page's own script errors stay
    // visible to its webmaster.
    {"document.addEventListener(\"contextmenu\",function(e){e.preventDefault()});", When::ModernRClickSet, true},
    {"document.addEventListener(\"selectstart\",function(e){e.preventDefault()});", When::ModernSelSet, true},
    {"document.documentElement.style.userSelect=\"none\";", When::ModernSelSet, true},
    {"var vps=document.createElement(\"style\");vps.media=\"print\";vps.textContent=\"body{display:none!important}\";", When::ModernPrintSet, true},
    {"(document.head||document.documentElement).appendChild(vps);", When::ModernPrintSet, true},
    {"window.onerror = blockError;", When::NotModern, true},
    {"clearClipB();", When::Always, true},
    {"//--></script>", When::Always, true},
};
// clang-format on

bool written(When when, CheckState rclick, CheckState sel, CheckState print, bool modern) {
    switch (when) {
    case When::ModernRClickSet:
        return modern && isSet(rclick);
    case When::ModernSelSet:
        return modern && isSet(sel);
    case When::ModernPrintSet:
        return modern && isSet(print);
    case When::Modern:
        return modern;
    case When::NotModern:
        return !modern;
    case When::RClickOneNotModern:
        return !modern && isOn(rclick);
    case When::PrintOneNotModern:
        return !modern && isOn(print);
    case When::Always:
        return true;
    case When::RClickSet:
        return isSet(rclick);
    case When::SelSet:
        return isSet(sel);
    case When::RClickOne:
        return isOn(rclick);
    case When::PrintOne:
        return isOn(print);
    }
    return false;
}

} // namespace

QByteArray BuildProtectionScript(CheckState chkRClick, CheckState chkSel, CheckState chkPrint,
                                 bool modern) {
    QByteArray block;
    block.reserve(2048);
    for (const ScriptLine& line : kLines) {
        if (!written(line.when, chkRClick, chkSel, chkPrint, modern))
            continue;
        block +=
            modern ? QByteArray(line.text) : codepage::fromUnicode(QString::fromUtf8(line.text));
        if (line.lineBreak)
            block += "\r\n";
    }
    return block;
}

} // namespace veltrano
