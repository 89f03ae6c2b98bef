#pragma once

#include "platform/EmailRecipient.h"

#include <QList>
#include <QString>

namespace tikkeli {

// What a run of separate messages came to, for the message that closes it: how many were sent,
// failed and left unsent, why the run stopped and each failure in the server's own words.
struct EmailRunReport {
    int sent = 0;
    // Tried and not taken, with those that had no address to try.
    int failed = 0;
    // Of the failed, those without an address.
    int withoutAddress = 0;
    // Not tried: the run stopped before them (a cancel, a server that could not be reached).
    int leftUnsent = 0;
    bool cancelled = false;
    // "Lähetys keskeytyi: " and why, when the server ended the run; empty otherwise.
    QString stopReason;
    struct Failure {
        QString line; // "name: why"
        bool withoutAddress = false;
    };
    // Each failed recipient, in the order of the run.
    QList<Failure> failures;

    // The recipients as the mailer returned them (Sent, Error, LeftUnsent).
    static EmailRunReport of(const EmailRecipients& results, bool cancelled);
    // Adds a failure of the caller's own (a message that could not even be made).
    void addFailure(const QString& name, const QString& why);
    // The reason the run stopped (or that it was cancelled) and the failures, the first few of
    // them and then how many more, one a line (CR LF); empty when there is nothing to tell.
    // namingWithoutAddress false leaves out those without an address (a caller that counts them).
    QString reasons(bool namingWithoutAddress = true) const;

    static constexpr int FailuresShown = 5;
};

} // namespace tikkeli
