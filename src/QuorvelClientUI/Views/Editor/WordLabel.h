#pragma once

#include <QWidget>

namespace Quorvel {

// One plain word of a sentence, drawn as text in the window's text colour. Lighter than a label:
// a large deck's sentences hold thousands of words.
class WordLabel : public QWidget {
    Q_OBJECT

public:
    WordLabel(const QString &text, QWidget *parent = nullptr);

    QString text() const { return m_text; }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    QString m_text;
    mutable QSize m_sizeHint;
};

} // namespace Quorvel
