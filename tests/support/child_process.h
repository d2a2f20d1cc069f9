#pragma once

// Another process for tests: started with posix_spawn, its standard output read through a
// pipe, ended on destruction if still running.

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace testing_support {

class ChildProcess {
public:
    // argv[0] is the program's path. env entries "NAME=VALUE" are added to this process's
    // environment. stdin is /dev/null unless input is given, which is written and closed.
    ChildProcess(std::vector<std::string> argv, std::vector<std::string> env = {},
                 std::optional<std::string> input = std::nullopt);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Started() const { return m_pid > 0; }
    int Pid() const { return m_pid; }

    // The next line of standard output without its newline; nullopt at end of output or
    // when the time-out passes first.
    std::optional<std::string>
    ReadLine(std::chrono::milliseconds timeout = std::chrono::seconds(20));
    // Everything it writes until it closes its output; then waits for it.
    std::string ReadAll();

    void Kill(int signal = 9);
    // Waits for the end; the exit code, or 128 + signal number when a signal ended it.
    int Wait();

private:
    int m_pid = -1;
    int m_out = -1;
    std::string m_buffer;
    std::optional<int> m_status;
};

struct RunResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs a program to its end and collects both outputs.
RunResult Run(std::vector<std::string> argv, std::vector<std::string> env = {},
              std::optional<std::string> input = std::nullopt);

} // namespace testing_support
