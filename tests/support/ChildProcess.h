#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>
#include <string>
#include <vector>

// A child's standard output and error: on the test's pipes unless closed; the output's pipe
// may lose its reader at once.
struct ChildStreams {
  bool closeOut = false, closeErr = false, outReaderGone = false;
};

// A program run by a test, with its standard output and error on pipes (or as ChildStreams
// say).
class ChildProcess {
 public:
  explicit ChildProcess(const std::vector<std::string>& command, ChildStreams streams = {}) {
    int out[2], err[2];
    if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) {
      throw std::runtime_error("pipe failed");
    }
    pid_ = fork();
    if (pid_ < 0) throw std::runtime_error("fork failed");
    if (pid_ == 0) {
      dup2(out[1], STDOUT_FILENO);
      dup2(err[1], STDERR_FILENO);
      if (streams.closeOut) close(STDOUT_FILENO);
      if (streams.closeErr) close(STDERR_FILENO);
      // A signal ignored by the test's own process would stay ignored in the program.
      signal(SIGPIPE, SIG_DFL);
      std::vector<char*> argv;
      for (const std::string& part : command) argv.push_back(const_cast<char*>(part.c_str()));
      argv.push_back(nullptr);
      execv(argv[0], argv.data());
      _exit(127);
    }
    close(out[1]);
    close(err[1]);
    out_ = out[0];
    err_ = err[0];
    if (streams.outReaderGone) {
      close(out_);
      out_ = -1;
    }
  }
  ~ChildProcess() {
    if (pid_ > 0 && !reaped_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    if (out_ >= 0) close(out_);
    close(err_);
  }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // The first line of standard output, or "" when none came within `timeout`.
  std::string ReadLine(std::chrono::milliseconds timeout) {
    auto deadline = std::chrono::steady_clock::now() + timeout;
    while (stdout_.find('\n') == std::string::npos) {
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - std::chrono::steady_clock::now());
      pollfd ready{out_, POLLIN, 0};
      if (left.count() <= 0 || poll(&ready, 1, static_cast<int>(left.count())) <= 0) return "";
      if (!Drain(out_, stdout_)) return "";
    }
    std::string line = stdout_.substr(0, stdout_.find('\n'));
    stdout_.erase(0, line.size() + 1);
    return line;
  }

  // Reads the standard error until `text` appears in it, or `timeout` passed; true on the
  // former. What was read stays for Err().
  bool WaitForErr(const std::string& text, std::chrono::milliseconds timeout) {
    auto deadline = std::chrono::steady_clock::now() + timeout;
    while (stderr_.find(text) == std::string::npos) {
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - std::chrono::steady_clock::now());
      pollfd ready{err_, POLLIN, 0};
      if (left.count() <= 0 || poll(&ready, 1, static_cast<int>(left.count())) <= 0) return false;
      if (!Drain(err_, stderr_)) return false;
    }
    return true;
  }

  // Reads both outputs to their end and returns the exit status (-1 when killed by a signal).
  int Wait() {
    bool outOpen = out_ >= 0, errOpen = true;
    while (outOpen || errOpen) {
      pollfd fds[2] = {{outOpen ? out_ : -1, POLLIN, 0}, {errOpen ? err_ : -1, POLLIN, 0}};
      if (poll(fds, 2, -1) < 0) continue;
      if (fds[0].revents && !Drain(out_, stdout_)) outOpen = false;
      if (fds[1].revents && !Drain(err_, stderr_)) errOpen = false;
    }
    int status = 0;
    waitpid(pid_, &status, 0);
    reaped_ = true;
    killedBy_ = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  // The signal that ended the program, 0 when it exited.
  int KilledBy() const { return killedBy_; }

  void Signal(int number) { kill(pid_, number); }
  const std::string& Out() const { return stdout_; }
  const std::string& Err() const { return stderr_; }

 private:
  static bool Drain(int fd, std::string& into) {
    char chunk[4096];
    ssize_t got = read(fd, chunk, sizeof chunk);
    if (got <= 0) return false;
    into.append(chunk, static_cast<size_t>(got));
    return true;
  }

  pid_t pid_ = -1;
  bool reaped_ = false;
  int killedBy_ = 0;
  int out_ = -1, err_ = -1;
  std::string stdout_, stderr_;
};
