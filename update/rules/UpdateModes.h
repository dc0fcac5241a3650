#pragma once

// How the update component reaches its files, connects, asks and checks versions.
enum class TAutoUpdateType { ftpUpdate, httpUpdate, fileUpdate };
enum class TAutoUpdateConnect {
    aucNoConnect,
    aucConnectPrompt,
    aucConnectSilent,
    aucConnectPromptHangup,
    aucConnectSilentHangup
};
enum class TAutoUpdateUpdate { auuPromptOnce, auuPromptAll, auuSilent };
enum class TAutoUpdateVersionCheck { vcUpdateOnly, vcAlways };
