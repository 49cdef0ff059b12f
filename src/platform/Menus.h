// The menus of Galvia's windows as plain objects: menus and their items.
#pragma once

#include "Controle.h"

#include <QString>
#include <functional>
#include <memory>
#include <vector>

namespace galvia {

// A menu, or an item of a menu. A separator has the caption "-".
class ElementMenu {
public:
    ElementMenu(QString nom, QString caption, ElementMenu* parent = nullptr,
                QString raccourci = {});
    const QString& nom() const { return nom_; }
    ElementMenu* parent() const { return parent_; }
    const std::vector<std::unique_ptr<ElementMenu>>& enfants() const { return enfants_; }
    ElementMenu& ajouter(QString nom, QString caption, QString raccourci = {});

    const QString& caption() const { return caption_; }
    void setCaption(const QString& c);
    bool checked() const { return checked_; }
    void setChecked(bool c);
    bool enabled() const { return enabled_; }
    void setEnabled(bool e);
    bool visible() const { return visible_; }
    void setVisible(bool v);
    const QString& raccourci() const { return raccourci_; }
    bool separateur() const { return caption_ == QLatin1String("-"); }

    // True when the user can reach it: it and every menu above it visible and enabled.
    bool accessible() const;
    // The user chose the item (menu click or shortcut): runs the handler when reachable.
    void cliquer();
    std::function<void()> surClic;

    void attacher(VueControle* vue) { vue_ = vue; }

private:
    void changer();
    QString nom_, caption_, raccourci_;
    ElementMenu* parent_;
    std::vector<std::unique_ptr<ElementMenu>> enfants_;
    bool checked_ = false, enabled_ = true, visible_ = true;
    VueControle* vue_ = nullptr;
};

} // namespace galvia
