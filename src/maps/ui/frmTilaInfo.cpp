#include "maps/ui/frmTilaInfo.h"

#include "base/ErrorHandling.h"
#include "ui/FormRegistry.h"
#include "ui/FormPlacement.h"

#include "ui_frmTilaInfo.h"

#include <QCloseEvent>
#include <QKeyEvent>

namespace tikkeli {

frmTilaInfo::frmTilaInfo(Database db, QWidget* parent)
    : QWidget(parent, Qt::Window), ui(std::make_unique<Ui::frmTilaInfo>()), m_db(std::move(db))
{
    ui->setupUi(this);
    setObjectName(QStringLiteral("frmTilaInfo"));
    connect(ui->mSulje, &QPushButton::clicked, this, &QWidget::close);
    RestoreFormPlacement(this);
}

frmTilaInfo::~frmTilaInfo() = default;

void frmTilaInfo::display(const EstateInfoTexts& t)
{
    ui->lblOmistaja->setText(t.omistaja);
    ui->lblKunta->setText(t.kunta);
    ui->lblKyla->setText(t.kyla);
    ui->lblTilaPalsta->setText(t.tilaPalsta);
    ui->lblRekNo->setText(t.rekNo);
    ui->lblVoimassaolo->setText(t.voimassaolo);
    ui->lblPintaAla->setText(t.pintaAla);
    ui->tKoskee->setPlainText(t.koskee);
}

void frmTilaInfo::LoadInfo(qint64 tlId)
{
    EstateInfoTexts texts;
    ReportingErrors(QStringLiteral("Tilatietojen lukeminen ei onnistunut: "), [&] { texts = EstateInfo::load(m_db, tlId); });
    display(texts);
}

EstateInfoTexts frmTilaInfo::shownTexts() const
{
    return EstateInfoTexts{ui->lblOmistaja->text(),   ui->lblKunta->text(),      ui->lblKyla->text(),
                           ui->lblTilaPalsta->text(), ui->lblRekNo->text(),      ui->lblVoimassaolo->text(),
                           ui->lblPintaAla->text(),   ui->tKoskee->toPlainText()};
}

frmTilaInfo* frmTilaInfo::showEstate(const Database& db, qint64 tlId)
{
    auto* window = FormRegistry::open<frmTilaInfo>(QStringLiteral("frmTilaInfo"), db);
    window->LoadInfo(tlId);
    return window;
}

void frmTilaInfo::keyPressEvent(QKeyEvent* event)
{
    // A window, not a dialog: Esc closes it as "Sulje" does.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void frmTilaInfo::closeEvent(QCloseEvent* event)
{
    SaveFormPlacement(this);
    event->accept();
}

} // namespace tikkeli
