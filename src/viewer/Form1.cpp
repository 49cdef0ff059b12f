// The main window: its controls and menus, start-up, and the switch between its modes.
#include "Form1.h"

#include "platform/Erreurs.h"
#include "platform/Fichiers.h"
#include "platform/Texte.h"
#include "platform/decodage/PoolDecodage.h"

#include <QPainter>
#include <cmath>

namespace galvia {

namespace {

// A length measured on the window, as the viewer keeps it: rounded to even screen pixels.
std::int16_t pixelsPairs(double longueur) {
    return vers16(std::lround(arrondiPair(longueur)));
}

ElementMenu& ajouterShow(ElementMenu& menShow, MenuCommandes<Show, 6>& defile) {
    static const char* const captions[] = {
        "Sens &Croissant",     "Sens &Décroissant",   "&Stop",
        "&Vitesse Double (1)", "Vitesse &Moitié (1)", "&Garder les Petites Images"};
    for (int i = 0; i < defile.size(); ++i)
        defile[i] = &menShow.ajouter(QStringLiteral("Defile"), QString::fromUtf8(captions[i]));
    menShow.ajouter(QStringLiteral("sepShow"), QStringLiteral("-"));
    return menShow.ajouter(QStringLiteral("diapShow"), QStringLiteral("D&iapositives"),
                           QStringLiteral("F8"));
}

// The small decorative cat of the browsing panel, drawn by Galvia itself (67 x 51).
QImage dessinerChat() {
    QImage img(67, 51, QImage::Format_Indexed8);
    QImage dessin(67, 51, QImage::Format_ARGB32);
    dessin.fill(QColor(0xc0, 0xc0, 0xc0));
    QPainter p(&dessin);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor pelage(0xd9, 0x82, 0x2b), sombre(0x5a, 0x32, 0x10);
    p.setPen(QPen(sombre, 1.5));
    p.setBrush(pelage);
    p.drawEllipse(QRectF(22, 22, 40, 24));                 // body
    p.drawEllipse(QRectF(6, 12, 24, 22));                  // head
    p.drawPolygon(QPolygonF({{8, 17}, {9, 5}, {16, 13}})); // ears
    p.drawPolygon(QPolygonF({{20, 13}, {27, 5}, {28, 17}}));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(pelage, 4, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(52, 8, 14, 34), -90 * 16, 160 * 16); // tail
    p.setPen(QPen(sombre, 1.5));
    p.setBrush(QColor(0x2e, 0x7d, 0x32));
    p.drawEllipse(QRectF(11, 19, 4, 4)); // eyes
    p.drawEllipse(QRectF(20, 19, 4, 4));
    p.setBrush(sombre);
    p.drawEllipse(QRectF(16.5, 25, 2.5, 2));      // nose
    p.drawLine(QPointF(30, 44), QPointF(30, 49)); // paws
    p.drawLine(QPointF(52, 44), QPointF(52, 49));
    p.end();
    img = dessin.convertToFormat(QImage::Format_Indexed8); // 256 colours
    return img;
}

} // namespace

Form1::Form1(Plateforme& plateforme_, Module1& etat_)
    : plateforme(plateforme_)
    , etat(etat_)
    , vue(plateforme_, etat_, PoolDecodage::commun())
    , Timer1(fenetre.creerMinuterie())
    , menFich(fenetre.ajouterMenu(QStringLiteral("menFich"), QStringLiteral("&Fichier")))
    , affTout(menFich.ajouter(QStringLiteral("affTout"), QStringLiteral("&Toutes les Images"),
                              QStringLiteral("F5")))
    , affSelect(menFich.ajouter(QStringLiteral("affSelect"),
                                QStringLiteral("Images &Sélectionnées"), QStringLiteral("F6")))
    , AutreDossier(menFich.ajouter(QStringLiteral("AutreDossier"),
                                   QStringLiteral("Sélection &MultiDossier"), QStringLiteral("F7")))
    , Renomme(menFich.ajouter(QStringLiteral("Renomme"), QStringLiteral("&Renommer"),
                              QStringLiteral("F2")))
    , affAutre(menFich.ajouter(QStringLiteral("affAutre"), QStringLiteral("&Changer de Dossier"),
                               QStringLiteral("F3")))
    , Fin((
          menFich.ajouter(QStringLiteral("sepFich"), QStringLiteral("-")),
          menFich.ajouter(QStringLiteral("Fin"), QStringLiteral("&Quitter"), QStringLiteral("F4"))))
    , menAtt(fenetre.ajouterMenu(QStringLiteral("menAtt"), QStringLiteral("A&tteindre")))
    , menShow(fenetre.ajouterMenu(QStringLiteral("menShow"), QStringLiteral("&Show")))
    , diapShow(ajouterShow(menShow, Defile))
    , menAide(fenetre.ajouterMenu(QStringLiteral("menAide"), QStringLiteral("&Aide")))
    , menNom(fenetre.ajouterMenu(QStringLiteral("menNom"), QStringLiteral("&Nom")))
    , menCompte(fenetre.ajouterMenu(QStringLiteral("menCompte"), QStringLiteral("&Compte")))
    , DossierDepart(dossierPersonnel() + QStringLiteral("/Vordane/Images/Femmes/")) {
    vue.apercu = [this] { return apercu(); };
    construireMenus();

    // Initial state: the browsing mode (the panel is laid out by Form_Load).
    ListeDos.setCaption(QStringLiteral("Dossiers :"));
    ListeDos.setVisible(false);
    ChatRex.setImage(dessinerChat());
    ChatRex.setVisible(false);
    Image0.setVisible(false);
    Image2.setVisible(false);
    Horiz.setVisible(false);
    Vertic.setVisible(false);
    const int e = plateforme.epaisseurAscenseur();
    Horiz.move(0, 0, 100, e);
    Vertic.move(0, 0, e, 100);

    Debut.setNomAccessible(QStringLiteral("Navigation"));
    Lecteur.setNomAccessible(QStringLiteral("Lecteur"));
    Dossier.setNomAccessible(QStringLiteral("Dossier"));
    Fichier.setNomAccessible(QStringLiteral("Fichier"));
    Image0.setNomAccessible(QStringLiteral("Zone d'affichage"));
    Image1.setNomAccessible(QStringLiteral("Image taille réelle"));
    Image2.setNomAccessible(QStringLiteral("Image ajustée"));
    Horiz.setNomAccessible(QStringLiteral("Ascenseur horizontal"));
    Vertic.setNomAccessible(QStringLiteral("Ascenseur vertical"));
    ChatRex.setNomAccessible(QStringLiteral("Chat"));

    relier();
}

void Form1::construireMenus() {
    static const char* const captions[] = {"Un No&m",
                                           "Un &Numéro",
                                           "Image &Suivante",
                                           "Image P&récédente",
                                           "&Premiere Image",
                                           "Image à &Un Cinquième",
                                           "Image à &Deux Cinquièmes",
                                           "Image à &Trois Cinquièmes",
                                           "Image à &Quatre Cinquièmes",
                                           "Dernière &Image"};
    for (int i = 0; i < Bouge.size(); ++i)
        Bouge[i] = &menAtt.ajouter(QStringLiteral("Bouge"), QString::fromUtf8(captions[i]));
    Renomme.setEnabled(false);
    affAutre.setEnabled(false);
    menAtt.setVisible(false);
    menShow.setVisible(false);
    menNom.setVisible(false);
    menCompte.setVisible(false);
    Defile[Show::PetitesImages]->setChecked(true);
}

void Form1::relier() {
    affTout.surClic = [this] { affTout_Click(); };
    affSelect.surClic = [this] { affSelect_Click(); };
    AutreDossier.surClic = [this] { AutreDossier_Click(); };
    Renomme.surClic = [this] { Renomme_Click(); };
    affAutre.surClic = [this] { affAutre_Click(); };
    Fin.surClic = [this] { Fin_Click(); };
    for (int i = 0; i < Bouge.size(); ++i)
        Bouge[i]->surClic = [this, c = Atteindre(i)] { Bouge_Click(c); };
    for (int i = 0; i < Defile.size(); ++i)
        Defile[i]->surClic = [this, c = Show(i)] { Defile_Click(c); };
    diapShow.surClic = [this] { diapShow_Click(); };
    menAide.surClic = [this] { menAide_Click(); };
    menNom.surClic = [this] { menNom_Click(); };

    fenetre.surTouche = [this](int code, int shift) { Form_KeyDown(code, shift); };
    fenetre.surSurvol = [this] { Form_MouseMove(); };
    fenetre.surRedimension = [this] { Form_Resize(); };
    Timer1.surTick = [this] { Timer1_Timer(); };

    Lecteur.surChange = [this] { Lecteur_Change(); };
    Dossier.surChange = [this] { Dossier_Change(); };
    Dossier.surClic = [this] { Dossier_Click(); };
    Dossier.surTouche = [this](int code, int shift) { Dossier_KeyDown(code, shift); };
    Dossier.surSurvol = [this] { Dossier_MouseMove(); };
    Fichier.surDoubleClic = [this] { Fichier_DblClick(); };
    Fichier.surSurvol = [this] { Fichier_MouseMove(); };
    ListeDos.surDoubleClic = [this] { ListeDos_DblClick(); };
    ListeDos.surSurvol = [this] { ListeDos_MouseMove(); };

    Horiz.surChange = [this] { Horiz_Change(); };
    Vertic.surChange = [this] { Vertic_Change(); };
    Horiz.surFocus = [this] { Horiz_GotFocus(); };
    Vertic.surFocus = [this] { Vertic_GotFocus(); };
    Image1.surClic = [this] { Image1_Click(); };
    Image2.surClic = [this] { Image2_Click(); };
}

void Form1::Form_Load() {
    // The whole screen.
    const QSizeF ecran = plateforme.ecranTwips();
    fenetre.move(0, 0, ecran.width(), ecran.height());
    // The browsing panel's design layout, in twips: the platform turns it into the
    // screen's pixels, whatever its density.
    Debut.moveTwips(120, 120, 6180, 5505);
    Fichier.moveTwips(30, 120, 3000, 5340);
    Lecteur.moveTwips(3120, 120, 3000, 330);
    Dossier.moveTwips(3120, 570, 3000, 4890);
    ListeDos.moveTwips(6465, 105, 6000, 3000);
    ChatRex.moveTwips(6465, 3135, 1005, 765);

    Lecteur.setVolumes(plateforme.disque().volumes());
    if (dossierListable(DossierDepart)) {
        Lecteur.setDrive(volumeDe(DossierDepart));
        try {
            Dossier.setPath(DossierDepart);
        } catch (const Erreur&) {
        }
        changerDossierCourant(DossierDepart);
    } else {
        const QString courant = dossierCourant();
        Lecteur.setDrive(volumeDe(courant));
        try {
            Dossier.setPath(courant);
        } catch (const Erreur&) {
        }
    }
    fenetre.setCaption(avecSeparateur(Dossier.path()));

    Image1.setAutoSize(true);
    Image0.setBordure(false);
    Image1.setBordure(false);

    LargeurFenetre = pixelsPairs(fenetre.scaleWidth());
    HauteurFenetre = pixelsPairs(fenetre.scaleHeight());
    LargeurAscenseur = pixelsPairs(Vertic.width());
    HauteurAscenseur = pixelsPairs(Horiz.height());

    Image0.move(0, 0, LargeurFenetre, HauteurFenetre);
    Image1.move(0, 0);
    Horiz.setLeft(0);
    Horiz.setMin(0);
    Vertic.setTop(0);
    Vertic.setMin(0);
    Timer1.setInterval(vue.intervalle());
}

void Form1::Environ(Mode mode) {
    vue.changerMode(mode);
    const bool visionner = mode == Mode::TailleReelle || mode == Mode::Ajustee;
    const bool parcourir = mode == Mode::Navigation;
    affTout.setEnabled(parcourir);
    affSelect.setEnabled(parcourir);
    affAutre.setEnabled(visionner);
    menAtt.setVisible(visionner);
    menNom.setVisible(visionner);
    menShow.setVisible(visionner);
    Renomme.setEnabled(visionner);
    AutreDossier.setEnabled(!visionner);
    Debut.setVisible(!visionner);
    Image0.setVisible(mode == Mode::TailleReelle);
    Image2.setVisible(mode == Mode::Ajustee);
    if (mode == Mode::Ajustee) ChatRex.setVisible(false);
    if (parcourir) {
        Fichier.refresh();
        Lecteur.setFocus();
    } else if (mode == Mode::ChoixDossiers) {
        Dossier.setFocus();
    } else if (mode == Mode::TailleReelle) {
        Image1.setFocus();
    }
}

void Form1::Fin_Click() {
    plateforme.terminer();
}

void Form1::Form_Resize() {
    const std::int16_t largeur = pixelsPairs(fenetre.scaleWidth());
    const std::int16_t hauteur = pixelsPairs(fenetre.scaleHeight());
    if (largeur == LargeurFenetre && hauteur == HauteurFenetre) return;
    LargeurFenetre = largeur;
    HauteurFenetre = hauteur;
    Image0.move(0, 0, LargeurFenetre, HauteurFenetre);
    // The picture shown is laid out again for the new size, without being read again.
    const Mode m = vue.mode();
    if ((m == Mode::TailleReelle || m == Mode::Ajustee) && !Image1.affichee().isNull())
        disposer(Image1.affichee());
}

void Form1::Form_MouseMove() {
    ChatRex.setVisible(false);
}

void Form1::Horiz_GotFocus() {
    Image1.setFocus();
    // In the fitted view the natural-size picture is hidden: the fitted one takes the
    // focus, so that a scroll bar never keeps it.
    if (!Image1.aLeFocus()) Image2.setFocus();
}

void Form1::Vertic_GotFocus() {
    Horiz_GotFocus();
}

void Form1::Fichier_MouseMove() {
    ChatRex.setVisible(true);
}

void Form1::Dossier_MouseMove() {
    ChatRex.setVisible(true);
}

} // namespace galvia
