// The Qt Widgets side of a Galvia window: builds a widget for every control of a
// window through the control's binder, mirrors the window's own state, and feeds the
// user's keys and pointer moves back.
#pragma once

#include "../Fenetre.h"
#include "ClavierQt.h"

#include <QHash>
#include <QMainWindow>

class QTimer;
class QAction;

namespace galvia {

class LiaisonQt;

class VueFenetreQt : public QMainWindow, public VueFenetre {
    Q_OBJECT
public:
    explicit VueFenetreQt(Fenetre& fenetre, QWidget* parent = nullptr);
    ~VueFenetreQt() override;

    Fenetre& modele() { return fenetre_; }
    QWidget* widgetDe(const Controle& c) const { return widgets_.value(&c); }
    QAction* actionDe(const ElementMenu& m) const { return actions_.value(&m); }

    // VueFenetre
    void actualiser() override;
    void controleAjoute(Controle& c) override;
    QSizeF tailleInterne() override;
    void fermer() override;

Q_SIGNALS:
    void fermee();

protected:
    bool eventFilter(QObject* objet, QEvent* evenement) override;
    void closeEvent(QCloseEvent* e) override;
    bool event(QEvent* e) override;

private:
    void lierMinuterie();
    void creerWidget(Controle& c);
    // Sees the keys and pointer moves of `w`.
    void surveiller(QWidget* w);
    Fenetre& fenetre_;
    QWidget* centre_;
    QHash<const Controle*, QWidget*> widgets_;
    QHash<const ElementMenu*, QAction*> actions_;
    // The binder of each control's widget and pointer surface.
    QHash<const QObject*, LiaisonQt*> liaisons_;
    std::vector<std::unique_ptr<VueControle>> vues_;
    QTimer* minuterie_ = nullptr;
    bool geometrieAppliquee_ = false;
    bool fermeture_ = false;
};

} // namespace galvia
