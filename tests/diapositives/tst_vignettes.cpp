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

#include <QCryptographicHash>
#include <QDir>
#include <QImageReader>
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
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        qFatal("python3-gi: %s", p.readAllStandardError().constData());
    return QString::fromUtf8(p.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
}

std::int64_t dateDe(const QByteArray& chemin) {
    struct stat st {};
    return ::stat(chemin.constData(), &st) == 0 ? st.st_mtim.tv_sec : -1;
}

unsigned modeDe(const QByteArray& chemin) {
    struct stat st {};
    return ::stat(chemin.constData(), &st) == 0 ? st.st_mode & 07777 : 0;
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

// A PNG's picture, and its text keys.
QImage lirePng(const QString& chemin) {
    QImageReader lecteur(chemin, "png");
    return lecteur.read();
}

bool proche(QColor a, QColor b) {
    return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
               std::abs(a.blue() - b.blue()) <
           40;
}

// A thumbnail planted before the sheet opens. `classe`: its class (0 none); `partage`:
// in the picture's folder rather than the user's cache; `echec`: a failure entry.
struct Plant {
    int classe = 0;
    bool partage = false;
    bool echec = false;
    int decalageDate = 0;
    int decalageTaille = 0;
    bool parQt = false;
};

// One slide-sheet scenario over a single 600 x 400 red picture.
struct Scenario {
    Plant plant;
    bool illisible = false;    // the picture's bytes are not a picture
    bool cacheFichier = false; // the cache's root is a regular file: nothing can be written
    QColor vue;                // what the cell shows (invalid: the grey box)
    int ecrite = 0;            // class of the thumbnail written after the page (0 none)
    bool echecEcrit = false;   // a failure entry written after the page
};

} // namespace

Q_DECLARE_METATYPE(Scenario)

class TestVignettes : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { preparerDecodeurs(); }
    void noms_data();
    void noms();
    void classes();
    void feuille_data();
    void feuille();
};

void TestVignettes::noms_data() {
    QTest::addColumn<QByteArray>("nom");
    QTest::newRow("plain") << QByteArray("photo-01.jpg");
    QTest::newRow("spaced") << QByteArray("mes vacances 2024.jpg");
    QTest::newRow("UTF-8 accents") << QByteArray("\xc3\xa9t\xc3\xa9 \xc3\xa0 S\xc3\xa8te.jpg");
    QTest::newRow("Latin-1") << QByteArray("\xe9t\xe9.jpg");
    QTest::newRow("reserved marks") << QByteArray("a;b#c?d%e[f]{g}!$&'()*+,=:@~^`|\"<>\\.png");
}

// The name of a thumbnail is the MD5 of the picture's URI as GLib writes it, from the
// file name's exact bytes, whatever they are.
void TestVignettes::noms() {
    QFETCH(QByteArray, nom);
    DossierTemporaire dossier;
    const QByteArray chemin = QFile::encodeName(dossier.path()) + '/' + nom;
    poserOctets(chemin, {4, 4});
    const CacheVignettes cache(dossier.path() + QStringLiteral("/cache"));
    const std::optional<FicheVignette> fiche = cache.fiche(nomDepuisOctets(chemin));
    QVERIFY(fiche);
    const QStringList attendu = glib(chemin);
    QCOMPARE(attendu.size(), 2);
    QCOMPARE(QString::fromLatin1(fiche->uri), attendu[0]);
    QCOMPARE(QString::fromLatin1(nomVignette(fiche->uri)), attendu[1] + QStringLiteral(".png"));
}

// The class of a cell: the smallest covering it, none beyond the largest.
void TestVignettes::classes() {
    const std::pair<int, int> cas[] = {{1, 128},   {128, 128},  {129, 256},   {256, 256},
                                       {300, 512}, {513, 1024}, {1024, 1024}, {1025, 0}};
    for (const auto& [cote, classe] : cas)
        QCOMPARE(classeVignette(cote), classe);
}

void TestVignettes::feuille_data() {
    QTest::addColumn<Scenario>("s");
    // The sheet's window below makes cells of the "large" class (256).
    QTest::newRow("no thumbnail: decoded, written")
        << Scenario{{}, false, false, Rouge, 256, false};
    QTest::newRow("valid thumbnail: shown, the picture not decoded")
        << Scenario{{256}, true, false, Bleu, 0, false};
    QTest::newRow("larger class serves") << Scenario{{512}, true, false, Bleu, 0, false};
    QTest::newRow("smaller class: blurred, not used")
        << Scenario{{128}, false, false, Rouge, 256, false};
    QTest::newRow("other date: stale, replaced")
        << Scenario{{256, false, false, -5}, false, false, Rouge, 256, false};
    QTest::newRow("other size: stale, replaced")
        << Scenario{{256, false, false, 0, 1}, false, false, Rouge, 256, false};
    QTest::newRow("written by a Qt program, its URI compressed")
        << Scenario{{256, false, false, 0, 0, true}, true, false, Bleu, 0, false};
    QTest::newRow("shared repository") << Scenario{{256, true}, true, false, Bleu, 0, false};
    QTest::newRow("stale shared thumbnail")
        << Scenario{{256, true, false, 7}, false, false, Rouge, 256, false};
    QTest::newRow("failure entry: the grey box without decoding")
        << Scenario{{0, false, true}, false, false, QColor(), 0, false};
    QTest::newRow("not a picture: failure entry written")
        << Scenario{{}, true, false, QColor(), 0, true};
    QTest::newRow("cache not writable: as without a cache")
        << Scenario{{}, false, true, Rouge, 0, false};
}

void TestVignettes::feuille() {
    QFETCH(Scenario, s);
    Banc b;
    const QString image = b.chemin() + QStringLiteral("/photo été.jpg");
    dessiner(image, {600, 400}, Rouge);
    const QByteArray octets = cheminSysteme(image);
    QFile fichier(image);
    QVERIFY(fichier.open(QIODevice::ReadOnly));
    const QByteArray contenu = fichier.readAll();
    fichier.close();
    if (s.illisible) {
        // As many bytes, the same date: only a decode can tell.
        const std::int64_t date = dateDe(octets);
        ecrire(image, QByteArray(contenu.size(), 'x'));
        const timespec t[2] = {{date, 0}, {date, 0}};
        QCOMPARE(::utimensat(AT_FDCWD, octets.constData(), t, 0), 0);
    }
    QTemporaryDir racine;
    QString cheminCache = racine.path() + QStringLiteral("/cache");
    if (s.cacheFichier) {
        ecrire(racine.path() + QStringLiteral("/fichier"));
        cheminCache = racine.path() + QStringLiteral("/fichier/cache");
    }
    const CacheVignettes cache(cheminCache);
    const QString miniatures = cheminCache + QStringLiteral("/thumbnails/");
    // The URI and the thumbnail's name as the desktop's library makes them.
    const QStringList selonGlib = glib(octets);
    QCOMPARE(selonGlib.size(), 2);
    const QByteArray uri = selonGlib[0].toLatin1();
    const QString nom = selonGlib[1] + QStringLiteral(".png");

    const Plant& p = s.plant;
    QString plante;
    if (p.classe || p.echec) {
        const QString dossierPlant =
            p.echec     ? miniatures + QStringLiteral("fail/galvia-" GALVIA_VERSION_TEST)
            : p.partage ? b.chemin() + QStringLiteral("/.sh_thumbnails/") +
                              QString::fromLatin1(dossierClasse(p.classe))
                        : miniatures + QString::fromLatin1(dossierClasse(p.classe));
        plante =
            dossierPlant + u'/' +
            (p.partage ? QString::fromLatin1(nomVignette("./photo%20%C3%A9t%C3%A9.jpg")) : nom);
        const int cote = std::max(p.classe, 1);
        poserVignette(
            plante, p.echec ? QSize(1, 1) : QSize(cote, cote * 2 / 3), Bleu,
            {{QStringLiteral("Thumb::URI"), QString::fromLatin1(uri)},
             {QStringLiteral("Thumb::MTime"), QString::number(dateDe(octets) + p.decalageDate)},
             {QStringLiteral("Thumb::Size"), QString::number(contenu.size() + p.decalageTaille)}},
            p.parQt);
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
        const Grille& g = acces(f).grille;
        QCOMPARE(classeVignette(static_cast<int>(
                     std::lround(std::max(g.LargeurCase, g.HauteurCase) / f.fenetre.unite()))),
                 256);
        const QImage vue = acces(f).Diapo[0].image();
        if (s.vue.isValid()) {
            QVERIFY(vue.width() > 100);
            QVERIFY2(proche(vue.pixelColor(vue.width() / 2, vue.height() / 2), s.vue),
                     qPrintable(vue.pixelColor(vue.width() / 2, vue.height() / 2).name()));
        } else {
            QCOMPARE(vue.size(), QSize(1, 1)); // the grey box
        }
        // The cell keeps the picture's proportions, from the thumbnail as from the decode.
        if (s.vue.isValid()) QVERIFY(std::abs(vue.width() * 2 - vue.height() * 3) < 6);
    }
    QVERIFY(pool.attendreInactif(JamaisBloque));

    if (!plante.isEmpty()) {
        // The planted file is untouched: its witness still reads as it did.
        QCOMPARE(lirePng(plante + QStringLiteral(".temoin"))
                     .text(QStringLiteral("Thumb::MTime"))
                     .toLongLong(),
                 dateDe(octets) + p.decalageDate);
    }
    for (const int classe : ClassesVignettes) {
        const QString dossier = miniatures + QString::fromLatin1(dossierClasse(classe));
        const QString chemin = dossier + u'/' + nom;
        const bool attendu = classe == s.ecrite || (classe == p.classe && !p.partage);
        QCOMPARE(QFile::exists(chemin), attendu);
        if (classe != s.ecrite) continue;
        // Written whole, private, and alone: no temporary file left beside it.
        QCOMPARE(modeDe(QFile::encodeName(chemin)), 0600u);
        if (!p.classe || p.partage) { // folders made by Galvia, not by the test
            QCOMPARE(modeDe(QFile::encodeName(dossier)), 0700u);
            QCOMPARE(modeDe(QFile::encodeName(miniatures)), 0700u);
        }
        QStringList restants = QDir(dossier).entryList(QDir::Files | QDir::Hidden);
        restants.removeAll(nom + QStringLiteral(".temoin"));
        QCOMPARE(restants, QStringList{nom});
        const QImage v = lirePng(chemin);
        QCOMPARE(v.size(), QSize(256, 171));
        QVERIFY(proche(v.pixelColor(128, 85), Rouge));
        QCOMPARE(v.text(QStringLiteral("Thumb::URI")), QString::fromLatin1(uri));
        QCOMPARE(v.text(QStringLiteral("Thumb::MTime")).toLongLong(), dateDe(octets));
        QCOMPARE(v.text(QStringLiteral("Thumb::Size")).toLongLong(), contenu.size());
        QCOMPARE(v.text(QStringLiteral("Thumb::Image::Width")), QStringLiteral("600"));
        QCOMPARE(v.text(QStringLiteral("Thumb::Image::Height")), QStringLiteral("400"));
        QCOMPARE(v.text(QStringLiteral("Thumb::Mimetype")), QStringLiteral("image/jpeg"));
        QVERIFY(v.text(QStringLiteral("Software")).startsWith(QStringLiteral("Galvia ")));
    }
    const QString echec = miniatures + QStringLiteral("fail/galvia-" GALVIA_VERSION_TEST "/") + nom;
    QCOMPARE(QFile::exists(echec), s.echecEcrit || p.echec);
    if (s.echecEcrit) {
        QCOMPARE(modeDe(QFile::encodeName(echec)), 0600u);
        const QImage v = lirePng(echec);
        QCOMPARE(v.text(QStringLiteral("Thumb::URI")), QString::fromLatin1(uri));
        QCOMPARE(v.text(QStringLiteral("Thumb::MTime")).toLongLong(), dateDe(octets));
    }
}

GALVIA_TEST_GUILESS_MAIN(TestVignettes)
#include "tst_vignettes.moc"
