#include "Process.h"

#include <fstream>
#include <iterator>

namespace e2e {

std::optional<int> Run(const Program& program, std::chrono::milliseconds timeout) {
    ChildProcess child(program);
    return child.Wait(timeout);
}

std::string ReadFile(const std::string& hostPath) {
    std::ifstream in(hostPath, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const std::string& hostPath, const std::string& text) {
    std::ofstream out(hostPath, std::ios::binary | std::ios::trunc);
    out << text;
}

} // namespace e2e
