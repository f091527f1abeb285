#include "QuorvelClientUI/Views/Editor/IntervalPopover.h"

#include "QuorvelClientUI/Editor/CheckEditing.h"
#include "Widgets/PlainLabel.h"

#include <QButtonGroup>
#include <QRadioButton>
#include <QVBoxLayout>

namespace Quorvel {

namespace {

constexpr int rowSpacing = 8;

} // namespace

IntervalPopover::IntervalPopover(EditBinding<std::optional<double>> interval, QWidget *parent)
    : QWidget(parent), m_interval(std::move(interval)), m_list(new QVBoxLayout),
      m_options(new QButtonGroup(this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(rowSpacing);
    layout->addWidget(new PlainLabel(tr("How often should it refresh?"), TextStyle::headline,
                                     StatusTone::none, this));
    m_list->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(m_list);
    // A click on the chosen option emits no toggle, so choosing it again writes nothing.
    connect(m_options, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (!checked)
            return;
        const QList<CheckEditing::IntervalOption> options =
            CheckEditing::intervalOptions(m_interval.get());
        if (id < 0 || id >= options.size())
            return;
        m_interval.set(options.at(id).seconds);
        QMetaObject::invokeMethod(this, &IntervalPopover::rebuild, Qt::QueuedConnection);
    });
    rebuild();
}

void IntervalPopover::rebuild()
{
    const std::optional<double> current = m_interval.get();
    const QList<CheckEditing::IntervalOption> options = CheckEditing::intervalOptions(current);
    const QSignalBlocker blocker(m_options);
    for (QAbstractButton *button : m_options->buttons()) {
        m_options->removeButton(button);
        delete button;
    }
    const qsizetype chosen = CheckEditing::chosenInterval(current);
    for (qsizetype i = 0; i < options.size(); ++i) {
        auto *radio = new QRadioButton(options.at(i).text, this);
        radio->setChecked(i == chosen);
        m_options->addButton(radio, int(i));
        m_list->addWidget(radio);
    }
}

} // namespace Quorvel
