#pragma once
// The one idiom for "an object may be deleted during its own callback": the
// object holds a Lifetime; code of the object that calls out puts a
// Lifetime::Watch on its stack around the call and, when Ended() says the
// object went during the call, touches nothing of it any more. No allocation,
// any nesting depth.
namespace platform {

class Lifetime {
public:
    class Watch {
    public:
        explicit Watch(Lifetime& life) : m_life(&life), m_outer(life.m_top) { life.m_top = this; }
        ~Watch() {
            if (m_life)
                m_life->m_top = m_outer;
        }
        Watch(const Watch&) = delete;
        Watch& operator=(const Watch&) = delete;

        // True once the watched object was destroyed.
        bool Ended() const { return m_life == nullptr; }

    private:
        friend class Lifetime;
        Lifetime* m_life;
        Watch* m_outer;
    };

    Lifetime() = default;
    Lifetime(const Lifetime&) = delete;
    Lifetime& operator=(const Lifetime&) = delete;
    ~Lifetime() {
        for (Watch* w = m_top; w; w = w->m_outer)
            w->m_life = nullptr;
    }

    // True while some caller is inside a watched call.
    bool Watched() const { return m_top != nullptr; }

private:
    Watch* m_top = nullptr;
};

} // namespace platform
