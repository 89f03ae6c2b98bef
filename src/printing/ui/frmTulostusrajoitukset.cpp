#include "printing/ui/frmTulostusrajoitukset.h"

#include "base/NullConversions.h"
#include "base/ui/FormRegistry.h"
#include "settings/ui/FormPlacement.h"

#include <QButtonGroup>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

namespace tikkeli {

namespace {

QDate dateOf(const QString& text)
{
    if (auto dt = ParseLocaleDate(text.trimmed()))
        return dt->date();
    return {};
}

} // namespace

frmTulostusrajoitukset* frmTulostusrajoitukset::Instance()
{
    if (QWidget* w = FormRegistry::find(QStringLiteral("frmTulostusrajoitukset")))
        if (auto* d = qobject_cast<frmTulostusrajoitukset*>(w))
            return d;
    return new frmTulostusrajoitukset();
}

frmTulostusrajoitukset::frmTulostusrajoitukset(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmTulostusrajoitukset"));
    setWindowTitle(QStringLiteral("Tikkeli - Tulostusrajoitukset"));

    auto* box = new QGroupBox(QStringLiteral("Vastiketyyppi"), this);
    auto* grid = new QGridLayout(box);
    auto* group = new QButtonGroup(this);
    const char* names[] = {"Vastikkeetta", "Vuosivastikkeella", "Kausivastikkeella", "Muulla vastikkeella"};
    for (int i = 0; i < 4; ++i) {
        optVastike[size_t(i)] = new QRadioButton(QString::fromUtf8(names[i]), box);
        optVastike[size_t(i)]->setObjectName(QStringLiteral("optVastike_%1").arg(i));
        group->addButton(optVastike[size_t(i)], i);
        grid->addWidget(optVastike[size_t(i)], i % 2, i / 2);
    }
    optVastike[0]->setChecked(true);
    connect(group, &QButtonGroup::idClicked, this, [this] { updateDateBoxes(); });

    lblErapaivasta = new QLabel(QStringLiteral("Eräpäivästä:"), this);
    lblErapaivasta->setObjectName(QStringLiteral("lblErapaivasta"));
    tErapaivasta = new QLineEdit(this);
    tErapaivasta->setObjectName(QStringLiteral("tErapaivasta"));
    lblErapaivaan = new QLabel(QStringLiteral("Eräpäivään:"), this);
    lblErapaivaan->setObjectName(QStringLiteral("lblErapaivaan"));
    tErapaivaan = new QLineEdit(this);
    tErapaivaan->setObjectName(QStringLiteral("tErapaivaan"));
    for (QLineEdit* e : {tErapaivasta, tErapaivaan})
        e->installEventFilter(this);

    auto* dates = new QGridLayout;
    dates->addWidget(lblErapaivasta, 0, 0);
    dates->addWidget(tErapaivasta, 0, 1);
    dates->addWidget(lblErapaivaan, 1, 0);
    dates->addWidget(tErapaivaan, 1, 1);

    cSeuraava = new QPushButton(QStringLiteral("Seuraava >>"), this);
    cSeuraava->setObjectName(QStringLiteral("cSeuraava"));
    cSeuraava->setDefault(true);
    connect(cSeuraava, &QPushButton::clicked, this, &frmTulostusrajoitukset::seuraava);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(box);
    layout->addLayout(dates);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cSeuraava);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    VastikeRajaus = -1;
    RestoreFormPlacement(this);
    updateDateBoxes();
}

void frmTulostusrajoitukset::updateDateBoxes()
{
    // The due dates concern annual and season rents only.
    const bool dated = optVastike[1]->isChecked() || optVastike[2]->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{lblErapaivasta, tErapaivasta, lblErapaivaan, tErapaivaan})
        w->setEnabled(dated);
    if (!dated) {
        tErapaivasta->clear();
        tErapaivaan->clear();
    }
}

void frmTulostusrajoitukset::leaveDateBox(QLineEdit* box, QDate& value)
{
    value = dateOf(box->text());
    if (value.isValid())
        box->setText(QLocale().toString(value, QLocale::ShortFormat));
    else
        box->clear();
}

void frmTulostusrajoitukset::seuraava()
{
    VastikeRajaus = -1;
    for (int i = 0; i < 4; ++i)
        if (optVastike[size_t(i)]->isChecked())
            VastikeRajaus = qint16(i + 1);
    ErapaivaAlku = dateOf(tErapaivasta->text());
    ErapaivaLoppu = dateOf(tErapaivaan->text());
    accept();
}

void frmTulostusrajoitukset::unload()
{
    // The close box means no choice: never leave an earlier answer for the caller to read.
    VastikeRajaus = -1;
    SaveFormPlacement(this);
    setAttribute(Qt::WA_DeleteOnClose);
}

void frmTulostusrajoitukset::reject()
{
    unload();
    QDialog::reject();
    deleteLater();
}

bool frmTulostusrajoitukset::event(QEvent* e)
{
    if (e->type() == QEvent::WindowActivate || e->type() == QEvent::Show)
        updateDateBoxes();
    return QDialog::event(e);
}

bool frmTulostusrajoitukset::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == tErapaivasta || watched == tErapaivaan) {
        if (event->type() == QEvent::FocusIn)
            QTimer::singleShot(0, static_cast<QLineEdit*>(watched), &QLineEdit::selectAll);
        else if (event->type() == QEvent::FocusOut)
            leaveDateBox(static_cast<QLineEdit*>(watched), watched == tErapaivasta ? ErapaivaAlku : ErapaivaLoppu);
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace tikkeli
