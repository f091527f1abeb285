#pragma once

#include <QList>
#include <QString>

class QWidget;

namespace Quorvel {

class FlowLayout;

// Plain text of a sentence split into one piece per word, so a line can wrap between any two
// words among the chips.
class Words {
public:
    struct Word {
        QString text;
        // Made only of ".,;:": it sits against the piece before it and never starts a line.
        bool tight = false;
        friend bool operator==(const Word &, const Word &) = default;
    };

    // Split at spaces only; runs of spaces give no empty words, tabs and line breaks stay inside.
    static QList<Word> split(const QString &text);
    static bool isTight(const QString &word);
    // One plain label per word, added to the layout in order.
    static void addTo(FlowLayout *layout, const QString &text, QWidget *parent);
};

} // namespace Quorvel
