// Pictures decoded ahead while one is shown: which entries, when they are used, and
// what happens when their files change, fail or leave the list, and the memory they
// reuse. In-memory platform, real picture files.
#include "support/Banc.h"
#include "support/MainTest.h"
#include "viewer/Positions.h"

#include "platform/Erreurs.h"
#include "platform/Touches.h"
#include "platform/decodage/Anticipation.h"
#include "platform/decodage/BudgetDecodage.h"
#include "platform/decodage/PoolDecodage.h"
#include "platform/decodage/RecyclageImages.h"

#include <QTest>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <fcntl.h>
#include <future>
#include <mutex>
#include <sys/stat.h>
#include <thread>

using namespace galvia;
using namespace galvia::test;
using namespace std::chrono_literals;

namespace {

const QColor Rouge(200, 0, 0), Vert(0, 160, 0), Bleu(0, 0, 200), Jaune(220, 220, 0);
const QSize Taille(64, 48);

const QColor Couleurs[] = {Rouge, Vert, Bleu, Qt::gray};

// A bench viewing `nb` pictures 1.bmp (red), 2.bmp (green), 3.bmp (blue), 4.bmp (grey)
// from entry 1.
std::unique_ptr<Banc> bancVisionnant(int nb) {
    auto b = std::make_unique<Banc>();
    for (int i = 1; i <= nb; ++i)
        dessiner(b->chemin(QStringLiteral("l/%1.bmp").arg(i)), Taille, Couleurs[i - 1]);
    b->demarrer(QStringLiteral("l"));
    b->ctl().affTout.cliquer();
    if (b->etat.NbImages != nb || b->etat.NumImage != 1) qFatal("the list was not built");
    return b;
}

bool decodesFinis() {
    return PoolDecodage::commun().attendreInactif(60s);
}

// The colour of the picture shown (dessiner whitens its top-left quarter).
QColor montree(const Banc& b) {
    const QImage& image = b.ctl().Image1.image();
    return image.pixelColor(image.width() - 1, image.height() - 1);
}

timespec dateDe(const QString& chemin) {
    struct stat st {};
    if (::stat(QFile::encodeName(chemin).constData(), &st) != 0) qFatal("no file");
    return st.st_mtim;
}

void poserDate(const QString& chemin, timespec date) {
    const timespec dates[2] = {date, date};
    if (::utimensat(AT_FDCWD, QFile::encodeName(chemin).constData(), dates, 0) != 0)
        qFatal("utimensat failed");
}

// How 2.bmp changes once it has been decoded ahead.
enum class Changement {
    ReecritALIdentique, // new pixels; same inode, size and date
    AutreTaille,
    AutreDate, // one nanosecond later
    AutreInode,
};

void changer(const QString& fichier, Changement c) {
    const timespec date = dateDe(fichier);
    switch (c) {
    case Changement::ReecritALIdentique:
    case Changement::AutreDate:
        dessiner(fichier, Taille, Jaune);
        break;
    case Changement::AutreTaille:
        dessiner(fichier, Taille + QSize(2, 2), Jaune);
        break;
    case Changement::AutreInode: {
        const QString neuf = dessiner(fichier + QStringLiteral(".neuf.bmp"), Taille, Jaune);
        if (std::rename(QFile::encodeName(neuf), QFile::encodeName(fichier)) != 0)
            qFatal("rename failed");
        break;
    }
    }
    timespec apres = date;
    if (c == Changement::AutreDate) apres.tv_nsec = (apres.tv_nsec + 1) % 1000000000;
    poserDate(fichier, apres);
}

// A decoder that holds each decode until it is let go, and counts them.
struct Retenue {
    std::mutex mutex;
    std::condition_variable cv;
    int commences = 0;
    bool libre = false;

    DecodageAnticipe::DecodeurEntier decodeur(std::int64_t octets) {
        return [this, octets](const QString&, const AvantDecodage& avant) {
            avant(octets);
            std::unique_lock verrou(mutex);
            ++commences;
            cv.notify_all();
            cv.wait(verrou, [this] { return libre; });
            QImage image(4, 4, QImage::Format_RGB32);
            image.fill(Rouge);
            return image;
        };
    }
    void attendreDebut() {
        std::unique_lock verrou(mutex);
        cv.wait(verrou, [this] { return commences > 0; });
    }
    void lacher() {
        const std::lock_guard verrou(mutex);
        libre = true;
        cv.notify_all();
    }
    // A failed check must not leave a worker waiting on a decoder that is gone.
    ~Retenue() {
        lacher();
        decodesFinis();
    }
};

} // namespace

// One case of the prediction: entry `actuelle` of `nb` shown after a move of `pas`, the
// direction before being `sensAvant`; the direction and entries expected.
struct CasPrevision {
    int actuelle, nb, pas, sensAvant, combien, sens;
    QList<int> entrees;
};

namespace {

void ligne(const char* nom, const CasPrevision& c) {
    QTest::newRow(nom) << c;
}

} // namespace

// Over four pictures, the next one in the direction of travel is decoded ahead, then
// changed on disk (or not), then reached: 2.bmp by Page Down from 1; 3.bmp by Page Up
// from 4 after a Page Up from 1, or by the slideshow run backwards from 1 (two ticks).
// The picture shown is the one decoded ahead only when the file is still the one decoded.
namespace {
constexpr int Diaporama = 0; // the slideshow backwards, in place of a key
}

struct CasRecyclage {
    bool garder;          // garder() before the pictures go
    QList<QSize> rendues; // RGB32 pictures made, then let go in this order
    bool vider;           // vider() after
    QList<QSize> gardees; // the buffers kept at the end, by picture size
};

class TstAnticipation : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Each test starts once the decodes ahead left running by the one before have ended and
    // given their memory back.
    void init() {
        QVERIFY(decodesFinis());
        QCOMPARE(budgetDecodage().reserve(), std::int64_t{0});
    }

    void prevision_data() {
        QTest::addColumn<CasPrevision>("cas");
        // clang-format off
        ligne("next, mid-list", {.actuelle = 3, .nb = 10, .pas = 1, .sensAvant = -1, .combien = 2, .sens = 1, .entrees = {4, 5}});
        ligne("previous, mid-list", {.actuelle = 3, .nb = 10, .pas = -1, .sensAvant = 1, .combien = 2, .sens = -1, .entrees = {2, 1}});
        ligne("next wraps at the end", {.actuelle = 10, .nb = 10, .pas = 1, .sensAvant = 1, .combien = 2, .sens = 1, .entrees = {1, 2}});
        ligne("previous wraps at the start", {.actuelle = 1, .nb = 10, .pas = -1, .sensAvant = -1, .combien = 2, .sens = -1, .entrees = {10, 9}});
        ligne("Home while going backwards", {.actuelle = 1, .nb = 10, .pas = 0, .sensAvant = -1, .combien = 2, .sens = -1, .entrees = {10, 9}});
        ligne("End while going forwards", {.actuelle = 10, .nb = 10, .pas = 0, .sensAvant = 1, .combien = 2, .sens = 1, .entrees = {1, 2}});
        ligne("a fifth keeps the direction", {.actuelle = 4, .nb = 16, .pas = 0, .sensAvant = -1, .combien = 2, .sens = -1, .entrees = {3, 2}});
        ligne("no direction yet: forwards", {.actuelle = 4, .nb = 10, .pas = 0, .sensAvant = 0, .combien = 2, .sens = 1, .entrees = {5, 6}});
        ligne("one ahead", {.actuelle = 5, .nb = 10, .pas = 1, .sensAvant = 1, .combien = 1, .sens = 1, .entrees = {6}});
        ligne("two entries: the other one only", {.actuelle = 2, .nb = 2, .pas = 1, .sensAvant = 1, .combien = 2, .sens = 1, .entrees = {1}});
        ligne("three entries backwards", {.actuelle = 1, .nb = 3, .pas = -1, .sensAvant = 1, .combien = 2, .sens = -1, .entrees = {3, 2}});
        ligne("one entry: none", {.actuelle = 1, .nb = 1, .pas = 1, .sensAvant = 1, .combien = 2, .sens = 1, .entrees = {}});
        ligne("no list: none", {.actuelle = 0, .nb = 0, .pas = 0, .sensAvant = 1, .combien = 2, .sens = 1, .entrees = {}});
        // clang-format on
    }

    void prevision() {
        QFETCH(CasPrevision, cas);
        const Prevision p =
            prevoirEntrees(cas.actuelle, cas.nb, cas.pas, cas.sensAvant, cas.combien);
        QCOMPARE(p.sens, cas.sens);
        QCOMPARE(QList<int>(p.entrees.begin(), p.entrees.end()), cas.entrees);
    }

    void fichierChange_data() {
        QTest::addColumn<int>("cle");
        QTest::addColumn<int>("changement");
        QTest::addColumn<QColor>("couleur");
        for (const int cle : {touche::PageBas, touche::PageHaut, Diaporama}) {
            const QByteArray k = cle == touche::PageBas    ? "Page Down, "
                                 : cle == touche::PageHaut ? "Page Up, "
                                                           : "slideshow backwards, ";
            QTest::newRow(QByteArray(k + "same file: decoded ahead").constData())
                << cle << int(Changement::ReecritALIdentique)
                << (cle == touche::PageBas ? Vert : Bleu);
            QTest::newRow(QByteArray(k + "other size").constData())
                << cle << int(Changement::AutreTaille) << Jaune;
            QTest::newRow(QByteArray(k + "date one nanosecond later").constData())
                << cle << int(Changement::AutreDate) << Jaune;
            QTest::newRow(QByteArray(k + "replaced by another file").constData())
                << cle << int(Changement::AutreInode) << Jaune;
        }
    }

    void fichierChange() {
        QFETCH(int, cle);
        QFETCH(int, changement);
        QFETCH(QColor, couleur);
        auto b = bancVisionnant(4);
        const auto avancer = [&] {
            if (cle == Diaporama)
                b->ctl().Timer1.tick();
            else
                b->form->fenetre.toucher(cle);
        };
        if (cle == Diaporama) b->ctl().Defile[Show::Decroissant]->cliquer();
        if (cle != touche::PageBas) avancer();
        const int cible = cle == touche::PageBas ? 2 : 3;
        QVERIFY(decodesFinis());
        QVERIFY(budgetDecodage().reserve() > 0);
        changer(b->chemin(QStringLiteral("l/%1.bmp").arg(cible)),
                static_cast<Changement>(changement));

        avancer();
        QCOMPARE(b->etat.NumImage, cible);
        QCOMPARE(b->ctl().menNom.caption(), QStringLiteral("=  %1 / 4  =  %1.bmp").arg(cible));
        QCOMPARE(montree(*b), couleur);
        QCOMPARE(b->ctl().Image2.image().size(), b->ctl().Image1.image().size());
        QVERIFY(b->messages().isEmpty());
    }

    // A file that fails: its box comes when the user reaches it, with the text a load on
    // the spot gives, and the previous picture stays.
    void echec_data() {
        QTest::addColumn<bool>("avantLaListe");  // broken before the decode ahead, or after
        QTest::addColumn<QByteArray>("contenu"); // empty: the file is removed
        QTest::addColumn<int>("numero");
        QTest::newRow("not a picture from the start") << true << QByteArray("pas une image") << 481;
        QTest::newRow("not a picture any more") << false << QByteArray("pas une image") << 481;
        QTest::newRow("removed after its decode ahead") << false << QByteArray() << 53;
    }

    void echec() {
        QFETCH(bool, avantLaListe);
        QFETCH(QByteArray, contenu);
        QFETCH(int, numero);
        auto b = std::make_unique<Banc>();
        const QString fichier = b->chemin(QStringLiteral("l/2.bmp"));
        dessiner(b->chemin(QStringLiteral("l/1.bmp")), Taille, Rouge);
        dessiner(fichier, Taille, Vert);
        const auto casser = [&] {
            if (contenu.isEmpty())
                QFile::remove(fichier);
            else
                ecrire(fichier, contenu);
        };
        if (avantLaListe) casser();
        b->demarrer(QStringLiteral("l"));
        b->ctl().affTout.cliquer();
        QCOMPARE(b->etat.NbImages, 2);
        QVERIFY(decodesFinis());
        if (!avantLaListe) casser();

        b->form->fenetre.toucher(touche::PageBas);
        QCOMPARE(b->etat.NumImage, 2);
        QCOMPARE(b->messages(), QStringList{QStringLiteral("Erreur : %1 - ").arg(numero) +
                                            descriptionErreur(numero) + CRLF +
                                            QStringLiteral("Sur le fichier : ") + fichier});
        QCOMPARE(montree(*b), Rouge);
        QCOMPARE(b->ctl().menNom.caption(), QStringLiteral("=  2 / 2  =  2.bmp"));
    }

    // What gives the decodes ahead up, with their memory.
    void abandon_data() {
        QTest::addColumn<QString>("action");
        QTest::newRow("rename") << QStringLiteral("renommer");
        QTest::newRow("back to browsing") << QStringLiteral("parcourir");
        QTest::newRow("slide sheet opened") << QStringLiteral("feuille");
        QTest::newRow("window closed") << QStringLiteral("fermer");
    }

    void abandon() {
        QFETCH(QString, action);
        auto b = bancVisionnant(3);
        QVERIFY(decodesFinis());
        QVERIFY(budgetDecodage().reserve() > 0);
        if (action == QLatin1String("renommer")) {
            b->plateforme.reponses.push_back(QStringLiteral("un.bmp"));
            b->ctl().Renomme.cliquer();
            QCOMPARE(b->liste().at(0), QStringLiteral("un.bmp"));
        } else if (action == QLatin1String("parcourir")) {
            b->ctl().affAutre.cliquer();
        } else if (action == QLatin1String("feuille")) {
            b->ctl().diapShow.cliquer();
        } else {
            b->form.reset();
        }
        QVERIFY(decodesFinis());
        QCOMPARE(budgetDecodage().reserve(), 0);
        if (b->form) QVERIFY(b->messages().isEmpty());
    }

    // A picture decoded ahead comes with its fitted view already stretched, exactly as the
    // view would stretch it, at the size of the view in screen pixels.
    void apercu() {
        Banc b(QSize(40, 30)); // smaller than the pictures: the fitted view shrinks them
        dessiner(b.chemin(QStringLiteral("l/1.bmp")), Taille, Rouge);
        dessiner(b.chemin(QStringLiteral("l/2.bmp")), Taille, Vert);
        b.demarrer(QStringLiteral("l"));
        b.ctl().affTout.cliquer();
        QVERIFY(b.ctl().Image2.apercu().isNull()); // decoded on the spot: the view stretches it
        QVERIFY(decodesFinis());
        b.form->fenetre.toucher(touche::PageBas);
        const ControleImage& vue = b.ctl().Image2;
        const QImage& apercu = vue.apercu();
        QVERIFY(apercu.width() < Taille.width());
        QCOMPARE(apercu.size(), QSize(qRound(vue.width()), qRound(vue.height())));
        QCOMPARE(apercu, vue.image().scaled(apercu.size(), Qt::IgnoreAspectRatio,
                                            Qt::SmoothTransformation));
    }

    // Arriving on a picture whose decode ahead is running waits for it, and decodes nothing twice.
    void attenteDuDecodageEnCours() {
        DossierTemporaire dossier;
        const QString fichier = dessiner(dossier.filePath(QStringLiteral("a.bmp")), Taille, Vert);
        Retenue retenue;
        DecodageAnticipe anticipation(PoolDecodage::commun(), retenue.decodeur(16));
        anticipation.prevoir({fichier});
        retenue.attendreDebut();
        // The decode is let go once the taker is on its way: it then finds it running.
        std::optional<ImageAnticipee> image;
        std::promise<void> parti;
        std::thread preneur([&] {
            parti.set_value();
            image = anticipation.prendre(fichier);
        });
        parti.get_future().wait();
        retenue.lacher();
        preneur.join();
        QVERIFY(image.has_value());
        QCOMPARE(image->image.image().pixelColor(0, 0), Rouge);
        QCOMPARE(retenue.commences, 1);
        QVERIFY(anticipation.prevus().isEmpty());
    }

    // Dropping the decodes ahead, or their owner, does not wait for a running decode: it ends
    // on its worker, where its picture and memory go.
    void fermetureSansAttente() {
        DossierTemporaire dossier;
        const QString fichier = dessiner(dossier.filePath(QStringLiteral("a.bmp")), Taille, Vert);
        Retenue retenue;
        auto anticipation =
            std::make_unique<DecodageAnticipe>(PoolDecodage::commun(), retenue.decodeur(1000));
        anticipation->prevoir({fichier});
        retenue.attendreDebut();
        anticipation.reset();
        QCOMPARE(budgetDecodage().reserve(), std::int64_t{1000});
        retenue.lacher();
        QVERIFY(decodesFinis());
        QCOMPARE(budgetDecodage().reserve(), std::int64_t{0});
    }

    void tache_data() {
        QTest::addColumn<int>(
            "abandonnee"); // the task abandoned: 0 none, 1 the first, 2 the second
        QTest::addColumn<int>("lances");
        QTest::addColumn<int>("livres");
        QTest::newRow("none: both delivered") << 0 << 2 << 2;
        QTest::newRow("waiting for memory: woken, not delivered") << 1 << 2 << 1;
        QTest::newRow("queued: never run") << 2 << 1 << 1;
    }

    // Two tasks on a pool of one worker whose own budget is held whole while one is
    // abandoned: the first waits for memory there, the second is queued behind it. An
    // abandoned task is woken by its pool's budget, leaves its line, and delivers nothing.
    void tache() {
        QFETCH(int, abandonnee);
        BudgetMemoire budget(100);
        PoolDecodage pool(1, budget);
        BudgetMemoire::Reservation tenue = budget.reserver(abandonnee ? 100 : 0);
        std::atomic<int> nbLances{0}, nbLivres{0};
        const auto lancer = [&] {
            return Tache(
                pool,
                [&](const std::atomic<bool>& abandon) {
                    ++nbLances;
                    return bool(budget.reserver(10, &abandon));
                },
                [&](bool) { ++nbLivres; });
        };
        Tache taches[] = {lancer(), lancer()};
        if (abandonnee) {
            QTRY_COMPARE(budget.enAttente(), 1);
            taches[abandonnee - 1].abandonner();
            if (abandonnee == 1) QTRY_COMPARE(nbLances.load(), 2); // the first has left the line
            tenue = {};
        }
        QVERIFY(pool.attendreInactif(60s));
        QTEST(nbLances.load(), "lances");
        QTEST(nbLivres.load(), "livres");
    }

    void memoireApercu_data() {
        QTest::addColumn<std::int64_t>("tenu"); // held in the budget beforehand
        QTest::addColumn<bool>("etiree");       // the stretched copy made
        // In a budget of 100000: the decode takes 1000, its stretched copy 4 x 100 x 75.
        QTest::newRow("budget free") << std::int64_t{0} << true;
        QTest::newRow("room for the decode only") << std::int64_t{100000 - 31000 + 1} << false;
        QTest::newRow("room for both, just") << std::int64_t{100000 - 31000} << true;
    }

    // The stretched copy of a picture decoded ahead holds its memory in the budget of the decodes'
    // pool until the picture is taken; it is not made when the budget cannot serve it at once.
    void memoireApercu() {
        QFETCH(std::int64_t, tenu);
        QFETCH(bool, etiree);
        DossierTemporaire dossier;
        const QString fichier = dessiner(dossier.filePath(QStringLiteral("a.bmp")), Taille, Vert);
        BudgetMemoire budget(100000);
        PoolDecodage pool(1, budget);
        const BudgetMemoire::Reservation autre = budget.reserver(tenu);
        DecodageAnticipe anticipation(pool, [](const QString&, const AvantDecodage& avant) {
            avant(1000);
            QImage image(400, 300, QImage::Format_RGB32);
            image.fill(Rouge);
            return image;
        });
        anticipation.prevoir({fichier}, [](QSize) { return QSize(100, 75); });
        QVERIFY(pool.attendreInactif(60s));
        QCOMPARE(budget.reserve(), tenu + 1000 + (etiree ? 4 * 100 * 75 : 0));
        const std::optional<ImageAnticipee> prise = anticipation.prendre(fichier);
        QVERIFY(prise);
        QCOMPARE(prise->apercu.isNull(), !etiree);
        QCOMPARE(budget.reserve(), tenu);
    }

    void recyclage_data() {
        QTest::addColumn<CasRecyclage>("cas");
        const QSize a(64, 48), b(48, 64), c(100, 10), grande(6300, 6300), grande2(6400, 6400),
            immense(8200, 8200);
        // clang-format off
        QTest::newRow("kept") << CasRecyclage{.garder = true, .rendues = {a}, .vider = false, .gardees = {a}};
        QTest::newRow("not kept before garder") << CasRecyclage{.garder = false, .rendues = {a}, .vider = false, .gardees = {}};
        QTest::newRow("freed by vider") << CasRecyclage{.garder = true, .rendues = {a, b}, .vider = true, .gardees = {}};
        QTest::newRow("the two last kept") << CasRecyclage{.garder = true, .rendues = {a, b, c}, .vider = false, .gardees = {b, c}};
        QTest::newRow("beyond the bytes kept") << CasRecyclage{.garder = true, .rendues = {a, immense}, .vider = false, .gardees = {a}};
        QTest::newRow("two large ones: the last") << CasRecyclage{.garder = true, .rendues = {grande, grande2}, .vider = false, .gardees = {grande2}};
        // clang-format on
    }

    // The buffers of the pictures that go are kept for pictures of their byte size, a few
    // of them, only between garder() and vider().
    void recyclage() {
        QFETCH(CasRecyclage, cas);
        RecyclageImages r;
        if (cas.garder) r.garder();
        {
            std::vector<QImage> images;
            for (const QSize& t : cas.rendues) {
                images.push_back(r.image(t, QImage::Format_RGB32));
                QVERIFY(!images.back().isNull());
            }
        }
        if (cas.vider) r.vider();
        QCOMPARE(r.enReserve(), int(cas.gardees.size()));
        // Taken back, each by a picture of its size.
        std::vector<QImage> reprises;
        for (const QSize& t : cas.gardees) {
            const int avant = r.enReserve();
            reprises.push_back(r.image(t, QImage::Format_RGB32));
            QCOMPARE(reprises.back().size(), t);
            QCOMPARE(r.enReserve(), avant - 1);
        }
        QCOMPARE(r.octetsEnReserve(), std::int64_t{0});
        // A picture may outlive its recycler.
        QImage survivante = RecyclageImages().image({8, 8}, QImage::Format_RGB32);
        survivante.fill(Qt::white);
    }

    // The decodes ahead write into the buffers of the pictures shown before, and the buffers
    // are freed when the decodes ahead are dropped.
    void recyclageAnticipe() {
        DossierTemporaire dossier;
        const QStringList fichiers{
            dessiner(dossier.filePath(QStringLiteral("a.jpg")), Taille, Rouge),
            dessiner(dossier.filePath(QStringLiteral("b.jpg")), Taille, Rouge)};
        // The colour drawn (dessiner whitens the top-left quarter).
        const auto rouge = [](const QImage& i) {
            const QColor c = i.pixelColor(i.width() - 1, i.height() - 1);
            return c.red() > 150 && c.green() < 60 && c.blue() < 60;
        };
        DecodageAnticipe anticipation(PoolDecodage::commun());
        anticipation.prevoir({fichiers[0]});
        QVERIFY(decodesFinis());
        std::optional<ImageAnticipee> a = anticipation.prendre(fichiers[0]);
        QVERIFY(a && a->image.size() == Taille);
        a.reset(); // the picture leaves the screen
        QCOMPARE(anticipation.recyclage().enReserve(), 1);
        anticipation.prevoir({fichiers[1]});
        QVERIFY(decodesFinis());
        QCOMPARE(anticipation.recyclage().enReserve(), 0); // its buffer went to the next decode
        std::optional<ImageAnticipee> b = anticipation.prendre(fichiers[1]);
        QVERIFY(b && rouge(b->image.image()));
        // So does a decode done on the spot, after a jump.
        b.reset();
        QCOMPARE(anticipation.recyclage().enReserve(), 1);
        ImageAffichee ici = anticipation.charger(fichiers[0]);
        QCOMPARE(anticipation.recyclage().enReserve(), 0);
        QVERIFY(rouge(ici.image()));
        anticipation.oublier();
        ici = ImageAffichee();
        QCOMPARE(anticipation.recyclage().enReserve(), 0);
    }

    void jpegDansBufferUse_data() {
        QTest::addColumn<QString>("format");
        QTest::addColumn<int>("garde"); // bytes of the file kept; all when negative
        QTest::addColumn<bool>("recycle");
        QTest::newRow("whole jpeg") << QStringLiteral("JPG") << -1 << true;
        QTest::newRow("jpeg cut in its middle") << QStringLiteral("JPG") << 2 << true;
        QTest::newRow("jpeg cut after its header") << QStringLiteral("JPG") << 8 << true;
        QTest::newRow("png: its own memory") << QStringLiteral("PNG") << -1 << false;
    }

    // A jpeg decoded into a buffer that held another picture shows nothing of that picture,
    // even when its data ends early; other formats, which may leave pixels unwritten, take
    // memory of their own.
    void jpegDansBufferUse() {
        QFETCH(QString, format);
        QFETCH(int, garde);
        QFETCH(bool, recycle);
        DossierTemporaire dossier;
        const QString fichier = dossier.filePath(QStringLiteral("f.") + format.toLower());
        QImage source(256, 192, QImage::Format_RGB32);
        for (int y = 0; y < source.height(); ++y)
            for (int x = 0; x < source.width(); ++x)
                source.setPixel(x, y, qRgb(x, y, (x * y) & 0xff));
        QVERIFY(source.save(fichier, format.toLatin1().constData()));
        if (garde > 0) {
            QFile f(fichier);
            QVERIFY(f.open(QIODevice::ReadWrite));
            QVERIFY(f.resize(f.size() / garde));
        }
        const QRgb ancien = qRgb(1, 254, 3);
        const uchar* donne = nullptr;
        const QImage image = chargerReduite(fichier, {}, {}, [&](QSize t, QImage::Format f) {
            QImage i(t, f);
            i.fill(ancien);
            donne = i.constBits();
            return i;
        });
        QCOMPARE(image.size(), source.size());
        QCOMPARE(image.constBits() == donne, recycle);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixel(x, y) == ancien)
                    QFAIL(qPrintable(QStringLiteral("(%1, %2)").arg(x).arg(y)));
    }
};

GALVIA_TEST_GUILESS_MAIN(TstAnticipation)
#include "tst_anticipation.moc"
