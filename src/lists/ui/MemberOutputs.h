#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace tikkeli {

// The member window's outputs, reached through its window hooks: the dialog chain of each, then
// the core print or export. A dialog closed or cancelled ends the command with nothing marked,
// printed or written. Every message goes through the prompter.
class MemberOutputs {
public:
    // "Luettelot ja tarrat": "Jäsenistön rajaus", the print form, the print dialog, then the list.
    static void PrintMemberList(QWidget* owner);
    // "Jäsenien maksuhistoria" → "Jäsenelle": the member memberId (0: "Jäsentä ei ole valittuna.").
    static void PrintMemberHistory(QWidget* owner, qint64 memberId);
    // → "Ryhmälle": the holders of the list filter's feature (0: every member).
    static void PrintGroupHistory(QWidget* owner, qint64 featureId);
    // "Osoitetietojen vienti": "Jäsenistön rajaus", the order, the file name, then the export; the
    // written file is opened with the desktop's program for it.
    static void ExportAddresses(QWidget* owner);

    // Opens the written file; OpenWithShell unless a test puts its own here.
    static inline std::function<void(const QString&)> openFile;
};

} // namespace tikkeli
