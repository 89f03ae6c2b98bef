#include "lists/ui/frmRaportinMuokkaus.h"

#include "ui_frmRaportinMuokkaus.h"

#include "base/ErrorNumbers.h"
#include "base/ErrorHandling.h"
#include "base/Prompter.h"
#include "ui/ListHelpers.h"
#include "ui/RecordKeys.h"
#include "db/ReplacedFile.h"
#include "ui/WindowTeardown.h"
#include "ui/cMouseCursor.h"
#include "db/DbError.h"
#include "lists/DataPrinterFields.h"
#include "lists/DataPrinterLayout.h"
#include "lists/DataPrinterSettings.h"
#include "ui/ConfiguredDatabaseWindow.h"
#include "ui/SelectAllOnFocus.h"
#include "ui/FormPlacement.h"

#include <QAction>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QGuiApplication>
#include <QInputMethod>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QScopedValueRollback>

namespace tikkeli {

namespace {

const QString SaveFailed = QStringLiteral("Raporttipohjan tallennus epäonnistui: ");

QString reason(const std::exception& e)
{
    const auto* numbered = dynamic_cast<const NumberedError*>(&e);
    return numbered ? numbered->description() : QString::fromUtf8(e.what());
}

QString widthText(double width)
{
    return QLocale(QLocale::Finnish, QLocale::Finland).toString(width, 'g', 6);
}

} // namespace

frmRaportinMuokkaus::frmRaportinMuokkaus(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::frmRaportinMuokkaus>())
{
    ui->setupUi(this);
    setObjectName(QStringLiteral("frmRaportinMuokkaus"));

    m_menuBar = new QMenuBar(this);
    QMenu* record = m_menuBar->addMenu(QStringLiteral("T&ietue"));
    record->setObjectName(QStringLiteral("mTietue"));
    for (QAction* a : {ui->mUusi, ui->mKopioi, ui->mTallenna, ui->mPoista, ui->mSelaa, ui->mPeru}) {
        record->addAction(a);
        addAction(a);
    }
    QMenu* file = m_menuBar->addMenu(QStringLiteral("&Tiedosto"));
    file->setObjectName(QStringLiteral("mTiedosto"));
    file->addAction(ui->mSulje);
    layout()->setMenuBar(m_menuBar);

    auto* orientation = new QButtonGroup(this);
    orientation->addButton(ui->optOrientation_1, DataPrinterSettings::Portrait);
    orientation->addButton(ui->optOrientation_2, DataPrinterSettings::Landscape);
    auto* lines = new QButtonGroup(this);
    lines->addButton(ui->optLines_0, 0);
    lines->addButton(ui->optLines_1, 1);
    // clicked: the user's choice only; showing a template sets the options without a change.
    connect(orientation, &QButtonGroup::idClicked, this, [this](int id) {
        if (!m_filling)
            m_current->RepSettings().setOrientation(id);
    });
    connect(lines, &QButtonGroup::idClicked, this, [this](int id) {
        if (!m_filling)
            m_current->RepSettings().setLines(id == 0);
    });
    connect(ui->tRaportinNimi, &QLineEdit::textEdited, this, &frmRaportinMuokkaus::nameEdited);
    SelectAllOnFocus(ui->tRaportinNimi);
    connect(ui->lstRaps, &QListWidget::itemClicked, this, [this] { lstRaps_Click(); });
    connect(ui->lstRaps, &QListWidget::itemActivated, this, [this] { lstRaps_Click(); });
    connect(ui->lstRaps, &QListWidget::currentRowChanged, this, [this] { lstRaps_Click(); });
    connect(ui->cUusiRivi, &QPushButton::clicked, this, [this] {
        if (m_current->IsEmpty())
            return;
        m_current->RepSettings().AddColumn(QString(), QStringLiteral("jrSukunimi"), 0);
        showTemplate();
        m_rows.back().header->setFocus();
    });

    const std::pair<QPushButton*, QAction*> commands[] = {
        {ui->cUusi, ui->mUusi},   {ui->cKopio, ui->mKopioi}, {ui->cTallenna, ui->mTallenna}, {ui->cPoista, ui->mPoista},
        {ui->cSelaa, ui->mSelaa}, {ui->cPeru, ui->mPeru},    {ui->cSulje, ui->mSulje}};
    void (frmRaportinMuokkaus::*handlers[])() = {&frmRaportinMuokkaus::cUusi_Click,     &frmRaportinMuokkaus::cKopio_Click,
                                                 &frmRaportinMuokkaus::cTallenna_Click, &frmRaportinMuokkaus::cPoista_Click,
                                                 &frmRaportinMuokkaus::cSelaa_Click,    &frmRaportinMuokkaus::cPeru_Click,
                                                 &frmRaportinMuokkaus::cSulje_Click};
    for (std::size_t i = 0; i < std::size(commands); ++i) {
        const auto handler = handlers[i];
        connect(commands[i].first, &QPushButton::clicked, this, [this, handler] { (this->*handler)(); });
        connect(commands[i].second, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
    }
    ui->tRaportinNimi->installEventFilter(this);
    auto* removeRow = new QAction(this);
    removeRow->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Minus));
    connect(removeRow, &QAction::triggered, this, &frmRaportinMuokkaus::removeFocusedRow);
    addAction(removeRow);

    RestoreFormPlacement(this);
    m_placeholder.setIsEmpty(true);
    addRow();
    if (!OpenWindowDatabase(*this, m_db, [this] { FillTemplateList(); }))
        return;
    m_placeholder.setDatabase(m_db);
    showTemplate();
    m_loaded = true;
    FollowReplacedFile(
        this, [this] { return m_db.path(); }, [this] { ReadReplacedFile(); });
}

frmRaportinMuokkaus::~frmRaportinMuokkaus()
{
    DetachControls(this);
}

void frmRaportinMuokkaus::FillTemplateList()
{
    const QScopedValueRollback listing(m_listing, true);
    ui->lstRaps->clear();
    for (const cRapMaaritys::Entry& e : cRapMaaritys::List(m_db)) {
        auto* item = new QListWidgetItem(e.name, ui->lstRaps);
        item->setData(Qt::UserRole, e.id);
    }
    ui->lstRaps->setCurrentRow(-1);
}

void frmRaportinMuokkaus::ReadReplacedFile()
{
    const qint64 shown = m_record ? m_record->id() : 0;
    // The template on screen is let go unsaved: it was read from the file that is gone, and so
    // were the list's names.
    replaceCurrent(nullptr);
    IgnoringErrors("frmRaportinMuokkaus::ReadReplacedFile: the templates", [&] { FillTemplateList(); });
    if (shown == 0)
        return;
    auto record = std::make_unique<cRapMaaritys>(m_db);
    bool found = false;
    IgnoringErrors("frmRaportinMuokkaus::ReadReplacedFile: the shown template", [&] { found = record->Read(shown); });
    if (!found)
        return;
    replaceCurrent(std::move(record));
    const QScopedValueRollback listing(m_listing, true);
    SelectListItemByData(ui->lstRaps, qint32(shown));
}

void frmRaportinMuokkaus::addRow()
{
    const int index = int(m_rows.size());
    // Every row has its "-": Alt+- is the window's, for the row that holds the focus.
    Row r{new QLineEdit(ui->fraRivit), new QComboBox(ui->fraRivit), new QLineEdit(ui->fraRivit),
          new QPushButton(QStringLiteral("-"), ui->fraRivit)};
    r.header->setObjectName(QStringLiteral("tOtsake_%1").arg(index));
    r.field->setObjectName(QStringLiteral("cmbKentanNimi_%1").arg(index));
    r.width->setObjectName(QStringLiteral("tLeveys_%1").arg(index));
    r.remove->setObjectName(QStringLiteral("cPoistaRivi_%1").arg(index));
    r.remove->setAutoDefault(false);
    r.remove->setToolTip(QStringLiteral("Poista kenttä [Alt+-]"));
    r.header->setMinimumWidth(180);
    r.field->setMinimumWidth(180);
    r.width->setFixedWidth(60);
    r.remove->setFixedWidth(36);
    const auto& table = TemplateFieldTable();
    for (std::size_t i = 0; i < table.size(); ++i)
        r.field->addItem(table[i].caption, int(i));
    ui->rowsLayout->addWidget(r.header, index, 0);
    ui->rowsLayout->addWidget(r.field, index, 1);
    ui->rowsLayout->addWidget(r.width, index, 2);
    ui->rowsLayout->addWidget(r.remove, index, 3);
    SelectAllOnFocus(r.header);
    SelectAllOnFocus(r.width);
    r.header->installEventFilter(this);
    r.width->installEventFilter(this);
    // Edits by the user only: the rows are filled with the same signals quiet.
    connect(r.header, &QLineEdit::textEdited, this, [this, index](const QString& text) {
        if (!m_filling && index < m_current->RepSettings().columnCount())
            m_current->RepSettings().Columns(index + 1).setHeader(text);
    });
    connect(r.width, &QLineEdit::textEdited, this, [this, index](const QString& text) {
        if (!m_filling && index < m_current->RepSettings().columnCount())
            m_current->RepSettings().Columns(index + 1).setWidth(DataPrinterColumn::ReadWidth(text));
    });
    // A width wider than the paper is told at once, with the reason, when the box is left.
    connect(r.width, &QLineEdit::editingFinished, this, [this, index] {
        if (m_filling || index >= m_current->RepSettings().columnCount())
            return;
        const DataPrinterSettings& s = m_current->RepSettings();
        if (const QString why = s.WidthProblem(DataPrinterLayout::PaperWidthMm(s.Orientation()), index + 1); !why.isEmpty())
            ShowWarning(why);
    });
    connect(r.field, &QComboBox::activated, this, [this, index](int position) {
        if (m_filling || index >= m_current->RepSettings().columnCount())
            return;
        const int field = m_rows[std::size_t(index)].field->itemData(position).toInt();
        // The entry of an unknown field keeps that field as it is.
        if (field >= 0 && field < int(TemplateFieldTable().size()))
            m_current->RepSettings().Columns(index + 1).setFieldName(TemplateFieldTable()[std::size_t(field)].field);
    });
    connect(r.remove, &QPushButton::clicked, this, [this, index] {
        DataPrinterSettings& s = m_current->RepSettings();
        if (m_current->IsEmpty() || index >= s.columnCount())
            return;
        s.RemoveColumn(s.Columns(index + 1));
        showTemplate();
    });
    // The tab order follows the layout: the options, the rows down, the add-row button, then the
    // command buttons.
    setTabOrder(index > 0 ? static_cast<QWidget*>(m_rows.back().remove) : ui->optLines_1, r.header);
    setTabOrder(r.header, r.field);
    setTabOrder(r.field, r.width);
    setTabOrder(r.width, r.remove);
    setTabOrder(r.remove, ui->cUusiRivi);
    m_rows.push_back(r);
}

void frmRaportinMuokkaus::removeFocusedRow()
{
    for (const Row& r : m_rows) {
        for (QWidget* w : std::initializer_list<QWidget*>{r.header, r.field, r.width, r.remove}) {
            if (w->hasFocus() && r.remove->isEnabled()) {
                r.remove->click();
                return;
            }
        }
    }
}

void frmRaportinMuokkaus::removeLastRow()
{
    Row r = m_rows.back();
    m_rows.pop_back();
    for (QWidget* w : {static_cast<QWidget*>(r.header), static_cast<QWidget*>(r.field), static_cast<QWidget*>(r.width),
                       static_cast<QWidget*>(r.remove)}) {
        ui->rowsLayout->removeWidget(w);
        w->deleteLater();
        w->hide();
    }
}

void frmRaportinMuokkaus::fillRow(int index, const DataPrinterColumn& column)
{
    const Row& r = m_rows[std::size_t(index)];
    r.header->setText(column.Header());
    r.width->setText(widthText(column.Width()));
    const int tableSize = int(TemplateFieldTable().size());
    while (r.field->count() > tableSize)
        r.field->removeItem(r.field->count() - 1);
    const int known = TemplateFieldIndex(column.fieldName());
    if (known >= 0) {
        r.field->setCurrentIndex(known);
    } else {
        // Shown as it is and kept until the user picks another field.
        r.field->addItem(column.fieldName().isEmpty() ? QStringLiteral("(ei kenttää)")
                                                      : QStringLiteral("%1 (tuntematon)").arg(column.fieldName()),
                         -1);
        r.field->setCurrentIndex(tableSize);
    }
}

void frmRaportinMuokkaus::setEditable(bool editable)
{
    for (QWidget* w :
         std::initializer_list<QWidget*>{ui->tRaportinNimi, ui->lblRaportinNimi, ui->optOrientation_1, ui->optOrientation_2,
                                         ui->lblOrientation, ui->optLines_0, ui->optLines_1, ui->lblLines, ui->lblKentat,
                                         ui->lblOtsake, ui->lblKentanNimi, ui->lblLeveys, ui->cUusiRivi})
        w->setEnabled(editable);
    for (const Row& r : m_rows) {
        r.header->setEnabled(editable);
        r.field->setEnabled(editable);
        r.width->setEnabled(editable);
        r.remove->setEnabled(editable);
    }
}

void frmRaportinMuokkaus::showTemplate()
{
    m_filling = true;
    DataPrinterSettings& s = m_current->RepSettings();
    if (!m_current->IsEmpty()) {
        ui->tRaportinNimi->setText(s.ReportName());
        (s.Orientation() == DataPrinterSettings::Portrait ? ui->optOrientation_1 : ui->optOrientation_2)->setChecked(true);
        (s.Lines() ? ui->optLines_0 : ui->optLines_1)->setChecked(true);
        if (s.columnCount() == 0) {
            // A row to type into; the empty column it stands for is no change until it is edited.
            QSignalBlocker quiet(&s);
            s.AddColumn(QString(), QString(), 0);
        }
        for (int i = 1; i <= s.columnCount(); ++i) {
            if (i > rowCount())
                addRow();
            fillRow(i - 1, s.Columns(i));
        }
        while (rowCount() > s.columnCount())
            removeLastRow();
        setEditable(true);
    } else {
        ui->tRaportinNimi->clear();
        ui->optOrientation_1->setChecked(true);
        ui->optLines_0->setChecked(true);
        setEditable(false);
    }
    m_filling = false;
}

void frmRaportinMuokkaus::replaceCurrent(std::unique_ptr<cRapMaaritys> record)
{
    m_record = std::move(record);
    m_current = m_record ? m_record.get() : &m_placeholder;
    showTemplate();
}

void frmRaportinMuokkaus::takeEdits()
{
    QGuiApplication::inputMethod()->commit();
    if (m_current->IsEmpty())
        return;
    DataPrinterSettings& s = m_current->RepSettings();
    if (ui->tRaportinNimi->text() != s.ReportName())
        nameEdited(ui->tRaportinNimi->text());
    for (int i = 0; i < rowCount() && i < s.columnCount(); ++i) {
        DataPrinterColumn& c = s.Columns(i + 1);
        const Row& r = m_rows[std::size_t(i)];
        if (r.header->text() != c.Header())
            c.setHeader(r.header->text());
        // Compared as shown: a width with more decimals than the box shows stays as it is.
        if (r.width->text() != widthText(c.Width()))
            c.setWidth(DataPrinterColumn::ReadWidth(r.width->text()));
    }
}

bool frmRaportinMuokkaus::saveCurrent(Then then)
{
    takeEdits();
    if (m_current->IsEmpty() || !m_current->isDirty())
        return true;
    const DataPrinterSettings& s = m_current->RepSettings();
    bool usable = false;
    for (int i = 1; i <= s.columnCount() && !usable; ++i)
        usable = !s.Columns(i).fieldName().isEmpty();
    if (!usable) {
        // A report without a field prints nothing: such a template is not stored.
        const QString why = QStringLiteral("Raporttipohjassa ei ole yhtään kenttää, jolle on valittu kentän nimi.");
        if (then == Then::Stay) {
            ShowInfo(why + QStringLiteral(" Valitse kenttä ennen tallennusta."));
            return false;
        }
        return AskYesNo(why + QStringLiteral("\r\n\r\nJatketaanko tallentamatta raporttipohjaa?"), MsgIcon::Warning);
    }
    try {
        try {
            m_current->Save();
            return true;
        } catch (const DbException& e) {
            if (e.number() != DbErr::NoCurrentRecord)
                throw;
        }
        // Another window deleted the template meanwhile: it can be kept as a new one.
        const MsgResult answer = Prompter::instance().message(
            QStringLiteral("Raporttipohja on poistettu tietokannasta toisessa ikkunassa. "
                           "Tallennetaanko se uutena raporttipohjana?"),
            MsgIcon::Question, then == Then::Stay ? MsgButtons::YesNo : MsgButtons::YesNoCancel);
        if (answer == MsgResult::No)
            return then != Then::Stay;
        if (answer != MsgResult::Yes)
            return false;
        const qint64 deleted = m_current->id();
        m_current->SaveAsNew();
        // Its list entry now stands for the new row.
        for (int i = 0; i < ui->lstRaps->count(); ++i)
            if (ui->lstRaps->item(i)->data(Qt::UserRole).toLongLong() == deleted)
                ui->lstRaps->item(i)->setData(Qt::UserRole, m_current->id());
        return true;
    } catch (const std::exception& e) {
        if (then != Then::Close) {
            ShowInfo(SaveFailed + reason(e));
            return false;
        }
        return AskYesNo(SaveFailed + reason(e) + QStringLiteral("\r\n\r\nSuljetaanko ikkuna tallentamatta muutoksia?"),
                        MsgIcon::Warning);
    }
}

void frmRaportinMuokkaus::nameEdited(const QString& text)
{
    if (m_filling || m_current->IsEmpty())
        return;
    m_current->RepSettings().setReportName(text);
    const qint64 id = m_current->id();
    if (id == 0)
        return;
    m_listing = true;
    QListWidget* list = ui->lstRaps;
    bool found = false;
    for (int i = 0; i < list->count(); ++i) {
        QListWidgetItem* item = list->item(i);
        if (item->data(Qt::UserRole).toLongLong() == id) {
            list->setCurrentRow(i);
            if (item->text() != text)
                item->setText(text);
            found = true;
            break;
        }
    }
    if (!found && !text.isEmpty()) {
        auto* item = new QListWidgetItem(text, list);
        item->setData(Qt::UserRole, id);
        list->setCurrentItem(item);
    }
    m_listing = false;
}

void frmRaportinMuokkaus::lstRaps_Click()
{
    QListWidgetItem* item = ui->lstRaps->currentItem();
    if (m_listing || !m_loaded || !item)
        return;
    const qint64 id = item->data(Qt::UserRole).toLongLong();
    if (id == m_current->id() && !m_current->IsEmpty())
        return;
    // The template shown before is stored when it changed; a failed save keeps it on screen.
    if (!saveCurrent(Then::Move)) {
        m_listing = true;
        SelectListItemByData(ui->lstRaps, qint32(m_current->id()));
        m_listing = false;
        return;
    }
    auto record = std::make_unique<cRapMaaritys>(m_db);
    bool found = false;
    if (!ReportingErrors(QString(), [&] { found = record->Read(id); }))
        return;
    if (!found) {
        ShowInfo(QStringLiteral("Raporttipohjaa ei löydy."));
        return;
    }
    replaceCurrent(std::move(record));
}

bool frmRaportinMuokkaus::showNew(std::unique_ptr<cRapMaaritys> record)
{
    // Stored at once, so the template has its row (and its id) from the start.
    try {
        record->Save(true);
    } catch (const std::exception& e) {
        ShowInfo(SaveFailed + reason(e));
        return false;
    }
    replaceCurrent(std::move(record));
    ui->tRaportinNimi->setFocus();
    return true;
}

void frmRaportinMuokkaus::cUusi_Click()
{
    if (!m_loaded || !saveCurrent(Then::Move))
        return;
    cMouseCursor busy;
    busy.SetCursor(this, BusyPointer);
    showNew(std::make_unique<cRapMaaritys>(m_db));
}

void frmRaportinMuokkaus::cKopio_Click()
{
    if (!m_loaded || m_current->IsEmpty() || !saveCurrent(Then::Move))
        return;
    cMouseCursor busy;
    busy.SetCursor(this, BusyPointer);
    auto record = std::make_unique<cRapMaaritys>(m_db);
    record->setRapDef(m_current->RapDef());
    const QString name = QStringLiteral("Kopio ") + m_current->RepSettings().ReportName();
    if (!showNew(std::move(record)))
        return;
    ui->tRaportinNimi->setText(name);
    nameEdited(name);
    try {
        m_current->Save();
    } catch (const std::exception& e) {
        ShowInfo(SaveFailed + reason(e));
    }
}

void frmRaportinMuokkaus::cTallenna_Click()
{
    if (m_loaded)
        saveCurrent();
}

void frmRaportinMuokkaus::cPoista_Click()
{
    if (!m_loaded || m_current->IsEmpty())
        return;
    if (!AskYesNo(
            NamingRecord(QStringLiteral("Haluatko varmasti poistaa valitun raporttipohjan?"), {ui->tRaportinNimi->text()})))
        return;
    cMouseCursor busy;
    busy.SetCursor(this, BusyPointer);
    const qint64 id = m_current->id();
    if (!ReportingErrors(QStringLiteral("Raporttipohjan poisto epäonnistui: "), [&] { m_current->Delete(); }))
        return;
    replaceCurrent(nullptr);
    m_listing = true;
    for (int i = 0; i < ui->lstRaps->count(); ++i) {
        if (ui->lstRaps->item(i)->data(Qt::UserRole).toLongLong() == id) {
            delete ui->lstRaps->takeItem(i);
            break;
        }
    }
    ui->lstRaps->setCurrentRow(-1);
    m_listing = false;
}

void frmRaportinMuokkaus::cSelaa_Click()
{
    if (!m_loaded || !saveCurrent())
        return;
    ReportingErrors(QString(), [this] { FillTemplateList(); });
    ui->lstRaps->setFocus();
}

void frmRaportinMuokkaus::cPeru_Click()
{
    if (!m_loaded || m_current->IsEmpty())
        return;
    cMouseCursor busy;
    busy.SetCursor(this, BusyPointer);
    m_current->Undo();
    showTemplate();
    nameEdited(m_current->RepSettings().ReportName());
}

bool frmRaportinMuokkaus::mayClose()
{
    // However the window is closed (Sulje, Esc, Alt+F4, the title bar), the template is stored as
    // a save would store it.
    return !m_loaded || m_closing || saveCurrent(Then::Close);
}

void frmRaportinMuokkaus::cSulje_Click()
{
    if (!mayClose())
        return;
    m_closing = true;
    SaveFormPlacement(this);
    done(QDialog::Accepted);
}

void frmRaportinMuokkaus::reject()
{
    // Esc and the title bar's close: the template is stored as by Sulje.
    cSulje_Click();
}

void frmRaportinMuokkaus::closeEvent(QCloseEvent* event)
{
    if (!m_closing && !mayClose()) {
        event->ignore();
        return;
    }
    if (!m_closing)
        SaveFormPlacement(this);
    m_closing = true;
    QDialog::closeEvent(event);
}

bool frmRaportinMuokkaus::eventFilter(QObject* watched, QEvent* event)
{
    // Ctrl+Z is the window's Peru, not the text box's own undo.
    if (event->type() == QEvent::ShortcutOverride && IsRecordCommandKey(static_cast<QKeyEvent*>(event)))
        return true;
    return QDialog::eventFilter(watched, event);
}

} // namespace tikkeli
