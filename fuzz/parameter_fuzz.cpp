// Fuzz target: lokaro's configuration script and parameter lines. The input
// is a script, one line a line; a first line starting with "!" is taken as
// the command line instead. Seeded from fuzz/corpus-parameters/.
#include "startup/ParameterSet.h"

#include <cstdint>
#include <cstdlib>
#include <string>

using namespace lokaro;

namespace {

void check(bool condition) {
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Bytes as characters of the same value, as the device's code page reads
    // the letters that matter.
    const std::u16string input(data, data + size);
    std::u16string commandLine;
    size_t start = 0;
    if (!input.empty() && input[0] == u'!') {
        start = input.find(u'\n');
        commandLine = input.substr(1, start == std::u16string::npos ? input.size() : start - 1);
        start = start == std::u16string::npos ? input.size() : start + 1;
    }
    ScriptReader reader(u"\\nav.exe");
    while (start < input.size()) {
        size_t end = input.find(u'\n', start);
        if (end == std::u16string::npos)
            end = input.size();
        // The script reader cuts lines to 255 characters.
        reader.readLine(
            std::u16string_view(input).substr(start, std::min<size_t>(end - start, 255)));
        start = end + 1;
    }
    const ParameterSet p = parametersInForce(reader.settings(), commandLine);

    check(p.backlight.size() <= 2 && p.notunnels.size() <= 2);
    check(p.backlight.empty() || p.backlight[0] != u' ');
    // Keys sharing a buffer never both come through.
    check(!(p.copy && !p.regkey.empty()));
    check(!(p.copy && p.gotoFile));
    check(!(p.deleteFile && (p.copy || !p.regkey.empty())));
    if (p.copy) {
        check(p.copy->from.find(u'|') == std::u16string::npos);
        check(p.copy->to.find(u'|') == std::u16string::npos);
    }
    // Everything the parser keeps is lower case.
    for (const std::u16string* text : {&p.sendkey, &p.regkey})
        check(lowerCase(*text) == *text);
    if (p.route)
        check(lowerCase(*p.route) == *p.route);
    // Parsing the same line twice gives the same set: nothing is left over
    // from an earlier parse.
    if (!commandLine.empty()) {
        const ParameterSet again = parseParameters(commandLine);
        check(again.window == p.window && again.route == p.route &&
              again.refused.size() == p.refused.size() && again.lklickson == p.lklickson);
    }
    return 0;
}
