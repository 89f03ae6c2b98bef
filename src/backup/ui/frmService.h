#pragma once

#include <QDialog>

#include <memory>
#include <optional>

namespace Ui {
class frmService;
}

namespace tikkeli {

class SupportFileSender;
class cMouseCursor;

// "Tikkeli - Huoltotiedoston lähetys": sends the database with the user's message to the support
// mailbox. Open modally: frmService dlg(parent); dlg.exec();
class frmService : public QDialog {
    Q_OBJECT
public:
    explicit frmService(QWidget* parent = nullptr);
    ~frmService() override;

    // The sender of the send on its way (or the last one); tests set its time-out.
    SupportFileSender* hss() const { return m_hss; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void done(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void cSend_Click();
    void hss_SendProgress(int value);
    void hss_SendCompletedSuccessfully();
    void hss_SendFailed(const QString& reason);
    void setSending(bool sending);
    void releaseSender();
    void unload();

    std::unique_ptr<Ui::frmService> m_ui;
    SupportFileSender* m_hss = nullptr;
    std::unique_ptr<cMouseCursor> m_cursor;
    bool m_placementSaved = false;
};

} // namespace tikkeli
