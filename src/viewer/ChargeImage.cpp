// Showing the current entry of the list in both views, and moving the natural-size
// picture with the scroll bars.
#include "Ajustement.h"
#include "Form1.h"
#include "Positions.h"

#include "platform/Erreurs.h"
#include "platform/Texte.h"

#include <cmath>
#include <optional>

namespace galvia {

void Form1::ChargeImage() {
    if (!vue.commencerChargement()) return;
    fenetre.setSablier(true);
    try {
        if (etat.MultiDossier == 1 && etat.NbDossiers >= 1) {
            const QString dossier = etat.dossierDeEntree(etat.NumImage);
            if (!dossier.isEmpty()) etat.Chemin = dossier;
            fenetre.setCaption(etat.Chemin);
        }
        if (etat.NumImage < 1 || etat.NumImage >= etat.TabImages.size()) throw Erreur(ErrIndice);
        const QString& nom = etat.TabImages.at(etat.NumImage);
        etat.NomComplet = etat.fichierDeEntree(etat.NumImage);
        // "&" marks a menu's access key: a name shows its own doubled.
        menNom.setCaption(QStringLiteral("=  %1 / %2  =  %3")
                              .arg(etat.NumImage)
                              .arg(etat.NbImages)
                              .arg(QString(nom).replace(QLatin1Char('&'), QLatin1String("&&"))));

        // One decode serves both views: the one made ahead when it is this very file
        // (its failure then shows here as if it had been decoded now), else made here.
        DecodageAnticipe& anticipation = vue.anticipation();
        std::optional<ImageAnticipee> anticipee = anticipation.prendre(etat.NomComplet);
        ImageAffichee image =
            anticipee ? std::move(anticipee->image) : anticipation.charger(etat.NomComplet);
        // The fitted view stretched on the worker, when it was decoded ahead.
        disposer(std::move(image), anticipee ? std::move(anticipee->apercu) : QImage());
    } catch (const Erreur& e) {
        plateforme.MsgBox(texteEchec(e), Icone::Aucune);
    } catch (const std::bad_alloc&) {
        plateforme.MsgBox(texteEchec(Erreur(ErrMemoire)), Icone::Aucune);
    }
    fenetre.setSablier(false);
    vue.finirChargement();
}

void Form1::disposer(ImageAffichee image, QImage apercu) {
    const Fenetrage f{LargeurFenetre, HauteurFenetre, LargeurAscenseur, HauteurAscenseur};
    const Ajustement a = calculerAjustement(image.width(), image.height(), f, vue.petitesImages());
    Image1.setImage(image);
    Horiz.setVisible(a.tropLarge);
    Vertic.setVisible(a.tropHaut);
    Horiz.setWidth(a.visibleL);
    Horiz.setTop(a.visibleH);
    Vertic.setLeft(a.visibleL);
    Vertic.setHeight(a.visibleH);
    Horiz.setMax(a.horizMax);
    Horiz.setLargeChange(a.horizGrand);
    Horiz.setSmallChange(a.horizPetit);
    Vertic.setMax(a.verticMax);
    Vertic.setLargeChange(a.verticGrand);
    Vertic.setSmallChange(a.verticPetit);

    if (vue.mode() == Mode::Ajustee) Image2.setVisible(false);
    Image2.move(a.ajusteGauche, a.ajusteHaut, a.ajusteL, a.ajusteH);
    if (vue.mode() == Mode::Ajustee) Image2.setVisible(true);
    Image2.setImage(std::move(image), std::move(apercu));
}

DecodageAnticipe::Apercu Form1::apercu() const {
    // Each picture decoded ahead is also stretched for the fitted view, on the worker.
    const Fenetrage f{LargeurFenetre, HauteurFenetre, LargeurAscenseur, HauteurAscenseur};
    const bool petites = vue.petitesImages();
    const double unite = fenetre.unite();
    return [f, petites, unite](QSize naturelle) {
        const Ajustement a = calculerAjustement(naturelle.width(), naturelle.height(), f, petites);
        return QSize(static_cast<int>(std::lround(a.ajusteL / unite)),
                     static_cast<int>(std::lround(a.ajusteH / unite)));
    };
}

QString Form1::texteEchec(const Erreur& e) const {
    return QStringLiteral("Erreur : %1 - %2").arg(e.numero).arg(e.description) + CRLF +
           QStringLiteral("Sur le fichier : ") + etat.NomComplet;
}

void Form1::Horiz_Change() {
    Image1.setLeft(-Horiz.value());
}

void Form1::Vertic_Change() {
    Image1.setTop(-Vertic.value());
}

void Form1::Image1_Click() {
    Environ(Mode::Ajustee);
}

void Form1::Image2_Click() {
    Environ(Mode::TailleReelle);
}

} // namespace galvia
