// Selecting up to ten folders and building one list from them.
#include "Form1.h"
#include "NomsImages.h"

#include "platform/Fichiers.h"
#include "platform/Texte.h"
#include "platform/Touches.h"

namespace galvia {

namespace {

const QString LegendeMultiDossier = QStringLiteral("Sélection MultiDossier");

// A folder's line in the selection label, after the line break that opens it.
QString ligneDossier(const QString& chemin) {
    return CRLF + chemin + QStringLiteral(" *");
}

} // namespace

void Form1::AutreDossier_Click() {
    if (etat.MultiDossier == 0) {
        etat.MultiDossier = 1;
        etat.NbDossiers = 0;
        AutreDossier.setCaption(QStringLiteral("Fin de Sélection"));
        ListeDos.setCaption(QStringLiteral("Dossiers sélectionnés") + CRLF +
                            QStringLiteral("<Esc> pour quitter"));
        ListeDos.setCaption(ListeDos.caption() + CRLF + QStringLiteral("<DblClic> pour effacer"));
        ListeDos.setVisible(true);
        Environ(Mode::ChoixDossiers);
        Fichier.setEnabled(false);
    } else if (etat.MultiDossier == 1) {
        ListeDos.setVisible(false);
        AutreDossier.setCaption(LegendeMultiDossier);
        Environ(Mode::Navigation);
        Fichier.setEnabled(true);
        if (etat.NbDossiers < 1)
            etat.MultiDossier = 0;
        else
            ChargeDossiers();
    }
}

void Form1::Dossier_Click() {
    if (etat.MultiDossier != 1) return;
    const QString titre = QStringLiteral("Avertissement !");
    if (etat.NbDossiers >= MaxDossiers) {
        plateforme.MsgBox(QStringLiteral("Maximum de Sélection Atteint"), Icone::Information,
                          titre);
        return;
    }
    const QString candidat = Dossier.list(Dossier.listIndex());
    // The line break before and the " *" after match whole lines only.
    if (positionTexte(1, ListeDos.caption(), ligneDossier(candidat)) > 0) {
        plateforme.MsgBox(QStringLiteral("Dossier Déjà Sélectionné"), Icone::Information, titre);
        return;
    }
    ++etat.NbDossiers;
    etat.ListeDossiers[etat.NbDossiers] = candidat;
    ListeDos.setCaption(ListeDos.caption() + ligneDossier(candidat));
}

void Form1::Dossier_KeyDown(int KeyCode, int) {
    if (KeyCode != touche::Echap) return;
    ListeDos.setVisible(false);
    etat.MultiDossier = 0;
    AutreDossier.setCaption(LegendeMultiDossier);
    Environ(Mode::Navigation);
}

void Form1::ListeDos_DblClick() {
    if (etat.NbDossiers == 0) return;
    // The heading lines stay while a folder is selected: the last line is a folder's.
    const QString& legende = ListeDos.caption();
    ListeDos.setCaption(legende.left(legende.lastIndexOf(CRLF)));
    --etat.NbDossiers;
    plateforme.DoEvents();
}

void Form1::ListeDos_MouseMove() {
    ChatRex.setVisible(false);
}

void Form1::ChargeDossiers() {
    ConstructeurListe liste(etat.TabImages, etat.NbImages);
    for (int k = 1; k <= etat.NbDossiers; ++k) {
        etat.Chemin = avecSeparateur(etat.ListeDossiers[k]);
        liste.proposerDossier(etat.Chemin);
        etat.FinDossier[k] = static_cast<std::int16_t>(liste.stockes());
    }
    if (!accepterListe(liste, QStringLiteral("Le dossier est vide !"),
                       QStringLiteral("Aucun fichier n'est affichable !"))) {
        // No stale selection behind a failed build: plain browsing again.
        etat.MultiDossier = 0;
        return;
    }
    terminerListe(false);
}

} // namespace galvia
