// Rows of controls: control arrays that grow at run time, and fixed rows addressed by
// command.
#pragma once

#include "Controle.h"

#include <array>
#include <cstddef>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace galvia {

// A control array: member 0 exists from the start; load(k) creates member k as a
// copy of member 0's properties, invisible; the click event receives the index.
template <class T> class TableauControles {
public:
    using Fabrique = std::function<std::unique_ptr<T>(int index)>;
    TableauControles(Fabrique fabrique, std::function<void(T&, const T&)> copier)
        : fabrique_(std::move(fabrique))
        , copier_(std::move(copier)) {
        membres_.push_back(fabrique_(0));
    }
    bool charge(int k) const {
        return k >= 0 && k < static_cast<int>(membres_.size()) && membres_[k];
    }
    T& operator[](int k) { return *membres_.at(k); }
    const T& operator[](int k) const { return *membres_.at(k); }
    void load(int k) {
        if (k <= 0 || charge(k)) return;
        if (static_cast<int>(membres_.size()) <= k) membres_.resize(k + 1);
        membres_[k] = fabrique_(k);
        T& m = *membres_[k];
        copier_(m, *membres_[0]);
        m.setVisible(false);
        annoncerControle(m);
    }
    int taille() const { return static_cast<int>(membres_.size()); }

private:
    Fabrique fabrique_;
    std::function<void(T&, const T&)> copier_;
    std::vector<std::unique_ptr<T>> membres_;
};

// A fixed row of N items (menu items, buttons) sharing one handler, addressed by the
// command each stands for (an enum whose values are the indexes) or by the bare index
// the handler receives.
template <class T, class Commande, std::size_t N> class ParCommande {
public:
    ParCommande() = default;
    // Each item made by `fabrique()`, in index order (for controls, which cannot move).
    template <class F>
    explicit ParCommande(F fabrique)
        : ParCommande(fabrique, std::make_index_sequence<N>{}) {}
    T& operator[](Commande c) { return (*this)[static_cast<int>(c)]; }
    const T& operator[](Commande c) const { return (*this)[static_cast<int>(c)]; }
    T& operator[](int index) { return items_.at(static_cast<std::size_t>(index)); }
    const T& operator[](int index) const { return items_.at(static_cast<std::size_t>(index)); }
    static constexpr int size() { return static_cast<int>(N); }
    auto begin() { return items_.begin(); }
    auto end() { return items_.end(); }

private:
    template <class F, std::size_t... I>
    ParCommande(F& fabrique, std::index_sequence<I...>)
        : items_{{((void)I, fabrique())...}} {}
    std::array<T, N> items_{};
};

} // namespace galvia
