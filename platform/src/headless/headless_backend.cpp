#include "../backend.h"
#include "platform/headless.h"

#include <chrono>
#include <deque>

namespace platform {

namespace {

struct QueuedAnswer {
    std::u16string caption;
    int id;
};

bool Offers(MessageBoxButtons buttons, int id) {
    switch (buttons) {
    case MessageBoxButtons::Ok: return id == IdOk;
    case MessageBoxButtons::OkCancel: return id == IdOk || id == IdCancel;
    case MessageBoxButtons::YesNo: return id == IdYes || id == IdNo;
    case MessageBoxButtons::YesNoCancel: return id == IdYes || id == IdNo || id == IdCancel;
    case MessageBoxButtons::RetryCancel: return id == IdRetry || id == IdCancel;
    }
    return false;
}

class HeadlessBackend final : public Backend {
public:
    explicit HeadlessBackend(const HostSettings&) {
        m_utcStartMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                           std::chrono::system_clock::now().time_since_epoch())
                           .count();
    }

    uint64_t MonotonicMs() override { return m_ticks; }
    int64_t HostUtcMs() override { return m_utcStartMs + static_cast<int64_t>(m_ticks - m_tickBase); }

    int ShowMessageBox(Window*, std::u16string_view, std::u16string_view caption,
                       MessageBoxButtons buttons, MessageBoxIcon) override {
        for (auto it = m_answers.begin(); it != m_answers.end(); ++it) {
            if ((it->caption == u"*" || it->caption == caption) && Offers(buttons, it->id)) {
                int id = it->id;
                m_answers.erase(it);
                return id;
            }
        }
        return DefaultAnswer(buttons);
    }

    std::deque<QueuedAnswer> m_answers;
    uint64_t m_ticks = 0;
    uint64_t m_tickBase = 0;
    int64_t m_utcStartMs = 0;
};

HeadlessBackend* Headless() { return dynamic_cast<HeadlessBackend*>(&CurrentBackend()); }

} // namespace

std::unique_ptr<Backend> MakeHeadlessBackend(const HostSettings& host) {
    return std::make_unique<HeadlessBackend>(host);
}

namespace headless {

void QueueMessageBoxAnswer(std::u16string caption, int id) {
    if (auto* h = Headless())
        h->m_answers.push_back({std::move(caption), id});
}

size_t PendingMessageBoxAnswers() {
    auto* h = Headless();
    return h ? h->m_answers.size() : 0;
}

void ClearMessageBoxAnswers() {
    if (auto* h = Headless())
        h->m_answers.clear();
}

void AdvanceClock(uint32_t milliseconds) {
    if (auto* h = Headless())
        h->m_ticks += milliseconds;
}

void SetTickCount(uint32_t ticks) {
    if (auto* h = Headless()) {
        // Keep UTC moving forward only by advances, not by this jump.
        h->m_tickBase += static_cast<uint64_t>(ticks) - static_cast<uint32_t>(h->m_ticks);
        h->m_ticks = (h->m_ticks & ~0xFFFFFFFFull) + ticks;
    }
}

} // namespace headless
} // namespace platform
