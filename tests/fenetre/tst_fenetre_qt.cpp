// The Qt side of Galvia's windows, on the real windows: the keys as a French or an American
// keyboard sends them, the keyboard after every box and after the slide sheet, the file and folder
// lists under the mouse and the keys, the scroll bars' drag, the menus' check marks, the
// slideshow's timer, the names a screen reader says, and the screen's own pixels on a scaled
// screen. Runs at a scale factor of 1 and of 2 (QT_SCALE_FACTOR).
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

namespace {

// A picture whose every pixel differs from its neighbours: any resampling shows.
QImage damier(QSize taille) {
    QImage image(taille, QImage::Format_RGB32);
    for (int y = 0; y < taille.height(); ++y)
        for (int x = 0; x < taille.width(); ++x)
            image.setPixel(x, y, (x + y) % 2 ? qRgb(255, 255, 255) : qRgb(x % 256, y % 256, 0));
    return image;
}

} // namespace

class TstFenetreQt : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() {
        densite_ = densiteEcran();
        // The run asked for a scale factor: the screen has it.
        QCOMPARE(densite_, qEnvironmentVariable("QT_SCALE_FACTOR", QStringLiteral("1")).toDouble());
    }

    // Every key the viewer and the slide sheet use, as a QWERTY and an AZERTY keyboard send
    // it, with and without Shift: the code the window's handler gets. (The sheet's window
    // reads its keys alike; F4, a menu shortcut in the viewer, closes it: see focusApresBoite.)
    void touches_data() {
        QTest::addColumn<Touche>("touche");
        QTest::addColumn<int>("code");
        const auto maj = Qt::ShiftModifier, pave = Qt::KeypadModifier;
        // The top row, 1 to 9 then 0, counted by one rule: its ends, and the key of 6 that
        // AZERTY types as a minus. QWERTY types the digit, AZERTY needs Shift for it. Each key:
        // its place (0 for the key of 1), what QWERTY types with Shift, what AZERTY types.
        const std::tuple<int, const char*, Qt::Key, const char*, Qt::Key> rangee[] = {
            {0, "!", Qt::Key_Exclam, "&", Qt::Key_Ampersand},
            {5, "^", Qt::Key_AsciiCircum, "-", Qt::Key_Minus},
            {8, "(", Qt::Key_ParenLeft, "\u00e7", Qt::Key_Ccedilla},
            {9, ")", Qt::Key_ParenRight, "\u00e0", Qt::Key_Agrave}};
        for (const auto& [place, qwerty, qwertyCle, azerty, azertyCle] : rangee) {
            const int chiffre = (place + 1) % 10, code = 48 + chiffre;
            const auto cle = Qt::Key(Qt::Key_0 + chiffre);
            const quint32 s = scan::Chiffre1 + quint32(place);
            const QString texte = QString::number(chiffre);
            QTest::addRow("qwerty %d", chiffre) << Touche{s, cle, texte} << code;
            QTest::addRow("qwerty Maj %d", chiffre)
                << Touche{s, qwertyCle, QString::fromUtf8(qwerty), maj} << code;
            QTest::addRow("azerty %d", chiffre)
                << Touche{s, azertyCle, QString::fromUtf8(azerty)} << code;
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

    void touches() {
        QFETCH(Touche, touche);
        QFETCH(int, code);
        FenetreReelle f(3);
        QVERIFY(taper(Qt::Key_F5));
        QCOMPARE(f.etat.ModeVue, Mode::Ajustee);
        QList<int> vus;
        f.form->fenetre.surTouche = [&vus](int code, int) { vus.append(code); };
        QVERIFY(taper(touche));
        QCOMPARE(vus, QList<int>{code});
    }

    // Every box (message, input) and the slide sheet give the keyboard back to the window
    // that opened them: the next Page Down acts at once.
    void focusApresBoite_data() {
        QTest::addColumn<QString>("commande");
        QTest::addColumn<QStringList>("titres");
        QTest::newRow("F2, annulé") << "F2" << QStringList{"Renommer", "Nom refusé"};
        QTest::newRow("F2, renommé") << "F2 ok" << QStringList{"Renommer"};
        QTest::newRow("diapositives, F4") << "F8 F4" << QStringList{};
        QTest::newRow("diapositives, Quitter") << "F8 Fin" << QStringList{};
        QTest::newRow("diapositives, Numéro") << "F8 Numero" << QStringList{"Modifier l'affichage"};
    }

    void focusApresBoite() {
        QFETCH(QString, commande);
        QFETCH(QStringList, titres);
        FenetreReelle f(5);
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
            bool ferme = false;
            QVERIFY(f.dansLaFeuille([&](VueFenetreQt& feuille) {
                const QString geste = commande.section(u' ', 1); // F4, or the control clicked
                if (geste != QLatin1String("F4"))
                    QTest::mouseClick(feuille.widgetDe(*controle(feuille.modele(), geste)),
                                      Qt::LeftButton);
                // Back in the sheet after the number box, its keys act at once: F4 closes it.
                if (geste != QLatin1String("Fin")) {
                    QTRY_VERIFY(QGuiApplication::focusWindow() == feuille.windowHandle());
                    QVERIFY(taper(Qt::Key_F4));
                }
                ferme = feuille.modele().ferme();
            }));
            QVERIFY(ferme);
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
    void selectionMultipleF6() {
        FenetreReelle f(5);
        auto* liste = qobject_cast<QListView*>(f.vue->widgetDe(f.ctl().Fichier));
        QVERIFY(liste);
        for (const auto& [i, mod] :
             {std::pair(1, Qt::NoModifier), std::pair(3, Qt::ControlModifier)})
            QTest::mouseClick(liste->viewport(), Qt::LeftButton, mod,
                              liste->visualRect(liste->model()->index(i, 0)).center());
        QVERIFY(f.ctl().Fichier.selected(1) && f.ctl().Fichier.selected(3) &&
                !f.ctl().Fichier.selected(0));
        QVERIFY(taper(Qt::Key_F6));
        QCOMPARE(f.etat.NbImages, 2);
        QCOMPARE(f.etat.TabImages.mid(1), (QStringList{"b.jpg", "d.jpg"}));
        QCOMPARE(f.etat.ModeVue, Mode::Ajustee);
    }

    // Dragging a scroll bar's thumb moves the picture when the thumb is released, not during
    // the drag; a click in the trough moves it by a page.
    void glisserUnAscenseur() {
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
        QTest::mouseClick(barre, Qt::LeftButton, Qt::NoModifier, creux);
        QCOMPARE(f.ctl().Horiz.value(),
                 std::min(lache + f.ctl().Horiz.largeChange(), int(f.ctl().Horiz.max())));
        // The scroll bar never keeps the keyboard: the arrows still scroll.
        QVERIFY(taper(Qt::Key_Left));
        QCOMPARE(f.ctl().Horiz.value(), 0);
        QCOMPARE(image->x(), 0);
    }

    // Once the list is shown, the file list that had the keyboard is hidden: Return and
    // letters act on no hidden control (Return there would make a list of one file). Then
    // the slideshow runs on the window's timer: Insert starts it, Delete stops it.
    void toucheSurLaListeCachee() {
        FenetreReelle f(3);
        f.vue->widgetDe(f.ctl().Fichier)->setFocus();
        QVERIFY(taper(Qt::Key_F5));
        QCOMPARE(f.etat.NbImages, std::int16_t(3));
        for (const Qt::Key k : {Qt::Key_Return, Qt::Key_C, Qt::Key_Return})
            QVERIFY(taper(k));
        QCOMPARE(f.etat.NbImages, std::int16_t(3));
        QCOMPARE(f.etat.ModeVue, Mode::Ajustee);
        QVERIFY(taper(Qt::Key_Insert));
        QTRY_COMPARE_WITH_TIMEOUT(f.legende(f.ctl().menNom), QStringLiteral("=  2 / 3  =  b.jpg"),
                                  10000);
        QVERIFY(taper(Qt::Key_Delete));
        QVERIFY(!f.etat.SensDefile);
    }

    // Every control has a name a screen reader can say, and the menus their captions; the
    // folder list's entries read as the folders' names alone: their depth is drawn. Then F7
    // opens a folder selection with the folder list in hand: a click there adds a folder, Esc
    // there abandons the selection.
    void nomsAccessibles() {
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
        QCOMPARE(f.vue->widgetDe(f.ctl().Image2)->accessibleName(),
                 QStringLiteral("Image ajustée"));
        QStringList menus;
        for (QAction* a : f.vue->menuBar()->actions())
            menus.append(a->text());
        QCOMPARE(menus,
                 (QStringList{"&Fichier", "A&tteindre", "&Show", "&Aide", "&Nom", "&Compte"}));
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
        QCOMPARE(textes + noms, attendus + attendus);

        QVERIFY(taper(Qt::Key_F7));
        QCOMPARE(f.etat.MultiDossier, std::int16_t(1));
        QCOMPARE(QApplication::focusWidget(), liste);
        QVERIFY(f.vue->widgetDe(f.ctl().ListeDos)->isVisible());
        const int hiver = liste->count() - 1;
        QTest::mouseClick(liste->viewport(), Qt::LeftButton, Qt::NoModifier,
                          liste->visualItemRect(liste->item(hiver)).center());
        QVERIFY(f.ctl().ListeDos.caption().endsWith(f.ctl().Dossier.list(hiver) +
                                                    QStringLiteral(" *")));
        QVERIFY(taper(Qt::Key_Escape));
        QCOMPARE(f.etat.MultiDossier, std::int16_t(0));
        QVERIFY(!f.vue->widgetDe(f.ctl().ListeDos)->isVisible());
    }

    // A check mark shows the program's state: a command that changes nothing (the "&Show"
    // menu's, over one picture) leaves it.
    void coches() {
        for (const int nbImages : {1, 2}) {
            FenetreReelle f(nbImages);
            QVERIFY(taper(Qt::Key_F5));
            ElementMenu& petites = *f.ctl().Defile[5];
            QAction* action = f.vue->actionDe(petites);
            QVERIFY(action->isChecked());
            action->trigger();
            QCOMPARE(std::pair(petites.checked(), action->isChecked()),
                     std::pair(nbImages == 1, nbImages == 1));
            action->trigger();
            QVERIFY(action->isChecked());
            // "&Stop" bears no mark: a click does not give it one.
            QAction* stop = f.vue->actionDe(*f.ctl().Defile[2]);
            stop->trigger();
            QVERIFY(!stop->isChecked());
        }
    }

    // The main window counts in the screen's own pixels: a picture at natural size shows
    // one of its pixels per screen pixel, and the window's measures, the scroll ranges and
    // the information box count screen pixels too.
    void taillesEnPixelsDeLEcran() {
        QTemporaryDir dossier;
        const QImage motif = damier({200, 150});
        QVERIFY(motif.save(dossier.filePath(QStringLiteral("a.bmp"))));
        dessiner(dossier.filePath(QStringLiteral("b.jpg")), {3000, 2000});
        FenetreReelle f(dossier.path() + u'/');
        const AccesForm1 form = f.ctl();
        const QSize centre = f.vue->centralWidget()->size() * densite_;
        const int barre = qRound(f.vue->widgetDe(form.Vertic)->width() * densite_);
        QCOMPARE(QList<int>({form.LargeurFenetre, form.HauteurFenetre, form.LargeurAscenseur}),
                 QList<int>({centre.width(), centre.height(), barre}));
        // The browsing panel keeps its size on the screen, in twips.
        QCOMPARE(f.vue->widgetDe(form.Debut)->geometry(), QRect(8, 8, 412, 367));
        QCOMPARE(f.vue->widgetDe(form.Dossier)->geometry(), QRect(208, 38, 200, 326));
        QCOMPARE(f.vue->widgetDe(form.ChatRex)->size(), QSize(67, 51));

        QVERIFY(taper(Qt::Key_F5));
        QCOMPARE(QSizeF(form.Image1.width(), form.Image1.height()), QSizeF(200, 150));
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
            boites.textes[0].contains(QStringLiteral("Largeur Réelle : \t200\t (Plein Ecran : %1)")
                                          .arg(form.LargeurFenetre)),
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

private:
    double densite_ = 1;
};

GALVIA_TEST_MAIN(TstFenetreQt)
#include "tst_fenetre_qt.moc"
