// Keeping the drive, folder and file lists in step, and building the image list from a
// folder, a selection or one file.
#include "Form1.h"
#include "NomsImages.h"

#include "platform/Erreurs.h"
#include "platform/Fichiers.h"

namespace galvia {

bool Form1::accepterListe(ConstructeurListe& liste, const QString& vide, const QString& aucun) {
    liste.terminerCompte();
    QString refus;
    if (!liste.fichierVu()) {
        refus = vide;
    } else if (liste.tropDImages()) {
        etat.NbImages = 0;
        refus = QStringLiteral("Trop d'images : 32 759 au plus !");
    } else if (etat.NbImages == 0) {
        refus = aucun;
    }
    if (!refus.isEmpty()) {
        etat.TabImages.resize(1);
        plateforme.MsgBox(refus, Icone::Critique, QStringLiteral("Attention"));
        return false;
    }
    liste.ajusterTaille();
    return true;
}

void Form1::terminerListe(bool trier) {
    if (trier) TriRapide(etat.TabImages, 1, etat.NbImages);
    vue.nouvelleListe();
    ChargeImage();
    Environ(Mode::Ajustee);
}

void Form1::affTout_Click() {
    ConstructeurListe liste(etat.TabImages, etat.NbImages);
    etat.Chemin = avecSeparateur(Fichier.path());
    liste.proposerDossier(etat.Chemin);
    if (accepterListe(liste, QStringLiteral("Le dossier est vide !"),
                      QStringLiteral("Aucun fichier n'est affichable !")))
        terminerListe(true);
}

void Form1::affSelect_Click() {
    ConstructeurListe liste(etat.TabImages, etat.NbImages);
    etat.Chemin = avecSeparateur(Fichier.path());
    for (int i = 0; i < Fichier.listCount(); ++i)
        if (Fichier.selected(i)) liste.proposer(Fichier.list(i));
    if (accepterListe(liste, QStringLiteral("La sélection est vide !"),
                      QStringLiteral("Aucun fichier sélectionné n'est affichable !")))
        terminerListe(true);
}

void Form1::Fichier_DblClick() {
    vue.anticipation().oublier();
    etat.TabImages = QStringList{QString(), Fichier.fileName()};
    etat.Chemin = avecSeparateur(Fichier.path());
    etat.NumImage = 1;
    etat.NbImages = 1;
    ChargeImage();
    Environ(Mode::Ajustee);
}

void Form1::affAutre_Click() {
    Environ(Mode::Navigation);
    etat.MultiDossier = 0;
}

void Form1::Lecteur_Change() {
    try {
        Dossier.setPath(Lecteur.drive());
    } catch (const Erreur&) {
        // A volume that cannot be read is ignored.
    }
}

void Form1::Dossier_Change() {
    Fichier.setPath(Dossier.path());
    fenetre.setCaption(avecSeparateur(Dossier.path()));
}

} // namespace galvia
