#include "startup/ParameterSet.h"
#include "files/TextNumber.h"

#include <algorithm>
#include <climits>

namespace lokaro {

namespace {

// The text after key, when the line holds it.
std::optional<std::u16string_view> valueOf(std::u16string_view line, std::u16string_view key) {
    const size_t at = line.find(key);
    if (at == std::u16string_view::npos)
        return std::nullopt;
    return line.substr(at + key.size());
}

void readDecimal(std::u16string_view line, std::u16string_view key, int& target) {
    if (auto value = valueOf(line, key))
        target = readInt(*value);
}

void readC(std::u16string_view line, std::u16string_view key, int& target) {
    if (auto value = valueOf(line, key))
        target = readCInt(*value);
}

void readStep(std::u16string_view line, std::u16string_view key, std::u16string& target) {
    if (auto value = valueOf(line, key)) {
        std::u16string_view two = value->substr(0, 2);
        target = two.empty() || two[0] == u' ' ? std::u16string() : std::u16string(two);
    }
}

std::string refusal(const char* key, const char* other) {
    return std::string("lokaro: \"") + key + "\" ignored: it shares its text with \"" + other +
           "\", which the same line already gives";
}

} // namespace

std::u16string lowerCase(std::u16string_view text) {
    std::u16string out(text);
    for (char16_t& c : out) {
        if ((c >= u'A' && c <= u'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7))
            c = static_cast<char16_t>(c + 32);
    }
    return out;
}

int readCInt(std::u16string_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+'))
        negative = text[i++] == u'-';
    int base = 10;
    auto isHex = [](char16_t c) {
        return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
    };
    if (i < text.size() && text[i] == u'0') {
        base = 8;
        if (i + 2 < text.size() && (text[i + 1] == u'x' || text[i + 1] == u'X') &&
            isHex(text[i + 2])) {
            base = 16;
            i += 2;
        }
    }
    long long value = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i];
        int digit;
        if (c >= u'0' && c <= u'9')
            digit = c - u'0';
        else if (c >= u'a' && c <= u'f')
            digit = c - u'a' + 10;
        else if (c >= u'A' && c <= u'F')
            digit = c - u'A' + 10;
        else
            break;
        if (digit >= base)
            break;
        value = std::min<long long>(value * base + digit, 1LL + INT_MAX);
    }
    return static_cast<int>(std::clamp<long long>(negative ? -value : value, INT_MIN, INT_MAX));
}

ParameterSet parseParameters(std::u16string_view original) {
    const std::u16string lower = lowerCase(original);
    const std::u16string_view line = lower;
    ParameterSet p;
    readDecimal(line, u" x=", p.x);
    readDecimal(line, u" y=", p.y);
    readDecimal(line, u" w=", p.w);
    readDecimal(line, u" h=", p.h);
    readDecimal(line, u" r=", p.r);
    readDecimal(line, u" g=", p.g);
    readDecimal(line, u" b=", p.b);
    readDecimal(line, u" rb=", p.rb);
    readDecimal(line, u" gb=", p.gb);
    readDecimal(line, u" bb=", p.bb);
    readDecimal(line, u" t=", p.t);
    readDecimal(line, u" d=", p.d);
    readDecimal(line, u" l=", p.l);
    readDecimal(line, u"lklick=", p.lklick);
    for (int i = 0; i < 6; ++i) {
        const std::u16string n(1, static_cast<char16_t>(u'1' + i));
        readDecimal(line, u"lklick" + n + u"=", p.taps[i].delay);
        readDecimal(line, u" x" + n + u"=", p.taps[i].x);
        readDecimal(line, u" y" + n + u"=", p.taps[i].y);
    }
    readC(line, u"lklickson=", p.lklickson);
    if (auto value = valueOf(line, u"sendkey="))
        p.sendkey = *value;
    readC(line, u"window=", p.window);
    readStep(line, u"backlight=", p.backlight);
    readStep(line, u"notunnels=", p.notunnels);
    readDecimal(line, u"sonnenbrille=", p.sonnenbrille);
    readDecimal(line, u"regkeymode=", p.regkeymode);
    readC(line, u"roregkeys=", p.roregkeys);
    readDecimal(line, u"explorer=", p.explorer);
    readDecimal(line, u"taskmanager=", p.taskmanager);
    readDecimal(line, u"taskbar=", p.taskbar);
    readDecimal(line, u"sip=", p.sip);
    readC(line, u"setmem=", p.setmem);
    readDecimal(line, u"sleep0=", p.sleep0);
    readDecimal(line, u"reset=", p.reset);

    // Text keys take the rest of the line. "regkey=", "copy=" and "delete="
    // share one buffer, and the target of "copy=" shares that of "goto=":
    // a second key for a buffer is refused rather than let it overwrite the
    // first one's text.
    if (auto value = valueOf(line, u"regkey="))
        p.regkey = *value;
    if (auto value = valueOf(line, u"route="))
        p.route = std::u16string(*value);
    if (auto value = valueOf(line, u"goto="))
        p.gotoFile = std::u16string(*value);
    if (auto value = valueOf(line, u"copy=")) {
        if (valueOf(line, u"regkey=")) {
            p.refused.push_back(refusal("copy=", "regkey="));
        } else if (p.gotoFile) {
            p.refused.push_back(refusal("copy=", "goto="));
        } else if (const size_t bar = value->find(u'|'); bar != std::u16string_view::npos) {
            ParameterSet::Copy copy;
            copy.from = value->substr(0, bar);
            std::u16string_view rest = value->substr(bar + 1);
            const size_t modeBar = rest.find(u'|');
            copy.to = rest.substr(0, modeBar);
            if (modeBar != std::u16string_view::npos)
                copy.mode = readInt(rest.substr(modeBar + 1));
            p.copy = std::move(copy);
        }
    }
    if (auto value = valueOf(line, u"delete=")) {
        if (valueOf(line, u"regkey=")) {
            p.refused.push_back(refusal("delete=", "regkey="));
        } else if (valueOf(line, u"copy=")) {
            p.refused.push_back(refusal("delete=", "copy="));
        } else {
            const size_t bar = value->find(u'|');
            if (bar == std::u16string_view::npos || readInt(value->substr(bar + 1)) == 0)
                p.deleteFile = std::u16string(value->substr(0, bar));
        }
    }
    return p;
}

ScriptReader::ScriptReader(std::u16string_view defaultNavigator) {
    m_settings.navigatorPath = defaultNavigator;
}

void ScriptReader::readLine(std::u16string_view line) {
    if (line.starts_with(u"exe=")) {
        m_settings.navigatorPath = line.substr(4);
    } else if (line.starts_with(u"tourgen=")) {
        m_settings.tourGenerator = line.substr(8);
    } else if (line.starts_with(u"param=")) {
        m_settings.lastParamLine = std::u16string(line.substr(6));
        m_settings.telephoneLayout = lowerCase(line).find(u"tel") != std::u16string::npos;
    }
}

ParameterSet parametersInForce(const ScriptSettings& script, std::u16string_view commandLine) {
    if (!commandLine.empty())
        return parseParameters(commandLine);
    if (script.lastParamLine)
        return parseParameters(*script.lastParamLine);
    return ParameterSet();
}

} // namespace lokaro
