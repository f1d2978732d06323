// The print surface on a printer device context from the print dialog: text in
// the printer's device pixels, with the top of each text cell at the given y.
#pragma once

#include "frontends/win32/Win32Api.h"
#include "window/View.h"

namespace kinpath::win32 {

class GdiPrintSurface : public PrintSurface {
public:
    // Takes the device context over; firstPage and lastPage 0 mean every page.
    GdiPrintSurface(HDC dc, bool selectionOnly, int firstPage, int lastPage);
    ~GdiPrintSurface() override;
    GdiPrintSurface(const GdiPrintSurface&) = delete;
    GdiPrintSurface& operator=(const GdiPrintSurface&) = delete;

    bool SelectionOnly() const override { return selectionOnly_; }
    int FirstPage() const override { return firstPage_; }
    int LastPage() const override { return lastPage_; }
    int DotsPerInchX() const override;
    int DotsPerInchY() const override;
    void SetFont(std::string_view face, int cellHeight) override;
    bool StartDocument(std::string_view name) override;
    bool StartPage() override;
    void DrawText(int x, int y, std::string_view text) override;
    bool EndPage() override;
    bool EndDocument() override;

private:
    HDC dc_;
    bool selectionOnly_;
    int firstPage_;
    int lastPage_;
    HFONT font_ = nullptr;
    HBRUSH brush_ = nullptr;
    // What the context held before, selected back at the end.
    HGDIOBJ previousFont_ = nullptr;
    HGDIOBJ previousBrush_ = nullptr;
    bool documentOpen_ = false;
};

}  // namespace kinpath::win32
