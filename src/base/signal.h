#pragma once

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

namespace tessel {

// A change signal: subscribers register a callback and are told of every emission, in
// subscription order. Subscribers may connect or disconnect while an emission runs; a callback
// disconnected during an emission is not called afterwards.
template <class... Args> class Signal {
public:
    using Callback = std::function<void(Args...)>;
    using Connection = std::uint64_t;

    Connection connect(Callback callback) {
        const Connection id = ++lastId_;
        slots_.push_back({id, std::move(callback)});
        return id;
    }

    void disconnect(Connection id) {
        for (auto& slot : slots_) {
            if (slot.id == id) {
                slot.id = 0;
            }
        }
        if (emitting_ == 0) {
            compact();
        }
    }

    void emit(Args... args) {
        ++emitting_;
        // Index loop: callbacks may connect more slots while we run.
        for (size_t i = 0; i < slots_.size(); ++i) {
            if (slots_[i].id != 0) {
                Callback callback = slots_[i].callback;
                callback(args...);
            }
        }
        if (--emitting_ == 0) {
            compact();
        }
    }

    size_t subscriberCount() const {
        size_t n = 0;
        for (const auto& slot : slots_) {
            n += slot.id != 0;
        }
        return n;
    }

private:
    struct Slot {
        Connection id;
        Callback callback;
    };

    void compact() {
        std::erase_if(slots_, [](const Slot& slot) { return slot.id == 0; });
    }

    std::vector<Slot> slots_;
    Connection lastId_ = 0;
    int emitting_ = 0;
};

} // namespace tessel
