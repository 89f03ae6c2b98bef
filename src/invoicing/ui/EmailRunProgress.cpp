#include "invoicing/ui/EmailRunProgress.h"

#include "invoicing/EmailSendLoop.h"

#include <QProgressBar>

#include <algorithm>

namespace tikkeli {

namespace {

void step(QProgressBar* bar, int done, int total)
{
    bar->setMaximum(std::max(total, 1));
    bar->setValue(std::min(done, bar->maximum()));
}

} // namespace

void FollowEmailRun(const EmailSendLoop& loop, QProgressBar* bar)
{
    const bool textShown = bar->isTextVisible();
    const QString format = bar->format();
    const auto plain = [bar, textShown, format] {
        bar->setTextVisible(textShown);
        bar->setFormat(format);
    };
    QObject::connect(&loop, &EmailSendLoop::preparing, bar, [bar](int done, int total) {
        bar->setFormat(QStringLiteral("Valmistellaan viestejä: %v / %m"));
        bar->setTextVisible(true);
        step(bar, done, total);
    });
    QObject::connect(&loop, &EmailSendLoop::progress, bar, [bar, plain](int done, int total) {
        plain();
        step(bar, done, total);
    });
    QObject::connect(&loop, &EmailSendLoop::finished, bar, plain);
    bar->setValue(0);
}

} // namespace tikkeli
