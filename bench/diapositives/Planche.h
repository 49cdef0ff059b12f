// What the slide-sheet benchmarks share: the program's state on a folder's pictures,
// and the photographs they are taken on.
#pragma once

#include "state/Module1.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QString>
#include <QStringList>
#include <cstdint>

namespace galvia::bench {

// Galvia's list set to the files of `dossier` matching `filtre`, by name, as the sheet
// reads it (entry 0 unused).
inline void listerDossier(Module1& etat, const QString& dossier, const QString& filtre) {
    etat.Chemin = dossier + u'/';
    etat.TabImages =
        QStringList{QString()} + QDir(dossier).entryList({filtre}, QDir::Files, QDir::Name);
    etat.NbImages = static_cast<std::int16_t>(etat.TabImages.size() - 1);
}

// A photograph-like picture: smooth gradients, shapes of every size, fine grain.
inline void creerPhotos(const QString& dossier, int nombre) {
    QDir().mkpath(dossier);
    if (QDir(dossier).entryList({"*.jpg"}, QDir::Files).size() >= nombre) return;
    QImage base(4000, 3000, QImage::Format_RGB32);
    QRandomGenerator gen(11);
    {
        QPainter p(&base);
        QLinearGradient ciel(0, 0, 0, 3000);
        ciel.setColorAt(0, QColor(90, 140, 210));
        ciel.setColorAt(1, QColor(200, 170, 120));
        p.fillRect(base.rect(), ciel);
        p.setRenderHint(QPainter::Antialiasing);
        for (int i = 0; i < 1500; ++i) {
            QColor c = QColor::fromRgb(gen.generate());
            c.setAlpha(60 + gen.bounded(150));
            p.setPen(Qt::NoPen);
            p.setBrush(c);
            const int t = 4 + gen.bounded(i < 100 ? 900 : 120);
            p.drawEllipse(gen.bounded(4000), gen.bounded(3000), t, t * 2 / 3);
        }
    }
    for (int y = 0; y < base.height(); ++y) {
        auto* ligne = reinterpret_cast<QRgb*>(base.scanLine(y));
        for (int x = 0; x < base.width(); ++x)
            ligne[x] ^= gen.bounded(8) * 0x010101u;
    }
    for (int n = 1; n <= nombre; ++n) {
        const QString f = dossier + QStringLiteral("/photo%1.jpg").arg(n, 2, 10, QLatin1Char('0'));
        if (QFile::exists(f)) continue;
        QImage image = base;
        QPainter p(&image);
        p.fillRect(QRect(gen.bounded(3000), gen.bounded(2000), 900, 700),
                   QColor::fromRgb(gen.generate()));
        p.end();
        image.save(f, "JPG", 90);
    }
}

} // namespace galvia::bench
