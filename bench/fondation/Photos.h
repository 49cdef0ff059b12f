// Photo-like jpegs for Galvia's benchmarks, made at run time.
#pragma once

#include <QColor>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <algorithm>

namespace galvia::bench {

// A photo-like picture: overlapping soft shapes under a fine grain of noise, so that it
// compresses and decodes like a photo rather than like a flat fill.
inline void dessinerPhoto(const QString& chemin, QSize taille, quint32 graine) {
    QImage image(taille, QImage::Format_RGB32);
    QRandomGenerator gen(graine);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.fillRect(image.rect(), QColor::fromRgb(gen.generate()));
        p.setPen(Qt::NoPen);
        const int w = taille.width(), h = taille.height();
        for (int i = 0; i < 1500; ++i) {
            QColor c = QColor::fromRgb(gen.generate());
            c.setAlpha(60 + gen.bounded(150));
            p.setBrush(c);
            p.drawEllipse(QRectF(gen.bounded(w), gen.bounded(h), 20 + gen.bounded(w / 10),
                                 20 + gen.bounded(h / 8)));
        }
    }
    for (int y = 0; y < image.height(); ++y) {
        auto* ligne = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const quint32 bruit = gen.generate();
            const auto canal = [&](int v, int decalage) {
                return std::clamp(v + int((bruit >> decalage) & 31) - 16, 0, 255);
            };
            const QRgb c = ligne[x];
            ligne[x] = qRgb(canal(qRed(c), 0), canal(qGreen(c), 8), canal(qBlue(c), 16));
        }
    }
    if (!image.save(chemin, "JPG", 90)) qFatal("cannot write %s", qPrintable(chemin));
}

// `nb` photos of `taille` in `dossier`, photo000.jpg and on: `modeles` drawn, the others
// copies of them.
inline QStringList photos(const QTemporaryDir& dossier, QSize taille, int nb, int modeles) {
    QStringList fichiers;
    for (int i = 0; i < nb; ++i) {
        const QString nom =
            dossier.filePath(QStringLiteral("photo%1.jpg").arg(i, 3, 10, QLatin1Char('0')));
        if (i < modeles)
            dessinerPhoto(nom, taille, static_cast<quint32>(i + 1));
        else if (!QFile::copy(fichiers[i % modeles], nom))
            qFatal("cannot copy to %s", qPrintable(nom));
        fichiers.append(nom);
    }
    return fichiers;
}

} // namespace galvia::bench
