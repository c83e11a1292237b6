// velmora_wayland_filter REAL_SOCKET FILTER_SOCKET INTERFACE...: a Wayland proxy for the tests.
// Clients that connect to FILTER_SOCKET reach the compositor at REAL_SOCKET as usual, except
// that the compositor's globals named INTERFACE never reach them: the test session uses it to
// turn a protocol off (screen copy) for the program under test alone. Once the filter gets
// SIGUSR1, the compositor's answers to the clients' round trips (wl_callback.done for a
// wl_display.sync) are held back for good, as from a compositor that has stopped answering,
// while its other events still pass. Messages are passed on byte for byte with their file
// descriptors; only wl_registry.global events (and the global_remove of the globals hidden) and
// held answers are dropped. Runs until killed.
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

std::set<std::string> hidden;
volatile sig_atomic_t holdingAnswers = 0;

void HoldAnswers(int) {
    holdingAnswers = 1;
}

// A stream socket and the address of `path` for it; -1 when the path is too long for an
// address or no socket is given.
int UnixSocket(const std::string& path, sockaddr_un& address) {
    address = sockaddr_un{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) return -1;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
}

int Listen(const std::string& path) {
    sockaddr_un address;
    const int fd = UnixSocket(path, address);
    if (fd < 0) return -1;
    unlink(path.c_str());
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(fd, 16) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

int Connect(const std::string& path) {
    sockaddr_un address;
    const int fd = UnixSocket(path, address);
    if (fd < 0) return -1;
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

std::uint32_t Word(const std::vector<std::uint8_t>& b, std::size_t at) {
    std::uint32_t v;
    std::memcpy(&v, &b[at], 4);
    return v;
}

// Reads what is there (bytes and descriptors); false at the end of the stream, or when
// descriptors were lost.
bool Receive(int fd, std::vector<std::uint8_t>& bytes, std::vector<int>& fds) {
    std::uint8_t buffer[4096];
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int) * 28)];
    iovec io{buffer, sizeof buffer};
    msghdr message{};
    message.msg_iov = &io;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    const ssize_t n = recvmsg(fd, &message, MSG_CMSG_CLOEXEC);
    if (n <= 0) return false;
    for (cmsghdr* c = CMSG_FIRSTHDR(&message); c; c = CMSG_NXTHDR(&message, c)) {
        if (c->cmsg_level != SOL_SOCKET || c->cmsg_type != SCM_RIGHTS) continue;
        const std::size_t count = (c->cmsg_len - CMSG_LEN(0)) / sizeof(int);
        for (std::size_t i = 0; i < count; ++i) {
            int passed;
            std::memcpy(&passed, CMSG_DATA(c) + i * sizeof(int), sizeof(int));
            fds.push_back(passed);
        }
    }
    // Descriptors that did not fit were closed by the kernel: the stream can't be passed on
    // whole any more, so the connection ends rather than leaving its peer waiting for them.
    if (message.msg_flags & MSG_CTRUNC) return false;
    bytes.insert(bytes.end(), buffer, buffer + n);
    return true;
}

// Sends `bytes` and the descriptors (closing them here afterwards).
bool Send(int fd, const std::vector<std::uint8_t>& bytes, std::vector<int>& fds) {
    std::size_t sent = 0;
    while (sent < bytes.size() || !fds.empty()) {
        iovec io{const_cast<std::uint8_t*>(bytes.data()) + sent, bytes.size() - sent};
        msghdr message{};
        message.msg_iov = &io;
        message.msg_iovlen = 1;
        std::vector<char> control;
        if (!fds.empty()) {
            control.resize(CMSG_SPACE(sizeof(int) * fds.size()));
            message.msg_control = control.data();
            message.msg_controllen = control.size();
            cmsghdr* c = CMSG_FIRSTHDR(&message);
            c->cmsg_level = SOL_SOCKET;
            c->cmsg_type = SCM_RIGHTS;
            c->cmsg_len = CMSG_LEN(sizeof(int) * fds.size());
            std::memcpy(CMSG_DATA(c), fds.data(), sizeof(int) * fds.size());
        }
        if (bytes.size() == sent) {
            // Descriptors need at least one byte to travel with; none are left here, so keep
            // them for the next message.
            return true;
        }
        const ssize_t n = sendmsg(fd, &message, MSG_NOSIGNAL);
        if (n <= 0) return false;
        for (int passed : fds) close(passed);
        fds.clear();
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

// One client and its own connection to the compositor.
struct Pair {
    int client = -1, server = -1;
    std::vector<std::uint8_t> fromClient, fromServer;  // bytes not yet a whole message
    std::vector<int> clientFds, serverFds;
    std::set<std::uint32_t> registries;   // the client's wl_registry objects
    std::set<std::uint32_t> hiddenNames;  // the globals it never saw
    std::set<std::uint32_t> syncs;        // the callbacks of its round trips not yet answered

    ~Pair() {
        if (client >= 0) close(client);
        if (server >= 0) close(server);
        for (int fd : clientFds) close(fd);
        for (int fd : serverFds) close(fd);
    }

    // Whole messages from the client, passed on; wl_display.sync and get_registry noted.
    bool FromClient() {
        std::vector<std::uint8_t> out;
        std::size_t at = 0;
        while (fromClient.size() - at >= 8) {
            const std::uint32_t size = Word(fromClient, at + 4) >> 16;
            if (size < 8 || fromClient.size() - at < size) break;
            const std::uint32_t opcode = Word(fromClient, at + 4) & 0xFFFF;
            if (Word(fromClient, at) == 1 && opcode == 0 && size >= 12)
                syncs.insert(Word(fromClient, at + 8));
            if (Word(fromClient, at) == 1 && opcode == 1 && size >= 12)
                registries.insert(Word(fromClient, at + 8));
            at += size;
        }
        out.assign(fromClient.begin(), fromClient.begin() + static_cast<std::ptrdiff_t>(at));
        fromClient.erase(fromClient.begin(), fromClient.begin() + static_cast<std::ptrdiff_t>(at));
        return out.empty() && clientFds.empty() ? true : Send(server, out, clientFds);
    }

    // Whole messages from the compositor, passed on but for the hidden globals and, once
    // holding, the answers to round trips.
    bool FromServer() {
        std::vector<std::uint8_t> out;
        std::size_t at = 0;
        while (fromServer.size() - at >= 8) {
            const std::uint32_t object = Word(fromServer, at);
            const std::uint32_t size = Word(fromServer, at + 4) >> 16;
            const std::uint32_t opcode = Word(fromServer, at + 4) & 0xFFFF;
            if (size < 8 || fromServer.size() - at < size) break;
            bool drop = false;
            if (registries.count(object) && opcode == 0 && size >= 16) {
                const std::uint32_t name = Word(fromServer, at + 8);
                const std::uint32_t length = Word(fromServer, at + 12);
                if (length > 0 && 16 + length <= size) {
                    const std::string interface(reinterpret_cast<const char*>(&fromServer[at + 16]),
                                                length - 1);
                    if (hidden.count(interface)) {
                        drop = true;
                        hiddenNames.insert(name);
                    }
                }
            } else if (registries.count(object) && opcode == 1 && size >= 12) {
                drop = hiddenNames.count(Word(fromServer, at + 8)) > 0;
            } else if (syncs.count(object) && opcode == 0) {
                drop = holdingAnswers != 0;
                syncs.erase(object);  // answered or held: the id may name another object next
            }
            if (!drop)
                out.insert(out.end(), fromServer.begin() + static_cast<std::ptrdiff_t>(at),
                           fromServer.begin() + static_cast<std::ptrdiff_t>(at + size));
            at += size;
        }
        fromServer.erase(fromServer.begin(), fromServer.begin() + static_cast<std::ptrdiff_t>(at));
        return out.empty() ? true : Send(client, out, serverFds);
    }
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s REAL_SOCKET FILTER_SOCKET INTERFACE...\n", argv[0]);
        return 2;
    }
    for (int i = 3; i < argc; ++i) hidden.insert(argv[i]);
    // Restarted calls: a signal in the middle of passing a message on must not end the
    // connection.
    struct sigaction hold = {};
    hold.sa_handler = HoldAnswers;
    hold.sa_flags = SA_RESTART;
    sigaction(SIGUSR1, &hold, nullptr);
    const std::string real = argv[1];
    const int listener = Listen(argv[2]);
    if (listener < 0) {
        std::perror("velmora_wayland_filter: listen");
        return 1;
    }
    std::vector<std::unique_ptr<Pair>> pairs;
    while (true) {
        std::vector<pollfd> polls = {{listener, POLLIN, 0}};
        for (auto& p : pairs) {
            polls.push_back({p->client, POLLIN, 0});
            polls.push_back({p->server, POLLIN, 0});
        }
        if (poll(polls.data(), polls.size(), -1) < 0) continue;
        // Only the pairs that were polled are served here: polls[1 + 2 * i] and polls[2 + 2 * i]
        // belong to pairs[i] while both hold the same pairs, so a client accepted in this round
        // joins them after the loop and is first polled in the next round.
        for (std::size_t i = 0; i < pairs.size();) {
            Pair& p = *pairs[i];
            const pollfd& c = polls[1 + 2 * i];
            const pollfd& s = polls[2 + 2 * i];
            bool alive = true;
            if (c.revents & (POLLIN | POLLHUP | POLLERR))
                alive = Receive(p.client, p.fromClient, p.clientFds) && p.FromClient();
            if (alive && (s.revents & (POLLIN | POLLHUP | POLLERR)))
                alive = Receive(p.server, p.fromServer, p.serverFds) && p.FromServer();
            if (alive) {
                ++i;
            } else {
                pairs.erase(pairs.begin() + static_cast<std::ptrdiff_t>(i));
                polls.erase(polls.begin() + 1 + 2 * static_cast<std::ptrdiff_t>(i),
                            polls.begin() + 3 + 2 * static_cast<std::ptrdiff_t>(i));
            }
        }
        if (polls[0].revents & POLLIN) {
            auto pair = std::make_unique<Pair>();
            pair->client = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
            pair->server = Connect(real);
            if (pair->client >= 0 && pair->server >= 0) pairs.push_back(std::move(pair));
        }
    }
}
