#pragma once
// The entry dialogs (1001 to 1003) and the route lists (1004, 1006, 1007),
// in dialog units, and which one a start shows.
#include "platform/dialog.h"
#include "platform/messagebox.h"

namespace lokaro {

constexpr std::u16string_view DialogClass = u"LokaroClass";
constexpr int IconId = 8001;

namespace ControlId {
constexpr int Name = 4014, Street = 4015, PostalCode = 4016, City = 4017;
constexpr int Longitude = 4018, Latitude = 4019, HouseNumber = 4051;
constexpr int LongitudeSide = 4049, LatitudeSide = 4050; // "E"/"W", "N"/"S"
constexpr int LongitudeLabel = 4060, LatitudeLabel = 4061;
constexpr int Digit1 = 4001, Digit0 = 4010; // 4001 to 4009 are "1" to "9"
constexpr int Marks = 4011, DecimalPoint = 4012, Delete = 4013;
constexpr int LetterA = 4020, LetterZ = 4045, Blank = 4046, Hyphen = 4047;
constexpr int Up = 4048, AddToRoute = 4059;
constexpr int List = 4054, Previous = 4052, Next = 4053, Goal = 4057, Info = 4058;
constexpr int StartRoute = 4055, NewRoute = 4056;
} // namespace ControlId

constexpr int EntryLarge = 1003, EntryMedium = 1002, EntrySmall = 1001;
constexpr int RouteLarge = 1004, RouteMedium = 1006, RouteSmall = 1007;

// Layout 1 on wide screens, 2 below 480 pixels, 3 below 320; bits 8 to 10 of
// "window=" replace it when not zero; route mode adds 10.
int chooseTemplate(int screenWidth, int window, bool routeMode);

bool isRouteTemplate(int id);

// The template by id; unknown ids give 1003.
platform::DialogTemplate dialogTemplate(int id);

} // namespace lokaro
