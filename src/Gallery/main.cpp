#include "Gallery/GalleryRegistry.h"
#include "Gallery/GallerySession.h"
#include "Widgets/FocusRing.h"
#include "Widgets/IconTheme.h"
#include "Widgets/ReadablePalette.h"
#include "Widgets/TextFit.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QPixmap>
#include <QTextStream>

#include <memory>

using namespace Quorvel;

namespace {

// Room for a page's view to settle after it was laid out: a few turns of the event loop.
constexpr int settleRounds = 3;

// Draws one page; an empty text on success, else what went wrong.
QString drawPage(const GalleryPage &page, const QDir &out)
{
    GallerySession session;
    std::unique_ptr<QWidget> widget(page.make(session));
    if (!widget)
        return QStringLiteral("its state was not reached");
    // Shown (off screen) so that it lays out as in a window: a hidden widget gets its resize
    // events only when it is drawn, too late for views that fit their height to their width.
    widget->setAttribute(Qt::WA_DontShowOnScreen);
    widget->adjustSize();
    widget->show();
    for (int round = 0; round < settleRounds; ++round)
        QCoreApplication::processEvents();
    widget->adjustSize();
    const QString path = out.filePath(page.fileName());
    if (!widget->grab().save(path))
        return QStringLiteral("the picture could not be written");
    widget.reset();
    session.endPage();
    return QFileInfo(path).size() > 0 ? QString() : QStringLiteral("the picture is empty");
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Quorvel"));
    QCoreApplication::setApplicationName(QStringLiteral("Quorvel"));
    IconTheme::setUp();
    FocusRing::install();
    ReadablePalette::install();
    TextFit::install();

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Draws every view in each of its main states to OUT_DIR/<view>-<state>.png"));
    parser.addHelpOption();
    QCommandLineOption discovery(QStringLiteral("with-discovery"),
                                 QStringLiteral("Draw the pages that need the discovery service "
                                                "(run inside the mDNS sandbox)."));
    QCommandLineOption list(QStringLiteral("list"),
                            QStringLiteral("List the files of every page and exit."));
    parser.addOption(discovery);
    parser.addOption(list);
    parser.addPositionalArgument(QStringLiteral("OUT_DIR"), QStringLiteral("Where to write."));
    parser.process(app);

    QTextStream output(stdout);
    const QList<GalleryPage> pages = GalleryRegistry::pages();
    if (parser.isSet(list)) {
        for (const GalleryPage &page : pages)
            output << page.fileName() << '\n';
        return 0;
    }
    if (parser.positionalArguments().size() != 1) {
        parser.showHelp(2);
    }
    QDir out(parser.positionalArguments().first());
    if (!out.mkpath(QStringLiteral("."))) {
        QTextStream(stderr) << "gallery: cannot create " << out.path() << '\n';
        return 1;
    }
    const GalleryPass pass =
        parser.isSet(discovery) ? GalleryPass::withDiscovery : GalleryPass::withoutDiscovery;
    int failures = 0;
    for (const GalleryPage &page : pages) {
        if (page.pass != pass)
            continue;
        const QString problem = drawPage(page, out);
        if (problem.isEmpty()) {
            output << "wrote " << page.fileName() << Qt::endl;
        } else {
            ++failures;
            QTextStream(stderr) << "gallery: " << page.fileName() << ": " << problem << Qt::endl;
        }
    }
    return failures == 0 ? 0 : 1;
}
