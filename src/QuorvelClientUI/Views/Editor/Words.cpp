#include "QuorvelClientUI/Views/Editor/Words.h"

#include "QuorvelClientUI/Views/Editor/FlowLayout.h"
#include "QuorvelClientUI/Views/Editor/WordLabel.h"

#include <algorithm>

namespace Quorvel {

QList<Words::Word> Words::split(const QString &text)
{
    QList<Word> words;
    for (const QString &piece : text.split(u' ', Qt::SkipEmptyParts))
        words.append(Word{piece, isTight(piece)});
    return words;
}

bool Words::isTight(const QString &word)
{
    static const QString punctuation = QStringLiteral(".,;:");
    return !word.isEmpty() &&
           std::all_of(word.cbegin(), word.cend(), [](QChar c) { return punctuation.contains(c); });
}

void Words::addTo(FlowLayout *layout, const QString &text, QWidget *parent)
{
    for (const Word &word : split(text)) {
        auto *label = new WordLabel(word.text, parent);
        label->setObjectName(QStringLiteral("word"));
        layout->addWidget(label, word.tight);
    }
}

} // namespace Quorvel
