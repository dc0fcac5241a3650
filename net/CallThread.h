#pragma once
#include <functional>
#include <memory>
#include <string>

// A thread of one transfer's own for its blocking calls (a request's send, each read of its
// reply), while the transfer's thread waits for each within the transfer's limits: WinInet
// (Wine's, at least) goes on with a call for as long as a server trickles what it waits for
// (a reply's head, a chunk-size line, a TLS record), whatever its time-outs.
//
// A call given up on is left to end by itself: its transfer closes its handles, which ends
// it on Windows; Wine's goes on until the server stops. So only so many given-up calls may be
// under way, by server ("host:port"), so that one server that holds them cannot stop the
// transfers to another, and in all, so that servers on ever new ports cannot gather threads
// and their buffers without end.
class CallThread {
public:
    static constexpr int kMostGivenUpPerServer = 8;
    static constexpr int kMostGivenUp = 16;

    enum class Room { Free, ServerFull, AllFull };
    // Whether a new call to server may be made, as far as given-up calls go.
    static Room RoomFor(const std::string& server);

    CallThread() = default;
    // An idle thread ends; one busy with a call given up on ends after it.
    ~CallThread();
    CallThread(const CallThread&) = delete;
    CallThread& operator=(const CallThread&) = delete;

    // Makes the thread unless it is there; false when the system gives none.
    bool Ready();
    // Makes call (to server) on the thread, which must be Ready, and waits for it, calling
    // whileWaiting every few tens of milliseconds. When whileWaiting raises, the call is given
    // up on and the exception passes on; a later Run needs a thread made afresh. What call
    // uses must be its own (held by the function), as it may outlive the caller.
    void Run(const std::string& server, std::function<void()> call, const std::function<void()>& whileWaiting);

private:
    struct Shared;
    static void Serve(const std::shared_ptr<Shared>& shared);
    void GiveUp();

    std::shared_ptr<Shared> shared_;
};
