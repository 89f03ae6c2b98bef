#include "backup/ui/StickCopiesForm.h"

#include "backup/BackupStick.h"
#include "backup/StickFolders.h"
#include "backup/ui/StepLabels.h"

#include <QDir>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace tikkeli {

StickCopiesForm::StickCopiesForm(const QString& objectName, const QString& caption, const QString& step2,
                                 const QString& step3Tail, QWidget* parent)
    : QWidget(parent, Qt::Window), m_step3Tail(step3Tail)
{
    setObjectName(objectName);
    setWindowTitle(caption);
    lblVaihe1 = makeStepLabel(this, "lblVaihe1", QStringLiteral("1. Aseta muistitikku tietokoneeseen"), true);
    lblVaihe2 = makeStepLabel(this, "lblVaihe2", step2, false);
    lblPaiva = makeStepLabel(this, "lblPaiva", QStringLiteral("Päivä:"), false);
    lstPaiva = new QListWidget(this);
    lstPaiva->setObjectName(QStringLiteral("lstPaiva"));
    lstPaiva->hide();
    lblVaihe3 = makeStepLabel(this, "lblVaihe3",
                              QStringLiteral("3. Valitulle päivälle x löytyy seuraavat tietokannat, ") + step3Tail, false);
    lblTietokanta = makeStepLabel(this, "lblTietokanta", QStringLiteral("Tietokanta:"), false);
    lstTietokanta = new QListWidget(this);
    lstTietokanta->setObjectName(QStringLiteral("lstTietokanta"));
    lstTietokanta->hide();
    lblVapaaTilaStatus = makeStepLabel(this, "lblVapaaTilaStatus", QString(), false);
    setRedLetters(lblVapaaTilaStatus);
    cEtsiMuistitikku = new QPushButton(QStringLiteral("Jatka"), this);
    cEtsiMuistitikku->setObjectName(QStringLiteral("cEtsiMuistitikku"));
    cSulje = new QPushButton(QStringLiteral("Sulje"), this);
    cSulje->setObjectName(QStringLiteral("cSulje"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblVaihe1);
    layout->addWidget(lblVaihe2);
    layout->addWidget(lstPaiva);
    layout->addWidget(lblVaihe3);
    layout->addWidget(lstTietokanta);
    m_extra = new QVBoxLayout;
    layout->addLayout(m_extra);
    layout->addWidget(lblVapaaTilaStatus);
    layout->addStretch(1);
    m_buttons = new QHBoxLayout;
    m_buttons->addWidget(cEtsiMuistitikku);
    m_buttons->addStretch(1);
    m_buttons->addWidget(cSulje);
    layout->addLayout(m_buttons);
    lstPaiva->setMaximumHeight(140);
    lstTietokanta->setMaximumHeight(140);
    resize(520, 440);

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

} // namespace tikkeli
