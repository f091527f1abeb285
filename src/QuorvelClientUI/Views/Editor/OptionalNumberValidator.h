#pragma once

#include <QDoubleValidator>

namespace Quorvel {

// A number in the user's locale, or nothing at all: an empty field is a value of its own (the
// setting is removed), so it must commit like any number does.
class OptionalNumberValidator : public QDoubleValidator {
    Q_OBJECT

public:
    explicit OptionalNumberValidator(QObject *parent = nullptr);

    State validate(QString &input, int &position) const override;
};

} // namespace Quorvel
