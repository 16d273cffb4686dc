#include "dialog/DialogTemplates.h"

#include <string>

namespace lokaro {

namespace {

using platform::ControlKind;
using platform::ControlTemplate;
namespace Style = platform::ControlStyle;
using namespace ControlId;

ControlTemplate button(int id, std::u16string text, int x, int y, int cx, int cy,
                       uint32_t style = 0) {
    return {id, ControlKind::PushButton, std::move(text), x, y, cx, cy, style};
}

ControlTemplate label(int id, std::u16string text, int x, int y, int cx, uint32_t style = 0) {
    return {id, ControlKind::Static, std::move(text), x, y, cx, 9, style};
}

ControlTemplate edit(int id, int x, int y, int cx) {
    return {id, ControlKind::Edit, u"", x, y, cx, 11, Style::Border};
}

// Where the parts of an entry dialog go.
struct EntryPlan {
    int fieldWidth;   // name, street, city
    int coordinateY;  // first coordinate row
    int coordinateCx; // width of a coordinate field
    int padX, padY;   // digit block
    int keyCx, keyCy; // digit keys
    int functionY;    // "up", DEL, "+Route"
    int functionX;    // ... starting here
    int functionCx;
    int okY, okX, okCx;
    int lettersY, letterCx, letterCy;
};

// The text fields and coordinates down the left, the digit block beside the
// coordinates, the letters in QWERTZ rows along the bottom.
void addEntryControls(platform::DialogTemplate& t, const EntryPlan& p) {
    auto& c = t.controls;
    const int fieldX = 28;
    c.push_back(label(-1, u"Name:", 2, 4, 25));
    c.push_back(edit(Name, fieldX, 2, p.fieldWidth));
    c.push_back(label(-1, u"Straße:", 2, 17, 25));
    c.push_back(edit(Street, fieldX, 15, p.fieldWidth));
    c.push_back(label(-1, u"PLZ:", 2, 30, 25));
    c.push_back(edit(PostalCode, fieldX, 28, 30));
    c.push_back(label(-1, u"HNr:", fieldX + 33, 30, 18));
    c.push_back(edit(HouseNumber, fieldX + 52, 28, p.fieldWidth - 52));
    c.push_back(label(-1, u"Ort:", 2, 43, 25));
    c.push_back(edit(City, fieldX, 41, p.fieldWidth));
    const int y = p.coordinateY;
    c.push_back(label(LongitudeLabel, u"Länge:", 2, y + 2, 25));
    c.push_back(edit(Longitude, fieldX, y, p.coordinateCx));
    c.push_back(label(LongitudeSide, u"E", fieldX + p.coordinateCx + 1, y + 2, 8, Style::Center));
    c.push_back(label(LatitudeLabel, u"Breite:", 2, y + 15, 25));
    c.push_back(edit(Latitude, fieldX, y + 13, p.coordinateCx));
    c.push_back(label(LatitudeSide, u"N", fieldX + p.coordinateCx + 1, y + 15, 8, Style::Center));

    // 7 8 9 on top, as on a calculator; the telephone layout relabels them.
    const int rows[3][3] = {{7, 8, 9}, {4, 5, 6}, {1, 2, 3}};
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 3; ++col) {
            const int digit = rows[row][col];
            c.push_back(button(Digit1 + digit - 1, std::u16string(1, char16_t(u'0' + digit)),
                               p.padX + col * (p.keyCx + 1), p.padY + row * (p.keyCy + 1), p.keyCx,
                               p.keyCy));
        }
    const int bottom = p.padY + 3 * (p.keyCy + 1);
    c.push_back(button(Marks, u"° ' \" +/-", p.padX, bottom, p.keyCx, p.keyCy));
    c.push_back(button(Digit0, u"0", p.padX + p.keyCx + 1, bottom, p.keyCx, p.keyCy));
    c.push_back(button(DecimalPoint, u". ,", p.padX + 2 * (p.keyCx + 1), bottom, p.keyCx, p.keyCy));

    const int fx = p.functionX, fy = p.functionY;
    const int fcx = p.functionCx;
    c.push_back({Up, ControlKind::CheckBox, u"up", fx, fy, fcx, p.keyCy, Style::PushLike});
    c.push_back(button(Delete, u"DEL", fx + fcx + 1, fy, fcx, p.keyCy));
    c.push_back(button(AddToRoute, u"+Route", fx + 2 * (fcx + 1), fy, fcx, p.keyCy));
    c.push_back(button(platform::IdOk, u"OK", p.okX, p.okY, p.okCx, p.keyCy, Style::Default));
    c.push_back(button(platform::IdCancel, u"Esc", p.okX + p.okCx + 2, p.okY, p.okCx, p.keyCy));

    const char16_t* letterRows[3] = {u"QWERTZUIOP", u"ASDFGHJKL-", u"YXCVBNM "};
    for (int row = 0; row < 3; ++row) {
        const std::u16string_view keys = letterRows[row];
        const int ly = p.lettersY + row * (p.letterCy + 1);
        for (size_t i = 0; i < keys.size(); ++i) {
            const char16_t k = keys[i];
            const int id = k == u'-' ? Hyphen : k == u' ' ? Blank : LetterA + (k - u'A');
            // The blank is a wide bar at the end of the last row.
            const int cx = k == u' ' ? 3 * p.letterCx + 2 : p.letterCx;
            c.push_back(button(id, std::u16string(1, k), 2 + static_cast<int>(i) * (p.letterCx + 1),
                               ly, cx, p.letterCy));
        }
    }
}

// No caption: the title names the window for other programs, and every line
// of the small screens goes to the keys and the list.
platform::DialogTemplate entryTemplate(int id) {
    platform::DialogTemplate t;
    t.resourceId = id;
    t.style = platform::DialogStyle::NoCaption;
    t.className = std::u16string(DialogClass);
    t.fontFace = u"Arial";
    if (id == EntrySmall) {
        t.fontPoints = 8;
        t.cx = 157;
        t.cy = 165;
        addEntryControls(t, {127, 56, 60, 98, 56, 18, 13, 84, 2, 30, 98, 2, 46, 114, 14, 12});
        return t;
    }
    t.fontPoints = id == EntryMedium ? 8 : 10;
    t.x = id == EntryMedium ? 35 : 96;
    t.y = id == EntryMedium ? 0 : 12;
    t.cx = 210;
    t.cy = 124;
    addEntryControls(t, {90, 54, 78, 122, 2, 28, 12, 54, 122, 28, 67, 122, 42, 82, 19, 12});
    return t;
}

platform::DialogTemplate routeTemplate(int id) {
    platform::DialogTemplate t;
    t.resourceId = id;
    t.style = platform::DialogStyle::NoCaption;
    t.className = std::u16string(DialogClass);
    t.fontFace = u"Arial";
    const uint32_t listStyle =
        Style::Notify | Style::Sort | Style::Border | Style::HScroll | Style::VScroll;
    auto& c = t.controls;
    if (id == RouteLarge) {
        t.fontPoints = 14;
        t.cx = 174;
        t.cy = 94;
        c = {{List, ControlKind::ListBox, u"", 2, 2, 100, 90, listStyle},
             button(Previous, u"/\\", 104, 2, 33, 14),
             button(Next, u"\\/", 139, 2, 33, 14),
             button(Goal, u"Ziel->", 104, 17, 68, 14),
             button(Info, u"Info", 104, 32, 68, 14),
             button(StartRoute, u"starte Route", 104, 47, 68, 14),
             button(NewRoute, u"neue Route", 104, 62, 68, 14),
             button(platform::IdCancel, u"Esc", 104, 77, 68, 14)};
    } else if (id == RouteMedium) {
        t.fontPoints = 14;
        t.cx = 115;
        t.cy = 82;
        c = {{List, ControlKind::ListBox, u"", 2, 2, 111, 30, listStyle},
             button(Previous, u"/\\", 2, 34, 26, 15),
             button(Next, u"\\/", 30, 34, 26, 15),
             button(Goal, u"Ziel->", 59, 34, 54, 15),
             button(Info, u"Info", 2, 50, 54, 15),
             button(StartRoute, u"starte Route", 59, 50, 54, 15),
             button(NewRoute, u"neue Route", 2, 66, 54, 15),
             button(platform::IdCancel, u"Esc", 59, 66, 54, 15)};
    } else {
        t.fontPoints = 12;
        t.cx = 103;
        t.cy = 122;
        c = {{List, ControlKind::ListBox, u"", 2, 2, 99, 56, listStyle},
             button(Previous, u"/\\", 2, 60, 24, 14),
             button(Next, u"\\/", 27, 60, 24, 14),
             button(Goal, u"Ziel ->", 53, 60, 48, 14),
             button(Info, u"Info", 2, 76, 48, 14),
             button(platform::IdCancel, u"Esc", 53, 76, 48, 14),
             button(StartRoute, u"starte Route", 2, 92, 99, 14),
             button(NewRoute, u"neue Route", 2, 108, 99, 14)};
    }
    return t;
}

} // namespace

int chooseTemplate(int screenWidth, int window, bool routeMode) {
    int layout = 1;
    if (screenWidth < 480)
        layout = 2;
    if (screenWidth < 320)
        layout = 3;
    if (window != -1 && ((window >> 8) & 7) != 0)
        layout = (window >> 8) & 7;
    if (routeMode)
        layout += 10;
    switch (layout) {
    case 1:
        return EntryLarge;
    case 2:
        return EntryMedium;
    case 3:
        return EntrySmall;
    case 11:
        return RouteLarge;
    case 12:
        return RouteMedium;
    case 13:
        return RouteSmall;
    default:
        return EntryLarge;
    }
}

bool isRouteTemplate(int id) {
    return id == RouteLarge || id == RouteMedium || id == RouteSmall;
}

platform::DialogTemplate dialogTemplate(int id) {
    return isRouteTemplate(id)
               ? routeTemplate(id)
               : entryTemplate(id == EntrySmall || id == EntryMedium ? id : EntryLarge);
}

} // namespace lokaro
