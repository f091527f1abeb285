// A provider in a process of its own, for the tests that run a consumer against another
// process. Usage: knobwire_test_provider PREFIX APP
//
// It starts a provider with a few controls, applies every turn and press it receives (so the
// consumer sees the echo), and reports on standard output, one line each:
//   turn ID VALUE | turn ID STEPS | press ID 0|1 | consumers COUNT
// Commands on standard input, one per line:
//   update ID on|off   change a toggle      stop   stop the provider      quit   exit

#include "Knobwire/KnobwireProvider.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTextStream>

#include <cstdio>
#include <unistd.h>

using namespace Knobwire;
using namespace Qt::StringLiterals;

namespace {

QList<Control> controls()
{
    return {Control(u"vol"_s, u"Volume"_s, Control::Kind::level, 0.5),
            Control(u"tg"_s, u"Mute"_s, Control::Kind::toggle, {}, {}, false),
            Control(u"st"_s, u"Preset"_s, Control::Kind::steps)};
}

void report(const QString &line)
{
    QTextStream out(stdout);
    out << line << Qt::endl;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    if (arguments.size() != 3) {
        std::fputs("usage: knobwire_test_provider PREFIX APP\n", stderr);
        return 2;
    }
    KnobwireProvider provider(arguments.at(2), u"Test provider"_s, u"1.0"_s, controls(),
                              Discovery(arguments.at(1)));
    provider.onTurn = [&provider](const KnobwireProvider::Turn &turn) {
        if (turn.value) {
            report(u"turn %1 %2"_s.arg(turn.id).arg(*turn.value));
            provider.update(turn.id, turn.value);
        } else {
            report(u"turn %1 %2"_s.arg(turn.id).arg(*turn.steps));
        }
    };
    provider.onPress = [](const KnobwireProvider::Press &press) {
        report(u"press %1 %2"_s.arg(press.id).arg(press.down ? 1 : 0));
    };
    provider.onConsumersChange = [](const QList<Hello> &consumers) {
        report(u"consumers %1"_s.arg(consumers.size()));
    };

    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QTextStream in(stdin);
    QObject::connect(&input, &QSocketNotifier::activated, &application, [&] {
        const QString line = in.readLine();
        if (line.isNull() || line == u"quit"_s) {
            input.setEnabled(false);
            QCoreApplication::quit();
            return;
        }
        const QStringList words = line.split(u' ');
        if (words.value(0) == u"stop"_s) {
            provider.stop();
        } else if (words.value(0) == u"update"_s && words.size() == 3) {
            provider.update(words.at(1), {}, {}, words.at(2) == u"on"_s);
        }
    });
    provider.start();
    return application.exec();
}
