#include "base/signal.h"

#include <gtest/gtest.h>

#include <string>

namespace tessel {

TEST(SignalTest, SubscriptionsMayChangeWhileAnEmissionRuns) {
    Signal<> signal;
    std::string calls;
    Signal<>::Connection self = 0, later = 0;
    // Drops itself and the next slot, subscribes a hundred more (moving the running slot), emits.
    self = signal.connect([&] {
        calls += "s";
        signal.disconnect(self);
        signal.disconnect(later);
        for (int i = 0; i < 100; ++i) {
            signal.connect([&] { calls += "."; });
        }
        signal.emit();
    });
    later = signal.connect([&] { calls += "l"; });
    signal.emit();
    EXPECT_EQ(calls.find_first_not_of('.', 1), std::string::npos);
    EXPECT_EQ(calls.substr(0, 2), "s.");
    EXPECT_EQ(signal.subscriberCount(), 100u);
}

} // namespace tessel
