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
    m_extra = m_ui->layoutExtra;
    m_buttons = m_ui->layoutButtons;

    m_ui->lblVaihe2->setText(step2);
    m_ui->lblVaihe3->setText(QStringLiteral("3. Valitulle päivälle x löytyy seuraavat tietokannat, ") + step3Tail);
    // The steps appear as they are reached.
    for (QWidget* w : std::initializer_list<QWidget*>{m_ui->lblVaihe2, m_ui->lblPaiva, m_ui->lstPaiva, m_ui->lblVaihe3,
                                                      m_ui->lblTietokanta, m_ui->lstTietokanta, m_ui->lblVapaaTilaStatus})
        w->hide();
    setRedLetters(m_ui->lblVapaaTilaStatus);

    connect(m_ui->cEtsiMuistitikku, &QPushButton::clicked, this, &StickCopiesForm::cEtsiMuistitikku_Click);
    connect(m_ui->lstPaiva, &QListWidget::itemSelectionChanged, this, &StickCopiesForm::lstPaiva_Click);
    connect(m_ui->cSulje, &QPushButton::clicked, this, &QWidget::close);
}

qint32 StickCopiesForm::chosenDay() const
{
    const QListWidgetItem* item = m_ui->lstPaiva->currentItem();
    return item && item->isSelected() ? item->data(Qt::UserRole).toInt() : 0;
}

QString StickCopiesForm::chosenDayText() const
{
    return chosenDay() ? m_ui->lstPaiva->currentItem()->text() : QString();
}

QListWidget* StickCopiesForm::copiesList() const
{
    return m_ui->lstTietokanta;
}

QString StickCopiesForm::dayFolder() const
{
    return StickFolders::dayFolder(m_root, chosenDay());
}

void StickCopiesForm::cEtsiMuistitikku_Click()
{
    beforeSearch();
    m_ui->lstPaiva->clear();
    m_ui->lstTietokanta->clear();
    const auto stick = BackupStick::find();
    if (!stick) {
        m_ui->lblVapaaTilaStatus->setText(BackupStick::notFoundText());
        m_ui->lblVapaaTilaStatus->show();
        return;
    }
    m_ui->lblVaihe2->setText(QStringLiteral("2. Sopiva muistitikku löytyi (%1), valitse palautettavan varmuuskopion päivä:")
                                 .arg(QDir::toNativeSeparators(stick->mountFolder)));
    m_root = StickFolders::rootFolder(stick->mountFolder);
    QDir().mkpath(m_root);
    const QList<qint32> days = StickFolders::days(m_root);
    for (qint32 day : days) {
        auto* item = new QListWidgetItem(StickFolders::dayText(day), m_ui->lstPaiva);
        item->setData(Qt::UserRole, day);
    }
    if (days.isEmpty()) {
        m_ui->lblVapaaTilaStatus->setText(QStringLiteral("Muistitikulta ei löydy varmuuskopioita."));
        m_ui->lblVapaaTilaStatus->show();
        return;
    }
    m_ui->lblVapaaTilaStatus->hide();
    m_ui->lblVaihe2->show();
    m_ui->lstPaiva->show();
    m_ui->lblVaihe1->setEnabled(false);
    m_ui->cEtsiMuistitikku->setEnabled(false);
}

void StickCopiesForm::lstPaiva_Click()
{
    m_ui->lstTietokanta->clear();
    dayCleared();
    const QString dayText = chosenDayText();
    if (dayText.size() > 1)
        m_ui->lstTietokanta->addItems(StickFolders::files(dayFolder()));
    if (m_ui->lstTietokanta->count() == 0) {
        m_ui->lblVaihe3->setText(QStringLiteral("3. Valitulle päivälle ei löydy tietokantoja."));
        m_ui->lblVaihe3->show();
        m_ui->lstTietokanta->hide();
    } else {
        m_ui->lblVaihe3->setText(QStringLiteral("3. Valitulle päivälle ") + dayText
                                 + QStringLiteral(" löytyy seuraavat tietokannat, ") + m_step3Tail);
        m_ui->lblVaihe3->show();
        m_ui->lstTietokanta->show();
    }
    filesListed();
}

StickCopiesForm::~StickCopiesForm() = default;

} // namespace tikkeli
