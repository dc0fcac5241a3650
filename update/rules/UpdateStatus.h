#pragma once
#include <string>
#include <string_view>

#include "ControlDate.h"

// Numbers of the update run's messages; 909 to 911 are prompt texts, 953 to 955 have no text.
enum UpdateStatusId : int {
    usDownloadFilePrompt = 909,
    usDownloadFilesPrompt = 910,
    usShutdownPrompt = 911,
    usEqualFiles = 912,
    usLocalFileNotFound = 913,
    usZeroLengthSource = 914,
    usDownload = 915,
    usHttpStatus = 916,
    usInternetFileNotFound = 917,
    usCheckingConnection = 918,
    usPromptConnection = 919,
    usOpeningConnection = 920,
    usFoundConnection = 921,
    usCannotOpenConnection = 922,
    usConnectToHost = 923,
    usControlFileNotFound = 925,
    usControlFileFound = 926,
    usInvalidSignature = 927,
    usDateUpdateFound = 928,
    usNewVersionFound = 929,
    usNoNewVersion = 930,
    usChecksumUpdateFound = 931,
    usSizeUpdateFound = 932,
    usVersionUpdateFound = 933,
    usMessageInstruction = 934,
    usHtmlDialogInstruction = 935,
    usQueryInstruction = 936,
    usWhatsNewInstruction = 937,
    usWhatsNewDeclined = 938,
    usAgreementInstruction = 939,
    usRedirectionInstruction = 941,
    usShowURLInstruction = 942,
    usFileUpdateInstruction = 943,
    usCannotDownloadFile = 946,
    usCabError = 947,
    usFinished = 948,
    usClosedConnection = 949,
    usSpawnFailed = 950,
    usPostConnectFailed = 951,
    usPostResourceFailed = 952,
    usDialFailed = 953,
    usFtpClosed = 954,
    usHangup = 955,
    usSerialRefused = 956,
    usRunStopped = 957,
    usOlderVersionRefused = 958,
    usTextRefused = 959,
    usAddressRefused = 960,
    usControlFileExpired = 961,
    usStoredSerialUnreadable = 962,
    usPendingUpdateDropped = 963,
    usHandOverRefused = 964,
};

// The message of a status number from the program's string table, the parameter in place of
// its "%s"; empty for a number without text.
std::string StatusText(int id, std::string_view param);

// One line of the update log: "dd/mm/yyyy hh:nn:ss : [id] message (Status:s) (Error:e)",
// with the given date and time separators.
std::string StatusLogLine(TDateTime now, char dateSeparator, char timeSeparator, int id, std::string_view message,
                          int statuscode, int errcode);
