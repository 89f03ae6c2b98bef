#pragma once

#include "base/Currency.h"

#include <QDateTime>
#include <QString>

namespace tikkeli {

// The program's shared settings state: filled once at start-up (paths from the ini file, the rest
// from the club database) and changed afterwards only by the settings save, the users of the
// number counters and SaveDatabasePath. Windows read it; they do not keep copies.
struct SharedState {
    QString IniFileName = QStringLiteral("Tikkeli.ini");
    QString ProgramTitle = QStringLiteral("Tikkeli");

    QString DatabasePath;
    QString BackupFolder;
    QString ClubName;
    qint16 PrintCopies = 1;

    QString InvoiceTemplatePath;
    QString ReminderTemplatePath;
    QString RefPaymentFolder;
    QString ContactPerson;
    QString ClubAddress;
    QString ClubPostalCode;
    QString ClubPostOffice;
    QString ClubPhone;
    QString ClubFax;
    QString ClubEmail;
    QString ClubWebAddress;
    QString BusinessId;
    QString SenderEmail;
    QString SmtpServer;
    // Where the support file goes; empty until the user sets it.
    QString SupportEmail;
    QString BankAccount1;
    QString BankAccount2;
    QString Iban1;
    QString Iban2;
    QString Bic1;
    QString Bic2;

    qint32 InvoiceNumberCounter = 1;
    qint32 MemberNumberCounter = 1;
    qint32 ContractNumberCounter = 1;
    qint32 BackupReminderDays = 30;
    QDateTime LastBackupDate;

    qint16 MarginTop = 0;
    qint16 MarginBottom = 0;
    qint16 MarginLeft = 0;
    qint16 MarginRight = 0;
    qint16 LabelMarginRight = 0;
    qint16 LabelMarginLeft = 0;
    qint16 LabelMarginTop = 0;
    qint16 LabelMarginBottom = 0;
    QString ReportFontName = QStringLiteral("Times New Roman");
    qint16 ReportFontSize = 10;

    bool ExtendedEstateInfo = false;
    bool AutoMemberNumbers = false;
    bool AutoContractNumbers = false;
    bool RemindBackup = false;

    Currency ReminderFee;
    double LateInterestRate = 0.0;
    QString ReminderTitle;
    QString ReminderOpening;
    QString ReminderClosing;

    // The club file (as its canonical path) the settings above were read from or saved into; empty
    // while they are the defaults of a start-up that could not read them. Settings are stored into
    // a file only over what was read of it.
    QString SettingsFile;
};

// The one instance of the running program (tests reset it with State() = SharedState{}).
SharedState& State();

} // namespace tikkeli
