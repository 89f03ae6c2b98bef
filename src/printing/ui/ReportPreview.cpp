#include "printing/ui/ReportPreview.h"
#include "ui_ReportPreview.h"

#include "base/FileFilters.h"
#include "base/Folders.h"
#include "base/Prompter.h"
#include "db/OutputTarget.h"
#include "printing/PagePainter.h"
#include "printing/ReportEngine.h"
#include "printing/ReportError.h"
#include "printing/ui/ReportPrinting.h"
#include "ui/FormPlacement.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>

namespace tikkeli {

ReportPreview::ReportPreview(std::shared_ptr<const ReportDocument> doc, QWidget* parent)
    : QWidget(parent, Qt::Window), ui(std::make_unique<Ui::ReportPreview>()), m_doc(std::move(doc))
{
    ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Tikkeli - ") + (m_doc->title.isEmpty() ? QStringLiteral("Raportti") : m_doc->title));
    ui->cmbZoom->addItem(QStringLiteral("Koko sivu"), 0);
    ui->cmbZoom->addItem(QStringLiteral("Sivun leveys"), -1);
    for (int z : {50, 75, 100, 150, 200})
        ui->cmbZoom->addItem(QStringLiteral("%1 %").arg(z), z);
    ui->cmbZoom->setCurrentIndex(1);
    ui->pageArea->viewport()->installEventFilter(this);

    connect(ui->cFirst, &QPushButton::clicked, this, [this] { setPage(0); });
    connect(ui->cPrevious, &QPushButton::clicked, this, [this] { setPage(m_page - 1); });
    connect(ui->cNext, &QPushButton::clicked, this, [this] { setPage(m_page + 1); });
    connect(ui->cLast, &QPushButton::clicked, this, [this] { setPage(int(m_doc->pages.size()) - 1); });
    connect(ui->cmbZoom, &QComboBox::currentIndexChanged, this, [this] { setZoom(ui->cmbZoom->currentData().toInt()); });
    connect(ui->cPrint, &QPushButton::clicked, this, &ReportPreview::print);
    connect(ui->cSavePdf, &QPushButton::clicked, this, &ReportPreview::savePdf);
    connect(ui->cClose, &QPushButton::clicked, this, &QWidget::close);

    RestoreFormPlacement(this);
    render();
}

ReportPreview::~ReportPreview() = default;

void ReportPreview::showFor(const ReportEngine& engine)
{
    ui->toolbar->setVisible(engine.WindowControls);
    if (engine.WindowState == 2)
        showMaximized();
    else
        show();
}

void ReportPreview::setPage(int page)
{
    const int last = std::max(0, int(m_doc->pages.size()) - 1);
    m_page = std::clamp(page, 0, last);
    render();
}

void ReportPreview::setZoom(int zoom)
{
    m_zoom = zoom;
    const int i = ui->cmbZoom->findData(zoom);
    if (i >= 0 && i != ui->cmbZoom->currentIndex())
        ui->cmbZoom->setCurrentIndex(i);
    render();
}

double ReportPreview::scale() const
{
    const double screen = logicalDpiX() / 72.0;
    const QSizeF page = m_doc->pageSize;
    const QSize room = ui->pageArea->viewport()->size() - QSize(24, 24);
    if (m_zoom > 0 || page.isEmpty())
        return screen * std::max(m_zoom, 10) / 100.0;
    const double width = std::max(1, room.width()) / page.width();
    if (m_zoom < 0)
        return width;
    return std::min(width, std::max(1, room.height()) / page.height());
}

void ReportPreview::render()
{
    const int count = int(m_doc->pages.size());
    ui->lblPage->setText(QStringLiteral("Sivu %1 / %2").arg(count ? m_page + 1 : 0).arg(count));
    ui->cFirst->setEnabled(m_page > 0);
    ui->cPrevious->setEnabled(m_page > 0);
    ui->cNext->setEnabled(m_page + 1 < count);
    ui->cLast->setEnabled(m_page + 1 < count);
    if (!count)
        return;
    const double s = scale();
    const qreal ratio = devicePixelRatioF();
    QImage image((m_doc->pageSize * s * ratio).toSize(), QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.setDotsPerMeterX(int(logicalDpiX() / 0.0254));
    image.setDotsPerMeterY(int(logicalDpiY() / 0.0254));
    image.fill(Qt::white);
    QPainter painter(&image);
    PagePainter::paint(painter, *m_doc, m_page, s);
    painter.end();
    ui->pageView->setPixmap(QPixmap::fromImage(image));
}

void ReportPreview::print()
{
    QPrinter printer(QPrinter::HighResolution);
    if (!MainReport().PrinterName.isEmpty())
        printer.setPrinterName(MainReport().PrinterName);
    ApplyPrinterSetup(printer);
    const QPageLayout shown = printer.pageLayout();
    QPrintDialog dialog(&printer, this);
    dialog.setMinMax(1, std::max(1, int(m_doc->pages.size())));
    if (dialog.exec() != QDialog::Accepted)
        return;
    RememberPrinterSetup(printer, shown);
    try {
        PrintDocument(*m_doc, printer);
    } catch (const ReportException& e) {
        ShowWarning(QStringLiteral("Virhe tulostettaessa raporttia: ") + e.description());
    }
}

void ReportPreview::savePdf()
{
    FileDialogRequest request;
    request.title = QStringLiteral("Tallenna raportti PDF-tiedostona");
    request.folder = DocumentsFolder();
    request.fileName = (m_doc->title.isEmpty() ? QStringLiteral("raportti") : m_doc->title) + QStringLiteral(".pdf");
    request.filter = PdfFileFilter();
    request.defaultSuffix = QStringLiteral("pdf");
    OutputTarget::guard(request);
    const auto file = Prompter::instance().saveFile(request);
    if (!file || file->isEmpty())
        return;
    try {
        PagePainter::writePdf(*m_doc, *file);
    } catch (const ReportException& e) {
        ShowWarning(e.description());
    }
}

void ReportPreview::keyPressEvent(QKeyEvent* e)
{
    switch (e->key()) {
    case Qt::Key_PageDown: setPage(m_page + 1); return;
    case Qt::Key_PageUp: setPage(m_page - 1); return;
    case Qt::Key_Home:
        if (e->modifiers() & Qt::ControlModifier) {
            setPage(0);
            return;
        }
        break;
    case Qt::Key_End:
        if (e->modifiers() & Qt::ControlModifier) {
            setPage(int(m_doc->pages.size()) - 1);
            return;
        }
        break;
    case Qt::Key_Escape: close(); return;
    default: break;
    }
    QWidget::keyPressEvent(e);
}

// The fitting zooms follow the page area itself: the window's own resize comes before the layout
// has given the scroll area its new size, so the page would be fitted to the old one.
bool ReportPreview::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == ui->pageArea->viewport() && e->type() == QEvent::Resize && m_zoom <= 0)
        render();
    return QWidget::eventFilter(watched, e);
}

void ReportPreview::closeEvent(QCloseEvent* e)
{
    SaveFormPlacement(this);
    QWidget::closeEvent(e);
}

} // namespace tikkeli
