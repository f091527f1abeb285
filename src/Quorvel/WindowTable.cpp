#include "Quorvel/WindowTable.h"

#include "Platform/Text/OutsideText.h"
#include "Quorvel/AppLogging.h"

namespace Quorvel {

WindowTable::WindowTable(QObject *parent) : QObject(parent) {}

WindowTable::~WindowTable()
{
    for (const QPointer<QWidget> &window : std::as_const(m_windows))
        delete window.data();
}

void WindowTable::setFactory(const QString &id, Factory factory)
{
    m_factories.insert(id, std::move(factory));
}

QWidget *WindowTable::open(const QString &id, const QString &title)
{
    QWidget *window = m_windows.value(id);
    if (!window) {
        const auto factory = m_factories.constFind(id);
        if (factory == m_factories.cend()) {
            qCInfo(lcApp) << "No window can be opened for" << OutsideText::forLog(id)
                          << "in this version";
            emit opened(id, nullptr);
            return nullptr;
        }
        window = (*factory)();
        if (!title.isEmpty())
            window->setWindowTitle(title);
        m_windows.insert(id, window);
    }
    window->show();
    // Minimised, it would stay out of sight.
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->raise();
    window->activateWindow();
    emit opened(id, window);
    return window;
}

void WindowTable::forget(const QString &id)
{
    delete m_windows.take(id).data();
}

} // namespace Quorvel
