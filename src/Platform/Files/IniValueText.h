#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QVariant>

// Keys and values spelt as Qt's INI settings files spell them, both ways: what is written here
// reads back the same through Qt's own INI format, and what Qt wrote reads back the same here.
namespace Quorvel::IniValueText {

// A key or a section name: "/" becomes "\"; anything but ASCII letters, digits, "_", "-" and "."
// becomes "%XX" (up to U+00FF) or "%UXXXX".
void appendKey(const QString &key, QByteArray &out);
QString key(QByteArrayView text);

// A value: a text list as "a, b" ("@Invalid()" when empty), anything else as one text. Texts are
// escaped C-style and quoted where a reader would otherwise split or trim them; types other than
// text and numbers take Qt's "@Type(...)" forms (bytes, date-times and the rest through
// QDataStream), and a text of its own that starts with "@" gets a second one.
void appendValue(const QVariant &value, QByteArray &out);
QVariant value(QByteArrayView text);

} // namespace Quorvel::IniValueText
