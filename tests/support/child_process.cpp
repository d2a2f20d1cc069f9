#include "child_process.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace testing_support {
namespace {

std::vector<std::string> MergedEnvironment(const std::vector<std::string>& extra) {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        const auto name = entry.substr(0, entry.find('=') + 1);
        bool replaced = false;
        for (const auto& x : extra)
            replaced = replaced || x.starts_with(name);
        if (!replaced)
            env.push_back(entry);
    }
    env.insert(env.end(), extra.begin(), extra.end());
    return env;
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
    std::vector<char*> p;
    for (auto& s : strings)
        p.push_back(s.data());
    p.push_back(nullptr);
    return p;
}

int Spawn(std::vector<std::string> argv, const std::vector<std::string>& extraEnv,
          const std::optional<std::string>& input, int outWrite, int errWrite) {
    int inPipe[2] = {-1, -1};
    if (input && pipe2(inPipe, O_CLOEXEC) != 0)
        return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (input)
        posix_spawn_file_actions_adddup2(&actions, inPipe[0], 0);
    else
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    if (outWrite >= 0)
        posix_spawn_file_actions_adddup2(&actions, outWrite, 1);
    if (errWrite >= 0)
        posix_spawn_file_actions_adddup2(&actions, errWrite, 2);
    auto env = MergedEnvironment(extraEnv);
    auto envp = Pointers(env);
    auto args = Pointers(argv);
    pid_t pid = -1;
    if (posix_spawn(&pid, args[0], &actions, nullptr, args.data(), envp.data()) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    if (input) {
        close(inPipe[0]);
        // Test inputs are small: they fit the pipe's buffer, so this cannot block.
        const char* p = input->data();
        std::size_t left = input->size();
        while (left > 0) {
            const ssize_t n = write(inPipe[1], p, left);
            if (n <= 0)
                break;
            p += n;
            left -= static_cast<std::size_t>(n);
        }
        close(inPipe[1]);
    }
    return pid;
}

int DecodeStatus(int status) {
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status);
    return -1;
}

} // namespace

ChildProcess::ChildProcess(std::vector<std::string> argv, std::vector<std::string> env,
                           std::optional<std::string> input) {
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0)
        return;
    m_pid = Spawn(std::move(argv), env, input, out[1], -1);
    close(out[1]);
    m_out = out[0];
}

ChildProcess::~ChildProcess() {
    if (m_pid > 0 && !m_status) {
        Kill(SIGKILL);
        Wait();
    }
    if (m_out >= 0)
        close(m_out);
}

std::optional<std::string> ChildProcess::ReadLine(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (const auto nl = m_buffer.find('\n'); nl != std::string::npos) {
            std::string line = m_buffer.substr(0, nl);
            m_buffer.erase(0, nl + 1);
            return line;
        }
        if (m_out < 0)
            return std::nullopt;
        const auto left =
            std::max<long long>(0, std::chrono::duration_cast<std::chrono::milliseconds>(
                                       deadline - std::chrono::steady_clock::now())
                                       .count());
        pollfd p{m_out, POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(left)) <= 0)
            return std::nullopt;
        char chunk[4096];
        const ssize_t n = read(m_out, chunk, sizeof chunk);
        if (n <= 0) {
            if (m_buffer.empty())
                return std::nullopt;
            std::string rest;
            rest.swap(m_buffer);
            return rest;
        }
        m_buffer.append(chunk, static_cast<std::size_t>(n));
    }
}

std::string ChildProcess::ReadAll() {
    std::string all;
    all.swap(m_buffer);
    char chunk[4096];
    while (m_out >= 0) {
        const ssize_t n = read(m_out, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        all.append(chunk, static_cast<std::size_t>(n));
    }
    Wait();
    return all;
}

void ChildProcess::Kill(int signal) {
    if (m_pid > 0 && !m_status)
        ::kill(m_pid, signal);
}

int ChildProcess::Wait() {
    if (m_pid <= 0)
        return -1;
    if (!m_status) {
        int status = 0;
        while (waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
        }
        m_status = DecodeStatus(status);
    }
    return *m_status;
}

RunResult Run(std::vector<std::string> argv, std::vector<std::string> env,
              std::optional<std::string> input) {
    RunResult result;
    int out[2], err[2];
    if (pipe2(out, O_CLOEXEC) != 0)
        return result;
    if (pipe2(err, O_CLOEXEC) != 0) {
        close(out[0]);
        close(out[1]);
        return result;
    }
    const int pid = Spawn(std::move(argv), env, input, out[1], err[1]);
    close(out[1]);
    close(err[1]);
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    std::string* sinks[2] = {&result.out, &result.err};
    int open = 2;
    while (open > 0) {
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP)))
                continue;
            char chunk[4096];
            const ssize_t n = read(fds[i].fd, chunk, sizeof chunk);
            if (n > 0) {
                sinks[i]->append(chunk, static_cast<std::size_t>(n));
            } else {
                close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            }
        }
    }
    if (pid > 0) {
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        result.exitCode = DecodeStatus(status);
    }
    return result;
}

} // namespace testing_support
