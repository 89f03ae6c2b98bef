#include "members/ui/MemberCardParts.h"

#include "base/ErrorHandling.h"
#include "base/Prompter.h"
#include "base/ui/WindowHooks.h"
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
#include <QFrame>
#include <QGuiApplication>
#include <QLayout>
#include <QLineEdit>
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

QString BoxText(frmJasen& w, int index)
{
    return w.tYhteystiedot[std::size_t(index)]->text();
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

MemberFeaturesPanel* MemberCardParts::features(frmJasen& w)
{
    return w.findChild<MemberFeaturesPanel*>(QStringLiteral("MemberFeaturesPanel"));
}

MemberInvoicesPanel* MemberCardParts::invoices(frmJasen& w)
{
    return w.findChild<MemberInvoicesPanel*>(QStringLiteral("MemberInvoicesPanel"));
}

void MemberCardParts::extend(frmJasen& w)
{
    const auto database = [&w] { return w.database(); };

    auto* features = new MemberFeaturesPanel(database, w.frameTabs[1]);
    w.frameTabs[1]->layout()->addWidget(features);
    w.addPanel(features);
    QObject::connect(features, &MemberFeaturesPanel::valueEdited, &w, [&w] {
        // No current record: there is nothing to edit.
        IgnoringErrors("member card: begin an edit", [&] { w.Data1.beginEdit(); });
    });
    QObject::connect(w.mLisaaPiirre, &QAction::triggered, features, &MemberFeaturesPanel::cLisaaPiirre_Click);
    QObject::connect(w.mPoistaPiirre, &QAction::triggered, features, &MemberFeaturesPanel::DeleteFeature);
    QObject::connect(w.mSelaaPiirre, &QAction::triggered, features, &MemberFeaturesPanel::cSelaaPiirre_Click);
    for (QAction* a : {w.mLisaaPiirre, w.mPoistaPiirre, w.mSelaaPiirre})
        a->setEnabled(true);

    auto* invoices = new MemberInvoicesPanel(database, w.frameTabs[2]);
    w.frameTabs[2]->layout()->addWidget(invoices);
    w.addPanel(invoices);
    QObject::connect(invoices, &MemberInvoicesPanel::memberFeePaid, &w,
                     [&w](qint32 memberId) { MemberFeePaid(w, memberId); });

    w.cLisaaViiteTarkiste->setEnabled(true);
    QObject::connect(w.cLisaaViiteTarkiste, &QPushButton::clicked, &w, [&w] { AddReferenceCheckDigit(w); });
    w.mKopioiYhteystiedot->setEnabled(true);
    QObject::connect(w.mKopioiYhteystiedot, &QAction::triggered, &w, [&w] { CopyContactData(w); });
    w.mRekisteritiedotLeikepoydalle->setEnabled(true);
    QObject::connect(w.mRekisteritiedotLeikepoydalle, &QAction::triggered, &w, [&w] { CopyMemberDataToClipboard(w); });

    // The e-mail windows and the bulk attach belong to other parts; their entries wait for them.
    const bool single = WindowHooks::has(WindowHook::SingleEmail);
    w.cEmail->setEnabled(single);
    w.mRekisteritiedotEmailiin->setEnabled(single);
    QObject::connect(w.cEmail, &QPushButton::clicked, &w, [&w] {
        WindowHooks::run(WindowHook::SingleEmail, &w, {BoxText(w, EmailBox), std::nullopt});
    });
    QObject::connect(w.mRekisteritiedotEmailiin, &QAction::triggered, &w, [&w] { EmailMemberData(w); });
    w.mEmailKaikille->setEnabled(WindowHooks::has(WindowHook::GroupEmailAll));
    w.mEmailOminaisuudella->setEnabled(WindowHooks::has(WindowHook::GroupEmailFeature));
    QObject::connect(w.mEmailKaikille, &QAction::triggered, &w, [&w] { WindowHooks::run(WindowHook::GroupEmailAll, &w); });
    QObject::connect(w.mEmailOminaisuudella, &QAction::triggered, &w,
                     [&w] { WindowHooks::run(WindowHook::GroupEmailFeature, &w); });
    w.mMoniliitos->setEnabled(WindowHooks::has(WindowHook::FeatureAttach));
    QObject::connect(w.mMoniliitos, &QAction::triggered, &w, [&w] {
        // A window that fails to open is no reason to stop the member register.
        IgnoringErrors("member card: open the multi-attach window",
                       [&] { WindowHooks::run(WindowHook::FeatureAttach, &w); });
    });
}

void MemberCardParts::CopyContactData(frmJasen& w)
{
    PutOnClipboard(ComposeContactCopy(BoxText(w, MemberCardFields::Surname), BoxText(w, FirstNameBox),
                                      BoxText(w, AddressBox), BoxText(w, PostalCodeBox), BoxText(w, TownBox)));
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
        WindowHooks::run(WindowHook::SingleEmail, &w, {BoxText(w, EmailBox), *text});
}

void MemberCardParts::AddReferenceCheckDigit(frmJasen& w)
{
    QLineEdit* box = w.tYhteystiedot[std::size_t(MemberCardFields::Reference)];
    const ReferenceNumber::CardResult r = ReferenceNumber::appendToCardText(box->text());
    if (!r.ok()) {
        ShowInfo(r.notice);
        return;
    }
    // Set as typed: the card counts as changed and the number is written with the card.
    box->setText(r.text);
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
        w.chkJasenmaksu->setChecked(true);
    });
}

} // namespace tikkeli
