#include "platform/EmailRunReport.h"

#include <QStringList>

namespace tikkeli {

EmailRunReport EmailRunReport::of(const EmailRecipients& results, bool cancelled)
{
    EmailRunReport report;
    report.cancelled = cancelled;
    for (const EmailRecipient& r : results) {
        if (r.Sent) {
            ++report.sent;
        } else if (r.LeftUnsent) {
            ++report.leftUnsent;
            // Every one left unsent carries the same reason; a cancel is told apart.
            if (!cancelled && report.stopReason.isEmpty())
                report.stopReason = r.Error;
        } else {
            const bool withoutAddress = r.Address.trimmed().isEmpty();
            report.withoutAddress += withoutAddress ? 1 : 0;
            const QString name = r.Name.trimmed().isEmpty() ? r.Address.trimmed() : r.Name.trimmed();
            report.addFailure(name, r.Error);
            report.failures.last().withoutAddress = withoutAddress;
        }
    }
    return report;
}

void EmailRunReport::addFailure(const QString& name, const QString& why)
{
    ++failed;
    failures.append({name + QStringLiteral(": ") + why, false});
}

QString EmailRunReport::reasons(bool namingWithoutAddress) const
{
    QStringList lines;
    if (cancelled)
        lines << QStringLiteral("Lähetys keskeytettiin.");
    else if (!stopReason.isEmpty())
        lines << stopReason;
    int named = 0, more = 0;
    for (const Failure& f : failures) {
        if (f.withoutAddress && !namingWithoutAddress)
            continue;
        if (named < FailuresShown) {
            lines << f.line;
            ++named;
        } else {
            ++more;
        }
    }
    if (more > 0)
        lines << QStringLiteral("... ja %1 muuta.").arg(more);
    return lines.join(QStringLiteral("\r\n"));
}

} // namespace tikkeli
