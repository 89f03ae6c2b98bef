#include "contracts/ui/tTilatiedot.h"

#include "base/NullConversions.h"
#include "ui/TextBoxHelpers.h"
#include "ui/WindowTeardown.h"
#include "ui/SelectAllOnFocus.h"

#include "ui_tTilatiedot.h"

#include <QKeyEvent>

namespace tikkeli {

tTilatiedot::tTilatiedot(QWidget* parent) : QWidget(parent), ui(std::make_unique<Ui::tTilatiedot>())
{
    ui->setupUi(this);
    setFocusPolicy(Qt::StrongFocus);
    for (QLineEdit* box : {ui->tTalo, ui->tTila, ui->tTilanimi, ui->tPintaala}) {
        SelectAllOnFocus(box);
        box->installEventFilter(this);
    }
    // The user's typing only: showing an estate must not write it back.
    connect(ui->tTalo, &QLineEdit::textEdited, this, &tTilatiedot::taloChanged);
    connect(ui->tTila, &QLineEdit::textEdited, this, &tTilatiedot::tilaChanged);
    connect(ui->tTilanimi, &QLineEdit::textEdited, this, &tTilatiedot::nameChanged);
    connect(ui->tPintaala, &QLineEdit::textEdited, this, &tTilatiedot::areaChanged);
}

tTilatiedot::~tTilatiedot()
{
    DetachControls(this);
}

QColor tTilatiedot::BackColor() const
{
    return palette().color(QPalette::Window);
}

void tTilatiedot::setBackColor(const QColor& color)
{
    QPalette p = palette();
    p.setColor(QPalette::Window, color);
    setPalette(p);
    setAutoFillBackground(true);
    emit backColorChanged();
}

void tTilatiedot::setTila(std::shared_ptr<cTila> tila)
{
    m_tila = std::move(tila);
    if (!m_tila)
        return;
    ui->tTalo->setText(QString::number(m_tila->TaloNo()));
    ui->tTila->setText(QString::number(m_tila->TilaNo()));
    ui->tTilanimi->setText(m_tila->Tila());
    ui->tPintaala->setText(FormatLocaleNumber(m_tila->PintaAla()));
}

void tTilatiedot::taloChanged()
{
    KeepIntegerText(ui->tTalo);
    if (m_tila)
        m_tila->setTaloNo(qint16(NullToInteger(Value(ui->tTalo->text()))));
}

void tTilatiedot::tilaChanged()
{
    KeepIntegerText(ui->tTila);
    if (m_tila)
        m_tila->setTilaNo(qint16(NullToInteger(Value(ui->tTila->text()))));
}

void tTilatiedot::nameChanged()
{
    if (m_tila)
        m_tila->setTila(ui->tTilanimi->text());
}

void tTilatiedot::areaChanged()
{
    KeepNumericText(ui->tPintaala);
    if (m_tila)
        m_tila->setPintaAla(ParseLocaleNumber(ui->tPintaala->text()).value_or(0.0));
}

bool tTilatiedot::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        // A key the box does not take reaches the row too; the host hears it once.
        m_reported = key;
        emit KeyDown(key->key(), key->modifiers());
    }
    return QWidget::eventFilter(watched, event);
}

void tTilatiedot::keyPressEvent(QKeyEvent* event)
{
    if (event != m_reported)
        emit KeyDown(event->key(), event->modifiers());
    m_reported = nullptr;
    QWidget::keyPressEvent(event);
}

} // namespace tikkeli
