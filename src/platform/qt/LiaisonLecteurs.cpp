// The drive list: a combo box of the mounted volumes.
#include "LiaisonQt.h"

#include <QComboBox>
#include <QTimer>

namespace galvia {

namespace {

class LiaisonLecteurs : public LiaisonQt {
public:
    LiaisonLecteurs(ListeLecteurs& ll, QComboBox* cb)
        : LiaisonQt(ll, cb)
        , ll_(ll)
        , cb_(cb) {
        cb->setFont(QFont(QStringLiteral("Arial")));
        QObject::connect(cb, &QComboBox::activated, cb, [&ll, cb](int i) {
            const QString racine = cb->itemData(i).toString();
            QTimer::singleShot(0, cb, [&ll, racine] { ll.setDrive(racine); });
        });
    }
    void actualiser() override {
        appliquerCommun(cb_, ll_);
        const QSignalBlocker bloque(cb_);
        if (cb_->count() != static_cast<int>(ll_.volumes().size())) {
            cb_->clear();
            for (const Volume& v : ll_.volumes())
                cb_->addItem(v.libelle.isEmpty()
                                 ? v.racine
                                 : v.racine + QStringLiteral(" [") + v.libelle + QLatin1Char(']'),
                             v.racine);
        }
        const int i = cb_->findData(ll_.drive());
        if (i >= 0) cb_->setCurrentIndex(i);
    }

private:
    ListeLecteurs& ll_;
    QComboBox* cb_;
};

} // namespace

std::unique_ptr<LiaisonQt> lier(ListeLecteurs& c, QWidget* parent) {
    return std::make_unique<LiaisonLecteurs>(c, new QComboBox(parent));
}

} // namespace galvia
