#include "frontends/web/WebPrintSurface.h"

#include <emscripten/emscripten.h>

#include <string>

namespace kinpath::web {

EM_JS(void, PrintFont, (const char* face, int cellHeight),
      { Kinpath.print.font(UTF8ToString(face), cellHeight); });
EM_JS(void, PrintStart, (const char* name), { Kinpath.print.start(UTF8ToString(name)); });
EM_JS(void, PrintPage, (), { Kinpath.print.page(); });
EM_JS(void, PrintText, (int x, int y, const char* text),
      { Kinpath.print.text(x, y, UTF8ToString(text)); });
EM_JS(void, PrintEnd, (), { Kinpath.print.end(); });

void WebPrintSurface::SetFont(std::string_view face, int cellHeight) {
    PrintFont(std::string(face).c_str(), cellHeight);
}

bool WebPrintSurface::StartDocument(std::string_view name) {
    PrintStart(std::string(name).c_str());
    return true;
}

bool WebPrintSurface::StartPage() {
    PrintPage();
    return true;
}

void WebPrintSurface::DrawText(int x, int y, std::string_view text) {
    PrintText(x, y, std::string(text).c_str());
}

bool WebPrintSurface::EndPage() { return true; }

bool WebPrintSurface::EndDocument() {
    PrintEnd();
    return true;
}

}  // namespace kinpath::web
