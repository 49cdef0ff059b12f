// Renaming the current picture file.
#include "Form1.h"
#include "NomsImages.h"

#include "platform/Erreurs.h"
#include "platform/Fichiers.h"
#include "platform/NomsOctets.h"
#include "platform/Renommage.h"

namespace galvia {

void Form1::Renomme_Click() {
    QString reponse;
    try {
        vue.arreter();
        // The new name is typed as text and written as UTF-8.
        reponse = texteVisible(plateforme.InputBox(QStringLiteral("Nouveau Nom du Fichier"),
                                                   QStringLiteral("Renommer"),
                                                   etat.TabImages.value(etat.NumImage)));
        if (!ValidRen(reponse)) return;
        if (etat.NumImage < 1 || etat.NumImage >= etat.TabImages.size()) throw Erreur(ErrIndice);
        // Both names are taken in the folder of the current picture.
        oterLectureSeule(etat.Chemin, nomDeFichier(etat.NomComplet));
        renommerSansRemplacer(etat.Chemin, etat.TabImages.at(etat.NumImage), reponse);
        etat.TabImages[etat.NumImage] = reponse;
        etat.NomComplet = etat.Chemin + reponse;
        // The names of the list changed under the decodes ahead: start again from the
        // next move rather than keep pictures whose names may no longer be theirs.
        vue.anticipation().oublier();
    } catch (const Erreur& e) {
        plateforme.MsgBox(texteEchec(e) + CRLF + QStringLiteral("Avec le nom ") + reponse,
                          Icone::Aucune);
    }
}

bool Form1::ValidRen(const QString& Nom) {
    QString refus, avertissement;
    bool accepte = true;
    const QString ancienne = extensionDe(etat.TabImages.value(etat.NumImage));
    if (!Nom.contains(QLatin1Char('.'))) {
        accepte = false;
        refus = QStringLiteral("Extension obligatoire") + CRLF;
    }
    const bool changee = extensionDe(Nom).compare(ancienne, Qt::CaseInsensitive) != 0;
    if (changee) avertissement = QStringLiteral("Changement d'extension") + CRLF;
    // Blank: nothing but spaces once trimmed of them.
    if (Nom.count(QLatin1Char(' ')) == Nom.size()) {
        accepte = false;
        refus += QStringLiteral("Nom vide") + CRLF;
    }
    if (!accepte)
        plateforme.MsgBox(refus, Icone::Critique, QStringLiteral("Nom refusé"));
    else if (changee)
        plateforme.MsgBox(avertissement, Icone::Information, QStringLiteral(" Attention"));
    return accepte;
}

} // namespace galvia
