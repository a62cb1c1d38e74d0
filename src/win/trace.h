// The start-up as a developer sees it: with SKELVANE_TRACE naming a file, each traced step appends
// a line when it starts and when it ends, in milliseconds since the process was created, with the
// thread it ran on. Without the variable nothing is written; players never see it.
#pragma once

namespace win {

void trace(const char* what, const char* event);

// Traces "start" when made and "end" when it goes.
class CTraceStep {
public:
    explicit CTraceStep(const char* what) : m_what(what) { trace(m_what, "start"); }
    ~CTraceStep() { trace(m_what, "end"); }
    CTraceStep(const CTraceStep&) = delete;
    CTraceStep& operator=(const CTraceStep&) = delete;

private:
    const char* m_what;
};

}  // namespace win
