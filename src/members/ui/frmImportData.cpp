#include "members/ui/frmImportData.h"

#include "base/FileFilters.h"
#include "base/Prompter.h"
#include "base/ui/cMouseCursor.h"
#include "db/Database.h"
#include "members/MemberEvents.h"
#include "members/MemberImport.h"
#include "members/MemberImportFields.h"
#include "members/MemberImportFile.h"
#include "members/ui/frmSeparators.h"
#include "base/SharedState.h"
#include "settings/ui/FormPlacement.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QProgressBar>
#include <QScrollArea>
#include <QVBoxLayout>

namespace tikkeli {

namespace {

// A preview list shows a few lines; its rows stand close together like the table it stands for.
constexpr int kPreviewHeight = 60;

QLabel* heading(const QString& text, QWidget* parent)
{
    auto* l = new QLabel(text, parent);
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
    return l;
}

} // namespace

frmImportData::frmImportData(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmImportData"));
    setWindowTitle(QStringLiteral("Tikkeli - Ulkoisten tietojen tuonti"));

    auto* menuBar = new QMenuBar(this);
    QMenu* mTiedosto = menuBar->addMenu(QStringLiteral("Tiedosto"));
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

    lblFilename = new QLabel(this);
    lblFilename->setObjectName(QStringLiteral("lblFilename"));
    lblFilename->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblMessage = new QLabel(this);
    lblMessage->setObjectName(QStringLiteral("lblMessage"));
    prgTuonti = new QProgressBar(this);
    prgTuonti->setObjectName(QStringLiteral("prgTuonti"));
    prgTuonti->hide();

    auto* rowsPanel = new QWidget;
    m_grid = new QGridLayout(rowsPanel);
    m_grid->addWidget(heading(QStringLiteral("Sarake"), rowsPanel), 0, 0);
    m_grid->addWidget(heading(QStringLiteral("Sisältö"), rowsPanel), 0, 1);
    m_grid->addWidget(heading(QStringLiteral("Tuo kenttään"), rowsPanel), 0, 2);
    m_grid->setColumnStretch(1, 1);
    auto* scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("scrSarakkeet"));
    scroll->setWidgetResizable(true);
    scroll->setWidget(rowsPanel);
    addRow(0);
    m_grid->setRowStretch(1000, 1);

    auto* fileLine = new QHBoxLayout;
    fileLine->addWidget(new QLabel(QStringLiteral("Tiedosto:"), this));
    fileLine->addWidget(lblFilename, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(menuBar);
    layout->addLayout(fileLine);
    layout->addWidget(lblMessage);
    layout->addWidget(prgTuonti);
    layout->addWidget(scroll, 1);
    resize(640, 420);

    CreateRows(0);
    connect(mOpen, &QAction::triggered, this, &frmImportData::mOpen_Click);
    connect(mImport, &QAction::triggered, this, &frmImportData::mImport_Click);
    connect(mClose, &QAction::triggered, this, &QWidget::close);
    RestoreFormPlacement(this);
}

void frmImportData::addRow(int i)
{
    QWidget* panel = m_grid->parentWidget();
    ColumnRow row;
    row.label = new QLabel(QStringLiteral("%1.").arg(i + 1), panel);
    row.label->setObjectName(QStringLiteral("lblSarake_%1").arg(i));
    row.label->setAlignment(Qt::AlignRight | Qt::AlignTop);
    row.preview = new QListWidget(panel);
    row.preview->setObjectName(QStringLiteral("lstTiedot_%1").arg(i));
    row.preview->setFixedHeight(kPreviewHeight);
    row.field = new QComboBox(panel);
    row.field->setObjectName(QStringLiteral("cmbKentta_%1").arg(i));
    m_grid->addWidget(row.label, i + 1, 0);
    m_grid->addWidget(row.preview, i + 1, 1);
    m_grid->addWidget(row.field, i + 1, 2, Qt::AlignTop);
    // The layout would show them only on its next turn of the event loop.
    for (QWidget* w : {static_cast<QWidget*>(row.label), static_cast<QWidget*>(row.preview),
                       static_cast<QWidget*>(row.field)})
        w->setVisible(true);
    m_rows.push_back(row);
}

void frmImportData::CreateRows(int lastIndex)
{
    for (int i = int(m_rows.size()); i <= lastIndex; ++i)
        addRow(i);
    for (const ColumnRow& row : m_rows) {
        row.field->clear();
        const QStringList& entries = MemberImportFields::entries();
        for (int code = 0; code < entries.size(); ++code)
            row.field->addItem(entries[code], code);
        row.field->setCurrentIndex(0);
    }
}

void frmImportData::FillLstTiedot(int index, const QString& text)
{
    lstTiedot(index)->addItem(text);
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
        lblFilename->clear();
        return;
    }
    RemoveRows();
    CreateRows(0);
    lblMessage->clear();
    lblFilename->setText(QDir::toNativeSeparators(*path));
    OpenImportFile(*path);
}

void frmImportData::OpenImportFile(const QString& path)
{
    AskSeparators();
    QString error;
    const auto file = MemberImportFile::open(path, m_format, &error);
    if (!file) {
        // A file that cannot be read or split is not left open for the import.
        lblFilename->clear();
        ShowInfo(error);
        return;
    }
    CreateRows(file->columnCount() - 1);
    for (const QStringList& line : file->preview())
        for (int j = 0; j < line.size(); ++j)
            FillLstTiedot(j, line[j]);
    lblMessage->setText(MemberImportFile::lineCountMessage(file->lineCount()));
}

void frmImportData::setBusy(bool busy)
{
    m_busy = busy;
    for (QAction* a : {mOpen, mImport, mClose})
        a->setEnabled(!busy);
    for (const ColumnRow& row : m_rows)
        row.field->setEnabled(!busy);
    prgTuonti->setVisible(busy);
}

void frmImportData::mImport_Click()
{
    if (lblFilename->text().isEmpty()) {
        ShowInfo(QStringLiteral("Tuotavaa tiedostoa ei ole avattu."));
        return;
    }
    // The file is read again: what is imported is the file as it is now.
    QString error;
    const auto file = MemberImportFile::open(QDir::fromNativeSeparators(lblFilename->text()), m_format, &error);
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
        prgTuonti->setRange(0, std::max(1, file->lineCount()));
        prgTuonti->setValue(0);
        result = MemberImport::run(db, *file, codes, [this](int done, int) {
            prgTuonti->setValue(done);
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
    if (result.imported > 0)
        MemberEvents::membersChanged();
    lblMessage->setText(QStringLiteral("Tietokantaan lisättiin %1 jäsentä.").arg(result.imported));
    ShowInfo(QStringLiteral("Tietojen tuonti valmis."));
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
