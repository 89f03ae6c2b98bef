#include "members/ui/FeatureValueEditor.h"

#include "ui_FeatureValueEditor.h"

#include "base/Prompter.h"
#include "ui/SelectAllOnFocus.h"

#include <QCheckBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

#include <algorithm>

namespace tikkeli {

namespace {

constexpr FeatureValueText::Kind kKinds[] = {FeatureValueText::Kind::Date, FeatureValueText::Kind::Long,
                                             FeatureValueText::Kind::Currency, FeatureValueText::Kind::Memo};

} // namespace

FeatureValueEditor::FeatureValueEditor(QWidget* parent) : QWidget(parent), ui(std::make_unique<Ui::FeatureValueEditor>())
{
    ui->setupUi(this);
    for (QLineEdit* box : {ui->tDate, ui->tLong, ui->tCurrency})
        box->setMaxLength(FeatureValueText::maxLength(box == ui->tDate   ? Kind::Date
                                                      : box == ui->tLong ? Kind::Long
                                                                         : Kind::Currency));
    for (const Kind kind : kKinds) {
        valueBox(kind)->installEventFilter(this);
        connect(kindBox(kind), &QCheckBox::clicked, this, [this, kind](bool on) {
            setOffered(kind, on);
            emit kindToggled(kind, on);
        });
    }
    connect(ui->tDate, &QLineEdit::textChanged, this, [this] { emit valueChanged(Kind::Date); });
    connect(ui->tLong, &QLineEdit::textChanged, this, [this] { emit valueChanged(Kind::Long); });
    connect(ui->tCurrency, &QLineEdit::textChanged, this, [this] { emit valueChanged(Kind::Currency); });
    connect(ui->tMemo, &QPlainTextEdit::textChanged, this, [this] { emit valueChanged(Kind::Memo); });
    setCaptions(Captions::Labels);
}

FeatureValueEditor::~FeatureValueEditor() = default;

QWidget* FeatureValueEditor::valueBox(Kind kind) const
{
    QWidget* const boxes[] = {ui->tDate, ui->tLong, ui->tCurrency, ui->tMemo};
    return boxes[index(kind)];
}

QCheckBox* FeatureValueEditor::kindBox(Kind kind) const
{
    QCheckBox* const boxes[] = {ui->chkDate, ui->chkLong, ui->chkCurrency, ui->chkMemo};
    return boxes[index(kind)];
}

void FeatureValueEditor::setCaptions(Captions captions)
{
    m_captions = captions;
    const bool checks = captions == Captions::CheckBoxes;
    QLabel* const labels[] = {ui->lblDate, ui->lblLong, ui->lblCurrency, ui->lblMemo};
    int captionWidth = 0;
    for (const Kind kind : kKinds) {
        kindBox(kind)->setVisible(checks);
        labels[index(kind)]->setVisible(!checks && valueBox(kind)->isEnabled());
        captionWidth = std::max(captionWidth, labels[index(kind)]->sizeHint().width());
    }
    // The boxes stay in place while labels come and go with the kinds offered.
    ui->grid->setColumnMinimumWidth(1, checks ? 0 : captionWidth);
}

void FeatureValueEditor::setOffered(Kind kind, bool on)
{
    QLabel* const labels[] = {ui->lblDate, ui->lblLong, ui->lblCurrency, ui->lblMemo};
    if (m_captions == Captions::Labels)
        labels[index(kind)]->setVisible(on);
    kindBox(kind)->setChecked(on);
    // An empty box stays as it is: emptying it again lays it out again, at every move of a card.
    if (!on && !text(kind).isEmpty())
        setText(kind, QString());
    valueBox(kind)->setEnabled(on);
}

bool FeatureValueEditor::isOffered(Kind kind) const
{
    // The box's own state, whatever the window's visibility.
    return valueBox(kind)->isEnabledTo(const_cast<FeatureValueEditor*>(this));
}

void FeatureValueEditor::reset()
{
    for (const Kind kind : kKinds)
        setOffered(kind, false);
}

QString FeatureValueEditor::text(Kind kind) const
{
    if (kind == Kind::Memo)
        return ui->tMemo->toPlainText();
    return static_cast<QLineEdit*>(valueBox(kind))->text();
}

void FeatureValueEditor::setText(Kind kind, const QString& text)
{
    if (kind == Kind::Memo)
        ui->tMemo->setPlainText(text);
    else
        static_cast<QLineEdit*>(valueBox(kind))->setText(text);
}

std::optional<QString> FeatureValueEditor::refusal() const
{
    for (const Kind kind : kKinds) {
        if (!isOffered(kind))
            continue;
        const FeatureValueText::Reading r = FeatureValueText::read(kind, text(kind));
        if (!r.ok())
            return r.refusal;
    }
    return std::nullopt;
}

bool FeatureValueEditor::eventFilter(QObject* watched, QEvent* event)
{
    SelectAllOnFocus(watched, event);
    if (event->type() == QEvent::FocusOut) {
        // The message box that tells of a refused text takes the focus too: that is no leaving.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            for (const Kind kind : kKinds)
                if (watched == valueBox(kind))
                    boxLeft(kind);
    }
    return QWidget::eventFilter(watched, event);
}

void FeatureValueEditor::boxLeft(Kind kind)
{
    if (m_checking || kind == Kind::Memo)
        return;
    const FeatureValueText::Reading r = FeatureValueText::read(kind, text(kind));
    if (!r.ok()) {
        m_checking = true;
        ShowInfo(*r.refusal);
        m_checking = false;
        return;
    }
    const QString shown = FeatureValueText::normalized(kind, text(kind));
    if (shown != text(kind))
        setText(kind, shown);
}

} // namespace tikkeli
