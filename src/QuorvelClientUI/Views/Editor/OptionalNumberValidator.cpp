#include "QuorvelClientUI/Views/Editor/OptionalNumberValidator.h"

#include <QLocale>

namespace Quorvel {

OptionalNumberValidator::OptionalNumberValidator(QObject *parent) : QDoubleValidator(parent)
{
    setLocale(QLocale());
}

QValidator::State OptionalNumberValidator::validate(QString &input, int &position) const
{
    if (input.trimmed().isEmpty())
        return Acceptable;
    return QDoubleValidator::validate(input, position);
}

} // namespace Quorvel
