#pragma once
// Bets with simulated money (我要装逼): nothing is sent anywhere; every order is taken as placed,
// with an order number in the form the lottery's platform gives.

#include "monitor/bet_placer.h"

namespace zorvik::support {
class Clock;
}

namespace zorvik::platform {

class SimulatedPlacer final : public monitor::ImmediatePlacer {
public:
    explicit SimulatedPlacer(const support::Clock& clock) : clock_(clock) {}
    monitor::BetResult place(const monitor::BetOrder& order) override;

private:
    const support::Clock& clock_;
};

// A made-up order number: the MD5 digest of the issue, the time and a random number, seeded from
// the clock (32 upper-case hexadecimal characters).
QString made_up_order_digest(const QString& issue, const support::Clock& clock);

// The order number of a simulated bet: for the three Hele lotteries their prefix, the first
// three characters of `digest`, "/" and its last eight; for any other lottery `second`.
QString simulated_order_id(const QString& lottery, const QString& digest, const QString& second);

} // namespace zorvik::platform
