#pragma once

#include "printing/ReportDocument.h"

#include <QWidget>
#include <memory>

class QComboBox;
class QLabel;
class QPushButton;
class QScrollArea;

namespace tikkeli {

class ReportEngine;

// The preview window of a report: one page at a time, paging, zoom, printing and saving as PDF.
class ReportPreview : public QWidget {
    Q_OBJECT
public:
    explicit ReportPreview(std::shared_ptr<const ReportDocument> doc, QWidget* parent = nullptr);

    // Shows the window as the engine's window options say (maximised for WindowState 2).
    void showFor(const ReportEngine& engine);

    int currentPage() const { return m_page; }
    void setPage(int page);
    // 0 whole page, -1 page width, otherwise per cent.
    void setZoom(int zoom);
    double scale() const;
    void print();
    void savePdf();

    QPushButton* cFirst;
    QPushButton* cPrevious;
    QPushButton* cNext;
    QPushButton* cLast;
    QLabel* lblPage;
    QComboBox* cmbZoom;
    QPushButton* cPrint;
    QPushButton* cSavePdf;
    QPushButton* cClose;

protected:
    void keyPressEvent(QKeyEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    void render();

    std::shared_ptr<const ReportDocument> m_doc;
    QWidget* m_toolbar;
    QScrollArea* m_scroll;
    QLabel* m_pageView;
    int m_page = 0;
    int m_zoom = -1;
};

} // namespace tikkeli
