#include "EveryWindow.h"

#include "app/ui/frmAbout.h"
#include "app/ui/frmDemoVersion.h"
#include "app/ui/frmMain.h"
#include "backup/ui/frmBackup.h"
#include "backup/ui/frmBackupManagement.h"
#include "backup/ui/frmBackupRestore.h"
#include "backup/ui/frmService.h"
#include "catch/ui/frmSaalisPoisto.h"
#include "catch/ui/frmSaalisilmTulostus.h"
#include "catch/ui/frmSaalisilmoitus.h"
#include "contracts/ui/frmElaimet.h"
#include "contracts/ui/frmElainehdot.h"
#include "contracts/ui/frmHakuehdot.h"
#include "contracts/ui/frmHakuehdotVoimassaolo.h"
#include "contracts/ui/frmMoniliitosMV.h"
#include "contracts/ui/frmSopimushaku.h"
#include "contracts/ui/frmValitseElaimet.h"
#include "contracts/ui/frmVuokra.h"
#include "invoicing/ui/frmEmailPreview.h"
#include "invoicing/ui/frmLaskujenRajaus.h"
#include "invoicing/ui/frmLaskumalli.h"
#include "invoicing/ui/frmMaksujenLuonti.h"
#include "invoicing/ui/frmMaksut.h"
#include "invoicing/ui/frmMaksutListana.h"
#include "invoicing/ui/frmViitemaksut.h"
#include "lists/ui/frmGroupEmail.h"
#include "lists/ui/frmGroupEmail2.h"
#include "lists/ui/frmRaportinMuokkaus.h"
#include "lists/ui/frmSingleEmail.h"
#include "maps/ui/frmKartanTulostus.h"
#include "maps/ui/frmKartta.h"
#include "maps/ui/frmMittakaava.h"
#include "maps/ui/frmPiirrettavatTilat.h"
#include "maps/ui/frmTilaInfo.h"
#include "maps/ui/frmValitseTila.h"
#include "members/ui/frmHaku.h"
#include "members/ui/frmHakuehdotJ.h"
#include "members/ui/frmImportData.h"
#include "members/ui/frmJasen.h"
#include "members/ui/frmMoniliitos.h"
#include "members/ui/frmNimiHaku.h"
#include "members/ui/frmPiirre.h"
#include "members/ui/frmSeparators.h"
#include "printing/ui/ReportPreview.h"
#include "printing/ui/frmTulJarjValinta.h"
#include "printing/ui/frmTulostus.h"
#include "printing/ui/frmTulostusmuodonValinta.h"
#include "printing/ui/frmTulostusrajoitukset.h"
#include "settings/ui/frmAsetukset.h"

#include <QCoreApplication>
#include <QPointer>
#include <memory>

namespace tikkeli::test {

const std::map<QString, ListedWindow>& everyWindow()
{
    static const std::map<QString, ListedWindow> all = {
        {"frmMain", {[](Database&) -> QWidget* {
             auto* w = new frmMain;
             w->askOwnDatabase = [](QWidget*) { return false; };
             w->Load();
             return w;
         }}},
        {"frmAbout", {plain<frmAbout>()}},
        {"frmDemoVersion", {plain<frmDemoVersion>()}},
        {"frmBackup", {plain<frmBackup>()}},
        {"frmBackupRestore", {plain<frmBackupRestore>()}},
        {"frmBackupManagement", {plain<frmBackupManagement>()}},
        {"frmService", {plain<frmService>()}},
        {"frmSaalisilmoitus", {plain<frmSaalisilmoitus>()}},
        {"frmSaalisPoisto", {plain<frmSaalisPoisto>()}},
        {"frmSaalisilmTulostus", {plain<frmSaalisilmTulostus>()}},
        {"frmVuokra", {[](Database&) -> QWidget* { return frmVuokra::Load(); }}},
        {"frmElaimet", {plain<frmElaimet>()}},
        {"frmElainehdot", {loaded<frmElainehdot>()}},
        {"frmHakuehdot", {loaded<frmHakuehdot>()}},
        {"frmHakuehdotVoimassaolo", {loaded<frmHakuehdotVoimassaolo>()}},
        {"frmSopimushaku", {onDatabase<frmSopimushaku>()}},
        {"frmValitseElaimet", {plain<frmValitseElaimet>()}},
        {"frmMoniliitosMV", {[](Database&) -> QWidget* { return frmMoniliitosMV::open(); }}},
        {"frmEmailPreview", {plain<frmEmailPreview>()}},
        {"frmLaskujenRajaus", {plain<frmLaskujenRajaus>()}},
        {"frmLaskumalli", {plain<frmLaskumalli>()}},
        // Alt+D in the title box deletes the title shown.
        {"frmMaksujenLuonti", {plain<frmMaksujenLuonti>(), QStringLiteral("D")}},
        {"frmMaksut", {plain<frmMaksut>()}},
        {"frmMaksutListana", {plain<frmMaksutListana>()}},
        {"frmViitemaksut", {plain<frmViitemaksut>()}},
        {"frmGroupEmail", {plain<frmGroupEmail>()}},
        {"frmGroupEmail2", {plain<frmGroupEmail2>()}},
        {"frmRaportinMuokkaus", {plain<frmRaportinMuokkaus>()}},
        {"frmSingleEmail", {plain<frmSingleEmail>()}},
        {"frmKartanTulostus", {plain<frmKartanTulostus>()}},
        {"frmKartta", {[](Database&) -> QWidget* { return frmKartta::Load(); }}},
        {"frmMittakaava", {plain<frmMittakaava>()}},
        {"frmPiirrettavatTilat", {loaded<frmPiirrettavatTilat>()}},
        {"frmTilaInfo", {[](Database& db) -> QWidget* {
             auto* w = new frmTilaInfo(db);
             w->LoadInfo(1);
             return w;
         }}},
        {"frmValitseTila", {loaded<frmValitseTila>()}},
        {"frmHaku", {onDatabase<frmHaku>()}},
        {"frmHakuehdotJ", {plain<frmHakuehdotJ>()}},
        {"frmImportData", {plain<frmImportData>()}},
        {"frmJasen", {[](Database&) -> QWidget* { return frmJasen::Load(); }}},
        {"frmNimiHaku", {plain<frmNimiHaku>()}},
        {"frmPiirre", {plain<frmPiirre>()}},
        {"frmSeparators", {plain<frmSeparators>()}},
        {"frmMoniliitos", {[](Database&) -> QWidget* { return frmMoniliitos::open(); }}},
        {"ReportPreview", {[](Database&) -> QWidget* {
             ReportDocument doc;
             doc.pageSize = QSizeF(595, 842);
             doc.pages.resize(2);
             return new ReportPreview(std::make_shared<const ReportDocument>(doc));
         }}},
        {"frmTulJarjValinta", {plain<frmTulJarjValinta>()}},
        {"frmTulostus", {plain<frmTulostus>()}},
        {"frmTulostusmuodonValinta", {plain<frmTulostusmuodonValinta>()}},
        {"frmTulostusrajoitukset", {[](Database&) -> QWidget* { return frmTulostusrajoitukset::Instance(); }}},
        {"frmAsetukset", {plain<frmAsetukset>()}},
    };
    return all;
}

void closeAndDelete(QWidget* w)
{
    const QPointer<QWidget> open(w);
    w->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    delete open.data();
}

} // namespace tikkeli::test
