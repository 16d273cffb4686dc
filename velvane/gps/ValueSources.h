#pragma once
// Where components register for GPS data: the shared value sources and the
// receiver's sentence list. Components see only this, never the model that
// owns the sources.
namespace velvane {

class AltitudeListener;
class PositionListener;
class SentenceListener;
class SpeedListener;

class ValueSources {
public:
    // A source exists only while it has listeners: the first Add makes it,
    // the last Remove deletes it.
    virtual void AddSpeedListener(SpeedListener* listener) = 0;
    virtual void RemoveSpeedListener(SpeedListener* listener) = 0;
    virtual void AddAltitudeListener(AltitudeListener* listener) = 0;
    virtual void RemoveAltitudeListener(AltitudeListener* listener) = 0;
    virtual void AddPositionListener(PositionListener* listener) = 0;
    virtual void RemovePositionListener(PositionListener* listener) = 0;
    // For components that read whole sentences.
    virtual void AddSentenceListener(SentenceListener* listener) = 0;
    virtual void RemoveSentenceListener(SentenceListener* listener) = 0;
    // For one that must hear each line before every other listener (a log of
    // what arrived). Sources that keep no order may add it anywhere.
    virtual void AddFirstSentenceListener(SentenceListener* listener) {
        AddSentenceListener(listener);
    }

protected:
    // Never deleted through this interface.
    ~ValueSources() = default;
};

} // namespace velvane
