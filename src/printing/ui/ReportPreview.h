#pragma once

#include "printing/ReportDocument.h"

#include <QWidget>
#include <memory>

namespace Ui {
class ReportPreview;
}

namespace tikkeli {

class ReportEngine;

// The preview window of a report: one page at a time, paging, zoom, printing and saving as PDF.
// Controls (see the .ui file): cFirst, cPrevious, lblPage, cNext, cLast, cmbZoom, cPrint, cSavePdf,
// cClose.
class ReportPreview : public QWidget {
    Q_OBJECT
public:
    explicit ReportPreview(std::shared_ptr<const ReportDocument> doc, QWidget* parent = nullptr);
    ~ReportPreview() override;

    // Shows the window as the engine's window options say (maximised for WindowState 2).
    void showFor(const ReportEngine& engine);

    int currentPage() const { return m_page; }
    void setPage(int page);
    // 0 whole page, -1 page width, otherwise per cent.
    void setZoom(int zoom);
    double scale() const;
    void print();
    void savePdf();

protected:
    void keyPressEvent(QKeyEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    void render();

    std::unique_ptr<Ui::ReportPreview> ui;
    std::shared_ptr<const ReportDocument> m_doc;
    int m_page = 0;
    int m_zoom = -1;
};

} // namespace tikkeli
