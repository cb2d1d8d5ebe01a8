#include "base/signal.h"

#include <gtest/gtest.h>

#include <string>

namespace tessel {
namespace {

TEST(SignalTest, CallsSubscribersInOrderWithArguments) {
    Signal<int, const std::string&> signal;
    std::vector<std::string> calls;
    signal.connect(
        [&](int i, const std::string& s) { calls.push_back("a" + std::to_string(i) + s); });
    signal.connect(
        [&](int i, const std::string& s) { calls.push_back("b" + std::to_string(i) + s); });
    signal.emit(1, "x");
    signal.emit(2, "y");
    EXPECT_EQ(calls, (std::vector<std::string>{"a1x", "b1x", "a2y", "b2y"}));
    EXPECT_EQ(signal.subscriberCount(), 2u);
}

TEST(SignalTest, DisconnectStopsCalls) {
    Signal<> signal;
    int a = 0;
    int b = 0;
    const auto ca = signal.connect([&] { ++a; });
    signal.connect([&] { ++b; });
    signal.disconnect(ca);
    signal.emit();
    EXPECT_EQ(a, 0);
    EXPECT_EQ(b, 1);
    EXPECT_EQ(signal.subscriberCount(), 1u);
    signal.disconnect(ca);    // twice: harmless
    signal.disconnect(12345); // unknown: harmless
    EXPECT_EQ(signal.subscriberCount(), 1u);
}

TEST(SignalTest, DisconnectDuringEmissionSkipsLaterSlot) {
    Signal<> signal;
    int later = 0;
    Signal<>::Connection laterId = 0;
    signal.connect([&] { signal.disconnect(laterId); });
    laterId = signal.connect([&] { ++later; });
    signal.emit();
    EXPECT_EQ(later, 0);
    EXPECT_EQ(signal.subscriberCount(), 1u);
}

TEST(SignalTest, SelfDisconnectDuringEmission) {
    Signal<> signal;
    int calls = 0;
    int other = 0;
    Signal<>::Connection id = 0;
    id = signal.connect([&] {
        ++calls;
        signal.disconnect(id);
    });
    signal.connect([&] { ++other; });
    signal.emit();
    signal.emit();
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(other, 2);
}

TEST(SignalTest, ConnectDuringEmissionIsSafe) {
    Signal<> signal;
    int added = 0;
    signal.connect([&] {
        // Growing the slot list while it is being walked must not invalidate the walk.
        for (int i = 0; i < 100; ++i) {
            signal.connect([&] { ++added; });
        }
    });
    signal.emit();
    EXPECT_EQ(signal.subscriberCount(), 101u);
    const int afterFirst = added;
    signal.emit();
    EXPECT_GE(added, afterFirst + 100);
}

TEST(SignalTest, NestedEmission) {
    Signal<int> signal;
    std::vector<int> seen;
    signal.connect([&](int depth) {
        seen.push_back(depth);
        if (depth < 2) {
            signal.emit(depth + 1);
        }
    });
    signal.emit(0);
    EXPECT_EQ(seen, (std::vector<int>{0, 1, 2}));
}

TEST(SignalTest, CallbackMayDestroyItsOwnCaptureSafely) {
    // The slot's callback is copied before the call, so disconnecting itself inside cannot free
    // the running function object.
    Signal<> signal;
    auto token = std::make_shared<int>(7);
    int seen = 0;
    Signal<>::Connection id = 0;
    id = signal.connect([&, token] {
        signal.disconnect(id);
        seen = *token;
    });
    token.reset();
    signal.emit();
    EXPECT_EQ(seen, 7);
}

} // namespace
} // namespace tessel
