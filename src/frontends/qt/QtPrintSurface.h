// Printing on a QPrinter: the painter draws in the printer's device
// pixels, one text cell per row, with the cell's top at the given y.
#pragma once

#include <QFont>
#include <QPainter>

#include <memory>

#include "window/View.h"

class QPrinter;

namespace kinpath::qt {

class QtPrintSurface : public PrintSurface {
public:
    explicit QtPrintSurface(std::unique_ptr<QPrinter> printer);
    ~QtPrintSurface() override;

    bool SelectionOnly() const override;
    int FirstPage() const override;
    int LastPage() const override;
    int DotsPerInchX() const override;
    int DotsPerInchY() const override;
    void SetFont(std::string_view face, int cellHeight) override;
    bool StartDocument(std::string_view name) override;
    bool StartPage() override;
    void DrawText(int x, int y, std::string_view text) override;
    bool EndPage() override;
    bool EndDocument() override;

    const QFont& Font() const { return font_; }

private:
    bool PageRangeChosen() const;
    // The job is still going: drawing, and the printer has not failed.
    bool Printing() const;

    std::unique_ptr<QPrinter> printer_;
    // After the printer, so that it goes first: a painter still active ends
    // the job before its printer is deleted.
    QPainter painter_;
    QFont font_;
    int pagesStarted_ = 0;
};

// A print the window refused before it began: it fails at its start, so that
// the user hears at once that nothing was printed.
class RefusedPrint : public PrintSurface {
public:
    bool SelectionOnly() const override { return false; }
    int FirstPage() const override { return 0; }
    int LastPage() const override { return 0; }
    int DotsPerInchX() const override { return 72; }
    int DotsPerInchY() const override { return 72; }
    void SetFont(std::string_view, int) override {}
    bool StartDocument(std::string_view) override { return false; }
    bool StartPage() override { return false; }
    void DrawText(int, int, std::string_view) override {}
    bool EndPage() override { return false; }
    bool EndDocument() override { return false; }
};

// Whether printing may go into the named file (relative to the working
// folder): one that does not exist yet, or a regular file. Anything else is
// never opened: a FIFO would hold the window in open() until something reads
// it, with no way to cancel.
bool PrintableFile(const QString& name);

// The font of the face whose cell (ascent plus descent) on the device is as
// close to cellHeight pixels as the face allows, never taller.
QFont FontForCellHeight(const QString& face, int cellHeight, QPaintDevice* device);

}  // namespace kinpath::qt
