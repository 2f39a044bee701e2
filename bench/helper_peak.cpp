// The peak memory of a program's picture helpers: every INTERVAL_MS until ended (SIGTERM) or
// until PID ends, finds the processes below PID named vlm-decode* and reads their peak resident
// memory (VmHWM), which only grows while a helper lives. Prints "KIB HELPERS": the largest peak
// seen and how many helpers were seen. A helper that lives less than one interval may be missed.
//   helper_peak PID INTERVAL_MS
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <map>
#include <set>
#include <signal.h>
#include <string>
#include <thread>

namespace {

volatile std::sig_atomic_t ended = 0;

struct Process {
    int parent = 0;
    std::string name;
};

std::map<int, Process> processes() {
    std::map<int, Process> all;
    DIR* proc = opendir("/proc");
    if (!proc)
        return all;
    while (dirent* entry = readdir(proc)) {
        const int pid = std::atoi(entry->d_name);
        if (pid <= 0)
            continue;
        std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
        std::string line;
        if (!std::getline(stat, line))
            continue;
        // pid (name) state ppid ...: the name may hold spaces and parentheses.
        const auto open = line.find('('), close = line.rfind(')');
        if (open == std::string::npos || close == std::string::npos)
            continue;
        all[pid] = {std::atoi(line.c_str() + close + 4), line.substr(open + 1, close - open - 1)};
    }
    closedir(proc);
    return all;
}

bool below(const std::map<int, Process>& all, int pid, int ancestor) {
    for (int depth = 0; depth < 16 && pid > 1; ++depth) {
        const auto it = all.find(pid);
        if (it == all.end())
            return false;
        pid = it->second.parent;
        if (pid == ancestor)
            return true;
    }
    return false;
}

long peakKib(int pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0)
            return std::atol(line.c_str() + 6);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s PID INTERVAL_MS\n", argv[0]);
        return 2;
    }
    std::signal(SIGTERM, [](int) { ended = 1; });
    const int program = std::atoi(argv[1]);
    const auto interval = std::chrono::milliseconds(std::atoi(argv[2]));
    long peak = 0;
    std::set<int> seen;
    while (!ended && kill(program, 0) == 0) {
        const std::map<int, Process> all = processes();
        for (const auto& [pid, process] : all) {
            // vlm-decode and vlm-decode-common (whose name the kernel cuts to 15 letters)
            if (!process.name.starts_with("vlm-decode") || !below(all, pid, program))
                continue;
            seen.insert(pid);
            const long kib = peakKib(pid);
            peak = kib > peak ? kib : peak;
        }
        std::this_thread::sleep_for(interval);
    }
    std::printf("%ld %zu\n", peak, seen.size());
    return 0;
}
