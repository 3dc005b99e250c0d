#pragma once

#include <atomic>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>
#include <vector>

// A stand-in for one simulated interface as docs/virtual-hid.md describes it: it writes the
// descriptor and lock file, listens on the socket, and answers every packet with the same
// packet (byte 1 incremented, so an answer can be told from an echo of our own buffer).
class HidSocketPeer {
public:
    HidSocketPeer(std::string folder, std::string stem, int interfaceNumber = -1,
                  std::string serial = "")
        : folder_(std::move(folder)), stem_(std::move(stem)) {
        std::ofstream(File(".desc.tmp"))
            << "vendor=04d9\nproduct=8008\nserial=" << serial << "\ninterface=" << interfaceNumber
            << "\ninput_report_length=64\noutput_report_length=64\n"
            << "future_key=ignored\n";
        std::rename(File(".desc.tmp").c_str(), File(".desc").c_str());
        std::ofstream(File(".lock"));
    }
    ~HidSocketPeer() {
        Unplug();
        unlink(File(".desc").c_str());
        unlink(File(".lock").c_str());
    }

    std::string File(const char* suffix) const { return folder_ + "/" + stem_ + suffix; }

    // Binds without listening: the socket file exists but takes no connections.
    void BindOnly() {
        listen_ = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const std::string path = File(".sock");
        path.copy(address.sun_path, sizeof address.sun_path - 1);
        bind(listen_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    }

    void Plug() {
        if (listen_ < 0)
            BindOnly();
        listen(listen_, 16);
        if (pipe2(stop_, O_CLOEXEC) != 0)
            return;
        thread_ = std::thread([this] { Serve(); });
    }

    // Removal order of the contract: the socket file, then the connections.
    void Unplug() {
        if (listen_ < 0)
            return;
        unlink(File(".sock").c_str());
        if (thread_.joinable()) {
            [[maybe_unused]] ssize_t n = write(stop_[1], "x", 1);
            thread_.join();
            close(stop_[0]);
            close(stop_[1]);
        }
        close(listen_);
        listen_ = -1;
    }

    int Answered() const { return answered_.load(); }

private:
    void Serve() {
        std::vector<int> clients;
        for (;;) {
            std::vector<pollfd> fds = {{stop_[0], POLLIN, 0}, {listen_, POLLIN, 0}};
            for (int c : clients)
                fds.push_back({c, POLLIN, 0});
            if (poll(fds.data(), fds.size(), -1) < 0)
                continue;
            if (fds[0].revents)
                break;
            if (fds[1].revents & POLLIN)
                clients.push_back(accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC));
            for (std::size_t i = 2; i < fds.size(); ++i) {
                if (!fds[i].revents)
                    continue;
                unsigned char packet[256];
                const ssize_t n = recv(fds[i].fd, packet, sizeof packet, 0);
                if (n <= 0) {
                    close(fds[i].fd);
                    clients.erase(std::find(clients.begin(), clients.end(), fds[i].fd));
                    continue;
                }
                if (n > 1)
                    ++packet[1];
                send(fds[i].fd, packet, static_cast<std::size_t>(n), MSG_NOSIGNAL);
                ++answered_;
            }
        }
        for (int c : clients)
            close(c);
    }

    std::string folder_;
    std::string stem_;
    int listen_ = -1;
    int stop_[2] = {-1, -1};
    std::thread thread_;
    std::atomic<int> answered_{0};
};
