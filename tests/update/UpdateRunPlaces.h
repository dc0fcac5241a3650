#pragma once
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "ScriptedHttpServer.h"
#include "UpdateTestSupport.h"

// What whole update runs against a loopback server share: the server, the folders, and the
// ways to read what the server saw and what the update log shows.

// The folders of one run: files land in target; work is the current folder while the run
// lasts, holding the update log, the stand-in programs and their marks.
class RunPlaces {
    // Before the server, which answers from it until it stops.
    std::map<std::string, std::string> served_;
    bool challenge_ = false;

public:
    RunPlaces();
    ~RunPlaces();
    RunPlaces(const RunPlaces&) = delete;
    RunPlaces& operator=(const RunPlaces&) = delete;

    ScriptedHttpServer server;
    ScratchFolder target;
    ScratchFolder work;
    std::vector<std::string> events; // handlers that were raised, in order

    // The text with SERVER, TARGET and WORK put in.
    std::string Filled(std::string text) const;
    // Serves these bodies by request target (SERVER put in), anything else as not found.
    // When challenging, a request without credentials is answered 401 (Basic) instead.
    void Serve(const std::map<std::string, std::string>& bodies, bool challenge = false);
    // A stand-in program (UpdaterProbe.cpp, "steady" or "failing") under this name in work:
    // it notes its identity and arguments in work's marks.txt.
    void PlaceProbe(const char* identity, const std::string& name) const;
    // The lines of marks.txt, sorted.
    std::vector<std::string> Marks() const;
    // The requests the server saw, as Seen writes them.
    std::vector<std::string> Requests() const;
    // The status ids of the update log in work, in order.
    std::vector<int> LoggedIds() const;

private:
    wchar_t previousFolder_[MAX_PATH] = {};
};

// The target of a request; a proxied one as an address without the default port.
std::string TargetOf(const RecordedRequest& request);
// Method and target, with the credentials the request carried and the connection it asked for.
std::string Seen(const RecordedRequest& request);
// Whether the wanted ids occur in this order among all.
bool InOrderWithin(const std::vector<int>& wanted, const std::vector<int>& all);
