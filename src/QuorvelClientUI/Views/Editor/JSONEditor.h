#pragma once

#include <QDialog>

#include <functional>
#include <optional>

class QPushButton;

namespace Quorvel {

class PlainTextField;
class SymbolLabel;

// The body of every sheet that edits JSON: a title, the text in the system's fixed font, an
// error line shown only while there is an error, and Cancel and Apply. Apply runs what the owner
// gives and never closes the sheet by itself; Cancel (and Escape) closes it without applying.
class JSONEditor : public QDialog {
    Q_OBJECT

public:
    static constexpr int minimumTextWidth = 520;
    static constexpr int minimumTextHeight = 320;

    JSONEditor(const QString &title, QWidget *parent = nullptr);

    // The text as it stands, character for character.
    QString text() const;
    // Shows JSON text with the characters that don't show, or that reorder what is around them,
    // written as escapes inside its strings: the text still reads as the same values.
    void setText(const QString &text);
    // None hides the error line.
    void setError(const std::optional<QString> &error);
    std::optional<QString> error() const { return m_error; }
    void setApply(std::function<void()> apply) { m_apply = std::move(apply); }

    PlainTextField *textEdit() const { return m_text; }
    QPushButton *applyButton() const { return m_applyButton; }
    QPushButton *cancelButton() const { return m_cancelButton; }

private:
    PlainTextField *m_text;
    SymbolLabel *m_errorLabel;
    QPushButton *m_applyButton;
    QPushButton *m_cancelButton;
    std::optional<QString> m_error;
    std::function<void()> m_apply;
};

} // namespace Quorvel
