#include "invoicing/ui/frmEmailPreview.h"

#include "ui_frmEmailPreview.h"

#include "base/Prompter.h"
#include "base/SharedState.h"
#include "db/Recordset.h"
#include "invoicing/EmailTemplate.h"
#include "db/ConfiguredDatabase.h"
#include "ui/FormPlacement.h"

#include <QFont>
#include <QFontDatabase>
#include <QTimer>

namespace tikkeli {

frmEmailPreview::frmEmailPreview(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::frmEmailPreview>())
{
    ui->setupUi(this);
    setObjectName(QStringLiteral("frmEmailPreview"));
    // uic names members after the object name, so the letter ä is given at run time.
    ui->cEnsimmainen->setObjectName(QStringLiteral("cEnsimmäinen"));
    setWindowTitle(State().ProgramTitle + QStringLiteral(" - Sähköpostilaskun esikatselu"));
    // The templates line up columns with spaces: a fixed-pitch font keeps them lined up.
    QFont font(QStringLiteral("Courier New"), 9);
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
    if (!QFontInfo(font).fixedPitch())
        font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    ui->tLaskuTeksti->setFont(font);
    connect(ui->cEnsimmainen, &QPushButton::clicked, this, &frmEmailPreview::ensimmainen);
    connect(ui->cEdellinen, &QPushButton::clicked, this, &frmEmailPreview::edellinen);
    connect(ui->cSeuraava, &QPushButton::clicked, this, &frmEmailPreview::seuraava);
    connect(ui->cViimeinen, &QPushButton::clicked, this, &frmEmailPreview::viimeinen);
    connect(ui->cClose, &QPushButton::clicked, this, &QDialog::reject);
    RestoreFormPlacement(this);

    // A preview without its database shows the message and stays empty; its caller closes it.
    QString message;
    if (std::optional<Database> db = OpenConfiguredDatabase(&message))
        m_db = std::move(*db);
    else
        ShowInfo(message);
}

frmEmailPreview::~frmEmailPreview() = default;

void frmEmailPreview::done(int result)
{
    SaveFormPlacement(this);
    QDialog::done(result);
}

void frmEmailPreview::SetRecordSource(bool invoices, const QString& sql)
{
    m_invoices = invoices;
    m_ids.clear();
    m_position = -1;
    if (!loaded())
        return;
    try {
        Recordset rs = m_db.openRecordset(sql, RecordsetType::Snapshot);
        const QString key = invoices ? QStringLiteral("jmID") : QStringLiteral("jmhID");
        for (; !rs.eof(); rs.moveNext())
            m_ids.push_back(rs.field(key).toInt64());
    } catch (const std::exception& e) {
        ShowInfo(CheckDatabaseSettingsText() + QStringLiteral("\r\n") + QString::fromStdString(e.what()));
        return;
    }
    if (!m_ids.isEmpty())
        moveTo(0);
}

void frmEmailPreview::SetSelButtons(bool enabled)
{
    for (QWidget* w : {ui->cEnsimmainen, ui->cEdellinen, ui->cSeuraava, ui->cViimeinen})
        w->setEnabled(enabled);
}

void frmEmailPreview::moveTo(int position)
{
    m_position = position;
    UpdatePreviewText();
}

void frmEmailPreview::ensimmainen()
{
    if (m_ids.isEmpty()) {
        Prompter::instance().beep();
        return;
    }
    moveTo(0);
}

void frmEmailPreview::edellinen()
{
    if (m_ids.isEmpty()) {
        Prompter::instance().beep();
        return;
    }
    if (m_position <= 0) {
        // Past the first record and back: the same record, shown anew.
        moveTo(0);
        Prompter::instance().beep();
        return;
    }
    moveTo(m_position - 1);
}

void frmEmailPreview::seuraava()
{
    if (m_ids.isEmpty()) {
        Prompter::instance().beep();
        return;
    }
    if (m_position >= m_ids.size() - 1) {
        moveTo(int(m_ids.size()) - 1);
        Prompter::instance().beep();
        return;
    }
    moveTo(m_position + 1);
}

void frmEmailPreview::viimeinen()
{
    if (m_ids.isEmpty()) {
        Prompter::instance().beep();
        return;
    }
    moveTo(int(m_ids.size()) - 1);
}

void frmEmailPreview::showText(QString text)
{
    // The message's CR LF line ends would show as stray marks in the box.
    ui->tLaskuTeksti->setPlainText(text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

void frmEmailPreview::UpdatePreviewText()
{
    if (m_position < 0 || m_position >= m_ids.size())
        return;
    // The template is read anew for every record, so an edited template shows at the next move.
    QString templ, why;
    const auto reason = [&why] { return why.isEmpty() ? QString() : QStringLiteral("\n\n") + why; };
    try {
        if (m_invoices) {
            if (!EmailTemplate::LoadInvoiceTemplate(templ, &why)) {
                ShowInfo(QStringLiteral("Laskupohjaa ei voida avata. Tarkista asetukista Email laskupohja.") + reason());
                return;
            }
            showText(EmailTemplate::FillInvoiceTemplate(templ, m_ids[m_position], m_db));
        } else {
            if (!EmailTemplate::LoadReminderTemplate(templ, &why)) {
                ShowInfo(QStringLiteral("Muistutuspohjaa ei voida avata. Tarkista asetuksista Email muistutuspohja.")
                         + reason());
                return;
            }
            showText(EmailTemplate::FillReminderTemplate(templ, m_ids[m_position], m_db));
        }
    } catch (const std::exception& e) {
        ShowInfo(QString::fromStdString(e.what()));
    }
}

} // namespace tikkeli
