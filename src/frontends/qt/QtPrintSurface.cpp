#include "frontends/qt/QtPrintSurface.h"

#include <QFile>
#include <QFontMetrics>
#include <QPrinter>
#include <QString>

#include <algorithm>

#include "frontends/qt/Utf8.h"
#include "platform/Files.h"

namespace kinpath::qt {

namespace {

int CellHeight(const QFont& font, QPaintDevice* device) {
    QFontMetrics metrics(font, device);
    return metrics.ascent() + metrics.descent();
}

}  // namespace

bool PrintableFile(const QString& name) {
    const FileKind kind =
        name.isEmpty() ? FileKind::Missing : KindOf(QFile::encodeName(name).toStdString());
    return kind == FileKind::Missing || kind == FileKind::Regular;
}

QFont FontForCellHeight(const QString& face, int cellHeight, QPaintDevice* device) {
    QFont font(face);
    font.setStyleHint(QFont::SansSerif);
    if (cellHeight <= 0) return font;
    // Pixel sizes give the em; the cell is taller by the face's own ratio.
    font.setPixelSize(cellHeight);
    const int fullCell = std::max(1, CellHeight(font, device));
    int size =
        std::max(1, static_cast<int>(static_cast<long long>(cellHeight) * cellHeight / fullCell));
    font.setPixelSize(size);
    while (size > 1 && CellHeight(font, device) > cellHeight) font.setPixelSize(--size);
    for (;;) {
        QFont larger = font;
        larger.setPixelSize(size + 1);
        if (CellHeight(larger, device) > cellHeight) break;
        font = larger;
        ++size;
    }
    return font;
}

QtPrintSurface::QtPrintSurface(std::unique_ptr<QPrinter> printer) : printer_(std::move(printer)) {}

QtPrintSurface::~QtPrintSurface() = default;

bool QtPrintSurface::SelectionOnly() const { return printer_->printRange() == QPrinter::Selection; }

bool QtPrintSurface::PageRangeChosen() const {
    return printer_->printRange() == QPrinter::PageRange;
}

int QtPrintSurface::FirstPage() const { return PageRangeChosen() ? printer_->fromPage() : 0; }

int QtPrintSurface::LastPage() const { return PageRangeChosen() ? printer_->toPage() : 0; }

int QtPrintSurface::DotsPerInchX() const { return printer_->resolution(); }

int QtPrintSurface::DotsPerInchY() const { return printer_->resolution(); }

void QtPrintSurface::SetFont(std::string_view face, int cellHeight) {
    font_ = FontForCellHeight(FromUtf8(face), cellHeight, printer_.get());
    if (painter_.isActive()) painter_.setFont(font_);
}

bool QtPrintSurface::StartDocument(std::string_view name) {
    printer_->setDocName(FromUtf8(name));
    if (!PrintableFile(printer_->outputFileName())) return false;
    if (!painter_.begin(printer_.get())) return false;
    painter_.setFont(font_);
    pagesStarted_ = 0;
    return true;
}

bool QtPrintSurface::Printing() const {
    return painter_.isActive() && printer_->printerState() != QPrinter::Error;
}

bool QtPrintSurface::StartPage() {
    if (!Printing()) return false;
    // The painter begins on the first page; each further page is a new one.
    if (pagesStarted_ > 0 && !printer_->newPage()) return false;
    ++pagesStarted_;
    return true;
}

void QtPrintSurface::DrawText(int x, int y, std::string_view text) {
    if (!painter_.isActive()) return;
    // y is the top of the text cell; the painter wants the baseline.
    const int ascent = painter_.fontMetrics().ascent();
    painter_.drawText(QPoint(x, y + ascent), FromUtf8(text));
}

bool QtPrintSurface::EndPage() { return Printing(); }

bool QtPrintSurface::EndDocument() {
    if (!Printing()) return false;
    // Ending the painter finishes the job; a file that cannot be written
    // fails only here.
    return painter_.end() && printer_->printerState() != QPrinter::Error;
}

}  // namespace kinpath::qt
