#pragma once
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "ScriptedHttpServer.h"

// What a hostile reply is made for: the address a client fetches from the hostile server,
// what a good reply there would carry, and the most bytes the client takes from it.
struct HostileTarget {
    std::string address;
    unsigned short port = 0;
    std::string content;
    size_t sizeLimit = 0;
    // A file:/// address of a local file that holds the same content.
    std::string localAddress;
    // How long the client's transfer may take: a reply can stall just before it runs out.
    unsigned allowanceMs = 0;
    // Where the further servers a reply leads to are kept, for as long as the target's own.
    std::vector<std::unique_ptr<ScriptedHttpServer>>* servers = nullptr;
};

// One way a server goes bad. Each reply carries (or points at) the good content, so that
// a client that takes it where it should not shows it.
struct HostileReply {
    const char* name;
    ScriptedReply (*make)(const HostileTarget& target);
    // A refusal by HTTP status, with the content as its page: bad only for a client that
    // examines the status (the poll and the post read an error page like any other reply).
    bool errorStatus = false;
    // Carries nothing of the content: a client that takes it takes bytes it cannot tell from
    // a reply unless it knows their digest.
    bool garbage = false;
};

// Stalls (one just before the client's time runs out), trickles (of a body, a header line, a
// chunk-size line), cuts, oversized and bomb bodies, garbage, endless headers, redirects where
// a client must not follow or to a listener that trickles, refusals and silence.
const std::vector<HostileReply>& HostileReplies();

// A 302 to that location.
ScriptedReply Redirect(const std::string& location);

// A header line sent a byte at a time for as long as the server runs: a client that gives up
// on it may leave the send under way (Wine's WinInet goes on reading it).
ScriptedReply TrickledHead();

// A file in the temporary folder, removed with the object: where a redirect to a file leads.
class LocalFile {
public:
    explicit LocalFile(const std::string& content);
    ~LocalFile();
    LocalFile(const LocalFile&) = delete;
    LocalFile& operator=(const LocalFile&) = delete;

    std::string Url() const;

private:
    std::wstring path_;
};
