// The timer of Galvia's windows as a plain object.
#pragma once

#include "Controle.h"

#include <functional>

namespace galvia {

// The timer: an interval in milliseconds and a tick event; never switched off.
class Minuterie {
public:
    int interval() const { return interval_; }
    void setInterval(int ms);
    std::function<void()> surTick;
    void tick();
    void attacher(VueControle* vue) { vue_ = vue; }

private:
    int interval_ = 0;
    VueControle* vue_ = nullptr;
};

} // namespace galvia
