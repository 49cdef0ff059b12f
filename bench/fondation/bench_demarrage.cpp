// Start-up to the first painted window: Galvia against an empty Qt Widgets window,
// both started as processes the same way.
#include "Mesure.h"

#include <QCoreApplication>
#include <QProcess>

using namespace galvia;

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QString ici = QCoreApplication::applicationDirPath();
    // Time from the start of the process to its first paint, which the child reports on
    // its output; the child's own teardown is not counted.
    auto lancer = [](const QString& programme) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        p.setProcessEnvironment(env);
        QElapsedTimer chrono;
        chrono.start();
        p.start(programme, {});
        while (!p.canReadLine())
            if (!p.waitForReadyRead(60000)) std::abort();
        const double ms = static_cast<double>(chrono.nsecsElapsed()) / 1e6;
        if (!p.waitForFinished(60000) || p.exitCode() != 0) std::abort();
        return ms;
    };
    auto mediane = [&lancer](int fois, const QString& programme) {
        std::vector<double> t;
        for (int i = 0; i < fois; ++i)
            t.push_back(lancer(programme));
        std::sort(t.begin(), t.end());
        return t[t.size() / 2];
    };
    const int fois = argc > 1 ? std::atoi(argv[1]) : 9;
    lancer(ici + QStringLiteral("/demarrage_vide")); // warm the caches
    const double galvia = mediane(fois, ici + QStringLiteral("/demarrage_galvia"));
    const double reference = mediane(fois, ici + QStringLiteral("/demarrage_vide"));
    bench::rapport("start-up to first paint vs empty Qt window", galvia, reference, 1.5);
    return 0;
}
