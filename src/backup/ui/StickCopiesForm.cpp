#include "backup/ui/StickCopiesForm.h"
#include "ui_StickCopiesForm.h"

#include "backup/BackupStick.h"
#include "backup/StickFolders.h"
#include "backup/ui/StepLabels.h"

#include <QDir>
#include <QListWidget>
#include <QPushButton>

namespace tikkeli {

StickCopiesForm::StickCopiesForm(const QString& objectName, const QString& caption, const QString& step2,
                                 const QString& step3Tail, QWidget* parent)
    : QWidget(parent, Qt::Window), m_ui(std::make_unique<Ui::StickCopiesForm>()), m_step3Tail(step3Tail)
{
    m_ui->setupUi(this);
    setObjectName(objectName);
    setWindowTitle(caption);
    lblVaihe1 = m_ui->lblVaihe1;
    lblVaihe2 = m_ui->lblVaihe2;
    lblPaiva = m_ui->lblPaiva;
    lstPaiva = m_ui->lstPaiva;
    lblVaihe3 = m_ui->lblVaihe3;
    lblTietokanta = m_ui->lblTietokanta;
    lstTietokanta = m_ui->lstTietokanta;
    lblVapaaTilaStatus = m_ui->lblVapaaTilaStatus;
    cEtsiMuistitikku = m_ui->cEtsiMuistitikku;
    cSulje = m_ui->cSulje;
    m_extra = m_ui->layoutExtra;
    m_buttons = m_ui->layoutButtons;

    lblVaihe2->setText(step2);
    lblVaihe3->setText(QStringLiteral("3. Valitulle päivälle x löytyy seuraavat tietokannat, ") + step3Tail);
    // The steps appear as they are reached.
    for (QWidget* w : std::initializer_list<QWidget*>{lblVaihe2, lblPaiva, lstPaiva, lblVaihe3, lblTietokanta, lstTietokanta,
                                                      lblVapaaTilaStatus})
        w->hide();
    setRedLetters(lblVapaaTilaStatus);

    connect(cEtsiMuistitikku, &QPushButton::clicked, this, &StickCopiesForm::cEtsiMuistitikku_Click);
    connect(lstPaiva, &QListWidget::itemSelectionChanged, this, &StickCopiesForm::lstPaiva_Click);
    connect(cSulje, &QPushButton::clicked, this, &QWidget::close);
}

qint32 StickCopiesForm::chosenDay() const
{
    const QListWidgetItem* item = lstPaiva->currentItem();
    return item && item->isSelected() ? item->data(Qt::UserRole).toInt() : 0;
}

QString StickCopiesForm::chosenDayText() const
{
    return chosenDay() ? lstPaiva->currentItem()->text() : QString();
}

QString StickCopiesForm::dayFolder() const
{
    return StickFolders::dayFolder(m_root, chosenDay());
}

void StickCopiesForm::cEtsiMuistitikku_Click()
{
    beforeSearch();
    lstPaiva->clear();
    lstTietokanta->clear();
    const auto stick = BackupStick::find();
    if (!stick) {
        lblVapaaTilaStatus->setText(BackupStick::notFoundText());
        lblVapaaTilaStatus->show();
        return;
    }
    lblVaihe2->setText(QStringLiteral("2. Sopiva muistitikku löytyi (%1), valitse palautettavan varmuuskopion päivä:")
                           .arg(QDir::toNativeSeparators(stick->mountFolder)));
    m_root = StickFolders::rootFolder(stick->mountFolder);
    QDir().mkpath(m_root);
    const QList<qint32> days = StickFolders::days(m_root);
    for (qint32 day : days) {
        auto* item = new QListWidgetItem(StickFolders::dayText(day), lstPaiva);
        item->setData(Qt::UserRole, day);
    }
    if (days.isEmpty()) {
        lblVapaaTilaStatus->setText(QStringLiteral("Muistitikulta ei löydy varmuuskopioita."));
        lblVapaaTilaStatus->show();
        return;
    }
    lblVapaaTilaStatus->hide();
    lblVaihe2->show();
    lstPaiva->show();
    lblVaihe1->setEnabled(false);
    cEtsiMuistitikku->setEnabled(false);
}

void StickCopiesForm::lstPaiva_Click()
{
    lstTietokanta->clear();
    dayCleared();
    const QString dayText = chosenDayText();
    if (dayText.size() > 1)
        lstTietokanta->addItems(StickFolders::files(dayFolder()));
    if (lstTietokanta->count() == 0) {
        lblVaihe3->setText(QStringLiteral("3. Valitulle päivälle ei löydy tietokantoja."));
        lblVaihe3->show();
        lstTietokanta->hide();
    } else {
        lblVaihe3->setText(QStringLiteral("3. Valitulle päivälle ") + dayText
                           + QStringLiteral(" löytyy seuraavat tietokannat, ") + m_step3Tail);
        lblVaihe3->show();
        lstTietokanta->show();
    }
    filesListed();
}

StickCopiesForm::~StickCopiesForm() = default;

} // namespace tikkeli
