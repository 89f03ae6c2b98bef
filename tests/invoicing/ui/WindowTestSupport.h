#pragma once

#include "DialogScript.h"
#include "support/Controls.h"
#include "support/TempProgramEnvironment.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTimer>
#include <gtest/gtest.h>

#include <memory>
#include <utility>

namespace tikkeli::test {

// A window of the test's own, shown and settled as the user first sees it.
template <class W>
std::unique_ptr<W> openShown()
{
    auto w = std::make_unique<W>();
    w->show();
    QApplication::processEvents();
    return w;
}

inline QString labelText(const QObject& window, const char* name)
{
    return Control<QLabel>(window, name)->text();
}

// The built report files, copied into the test installation's program folder.
inline void installReports(const TempProgramEnvironment& env)
{
    const QDir built(QStringLiteral(TIKKELI_PROGRAM_DIR "/reports"));
    const QString target = env.programFolder() + QStringLiteral("/reports");
    QDir().mkpath(target);
    for (const QString& f : built.entryList({QStringLiteral("*.rpt")}, QDir::Files))
        QFile::copy(built.filePath(f), target + QLatin1Char('/') + f);
}

// Fills the range dialog when it comes up (the invoice numbers, and the state button when named)
// and answers it; then the dialogs that follow. Inside the timer a missing control fails the test
// with ASSERT, as an exception may not cross Qt's event loop.
inline void answerRange(const char* from, const char* to, const char* state = nullptr,
                        QList<std::pair<QString, QString>> then = {})
{
    QTimer::singleShot(0, [=] {
        QWidget* modal = QApplication::activeModalWidget();
        ASSERT_TRUE(modal);
        auto* a = modal->findChild<QLineEdit*>(QStringLiteral("tLaskunroAlku"));
        auto* l = modal->findChild<QLineEdit*>(QStringLiteral("tLaskunroLoppu"));
        ASSERT_TRUE(a && l);
        a->setText(QString::fromLatin1(from));
        l->setText(QString::fromLatin1(to));
        if (state) {
            auto* button = modal->findChild<QRadioButton*>(QString::fromLatin1(state));
            ASSERT_TRUE(button) << state;
            button->setChecked(true);
        }
    });
    then.prepend({QStringLiteral("frmLaskujenRajaus"), QStringLiteral("cSeuraava")});
    answerDialogs(std::move(then));
}

} // namespace tikkeli::test
