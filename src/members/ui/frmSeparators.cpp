#include "members/ui/frmSeparators.h"

#include "settings/ui/FormPlacement.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace tikkeli {

namespace {

QComboBox* makeCombo(QWidget* parent, const char* name, const QStringList& entries)
{
    auto* c = new QComboBox(parent);
    c->setObjectName(QLatin1String(name));
    c->setEditable(true);
    // A typed text is taken as it stands; it must not become a new entry of the list.
    c->setInsertPolicy(QComboBox::NoInsert);
    c->addItems(entries);
    c->setCurrentIndex(0);
    return c;
}

} // namespace

frmSeparators::frmSeparators(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmSeparators"));
    setWindowTitle(QStringLiteral("Tikkeli - Valitse erottimet"));

    cmbSeparator = makeCombo(this, "cmbSeparator", {QStringLiteral(";"), QStringLiteral(","), QStringLiteral("TAB"),
                                                    QStringLiteral("SPACE")});
    cmbRemoveChars = makeCombo(this, "cmbRemoveChars", {QStringLiteral("\""), QStringLiteral("'"), QString()});
    cSeuraava = new QPushButton(QStringLiteral("Seuraava -->"), this);
    cSeuraava->setObjectName(QStringLiteral("cSeuraava"));
    cSeuraava->setDefault(true);
    cPeru = new QPushButton(QStringLiteral("Peru"), this);
    cPeru->setObjectName(QStringLiteral("cPeru"));

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Kenttien erotin:"), cmbSeparator);
    form->addRow(QStringLiteral("Poista kenttien ympäriltä:"), cmbRemoveChars);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cSeuraava);
    buttons->addWidget(cPeru);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);

    connect(cSeuraava, &QPushButton::clicked, this, &frmSeparators::cSeuraava_Click);
    connect(cPeru, &QPushButton::clicked, this, &frmSeparators::reject);
    RestoreFormPlacement(this);
}

void frmSeparators::cSeuraava_Click()
{
    Cancelled = false;
    Separator = cmbSeparator->currentText();
    RemoveChars = cmbRemoveChars->currentText();
    accept();
}

void frmSeparators::reject()
{
    // "Peru", Esc and the title bar's close all cancel.
    Cancelled = true;
    Separator.clear();
    RemoveChars.clear();
    QDialog::reject();
}

void frmSeparators::done(int result)
{
    SaveFormPlacement(this);
    QDialog::done(result);
}

} // namespace tikkeli
