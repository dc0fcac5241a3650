#include "NewsPages.h"

#include "Application.h"
#include "Forms.h"
#include "ProgramUnderTest.h"
#include "RichEdit.h"
#include "Text.h"

std::string Today()
{
    wchar_t date[80] = {};
    GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, date, 80, nullptr);
    return Narrow(date);
}

std::string NewsPage(const std::vector<ItemRow>& rows)
{
    std::string page = "<html><body><table>\r\n";
    for (const ItemRow& row : rows)
        page += "<tr>\r\n       <td class=\"date\">" + row.timeOfDay + "</td>\r\n<td>" + row.encodedText + "</td>\r\n</tr>\r\n";
    return page + "</table></body></html>\r\n";
}

ScriptedReply Page(const std::vector<ItemRow>& rows)
{
    ScriptedReply reply;
    reply.Headers = {"Content-Type: text/html"};
    reply.Body = NewsPage(rows);
    return reply;
}

std::string NewsPage(const std::string& timeOfDay, const std::string& encodedText)
{
    return NewsPage(std::vector<ItemRow>{{timeOfDay, encodedText}});
}

ScriptedReply Page(const std::string& timeOfDay, const std::string& encodedText)
{
    return Page(std::vector<ItemRow>{{timeOfDay, encodedText}});
}

std::string Settings(const ScriptedHttpServer& server, const std::string& sound, int pollSeconds)
{
    return "[Sources]\r\nNewsURL=" + server.Url("/index.php/zpravodajstvy") +
           "\r\nPollSeconds=" + std::to_string(pollSeconds) + "\r\n" + kQuietUpdate + "[Settings]\r\nSound=" + sound + "\r\n";
}

size_t Count(const std::string& text, const std::string& part)
{
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

std::string LongNewsLog(int items, size_t textLength)
{
    // The head as a box with the log's font writes it; the entries are plain ASCII lines.
    TApplication application;
    auto* form = new TForm(&application);
    auto* box = new TRichEdit(form);
    box->Color = clBlack;
    box->Font.Set("Tahoma", FontHeightForPoints(8), clWhite, fsBold, EASTEUROPE_CHARSET);
    box->SetParent(form);
    box->AppendText("title\r");
    const std::string sample = box->SaveToRtf();
    std::string rtf = sample.substr(0, sample.find("title"));
    for (int i = 0; i < items; ++i) {
        std::string text = "text " + std::to_string(i);
        text.resize(std::max(text.size(), textLength), ' ');
        rtf += "Old item " + std::to_string(i) + "\\par\r\n" + text + "\\par\r\n\\par\r\n";
    }
    return rtf + "\\par\r\n}";
}

std::optional<std::string> RichTextOf(const std::string& rtf)
{
    TApplication application;
    auto* form = new TForm(&application);
    auto* box = new TRichEdit(form);
    box->SetParent(form);
    try {
        box->LoadFromBytes(rtf);
    } catch (const std::exception&) {
        return std::nullopt;
    }
    return box->Text();
}
