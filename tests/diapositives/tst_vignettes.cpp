// The desktop's thumbnail cache: the names of the thumbnails as the desktop's own
// library makes them (GLib, asked at test time), and the slide sheet reading, checking
// and writing them: a valid thumbnail is shown without decoding, a stale one or one of
// a smaller class is not, a decoded picture leaves its thumbnail (or its failure entry)
// written whole, private, and by a rename; a cache that cannot be written changes nothing.
#include "support/Acces.h"
#include "support/Banc.h"
#include "support/MainTest.h"

#include "platform/NomsOctets.h"
#include "platform/decodage/CacheVignettes.h"
#include "platform/decodage/PoolDecodage.h"
#include "sheet/Form2.h"

#include <QDir>
#include <QProcess>
#include <QTest>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace galvia;
using namespace galvia::test;

namespace {

constexpr std::chrono::seconds JamaisBloque{180};
const QColor Rouge(220, 30, 30), Bleu(20, 40, 230);

// GLib's URI of a path given as bytes, and the MD5 of that URI in hex, by the system's
// Python and its GLib bindings.
QStringList glib(const QByteArray& chemin) {
    QProcess p;
    p.start(QStringLiteral("/usr/bin/python3"),
            {QStringLiteral("-c"),
             QStringLiteral("import sys, hashlib; from gi.repository import GLib; "
                            "u = GLib.filename_to_uri(bytes.fromhex(sys.argv[1]), None); "
                            "print(u); print(hashlib.md5(u.encode()).hexdigest())"),
             QString::fromLatin1(chemin.toHex())});
    const QStringList r =
        QString::fromUtf8(p.waitForFinished(60000) ? p.readAllStandardOutput() : QByteArray())
            .split(u'\n', Qt::SkipEmptyParts);
    if (p.exitCode() != 0 || r.size() != 2)
        qFatal("python3-gi: %s", p.readAllStandardError().constData());
    return r;
}

// A file's permission bits.
unsigned modeDe(const QString& chemin) {
    struct stat st {};
    return ::stat(QFile::encodeName(chemin).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

// Writes a thumbnail of `taille` in `couleur` at `chemin` with its keys, as another
// program would: ImageMagick, which writes its keys after the pixels, or a Qt-based
// program (`parQt`), which writes a value of 40 characters or more compressed.
void poserVignette(const QString& chemin, QSize taille, QColor couleur,
                   const QList<std::pair<QString, QString>>& cles, bool parQt) {
    QDir().mkpath(QFileInfo(chemin).path());
    if (parQt) {
        QImage image(taille, QImage::Format_RGB32);
        image.fill(couleur);
        for (const auto& [k, v] : cles)
            image.setText(k, v);
        QVERIFY(image.save(chemin, "png"));
        return;
    }
    QStringList arguments{QStringLiteral("-size"),
                          QStringLiteral("%1x%2").arg(taille.width()).arg(taille.height()),
                          QStringLiteral("xc:") + couleur.name()};
    for (const auto& [k, v] : cles)
        arguments << QStringLiteral("-set") << k << QString(v).replace(u'%', QStringLiteral("%%"));
    arguments << QStringLiteral("PNG24:") + chemin;
    QCOMPARE(QProcess::execute(QStringLiteral("convert"), arguments), 0);
}

bool proche(QColor a, QColor b) {
    return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
               std::abs(a.blue() - b.blue()) <
           40;
}

// One slide-sheet scenario over a single 600 x 400 red picture: the thumbnail planted
// before the sheet opens (`classe`, 0 none; `partage`: in the picture's folder rather than
// the user's cache; `echec`: a failure entry; its date and size keys off by the offsets),
// then what the cell shows (invalid: the grey box) and what is written after the page.
struct Scenario {
    int classe = 0;
    bool partage = false, echec = false, parQt = false;
    bool servie = false; // shown from the thumbnail, the picture made unreadable: not decoded
    int decalageDate = 0, decalageTaille = 0;
    bool illisible = false;    // the picture's bytes are not a picture
    bool cacheFichier = false; // the cache's root is a regular file: nothing can be written
    QColor vue = Rouge;
    int ecrite = 256;        // class of the thumbnail written after the page (0 none)
    bool echecEcrit = false; // a failure entry written after the page
};

} // namespace

class TestVignettes : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { preparerDecodeurs(); }
    void noms_data() {
        QTest::addColumn<QByteArray>("nom");
        QTest::newRow("Latin-1") << QByteArray("\xe9t\xe9.jpg");
        QTest::newRow("reserved marks") << QByteArray("a;b#c?d%e[f]{g}!$&'()*+,=:@~^`|\"<>\\.png");
    }

    // The name of a thumbnail is the MD5 of the picture's URI as GLib writes it, from the
    // file name's exact bytes, whatever they are (and see feuille: spaces, UTF-8 accents).
    void noms() {
        QFETCH(QByteArray, nom);
        DossierTemporaire dossier;
        const QByteArray chemin = QFile::encodeName(dossier.path()) + '/' + nom;
        poserOctets(chemin, {4, 4});
        const CacheVignettes cache(dossier.path() + QStringLiteral("/cache"));
        const std::optional<FicheVignette> fiche = cache.fiche(nomDepuisOctets(chemin));
        QVERIFY(fiche);
        const QStringList attendu = glib(chemin);
        QCOMPARE(QString::fromLatin1(fiche->uri), attendu[0]);
        QCOMPARE(QString::fromLatin1(nomVignette(fiche->uri)), attendu[1] + QStringLiteral(".png"));
    }

    // The class of a cell: the smallest covering it, none beyond the largest.
    void classes() {
        const std::pair<int, int> cas[] = {{1, 128},   {128, 128},  {129, 256},   {256, 256},
                                           {300, 512}, {513, 1024}, {1024, 1024}, {1025, 0}};
        for (const auto& [cote, classe] : cas)
            QCOMPARE(classeVignette(cote), classe);
    }

    void feuille_data() {
        QTest::addColumn<Scenario>("s");
        // The sheet's window below (2600 x 1700) makes cells of the "large" class (256).
        QTest::newRow("no thumbnail: decoded, written") << Scenario{};
        QTest::newRow("valid thumbnail: shown") << Scenario{.classe = 256, .servie = true};
        QTest::newRow("larger class serves") << Scenario{.classe = 512, .servie = true};
        QTest::newRow("smaller class: blurred, not used") << Scenario{.classe = 128};
        QTest::newRow("other date: stale, replaced") << Scenario{.classe = 256, .decalageDate = -5};
        QTest::newRow("other size: stale, replaced")
            << Scenario{.classe = 256, .decalageTaille = 1};
        QTest::newRow("written by a Qt program, its URI compressed")
            << Scenario{.classe = 256, .parQt = true, .servie = true};
        QTest::newRow("shared repository")
            << Scenario{.classe = 256, .partage = true, .servie = true};
        QTest::newRow("stale shared thumbnail")
            << Scenario{.classe = 256, .partage = true, .decalageDate = 7};
        QTest::newRow("failure entry: the grey box without decoding")
            << Scenario{.echec = true, .vue = QColor(), .ecrite = 0};
        QTest::newRow("not a picture: failure entry written")
            << Scenario{.illisible = true, .vue = QColor(), .ecrite = 0, .echecEcrit = true};
        QTest::newRow("cache not writable: as without a cache")
            << Scenario{.cacheFichier = true, .ecrite = 0};
    }

    void feuille() {
        QFETCH(Scenario, s);
        if (s.servie) std::tie(s.illisible, s.vue, s.ecrite) = std::tuple(true, Bleu, 0);
        Banc b;
        const QString image =
            dessiner(b.chemin() + QStringLiteral("/photo été.jpg"), {600, 400}, Rouge);
        const std::int64_t date = QFileInfo(image).lastModified().toSecsSinceEpoch(),
                           taille = QFileInfo(image).size();
        if (s.illisible) {
            // As many bytes, the same date: only a decode can tell.
            ecrire(image, QByteArray(taille, 'x'));
            const timespec t[2] = {{date, 0}, {date, 0}};
            QCOMPARE(::utimensat(AT_FDCWD, cheminSysteme(image).constData(), t, 0), 0);
        }
        QTemporaryDir racine;
        const QString cheminCache =
            (s.cacheFichier ? ecrire(racine.filePath(QStringLiteral("fichier"))) : racine.path()) +
            QStringLiteral("/cache");
        const CacheVignettes cache(cheminCache);
        const QString miniatures = cheminCache + QStringLiteral("/thumbnails/");
        const QString echec = miniatures + QStringLiteral("fail/galvia-" GALVIA_VERSION_TEST "/");
        // The URI and the thumbnail's name as the desktop's library makes them.
        const QStringList selonGlib = glib(cheminSysteme(image));
        const QString uri = selonGlib[0], nom = selonGlib[1] + QStringLiteral(".png");

        QString plante;
        if (s.classe || s.echec) {
            const QString classe = QString::fromLatin1(dossierClasse(s.classe));
            plante = s.echec ? echec + nom
                     : s.partage
                         ? b.chemin() + QStringLiteral("/.sh_thumbnails/") + classe + u'/' +
                               QString::fromLatin1(nomVignette("./photo%20%C3%A9t%C3%A9.jpg"))
                         : miniatures + classe + u'/' + nom;
            const QSize cote = s.echec ? QSize(1, 1) : QSize(s.classe, s.classe * 2 / 3);
            poserVignette(
                plante, cote, Bleu,
                {{QStringLiteral("Thumb::URI"), uri},
                 {QStringLiteral("Thumb::MTime"), QString::number(date + s.decalageDate)},
                 {QStringLiteral("Thumb::Size"), QString::number(taille + s.decalageTaille)}},
                s.parQt);
            // A witness of the planted file: a new thumbnail must replace it by a rename,
            // never write into it.
            QCOMPARE(::link(QFile::encodeName(plante).constData(),
                            QFile::encodeName(plante + QStringLiteral(".temoin")).constData()),
                     0);
        }

        PoolDecodage pool(2);
        {
            b.etat.Chemin = b.chemin() + u'/';
            b.etat.TabImages = QStringList{QString(), QStringLiteral("photo été.jpg")};
            b.etat.NbImages = 1;
            Form2 f(b.plateforme, b.etat, b.ctl().progressionFeuille());
            f.fenetre.setTailleInterneSansVue({2600, 1700});
            acces(f).decodeurs = &pool;
            acces(f).cache = &cache;
            f.Form_Load();
            QVERIFY(finirPage(b.plateforme, f));
            const QImage vue = acces(f).Diapo[0].image();
            const QColor centre = vue.pixelColor(vue.width() / 2, vue.height() / 2);
            if (!s.vue.isValid()) QCOMPARE(vue.size(), QSize(1, 1)); // the grey box
            // Otherwise the cell keeps the picture's proportions, from the thumbnail as from
            // the decode.
            QVERIFY(!s.vue.isValid() ||
                    (vue.width() > 100 && std::abs(vue.width() * 2 - vue.height() * 3) < 6));
            QVERIFY2(!s.vue.isValid() || proche(centre, s.vue), qPrintable(centre.name()));
        }
        QVERIFY(pool.attendreInactif(JamaisBloque));

        // The planted file is untouched: its witness still reads as it did.
        if (!plante.isEmpty())
            QCOMPARE(
                QImage(plante + QStringLiteral(".temoin")).text(QStringLiteral("Thumb::MTime")),
                QString::number(date + s.decalageDate));
        const auto cles = [](const QImage& v, int n) {
            QStringList r;
            for (const char* k :
                 {"URI", "MTime", "Size", "Image::Width", "Image::Height", "Mimetype"})
                r << v.text(QStringLiteral("Thumb::") + QLatin1String(k));
            return r.mid(0, n);
        };
        const QStringList attendues{uri,   QString::number(date), QString::number(taille), "600",
                                    "400", "image/jpeg"};
        for (const int classe : ClassesVignettes) {
            const QString dossier = miniatures + QString::fromLatin1(dossierClasse(classe));
            const QString chemin = dossier + u'/' + nom;
            QCOMPARE(QFile::exists(chemin),
                     classe == s.ecrite || (classe == s.classe && !s.partage));
            if (classe != s.ecrite) continue;
            // Written whole, private, and alone: no temporary file left beside it.
            QCOMPARE(modeDe(chemin), 0600u);
            if (!s.classe || s.partage) { // folders made by Galvia, not by the test
                QCOMPARE(modeDe(dossier), 0700u);
                QCOMPARE(modeDe(miniatures), 0700u);
            }
            QStringList restants = QDir(dossier).entryList(QDir::Files | QDir::Hidden);
            restants.removeAll(nom + QStringLiteral(".temoin"));
            QCOMPARE(restants, QStringList{nom});
            const QImage v(chemin);
            QCOMPARE(v.size(), QSize(256, 171));
            QVERIFY(proche(v.pixelColor(128, 85), Rouge));
            QCOMPARE(cles(v, 6), attendues);
            QVERIFY(v.text(QStringLiteral("Software")).startsWith(QStringLiteral("Galvia ")));
        }
        QCOMPARE(QFile::exists(echec + nom), s.echecEcrit || s.echec);
        if (s.echecEcrit) {
            QCOMPARE(modeDe(echec + nom), 0600u);
            QCOMPARE(cles(QImage(echec + nom), 2), attendues.mid(0, 2));
        }
    }
};

GALVIA_TEST_GUILESS_MAIN(TestVignettes)
#include "tst_vignettes.moc"
