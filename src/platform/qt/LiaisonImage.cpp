// Picture boxes and image controls: a picture at natural size (picture box) or stretched
// to the control (image control).
#include "../Fenetre.h"
#include "../decodage/BudgetDecodage.h"
#include "../decodage/Couleurs.h"
#include "LiaisonQt.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QTimer>
#include <QWidget>
#include <cmath>

namespace galvia {

namespace {

const QColor Gris(0x80, 0x80, 0x80);

// How long a picture stays shown before its colours are converted whole on a worker: in
// a burst of keys the next one comes sooner, and the workers decode ahead meanwhile.
constexpr int PauseConversion = 300; // ms

// It paints in screen pixels: at natural size one picture pixel covers one screen pixel
// whatever the screen's density, and a box may start inside a device-independent pixel.
class WidgetImage : public QWidget {
public:
    WidgetImage(Controle& c, QWidget* parent, bool prendFocus)
        : QWidget(parent)
        , c_(c) {
        setAttribute(Qt::WA_OpaquePaintEvent, false);
        setFocusPolicy(prendFocus ? Qt::StrongFocus : Qt::NoFocus);
        pause_.setSingleShot(true);
        pause_.setInterval(PauseConversion);
        QObject::connect(&pause_, &QTimer::timeout, this, [this] { image_.convertirEnFond(); });
    }
    // Mirrors the control: the smallest widget that holds its box, and the box inside it.
    // `apercu`: the picture already stretched, if it has been (see ControleImage).
    void actualiser(const ImageAffichee& image, const QImage& apercu, bool etiree, bool bordure,
                    bool fondGris) {
        const double d = c_.fenetre().densite();
        const QRect ecran = boiteEcran(c_);
        const int x = static_cast<int>(std::floor(ecran.left() / d));
        const int y = static_cast<int>(std::floor(ecran.top() / d));
        const QRect geometrie(x, y,
                              static_cast<int>(std::ceil((ecran.left() + ecran.width()) / d)) - x,
                              static_cast<int>(std::ceil((ecran.top() + ecran.height()) / d)) - y);
        const QRect boite(ecran.topLeft() - QPoint(static_cast<int>(std::lround(x * d)),
                                                   static_cast<int>(std::lround(y * d))),
                          ecran.size());
        appliquerCommun(this, c_, geometrie);
        if (!(image == image_)) {
            cache_ = apercu;
            generationCache_ = generationProfilEcran();
            image_ = image;
            if (image_.aConvertir()) pause_.start();
        }
        boite_ = boite;
        densite_ = d;
        etiree_ = etiree;
        bordure_ = bordure;
        fondGris_ = fondGris;
        update();
    }

protected:
    void paintEvent(QPaintEvent* e) override {
        QPainter p(this);
        // From here on, one unit is one screen pixel.
        p.scale(1 / densite_, 1 / densite_);
        const QRect expose =
            QRectF(QRectF(e->rect()).topLeft() * densite_, QRectF(e->rect()).size() * densite_)
                .toAlignedRect();
        if (fondGris_) p.fillRect(expose, Gris);
        const int b = bordure_ ? 1 : 0;
        const QRect interieur = boite_.adjusted(b, b, -b, -b);
        if (!image_.isNull() && !interieur.isEmpty()) {
            if (etiree_) {
                // A thumbnail decoded at its box's size in screen pixels is drawn as it is.
                // Any other picture is stretched smoothly once, its memory taken from the
                // decode budget for as long as the stretch takes; again once the screen's
                // profile has changed.
                const std::uint64_t generation = generationProfilEcran();
                if (cache_.size() != interieur.size() || generationCache_ != generation) {
                    BudgetMemoire::Reservation memoire;
                    cache_ = image_.etirer(interieur.size(), memoire);
                    generationCache_ = generation;
                }
                // Pixel for pixel, whatever the picture's device pixel ratio.
                if (!cache_.isNull()) {
                    p.drawImage(QRect(interieur.topLeft(), cache_.size()), cache_);
                } else {
                    // No memory for a smooth stretch: the nearest pixels, read where
                    // they are, without any copy of the picture.
                    p.setRenderHint(QPainter::SmoothPixmapTransform, false);
                    p.drawImage(interieur, image_.image());
                }
            } else {
                const QRect cible = expose.intersected(QRect(interieur.topLeft(), image_.size()))
                                        .intersected(interieur);
                p.drawImage(cible, image_.image(), cible.translated(-interieur.topLeft()));
            }
        }
        if (bordure_) {
            const QColor trait = palette().color(QPalette::WindowText);
            const QRect& r = boite_;
            p.fillRect(QRect(r.left(), r.top(), r.width(), 1), trait);
            p.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), trait);
            p.fillRect(QRect(r.left(), r.top(), 1, r.height()), trait);
            p.fillRect(QRect(r.right(), r.top(), 1, r.height()), trait);
        }
    }
    void mousePressEvent(QMouseEvent* e) override {
        if (e->button() == Qt::LeftButton) c_.cliquer();
    }

private:
    Controle& c_;
    ImageAffichee image_;
    QImage cache_;
    std::uint64_t generationCache_ = 0;
    QTimer pause_;
    QRect boite_;
    double densite_ = 1.0;
    bool etiree_ = false, bordure_ = false, fondGris_ = false;
};

// A picture box: natural size, takes the focus.
class LiaisonBoiteImage : public LiaisonQt {
public:
    LiaisonBoiteImage(BoiteImage& b, WidgetImage* w, bool fondGris)
        : LiaisonQt(b, w)
        , b_(b)
        , w_(w)
        , fondGris_(fondGris) {}
    void actualiser() override {
        w_->actualiser(b_.affichee(), {}, false, b_.bordure(), fondGris_);
    }

private:
    BoiteImage& b_;
    WidgetImage* w_;
    bool fondGris_;
};

// An image control: stretched, never takes the focus.
class LiaisonControleImage : public LiaisonQt {
public:
    LiaisonControleImage(ControleImage& ic, WidgetImage* w)
        : LiaisonQt(ic, w)
        , ic_(ic)
        , w_(w) {}
    void actualiser() override {
        w_->actualiser(ic_.affichee(), ic_.apercu(), true, ic_.bordure(), false);
    }

private:
    ControleImage& ic_;
    WidgetImage* w_;
};

} // namespace

std::unique_ptr<LiaisonQt> lier(BoiteImage& c, QWidget* parent, bool fondGris) {
    return std::make_unique<LiaisonBoiteImage>(c, new WidgetImage(c, parent, true), fondGris);
}

std::unique_ptr<LiaisonQt> lier(ControleImage& c, QWidget* parent) {
    return std::make_unique<LiaisonControleImage>(c, new WidgetImage(c, parent, false));
}

} // namespace galvia
