#include <gtest/gtest.h>

#include <windows.h>

#include "ErrorOf.h"
#include "Exception.h"
#include "FileIO.h"
#include "HTTPRequest.h"
#include "ScriptedHttpServer.h"
#include "Text.h"

namespace {

const std::string Delimiter = "-------------------------------7cf87224d2020a";

std::string Part(const std::string& name, const std::string& value)
{
    return Delimiter + "\r\nContent-Disposition: form-data; name=\"" + name + "\"\r\n\r\n" + value + "\r\n";
}

class FormPostTest : public ::testing::Test {
protected:
    void SetUp() override { server.SetReply(ScriptedReply{}); }

    ScriptedHttpServer server;
    THTTPRequest request{nullptr};
};

} // namespace

TEST_F(FormPostTest, MethodAndContentType)
{
    EXPECT_EQ(request.RequestMethod(), "GET");
    EXPECT_EQ(request.ContentType, "");
    request.SetRequestMethod("post");
    EXPECT_EQ(request.RequestMethod(), "POST");
    EXPECT_EQ(request.ContentType, "application/x-www-form-urlencoded");
    request.SetRequestMethod("put");
    EXPECT_EQ(request.ContentType, "application/x-www-form-urlencoded");
    request.SetMultipartPOST(true);
    EXPECT_EQ(request.RequestMethod(), "POST");
    EXPECT_EQ(request.ContentType, "multipart/form-data; boundary=-----------------------------7cf87224d2020a");
    request.SetRequestMethod("GET");
    EXPECT_EQ(request.ContentType, "");
}

TEST_F(FormPostTest, UrlEncodedBodies)
{
    request.SetRequestMethod("POST");
    request.postStr = "b=2";
    request.ExecuteURL(server.Url("/form?a=1"));
    RecordedRequest sent = server.LastRequest();
    EXPECT_EQ(sent.RequestLine, "POST /form HTTP/1.0");
    EXPECT_EQ(sent.Body, "a=1&b=2");
    EXPECT_EQ(sent.Header("Content-Type"), "application/x-www-form-urlencoded");
    EXPECT_TRUE(request.postStr.empty());

    request.postStr = std::string("b=2\0c=3", 7);
    request.ExecuteURL(server.Url("/form"));
    EXPECT_EQ(server.LastRequest().Body, "b=2");
    EXPECT_EQ(server.LastRequest().Header("Content-Type"), "application/x-www-form-urlencoded")
        << "a second post sends the same header";

    request.SetRequestMethod("PUT");
    request.ExecuteURL(server.Url("/put?k=v"));
    sent = server.LastRequest();
    EXPECT_EQ(sent.RequestLine, "PUT /put HTTP/1.0");
    EXPECT_EQ(sent.Body, "k=v");
    EXPECT_EQ(sent.Header("Content-Type"), "");
}

TEST_F(FormPostTest, PostDataWithGetIsRefused)
{
    request.postStr = "b=2";
    EXPECT_EQ(ErrorOf([&] { request.ExecuteURL(server.Url("/")); }), "No poststr allowed in GET method");
    EXPECT_EQ(ErrorOf([&] { request.AddMultipartVar("a", L"1"); }), "HTTP: not in multipart mode");
}

TEST_F(FormPostTest, MultipartBodies)
{
    request.SetMultipartPOST(true);
    request.ExecuteURL(server.Url("/upload?a=1&b=2"));
    RecordedRequest sent = server.LastRequest();
    EXPECT_EQ(sent.RequestLine, "POST /upload HTTP/1.0");
    EXPECT_EQ(sent.Header("Content-Type"), "multipart/form-data; boundary=-----------------------------7cf87224d2020a");
    EXPECT_EQ(sent.Body, Part("a", "1") + Part("b", "2") + Delimiter + "--\r\n");

    request.AddMultipartVar("note", L"caf\u00e9");
    request.AddMultipartStream("data", [] {
        auto stream = std::make_unique<TMemoryStream>();
        stream->Write(std::string(48, 'x'));
        return stream;
    }());
    request.postStr = "c=3";
    request.ExecuteURL(server.Url("/upload"));
    std::string base64;
    for (int i = 0; i < 16; ++i)
        base64 += "eHh4";
    EXPECT_EQ(server.LastRequest().Body, Part("note", WideToAnsi(L"caf\u00e9")) + Part("data", base64 + "\r") +
                                             Part("c", "3") + Delimiter + "--\r\n");

    request.ExecuteURL(server.Url("/upload?only=this"));
    EXPECT_EQ(server.LastRequest().Body, Part("only", "this") + Delimiter + "--\r\n")
        << "variables are emptied after each request";
}

TEST_F(FormPostTest, MultipartErrorsAndFiles)
{
    request.SetMultipartPOST(true);
    const size_t before = server.RequestCount();
    EXPECT_EQ(ErrorOf([&] { request.ExecuteURL(server.Url("/upload")); }), "multipart error: no variables to post");
    EXPECT_EQ(ErrorOf([&] { request.ExecuteURL(server.Url("/upload?a=1&b")); }), "could not convert b to multipart");
    request.AddMultipartVar("kept", L"no");
    EXPECT_EQ(ErrorOf([&] { request.ExecuteURL(server.Url("/upload?a=")); }), "could not convert a= to multipart");
    EXPECT_EQ(server.RequestCount(), before);
    EXPECT_EQ(ErrorOf([&] { request.ExecuteURL(server.Url("/upload")); }), "multipart error: no variables to post")
        << "variables are emptied after a failed request too";

    EXPECT_NE(ErrorOf([&] { request.AddMultipartFile("f", "Z:\\no\\such\\file.bin"); }), "(no error)");
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    const std::wstring path = std::wstring(folder) + L"soriel_upload.bin";
    WriteFileAtomically(path, "ab");
    request.AddMultipartFile(std::string(300, 'n'), Narrow(path));
    DeleteFileW(path.c_str());
    request.ExecuteURL(server.Url("/upload"));
    EXPECT_EQ(server.LastRequest().Body, Part(std::string(255, 'n'), "YWI=") + Delimiter + "--\r\n");
}
