#pragma once
// The field numbers of every sentence the dashboard reads, named once so that
// no reader counts commas on its own. Field 0 is the address ("$GPRMC"),
// field n the text behind the n-th comma (gps/NmeaField.h).
namespace velvane {

// $GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A
namespace RmcField {
enum : int {
    Time = 1,       // hhmmss.ss, UTC
    Status = 2,     // A valid, V warning
    Latitude = 3,   // ddmm.mmmm
    NorthSouth = 4, // N or S
    Longitude = 5,  // dddmm.mmmm
    EastWest = 6,   // E or W
    SpeedKnots = 7, // speed over ground
    Course = 8,     // degrees true
    Date = 9,       // ddmmyy
};
} // namespace RmcField

// $GPVTG,054.7,T,034.4,M,005.5,N,010.2,K*48
namespace VtgField {
enum : int {
    CourseTrue = 1, // degrees
    CourseMagnetic = 3,
    SpeedKnots = 5,
    SpeedKmh = 7,
};
} // namespace VtgField

// $GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47
namespace GgaField {
enum : int {
    Time = 1, // hhmmss.ss, UTC
    Latitude = 2,
    NorthSouth = 3,
    Longitude = 4,
    EastWest = 5,
    FixQuality = 6,     // 0 no fix, 1 GPS, 2 DGPS, ...
    SatellitesUsed = 7, // may be empty
    Hdop = 8,
    Altitude = 9, // metres above the geoid, negative below
    AltitudeUnit = 10,
    GeoidSeparation = 11,
};
} // namespace GgaField

// $GPGSV,2,1,08,01,40,083,46,02,17,308,41,12,07,344,39,14,22,228,45*75
namespace GsvField {
enum : int {
    MessageCount = 1,
    MessageNumber = 2,
    SatellitesInView = 3,
    FirstSatellite = 4, // then four fields per satellite: PRN, elevation, azimuth, SNR
};
} // namespace GsvField

// $GPGSA,A,3,04,05,,09,12,,,24,,,,,2.5,1.3,2.1*39
namespace GsaField {
enum : int {
    Mode = 1,           // A automatic, M manual
    FixType = 2,        // 1 none, 2 2D, 3 3D
    FirstSatellite = 3, // twelve PRN fields
    Pdop = 15,
    Hdop = 16,
    Vdop = 17,
};
} // namespace GsaField

} // namespace velvane
