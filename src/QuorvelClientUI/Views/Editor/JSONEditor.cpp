#include "QuorvelClientUI/Views/Editor/JSONEditor.h"

#include "Widgets/PlainLabel.h"
#include "Widgets/PlainTextField.h"
#include "Widgets/ShownText.h"
#include "Widgets/SymbolLabel.h"
#include "Widgets/TextStyle.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace Quorvel {

namespace {

constexpr int outerPadding = 18;
constexpr int rowSpacing = 10;

} // namespace

JSONEditor::JSONEditor(const QString &title, QWidget *parent)
    : QDialog(parent), m_text(new PlainTextField(this)),
      m_errorLabel(new SymbolLabel(QStringLiteral("xmark.octagon.fill"), QString(),
                                   TextStyle::caption, StatusTone::red, this)),
      m_applyButton(new QPushButton(tr("Apply"), this)),
      m_cancelButton(new QPushButton(tr("Cancel"), this))
{
    setWindowTitle(title);
    setWindowModality(Qt::WindowModal);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(outerPadding, outerPadding, outerPadding, outerPadding);
    layout->setSpacing(rowSpacing);
    auto *heading = new PlainLabel(title, TextStyle::headline, StatusTone::none, this);
    heading->setObjectName(QStringLiteral("title"));
    layout->addWidget(heading);
    applyTextStyle(m_text, TextStyle::body, true);
    m_text->setMinimumSize(minimumTextWidth, minimumTextHeight);
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_text->setAccessibleName(title);
    layout->addWidget(m_text, 1);
    m_errorLabel->setObjectName(QStringLiteral("error"));
    m_errorLabel->textLabel()->setWrapping();
    m_errorLabel->hide();
    layout->addWidget(m_errorLabel);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_cancelButton);
    buttons->addWidget(m_applyButton);
    layout->addLayout(buttons);
    m_applyButton->setDefault(true);
    m_applyButton->setAutoDefault(true);
    m_cancelButton->setAutoDefault(false);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_applyButton, &QPushButton::clicked, this, [this] {
        if (m_apply)
            m_apply();
    });
}

QString JSONEditor::text() const
{
    return m_text->text();
}

void JSONEditor::setText(const QString &text)
{
    m_text->setText(ShownText::jsonWithHiddenEscaped(text));
}

void JSONEditor::setError(const std::optional<QString> &error)
{
    m_error = error;
    m_errorLabel->set(QStringLiteral("xmark.octagon.fill"), error.value_or(QString()),
                      StatusTone::red);
    m_errorLabel->setVisible(error.has_value());
}

} // namespace Quorvel
