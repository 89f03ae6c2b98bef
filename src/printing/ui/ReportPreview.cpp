#include "printing/ui/ReportPreview.h"

#include "base/FileFilters.h"
#include "base/Folders.h"
#include "base/Prompter.h"
#include "printing/PagePainter.h"
#include "printing/ReportEngine.h"
#include "printing/ReportError.h"
#include "printing/ui/ReportPrinting.h"
#include "settings/ui/FormPlacement.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

namespace tikkeli {

ReportPreview::ReportPreview(std::shared_ptr<const ReportDocument> doc, QWidget* parent)
    : QWidget(parent, Qt::Window), m_doc(std::move(doc))
{
    setObjectName(QStringLiteral("ReportPreview"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Tikkeli - ") + (m_doc->title.isEmpty() ? QStringLiteral("Raportti") : m_doc->title));

    auto button = [this](const QString& text, const char* name) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        return b;
    };
    cFirst = button(QStringLiteral("|<"), "cFirst");
    cPrevious = button(QStringLiteral("<"), "cPrevious");
    cNext = button(QStringLiteral(">"), "cNext");
    cLast = button(QStringLiteral(">|"), "cLast");
    cFirst->setToolTip(QStringLiteral("Ensimmäinen sivu"));
    cPrevious->setToolTip(QStringLiteral("Edellinen sivu"));
    cNext->setToolTip(QStringLiteral("Seuraava sivu"));
    cLast->setToolTip(QStringLiteral("Viimeinen sivu"));
    lblPage = new QLabel(this);
    lblPage->setObjectName(QStringLiteral("lblPage"));
    cmbZoom = new QComboBox(this);
    cmbZoom->setObjectName(QStringLiteral("cmbZoom"));
    cmbZoom->addItem(QStringLiteral("Koko sivu"), 0);
    cmbZoom->addItem(QStringLiteral("Sivun leveys"), -1);
    for (int z : {50, 75, 100, 150, 200})
        cmbZoom->addItem(QStringLiteral("%1 %").arg(z), z);
    cmbZoom->setCurrentIndex(1);
    cPrint = button(QStringLiteral("Tulosta..."), "cPrint");
    cSavePdf = button(QStringLiteral("Tallenna PDF..."), "cSavePdf");
    cClose = button(QStringLiteral("Sulje"), "cClose");

    m_toolbar = new QWidget(this);
    auto* bar = new QHBoxLayout(m_toolbar);
    bar->setContentsMargins(0, 0, 0, 0);
    for (QWidget* w : std::initializer_list<QWidget*>{cFirst, cPrevious, lblPage, cNext, cLast, cmbZoom, cPrint, cSavePdf})
        bar->addWidget(w);
    bar->addStretch();
    bar->addWidget(cClose);

    m_pageView = new QLabel;
    m_pageView->setAlignment(Qt::AlignCenter);
    m_scroll = new QScrollArea(this);
    m_scroll->setWidget(m_pageView);
    m_scroll->setWidgetResizable(true);
    m_scroll->setBackgroundRole(QPalette::Dark);
    m_scroll->viewport()->installEventFilter(this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_toolbar);
    layout->addWidget(m_scroll, 1);

    connect(cFirst, &QPushButton::clicked, this, [this] { setPage(0); });
    connect(cPrevious, &QPushButton::clicked, this, [this] { setPage(m_page - 1); });
    connect(cNext, &QPushButton::clicked, this, [this] { setPage(m_page + 1); });
    connect(cLast, &QPushButton::clicked, this, [this] { setPage(int(m_doc->pages.size()) - 1); });
    connect(cmbZoom, &QComboBox::currentIndexChanged, this, [this] { setZoom(cmbZoom->currentData().toInt()); });
    connect(cPrint, &QPushButton::clicked, this, &ReportPreview::print);
    connect(cSavePdf, &QPushButton::clicked, this, &ReportPreview::savePdf);
    connect(cClose, &QPushButton::clicked, this, &QWidget::close);

    resize(900, 1000);
    RestoreFormPlacement(this);
    render();
}

void ReportPreview::showFor(const ReportEngine& engine)
{
    m_toolbar->setVisible(engine.WindowControls);
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
    const int i = cmbZoom->findData(zoom);
    if (i >= 0 && i != cmbZoom->currentIndex())
        cmbZoom->setCurrentIndex(i);
    render();
}

double ReportPreview::scale() const
{
    const double screen = logicalDpiX() / 72.0;
    const QSizeF page = m_doc->pageSize;
    const QSize room = m_scroll->viewport()->size() - QSize(24, 24);
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
    lblPage->setText(QStringLiteral("Sivu %1 / %2").arg(count ? m_page + 1 : 0).arg(count));
    cFirst->setEnabled(m_page > 0);
    cPrevious->setEnabled(m_page > 0);
    cNext->setEnabled(m_page + 1 < count);
    cLast->setEnabled(m_page + 1 < count);
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
    m_pageView->setPixmap(QPixmap::fromImage(image));
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
    const auto path = Prompter::instance().saveFile(request);
    if (!path || path->isEmpty())
        return;
    QString file = *path;
    if (!file.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive))
        file += QStringLiteral(".pdf");
    try {
        PagePainter::writePdf(*m_doc, file);
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
    if (watched == m_scroll->viewport() && e->type() == QEvent::Resize && m_zoom <= 0)
        render();
    return QWidget::eventFilter(watched, e);
}

void ReportPreview::closeEvent(QCloseEvent* e)
{
    SaveFormPlacement(this);
    QWidget::closeEvent(e);
}

} // namespace tikkeli
