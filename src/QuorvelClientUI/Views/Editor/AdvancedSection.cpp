#include "QuorvelClientUI/Views/Editor/AdvancedSection.h"

#include "QuorvelClientUI/Views/Editor/AdvancedFields.h"
#include "QuorvelClientUI/Views/Editor/OptionalNumberValidator.h"
#include "Widgets/LineField.h"
#include "Widgets/PlainLabel.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>

namespace Quorvel {

namespace {

constexpr int rowSpacing = 10;
constexpr int columnSpacing = 12;
constexpr int gridRowSpacing = 8;
constexpr int numberFieldWidth = 70;
constexpr int noteSpacing = 2;
// Grid rows.
constexpr int idRow = 0;
constexpr int giveUpRow = 1;
constexpr int intervalRow = 2;

QLineEdit *numberField(const QString &placeholder, QWidget *parent)
{
    auto *field = new LineField(parent);
    field->setPlaceholderText(placeholder);
    field->setFixedWidth(numberFieldWidth);
    field->setValidator(new OptionalNumberValidator(field));
    return field;
}

QWidget *withUnit(QLineEdit *field, QWidget *parent)
{
    auto *box = new QWidget(parent);
    auto *layout = new QHBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(field);
    layout->addWidget(
        new PlainLabel(QObject::tr("seconds"), TextStyle::body, StatusTone::none, box));
    layout->addStretch(1);
    return box;
}

void setUnlessTyping(QLineEdit *field, const QString &text)
{
    if (!field->hasFocus() && field->text() != text)
        field->setText(text);
}

} // namespace

AdvancedSection::AdvancedSection(QWidget *parent)
    : QWidget(parent), m_grid(new QGridLayout), m_id(new LineField(this)),
      m_giveUp(numberField(QStringLiteral("60"), this)),
      m_interval(numberField(QStringLiteral("5"), this)),
      m_intervalLabel(new PlainLabel(QString(), TextStyle::body, StatusTone::secondary, this))
{
    setObjectName(QStringLiteral("advanced"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(rowSpacing);
    auto *line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    layout->addWidget(line);
    layout->addWidget(
        new PlainLabel(tr("Advanced"), TextStyle::caption, StatusTone::secondary, this));
    m_grid->setHorizontalSpacing(columnSpacing);
    m_grid->setVerticalSpacing(gridRowSpacing);
    m_grid->setAlignment(Qt::AlignLeft);
    layout->addLayout(m_grid);

    m_id->setObjectName(QStringLiteral("actionID"));
    m_id->setAccessibleName(tr("Action ID"));
    applyTextStyle(m_id, TextStyle::body, true);
    auto *idBox = new QWidget(this);
    auto *idLayout = new QVBoxLayout(idBox);
    idLayout->setContentsMargins(0, 0, 0, 0);
    idLayout->setSpacing(noteSpacing);
    idLayout->addWidget(m_id);
    idLayout->addWidget(new PlainLabel(tr("Scripts and links use this name."), TextStyle::caption2,
                                       StatusTone::secondary, idBox));
    m_grid->addWidget(new PlainLabel(tr("Action ID"), TextStyle::body, StatusTone::secondary, this),
                      idRow, 0, Qt::AlignTop);
    m_grid->addWidget(idBox, idRow, 1);

    m_giveUp->setObjectName(QStringLiteral("giveUp"));
    m_giveUp->setAccessibleName(tr("Give up after"));
    m_grid->addWidget(
        new PlainLabel(tr("Give up after"), TextStyle::body, StatusTone::secondary, this),
        giveUpRow, 0);
    m_grid->addWidget(withUnit(m_giveUp, this), giveUpRow, 1);

    m_interval->setObjectName(QStringLiteral("interval"));
    m_grid->addWidget(m_intervalLabel, intervalRow, 0);
    m_grid->addWidget(withUnit(m_interval, this), intervalRow, 1);

    auto *json = new QPushButton(tr("Edit This Action as JSON\u2026"), this);
    json->setFlat(true);
    json->setObjectName(QStringLiteral("editAsJSON"));
    json->setCursor(Qt::PointingHandCursor);
    json->setForegroundRole(QPalette::Link);
    applyTextStyle(json, TextStyle::callout);
    layout->addWidget(json, 0, Qt::AlignLeft);

    connect(m_id, &QLineEdit::textEdited, this, [this](const QString &text) {
        Control control = m_control;
        control.id = text;
        emit edited(control);
    });
    connect(m_giveUp, &QLineEdit::editingFinished, this, [this] {
        Control control = m_control;
        AdvancedFields::setGiveUpTime(control, readNumber(m_giveUp->text()));
        if (control != m_control)
            emit edited(control);
        m_giveUp->setText(writeNumber(AdvancedFields::giveUpTime(control)));
    });
    connect(m_interval, &QLineEdit::editingFinished, this, [this] {
        Control control = m_control;
        AdvancedFields::setCheckInterval(control, readNumber(m_interval->text()));
        if (control != m_control)
            emit edited(control);
        m_interval->setText(writeNumber(AdvancedFields::checkInterval(control)));
    });
    connect(json, &QPushButton::clicked, this, &AdvancedSection::editAsJSON);
}

std::optional<double> AdvancedSection::readNumber(const QString &text)
{
    bool ok = false;
    const double value = QLocale().toDouble(text.trimmed(), &ok);
    return ok ? std::optional(value) : std::nullopt;
}

QString AdvancedSection::writeNumber(std::optional<double> value)
{
    return value ? QLocale().toString(*value, 'g', QLocale::FloatingPointShortest) : QString();
}

void AdvancedSection::setRowVisible(int row, bool visible)
{
    for (int column = 0; column < m_grid->columnCount(); ++column) {
        if (QLayoutItem *item = m_grid->itemAtPosition(row, column); item && item->widget())
            item->widget()->setVisible(visible);
    }
}

void AdvancedSection::showControl(const Control &control)
{
    m_control = control;
    setUnlessTyping(m_id, control.id);
    setUnlessTyping(m_giveUp, writeNumber(AdvancedFields::giveUpTime(control)));
    setUnlessTyping(m_interval, writeNumber(AdvancedFields::checkInterval(control)));
    setRowVisible(giveUpRow, control.type != ControlType::metric);
    setRowVisible(intervalRow, control.type != ControlType::button);
    m_intervalLabel->setText(control.type == ControlType::metric ? tr("Refresh every")
                                                                 : tr("Check every"));
    m_interval->setAccessibleName(m_intervalLabel->text());
}

} // namespace Quorvel
