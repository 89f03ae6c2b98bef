#include "members/ui/frmImportData.h"

#include "ui_frmImportData.h"

#include "base/FileFilters.h"
#include "base/Prompter.h"
#include "ui/cMouseCursor.h"
#include "db/Database.h"
#include "members/MemberImport.h"
#include "members/MemberImportFields.h"
#include "members/MemberImportFile.h"
#include "members/ui/frmSeparators.h"
#include "base/SharedState.h"
#include "ui/FormPlacement.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QProgressBar>

namespace tikkeli {

namespace {

// A preview list shows a few lines; its rows stand close together like the table it stands for.
constexpr int kPreviewHeight = 60;

} // namespace

frmImportData::frmImportData(QWidget* parent) : QWidget(parent, Qt::Window), ui(std::make_unique<Ui::frmImportData>())
{
    ui->setupUi(this);
    auto* menuBar = new QMenuBar(this);
    QMenu* mTiedosto = menuBar->addMenu(QStringLiteral("&Tiedosto"));
    mTiedosto->setObjectName(QStringLiteral("mTiedosto"));
    const auto action = [&](const char* name, const QString& text) {
        QAction* a = mTiedosto->addAction(text);
        a->setObjectName(QLatin1String(name));
        return a;
    };
    mOpen = action("mOpen", QStringLiteral("Avaa"));
    mImport = action("mImport", QStringLiteral("Tuo tiedot tietokantaan"));
    mTiedosto->addSeparator();
    mClose = action("mClose", QStringLiteral("Sulje"));
    layout()->setMenuBar(menuBar);
    ui->prgTuonti->hide();
    ui->rowsGrid->setRowStretch(MemberImportFile::MaxColumns + 2, 1);

    CreateRows(0);
    connect(mOpen, &QAction::triggered, this, &frmImportData::mOpen_Click);
    connect(mImport, &QAction::triggered, this, &frmImportData::mImport_Click);
    connect(mClose, &QAction::triggered, this, &QWidget::close);
    RestoreFormPlacement(this);
}

frmImportData::~frmImportData() = default;

void frmImportData::addRow(int i)
{
    QWidget* panel = ui->rowsPanel;
    ColumnRow row;
    row.label = new QLabel(QStringLiteral("%1.").arg(i + 1), panel);
    row.label->setObjectName(QStringLiteral("lblSarake_%1").arg(i));
    row.label->setAlignment(Qt::AlignRight | Qt::AlignTop);
    row.preview = new QListWidget(panel);
    row.preview->setObjectName(QStringLiteral("lstTiedot_%1").arg(i));
    row.preview->setFixedHeight(kPreviewHeight);
    row.field = new QComboBox(panel);
    row.field->setObjectName(QStringLiteral("cmbKentta_%1").arg(i));
    ui->rowsGrid->addWidget(row.label, i + 1, 0);
    ui->rowsGrid->addWidget(row.preview, i + 1, 1);
    ui->rowsGrid->addWidget(row.field, i + 1, 2, Qt::AlignTop);
    m_rows.push_back(row);
}

void frmImportData::CreateRows(int lastIndex)
{
    // The rows are made with the panel hidden and shown with it at once: one layout pass, not one
    // per control.
    ui->rowsPanel->hide();
    for (int i = int(m_rows.size()); i <= lastIndex; ++i)
        addRow(i);
    const QStringList& entries = MemberImportFields::entries();
    for (const ColumnRow& row : m_rows) {
        row.field->clear();
        for (int code = 0; code < entries.size(); ++code)
            row.field->addItem(entries[code], code);
        row.field->setCurrentIndex(0);
    }
    ui->rowsPanel->show();
}

void frmImportData::RemoveRows()
{
    while (m_rows.size() > 1) {
        const ColumnRow row = m_rows.back();
        m_rows.pop_back();
        delete row.label;
        delete row.preview;
        delete row.field;
    }
    m_rows[0].preview->clear();
    m_rows[0].field->clear();
}

frmSeparators* frmImportData::separatorsDialog()
{
    if (!m_separators)
        m_separators = new frmSeparators(this);
    return m_separators;
}

void frmImportData::AskSeparators()
{
    frmSeparators* dialog = separatorsDialog();
    dialog->exec();
    m_format = dialog->Cancelled ? MemberImportFormat()
                                 : MemberImportFormat::fromChoices(dialog->Separator, dialog->RemoveChars);
}

void frmImportData::mOpen_Click()
{
    FileDialogRequest request;
    request.title = State().ProgramTitle + QStringLiteral(" - tuotavan tiedoston avaus");
    request.filter = AllFilesFilter();
    const auto path = Prompter::instance().openFile(request);
    if (!path || path->isEmpty()) {
        ui->lblFilename->clear();
        return;
    }
    RemoveRows();
    CreateRows(0);
    ui->lblMessage->clear();
    ui->lblFilename->setText(QDir::toNativeSeparators(*path));
    OpenImportFile(*path);
}

void frmImportData::OpenImportFile(const QString& path)
{
    AskSeparators();
    QString error;
    const auto file = MemberImportFile::open(path, m_format, &error);
    if (!file) {
        // A file that cannot be read or split is not left open for the import.
        ui->lblFilename->clear();
        ShowInfo(error);
        return;
    }
    CreateRows(file->columnCount() - 1);
    for (const QStringList& line : file->preview())
        for (int j = 0; j < line.size(); ++j)
            m_rows[std::size_t(j)].preview->addItem(line[j]);
    ui->lblMessage->setText(MemberImportFile::lineCountMessage(file->lineCount()));
    if (const QString capped = file->columnCapMessage(); !capped.isEmpty())
        ShowInfo(capped);
}

void frmImportData::setBusy(bool busy)
{
    m_busy = busy;
    for (QAction* a : {mOpen, mImport, mClose})
        a->setEnabled(!busy);
    for (const ColumnRow& row : m_rows)
        row.field->setEnabled(!busy);
    ui->prgTuonti->setVisible(busy);
}

void frmImportData::mImport_Click()
{
    if (ui->lblFilename->text().isEmpty()) {
        ShowInfo(QStringLiteral("Tuotavaa tiedostoa ei ole avattu."));
        return;
    }
    // The file is read again: what is imported is the file as it is now.
    QString error;
    const auto file = MemberImportFile::open(QDir::fromNativeSeparators(ui->lblFilename->text()), m_format, &error);
    if (!file) {
        ShowInfo(error);
        return;
    }
    std::vector<int> codes;
    for (const ColumnRow& row : m_rows)
        codes.push_back(row.field->currentData().toInt());

    MemberImport::Result result;
    try {
        Database db = Database::open(State().DatabasePath);
        cMouseCursor busy;
        busy.SetCursor(this, BusyPointer);
        setBusy(true);
        ui->prgTuonti->setRange(0, std::max(1, file->lineCount()));
        ui->prgTuonti->setValue(0);
        result = MemberImport::run(db, *file, codes, [this](int done, int) {
            ui->prgTuonti->setValue(done);
            if (done % 50 == 0)
                QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        });
        setBusy(false);
    } catch (const DbException& e) {
        setBusy(false);
        result.error = QStringLiteral("Tapahtui virhe: %1 / %2").arg(e.number()).arg(e.description());
    }
    if (!result.ok) {
        ShowInfo(result.error);
        return;
    }
    const QString summary = result.summary();
    ui->lblMessage->setText(summary);
    ShowInfo(QStringLiteral("Tietojen tuonti valmis.\n") + summary);
}

void frmImportData::closeEvent(QCloseEvent* event)
{
    if (m_busy) {
        event->ignore();
        return;
    }
    SaveFormPlacement(this);
    event->accept();
}

} // namespace tikkeli
