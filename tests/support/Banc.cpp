#include "Banc.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>

namespace galvia::test {

QString dessiner(const QString& chemin, QSize taille, QColor couleur) {
    QDir().mkpath(QFileInfo(chemin).absolutePath());
    QImage image(taille, QImage::Format_RGB32);
    image.fill(couleur);
    QPainter p(&image);
    p.fillRect(QRect(0, 0, taille.width() / 2, taille.height() / 2), Qt::white);
    p.end();
    QString format = QFileInfo(chemin).suffix().toLower();
    if (format == QLatin1String("jpeg")) format = QStringLiteral("jpg");
    if (!image.save(chemin, format.toLatin1().constData()))
        qFatal("cannot write %s", qPrintable(chemin));
    return chemin;
}

QString ecrire(const QString& chemin, const QByteArray& contenu) {
    QDir().mkpath(QFileInfo(chemin).absolutePath());
    QFile f(chemin);
    if (!f.open(QIODevice::WriteOnly) || f.write(contenu) != contenu.size())
        qFatal("cannot write %s", qPrintable(chemin));
    return chemin;
}

Banc::Banc(QSize interne) {
    form = std::make_unique<Form1>(plateforme, etat);
    form->fenetre.setTailleInterneSansVue(interne);
    form->DossierDepart = dossier.path() + QStringLiteral("/absent/");
}

QString Banc::chemin(const QString& nom) const {
    return nom.isEmpty() ? dossier.path() : dossier.path() + QLatin1Char('/') + nom;
}

void Banc::demarrer(const QString& sousDossier) {
    form->Form_Load();
    form->Dossier.setPath(chemin(sousDossier));
}

QStringList Banc::liste() const {
    return etat.TabImages.mid(1, etat.NbImages);
}

QStringList Banc::messages() const {
    QStringList r;
    for (const BoiteMessage& m : plateforme.messages)
        r.append(m.texte);
    return r;
}

} // namespace galvia::test
