// hrzctl on inputs at its size bound (16 MiB): noise, a file of F0 bytes, and
// 66,000 preset dumps. Each run's peak memory must stay within 20 times the
// input and its time within 2 s; the ratio is the worst run against those
// goals (at most 1 passes).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <random>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;
namespace fs = std::filesystem;

namespace {

constexpr std::size_t kSize = 16u * 1024u * 1024u;
constexpr double kMemoryFactor = 20.0;
constexpr double kSecondsGoal = 2.0;

std::vector<unsigned char> Noise() {
    std::mt19937 random(2026);
    std::vector<unsigned char> bytes(kSize);
    for (auto& b : bytes)
        b = static_cast<unsigned char>(random());
    return bytes;
}

// Preset dumps back to back, as many as fit.
std::vector<unsigned char> Dumps() {
    std::vector<unsigned char> dump(252, 0);
    const unsigned char header[] = {0xF0, 0x1A, 0x00, 0x12, 0x05};
    std::copy(std::begin(header), std::end(header), dump.begin());
    for (int i = 0; i < 16; ++i)
        dump[121 + 2 * i] = static_cast<unsigned char>("Bench preset    "[i]);
    for (int p = 17; p < 121; p += 2)
        dump[p] = 10;
    dump[251] = 0xF7;
    std::vector<unsigned char> bytes;
    bytes.reserve(kSize);
    while (bytes.size() + dump.size() <= kSize)
        bytes.insert(bytes.end(), dump.begin(), dump.end());
    return bytes;
}

struct TRun {
    double Seconds = 0;
    double PeakBytes = 0;
    int Status = -1;
};

TRun Run(const std::string& program, const std::vector<std::string>& args) {
    std::vector<std::string> all{program};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = -1;
    TRun run;
    if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ) != 0)
        return run;
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    run.Seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.PeakBytes = static_cast<double>(usage.ru_maxrss) * 1024.0;
    run.Status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    posix_spawn_file_actions_destroy(&actions);
    return run;
}

} // namespace

int main(int argc, char** argv) {
    const std::string program = argc > 1 ? argv[1] : HRZCTL_PROGRAM;
    const fs::path dir =
        fs::temp_directory_path() / ("hrz_bench_hrzctl_" + std::to_string(getpid()));
    fs::create_directories(dir);
    const auto write = [&](const char* name, const std::vector<unsigned char>& bytes) {
        std::ofstream(dir / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        return (dir / name).string();
    };
    const std::string noise = write("noise.bin", Noise());
    const std::string starts = write("starts.syx", std::vector<unsigned char>(kSize, 0xF0));
    const std::string dumps = write("dumps.syx", Dumps());
    const std::vector<std::vector<std::string>> cases = {
        {"check", noise},  {"check", "--json", noise},
        {"check", starts}, {"check", "--json", starts},
        {"show", starts},  {"mpt", starts},
        {"show", noise},   {"check", dumps},
        {"show", dumps},   {"show", "--json", dumps},
        {"mpt", dumps},
    };
    double worst = 0;
    for (const auto& args : cases) {
        const TRun run = Run(program, args);
        const double memory = run.PeakBytes / (kMemoryFactor * kSize);
        const double time = run.Seconds / kSecondsGoal;
        std::string line;
        for (const auto& a : args)
            line += fs::path(a).filename().string() + " ";
        std::printf("%-26s exit %d  %6.2f s  %7.1f MB peak  (memory %.2f, time %.2f of goal)\n",
                    line.c_str(), run.Status, run.Seconds, run.PeakBytes / 1e6, memory, time);
        if (run.Status > 2)
            worst = std::max(worst, 99.0); // a crash
        worst = std::max({worst, memory, time});
    }
    fs::remove_all(dir);
    std::printf("ratio: %.2f\n", worst);
    return worst <= 1.0 ? 0 : 1;
}
