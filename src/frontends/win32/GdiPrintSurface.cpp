#include "frontends/win32/GdiPrintSurface.h"

#include <string>

#include "frontends/win32/Utf16.h"

namespace kinpath::win32 {

GdiPrintSurface::GdiPrintSurface(HDC dc, bool selectionOnly, int firstPage, int lastPage)
    : dc_(dc), selectionOnly_(selectionOnly), firstPage_(firstPage), lastPage_(lastPage) {
    brush_ = CreateSolidBrush(RGB(0, 0, 0));
    previousBrush_ = SelectObject(dc_, brush_);
}

GdiPrintSurface::~GdiPrintSurface() {
    // A job left open would hold the printer: it did not finish, so drop it.
    if (documentOpen_) AbortDoc(dc_);
    if (previousFont_) SelectObject(dc_, previousFont_);
    if (previousBrush_) SelectObject(dc_, previousBrush_);
    if (font_) DeleteObject(font_);
    if (brush_) DeleteObject(brush_);
    DeleteDC(dc_);
}

int GdiPrintSurface::DotsPerInchX() const { return GetDeviceCaps(dc_, LOGPIXELSX); }

int GdiPrintSurface::DotsPerInchY() const { return GetDeviceCaps(dc_, LOGPIXELSY); }

void GdiPrintSurface::SetFont(std::string_view face, int cellHeight) {
    // A positive height asks for the cell height, not the character height.
    // Any character set: the text is Unicode and may need a linked font.
    HFONT font = CreateFontW(cellHeight, 0, 0, 0, FW_DONTCARE, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                             DEFAULT_PITCH | FF_DONTCARE, Widen(face).c_str());
    if (!font) return;
    HGDIOBJ replaced = SelectObject(dc_, font);
    if (!previousFont_) previousFont_ = replaced;
    if (font_) DeleteObject(font_);
    font_ = font;
}

bool GdiPrintSurface::StartDocument(std::string_view name) {
    const std::wstring documentName = Widen(name);
    DOCINFOW info{};
    info.cbSize = sizeof(info);
    info.lpszDocName = documentName.c_str();
    documentOpen_ = StartDocW(dc_, &info) > 0;
    return documentOpen_;
}

bool GdiPrintSurface::StartPage() { return documentOpen_ && ::StartPage(dc_) > 0; }

void GdiPrintSurface::DrawText(int x, int y, std::string_view text) {
    const std::wstring units = Widen(text);
    TextOutW(dc_, x, y, units.c_str(), static_cast<int>(units.size()));
}

bool GdiPrintSurface::EndPage() { return documentOpen_ && ::EndPage(dc_) > 0; }

bool GdiPrintSurface::EndDocument() {
    // A failed job stays open, to be dropped when the surface goes.
    if (!documentOpen_ || EndDoc(dc_) <= 0) return false;
    documentOpen_ = false;
    return true;
}

}  // namespace kinpath::win32
