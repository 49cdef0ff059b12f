// The folder list: the folders from the root down to the one shown, then its subfolders,
// each indented by its depth.
#include "LiaisonQt.h"
#include "PlateformeQt.h"

#include <QListWidget>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTimer>

namespace galvia {

namespace {

// The depth of a folder list entry in the tree (0 for the root).
constexpr int RoleProfondeur = Qt::UserRole + 1;

// Draws each folder list entry indented by its depth, two blanks a level: the entry's
// text, and so what a screen reader reads, is the folder's name alone.
class DelegueDossiers : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* p, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem decale(option);
        decale.rect.setLeft(decale.rect.left() + retrait(option, index));
        QStyledItemDelegate::paint(p, decale, index);
    }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return QStyledItemDelegate::sizeHint(option, index) + QSize(retrait(option, index), 0);
    }

private:
    static int retrait(const QStyleOptionViewItem& option, const QModelIndex& index) {
        return index.data(RoleProfondeur).toInt() * 2 *
               option.fontMetrics.horizontalAdvance(QLatin1Char(' '));
    }
};

class LiaisonDossiers : public LiaisonQt {
public:
    LiaisonDossiers(ListeDossiers& ld, QListWidget* lw)
        : LiaisonQt(ld, lw)
        , ld_(ld)
        , lw_(lw) {
        lw->setItemDelegate(new DelegueDossiers(lw));
        lw->setFont(QFont(QStringLiteral("Arial")));
        lw->setMouseTracking(true);
        lw->viewport()->setMouseTracking(true);
        QObject::connect(lw, &QListWidget::itemClicked, lw,
                         [&ld, lw](QListWidgetItem* it) { ld.selectionner(lw->row(it)); });
        QObject::connect(lw, &QListWidget::itemActivated, lw, [&ld, lw](QListWidgetItem* it) {
            const int i = lw->row(it);
            // The list is rebuilt: leave Qt's handler first.
            QTimer::singleShot(0, lw, [&ld, i] { ld.ouvrir(i); });
        });
    }
    QWidget* surface() const override { return lw_->viewport(); }
    // The folder list sees the keys pressed on it after the window.
    void touche(int code, int maj) override {
        if (ld_.surTouche) ld_.surTouche(code, maj);
    }
    void actualiser() override {
        appliquerCommun(lw_, ld_);
        if (chemin_ == ld_.path() && lw_->count() == ld_.listCount()) return;
        // The style's icons are looked up once: a lookup per entry is slow.
        if (ouvert_.isNull()) {
            ouvert_ = lw_->style()->standardIcon(QStyle::SP_DirOpenIcon);
            ferme_ = lw_->style()->standardIcon(QStyle::SP_DirClosedIcon);
        }
        chemin_ = ld_.path();
        const QSignalBlocker bloque(lw_);
        lw_->clear();
        for (int i = 0; i < ld_.listCount(); ++i) {
            const QString p = ld_.list(i);
            QString nom = p == QLatin1String("/") ? p : p.mid(p.lastIndexOf(QLatin1Char('/')) + 1);
            // Open folders down to the path, closed ones below it, indented by depth.
            auto* it =
                new QListWidgetItem(i < ld_.nbAncetres() ? ouvert_ : ferme_, texteAffiche(nom));
            it->setData(RoleProfondeur, ld_.profondeur(i));
            it->setToolTip(texteBulle(p));
            lw_->addItem(it);
        }
        lw_->setCurrentRow(ld_.listIndex());
    }

private:
    ListeDossiers& ld_;
    QListWidget* lw_;
    QString chemin_;
    QIcon ouvert_, ferme_;
};

} // namespace

std::unique_ptr<LiaisonQt> lier(ListeDossiers& c, QWidget* parent) {
    return std::make_unique<LiaisonDossiers>(c, new QListWidget(parent));
}

} // namespace galvia
