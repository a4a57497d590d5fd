// benchtime: runs a command several times and reports its median wall time and the peak
// resident memory of the child.
//
//   benchtime [--runs N] [--label NAME] [--stdout FILE] [--json] [--against SHELL-COMMAND]
//             -- COMMAND ARGS...
//
// Output (one line):
//   benchtime label=NAME runs=N median_ms=M min_ms=A max_ms=B peak_rss_kb=K
// or with --json:
//   {"label":"NAME","runs":N,"median_ms":M,"min_ms":A,"max_ms":B,"peak_rss_kb":K}
// With --against, the other command runs just before each run of COMMAND, so that both see
// the same machine, and the line adds against_median_ms and ratio (the median of the ratios
// of the pairs).

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char kUsage[] =
    "Usage: benchtime [--runs N] [--label NAME] [--stdout FILE] [--json]\n"
    "                 [--against SHELL-COMMAND] -- COMMAND ARGS...\n"
    "Runs COMMAND N times (default 5), its output to /dev/null unless --stdout names a\n"
    "file, and prints the median wall time and the child's peak resident memory. With\n"
    "--against, SHELL-COMMAND runs before each run and the median ratio of the pairs is\n"
    "printed too.\n";

[[noreturn]] void Usage(const std::string& problem) {
    std::fprintf(stderr, "benchtime: %s\n\n%s", problem.c_str(), kUsage);
    std::exit(2);
}

struct Run {
    double ms = 0;
    long maxRssKb = 0;
};

// Escapes what JSON needs; labels are expected to be plain words.
std::string JsonText(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        if (static_cast<unsigned char>(c) < 0x20) continue;
        out += c;
    }
    return out + "\"";
}

Run RunOnce(char** command, const std::string& stdoutPath) {
    const int out = ::open(stdoutPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (out < 0) {
        std::fprintf(stderr, "benchtime: cannot open %s: %s\n", stdoutPath.c_str(),
                     std::strerror(errno));
        std::exit(1);
    }
    const auto started = std::chrono::steady_clock::now();
    const pid_t child = ::fork();
    if (child < 0) {
        std::fprintf(stderr, "benchtime: fork: %s\n", std::strerror(errno));
        std::exit(1);
    }
    if (child == 0) {
        if (::dup2(out, STDOUT_FILENO) < 0) _exit(127);
        ::execvp(command[0], command);
        std::fprintf(stderr, "benchtime: cannot run %s: %s\n", command[0], std::strerror(errno));
        _exit(127);
    }
    ::close(out);
    int status = 0;
    struct rusage usage {};
    pid_t done;
    do {
        done = ::wait4(child, &status, 0, &usage);
    } while (done < 0 && errno == EINTR);
    const auto ended = std::chrono::steady_clock::now();
    if (done < 0) {
        std::fprintf(stderr, "benchtime: wait4: %s\n", std::strerror(errno));
        std::exit(1);
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        if (WIFEXITED(status)) {
            std::fprintf(stderr, "benchtime: %s exited with %d\n", command[0], WEXITSTATUS(status));
        } else {
            std::fprintf(stderr, "benchtime: %s ended by signal %d\n", command[0],
                         WIFSIGNALED(status) ? WTERMSIG(status) : 0);
        }
        std::exit(1);
    }
    return Run{std::chrono::duration<double, std::milli>(ended - started).count(), usage.ru_maxrss};
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
    int runs = 5;
    std::string label = "run";
    std::string stdoutPath = "/dev/null";
    bool json = false;
    std::string against;
    int i = 1;
    for (; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--") {
            ++i;
            break;
        }
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) Usage(arg + " needs a value");
            return argv[++i];
        };
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (arg == "--runs") {
            const std::string text = value();
            char* end = nullptr;
            const long n = std::strtol(text.c_str(), &end, 10);
            if (text.empty() || *end != '\0' || n < 1 || n > 1000) {
                Usage("--runs takes a number from 1 to 1000");
            }
            runs = int(n);
        } else if (arg == "--label") {
            label = value();
        } else if (arg == "--stdout") {
            stdoutPath = value();
        } else if (arg == "--json") {
            json = true;
        } else if (arg == "--against") {
            against = value();
        } else {
            Usage("unknown option " + arg + " (the command goes after --)");
        }
    }
    if (i >= argc) Usage("no command given after --");
    char** command = argv + i;

    char shell[] = "/bin/sh";
    char dashC[] = "-c";
    char* other[] = {shell, dashC, against.data(), nullptr};
    std::vector<double> times, otherTimes, ratios;
    long peakKb = 0;
    for (int r = 0; r < runs; ++r) {
        if (!against.empty()) otherTimes.push_back(RunOnce(other, "/dev/null").ms);
        const Run run = RunOnce(command, stdoutPath);
        times.push_back(run.ms);
        peakKb = std::max(peakKb, run.maxRssKb);
        if (!against.empty() && otherTimes.back() > 0) {
            ratios.push_back(run.ms / otherTimes.back());
        }
    }
    const auto [least, most] = std::minmax_element(times.begin(), times.end());
    const std::size_t n = times.size();
    const double median = Median(times);
    std::string pair;
    if (!against.empty()) {
        char text[96];
        std::snprintf(text, sizeof text,
                      json ? ",\"against_median_ms\":%.1f,\"ratio\":%.3f"
                           : " against_median_ms=%.1f ratio=%.3f",
                      Median(otherTimes), ratios.empty() ? 0.0 : Median(ratios));
        pair = text;
    }
    if (json) {
        std::printf(
            "{\"label\":%s,\"runs\":%zu,\"median_ms\":%.1f,\"min_ms\":%.1f,\"max_ms\":%.1f,"
            "\"peak_rss_kb\":%ld%s}\n",
            JsonText(label).c_str(), n, median, *least, *most, peakKb, pair.c_str());
    } else {
        std::printf(
            "benchtime label=%s runs=%zu median_ms=%.1f min_ms=%.1f max_ms=%.1f "
            "peak_rss_kb=%ld%s\n",
            label.c_str(), n, median, *least, *most, peakKb, pair.c_str());
    }
    return 0;
}
