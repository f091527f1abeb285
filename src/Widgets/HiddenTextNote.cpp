#include "Widgets/HiddenTextNote.h"

#include "Widgets/PlainTextField.h"
#include "Widgets/ShownText.h"

#include <QLineEdit>

namespace Quorvel {

HiddenTextNote::HiddenTextNote(QWidget *parent)
    : PlainLabel(QString(), TextStyle::caption, StatusTone::orange, parent)
{
    setObjectName(QStringLiteral("hiddenTextNote"));
    setWrapping();
    setTextInteractionFlags(Qt::TextSelectableByMouse);
}

HiddenTextNote::HiddenTextNote(QLineEdit *field, QWidget *parent) : HiddenTextNote(parent)
{
    connect(field, &QLineEdit::textChanged, this, &HiddenTextNote::follow);
    follow(field->text());
}

HiddenTextNote::HiddenTextNote(PlainTextField *field, QWidget *parent) : HiddenTextNote(parent)
{
    connect(field, &QPlainTextEdit::textChanged, this, [this, field] { follow(field->text()); });
    follow(field->text());
}

QString HiddenTextNote::noteFor(const QString &text)
{
    if (!ShownText::holdsHidden(text))
        return {};
    return tr("Holds characters that don't show. It runs as: %1")
        .arg(ShownText::withHiddenShown(text));
}

void HiddenTextNote::follow(const QString &text)
{
    const QString note = noteFor(text);
    setText(note);
    setVisible(!note.isEmpty());
}

} // namespace Quorvel
