#include "members/ui/MemberCardParts.h"

#include "ui_frmJasen.h"

#include "base/ErrorHandling.h"
#include "base/Prompter.h"
#include "ui/WindowHooks.h"
#include "db/Recordset.h"
#include "base/ReferenceNumber.h"
#include "members/MemberCardFields.h"
#include "members/modRekisteritiedot.h"
#include "members/ui/MemberFeaturesPanel.h"
#include "members/ui/MemberInvoicesPanel.h"
#include "members/ui/frmJasen.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>

namespace tikkeli {

namespace {

// Indexes of the card's box array tYhteystiedot.
constexpr int FirstNameBox = 2;
constexpr int AddressBox = 3;
constexpr int PostalCodeBox = 4;
constexpr int TownBox = 5;
constexpr int EmailBox = 8;

const QString NoMemberChosen = QStringLiteral("Jäsentä ei ole valittuna.");

void PutOnClipboard(const QString& text)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(text);
}

// The composed text of the member on the card; nullopt (after telling the user) for a card that
// is not in the database yet.
std::optional<QString> ComposeForCard(frmJasen& w)
{
    const qint64 id = w.currentMemberId();
    std::optional<QString> text;
    if (id != 0)
        text = ComposeMemberData(w.database(), qint32(id));
    if (!text)
        ShowInfo(NoMemberChosen);
    return text;
}

} // namespace

QLineEdit* MemberCardParts::box(frmJasen& w, int index)
{
    return w.tYhteystiedot[std::size_t(index)];
}

QString MemberCardParts::boxText(frmJasen& w, int index)
{
    return box(w, index)->text();
}

MemberFeaturesPanel* MemberCardParts::features(frmJasen& w)
{
    return w.ui->MemberFeaturesPanel;
}

MemberInvoicesPanel* MemberCardParts::invoices(frmJasen& w)
{
    return w.ui->MemberInvoicesPanel;
}

void MemberCardParts::extend(frmJasen& w)
{
    MemberFeaturesPanel* features = w.ui->MemberFeaturesPanel;
    QObject::connect(features, &MemberFeaturesPanel::valueEdited, &w, [&w] {
        // No current record: there is nothing to edit.
        IgnoringErrors("member card: begin an edit", [&] { w.Data1.beginEdit(); });
    });
    // The keys of the feature commands work from every tab: the features tab comes forward first,
    // so the list they move the focus to is the one the user sees, and no key lands in a hidden list.
    const auto onFeatures = [&w, features](QAction* action, void (MemberFeaturesPanel::*command)()) {
        QObject::connect(action, &QAction::triggered, features, [&w, features, command] {
            w.ui->TabStrip1->setCurrentWidget(w.ui->frameTabs_1);
            (features->*command)();
        });
    };
    onFeatures(w.ui->mLisaaPiirre, &MemberFeaturesPanel::cLisaaPiirre_Click);
    onFeatures(w.ui->mPoistaPiirre, &MemberFeaturesPanel::DeleteFeature);
    onFeatures(w.ui->mSelaaPiirre, &MemberFeaturesPanel::cSelaaPiirre_Click);
    for (QAction* a : {w.ui->mLisaaPiirre, w.ui->mPoistaPiirre, w.ui->mSelaaPiirre})
        a->setEnabled(true);

    QObject::connect(w.ui->MemberInvoicesPanel, &MemberInvoicesPanel::memberFeePaid, &w,
                     [&w](qint32 memberId) { MemberFeePaid(w, memberId); });

    w.ui->cLisaaViiteTarkiste->setEnabled(true);
    QObject::connect(w.ui->cLisaaViiteTarkiste, &QPushButton::clicked, &w, [&w] { AddReferenceCheckDigit(w); });
    w.ui->mKopioiYhteystiedot->setEnabled(true);
    QObject::connect(w.ui->mKopioiYhteystiedot, &QAction::triggered, &w, [&w] { CopyContactData(w); });
    w.ui->mRekisteritiedotLeikepoydalle->setEnabled(true);
    QObject::connect(w.ui->mRekisteritiedotLeikepoydalle, &QAction::triggered, &w, [&w] { CopyMemberDataToClipboard(w); });

    // The e-mail windows and the bulk attach belong to other parts; their entries wait for them.
    const bool single = WindowHooks::has(WindowHook::SingleEmail);
    w.ui->cEmail->setEnabled(single);
    w.ui->mRekisteritiedotEmailiin->setEnabled(single);
    QObject::connect(w.ui->cEmail, &QPushButton::clicked, &w, [&w] {
        WindowHooks::run(WindowHook::SingleEmail, &w, {boxText(w, EmailBox), std::nullopt});
    });
    QObject::connect(w.ui->mRekisteritiedotEmailiin, &QAction::triggered, &w, [&w] { EmailMemberData(w); });
    w.ui->mEmailKaikille->setEnabled(WindowHooks::has(WindowHook::GroupEmailAll));
    w.ui->mEmailOminaisuudella->setEnabled(WindowHooks::has(WindowHook::GroupEmailFeature));
    QObject::connect(w.ui->mEmailKaikille, &QAction::triggered, &w,
                     [&w] { WindowHooks::run(WindowHook::GroupEmailAll, &w); });
    QObject::connect(w.ui->mEmailOminaisuudella, &QAction::triggered, &w,
                     [&w] { WindowHooks::run(WindowHook::GroupEmailFeature, &w); });
    w.ui->mMuokkaaRaportteja->setEnabled(WindowHooks::has(WindowHook::ReportTemplateEditor));
    QObject::connect(w.ui->mMuokkaaRaportteja, &QAction::triggered, &w, [&w] {
        WindowHooks::run(WindowHook::ReportTemplateEditor, &w);
        FillReportMenu(w);
    });
    QObject::connect(w.ui->mMuokattavaRaporttiX_0, &QAction::triggered, &w, [&w] {
        WindowHooks::run(WindowHook::ReportTemplatePrint, &w,
                         {{}, std::nullopt, w.ui->mMuokattavaRaporttiX_0->data().toLongLong()});
    });
    FillReportMenu(w);
    // The member lists, payment histories and the address export belong to the lists; the card is
    // written first, so they print what it shows.
    const auto output = [&w](QAction* action, WindowHook hook, qint64 (*id)(frmJasen&)) {
        action->setEnabled(WindowHooks::has(hook));
        QObject::connect(action, &QAction::triggered, &w, [&w, hook, id] {
            if (w.SaveMember())
                WindowHooks::run(hook, &w, {QString(), std::nullopt, id ? id(w) : 0});
        });
    };
    output(w.ui->mRapLuettelotJaTarrat, WindowHook::MemberLists, nullptr);
    output(w.ui->mRapMaksuhistoriaJasenelle, WindowHook::MemberPaymentHistory,
           [](frmJasen& f) { return f.currentMemberId(); });
    output(w.ui->mRapMaksuhistoriaRyhmalle, WindowHook::GroupPaymentHistory,
           [](frmJasen& f) { return f.filterFeatureId(); });
    output(w.ui->mOsoitetietojenVienti, WindowHook::AddressExport, nullptr);
    w.ui->mMoniliitos->setEnabled(WindowHooks::has(WindowHook::FeatureAttach));
    QObject::connect(w.ui->mMoniliitos, &QAction::triggered, &w, [&w] {
        // A window that fails to open is no reason to stop the member register.
        IgnoringErrors("member card: open the multi-attach window",
                       [&] { WindowHooks::run(WindowHook::FeatureAttach, &w); });
    });
}

void MemberCardParts::FillReportMenu(frmJasen& w)
{
    QMenu* menu = w.ui->mMuokattavatRaportit;
    QAction* first = w.ui->mMuokattavaRaporttiX_0;
    for (QAction* a : menu->actions()) {
        if (a != first && a->objectName().startsWith(QLatin1String("mMuokattavaRaporttiX_")))
            delete a;
    }
    first->setVisible(false);
    QList<HookMenuEntry> entries;
    // A database that cannot be read leaves the menu without templates; the window still works.
    IgnoringErrors("member card: list the report templates",
                   [&] { entries = WindowHooks::menu(MenuHook::ReportTemplates); });
    const bool printable = WindowHooks::has(WindowHook::ReportTemplatePrint);
    for (qsizetype k = 0; k < entries.size(); ++k) {
        // Each entry carries its template's id: a template added or deleted since prints no other.
        QAction* a = first;
        if (k > 0) {
            a = new QAction(&w);
            a->setObjectName(QStringLiteral("mMuokattavaRaporttiX_%1").arg(k));
            const qint64 id = entries[k].id;
            QObject::connect(a, &QAction::triggered, &w, [&w, id] {
                WindowHooks::run(WindowHook::ReportTemplatePrint, &w, {{}, std::nullopt, id});
            });
            menu->addAction(a);
        }
        // "&" in a name is shown as typed, not taken as a key.
        a->setText(QString(entries[k].caption).replace(QLatin1Char('&'), QStringLiteral("&&")));
        a->setData(entries[k].id);
        a->setEnabled(printable);
        a->setVisible(true);
    }
}

void MemberCardParts::CopyContactData(frmJasen& w)
{
    PutOnClipboard(ComposeContactCopy(boxText(w, MemberCardFields::Surname), boxText(w, FirstNameBox),
                                      boxText(w, AddressBox), boxText(w, PostalCodeBox), boxText(w, TownBox)));
}

void MemberCardParts::CopyMemberDataToClipboard(frmJasen& w)
{
    const auto text = ComposeForCard(w);
    if (!text)
        return;
    PutOnClipboard(*text);
    ShowInfo(QStringLiteral("Jäsenen tiedot koostettu leikepöydälle."));
}

void MemberCardParts::EmailMemberData(frmJasen& w)
{
    if (!WindowHooks::has(WindowHook::SingleEmail))
        return;
    const auto text = ComposeForCard(w);
    if (text)
        WindowHooks::run(WindowHook::SingleEmail, &w, {boxText(w, EmailBox), *text});
}

void MemberCardParts::AddReferenceCheckDigit(frmJasen& w)
{
    QLineEdit* reference = box(w, MemberCardFields::Reference);
    const ReferenceNumber::CardResult r = ReferenceNumber::appendToCardText(reference->text());
    if (!r.ok()) {
        ShowInfo(r.notice);
        return;
    }
    // Set as typed: the card counts as changed and the number is written with the card.
    reference->setText(r.text);
}

void MemberCardParts::MemberFeePaid(frmJasen& w, qint32 memberId)
{
    if (w.currentMemberId() != memberId)
        return;
    // The database holds the paid fee; the card shows it after its next refresh.
    IgnoringErrors("member card: show the paid fee", [&] {
        Recordset& rs = w.Data1.recordset();
        const bool pending = rs.editMode() != EditMode::None;
        if (!pending)
            rs.edit();
        rs.setField(QStringLiteral("jrJasenmaksu"), Value(true));
        if (!pending)
            rs.update();
        w.ui->chkJasenmaksu->setChecked(true);
    });
}

} // namespace tikkeli
