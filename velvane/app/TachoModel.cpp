#include "app/TachoModel.h"

namespace velvane {

TachoModel::TachoModel(platform::Window* window) : m_window(window) {}

TachoModel::~TachoModel() {
    Retire(m_speedSource);
    Retire(m_altitudeSource);
    Retire(m_positionSource);
    m_receiver.reset();
}

void TachoModel::CreateReceiver() {
    if (!m_receiver)
        m_receiver = std::make_unique<GpsReceiver>(m_window);
}

// Deleting a source from inside its own notification is safe: its listener
// list notices and the fan-out stops touching it.
template <class Source>
void TachoModel::Retire(std::unique_ptr<Source>& source) {
    if (!source)
        return;
    if (m_receiver)
        m_receiver->RemoveSentenceListener(source.get());
    source.reset();
}

void TachoModel::AddSpeedListener(SpeedListener* listener) {
    if (!m_receiver || !listener)
        return;
    if (!m_speedSource) {
        m_speedSource = SpeedSource::Create(m_speedProtocol);
        m_receiver->AddSentenceListener(m_speedSource.get());
    }
    m_speedSource->AddListener(listener);
}

void TachoModel::RemoveSpeedListener(SpeedListener* listener) {
    if (!m_receiver || !m_speedSource)
        return;
    m_speedSource->RemoveListener(listener);
    if (m_speedSource->ListenerCount() == 0)
        Retire(m_speedSource);
}

void TachoModel::AddAltitudeListener(AltitudeListener* listener) {
    if (!m_receiver || !listener)
        return;
    if (!m_altitudeSource) {
        m_altitudeSource = std::make_unique<AltitudeSource>();
        m_receiver->AddSentenceListener(m_altitudeSource.get());
    }
    m_altitudeSource->AddListener(listener);
}

void TachoModel::RemoveAltitudeListener(AltitudeListener* listener) {
    if (!m_receiver || !m_altitudeSource)
        return;
    m_altitudeSource->RemoveListener(listener);
    if (m_altitudeSource->ListenerCount() == 0)
        Retire(m_altitudeSource);
}

void TachoModel::AddPositionListener(PositionListener* listener) {
    if (!m_receiver || !listener)
        return;
    if (!m_positionSource) {
        m_positionSource = std::make_unique<PositionSource>();
        m_receiver->AddSentenceListener(m_positionSource.get());
    }
    m_positionSource->AddListener(listener);
}

void TachoModel::RemovePositionListener(PositionListener* listener) {
    if (!m_receiver || !m_positionSource)
        return;
    m_positionSource->RemoveListener(listener);
    if (m_positionSource->ListenerCount() == 0)
        Retire(m_positionSource);
}

void TachoModel::AddSentenceListener(SentenceListener* listener) {
    if (m_receiver)
        m_receiver->AddSentenceListener(listener);
}

void TachoModel::RemoveSentenceListener(SentenceListener* listener) {
    if (m_receiver)
        m_receiver->RemoveSentenceListener(listener);
}

void TachoModel::SetSpeedProtocol(int speedProtocol) {
    if (!m_receiver || speedProtocol == m_speedProtocol)
        return;
    m_speedProtocol = speedProtocol;
    if (!m_speedSource)
        return;
    auto next = SpeedSource::Create(speedProtocol);
    for (SpeedListener* listener : m_speedSource->Listeners())
        next->AddListener(listener);
    Retire(m_speedSource);
    m_speedSource = std::move(next);
    m_receiver->AddSentenceListener(m_speedSource.get());
}

} // namespace velvane
