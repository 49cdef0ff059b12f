// The Qt Widgets side of a Galvia window: builds a widget for every control of a
// window, mirrors their state, and feeds the user's input back into them.
#pragma once

#include "../Fenetre.h"

#include <QHash>
#include <QMainWindow>
#include <QPointer>

class QKeyEvent;
class QTimer;
class QAction;

namespace galvia {

// The key code of the window's key handlers for a Qt key event (0 for keys Galvia
// does not name).
int codeTouche(const QKeyEvent& e);
// The shift state bits (Maj 1, Ctrl 2, Alt 4) of a Qt key event.
int etatMaj(const QKeyEvent& e);

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
    void construireMenus();
    void creerWidget(Controle& c);
    Fenetre& fenetre_;
    QWidget* centre_;
    QHash<const Controle*, QWidget*> widgets_;
    QHash<const ElementMenu*, QAction*> actions_;
    std::vector<std::unique_ptr<VueControle>> vues_;
    QTimer* minuterie_ = nullptr;
    bool geometrieAppliquee_ = false;
    bool fermeture_ = false;
};

} // namespace galvia
