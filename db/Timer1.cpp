#include "db/DataModule.h"

// Timer1, the polling timer.
namespace fm {

void Tdm_db::onTimer1(std::function<void()> handler) {
    QObject::connect(&impl_->timer1, &QTimer::timeout, std::move(handler));
}

void Tdm_db::setTimer1Enabled(bool enabled) {
    if (enabled)
        impl_->timer1.start();
    else
        impl_->timer1.stop();
}

bool Tdm_db::timer1Enabled() const { return impl_->timer1.isActive(); }

void Tdm_db::setTimer1Interval(int milliseconds) { impl_->timer1.setInterval(milliseconds); }

int Tdm_db::timer1Interval() const { return impl_->timer1.interval(); }

}  // namespace fm
