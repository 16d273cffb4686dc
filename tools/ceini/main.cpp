// ceini: settings files between the form the programs read (UTF-16 with a
// byte-order mark, CR LF) and the form Linux editors write (UTF-8), and a
// check that says what the program would say about a file.
#include "IniCheck.h"
#include "IniEncoding.h"
#include "platform/error.h"
#include "platform/file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int ExitFailure = 1;
constexpr int ExitUsage = 2;

std::string Usage() {
    return "usage: ceini check [--as KIND] FILE...\n"
           "       ceini utf16 [--as KIND] FILE [OUT]\n"
           "       ceini utf8 FILE [OUT]\n"
           "check  reads each FILE as the program does and prints what it would report\n"
           "utf16  writes FILE (UTF-8 or UTF-16) in the form the programs read: UTF-16LE with\n"
           "       a byte-order mark, lines ending in CR LF; then checks it\n"
           "utf8   writes FILE as UTF-8 with LF line ends, for editing\n"
           "Without OUT the file is replaced; a failure leaves it as it was. FILE and OUT\n"
           "are paths on this machine. KIND names the program's reader for the file:\n"
           "  form    any section and key: the file's form only (the default)\n"
           "  main    Velvane.ini;  gps  the GPS settings;  menu  a menu style\n"
           "  config  a configuration\n"
           "  a configuration section name, for that component's skin:\n"
           "          " +
           ceini::CheckKinds().substr(ceini::CheckKinds().find("config, ") + 8) + "\n";
}

int BadUsage(const std::string& why) {
    std::fprintf(stderr, "ceini: %s\n%s", why.c_str(), Usage().c_str());
    return ExitUsage;
}

std::optional<std::string> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "ceini: cannot read %s: %s\n", path.c_str(), std::strerror(errno));
        return std::nullopt;
    }
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// Beside the target, then renamed over it: a full disk or a crash never
// leaves half a settings file. A replaced file keeps its permissions.
bool WriteBytes(const std::string& path, const std::string& bytes) {
    std::filesystem::path temp;
    const int fd = platform::CreateTemporaryBeside(path, temp);
    if (fd < 0) {
        std::fprintf(stderr, "ceini: cannot write %s: %s\n", path.c_str(),
                     platform::LastError().message.c_str());
        return false;
    }
    struct stat old {};
    ::fchmod(fd, ::stat(path.c_str(), &old) == 0 ? old.st_mode & 07777 : 0644);
    int err = 0;
    for (size_t done = 0; !err && done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n > 0)
            done += static_cast<size_t>(n);
        else if (errno != EINTR)
            err = errno;
    }
    if (!err && ::fsync(fd) != 0)
        err = errno;
    ::close(fd);
    if (!err && std::rename(temp.c_str(), path.c_str()) != 0)
        err = errno;
    if (err) {
        std::fprintf(stderr, "ceini: cannot write %s: %s\n", path.c_str(), std::strerror(err));
        std::filesystem::remove(temp);
    }
    return !err;
}

int Check(const std::string& file, const std::string& kind) {
    std::string why;
    const auto report = ceini::CheckSettingsFile(file, kind, why);
    if (!report)
        return BadUsage(why);
    for (const std::string& message : report->messages)
        std::printf("%s: %s\n", file.c_str(), message.c_str());
    if (!report->note.empty())
        std::printf("%s: note: %s\n", file.c_str(), report->note.c_str());
    if (!report->read) {
        std::printf("%s: not read\n", file.c_str());
        if (auto bytes = ReadBytes(file); bytes && !ceini::IsDeviceForm(*bytes))
            std::printf("%s: the programs read UTF-16 with a byte-order mark; \"ceini utf16 "
                        "FILE\" converts it\n",
                        file.c_str());
        return ExitFailure;
    }
    if (report->messages.empty())
        std::printf("%s: ok (%s)\n", file.c_str(), kind.c_str());
    return report->messages.empty() ? 0 : ExitFailure;
}

enum class Form { Device, Editor };

int Convert(Form form, const std::string& file, const std::string& out, const std::string& kind) {
    const auto bytes = ReadBytes(file);
    if (!bytes)
        return ExitFailure;
    std::string why;
    const auto text = ceini::DecodeSettingsText(*bytes, why);
    if (!text) {
        std::fprintf(stderr, "ceini: %s: %s\n", file.c_str(), why.c_str());
        return ExitFailure;
    }
    const std::string converted =
        form == Form::Device ? ceini::EncodeDeviceForm(*text) : ceini::EncodeEditorForm(*text);
    const std::string& target = out.empty() ? file : out;
    if (out.empty() && converted == *bytes)
        std::printf("%s: already in that form, left as it was\n", file.c_str());
    else if (!WriteBytes(target, converted))
        return ExitFailure;
    else
        std::printf("%s: written as %s\n", target.c_str(),
                    form == Form::Device ? "UTF-16 with byte-order mark, CR LF" : "UTF-8, LF");
    return form == Form::Device ? Check(target, kind) : 0;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty())
        return BadUsage("no command");
    const std::string command = args[0];
    args.erase(args.begin());
    std::string kind = "form";
    if (args.size() >= 2 && args[0] == "--as") {
        kind = args[1];
        args.erase(args.begin(), args.begin() + 2);
        if (command == "utf8")
            return BadUsage(
                "utf8 writes no file the programs read; --as belongs to check and utf16");
    }
    if (command == "check") {
        if (args.empty())
            return BadUsage("check needs a FILE");
        int result = 0;
        for (const std::string& file : args) {
            const int one = Check(file, kind);
            if (one == ExitUsage)
                return one;
            result = result ? result : one;
        }
        return result;
    }
    if (command == "utf16" || command == "utf8") {
        if (args.empty() || args.size() > 2)
            return BadUsage(command + " needs FILE and at most one OUT");
        return Convert(command == "utf16" ? Form::Device : Form::Editor, args[0],
                       args.size() == 2 ? args[1] : std::string(), kind);
    }
    return BadUsage("unknown command \"" + command + "\"");
}
