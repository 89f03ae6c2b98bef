#pragma once

#include <QWidget>

#include <memory>

namespace Ui {
class frmGroupEmail;
}

namespace tikkeli {

// "Tikkeli - Ryhmäsähköposti 1 / 2": the message of a group e-mail (subject, text, attachments).
// "Seuraava -->" hands them to step 2 (frmGroupEmail2, modeless) and closes; while another group
// e-mail is being sent it says so and stays. "Peru", Esc and the title bar's close end the group
// e-mail, asking first when something was typed. The sender box shows the settings' sender, which every message
// uses. Layout in frmGroupEmail.ui.
class frmGroupEmail : public QWidget {
    Q_OBJECT
public:
    explicit frmGroupEmail(QWidget* parent = nullptr);
    ~frmGroupEmail() override;

    // True: step 2 sends to every member (the list locked); false: to the members the user picks.
    bool ToAll = false;

    void cSeuraava_Click();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // A subject, a text or an attachment that closing would lose.
    bool typed() const;

    std::unique_ptr<Ui::frmGroupEmail> ui;
    bool m_handedOver = false;
};

} // namespace tikkeli
