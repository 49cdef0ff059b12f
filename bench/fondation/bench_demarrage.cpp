// Start-up to the first painted window: Galvia against an empty Qt Widgets window,
// both started as processes the same way.
#include "Mesure.h"

#include <QCoreApplication>
#include <QProcess>

using namespace galvia;

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QString ici = QCoreApplication::applicationDirPath();
    auto lancer = [](const QString& programme) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        p.setProcessEnvironment(env);
        p.start(programme, {});
        if (!p.waitForFinished(60000) || p.exitCode() != 0) std::abort();
    };
    const int fois = argc > 1 ? std::atoi(argv[1]) : 9;
    lancer(ici + QStringLiteral("/demarrage_vide")); // warm the caches
    const double galvia =
        bench::mediane(fois, [&] { lancer(ici + QStringLiteral("/demarrage_galvia")); });
    const double reference =
        bench::mediane(fois, [&] { lancer(ici + QStringLiteral("/demarrage_vide")); });
    bench::rapport("start-up to first paint vs empty Qt window", galvia, reference, 1.5);
    return 0;
}
