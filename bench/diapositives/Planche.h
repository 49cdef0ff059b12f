// What the slide-sheet benchmarks share: the program's state on a folder's pictures,
// the photographs they are taken on, and the sheet's first page timed.
#pragma once

#include "platform/qt/PlateformeQt.h"
#include "sheet/Form2.h"
#include "state/Module1.h"
#include "support/Acces.h"
#include "viewer/Form1.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>

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

// Opens the slide sheet over `form1` on the list of `etat`, the desktop's thumbnails
// taken from `cache` (none: the decodes themselves), lets `lire` read the sheet once
// loaded, and closes it when its first page is complete. Answers the time from the
// command to that page complete, in milliseconds; a sheet that never completes it stops
// the benchmark.
inline double premierePage(PlateformeQt& plateforme, Form1& form1, Module1& etat,
                           const CacheVignettes* cache,
                           const std::function<void(Form2&)>& lire = {}) {
    QElapsedTimer chrono;
    chrono.start();
    double pleine = -1;
    acces(form1).menCompte.setVisible(true);
    Progression progression = acces(form1).progressionFeuille();
    Form2* ouverte = nullptr;
    progression.pagePleine = [&] {
        if (pleine < 0) pleine = static_cast<double>(chrono.nsecsElapsed()) / 1e6;
        ouverte->Fin_Click(); // the page complete: closed
    };
    Form2 form2(plateforme, etat, progression);
    ouverte = &form2;
    acces(form2).cache = cache;
    plateforme.afficherModal(form2.fenetre, [&] {
        form2.Form_Load();
        if (lire) lire(form2);
    });
    if (pleine < 0) qFatal("the sheet never completed its first page");
    return pleine;
}

} // namespace galvia::bench
