// The print surface of the page: the drawn pages become a part of the page that
// only the printer sees, and the browser's print dialog opens on them.
#pragma once

#include "window/View.h"

namespace kinpath::web {

class WebPrintSurface : public PrintSurface {
public:
    explicit WebPrintSurface(bool selectionOnly) : selectionOnly_(selectionOnly) {}

    bool SelectionOnly() const override { return selectionOnly_; }
    // The browser prints every page; its own dialog chooses among them.
    int FirstPage() const override { return 0; }
    int LastPage() const override { return 0; }
    // CSS pixels: 96 to the inch.
    int DotsPerInchX() const override { return 96; }
    int DotsPerInchY() const override { return 96; }
    void SetFont(std::string_view face, int cellHeight) override;
    bool StartDocument(std::string_view name) override;
    bool StartPage() override;
    void DrawText(int x, int y, std::string_view text) override;
    bool EndPage() override;
    bool EndDocument() override;

private:
    bool selectionOnly_;
};

}  // namespace kinpath::web
