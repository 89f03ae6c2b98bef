#include "maps/ui/frmPiirrettavatTilat.h"

#include "base/Error.h"
#include "base/Prompter.h"
#include "ui/DefaultButton.h"
#include "ui/FormPlacement.h"

#include "ui_frmPiirrettavatTilat.h"
#include "db/ConfiguredDatabase.h"

namespace tikkeli {

namespace {

} // namespace

frmPiirrettavatTilat::frmPiirrettavatTilat(Database db, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::frmPiirrettavatTilat>()), m_db(std::move(db))
{
    ui->setupUi(this);
    setObjectName(QStringLiteral("frmPiirrettavatTilat"));
    m_animals = std::make_unique<AnimalChoiceControls>(
        std::array{ui->optKoskee_0, ui->optKoskee_1, ui->optKoskee_2, ui->optKoskee_3}, ui->chkKaikkiaElaimia,
        ui->chkHirviElaimia, ui->lblList, ui->lstElaimet);
    connect(ui->chkKaikkiTilat, &QCheckBox::clicked, this, [this](bool ticked) { SetCriteriaEnabled(!ticked); });
    connect(ui->cSeuraava, &QPushButton::clicked, this, &frmPiirrettavatTilat::cSeuraava_Click);
    DefaultButtonTakesEnter(this);
    RestoreFormPlacement(this);
}

frmPiirrettavatTilat::~frmPiirrettavatTilat() = default;

bool frmPiirrettavatTilat::load()
{
    if (m_db.path().isEmpty()) {
        ShowInfo(CheckDatabaseSettingsMessage());
        return false;
    }
    try {
        // Animals without a name leave the catalogue with their contract links, in one transaction.
        m_animals->fill(m_db);
    } catch (const NumberedError& e) {
        ShowInfo(CheckDatabaseSettingsMessage(e.description()));
        return false;
    }
    return true;
}

void frmPiirrettavatTilat::SetCriteriaEnabled(bool enabled)
{
    for (QWidget* w : std::initializer_list<QWidget*>{ui->frameSopimuslaji, ui->optKoskee_0, ui->optKoskee_1,
                                                      ui->optKoskee_2, ui->optKoskee_3, ui->lblList, ui->lstElaimet,
                                                      ui->chkKaikkiaElaimia, ui->chkHirviElaimia})
        w->setEnabled(enabled);
}

void frmPiirrettavatTilat::cSeuraava_Click()
{
    std::optional<EstatesToDraw> answer = EstatesToDraw::fromChoice(ui->chkKaikkiTilat->isChecked(), m_animals->choice());
    if (!answer) {
        ShowInfo(QStringLiteral("Valitse myös eläimiä!"));
        return;
    }
    m_answer = std::move(answer);
    accept();
}

void frmPiirrettavatTilat::done(int result)
{
    // The close box and Esc are a cancel: nothing is to be marked or drawn.
    if (result != QDialog::Accepted)
        m_answer.reset();
    SaveFormPlacement(this);
    QDialog::done(result);
}

std::optional<EstatesToDraw> frmPiirrettavatTilat::ask(const Database& db, QWidget* parent)
{
    frmPiirrettavatTilat dialog(db, parent);
    if (!dialog.load())
        return std::nullopt;
    dialog.exec();
    return dialog.Answer();
}

} // namespace tikkeli
