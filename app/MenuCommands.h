#pragma once

// Command numbers of the tray menu: fixed, so that other programs (and the tests) can
// send a command to the main window as WM_COMMAND.
enum MenuCommand : unsigned {
    cmdAbout = 101,       // "O programu"
    cmdSite = 102,        // "Soriel 3 - stránky"
    cmdCurrentNews = 103, // "Zobrazit aktuální zprávu"
    cmdExit = 104,        // "Konec"
    cmdQuietHour = 105,   // "Ztlumit na hodinu"
    cmdUpdate = 106,      // "Aktualizovat", while an update is announced
};
