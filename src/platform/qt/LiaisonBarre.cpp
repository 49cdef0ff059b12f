// A scroll bar: its range and steps, and the value the user commits.
#include "LiaisonQt.h"

#include <QScrollBar>
#include <algorithm>

namespace galvia {

namespace {

class LiaisonBarre : public LiaisonQt {
public:
    LiaisonBarre(BarreDefilement& bd, QScrollBar* sb)
        : LiaisonQt(bd, sb)
        , bd_(bd)
        , sb_(sb) {
        // The picture moves when a value is committed, not during a drag.
        sb->setTracking(false);
        sb->setFocusPolicy(Qt::NoFocus);
        QObject::connect(sb, &QScrollBar::valueChanged, sb, [&bd](int v) { bd.setValue(v); });
    }
    void actualiser() override {
        appliquerCommun(sb_, bd_);
        const QSignalBlocker bloque(sb_);
        sb_->setRange(bd_.min(), std::max(bd_.min(), bd_.max()));
        sb_->setSingleStep(std::max(1, bd_.smallChange()));
        sb_->setPageStep(std::max(1, bd_.largeChange()));
        sb_->setValue(bd_.value());
    }

private:
    BarreDefilement& bd_;
    QScrollBar* sb_;
};

} // namespace

std::unique_ptr<LiaisonQt> lier(BarreDefilement& c, QWidget* parent) {
    return std::make_unique<LiaisonBarre>(
        c, new QScrollBar(c.verticale() ? Qt::Vertical : Qt::Horizontal, parent));
}

} // namespace galvia
