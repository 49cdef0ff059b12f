// The file list: the folder's files, several of which can be selected.
#include "LiaisonQt.h"
#include "PlateformeQt.h"

#include <QListView>
#include <QStringListModel>

namespace galvia {

namespace {

class LiaisonFichiers : public LiaisonQt {
public:
    LiaisonFichiers(ListeFichiers& lf, QListView* lv)
        : LiaisonQt(lf, lv)
        , lf_(lf)
        , lv_(lv)
        , modele_(new QStringListModel(lv)) {
        lv->setModel(modele_);
        lv->setFont(QFont(QStringLiteral("Arial")));
        lv->setUniformItemSizes(true);
        lv->setEditTriggers(QAbstractItemView::NoEditTriggers);
        lv->setSelectionMode(QAbstractItemView::ExtendedSelection);
        lv->setMouseTracking(true);
        lv->viewport()->setMouseTracking(true);
        suivi_ = QObject::connect(lv->selectionModel(), &QItemSelectionModel::selectionChanged, lv,
                                  [this] { selectionVersControle(); });
        QObject::connect(lv, &QListView::activated, lv,
                         [&lf](const QModelIndex& i) { lf.activer(i.row()); });
    }
    // The widget outlives its binder by a moment: it must not call back into it.
    ~LiaisonFichiers() override { QObject::disconnect(suivi_); }
    LiaisonFichiers(const LiaisonFichiers&) = delete;
    LiaisonFichiers& operator=(const LiaisonFichiers&) = delete;
    QWidget* surface() const override { return lv_->viewport(); }
    void actualiser() override {
        appliquerCommun(lv_, lf_);
        if (synchro_) return;
        QStringList actuels;
        actuels.reserve(lf_.listCount());
        for (int i = 0; i < lf_.listCount(); ++i)
            actuels.append(texteAffiche(lf_.list(i)));
        synchro_ = true;
        if (actuels != noms_) {
            noms_ = actuels;
            modele_->setStringList(actuels);
        }
        QItemSelection sel;
        for (int i = 0; i < lf_.listCount(); ++i)
            if (lf_.selected(i)) sel.select(modele_->index(i), modele_->index(i));
        lv_->selectionModel()->select(sel, QItemSelectionModel::ClearAndSelect);
        synchro_ = false;
    }

private:
    // The user changed the selection: the control follows, without echo.
    void selectionVersControle() {
        if (synchro_) return;
        synchro_ = true;
        const QItemSelectionModel* s = lv_->selectionModel();
        for (int i = 0; i < lf_.listCount(); ++i)
            lf_.setSelected(i, s->isRowSelected(i, {}));
        synchro_ = false;
    }

    ListeFichiers& lf_;
    QListView* lv_;
    QStringListModel* modele_;
    QStringList noms_;
    bool synchro_ = false;
    QMetaObject::Connection suivi_;
};

} // namespace

std::unique_ptr<LiaisonQt> lier(ListeFichiers& c, QWidget* parent) {
    return std::make_unique<LiaisonFichiers>(c, new QListView(parent));
}

} // namespace galvia
