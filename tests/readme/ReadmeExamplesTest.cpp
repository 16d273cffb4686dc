// Every example in a ```bash block of README.md is run exactly as printed,
// through bash, in a scratch folder holding a copy of the sample device tree,
// so that an example a reader pastes works as the README says it does.
#include "Process.h"
#include "platform/testing/temp_device.h"

#include <arpa/inet.h>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sstream>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct Example {
    int line = 0;        // in README.md, for messages
    std::string command; // as printed
};

std::vector<Example> ReadExamples(const std::string& readme) {
    std::vector<Example> examples;
    std::istringstream in(readme);
    std::string text;
    bool inBash = false;
    bool inOther = false;
    for (int line = 1; std::getline(in, text); ++line) {
        if (text.rfind("```", 0) == 0) {
            if (inBash || inOther)
                inBash = inOther = false;
            else if (text == "```bash")
                inBash = true;
            else
                inOther = true;
            continue;
        }
        if (inBash && !text.empty() && text[0] != '#')
            examples.push_back({line, text});
    }
    return examples;
}

// The program an example runs: its first word after leading NAME=VALUE settings.
std::string ProgramOf(const std::string& command) {
    std::istringstream words(command);
    std::string word;
    while (words >> word) {
        const auto equals = word.find('=');
        if (equals == std::string::npos || word.compare(0, 3, "CE_") != 0)
            return word;
        // A quoted value may hold blanks: skip to its closing quote.
        if (equals + 1 < word.size() && word[equals + 1] == '\'' &&
            word.find('\'', equals + 2) == std::string::npos) {
            std::string rest;
            std::getline(words, rest, '\'');
        }
    }
    return {};
}

// Exit codes as the README documents them.
int ExpectedExit(const std::string& program) {
    return program == "hortel" ? 1 : 0;
}

// The device file a hortel save example names, read as a reader reads it:
// the text after the flags, without its quotes.
std::optional<std::string> HortelSaveTarget(const std::string& command) {
    const auto start = command.find("hortel ");
    if (start == std::string::npos)
        return std::nullopt;
    std::string rest = command.substr(start + 7);
    const auto blank = rest.find(' ');
    if (blank == std::string::npos || rest.substr(0, blank).find('s') == std::string::npos)
        return std::nullopt;
    std::string path = rest.substr(blank + 1);
    if (path.size() >= 2 && (path.front() == '\'' || path.front() == '"') &&
        path.back() == path.front())
        path = path.substr(1, path.size() - 2);
    for (char& c : path)
        if (c == '\\')
            c = '/';
    return path;
}

// Without CE_PORTS the dashboard reads the local gpsd.
bool NeedsGpsd(const std::string& command, const std::string& program) {
    return command.find("gpsd:") != std::string::npos ||
           (program == "velvane" && command.find("CE_PORTS=") == std::string::npos);
}

bool PortFree(int port) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(static_cast<uint16_t>(port));
    const bool free = bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    close(fd);
    return free;
}

bool Accepts(int port) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(static_cast<uint16_t>(port));
    const bool ok = connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    close(fd);
    return ok;
}

std::string FindProgram(const char* name) {
    for (const char* dir : {"/usr/bin/", "/usr/sbin/", "/usr/local/bin/", "/usr/local/sbin/"}) {
        std::string path = std::string(dir) + name;
        if (access(path.c_str(), X_OK) == 0)
            return path;
    }
    return {};
}

// gpsfake on gpsd's own port, so that the gpsd example runs as printed.
class FakeGpsd {
public:
    ~FakeGpsd() {
        if (m_pid > 0) {
            kill(-m_pid, SIGTERM); // gpsfake and the gpsd it started share this group
            int status = 0;
            waitpid(m_pid, &status, 0);
        }
    }
    // Empty when it runs, else why not.
    std::string Start(const fs::path& log, const fs::path& output) {
        const std::string gpsfake = FindProgram("gpsfake");
        if (gpsfake.empty() || FindProgram("gpsd").empty())
            return "gpsd and gpsfake are not installed (Debian packages gpsd, gpsd-clients)";
        if (!PortFree(kPort))
            return "gpsd's port 2947 is taken on this machine";
        m_pid = fork();
        if (m_pid < 0)
            return "cannot fork";
        if (m_pid == 0) {
            setpgid(0, 0);
            // Its own chatter (D-Bus, say) is not the example's.
            const int fd = open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (fd >= 0) {
                dup2(fd, 1);
                dup2(fd, 2);
                close(fd);
            }
            execl(gpsfake.c_str(), "gpsfake", "-q", "-n", "-c", "0.05", "-P", "2947", log.c_str(),
                  static_cast<char*>(nullptr));
            _exit(127);
        }
        setpgid(m_pid, m_pid);
        for (int i = 0; i < 200; ++i) {
            if (Accepts(kPort))
                return {};
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return "gpsfake did not listen on port 2947 within 20 s";
    }

private:
    static constexpr int kPort = 2947;
    pid_t m_pid = -1;
};

class ReadmeExamples : public ::testing::Test {
protected:
    platform::testing::TempDevice scratch;
    fs::path device = scratch.Root() / "device";
    fs::path script = scratch.Root() / "wait.script";
    fs::path transcript = scratch.Root() / "transcript.txt";
    fs::path output = scratch.Root() / "output.txt";

    void SetUp() override {
        fs::copy(fs::path(SUITE_SOURCE_DIR) / "samples" / "device", device,
                 fs::copy_options::recursive);
        // The dashboard would run until told to stop.
        e2e::WriteFile(script.string(), "wait 2000\nquit\n");
    }

    std::optional<int> Run(const std::string& command) {
        fs::remove(transcript);
        std::string path;
        for (const char* program :
             {VELVANE_BIN, HORTEL_BIN, CEREG_BIN, LOKARO_BIN, DRIVEGEN_BIN, CEINI_BIN})
            path += fs::path(program).parent_path().string() + ":";
        const char* ours = std::getenv("PATH");
        path += ours ? ours : "/usr/bin:/bin";
        // eval parses the line as bash parses a pasted one. timeout ends the
        // whole process group, so a program bash started never outlives the
        // test; 124 means it did not end in time.
        return e2e::Run({"/usr/bin/timeout",
                         {"-k", "2", "15", "/bin/bash", "-c",
                          "cd -- \"$EXAMPLE_DIR\" || exit 125; eval \"$EXAMPLE\""},
                         {{"EXAMPLE", command},
                          {"EXAMPLE_DIR", scratch.Root().string()},
                          {"PATH", path},
                          {"CE_ROOT", device.string()},
                          {"CE_REGISTRY", device.string() + ".registry"},
                          {"CE_BACKEND", "headless"},
                          {"CE_SCRIPT", script.string()},
                          {"CE_TRANSCRIPT", transcript.string()},
                          {"CE_PORTS", ""}}, // as unset: the local gpsd
                         output.string(),
                         output.string()},
                        std::chrono::seconds(20));
    }
};

} // namespace

TEST(ReadmeExampleParts, ProgramsAndSaveTargetsAreFoundAsAReaderSeesThem) {
    struct {
        const char* command;
        const char* program;
        const char* saveTarget; // nullptr: none
    } const cases[] = {
        {"cereg dump 'HKCU\\Software'", "cereg", nullptr},
        {"CE_PORTS='COM1=gpsd:' velvane", "velvane", nullptr},
        {"CE_PORTS='COM1=replay:a b.nmea,loop' CE_SCREEN=800x480 velvane", "velvane", nullptr},
        {"hortel s '\\Storage Card\\my backup.reg'", "hortel", "/Storage Card/my backup.reg"},
        {"hortel s \\Storage Card\\my backup.reg", "hortel", "/Storage Card/my backup.reg"},
        {"hortel r '\\x.reg'", "hortel", nullptr},
        {"ceini check --as gps device/GPS/GPS.ini", "ceini", nullptr},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ProgramOf(c.command), c.program) << c.command;
        const auto target = HortelSaveTarget(c.command);
        EXPECT_EQ(target.value_or("(none)"), c.saveTarget ? c.saveTarget : "(none)") << c.command;
    }
    EXPECT_TRUE(NeedsGpsd("velvane", "velvane")) << "the default port is the local gpsd";
    EXPECT_TRUE(NeedsGpsd("CE_PORTS='COM1=gpsd:' velvane", "velvane"));
    EXPECT_FALSE(NeedsGpsd("CE_PORTS='COM1=replay:a.nmea' velvane", "velvane"));
    EXPECT_FALSE(NeedsGpsd("ceini check x.ini", "ceini"));
}

TEST_F(ReadmeExamples, EachRunsAsPrintedAndEndsAsDocumented) {
    const auto examples =
        ReadExamples(e2e::ReadFile((fs::path(SUITE_SOURCE_DIR) / "README.md").string()));
    ASSERT_FALSE(examples.empty()) << "the README's ```bash blocks hold the examples";

    FakeGpsd gpsd;
    std::string gpsdMissing;
    bool gpsdTried = false;

    for (const auto& example : examples) {
        SCOPED_TRACE("README.md:" + std::to_string(example.line) + ": " + example.command);
        const std::string program = ProgramOf(example.command);
        ASSERT_TRUE(program == "velvane" || program == "hortel" || program == "cereg" ||
                    program == "lokaro" || program == "drivegen" || program == "ceini")
            << "not one of the programs: " << program;

        if (NeedsGpsd(example.command, program)) {
            if (!gpsdTried) {
                gpsdTried = true;
                gpsdMissing =
                    gpsd.Start(device / "GPS" / "drive.nmea", scratch.Root() / "gpsfake.txt");
            }
            if (!gpsdMissing.empty()) {
                std::cout << "not run, " << gpsdMissing << ": " << example.command << "\n";
                continue;
            }
        }

        const auto target = program == "hortel" ? HortelSaveTarget(example.command) : std::nullopt;
        if (target)
            fs::remove(device / fs::path(target->substr(1)));

        EXPECT_EQ(Run(example.command), ExpectedExit(program)) << e2e::ReadFile(output.string());
        if (target) {
            const fs::path written = device / fs::path(target->substr(1));
            EXPECT_TRUE(fs::is_regular_file(written) && fs::file_size(written) > 0)
                << "no backup at " << written;
        }
        if (program == "velvane") {
            const std::string events = e2e::ReadFile(transcript.string());
            EXPECT_EQ(events.find("COM-Port kann nicht"), std::string::npos)
                << events << e2e::ReadFile(output.string());
        }
    }
}
