#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

// The shell's answer to "may a notification appear now?" (the values of its
// QUERY_USER_NOTIFICATION_STATE); 0 when it could not be asked.
enum ShellNotificationState : int {
    snsUnknown = 0,
    snsNotPresent = 1,
    snsBusy = 2,
    snsFullScreenDirect3D = 3,
    snsPresentationMode = 4,
    snsAcceptsNotifications = 5,
    snsQuietTime = 6,
    snsStoreApp = 7,
};

struct HoldRect {
    int left = 0, top = 0, right = 0, bottom = 0;
};

// "Ztlumit na hodinu": an hour without popups and sounds, chosen by the person. Its times are
// milliseconds on a clock that runs on through sleep, so that an hour slept through is over
// at the wake.
class QuietHour {
public:
    static constexpr std::uint64_t kLengthMs = 60 * 60 * 1000;

    // Its menu item chosen at that time: the hour begins, or ends when it lasts.
    void Toggle(std::uint64_t nowMs) { endsAtMs_ = On(nowMs) ? 0 : nowMs + kLengthMs; }
    bool On(std::uint64_t nowMs) const { return nowMs < endsAtMs_; }

private:
    std::uint64_t endsAtMs_ = 0;
};

// What the hold rule looks at: the person's quiet hour, the shell's state, Focus Assist, and
// the window in front on its monitor.
struct PopupHoldFacts {
    int shellState = snsUnknown;
    // Focus Assist is on, in any of its modes; the shell's state no longer tells.
    bool focusAssistOn = false;
    // No window in front, or the desktop itself (which always covers its monitor).
    bool noForegroundWindow = true;
    // A maximized window with its title bar is work, not a film or a game: on a monitor
    // with a hidden taskbar it covers the whole monitor all the same.
    bool foregroundMaximizedWithCaption = false;
    HoldRect foreground;
    HoldRect monitor;
    // The person's quiet hour, and the time now on its clock.
    QuietHour quiet;
    std::uint64_t nowMs = 0;
};

// Popups wait while the person must not be disturbed: the person's quiet hour lasts, the
// shell says busy, a full-screen Direct3D program, presentation mode or quiet time, Focus
// Assist is on, or the window in front covers its whole monitor (shells that know less,
// Wine's among them, answer "accepts" always).
bool MustHoldPopups(const PopupHoldFacts& facts);

// The status a missing system function stands for (STATUS_ENTRYPOINT_NOT_FOUND).
constexpr std::int32_t kStatusEntryPointNotFound = std::int32_t(0xC0000139);

// Focus Assist's active profile as the shell publishes it: the status of the read and the
// bytes it gave. A 4-byte profile: 0 off, 1 priority only, 2 alarms only; any other
// non-zero profile is a newer mode of the same and counts as on. What cannot be read
// (a failed or missing call, another size) is off: nothing is held then.
bool FocusAssistIsOn(std::int32_t status, std::span<const std::byte> profile);

// The line that tells how many more items came while popups were held: "a 2 další zprávy".
std::string MoreItemsText(int others);

// The tray tip while the quiet hour lasts, with the local time it ends: "Ztlumeno do 14:35".
std::string QuietTipText(int hour, int minute);
