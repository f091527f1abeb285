// Shared widgets in states a still picture of a view does not reach: a prominent button as the
// keyboard finds it, on a light and on a dark desktop.

#include "Gallery/GalleryRegistry.h"
#include "Widgets/ProminentButton.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTest>

namespace Quorvel {

namespace {

// Breeze Dark's window, text and accent: the accent is a light blue lettered in white.
QPalette darkPalette()
{
    QPalette palette = QApplication::palette();
    const QColor window(0x20, 0x23, 0x26);
    const QColor text(0xfc, 0xfc, 0xfc);
    palette.setColor(QPalette::Window, window);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Base, QColor(0x14, 0x16, 0x18));
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::Button, QColor(0x29, 0x2c, 0x30));
    palette.setColor(QPalette::ButtonText, text);
    palette.setColor(QPalette::Highlight, QColor(0x3d, 0xae, 0xe9));
    palette.setColor(QPalette::HighlightedText, text);
    return palette;
}

// A window's footer (Discard, then the prominent Save) drawn twice: with the focus on Discard,
// then after Tab has moved it to Save.
QList<QPixmap> footerBeforeAndAfterTab(const QPalette &palette)
{
    QWidget window;
    window.setPalette(palette);
    window.setAutoFillBackground(true);
    auto *row = new QHBoxLayout(&window);
    auto *discard = new QPushButton(QStringLiteral("Discard Changes"), &window);
    row->addWidget(discard);
    row->addWidget(new ProminentButton(QStringLiteral("Save to Studio"), &window));
    window.show();
    QApplication::setActiveWindow(&window);
    if (!QTest::qWaitForWindowActive(&window))
        return {};
    discard->setFocus(Qt::OtherFocusReason);
    QList<QPixmap> pictures{window.grab()};
    QTest::keyClick(&window, Qt::Key_Tab);
    pictures.append(window.grab());
    return pictures;
}

QWidget *prominentFocus(GallerySession &)
{
    auto *sheet = new QWidget;
    auto *grid = new QGridLayout(sheet);
    grid->addWidget(new QLabel(QStringLiteral("Focus on Discard")), 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Tab: focus on Save")), 0, 2);
    const QList<std::pair<QString, QPalette>> palettes{
        {QStringLiteral("Light"), QApplication::style()->standardPalette()},
        {QStringLiteral("Dark"), darkPalette()}};
    for (int index = 0; index < int(palettes.size()); ++index) {
        const QList<QPixmap> pictures = footerBeforeAndAfterTab(palettes.at(index).second);
        if (pictures.size() != 2) {
            delete sheet;
            return nullptr;
        }
        grid->addWidget(new QLabel(palettes.at(index).first), index + 1, 0);
        for (int column = 0; column < 2; ++column) {
            auto *picture = new QLabel;
            picture->setPixmap(pictures.at(column));
            grid->addWidget(picture, index + 1, column + 1);
        }
    }
    return sheet;
}

const GalleryRegistry::Registration pages{
    {QStringLiteral("ProminentButton"), QStringLiteral("keyboard-focus"),
     GalleryPass::withoutDiscovery, prominentFocus},
};

} // namespace

} // namespace Quorvel
