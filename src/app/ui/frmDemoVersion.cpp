#include "app/ui/frmDemoVersion.h"

#include "app/MakerDetails.h"
#include "ui/FormPlacement.h"
#include "ui_frmDemoVersion.h"

#include <QPushButton>

namespace tikkeli {

frmDemoVersion::frmDemoVersion(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::frmDemoVersion>())
{
    ui->setupUi(this);
    ui->Label6->setText(MakerDetails::supportContact());

    connect(ui->cDemo, &QPushButton::clicked, this, [this] {
        UseDemoDatabase = true;
        accept();
    });
    connect(ui->cNewDatabase, &QPushButton::clicked, this, [this] {
        UseDemoDatabase = false;
        accept();
    });
    RestoreFormPlacement(this);
}

frmDemoVersion::~frmDemoVersion() = default;

void frmDemoVersion::done(int result)
{
    SaveFormPlacement(this);
    QDialog::done(result);
}

} // namespace tikkeli
