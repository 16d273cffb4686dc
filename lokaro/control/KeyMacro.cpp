#include "control/KeyMacro.h"
#include "control/Navigator.h"

#include "platform/desktop.h"
#include "platform/input.h"
#include "platform/process.h"

#include <climits>
#include <string>

namespace lokaro {

namespace {

using platform::WindowHandle;

int digitValue(char16_t c) {
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return 99;
}

// Reads a number in C notation at pos as strtol with base 0 does: sign,
// "0x" hexadecimal, a leading "0" octal; 0 when there are no digits, pos
// then unchanged.
long long readNumber(std::u16string_view text, size_t& pos) {
    size_t i = pos;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+'))
        negative = text[i++] == u'-';
    int base = 10;
    if (i + 2 < text.size() && text[i] == u'0' && (text[i + 1] == u'x' || text[i + 1] == u'X') &&
        digitValue(text[i + 2]) < 16) {
        base = 16;
        i += 2;
    } else if (i < text.size() && text[i] == u'0') {
        base = 8;
    }
    const size_t digits = i;
    long long value = 0;
    for (; i < text.size() && digitValue(text[i]) < base; ++i)
        if (value < (1LL << 40)) // far beyond 32 bits; what is cut off never matters
            value = value * base + digitValue(text[i]);
    if (i == digits)
        return 0;
    pos = i;
    return negative ? -value : value;
}

bool startsNumber(std::u16string_view text, size_t pos) {
    if (pos < text.size() && (text[pos] == u'-' || text[pos] == u'+'))
        ++pos;
    return pos < text.size() && text[pos] >= u'0' && text[pos] <= u'9';
}

// An optional ",number" after a macro argument.
long long nextArgument(std::u16string_view text, size_t& pos) {
    if (pos < text.size() && text[pos] == u',') {
        ++pos;
        return readNumber(text, pos);
    }
    return 0;
}

void pressKey(WindowHandle target, bool alt, int key) {
    using namespace platform;
    if (!target) {
        pressKeys(alt ? 18 : 0, 0, key);
        return;
    }
    // The key's context bits: Alt held, and for the release also the
    // previous state and the transition.
    SendWindowMessage(target, WindowMessage::KeyDown, static_cast<uint32_t>(key),
                      alt ? 0x20000000 : 0);
    Sleep(0);
    SendWindowMessage(target, WindowMessage::KeyUp, static_cast<uint32_t>(key),
                      alt ? 0xE0000000 : 0xC0000000);
}

int clampInt(long long value) {
    return static_cast<int>(value < INT_MIN ? INT_MIN : value > INT_MAX ? INT_MAX : value);
}

} // namespace

WindowHandle findWindowWithRetries(std::u16string_view title, int timeoutMs, int* tries) {
    const int retries = timeoutMs > 0 ? timeoutMs / 10 : 0;
    WindowHandle found;
    int count = 0;
    for (int i = 0; i <= retries; ++i) {
        if (i > 0)
            platform::Sleep(10);
        ++count;
        found = platform::FindWindowByTitle(title);
        if (found)
            break;
    }
    if (tries)
        *tries = count;
    return found;
}

MacroEnd runKeyMacro(std::u16string_view text, const ScreenParameters& parameters,
                     std::u16string_view navigatorPath) {
    using namespace platform;
    WindowHandle target;
    size_t pos = 0;
    bool escaped = false; // the bar after "\l" stands for a backslash
    while (pos < text.size()) {
        if (!escaped) {
            const char16_t c = text[pos++];
            if (c != u'\\') {
                const int key = KeyForChar(c);
                if (key != -1)
                    pressKey(target, false, key & 0xFF);
                continue;
            }
        }
        escaped = false;
        if (pos >= text.size())
            break;
        const char16_t element = text[pos];
        switch (element) {
        case u'|':
            return MacroEnd::EndMark;
        case u'f': {
            ++pos;
            const int timeout = clampInt(readNumber(text, pos));
            if (pos < text.size() && text[pos] == u'|')
                ++pos;
            size_t close = text.find(u'\\', pos);
            if (close == std::u16string_view::npos)
                close = text.size();
            const std::u16string_view title = text.substr(pos, close - pos);
            pos = close; // the closing backslash starts the next element
            if (title.empty()) {
                target = {};
                break;
            }
            target = findWindowWithRetries(title, timeout);
            if (!target)
                return MacroEnd::WindowMissing;
            break;
        }
        case u'p': {
            ++pos;
            if (!startsNumber(text, pos)) {
                if (target)
                    SetForegroundWindow(target);
                break;
            }
            const long long insertAfter = readNumber(text, pos);
            if (!target)
                break;
            const Rect screen = WorkArea();
            const int x = parameters.x == -1 ? 0 : parameters.x;
            const int y = parameters.y == -1 ? 0 : parameters.y;
            const int w = parameters.w == -1 ? screen.Width() : parameters.w;
            const int h = parameters.h == 0 ? screen.Height() : parameters.h;
            PlaceWindow(target, insertAfter, {x, y, x + w, y + h}, Visibility::Show);
            break;
        }
        case u's': {
            ++pos;
            const long long ms = readNumber(text, pos);
            if (ms > 0)
                Sleep(static_cast<uint32_t>(ms > UINT32_MAX ? UINT32_MAX : ms));
            break;
        }
        case u'c': {
            ++pos;
            const int delay = clampInt(readNumber(text, pos));
            const int x = clampInt(nextArgument(text, pos));
            const int y = clampInt(nextArgument(text, pos));
            tap(delay, x, y, target, parameters);
            break;
        }
        case u'm': {
            ++pos;
            const auto message = static_cast<uint32_t>(readNumber(text, pos));
            const auto wParam = static_cast<uint32_t>(nextArgument(text, pos));
            const auto lParam = static_cast<uint32_t>(nextArgument(text, pos));
            if (target)
                SendWindowMessage(target, message, wParam, lParam);
            break;
        }
        case u'l': {
            ++pos;
            size_t bar = text.find(u'|', pos);
            if (bar == std::u16string_view::npos)
                bar = text.size();
            std::u16string_view command = text.substr(pos, bar - pos);
            std::u16string_view arguments;
            if (size_t colon = command.find(u':'); colon != std::u16string_view::npos) {
                arguments = command.substr(colon + 1);
                command = command.substr(0, colon);
            }
            if (command.empty())
                startNavigator(navigatorPath);
            else
                StartProgram(command, arguments);
            // The bar stands for a backslash: the next element follows directly.
            pos = bar < text.size() ? bar + 1 : bar;
            escaped = bar < text.size();
            break;
        }
        default: {
            const bool alt = element == u'a';
            if (alt)
                ++pos;
            if (!startsNumber(text, pos)) {
                if (!alt)
                    ++pos; // an element we do not know: passed over
                break;
            }
            const int key = clampInt(readNumber(text, pos));
            pressKey(target, alt, key);
            break;
        }
        }
    }
    return MacroEnd::Done;
}

} // namespace lokaro
