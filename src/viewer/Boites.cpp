// The information box and the keyboard help box.
#include "Form1.h"

#include "platform/Erreurs.h"
#include "platform/Fichiers.h"
#include "platform/Texte.h"

#include <QStringList>
#include <cmath>

namespace galvia {

namespace {

const QString TAB = QStringLiteral("\t");

// The box's lines, a blank line between two of them, none after the last.
QString texteBoite(const QStringList& lignes) {
    return lignes.join(CRLF + CRLF);
}

// a / b, or 0 when b is 0.
double quotient(double a, double b) {
    return b == 0 ? 0 : a / b;
}

// A single-precision quotient rounded to 2 decimals, as the box writes it.
QString rapport(double a, double b) {
    const float q = b == 0 ? 0.0f : static_cast<float>(a) / static_cast<float>(b);
    return texteNombre(arrondiDecimales(q, 2), true);
}

// The file format, from the last two characters of the name.
QString descriptionFormat(const QString& nom) {
    const QString fin = nom.right(2).toLower();
    if (fin == QLatin1String("pg") || fin == QLatin1String("eg"))
        return QStringLiteral(" Compression JPG (Joint Photographic Expert Group)") + CRLF + TAB +
               QStringLiteral("(16 777 216 couleurs maximum)");
    if (fin == QLatin1String("if"))
        return QStringLiteral(" Compression GIF (Graphics Interchange Format) de CompuServe") +
               CRLF + TAB + QStringLiteral("(256 couleurs maximum)");
    if (fin == QLatin1String("mp")) return QStringLiteral("BMP (BitMaP pour Windows) de MicroSoft");
    if (fin == QLatin1String("mf"))
        return QStringLiteral("WMF (Windows Metafile Format) de Microsoft");
    return {};
}

} // namespace

void Form1::menNom_Click() {
    vue.arreter();
    QString taille;
    try {
        // 1022 bytes to the Ko.
        taille = texteNombre(arrondiPair(longueurFichier(etat.NomComplet) / 1022.0)) +
                 QStringLiteral(" Ko");
    } catch (const Erreur&) {
        taille = QStringLiteral("inconnue");
    }
    const double l1 = Image1.width(), h1 = Image1.height();
    // The larger of the two scales of the fitted view.
    const double a = quotient(Image2.width(), l1), b = quotient(Image2.height(), h1);
    const double stretch = (a + b + std::abs(a - b)) / 2;
    const QString texte = texteBoite({
        QStringLiteral("Nom : ") + TAB + etat.TabImages.value(etat.NumImage),
        QStringLiteral("Chemin : ") + TAB + etat.Chemin,
        QStringLiteral("Taille : ") + TAB + taille,
        QStringLiteral("Format : ") + TAB + descriptionFormat(etat.NomComplet),
        QStringLiteral("Largeur Réelle : ") + TAB + texteNombre(l1, true) + TAB +
            QStringLiteral(" (Plein Ecran : ") + texteNombre(Image0.width(), true) +
            QStringLiteral(") => ") + TAB + rapport(l1, Image0.width()),
        QStringLiteral("Hauteur Réelle : ") + TAB + texteNombre(h1, true) + TAB +
            QStringLiteral(" (Plein Ecran : ") + texteNombre(Image0.height(), true) +
            QStringLiteral(") => ") + TAB + rapport(h1, Image0.height()),
        QStringLiteral("L/H : ") + TAB + rapport(l1, h1),
        QStringLiteral("Stretch : ") + TAB + texteNombre(arrondiDecimales(stretch, 2)),
    });
    plateforme.MsgBox(texte, Icone::Information, QStringLiteral("Informations sur l'image"));
}

void Form1::menAide_Click() {
    static const char* const parcours[] = {
        "Vous pouvez utiliser :",
        "La touche F6 pour prendre tous les fichiers",
        "La touche F5 pour ne prendre que la sélection",
        "La touche F7 pour sélectionner plusieurs dossiers",
        "Un Double Clic sur une image",
        "La touche F4 pour terminer",
    };
    static const char* const visionner[] = {
        "Vous pouvez utiliser :",
        "Les touches de direction pour déplacer les ascenseurs",
        "PgUp et PgDown pour changer d'image",
        "+ du Pavé Numérique ou Clic pour modifier l'affichage",
        "Home et Fin pour atteindre la première et la dernière image",
        "1, 2, 3, 4 (numérique)pour parcourir rapidement l'ensemble des images",
        "La touche F2 pour renommer le fichier",
        "La touche F3 pour changer de dossier",
        "La touche F4 pour terminer",
        "La touche F8 pour passer en mode Diapositive",
    };
    QStringList lignes;
    if (vue.mode() == Mode::Navigation) {
        for (const char* l : parcours)
            lignes.append(QString::fromUtf8(l));
    } else {
        vue.arreter();
        for (const char* l : visionner)
            lignes.append(QString::fromUtf8(l));
    }
    plateforme.MsgBox(texteBoite(lignes), Icone::Information, QStringLiteral("Raccourcis Clavier"));
}

} // namespace galvia
