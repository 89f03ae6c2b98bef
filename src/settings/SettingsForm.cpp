#include "settings/SettingsForm.h"

#include "settings/SettingsCheck.h"

namespace tikkeli {

const QStringList& SettingsForm::textControls()
{
    static const QStringList names = {
        QStringLiteral("tNimi"),
        QStringLiteral("tHenkilonimi"),
        QStringLiteral("tOsoite"),
        QStringLiteral("tPostinumero"),
        QStringLiteral("tPostitoimipaikka"),
        QStringLiteral("tPuhelin"),
        QStringLiteral("tFax"),
        QStringLiteral("tSeuranEmail"),
        QStringLiteral("tWww"),
        QStringLiteral("tYtunnus"),
        QStringLiteral("tPankkiyhteys1"),
        QStringLiteral("tPankkiyhteys2"),
        QStringLiteral("tIBAN1"),
        QStringLiteral("tIBAN2"),
        QStringLiteral("tBIC1"),
        QStringLiteral("tBIC2"),
        QStringLiteral("tMargYla"),
        QStringLiteral("tMargAla"),
        QStringLiteral("tMargVas"),
        QStringLiteral("tMargOik"),
        QStringLiteral("tTarMargYla"),
        QStringLiteral("tTarMargAla"),
        QStringLiteral("tTarMargVas"),
        QStringLiteral("tTarMargOik"),
        QStringLiteral("cmbFonts"),
        QStringLiteral("cmbFonttiKoko"),
        QStringLiteral("tTietokanta"),
        QStringLiteral("tVarmistus"),
        QStringLiteral("tVarmuuskopioPv"),
        QStringLiteral("tLaskunumero"),
        QStringLiteral("tJasennumero"),
        QStringLiteral("tSopimusnumero"),
        QStringLiteral("tEmailLaskupohja"),
        QStringLiteral("tEmailKarhupohja"),
        QStringLiteral("tMuistutuskulut"),
        QStringLiteral("tViivastysKorko"),
        QStringLiteral("tEmail"),
        QStringLiteral("tSMTP"),
        QStringLiteral("tTukiEmail"),
        QStringLiteral("tMuistutusOtsake"),
        QStringLiteral("tMuistutusAlkuteksti"),
        QStringLiteral("tMuistutusLopputeksti"),
    };
    return names;
}

const QStringList& SettingsForm::checkControls()
{
    static const QStringList names = {
        QStringLiteral("chkMuistutaVarmistuksesta"),
        QStringLiteral("chkJasennumero"),
        QStringLiteral("chkSopimusnumero"),
        QStringLiteral("chkTilatieto"),
    };
    return names;
}

SettingsForm SettingsForm::fromState(const SharedState& s)
{
    SettingsForm f;
    auto set = [&f](const char* control, const QString& value) { f.setText(QString::fromLatin1(control), value); };
    auto number = [](qint64 n) { return QString::number(n); };

    set("tNimi", s.ClubName);
    set("tHenkilonimi", s.ContactPerson);
    set("tOsoite", s.ClubAddress);
    set("tPostinumero", s.ClubPostalCode);
    set("tPostitoimipaikka", s.ClubPostOffice);
    set("tPuhelin", s.ClubPhone);
    set("tFax", s.ClubFax);
    set("tSeuranEmail", s.ClubEmail);
    set("tWww", s.ClubWebAddress);
    set("tYtunnus", s.BusinessId);
    set("tPankkiyhteys1", s.BankAccount1);
    set("tPankkiyhteys2", s.BankAccount2);
    set("tIBAN1", s.Iban1);
    set("tIBAN2", s.Iban2);
    set("tBIC1", s.Bic1);
    set("tBIC2", s.Bic2);
    set("tMargYla", number(s.MarginTop));
    set("tMargAla", number(s.MarginBottom));
    set("tMargVas", number(s.MarginLeft));
    set("tMargOik", number(s.MarginRight));
    set("tTarMargYla", number(s.LabelMarginTop));
    set("tTarMargAla", number(s.LabelMarginBottom));
    set("tTarMargVas", number(s.LabelMarginLeft));
    set("tTarMargOik", number(s.LabelMarginRight));
    set("cmbFonts", s.ReportFontName);
    set("cmbFonttiKoko", number(s.ReportFontSize));
    set("tTietokanta", s.DatabasePath);
    set("tVarmistus", s.BackupFolder);
    set("tVarmuuskopioPv", number(s.BackupReminderDays));
    set("tLaskunumero", number(s.InvoiceNumberCounter));
    set("tJasennumero", number(s.MemberNumberCounter));
    set("tSopimusnumero", number(s.ContractNumberCounter));
    set("tEmailLaskupohja", s.InvoiceTemplatePath);
    set("tEmailKarhupohja", s.ReminderTemplatePath);
    set("tMuistutuskulut", s.ReminderFee.toString());
    set("tViivastysKorko", SettingsCheck::numberText(s.LateInterestRate));
    set("tEmail", s.SenderEmail);
    set("tSMTP", s.SmtpServer);
    set("tTukiEmail", s.SupportEmail);
    set("tMuistutusOtsake", s.ReminderTitle);
    set("tMuistutusAlkuteksti", s.ReminderOpening);
    set("tMuistutusLopputeksti", s.ReminderClosing);

    f.setChecked(QStringLiteral("chkMuistutaVarmistuksesta"), s.RemindBackup);
    f.setChecked(QStringLiteral("chkJasennumero"), s.AutoMemberNumbers);
    f.setChecked(QStringLiteral("chkSopimusnumero"), s.AutoContractNumbers);
    f.setChecked(QStringLiteral("chkTilatieto"), s.ExtendedEstateInfo);
    return f;
}

} // namespace tikkeli
