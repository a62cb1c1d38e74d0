// A question asked on a thread of its own: the work starts at once, and the one thread that needs
// the answer takes it later, waiting only when it is not there yet. A probe that is never taken is
// abandoned: its owner does not wait for it, and the answer is thrown away on the probe's thread
// when the work ends (or with the process, when that ends first).
#pragma once

#include <windows.h>
#include <process.h>

#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

#include "win/handles.h"

namespace win {

template <class T>
class CProbe {
public:
    // Nothing asked.
    CProbe() = default;
    // Starts the work on a new thread. Should no thread be had, the work runs when taken.
    explicit CProbe(std::function<T()> work) : m_state(std::make_shared<State>(std::move(work))) {
        if (!m_state->done) {
            m_runWhenTaken = true;
            return;
        }
        // The thread keeps the state alive for as long as it runs, taken or not.
        auto* threadRef = new std::shared_ptr<State>(m_state);
        const CKernelHandle thread(
            reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &CProbe::threadMain, threadRef, 0, nullptr)));
        if (!thread) {
            delete threadRef;
            m_runWhenTaken = true;
        }
    }
    CProbe(CProbe&&) noexcept = default;
    CProbe& operator=(CProbe&&) noexcept = default;
    CProbe(const CProbe&) = delete;
    CProbe& operator=(const CProbe&) = delete;

    // Asked and not taken yet.
    bool pending() const { return m_state != nullptr; }
    // The answer, once the work has ended; a failure of the work is thrown here. Only once.
    T take() {
        const std::shared_ptr<State> state = std::exchange(m_state, nullptr);
        if (m_runWhenTaken) state->run();
        WaitForSingleObject(state->done.get(), INFINITE);
        if (state->failure) std::rethrow_exception(state->failure);
        return std::move(*state->answer);
    }

private:
    struct State {
        explicit State(std::function<T()> w) : work(std::move(w)), done(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
        void run() {
            try {
                answer.emplace(work());
            } catch (...) {
                failure = std::current_exception();
            }
            SetEvent(done.get());
        }

        std::function<T()> work;
        CKernelHandle done;
        std::optional<T> answer;
        std::exception_ptr failure;
    };

    static unsigned __stdcall threadMain(void* p) {
        const std::unique_ptr<std::shared_ptr<State>> state(static_cast<std::shared_ptr<State>*>(p));
        (*state)->run();
        return 0;
    }

    std::shared_ptr<State> m_state;
    bool m_runWhenTaken = false;
};

}  // namespace win
