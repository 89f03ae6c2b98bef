#include "app/ui/StartCheck.h"

#include "base/Folders.h"
#include "base/ScriptedPrompter.h"
#include "app/ui/frmMain.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QWindow>
#include <cstdio>

namespace tikkeli {

int RunStartCheck()
{
    ScriptedPrompter prompter;
    int rc = 0;
    {
        frmMain window;
        window.askOwnDatabase = [](QWidget*) { return false; };
        std::printf("Ohjelmakansio: %s\n", qPrintable(ProgramFolder()));
        if (!window.Load()) {
            std::fprintf(stderr, "Käynnistys päättyi ennen pääikkunaa.\n");
            rc = 2;
        } else {
            window.show();
            const QDeadlineTimer deadline(30000);
            while (!(window.windowHandle() && window.windowHandle()->isExposed()) && !deadline.hasExpired())
                QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
            if (window.windowHandle() && window.windowHandle()->isExposed()) {
                std::printf("Pääikkuna: %s\n", qPrintable(window.windowTitle()));
            } else {
                std::fprintf(stderr, "Pääikkuna ei tullut näkyviin.\n");
                rc = 3;
            }
            window.EndProgram();
        }
    }
    for (const ScriptedPrompter::Shown& s : prompter.shown()) {
        std::fprintf(stderr, "Viesti: %s\n", qPrintable(s.text));
        rc = rc ? rc : 4;
    }
    std::fflush(stdout);
    return rc;
}

} // namespace tikkeli
