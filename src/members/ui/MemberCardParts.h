#pragma once

#include <QString>
#include <functional>
#include <optional>

class QLineEdit;
class QWidget;

namespace tikkeli {

class frmJasen;
class MemberFeaturesPanel;
class MemberInvoicesPanel;

// The wiring of the member card's features and invoices tabs, its reference-digit button, and the
// commands that hand the member's data to the clipboard or to the e-mail windows.
class MemberCardParts {
public:
    // Connects the tabs' panels and the commands; the member window calls it while it builds
    // itself. The windows of other parts (e-mail, the bulk attach) are the window hooks
    // SingleEmail, GroupEmailAll, GroupEmailFeature and FeatureAttach, and the member outputs
    // MemberLists, MemberPaymentHistory, GroupPaymentHistory and AddressExport; unset, their
    // entries stay disabled.
    static void extend(frmJasen& w);

    // The parts as put into a window (for the window's own tests).
    static MemberFeaturesPanel* features(frmJasen& w);
    static MemberInvoicesPanel* invoices(frmJasen& w);

    // The member-data commands, also reachable without the menus.
    static void CopyContactData(frmJasen& w);
    static void CopyMemberDataToClipboard(frmJasen& w);
    static void EmailMemberData(frmJasen& w);
    static void AddReferenceCheckDigit(frmJasen& w);
    // Rebuilds "Muokattavat Raportit": one entry per report template (MenuHook::ReportTemplates),
    // each printing its own rpID through WindowHook::ReportTemplatePrint.
    static void FillReportMenu(frmJasen& w);
    // Keeps the card's copy of the fee flag in step after an invoice was marked paid.
    static void MemberFeePaid(frmJasen& w, qint32 memberId);

private:
    static QLineEdit* box(frmJasen& w, int index);
    static QString boxText(frmJasen& w, int index);
};

} // namespace tikkeli
