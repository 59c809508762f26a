#pragma once

#include "core/Message.h"
#include "records/RecordDialogs.h"
#include "render/ReportOutput.h"

#include <QString>

#include <functional>
#include <optional>

class QAction;
class QPrinter;
class QWidget;

namespace vantora {

// A document writer is refused: its name and its device URI both name "XPS".
bool isDocumentWriter(const QString& printerName, const QString& deviceUri);
// The CUPS device URI of a queue (lpstat -v); nothing when CUPS does not say.
std::optional<QString> printerDeviceUri(const QString& printerName);
// Checks the chosen printer: none, 62253 or 62254.
Message checkPrinter(const QString& printerName);
// The same check for a printer chosen without the dialog: a queue is checked
// (the refusal shown through `show`), output to a file passes.
bool acceptPrinter(const QPrinter& printer, const std::function<void(const Message&)>& show);

// Landscape, the whole sheet, one document named "Sample Document" per
// report page. Returns the number of documents printed.
int PrintReportPages(QPrinter& printer, int count, const ReportPageBuilder& build);

// The print dialog: no page ranges, no selection, no print to file. False
// when cancelled or refused (the refusal is shown through `show`).
bool ChoosePrinter(QPrinter& printer, QWidget* parent,
                   const std::function<void(const Message&)>& show);

// The print command of a page: the dialog (or the `fixed` printer, chosen
// without it), then `count` report pages, one document each.
void PrintReports(QWidget* parent, QPrinter* fixed, int count, const ReportPageBuilder& build,
                  const std::function<void(const Message&)>& show);

// The page's "Save as PDF" command on Ctrl+Shift+S, calling `save`; its menu
// chooses the paper (shown by the command's toolbar button).
QAction* addSavePdfAction(QWidget* page, const std::function<void()>& save);

// The paper of saved PDFs: A4 unless Letter was chosen; remembered in the
// settings.
QPageSize::PageSizeId reportPaper();
void setReportPaper(QPageSize::PageSizeId paper);

// Save as PDF: asks for the path (through `choose` when set, else the save
// dialog) proposing `proposedName`, and writes `count` pages on the report
// paper. None when cancelled or written.
using PdfPathChooser = std::function<std::optional<QString>(const FileRequest&)>;
Message SaveReportPdf(QWidget* parent, const PdfPathChooser& choose, const QString& proposedName,
                      int count, const ReportPageBuilder& build);

// The save dialog's request for a report PDF.
FileRequest reportPdfRequest(const QString& proposedName, const QString& directory);

} // namespace vantora
