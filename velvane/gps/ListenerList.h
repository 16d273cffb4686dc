#pragma once
// An ordered list of listeners (not owned) that stays valid while it is being
// notified: a listener may add or remove itself or others, and may even delete
// the object that owns the list, from inside a notification.
#include "platform/lifetime.h"

#include <cstddef>
#include <utility>
#include <vector>

namespace velvane {

enum class ListPosition { Back, Front };

template <class Listener> class ListenerList {
public:
    ListenerList() = default;
    ListenerList(const ListenerList&) = delete;
    ListenerList& operator=(const ListenerList&) = delete;

    // Added during a notification, a listener first hears the next one.
    void Add(Listener* listener, ListPosition where = ListPosition::Back) {
        if (!listener)
            return;
        if (where == ListPosition::Back) {
            m_items.push_back(listener);
        } else {
            m_items.insert(m_items.begin(), listener);
            for (Frame* f = m_top; f; f = f->outer) {
                ++f->index;
                ++f->end;
            }
        }
        ++m_count;
    }

    // Removes every registration of the listener.
    void Remove(Listener* listener) {
        for (auto& item : m_items) {
            if (item == listener && listener) {
                item = nullptr;
                --m_count;
            }
        }
        if (!m_top)
            Compact();
    }

    size_t Count() const { return m_count; }
    bool Empty() const { return m_count == 0; }
    bool Contains(const Listener* listener) const {
        for (auto* item : m_items)
            if (item == listener && listener)
                return true;
        return false;
    }

    // Listeners in order, skipping the removed ones.
    std::vector<Listener*> Snapshot() const {
        std::vector<Listener*> out;
        for (auto* item : m_items)
            if (item)
                out.push_back(item);
        return out;
    }

    // Calls fn(listener) for each listener in order. Returns false when the
    // list was destroyed by a listener; the caller must then touch nothing of
    // its own object any more.
    template <class Fn> bool ForEach(Fn&& fn) {
        platform::Lifetime::Watch watch(m_lifetime);
        Frame frame{0, m_items.size(), m_top};
        m_top = &frame;
        for (; frame.index < frame.end; ++frame.index) {
            Listener* listener = m_items[frame.index];
            if (!listener)
                continue;
            fn(listener);
            if (watch.Ended())
                return false;
        }
        m_top = frame.outer;
        if (!m_top)
            Compact();
        return true;
    }

private:
    // A notification in progress; an insertion at the front moves it on.
    struct Frame {
        size_t index;
        size_t end;
        Frame* outer;
    };

    void Compact() {
        if (m_items.size() == m_count)
            return;
        size_t out = 0;
        for (auto* item : m_items)
            if (item)
                m_items[out++] = item;
        m_items.resize(out);
    }

    std::vector<Listener*> m_items;
    size_t m_count = 0;
    Frame* m_top = nullptr;
    platform::Lifetime m_lifetime;
};

} // namespace velvane
