#pragma once
// The central model of the dashboard. It owns the GPS receiver and the shared
// value sources, which exist only while some component listens to them.
#include "gps/AltitudeSource.h"
#include "gps/GpsReceiver.h"
#include "gps/SpeedSource.h"
#include "ini/IniParser.h"
#include "instruments/PositionSource.h"

#include <memory>

namespace platform {
class Window;
}

namespace velvane {

class TachoModel : public IniParser {
public:
    explicit TachoModel(platform::Window* window);
    ~TachoModel() override;
    TachoModel(const TachoModel&) = delete;
    TachoModel& operator=(const TachoModel&) = delete;

    // The receiver for the main window; the value sources need it.
    void CreateReceiver();
    GpsReceiver* Receiver() { return m_receiver.get(); }

    // Each of these does nothing while there is no receiver. A source is
    // made and registered at the receiver for its first listener, and
    // unregistered and deleted when its last one leaves.
    void AddSpeedListener(SpeedListener* listener);
    void RemoveSpeedListener(SpeedListener* listener);
    void AddAltitudeListener(AltitudeListener* listener);
    void RemoveAltitudeListener(AltitudeListener* listener);
    void AddPositionListener(PositionListener* listener);
    void RemovePositionListener(PositionListener* listener);
    // For components that read whole sentences.
    void AddSentenceListener(SentenceListener* listener);
    void RemoveSentenceListener(SentenceListener* listener);

    // 1 reads speeds from RMC, anything else from VTG. A speed source of the
    // other kind takes over all listeners of the current one.
    void SetSpeedProtocol(int speedProtocol);
    int SpeedProtocol() const { return m_speedProtocol; }

    const SpeedSource* GetSpeedSource() const { return m_speedSource.get(); }
    const AltitudeSource* GetAltitudeSource() const { return m_altitudeSource.get(); }
    const PositionSource* GetPositionSource() const { return m_positionSource.get(); }

private:
    template <class Source>
    void Retire(std::unique_ptr<Source>& source);

    platform::Window* m_window;
    int m_speedProtocol = 0;
    std::unique_ptr<GpsReceiver> m_receiver;
    std::unique_ptr<SpeedSource> m_speedSource;
    std::unique_ptr<AltitudeSource> m_altitudeSource;
    std::unique_ptr<PositionSource> m_positionSource;
};

} // namespace velvane
