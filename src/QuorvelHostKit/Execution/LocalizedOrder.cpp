#include "QuorvelHostKit/Execution/LocalizedOrder.h"

#include <QCollator>

#include <algorithm>

namespace Quorvel {

void sortLocalizedCaseInsensitive(QStringList &texts)
{
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(texts.begin(), texts.end(), [&collator](const QString &a, const QString &b) {
        return collator.compare(a, b) < 0;
    });
}

} // namespace Quorvel
