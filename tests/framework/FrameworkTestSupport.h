// Helpers for the framework's tests: pumping messages with a time limit and a
// control that records what reaches its window procedure.
#pragma once

#include "framework/Forms.h"

#include <functional>
#include <vector>

namespace qvtest {

// Dispatches messages until cond holds or timeoutMs passes.
inline bool PumpUntil(const std::function<bool()>& cond, int timeoutMs = 5000)
{
    DWORD start = GetTickCount();
    while (!cond()) {
        qv::Application->ProcessMessages();
        if (static_cast<int>(GetTickCount() - start) > timeoutMs)
            return cond();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

inline void Pump() { qv::Application->ProcessMessages(); }

// A windowed control that keeps every message number it receives.
class TRecordingControl : public qv::TCustomControl {
public:
    using TCustomControl::TCustomControl;
    std::vector<UINT> messages;
    int Count(UINT msg) const
    {
        int n = 0;
        for (UINT m : messages)
            n += m == msg;
        return n;
    }
    void WndProc(qv::TMessage& m) override
    {
        messages.push_back(m.Msg);
        TCustomControl::WndProc(m);
    }
};

} // namespace qvtest
