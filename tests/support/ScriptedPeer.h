// SPDX-License-Identifier: MIT
#pragma once
// A peer on 127.0.0.1 that plays a fixed script against one client
// connection in a thread of its own: what a real server won't do on demand
// (split or merged replies, silence, a sudden close).

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace tarifuhr::test {

class ScriptedPeer {
 public:
  // Listens on `port`, or on a free port when it is 0; throws when the
  // port can't be had.
  explicit ScriptedPeer(int port = 0) {
    listen_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int one = 1;
    ::setsockopt(listen_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (::bind(listen_, reinterpret_cast<sockaddr*>(&addr), len) != 0 || ::listen(listen_, 4) != 0) {
      ::close(listen_);
      throw std::runtime_error("cannot listen on 127.0.0.1:" + std::to_string(port));
    }
    ::getsockname(listen_, reinterpret_cast<sockaddr*>(&addr), &len);
    port_ = ntohs(addr.sin_port);
  }
  ~ScriptedPeer() {
    if (thread_.joinable()) thread_.join();
    if (conn_ >= 0) ::close(conn_);
    ::close(listen_);
  }
  int Port() const { return port_; }

  // Script steps, run in order after the client has connected.
  ScriptedPeer& Send(std::string bytes) {
    return Step([this, bytes] { ::send(conn_, bytes.data(), bytes.size(), MSG_NOSIGNAL); });
  }
  // Reads one CR LF terminated line (5 s at most) into Received().
  ScriptedPeer& ReadLine() {
    return Step([this] { ReadOneLine(); });
  }
  // ReadLine and Send for each reply in turn.
  ScriptedPeer& Replies(std::initializer_list<std::string> replies) {
    for (const std::string& r : replies) ReadLine().Send(r);
    return *this;
  }
  ScriptedPeer& Pause(int ms) {
    return Step([ms] { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); });
  }
  ScriptedPeer& Close() {
    return Step([this] {
      ::close(conn_);
      conn_ = -1;
    });
  }
  // Reads lines through the first one equal to `last` (an SMTP message's ".").
  ScriptedPeer& ReadThrough(std::string last) {
    return Step([this, last] {
      while (ReadOneLine() && received_.back() != last) {
      }
    });
  }
  // Keeps reading lines until the client closes (5 s at most).
  ScriptedPeer& ReadUntilClosed() {
    return Step([this] {
      while (ReadOneLine()) {
      }
    });
  }

  void Start() {
    thread_ = std::thread([this] {
      pollfd p{listen_, POLLIN, 0};
      if (::poll(&p, 1, 5000) <= 0) return;
      conn_ = ::accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC);
      for (auto& step : steps_)
        if (conn_ >= 0) step();
    });
  }
  // Waits for the script to end, then returns the lines read.
  std::vector<std::string> Received() {
    if (thread_.joinable()) thread_.join();
    return received_;
  }

 private:
  ScriptedPeer& Step(std::function<void()> step) {
    steps_.push_back(std::move(step));
    return *this;
  }
  bool ReadOneLine() {
    std::string line;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (line.size() < 2 || line.compare(line.size() - 2, 2, "\r\n") != 0) {
      pollfd p{conn_, POLLIN, 0};
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0) return false;
      char c;
      if (::recv(conn_, &c, 1, 0) != 1) {
        if (!line.empty()) received_.push_back(line);
        return false;
      }
      line += c;
    }
    received_.push_back(line.substr(0, line.size() - 2));
    return true;
  }

  int listen_ = -1, conn_ = -1, port_ = 0;
  std::vector<std::function<void()>> steps_;
  std::vector<std::string> received_;
  std::thread thread_;
};

}  // namespace tarifuhr::test
