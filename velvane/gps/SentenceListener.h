#pragma once
// Consumers of whole NMEA lines. A line is the received bytes from "$" up to
// and including CR LF, checksum unverified; it lives in the receive buffer and
// must not be kept beyond the call.
#include <string_view>

namespace velvane {

// Bit values for sentence filters, in the order of the operations below.
enum SentenceKind : unsigned {
    SentenceRMC = 1,
    SentenceGGA = 2,
    SentenceGSV = 4,
    SentenceVTG = 8,
    SentenceGSA = 16,
    SentenceOther = 32,
};

class SentenceListener {
public:
    virtual ~SentenceListener() = default;
    virtual void OnRMC(std::string_view /*line*/) {}
    virtual void OnGGA(std::string_view /*line*/) {}
    virtual void OnGSV(std::string_view /*line*/) {}
    virtual void OnVTG(std::string_view /*line*/) {}
    virtual void OnGSA(std::string_view /*line*/) {}
    virtual void OnOther(std::string_view /*line*/) {}
    // The receiver has been silent for the configured time: what was read
    // from it is unknown until the next sentence.
    virtual void OnStale() {}
};

} // namespace velvane
