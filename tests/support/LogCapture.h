#pragma once

#include <QStringList>
#include <QtGlobal>

#include <algorithm>

// Every log line written while it exists, as the log would hold it; the lines still go on to the
// handler before it (QtTest's, so that its expected messages work as ever).
class LogCapture {
public:
    LogCapture()
    {
        s_current = this;
        m_previous = qInstallMessageHandler(&LogCapture::handle);
    }
    ~LogCapture()
    {
        qInstallMessageHandler(m_previous);
        s_current = nullptr;
    }
    LogCapture(const LogCapture &) = delete;
    LogCapture &operator=(const LogCapture &) = delete;

    const QStringList &lines() const { return m_lines; }
    // Whether some line holds the text.
    bool mentions(const QString &text) const
    {
        return std::any_of(m_lines.cbegin(), m_lines.cend(),
                           [&text](const QString &line) { return line.contains(text); });
    }

private:
    static void handle(QtMsgType type, const QMessageLogContext &context, const QString &text)
    {
        if (s_current) {
            s_current->m_lines.append(text);
            if (s_current->m_previous)
                s_current->m_previous(type, context, text);
        }
    }

    static inline LogCapture *s_current = nullptr;
    QtMessageHandler m_previous = nullptr;
    QStringList m_lines;
};
