// Writes the seeds of the picture fuzzer into the folder given: small ordinary pictures
// of each format and the project's hostile pictures, cut to their first bytes when they
// are large.
#include "images/Bombe.h"

#include <QFile>
#include <QGuiApplication>

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc < 2) return 2;
    const QString dossier = QString::fromLocal8Bit(argv[1]);
    QList<galvia::test::Hostile> graines = {
        {"scan-bomb", galvia::test::bombeBalayages(256, 400)},
        {"gif", galvia::test::gifUnPixel()},
        {"jpeg-without-end", galvia::test::jpegSansFin(512) + QByteArray(4096, '\0')},
        {"bmp-bomb", galvia::test::bombeBmp(2000)},
        {"progressive-bomb", galvia::test::bombeJpeg(2000)}};
    QImage image(40, 30, QImage::Format_ARGB32);
    image.fill(QColor(200, 40, 90, 160));
    for (const char* format : {"png", "jpg", "bmp", "ppm"}) {
        QByteArray o;
        QBuffer tampon(&o);
        tampon.open(QIODevice::WriteOnly);
        image.save(&tampon, format);
        graines.append({format, o});
    }
    // A thumbnail with its keys as a Qt-based program writes them: a long value
    // compressed (zTXt), one out of Latin-1 in UTF-8 (iTXt).
    image.setText(QStringLiteral("Thumb::URI"),
                  QStringLiteral("file:///home/utilisateur/Images/vacances/photo-0001.jpg"));
    image.setText(QStringLiteral("Thumb::MTime"), QStringLiteral("1700000000"));
    image.setText(QStringLiteral("Description"), QStringLiteral("Été € 2024"));
    {
        QByteArray o;
        QBuffer tampon(&o);
        tampon.open(QIODevice::WriteOnly);
        image.save(&tampon, "png");
        graines.append({"png-keys", o});
    }
    for (const galvia::test::Hostile& g : graines) {
        QFile f(dossier + u'/' + QString::fromLatin1(g.nom));
        if (!f.open(QIODevice::WriteOnly) || f.write(g.contenu.left(65536)) < 0) return 1;
    }
    return 0;
}
