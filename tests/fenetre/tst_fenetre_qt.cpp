// The Qt side of Galvia's windows, on the real windows: the keys as a French or an
// American keyboard sends them, the keyboard after every box and after the slide sheet,
// the file and folder lists under the mouse and the keys, the scroll bars' drag, the
// menus' check marks, the slideshow's timer, the names a screen reader says, and the
// screen's own pixels on a scaled screen. Runs at a scale factor of 1 and of 2
// (QT_SCALE_FACTOR).
#include "support/Banc.h"
#include "support/FenetreReelle.h"
#include "support/MainTest.h"

#include <QAccessible>
#include <QInputDialog>
#include <QListView>
#include <QListWidget>
#include <QMenuBar>
#include <QScreen>
#include <QScrollBar>
#include <QTemporaryDir>

using namespace galvia;
using namespace galvia::test;

Q_DECLARE_METATYPE(galvia::test::Touche)

namespace {

// A picture whose every pixel differs from its neighbours: any resampling shows.
QImage damier(QSize taille) {
    QImage image(taille, QImage::Format_RGB32);
    for (int y = 0; y < taille.height(); ++y)
        for (int x = 0; x < taille.width(); ++x)
            image.setPixel(x, y, (x + y) % 2 ? qRgb(255, 255, 255) : qRgb(x % 256, y % 256, 0));
    return image;
}

// The file list's row `i` clicked, with `mod` held.
void cliquerLigne(QListView* liste, int i, Qt::KeyboardModifiers mod = Qt::NoModifier) {
    const QRect r = liste->visualRect(liste->model()->index(i, 0));
    QTest::mouseClick(liste->viewport(), Qt::LeftButton, mod, r.center());
}

void envoyerSouris(QWidget* w, QEvent::Type type, QPoint p, Qt::MouseButtons boutons) {
    QMouseEvent e(type, p, w->mapToGlobal(p), Qt::LeftButton, boutons, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &e);
}

// A folder of `n` small pictures, a.jpg, b.jpg...
QString images(QTemporaryDir& dossier, int n) {
    for (int i = 0; i < n; ++i)
        dessiner(dossier.filePath(QString(QChar(u'a' + i)) + QStringLiteral(".jpg")), {40, 30});
    return dossier.path() + u'/';
}

} // namespace

class TstFenetreQt : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void touches_data();
    void touches();
    void focusApresBoite_data();
    void focusApresBoite();
    void selectionMultipleF6();
    void echapPendantLaSelectionDeDossiers();
    void glisserUnAscenseur();
    void toucheSurLaListeCachee();
    void nomsAccessibles();
    void coches_data();
    void coches();
    void diaporama();
    void taillesEnPixelsDeLEcran();

private:
    double densite_ = 1;
};

void TstFenetreQt::initTestCase() {
    densite_ = densiteEcran();
    // The run asked for a scale factor: the screen has it.
    const double attendue = qEnvironmentVariableIsSet("QT_SCALE_FACTOR")
                                ? qEnvironmentVariable("QT_SCALE_FACTOR").toDouble()
                                : 1.0;
    QCOMPARE(densite_, attendue);
}

// Every key the viewer and the slide sheet use, as a QWERTY and an AZERTY keyboard send
// it, with and without Shift: the code the window's handler gets. (The sheet's window
// reads its keys alike; F4, a menu shortcut in the viewer, closes it: see focusApresBoite.)
void TstFenetreQt::touches_data() {
    QTest::addColumn<Touche>("touche");
    QTest::addColumn<int>("code");
    const auto maj = Qt::ShiftModifier;
    const auto pave = Qt::KeypadModifier;
    struct Chiffre {
        int place; // 0 for the key of 1, 9 for the key of 0
        const char* qwerty;
        Qt::Key qwertyMaj;
        const char* azerty;
        Qt::Key azertyCle;
    };
    // The top row, 1 to 9 then 0, counted by one rule: its ends, and the key of 6 that
    // AZERTY types as a minus. QWERTY types the digit, AZERTY needs Shift for it.
    const Chiffre rangee[] = {{0, "!", Qt::Key_Exclam, "&", Qt::Key_Ampersand},
                              {5, "^", Qt::Key_AsciiCircum, "-", Qt::Key_Minus},
                              {8, "(", Qt::Key_ParenLeft, "\u00e7", Qt::Key_Ccedilla},
                              {9, ")", Qt::Key_ParenRight, "\u00e0", Qt::Key_Agrave}};
    for (const Chiffre& c : rangee) {
        const int chiffre = (c.place + 1) % 10;
        const auto cle = Qt::Key(Qt::Key_0 + chiffre);
        const QString texte = QString::number(chiffre);
        const quint32 s = scan::Chiffre1 + c.place;
        const int code = 48 + chiffre;
        QTest::addRow("qwerty %d", chiffre) << Touche{s, cle, texte} << code;
        QTest::addRow("qwerty Maj %d", chiffre)
            << Touche{s, c.qwertyMaj, QString::fromUtf8(c.qwerty), maj} << code;
        QTest::addRow("azerty %d", chiffre)
            << Touche{s, c.azertyCle, QString::fromUtf8(c.azerty)} << code;
        QTest::addRow("azerty Maj %d", chiffre) << Touche{s, cle, texte, maj} << code;
    }
    // The keypad, the same on both layouts.
    for (int i = 1; i <= 4; ++i) {
        const auto cle = Qt::Key(Qt::Key_0 + i);
        const quint32 s = i == 4 ? scan::Pave4 : scan::Pave1 + (i - 1);
        QTest::addRow("pave %d", i) << Touche{s, cle, QString::number(i), pave} << 96 + i;
    }
    QTest::newRow("pave 7") << Touche{scan::Pave7, Qt::Key_7, "7", pave} << 103;
    QTest::newRow("pave +") << Touche{scan::PavePlus, Qt::Key_Plus, "+", pave} << 107;
    QTest::newRow("Maj pave +") << Touche{scan::PavePlus, Qt::Key_Plus, "+", pave | maj} << 107;
    // The + of the main keys (Shift and =, on both layouts) is not the keypad's.
    QTest::newRow("Maj =") << Touche{scan::Egal, Qt::Key_Plus, "+", maj} << 187;
    // Letters as the layout types them.
    QTest::newRow("qwerty a") << Touche{scan::A_qwerty, Qt::Key_A, "a"} << 65;
    QTest::newRow("azerty a") << Touche{scan::A_azerty, Qt::Key_A, "a"} << 65;
    QTest::newRow("azerty q") << Touche{scan::A_qwerty, Qt::Key_Q, "q"} << 81;
    // Keys that type nothing, with and without Shift.
    const std::pair<Qt::Key, int> fixes[] = {
        {Qt::Key_Escape, 27}, {Qt::Key_Space, 32}, {Qt::Key_PageUp, 33}, {Qt::Key_PageDown, 34},
        {Qt::Key_End, 35},    {Qt::Key_Home, 36},  {Qt::Key_Left, 37},   {Qt::Key_Up, 38},
        {Qt::Key_Right, 39},  {Qt::Key_Down, 40},  {Qt::Key_Insert, 45}, {Qt::Key_Delete, 46}};
    for (const auto& [cle, code] : fixes) {
        const QByteArray nom = QKeySequence(cle).toString().toLatin1();
        QTest::newRow(nom.constData()) << toucheFixe(cle) << code;
        QTest::newRow(("Maj " + nom).constData()) << toucheFixe(cle, maj) << code;
    }
}

void TstFenetreQt::touches() {
    QFETCH(Touche, touche);
    QFETCH(int, code);
    QTemporaryDir dossier;
    FenetreReelle f(images(dossier, 3));
    QVERIFY(taper(Qt::Key_F5));
    QCOMPARE(f.etat.ModeVue, Mode::Ajustee);
    QList<int> vus;
    f.form->fenetre.surTouche = [&vus](int code, int) { vus.append(code); };
    QVERIFY(taper(touche));
    QCOMPARE(vus, QList<int>{code});
}

// Every box (message, input) and the slide sheet give the keyboard back to the window
// that opened them: the next Page Down acts at once.
void TstFenetreQt::focusApresBoite_data() {
    QTest::addColumn<QString>("commande");
    QTest::addColumn<QStringList>("titres");
    QTest::newRow("F2, annulé") << "F2" << QStringList{"Renommer", "Nom refusé"};
    QTest::newRow("F2, renommé") << "F2 ok" << QStringList{"Renommer"};
    QTest::newRow("diapositives, F4") << "F8 F4" << QStringList{};
    QTest::newRow("diapositives, Quitter") << "F8 Quitter" << QStringList{};
    QTest::newRow("diapositives, Numéro") << "F8 Numero" << QStringList{"Modifier l'affichage"};
}

void TstFenetreQt::focusApresBoite() {
    QFETCH(QString, commande);
    QFETCH(QStringList, titres);
    QTemporaryDir dossier;
    FenetreReelle f(images(dossier, 5));
    QVERIFY(taper(Qt::Key_F5));
    QVERIFY(taper(Qt::Key_PageDown));
    QCOMPARE(f.etat.NumImage, 2);

    FermeBoites boites(commande == QLatin1String("F2 ok") ? [](QDialog* d) {
        if (auto* saisie = qobject_cast<QInputDialog*>(d)) {
            saisie->setTextValue(QStringLiteral("nouveau.jpg"));
            saisie->accept();
        }
    } : std::function<void(QDialog*)>{});
    if (commande.startsWith(QLatin1String("F2"))) {
        QVERIFY(taper(Qt::Key_F2));
    } else {
        QString fermeture;
        QVERIFY(f.dansLaFeuille([&](VueFenetreQt& feuille) {
            Fenetre& m = feuille.modele();
            if (commande.endsWith(QLatin1String("F4"))) {
                fermeture = taper(Qt::Key_F4) && m.ferme() ? "F4" : "";
            } else if (commande.endsWith(QLatin1String("Quitter"))) {
                QTest::mouseClick(feuille.widgetDe(*controle(m, "Fin")), Qt::LeftButton);
                fermeture = m.ferme() ? "Quitter" : "";
            } else {
                QTest::mouseClick(feuille.widgetDe(*controle(m, "Numero")), Qt::LeftButton);
                // Back in the sheet, its keys act at once: F4 closes it.
                QTRY_VERIFY(QGuiApplication::focusWindow() == feuille.windowHandle());
                fermeture = taper(Qt::Key_F4) && m.ferme() ? "Numero" : "";
            }
        }));
        QCOMPARE(fermeture, commande.section(u' ', 1));
    }
    QCOMPARE(boites.titres, titres);
    QTRY_VERIFY(QGuiApplication::focusWindow() == f.vue->windowHandle());
    QVERIFY(taper(Qt::Key_PageDown));
    QCOMPARE(f.etat.NumImage, 3);
    // A key that no control of the window takes for itself.
    QVERIFY(taper(Touche{scan::PavePlus, Qt::Key_Plus, "+", Qt::KeypadModifier}));
    QCOMPARE(f.etat.ModeVue, Mode::TailleReelle);
    // The natural-size view takes the focus, and the viewer's keys still reach the window.
    QCOMPARE(QApplication::focusWidget(), f.vue->widgetDe(f.ctl().Image1));
    QVERIFY(taper(Qt::Key_PageUp));
    QCOMPARE(f.etat.NumImage, 2);
}

// F6 takes the files selected with the mouse in the file list, Ctrl held for the second.
void TstFenetreQt::selectionMultipleF6() {
    QTemporaryDir dossier;
    FenetreReelle f(images(dossier, 5));
    auto* liste = qobject_cast<QListView*>(f.vue->widgetDe(f.ctl().Fichier));
    QVERIFY(liste);
    cliquerLigne(liste, 1);
    cliquerLigne(liste, 3, Qt::ControlModifier);
    QVERIFY(f.ctl().Fichier.selected(1) && f.ctl().Fichier.selected(3));
    QVERIFY(!f.ctl().Fichier.selected(0));
    QVERIFY(taper(Qt::Key_F6));
    QCOMPARE(f.etat.NbImages, 2);
    QCOMPARE(f.etat.TabImages.mid(1), (QStringList{"b.jpg", "d.jpg"}));
    QCOMPARE(f.etat.ModeVue, Mode::Ajustee);
}

// F7 opens a folder selection with the folder list in hand: a click there adds a folder,
// Esc there abandons the selection.
void TstFenetreQt::echapPendantLaSelectionDeDossiers() {
    QTemporaryDir dossier;
    QVERIFY(QDir(dossier.path()).mkpath(QStringLiteral("Photos/Noël")));
    FenetreReelle f(dossier.filePath(QStringLiteral("Photos/")));
    const AccesForm1 form = f.ctl();
    QVERIFY(taper(Qt::Key_F7));
    QCOMPARE(f.etat.MultiDossier, std::int16_t(1));
    auto* dossiers = qobject_cast<QListWidget*>(f.vue->widgetDe(form.Dossier));
    QCOMPARE(QApplication::focusWidget(), dossiers);
    QVERIFY(f.vue->widgetDe(form.ListeDos)->isVisible());
    const int noel = dossiers->count() - 1;
    QTest::mouseClick(dossiers->viewport(), Qt::LeftButton, Qt::NoModifier,
                      dossiers->visualItemRect(dossiers->item(noel)).center());
    QVERIFY(form.ListeDos.caption().endsWith(form.Dossier.list(noel) + QStringLiteral(" *")));

    QVERIFY(taper(Qt::Key_Escape));
    QCOMPARE(f.etat.MultiDossier, std::int16_t(0));
    QVERIFY(!f.vue->widgetDe(form.ListeDos)->isVisible());
}

// Once the list is shown, the file list that had the keyboard is hidden: Return and
// letters act on no hidden control (Return there would make a list of one file).
void TstFenetreQt::toucheSurLaListeCachee() {
    QTemporaryDir dossier;
    FenetreReelle f(images(dossier, 3));
    f.vue->widgetDe(f.ctl().Fichier)->setFocus();
    QVERIFY(taper(Qt::Key_F5));
    QCOMPARE(f.etat.NbImages, std::int16_t(3));
    QVERIFY(taper(Qt::Key_Return));
    QVERIFY(taper(Qt::Key_C));
    QVERIFY(taper(Qt::Key_Return));
    QCOMPARE(f.etat.NbImages, std::int16_t(3));
    QCOMPARE(f.etat.ModeVue, Mode::Ajustee);
}

// Dragging a scroll bar's thumb moves the picture when the thumb is released, not during
// the drag; a click in the trough moves it by a page.
void TstFenetreQt::glisserUnAscenseur() {
    QTemporaryDir dossier;
    dessiner(dossier.filePath(QStringLiteral("large.jpg")), {3000, 100});
    FenetreReelle f(dossier.path() + u'/');
    QVERIFY(taper(Qt::Key_F5));
    QVERIFY(taper(Touche{scan::PavePlus, Qt::Key_Plus, "+", Qt::KeypadModifier}));
    QCOMPARE(f.etat.ModeVue, Mode::TailleReelle);
    auto* barre = qobject_cast<QScrollBar*>(f.vue->widgetDe(f.ctl().Horiz));
    QWidget* image = f.vue->widgetDe(f.ctl().Image1);
    QVERIFY(barre && barre->isVisible());
    QCOMPARE(barre->maximum(), f.ctl().Horiz.max());

    barre->setSliderDown(true);
    barre->setSliderPosition(barre->maximum() / 2);
    QCOMPARE(f.ctl().Horiz.value(), 0);
    QCOMPARE(image->x(), 0);
    barre->setSliderDown(false);
    const int lache = f.ctl().Horiz.value();
    QVERIFY(lache > 0);
    QCOMPARE(lache, barre->value());
    QCOMPARE(f.ctl().Image1.left(), -lache);
    QCOMPARE(image->x(), static_cast<int>(std::floor(-lache / densite_)));

    // A click in the trough, right of the thumb: one page (the visible width).
    const QPoint creux(barre->width() - barre->height() - 2, barre->height() / 2);
    envoyerSouris(barre, QEvent::MouseButtonPress, creux, Qt::LeftButton);
    envoyerSouris(barre, QEvent::MouseButtonRelease, creux, Qt::NoButton);
    QCOMPARE(f.ctl().Horiz.value(),
             std::min(lache + f.ctl().Horiz.largeChange(), int(f.ctl().Horiz.max())));
    // The scroll bar never keeps the keyboard: the arrows still scroll.
    QVERIFY(taper(Qt::Key_Left));
    QCOMPARE(f.ctl().Horiz.value(), 0);
    QCOMPARE(image->x(), 0);
}

// Every control has a name a screen reader can say, and the menus their captions; the
// folder list's entries read as the folders' names alone: their depth is drawn.
void TstFenetreQt::nomsAccessibles() {
    QTemporaryDir dossier;
    for (const char* sous : {"Photos/\u00c9t\u00e9", "Photos/hiver", "Photos/.cache"})
        QVERIFY(QDir(dossier.path()).mkpath(QString::fromUtf8(sous)));
    const QString photos = dossier.filePath(QStringLiteral("Photos"));
    FenetreReelle f(photos + u'/');
    QCOMPARE(f.vue->windowTitle(), photos + u'/');
    for (Controle* c : f.form->fenetre.controles()) {
        QWidget* w = f.vue->widgetDe(*c);
        QVERIFY2(w && !w->accessibleName().isEmpty(), qPrintable(c->nom()));
    }
    QCOMPARE(f.vue->widgetDe(f.ctl().Image2)->accessibleName(), QStringLiteral("Image ajustée"));
    QStringList menus;
    for (QAction* a : f.vue->menuBar()->actions())
        menus.append(a->text());
    QCOMPARE(menus, (QStringList{"&Fichier", "A&tteindre", "&Show", "&Aide", "&Nom", "&Compte"}));
    QCOMPARE(f.vue->actionDe(*f.ctl().Bouge[4])->text(), QStringLiteral("&Premiere Image"));
    QCOMPARE(f.vue->actionDe(f.ctl().affTout)->shortcut(), QKeySequence(Qt::Key_F5));
    auto* liste = qobject_cast<QListWidget*>(f.vue->widgetDe(f.ctl().Dossier));
    QStringList attendus{QStringLiteral("/")};
    attendus += QDir::cleanPath(photos).split(u'/', Qt::SkipEmptyParts);
    attendus += QStringList{QStringLiteral("\u00c9t\u00e9"), QStringLiteral("hiver")};

    QStringList textes, noms;
    QAccessibleInterface* acces = QAccessible::queryAccessibleInterface(liste);
    QVERIFY(acces);
    for (int i = 0; i < liste->count(); ++i) {
        textes.append(liste->item(i)->text());
        QAccessibleInterface* entree = acces->child(i);
        noms.append(entree ? entree->text(QAccessible::Name) : QString());
    }
    QCOMPARE(textes, attendus);
    QCOMPARE(noms, attendus);
}

// A check mark shows the program's state: a command that changes nothing leaves it.
void TstFenetreQt::coches_data() {
    QTest::addColumn<int>("nbImages");
    QTest::addColumn<bool>("coche");
    // One picture: the "&Show" menu does nothing.
    QTest::newRow("une image") << 1 << true;
    QTest::newRow("deux images") << 2 << false;
}

void TstFenetreQt::coches() {
    QFETCH(int, nbImages);
    QFETCH(bool, coche);
    QTemporaryDir dossier;
    FenetreReelle f(images(dossier, nbImages));
    QVERIFY(taper(Qt::Key_F5));
    ElementMenu& petites = *f.ctl().Defile[5];
    QAction* action = f.vue->actionDe(petites);
    QVERIFY(action->isChecked());
    action->trigger();
    QCOMPARE(petites.checked(), coche);
    QCOMPARE(action->isChecked(), coche);
    action->trigger();
    QCOMPARE(action->isChecked(), true);
    // "&Stop" bears no mark: a click does not give it one.
    QAction* stop = f.vue->actionDe(*f.ctl().Defile[2]);
    stop->trigger();
    QVERIFY(!stop->isChecked());
}

// The slideshow runs on the window's timer: Insert starts it, Delete stops it.
void TstFenetreQt::diaporama() {
    QTemporaryDir dossier;
    FenetreReelle f(images(dossier, 3));
    QVERIFY(taper(Qt::Key_F5));
    QVERIFY(taper(Qt::Key_Insert));
    QTRY_COMPARE_WITH_TIMEOUT(f.legende(f.ctl().menNom), QStringLiteral("=  2 / 3  =  b.jpg"),
                              10000);
    QVERIFY(taper(Qt::Key_Delete));
    QVERIFY(!f.etat.SensDefile);
}

// The main window counts in the screen's own pixels: a picture at natural size shows
// one of its pixels per screen pixel, and the window's measures, the scroll ranges and
// the information box count screen pixels too.
void TstFenetreQt::taillesEnPixelsDeLEcran() {
    QTemporaryDir dossier;
    const QImage motif = damier({200, 150});
    QVERIFY(motif.save(dossier.filePath(QStringLiteral("a.bmp"))));
    dessiner(dossier.filePath(QStringLiteral("b.jpg")), {3000, 2000});
    FenetreReelle f(dossier.path() + u'/');
    const AccesForm1 form = f.ctl();
    const QSize centre = f.vue->centralWidget()->size();
    QCOMPARE(int(form.LargeurFenetre), qRound(centre.width() * densite_));
    QCOMPARE(int(form.HauteurFenetre), qRound(centre.height() * densite_));
    QWidget* vertic = f.vue->widgetDe(form.Vertic);
    QCOMPARE(int(form.LargeurAscenseur), qRound(vertic->width() * densite_));
    // The browsing panel keeps its size on the screen, in twips.
    QCOMPARE(f.vue->widgetDe(form.Debut)->geometry(), QRect(8, 8, 412, 367));
    QCOMPARE(f.vue->widgetDe(form.Dossier)->geometry(), QRect(208, 38, 200, 326));
    QCOMPARE(f.vue->widgetDe(form.ChatRex)->size(), QSize(67, 51));

    QVERIFY(taper(Qt::Key_F5));
    QCOMPARE(form.Image1.width(), 200.0);
    QCOMPARE(form.Image1.height(), 150.0);
    // Small enough: the fitted view shows it at natural size too.
    QCOMPARE(qRound(f.vue->widgetDe(form.Image2)->width() * densite_), 200);
    QVERIFY(taper(Touche{scan::PavePlus, Qt::Key_Plus, "+", Qt::KeypadModifier}));
    QWidget* image = f.vue->widgetDe(form.Image1);
    const QImage vu = image->grab().toImage();
    QCOMPARE(vu.devicePixelRatio(), densite_);
    QImage pixels = vu.copy(0, 0, 200, 150).convertToFormat(QImage::Format_RGB32);
    pixels.setDevicePixelRatio(1);
    QCOMPARE(pixels, motif);

    FermeBoites boites;
    f.vue->actionDe(form.menNom)->trigger();
    QCOMPARE(boites.textes.size(), 1);
    QVERIFY2(
        boites.textes[0].contains(
            QStringLiteral("Largeur Réelle : \t200\t (Plein Ecran : %1)").arg(form.LargeurFenetre)),
        qPrintable(boites.textes[0]));

    QVERIFY(taper(Qt::Key_PageDown));
    QCOMPARE(form.Image1.width(), 3000.0);
    const int max = 3000 - (form.LargeurFenetre - form.LargeurAscenseur);
    QCOMPARE(int(form.Horiz.max()), max);
    QCOMPARE(int(form.Vertic.max()), 2000 - (form.HauteurFenetre - form.HauteurAscenseur));
    QCOMPARE(qobject_cast<QScrollBar*>(f.vue->widgetDe(form.Horiz))->maximum(), max);
    QVERIFY(taper(Qt::Key_Right));
    QCOMPARE(form.Image1.left(), -double(max));
    QCOMPARE(image->x(), static_cast<int>(std::floor(-max / densite_)));

    // The window system gives the window another size than the one measured at load (a
    // title bar): the picture shown is laid out again for it.
    f.vue->showNormal();
    f.vue->resize(f.vue->size() - QSize(100, 60));
    QTRY_COMPARE(int(form.LargeurFenetre), qRound(f.vue->centralWidget()->width() * densite_));
    QCOMPARE(int(form.HauteurFenetre), qRound(f.vue->centralWidget()->height() * densite_));
    QCOMPARE(int(form.Horiz.max()), 3000 - (form.LargeurFenetre - form.LargeurAscenseur));
}

GALVIA_TEST_MAIN(TstFenetreQt)
#include "tst_fenetre_qt.moc"
