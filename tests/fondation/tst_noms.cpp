// File names as bytes: names carried with their exact bytes and their round trip; a
// Latin-1 name and its UTF-8 look-alike each listed, decoded, described and renamed as
// itself by every list build and by the slide sheet; a rename that leaves a link's
// target alone; the rename on file systems without exclusive rename or hard links; an
// unreadable file. Then the real window offscreen over such names and names full of
// markup: shown literally in the file and folder lists, the menu bar, the information box
// and the slide sheet's labels, which never load the picture a name points to.
#include "support/Banc.h"
#include "support/FenetreReelle.h"
#include "support/MainTest.h"

#include "platform/Erreurs.h"
#include "platform/NomsOctets.h"
#include "platform/Renommage.h"
#include "platform/decodage/Images.h"
#include "sheet/Form2.h"

#include <QAbstractItemModel>
#include <QInputDialog>
#include <QLabel>
#include <QListView>
#include <QListWidget>
#include <QScopeGuard>
#include <QTest>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

using namespace galvia;
using namespace galvia::test;

namespace {

const QByteArray Latin1 = "photo\xe9.jpg";
// Literally "photo�.jpg": valid UTF-8 that reads like the Latin-1 name.
const QByteArray Sosie = "photo\xef\xbf\xbd.jpg";
const QByteArray DossierLatin1 = "d\xe9";
const QByteArray DossierSosie = "d\xef\xbf\xbd";

// The length of a BMP `largeur` x 10 pixels, as poserOctets writes it.
int tailleBmp(int largeur) {
    return 54 + ((largeur * 3 + 3) & ~3) * 10;
}

// The entries of a folder, as bytes, sorted.
QList<QByteArray> entrees(const QByteArray& dossier) {
    QList<QByteArray> res;
    if (DIR* d = ::opendir(dossier.constData())) {
        while (const dirent* e = ::readdir(d))
            if (e->d_name[0] != '.') res.append(e->d_name);
        ::closedir(d);
    }
    std::sort(res.begin(), res.end());
    return res;
}

// The bench's folder `dossier` holding the Latin-1 name (40 pixels wide) and its
// look-alike (60 pixels wide).
void poserSosies(Banc& b, const QByteArray& dossier) {
    const QByteArray d = octetsDuNom(b.chemin()) + '/' + dossier + '/';
    ::mkdir(d.constData(), 0755);
    poserOctets(d + Latin1, {40, 10});
    poserOctets(d + Sosie, {60, 10});
}

// Shows every entry of the list in turn and checks its picture and its information box
// against the width of the file its bytes name; adds the widths seen to `vues`.
void verifierEntrees(Banc& b, const std::map<QString, int>& largeurs, QList<int>& vues) {
    for (int i = 1; i <= b.etat.NbImages; ++i) {
        const QString nom = b.etat.TabImages.at(i);
        const auto attendu = largeurs.find(nom);
        QVERIFY2(attendu != largeurs.end(), qPrintable(texteVisible(nom)));
        b.plateforme.messages.clear();
        b.etat.NumImage = static_cast<std::int16_t>(i);
        b.ctl().ChargeImage();
        QCOMPARE(b.messages(), QStringList());
        QCOMPARE(b.ctl().Image1.width(), double(attendu->second));
        vues.append(int(b.ctl().Image1.width()));
        QCOMPARE(b.ctl().menNom.caption(),
                 QStringLiteral("=  %1 / %2  =  %3").arg(i).arg(b.etat.NbImages).arg(nom));
        b.ctl().menNom.cliquer();
        QCOMPARE(b.plateforme.messages.size(), 1u);
        const QString info = b.plateforme.messages[0].texte;
        // The user reads the replacement mark; the size line comes from the right file.
        QVERIFY2(info.startsWith(QStringLiteral("Nom : \t") + texteVisible(nom) + CRLF),
                 qPrintable(info));
        const int ko = qRound(tailleBmp(attendu->second) / 1022.0);
        QVERIFY2(
            info.contains(QStringLiteral("Taille : \t%1 Ko").arg(ko)) &&
                info.contains(QStringLiteral("Largeur Réelle : \t%1\t").arg(attendu->second)) &&
                !info.contains(QChar(0xDCE9)),
            qPrintable(info));
    }
}

// The number of the Erreur `f` throws; 0 when it throws none.
template <class F> int numeroDe(F f) {
    try {
        f();
    } catch (const Erreur& e) {
        return e.numero;
    }
    return 0;
}

// The errno of the exclusive rename and of the hard link (0: the real link).
int ErrRenommer = 0, ErrLier = 0;

} // namespace

class TestNoms : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void octetsEtNoms_data() {
        QTest::addColumn<QByteArray>("octets");
        QTest::addColumn<QString>("nom");     // the carried name
        QTest::addColumn<QString>("visible"); // what the user reads
        const QString r(QChar(0xFFFD));
        const auto o = [](std::initializer_list<int> v) {
            QString s;
            for (int c : v)
                s.append(c < 0x80 ? QChar(c) : QChar(char16_t(0xDC00 + c)));
            return s;
        };
        // clang-format off
        QTest::newRow("ascii")         << QByteArray("photo.jpg") << "photo.jpg" << "photo.jpg";
        QTest::newRow("latin-1")       << Latin1 << "photo" + o({0xE9}) + ".jpg" << "photo" + r + ".jpg";
        QTest::newRow("sosie")         << Sosie << "photo" + r + ".jpg" << "photo" + r + ".jpg";
        QTest::newRow("multi-octets")  << QByteArray("\xc3\xa9t\xc3\xa9 \xe6\x97\xa5 \xf0\x9f\x93\xb7")
                                       << QString::fromUtf8("été 日 📷") << QString::fromUtf8("été 日 📷");
        QTest::newRow("bornes")        << QByteArray("\xc2\x80\xed\x9f\xbf\xee\x80\x80\xf4\x8f\xbf\xbf")
                                       << QString::fromUcs4(U"\u0080\uD7FF\uE000\U0010FFFF")
                                       << QString::fromUcs4(U"\u0080\uD7FF\uE000\U0010FFFF");
        // Overlong forms in two, three and four bytes.
        QTest::newRow("trop longs")    << QByteArray("\xc0\xaf\xe0\x80\xaf\xf0\x8f\xbf\xbf")
                                       << o({0xC0, 0xAF, 0xE0, 0x80, 0xAF, 0xF0, 0x8F, 0xBF, 0xBF}) << QString(9, r[0]);
        QTest::newRow("surrogats, au-delà") << QByteArray("\xed\xa0\x80\xed\xb3\xa9\xf4\x90\x80\x80\xf5\xff")
                                       << o({0xED, 0xA0, 0x80, 0xED, 0xB3, 0xA9, 0xF4, 0x90, 0x80, 0x80, 0xF5, 0xFF})
                                       << QString(12, r[0]);
        // Lone continuation bytes, cut sequences, a lead byte before a whole sequence.
        QTest::newRow("suites seules, tronquées") << QByteArray("a\x80" "b\xbf\xe6\x97" "a\xf0\x9f\x93\xc3\xc3\xa9")
                                       << o({'a', 0x80, 'b', 0xBF, 0xE6, 0x97, 'a', 0xF0, 0x9F, 0x93, 0xC3}) + QString::fromUtf8("é")
                                       << "a" + r + "b" + r + r + r + "a" + r + r + r + r + QString::fromUtf8("é");
        QTest::newRow("nul")           << QByteArray("a\0b", 3) << QString(QChar('a')) + QChar(0) + 'b'
                                       << QString(QChar('a')) + QChar(0) + 'b';
        // clang-format on
    }

    void octetsEtNoms() {
        QFETCH(QByteArray, octets);
        QFETCH(QString, nom);
        QFETCH(QString, visible);
        QCOMPARE(nomDepuisOctets(octets), nom);
        QCOMPARE(octetsDuNom(nom), octets);
        QCOMPARE(texteVisible(nom), visible);
        // A path joins names with "/": each keeps its bytes.
        QCOMPARE(octetsDuNom(nomDepuisOctets("/x/" + octets + "/" + octets)),
                 "/x/" + octets + "/" + octets);
        // The shown text, typed back, is written as UTF-8.
        QCOMPARE(octetsDuNom(visible), visible.toUtf8());
        if (octets.contains('\0'))
            QVERIFY_THROWS_EXCEPTION(Erreur, cheminSysteme(nom));
        else
            QCOMPARE(cheminSysteme(nom), octets);
    }

    void sosies_data() {
        QTest::addColumn<QString>("construction");
        QTest::newRow("F6 sélection") << "F6";
        QTest::newRow("double clic") << "clic";
        QTest::newRow("multidossier") << "multi";
    }

    void sosies() {
        QFETCH(QString, construction);
        Banc b;
        poserSosies(b, DossierLatin1);
        // A folder whose name reads like the first one, with a third picture.
        const QByteArray autre = octetsDuNom(b.chemin()) + '/' + DossierSosie;
        ::mkdir(autre.constData(), 0755);
        poserOctets(autre + "/a.jpg", {70, 10});
        const std::map<QString, int> largeurs{{nomDepuisOctets(Latin1), 40},
                                              {nomDepuisOctets(Sosie), 60},
                                              {QStringLiteral("a.jpg"), 70}};
        // Each file is reached once, from its own entry.
        QList<int> vues, attendues{40, 60};
        if (construction == "multi") {
            b.demarrer();
            b.ctl().AutreDossier.cliquer();
            for (const QByteArray& d : {DossierLatin1, DossierSosie})
                for (int i = 0; i < b.ctl().Dossier.listCount(); ++i)
                    if (b.ctl().Dossier.list(i) == b.chemin(nomDepuisOctets(d)))
                        b.ctl().Dossier.selectionner(i);
            QCOMPARE(b.messages(), QStringList()); // not taken for the same folder
            b.ctl().AutreDossier.cliquer();
            attendues << 70;
        } else {
            b.demarrer(nomDepuisOctets(DossierLatin1));
            QCOMPARE(b.ctl().Fichier.listCount(), 2);
            for (int i = 0; i < 2 && construction == "clic"; ++i) {
                b.ctl().Fichier.activer(i);
                QCOMPARE(b.liste(), QStringList{b.ctl().Fichier.list(i)});
                verifierEntrees(b, largeurs, vues);
                b.ctl().affAutre.cliquer();
            }
            if (construction == "F6") {
                b.ctl().Fichier.setSelected(0, true);
                b.ctl().Fichier.setSelected(1, true);
                b.ctl().affSelect.cliquer();
            }
        }
        if (construction != "clic") verifierEntrees(b, largeurs, vues);
        std::sort(vues.begin(), vues.end());
        QCOMPARE(vues, attendues);
        if (construction != "F6") return;

        // The slide sheet decodes each thumbnail from its own file and labels it.
        Form2 feuille(b.plateforme, b.etat, b.ctl().progressionFeuille());
        feuille.fenetre.setTailleInterneSansVue({792, 600});
        feuille.Form_Load();
        QVERIFY(finirPage(b.plateforme, feuille));
        for (int k = 0; k < 2; ++k) {
            const QImage& vignette = acces(feuille).Diapo[k].image();
            QVERIFY(!vignette.isNull());
            QCOMPARE(qRound(double(vignette.width()) / vignette.height()),
                     largeurs.at(b.etat.TabImages.at(k + 1)) / 10);
            QCOMPARE(acces(feuille).Texte[k].caption(), b.etat.TabImages.at(k + 1));
        }
    }

    void renommer_data() {
        QTest::addColumn<QByteArray>("ancien"); // the file shown, beside the look-alikes
        QTest::addColumn<int>("largeur");       // of the picture it shows
        QTest::addColumn<QString>("tape");      // the new name typed
        QTest::addColumn<int>("erreur");
        QTest::addColumn<QList<QByteArray>>("apres"); // the folder's entries
        QTest::addColumn<int>("puis");                // the error of typing the shown name back
        // The user keeps the name shown, replacement mark included: it is written as UTF-8.
        const QString neuf = "neuf " + texteVisible(nomDepuisOctets(Sosie));
        const QByteArray lien = "lien.jpg", neufOctets = "neuf " + Sosie;
        // clang-format off
        QTest::newRow("latin-1")  << Latin1 << 40 << neuf << 0 << QList<QByteArray>{lien, neufOctets, Sosie} << 58;
        QTest::newRow("sosie")    << Sosie << 60 << neuf << 0 << QList<QByteArray>{lien, neufOctets, Latin1} << 0;
        // A link to a read-only file elsewhere: the link is renamed, its target left alone.
        QTest::newRow("lien")     << lien << 30 << "vue.jpg" << 0 << QList<QByteArray>{Latin1, Sosie, "vue.jpg"} << 0;
        QTest::newRow("nom pris") << lien << 30 << texteVisible(nomDepuisOctets(Sosie)) << 58
                                  << QList<QByteArray>{lien, Latin1, Sosie} << 0;
        // clang-format on
    }

    void renommer() {
        QFETCH(QByteArray, ancien);
        QFETCH(QString, tape);
        QFETCH(int, erreur);
        Banc b;
        poserSosies(b, DossierLatin1);
        const QByteArray racine = octetsDuNom(b.chemin()), d = racine + '/' + DossierLatin1 + '/';
        ::mkdir((racine + "/ailleurs").constData(), 0755);
        poserOctets(racine + "/ailleurs/cible.jpg", {30, 10}, 0444);
        QCOMPARE(::symlink("../ailleurs/cible.jpg", (d + "lien.jpg").constData()), 0);
        ::chmod((d + ancien).constData(), 0444);
        b.demarrer(nomDepuisOctets(DossierLatin1));
        b.ctl().affTout.cliquer();
        b.etat.NumImage =
            static_cast<std::int16_t>(b.etat.TabImages.indexOf(nomDepuisOctets(ancien)));
        b.ctl().ChargeImage();
        QTEST(int(b.ctl().Image1.width()), "largeur"); // a link shown through
        struct stat avant {};
        QCOMPARE(::lstat((d + ancien).constData(), &avant), 0);
        const auto verifierMessages = [&b](int attendue) {
            QCOMPARE(b.messages().size(), attendue ? 1 : 0);
            if (attendue)
                QVERIFY(b.messages()[0].startsWith(QStringLiteral("Erreur : %1 - ").arg(attendue)));
        };

        b.plateforme.reponses.push_back(tape);
        b.ctl().Renomme.cliquer();
        QCOMPARE(b.plateforme.saisies.back().defaut, texteVisible(nomDepuisOctets(ancien)));
        verifierMessages(erreur);
        QTEST(entrees(d), "apres");
        struct stat st {};
        QCOMPARE(::stat((racine + "/ailleurs/cible.jpg").constData(), &st), 0);
        QCOMPARE(st.st_mode & 0777, mode_t(0444));
        if (erreur) return;
        const QByteArray neuf = octetsDuNom(tape);
        QCOMPARE(b.etat.TabImages.at(b.etat.NumImage), nomDepuisOctets(neuf));
        QCOMPARE(b.etat.NomComplet, nomDepuisOctets(d + neuf));
        QCOMPARE(::lstat((d + neuf).constData(), &st), 0);
        QCOMPARE(st.st_mode & S_IFMT, avant.st_mode & S_IFMT);               // a link stays a link
        if (!S_ISLNK(st.st_mode)) QCOMPARE(st.st_mode & 0777, mode_t(0644)); // no longer read-only

        // The shown name typed back: refused when the other look-alike holds that name.
        b.plateforme.reponses.push_back(texteVisible(nomDepuisOctets(ancien)));
        b.ctl().Renomme.cliquer();
        QFETCH(int, puis);
        verifierMessages(puis);
    }

    void repli_data() {
        QTest::addColumn<int>("errRenommer"); // errno of the exclusive rename
        QTest::addColumn<int>("errLier");     // errno of the hard link; 0: the real one
        QTest::addColumn<QString>("present"); // what holds the new name beforehand
        QTest::addColumn<int>("erreur");
        // clang-format off
        QTest::newRow("lien offert")              << EINVAL     << 0          << ""          << 0;
        QTest::newRow("lien offert, nom pris")    << EINVAL     << 0          << "fichier"   << 58;
        QTest::newRow("fuse, libre")              << EINVAL     << EPERM      << ""          << 0;
        QTest::newRow("partage, libre")           << ENOSYS     << EOPNOTSUPP << ""          << 0;
        QTest::newRow("fuse, nom pris")           << EINVAL     << EPERM      << "fichier"   << 58;
        QTest::newRow("fuse, lien mort")          << EOPNOTSUPP << ENOSYS     << "lien mort" << 58;
        QTest::newRow("fuse, dossier")            << EPERM      << EPERM      << "dossier"   << 58;
        QTest::newRow("refus réel")               << EACCES     << EPERM      << ""          << 70;
        // clang-format on
    }

    void repli() {
        QFETCH(int, errRenommer);
        QFETCH(int, errLier);
        QFETCH(QString, present);
        QFETCH(int, erreur);
        const auto restaurer =
            qScopeGuard([avant = appelsRenommage()] { appelsRenommage() = avant; });
        ErrRenommer = errRenommer;
        ErrLier = errLier;
        appelsRenommage().renommerExclusif = [](int, const char*, int, const char*) {
            errno = ErrRenommer;
            return -1;
        };
        appelsRenommage().lier = [](int d1, const char* a, int d2, const char* n) {
            errno = ErrLier;
            return ErrLier == 0 ? ::linkat(d1, a, d2, n, 0) : -1;
        };
        DossierTemporaire dossier;
        const QByteArray d = octetsDuNom(dossier.path()) + '/';
        poserOctets(d + Latin1, {40, 10});
        if (present == "fichier") poserOctets(d + "neuf.jpg", {20, 10});
        if (present == "lien mort")
            QCOMPARE(::symlink("absent.jpg", (d + "neuf.jpg").constData()), 0);
        if (present == "dossier") QCOMPARE(::mkdir((d + "neuf.jpg").constData(), 0755), 0);
        const QList<QByteArray> avant = entrees(d);
        QCOMPARE(numeroDe([&] {
                     renommerSansRemplacer(dossier.path(), nomDepuisOctets(Latin1),
                                           QStringLiteral("neuf.jpg"));
                 }),
                 erreur);
        // The picture, whole, under its new name alone, or left as it was.
        QCOMPARE(entrees(d), erreur ? avant : QList<QByteArray>{"neuf.jpg"});
        struct stat st {};
        QCOMPARE(::stat((d + (erreur ? Latin1 : QByteArray("neuf.jpg"))).constData(), &st), 0);
        QCOMPARE(st.st_size, qint64(tailleBmp(40)));
    }

    // Every decode of a file that cannot be read says so, as another user than root, who may
    // read anything: as root, the loads run as the unprivileged user nobody.
    void illisible() {
        DossierTemporaire dossier;
        ::chmod(octetsDuNom(dossier.path()).constData(), 0755);
        const QList<int> modes{0644, 0000, 0200}; // readable, without rights, write only
        for (const int mode : modes)
            poserOctets(octetsDuNom(dossier.path()) + '/' + QByteArray::number(mode) + Latin1,
                        {40, 10}, mode);
        const bool root = ::geteuid() == 0;
        if (root) QVERIFY(::seteuid(65534) == 0);
        const auto rendre = qScopeGuard([root] {
            if (root && ::seteuid(0) != 0) qFatal("cannot be root again");
        });
        QList<int> codes;
        for (const int mode : modes) {
            const QString nom = dossier.filePath(QString::number(mode)) + nomDepuisOctets(Latin1);
            codes << numeroDe([&] { (void)chargerImage(nom); })
                  << numeroDe([&] { (void)tailleNaturelle(nom); }) << numeroDe([&] {
                         (void)chargerReduite(nom, {8, 8});
                     });
        }
        QCOMPARE(codes, (QList<int>{0, 0, 0, 70, 70, 70, 70, 70, 70}));
    }

    void nomsMontres() {
        DossierTemporaire tmp;
        const QByteArray d = octetsDuNom(tmp.path()) + "/Images\xe9/";
        QCOMPARE(::mkdir(d.constData(), 0755), 0);
        QStringList montres{QStringLiteral("real")};
        for (const QByteArray& nom : QByteArrayList{
                 Latin1, Sosie, "<h1>Titre.jpg", "x <img src=real width=3000 height=3000>.jpg"}) {
            poserOctets(d + nom, {40, 10});
            montres << texteVisible(nomDepuisOctets(nom));
        }
        // The picture the markup name points to, in the current folder.
        poserOctets(d + "real", {16, 16});
        QCOMPARE(::mkdir((d + "<b>sous").constData(), 0755), 0);
        const QString r(QChar(0xFFFD));

        FenetreReelle f(nomDepuisOctets(d));
        QCOMPARE(f.vue->windowTitle(), tmp.path() + "/Images" + r + "/");
        auto* liste = qobject_cast<QListView*>(f.vue->widgetDe(f.ctl().Fichier));
        QVERIFY(liste);
        QStringList lignes;
        for (int i = 0; i < liste->model()->rowCount(); ++i)
            lignes << liste->model()->index(i, 0).data().toString();
        lignes.sort();
        montres.sort();
        QCOMPARE(lignes, montres);
        auto* dossiers = qobject_cast<QListWidget*>(f.vue->widgetDe(f.ctl().Dossier));
        QVERIFY(dossiers);
        QStringList branches, bulles;
        for (int i = 0; i < dossiers->count(); ++i) {
            branches << dossiers->item(i)->text().trimmed();
            bulles << dossiers->item(i)->toolTip();
        }
        QVERIFY2(branches.contains("Images" + r) && branches.contains("<b>sous"),
                 qPrintable(branches.join('|')));
        // A tooltip reads markup: the name is escaped into it.
        QVERIFY2(bulles.last().contains("/Images" + r + "/&lt;b&gt;sous"),
                 qPrintable(bulles.last()));

        f.touche(Qt::Key_F5);
        QCOMPARE(f.etat.NbImages, std::int16_t(4));
        QString info;
        for (int i = 1; i <= 4; ++i) {
            const QString nom = f.etat.TabImages.at(i);
            QCOMPARE(f.etat.NumImage, std::int16_t(i));
            QCOMPARE(f.legende(f.ctl().menNom),
                     QStringLiteral("=  %1 / 4  =  ").arg(i) + texteVisible(nom));
            if (nom.startsWith(QLatin1String("<h1>"))) {
                FenetreReelle::repondre([&info](QWidget* boite) {
                    auto* m = qobject_cast<QMessageBox*>(boite);
                    if (!m) return;
                    auto* l = m->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
                    if (l && l->textFormat() == Qt::PlainText) info = l->text();
                    m->accept();
                });
                f.vue->actionDe(f.ctl().menNom)->trigger();
                QTRY_VERIFY(QApplication::activeModalWidget() == nullptr);
                f.vue->activateWindow();
                QVERIFY(QTest::qWaitForWindowActive(f.vue.get()));
                QVERIFY2(info.startsWith(QStringLiteral("Nom : \t<h1>Titre.jpg\n")),
                         qPrintable(info));
            }
            f.touche(Qt::Key_PageDown);
        }

        // The slide sheet: every label shows its name as written, at the size of its text.
        QStringList vus;
        QVERIFY(f.dansLaFeuille([&vus](VueFenetreQt& vue) {
            for (int k = 0; k < 4; ++k) {
                auto* l = qobject_cast<QLabel*>(vue.widgetDe(*controle(vue.modele(), "Texte", k)));
                QWidget* diapo = vue.widgetDe(*controle(vue.modele(), "Diapo", k));
                if (!l || !diapo || l->textFormat() != Qt::PlainText ||
                    l->sizeHint().width() > 1000 ||
                    diapo->accessibleName() !=
                        QStringLiteral("Diapositive %1 : ").arg(k + 1) + l->text())
                    vus << QStringLiteral("label %1 not plain").arg(k);
                vus << l->text() << l->accessibleName();
            }
        }));
        QStringList attendus;
        for (int i = 1; i <= 4; ++i)
            attendus << texteVisible(f.etat.TabImages.at(i))
                     << texteVisible(f.etat.TabImages.at(i));
        QCOMPARE(vus, attendus);

        // F2 on the Latin-1 name offers the name as shown, and renames that file only.
        f.vue->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.vue.get()));
        const QString latin1 = nomDepuisOctets(Latin1);
        f.touche(Qt::Key_Home);
        while (f.etat.TabImages.at(f.etat.NumImage) != latin1 && f.etat.NumImage < 4)
            f.touche(Qt::Key_PageDown);
        QCOMPARE(f.etat.TabImages.at(f.etat.NumImage), latin1);
        QString defaut;
        FenetreReelle::repondre([&defaut](QWidget* boite) {
            auto* saisie = qobject_cast<QInputDialog*>(boite);
            if (!saisie) return;
            defaut = saisie->textValue();
            saisie->setTextValue(QStringLiteral("neuf.jpg"));
            saisie->accept();
        });
        f.touche(Qt::Key_F2);
        QTRY_VERIFY(QApplication::activeModalWidget() == nullptr);
        QCOMPARE(defaut, "photo" + r + ".jpg");
        QCOMPARE(f.etat.NomComplet, nomDepuisOctets(d + "neuf.jpg"));
    }
};

GALVIA_TEST_MAIN(TestNoms)
#include "tst_noms.moc"
