#pragma once

#include <QString>
#include <functional>
#include <optional>

class QWidget;

namespace tikkeli {

class frmJasen;
class MemberFeaturesPanel;
class MemberInvoicesPanel;

// The member card's features and invoices tabs, its reference-digit button, and the commands
// that hand the member's data to the clipboard or to the e-mail windows.
class MemberCardParts {
public:
    // Adds the parts to every member window created from now on; more calls change nothing.
    static void install();
    // Puts the parts into one window (install() does this for each new window).
    static void extend(frmJasen& w);

    // Windows of other parts of the program. Unset: their entries stay disabled.
    // frmSingleEmail shown modally: the recipient, and the message text when one is given.
    static inline std::function<void(QWidget* parent, const QString& recipient, const std::optional<QString>& message)>
        SingleEmail;
    // frmGroupEmail shown modeless; true: to all members, false: to a feature group.
    static inline std::function<void(QWidget* parent, bool allMembers)> GroupEmail;
    // frmMoniliitos shown modeless.
    static inline std::function<void(QWidget* parent)> Moniliitos;

    // The parts as put into a window (for the window's own tests).
    static MemberFeaturesPanel* features(frmJasen& w);
    static MemberInvoicesPanel* invoices(frmJasen& w);

    // The member-data commands, also reachable without the menus.
    static void CopyContactData(frmJasen& w);
    static void CopyMemberDataToClipboard(frmJasen& w);
    static void EmailMemberData(frmJasen& w);
    static void AddReferenceCheckDigit(frmJasen& w);
    // Keeps the card's copy of the fee flag in step after an invoice was marked paid.
    static void MemberFeePaid(frmJasen& w, qint32 memberId);
};

} // namespace tikkeli
