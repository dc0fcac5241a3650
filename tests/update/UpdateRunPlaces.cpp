#include "UpdateRunPlaces.h"

#include <algorithm>
#include <regex>
#include <stdexcept>

#include "AppPath.h"
#include "StringList.h"
#include "Text.h"

RunPlaces::RunPlaces()
{
    GetCurrentDirectoryW(MAX_PATH, previousFolder_);
    SetCurrentDirectoryW(Widen(work.Path()).c_str());
}

RunPlaces::~RunPlaces() { SetCurrentDirectoryW(previousFolder_); }

std::string RunPlaces::Filled(std::string text) const
{
    const std::pair<std::string, std::string> places[] = {
        {"SERVER", server.Url("")}, {"TARGET", target.Path()}, {"WORK", work.Path()}};
    for (const auto& [name, value] : places)
        for (size_t at; (at = text.find(name)) != std::string::npos;)
            text.replace(at, name.size(), value);
    return text;
}

void RunPlaces::Serve(const std::map<std::string, std::string>& bodies, bool challenge)
{
    for (const auto& [target, body] : bodies)
        served_[Filled(target)] = body;
    challenge_ = challenge;
    server.SetHandler([this](const RecordedRequest& request) {
        if (challenge_ && request.Header("Authorization").empty())
            return ScriptedReply{.Status = 401,
                                 .Reason = "Unauthorized",
                                 .Headers = {"WWW-Authenticate: Basic realm=\"soriel\""}};
        return ServedOrNotFound(served_, TargetOf(request));
    });
}

void RunPlaces::PlaceProbe(const char* identity, const std::string& name) const
{
    const std::wstring built = GetAppPath() + Widen(identity) + L"_probe.exe";
    if (!CopyFileW(built.c_str(), Widen(work.File(name)).c_str(), FALSE))
        throw std::runtime_error("cannot place " + name);
}

std::vector<std::string> RunPlaces::Marks() const
{
    TStringList lines;
    lines.SetText(work.Read("marks.txt").value_or(""));
    std::vector<std::string> marks = lines.Lines();
    std::sort(marks.begin(), marks.end());
    return marks;
}

std::vector<std::string> RunPlaces::Requests() const
{
    std::vector<std::string> requests;
    for (const RecordedRequest& request : server.Requests())
        requests.push_back(Seen(request));
    return requests;
}

std::vector<int> RunPlaces::LoggedIds() const
{
    const std::string log = work.Read("AUPDATE.LOG").value_or("");
    const std::regex id(R"( : \[(\d+)\] )");
    std::vector<int> ids;
    for (auto it = std::sregex_iterator(log.begin(), log.end(), id); it != std::sregex_iterator(); ++it)
        ids.push_back(std::stoi((*it)[1]));
    return ids;
}

// Wine writes the default port into the addresses it sends to a proxy, Windows leaves it out.
std::string TargetOf(const RecordedRequest& request)
{
    std::string target = request.Target;
    const size_t hostEnd = target.rfind("http://", 0) == 0 ? target.find('/', 7) : std::string::npos;
    if (hostEnd != std::string::npos && target.compare(hostEnd - 3, 3, ":80") == 0)
        target.erase(hostEnd - 3, 3);
    return target;
}

std::string Seen(const RecordedRequest& request)
{
    std::string line = request.RequestLine.substr(0, request.RequestLine.find(' ') + 1) + TargetOf(request);
    for (const char* header : {"Authorization", "Proxy-Authorization", "Connection"})
        if (std::string value = request.Header(header); !value.empty())
            line += std::string(" [") + header + ": " + value + "]";
    return line;
}

bool InOrderWithin(const std::vector<int>& wanted, const std::vector<int>& all)
{
    auto at = all.begin();
    for (int id : wanted) {
        at = std::find(at, all.end(), id);
        if (at == all.end())
            return false;
        ++at;
    }
    return true;
}
