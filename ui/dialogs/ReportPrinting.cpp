// Printing reports through CUPS with Qt's print dialog and QPrinter: the
// document-writer refusal, landscape sheets and one job per report.
#include "ui/dialogs/ReportPrinting.h"

#include "core/AppSettings.h"
#include "core/Langpack.h"
#include "core/StringIds.h"
#include "ui/dialogs/ExportFileDialog.h"
#include "ui/frame/ModalDialogs.h"

#include <QAction>
#include <QActionGroup>
#include <QDir>
#include <QMenu>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>

namespace vantora {

bool isDocumentWriter(const QString& printerName, const QString& deviceUri) {
    const QString xps = QStringLiteral("XPS");
    return printerName.contains(xps, Qt::CaseSensitive) &&
           deviceUri.contains(xps, Qt::CaseSensitive);
}

std::optional<QString> printerDeviceUri(const QString& printerName) {
    QProcess lpstat;
    lpstat.start(QStringLiteral("lpstat"), {QStringLiteral("-v"), printerName});
    if (!lpstat.waitForFinished(10000) || lpstat.exitCode() != 0)
        return std::nullopt;
    // "device for NAME: URI"
    const QString line = QString::fromLocal8Bit(lpstat.readAllStandardOutput()).trimmed();
    const int colon = line.indexOf(QStringLiteral(": "));
    if (colon < 0)
        return std::nullopt;
    return line.mid(colon + 2);
}

Message checkPrinter(const QString& printerName) {
    const std::optional<QString> uri = printerDeviceUri(printerName);
    if (!uri)
        return Message{ids::kNoPrinterInfo, {}};
    if (isDocumentWriter(printerName, *uri))
        return Message{ids::kNotRealPrinter, {}};
    return {};
}

bool acceptPrinter(const QPrinter& printer, const std::function<void(const Message&)>& show) {
    if (printer.outputFormat() != QPrinter::NativeFormat)
        return true;
    const Message refused = checkPrinter(printer.printerName());
    if (!refused.isNone())
        show(refused);
    return refused.isNone();
}

int PrintReportPages(QPrinter& printer, int count, const ReportPageBuilder& build) {
    printer.setPageOrientation(QPageLayout::Landscape);
    printer.setFullPage(true);
    printer.setDocName(QStringLiteral("Sample Document"));
    const QSizeF sheetMm = printer.pageLayout().fullRect(QPageLayout::Millimeter).size();
    int printed = 0;
    for (int k = 0; k < count; ++k) {
        QPainter painter;
        if (!painter.begin(&printer))
            continue; // a document that cannot start is not reported
        const std::unique_ptr<ReportPage> page = build(k, reportSheetUnits(sheetMm));
        PaintReportSheet(painter, QRect(0, 0, printer.width(), printer.height()), sheetMm, *page,
                         false);
        if (painter.end())
            ++printed;
    }
    return printed;
}

bool ChoosePrinter(QPrinter& printer, QWidget* parent,
                   const std::function<void(const Message&)>& show) {
    printer.setPageOrientation(QPageLayout::Landscape);
    QPrintDialog dialog(&printer, parent);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, false);
    if (runModal(dialog) != QDialog::Accepted)
        return false;
    printer.setOutputFileName(QString()); // PDF has its own command
    return acceptPrinter(printer, show);
}

void PrintReports(QWidget* parent, QPrinter* fixed, int count, const ReportPageBuilder& build,
                  const std::function<void(const Message&)>& show) {
    QPrinter own(QPrinter::HighResolution);
    QPrinter& printer = fixed ? *fixed : own;
    if (fixed ? !acceptPrinter(printer, show) : !ChoosePrinter(printer, parent, show))
        return;
    PrintReportPages(printer, count, build);
}

namespace {
QMenu* paperMenu(QWidget* page) {
    auto* menu = new QMenu(page);
    auto* papers = new QActionGroup(menu);
    const std::pair<int, QPageSize::PageSizeId> choices[] = {
        {ids::kPaperA4, QPageSize::A4}, {ids::kPaperLetter, QPageSize::Letter}};
    for (const auto& [text, paper] : choices) {
        QAction* choice = menu->addAction(Langpack::text(text));
        choice->setCheckable(true);
        choice->setChecked(reportPaper() == paper);
        papers->addAction(choice);
        QObject::connect(choice, &QAction::triggered, [paper] { setReportPaper(paper); });
    }
    return menu;
}
} // namespace

QAction* addSavePdfAction(QWidget* page, const std::function<void()>& save) {
    // Command strings hold the status prompt, then "\n" and the button label.
    const QString text = Langpack::text(ids::kCmdPdf);
    auto* action = new QAction(QIcon(Langpack::resourcePath(QStringLiteral("icons/savepdf.svg"))),
                               text.section(u'\n', 1, 1), page);
    action->setStatusTip(text.section(u'\n', 0, 0));
    action->setToolTip(Langpack::text(ids::kSavePdfTitle));
    action->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    action->setMenu(paperMenu(page));
    QObject::connect(action, &QAction::triggered, page, save);
    page->addAction(action);
    return action;
}

QPageSize::PageSizeId reportPaper() {
    const std::optional<QString> paper = AppSettings().string(AppSettings::kReportPaper);
    return paper == QStringLiteral("Letter") ? QPageSize::Letter : QPageSize::A4;
}

void setReportPaper(QPageSize::PageSizeId paper) {
    const QString name =
        paper == QPageSize::Letter ? QStringLiteral("Letter") : QStringLiteral("A4");
    AppSettings().setString(AppSettings::kReportPaper, name);
}

Message SaveReportPdf(QWidget* parent, const PdfPathChooser& choose, const QString& proposedName,
                      int count, const ReportPageBuilder& build) {
    const FileRequest request = reportPdfRequest(proposedName, QDir::currentPath());
    const std::optional<QString> path =
        choose ? choose(request) : ExportFileDialog::choose(request, parent);
    return path ? WriteReportPdf(*path, reportPaper(), count, build).message() : Message{};
}

FileRequest reportPdfRequest(const QString& proposedName, const QString& directory) {
    FileRequest request;
    request.kind = FileRequest::Kind::Save;
    request.title = Langpack::text(ids::kSavePdfTitle);
    request.filters = {QStringLiteral("PDF (*.pdf)")};
    request.defaultSuffix = QStringLiteral("pdf");
    request.proposedName = proposedName;
    request.directory = directory;
    return request;
}

} // namespace vantora
