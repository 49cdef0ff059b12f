// Quitting ends the process at once, whatever is in flight. Each case plays a scene in a
// child process (this program run again with the scene's name), as Galvia's main runs
// it, and expects the child to end by itself with status 0, well within a bound.
#include "support/Banc.h"
#include "support/FenetreReelle.h"
#include "support/MainTest.h"

#include "platform/decodage/Anticipation.h"
#include "platform/decodage/PoolDecodage.h"

#include <QInputDialog>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <thread>

using namespace galvia;
using namespace galvia::test;
using namespace std::chrono_literals;

namespace {

// Printed by a scene just before it quits: a scene that fails sooner does not pass.
constexpr char Quitte[] = "quitte";
// Printed once the decodes are stopped and main returns.
constexpr char Fin[] = "fin";

// A decode ahead in flight when Galvia quits, with no window. The polite one gives up
// when every decode is told to (decodagesArretes, as the decoders poll it), then does
// what a decode's end does: a smooth scale and a conversion, on Qt's thread pools, which
// only run while the application object exists. The deaf one never ends.
int sceneAnticipation(const QString& fichier, bool sourd) {
    auto depart = std::make_shared<std::promise<void>>();
    std::future<void> commence = depart->get_future();
    DecodageAnticipe anticipation(
        PoolDecodage::commun(), [depart, sourd](const QString&, const AvantDecodage&) {
            depart->set_value();
            while (sourd || !decodagesArretes())
                std::this_thread::yield();
            QImage image(2000, 2000, QImage::Format_RGB32);
            image.fill(Qt::gray);
            image = image.scaled(999, 999, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                        .convertToFormat(QImage::Format_RGB888);
            if (QCoreApplication::instance() == nullptr) std::_Exit(3); // decoded too late
            return image;
        });
    anticipation.prevoir({fichier});
    if (commence.wait_for(20s) != std::future_status::ready) return 4;
    QTimer::singleShot(0, [] {
        std::puts(Quitte);
        QCoreApplication::exit(0);
    });
    return QApplication::exec();
}

// The real main window on `dossier`: F5 shows its pictures, then the scene's action with
// decodes in flight, then F4.
int sceneFenetre(const QString& dossier, const QString& scene) {
    FenetreReelle f(dossier);
    QTimer::singleShot(0, [&f, scene] {
        f.touche(Qt::Key_F5);
        f.touche(Qt::Key_PageDown);
        if (scene == QLatin1String("diaporama")) {
            f.touche(Qt::Key_Insert);
            f.ctl().Timer1.tick();
        } else if (scene == QLatin1String("renommage")) {
            FenetreReelle::repondre([](QWidget* boite) {
                auto* saisie = qobject_cast<QInputDialog*>(boite);
                if (!saisie) return;
                saisie->setTextValue(QStringLiteral("renomme.jpg"));
                saisie->accept();
            });
            f.touche(Qt::Key_F2);
        }
        std::puts(Quitte);
        if (scene == QLatin1String("feuille")) {
            // Galvia is told to quit (what F4 does) while the sheet fills its first page,
            // the main window blocked under it.
            QTimer::singleShot(0, [&f] { f.plateforme.terminer(); });
            f.ctl().diapShow.cliquer(); // F8
        } else {
            f.touche(Qt::Key_F4);
        }
    });
    return QApplication::exec();
}

// The child: plays `scene` on the pictures of `dossier` as Galvia's main would.
int jouer(int argc, char* argv[]) {
    std::setvbuf(stdout, nullptr, _IONBF, 0); // what is printed stays, however the child ends
    QApplication app(argc, argv);
    PoolCommun decodeurs;
    preparerDecodeurs();
    const QString scene = QString::fromLocal8Bit(argv[2]);
    const QString dossier = QString::fromLocal8Bit(argv[3]);
    const int statut =
        decodeurs.arreter(scene.startsWith(QLatin1String("anticipation"))
                              ? sceneAnticipation(dossier + QStringLiteral("a.jpg"),
                                                  scene == QLatin1String("anticipation-sourde"))
                              : sceneFenetre(dossier, scene));
    std::puts(Fin);
    return statut;
}

} // namespace

class TestQuitter : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() {
        for (const char* nom : {"a.jpg", "b.jpg", "c.jpg", "d.jpg", "e.jpg", "f.jpg"})
            dessiner(dossier_.filePath(QString::fromLatin1(nom)), QSize(3000, 2000));
    }

    void quitter_data() {
        QTest::addColumn<QString>("scene");
        // How the child ends once told to quit: "main" returns (its decodes gave up), "abrégée"
        // without returning (a decode would not give up), "" either (real decodes, as fast as
        // the machine).
        QTest::addColumn<QString>("sortie");
        // clang-format off
        QTest::newRow("decode ahead giving up")        << "anticipation"        << "main";
        QTest::newRow("decode ahead deaf to the stop") << "anticipation-sourde" << "abrégée";
        QTest::newRow("sheet filling its first page")  << "feuille"             << "";
        QTest::newRow("slideshow")                     << "diaporama"           << "";
        QTest::newRow("right after a rename")          << "renommage"           << "";
        // clang-format on
    }

    void quitter() {
        QFETCH(QString, scene);
        QFETCH(QString, sortie);
        QProcess enfant;
        enfant.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        enfant.start(QCoreApplication::applicationFilePath(),
                     {QStringLiteral("--scene"), scene, dossier_.path() + QLatin1Char('/')});
        // A child still running is killed as `enfant` goes.
        QVERIFY2(enfant.waitForFinished(20000), "the process did not end");
        QCOMPARE(enfant.exitStatus(), QProcess::NormalExit);
        QCOMPARE(enfant.exitCode(), 0);
        const QList<QByteArray> sorties = enfant.readAllStandardOutput().split('\n');
        QVERIFY(sorties.contains(Quitte));
        if (!sortie.isEmpty()) QCOMPARE(sorties.contains(Fin), sortie == "main");
    }

private:
    QTemporaryDir dossier_;
};

int main(int argc, char* argv[]) {
    if (argc == 4 && qstrcmp(argv[1], "--scene") == 0) return jouer(argc, argv);
    return executerTests<TestQuitter, QApplication>(argc, argv);
}

#include "tst_quitter.moc"
